#!/usr/bin/env bash
# Soaks Korvane.exe under Wine and Xvfb: random arrow presses for MINUTES
# minutes while the game's resident memory is sampled every 10 s, then checks
# that the knight still animates and that Alt+F4 ends the game with 0. Prints
# the memory figures; exits non-zero when a check fails. The run happens in a
# Wine prefix of its own, build/soak/wine/prefix, with screenshots and logs
# under build/soak/. Not part of the test command: it takes as long as asked.
#   tools/soak.sh MINUTES [--seed N] [--presses-per-second R] [--max-growth-kib K]
# (tests/e2e/soak.py --help explains the options and the figures).
set -euo pipefail

if [ $# -lt 1 ] || ! [[ $1 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 MINUTES [--seed N] [--presses-per-second R] [--max-growth-kib K]" >&2
    exit 2
fi
minutes=$1
shift

cd "$(dirname "$0")/.."
tools/install_dependencies.sh

echo "== Building the game and the window probe =="
cmake --preset windows-mingw >/dev/null
cmake --build --preset windows-mingw -j 2
cmake --preset host >/dev/null
cmake --build --preset host -j 2 --target korvane_window_probe

exec python3 -B tests/e2e/soak.py "$minutes" --game-dir build/windows-mingw/bin \
    --probe build/host/tests/e2e/window_probe.exe --work-dir build/soak "$@"

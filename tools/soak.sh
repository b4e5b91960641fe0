#!/usr/bin/env bash
# Soaks the game under Xvfb, Korvane.exe under Wine or, with --native, the
# native build: random arrow presses for MINUTES minutes while the game's
# resident memory is sampled every 10 s, then checks that the knight still
# animates and that Alt+F4 ends the game with 0. Prints the memory figures and
# the mappings that grew; exits non-zero when a check fails. Under Wine the run
# happens in a prefix of its own, build/soak/wine/prefix; screenshots and logs
# go under build/soak/ (build/soak-native/ for the native build). Not part of
# the test command: it takes as long as asked.
#   tools/soak.sh MINUTES [--native] [--seed N] [--presses-per-second R] [--max-growth-kib K]
# (tools/soak.py --help explains the options and the figures).
set -euo pipefail

if [ $# -lt 1 ] || ! [[ $1 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 MINUTES [--native] [--seed N] [--presses-per-second R]" \
        "[--max-growth-kib K]" >&2
    exit 2
fi
minutes=$1
shift

cd "$(dirname "$0")/.."
tools/install_dependencies.sh

native=0
options=()
for option in "$@"; do
    if [ "$option" = --native ]; then
        native=1
    else
        options+=("$option")
    fi
done

if [ "$native" = 1 ]; then
    echo "== Building the native game =="
    cmake --preset native >/dev/null
    cmake --build --preset native -j 2 --target korvane
    exec python3 -B tools/soak.py "$minutes" --native --game-dir build/native/bin \
        --work-dir build/soak-native "${options[@]}"
fi

echo "== Building the game and the window probe =="
cmake --preset windows-mingw >/dev/null
cmake --build --preset windows-mingw -j 2
cmake --preset host >/dev/null
cmake --build --preset host -j 2 --target korvane_window_probe

exec python3 -B tools/soak.py "$minutes" --game-dir build/windows-mingw/bin \
    --probe build/host/tests/e2e/window_probe.exe --work-dir build/soak "${options[@]}"

#!/usr/bin/env bash
# Builds Korvane.exe and starts it. On Linux it runs under Wine, in a Wine
# prefix of its own (build/wine-prefix, or KORVANE_WINE_PREFIX when set; your
# ~/.wine is never touched), prepared by tools/wine_prefix.py exactly as the
# end-to-end tests prepare theirs.
set -euo pipefail

cd "$(dirname "$0")/.."
tools/install_dependencies.sh

cmake --preset windows-mingw
cmake --build --preset windows-mingw -j "$(nproc)"
game="$PWD/build/windows-mingw/bin/Korvane.exe"

if [ -z "${DISPLAY:-}" ]; then
    echo "There is no display (DISPLAY is not set): the game needs one to show its window."
    echo "On a machine without a screen, run it on a virtual one:"
    echo "    xvfb-run -a -s '-screen 0 1024x768x24' tools/run_game.sh"
    exit 1
fi

exec python3 tools/wine_prefix.py run "${KORVANE_WINE_PREFIX:-$PWD/build/wine-prefix}" "$game"

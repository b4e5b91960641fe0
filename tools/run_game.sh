#!/usr/bin/env bash
# Builds the game and starts it.
#   tools/run_game.sh          the native build (SDL2 and OpenGL): build/native/bin/korvane
#   tools/run_game.sh --wine   Korvane.exe under Wine, in a Wine prefix of its own
#                              (build/wine-prefix, or KORVANE_WINE_PREFIX when set; your
#                              ~/.wine is never touched), prepared by tools/wine_prefix.py
#                              exactly as the end-to-end tests prepare theirs
set -euo pipefail

usage() {
    echo "usage: $0 [--wine]" >&2
    exit 2
}
wine=false
case $# in
0) ;;
1) [ "$1" = "--wine" ] || usage; wine=true ;;
*) usage ;;
esac

cd "$(dirname "$0")/.."
tools/install_dependencies.sh

if $wine; then
    cmake --preset windows-mingw
    cmake --build --preset windows-mingw -j "$(nproc)"
    game="$PWD/build/windows-mingw/bin/Korvane.exe"
else
    cmake --preset native
    cmake --build --preset native --target korvane -j "$(nproc)"
    game="$PWD/build/native/bin/korvane"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display (DISPLAY is not set): the game needs one to show its window."
    echo "On a machine without a screen, run it on a virtual one:"
    echo "    xvfb-run -a -s '-screen 0 1024x768x24' $0 $*"
    exit 1
fi

if $wine; then
    exec python3 tools/wine_prefix.py run "${KORVANE_WINE_PREFIX:-$PWD/build/wine-prefix}" "$game"
fi
exec "$game"

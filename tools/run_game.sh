#!/usr/bin/env bash
# Builds the game and starts it.
#   tools/run_game.sh          the native build (SDL2 and OpenGL): build/native/bin/korvane
#   tools/run_game.sh --wine   Korvane.exe under Wine, in a Wine prefix of its own
#                              (build/wine-prefix, or KORVANE_WINE_PREFIX when set; your
#                              ~/.wine is never touched), prepared by tools/wine_prefix.py
#                              exactly as the end-to-end tests prepare theirs
#   tools/run_game.sh --web    the page, build/web/bin/korvane.html, served on 127.0.0.1
#                              (port KORVANE_WEB_PORT, 8000 by default) until Ctrl+C, and
#                              opened in the desktop's browser where there is one; the
#                              page also plays opened straight from disk
set -euo pipefail

usage() {
    echo "usage: $0 [--wine | --web]" >&2
    exit 2
}
platform=native
case $# in
0) ;;
1)
    case $1 in
    --wine) platform=wine ;;
    --web) platform=web ;;
    *) usage ;;
    esac
    ;;
*) usage ;;
esac

cd "$(dirname "$0")/.."
tools/install_dependencies.sh

serve_page() {
    cmake --preset web
    cmake --build --preset web -j "$(nproc)"
    local port=${KORVANE_WEB_PORT:-8000}
    local address="http://127.0.0.1:$port/korvane.html"
    echo "The game is served at $address (Ctrl+C stops the server)."
    echo "It also plays opened from disk: $PWD/build/web/bin/korvane.html"
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && command -v xdg-open >/dev/null 2>&1; then
        (sleep 1 && xdg-open "$address" >/dev/null 2>&1 &)
    fi
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build/web/bin
}

case $platform in
web) serve_page ;;
wine)
    cmake --preset windows-mingw
    cmake --build --preset windows-mingw -j "$(nproc)"
    game="$PWD/build/windows-mingw/bin/Korvane.exe"
    ;;
native)
    cmake --preset native
    cmake --build --preset native --target korvane -j "$(nproc)"
    game="$PWD/build/native/bin/korvane"
    ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display (DISPLAY is not set): the game needs one to show its window."
    echo "On a machine without a screen, run it on a virtual one:"
    echo "    xvfb-run -a -s '-screen 0 1024x768x24' $0 $*"
    exit 1
fi

if [ "$platform" = wine ]; then
    exec python3 tools/wine_prefix.py run "${KORVANE_WINE_PREFIX:-$PWD/build/wine-prefix}" "$game"
fi
exec "$game"

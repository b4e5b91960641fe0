#!/usr/bin/env bash
# Builds Korvane.exe and starts it. On Linux it runs under Wine, in a Wine
# prefix of its own under build/ (your ~/.wine is never touched).
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

export WINEPREFIX="$PWD/build/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts

# The game's captions are Japanese: give Wine a Japanese locale, built into
# build/ when the system has none.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    export LOCPATH="$PWD/build/locale"
    if [ ! -f "$LOCPATH/ja_JP.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$LOCPATH"
        localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" 2>/dev/null || true
    fi
fi
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the Wine prefix in $WINEPREFIX (once)..."
    wineboot --init
    wineserver -w
    # Wine draws the window frame itself, as Windows does.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null
    wineserver -w
fi

cd "$(dirname "$game")"
exec wine "$game"

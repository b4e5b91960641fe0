#!/usr/bin/env bash
# Builds Korvane.exe and starts it under Wine. Wine gets a prefix of its own
# under build/wine (your ~/.wine is never touched) and the Japanese locale the
# game is written for, so its menus, About box and code page come out right.
# The game's exit code is this script's.
set -euo pipefail

cd "$(dirname "$0")/.."
root=$PWD
tools/install_dependencies.sh

cmake --preset windows-mingw
cmake --build --preset windows-mingw -j "$(nproc)"

if [ -z "${DISPLAY:-}" ]; then
    echo "Korvane opens a window, and no display is set (DISPLAY is empty)."
    echo "Run this from a desktop session, or under a virtual X server, for example:"
    echo "    xvfb-run -s '-screen 0 1024x768x24' tools/run_game.sh"
    exit 1
fi

wine_dir=$root/build/wine
export WINEPREFIX=$wine_dir/prefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install prompts: the game needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH=$wine_dir/locale
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8

if [ ! -e "$LOCPATH/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$LOCPATH"
    # localedef warns about the locale sources but still writes the locale.
    localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >/dev/null 2>&1 || true
    if [ ! -e "$LOCPATH/ja_JP.UTF-8/LC_CTYPE" ]; then
        echo "Could not build the ja_JP.UTF-8 locale with localedef (package: locales)."
        exit 1
    fi
fi

if [ ! -e "$WINEPREFIX/system.reg" ]; then
    echo "Preparing a Wine prefix in $WINEPREFIX (once; this takes a little while)"
    mkdir -p "$wine_dir"
    wineboot --init
    wineserver -w
    # Debian's Wine looks for its own fonts (Tahoma, Marlett) in the prefix.
    if [ -d /usr/share/wine/fonts ]; then
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
fi

cd "$root/build/windows-mingw/bin"
exec wine Korvane.exe

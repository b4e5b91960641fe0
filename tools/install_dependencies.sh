#!/usr/bin/env bash
# Installs what building, running and testing Korvane needs on Debian or
# Ubuntu, and only what is missing. Elsewhere it says what to install.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev libstb-dev libtinyobjloader-dev valgrind
    mingw-w64 wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick libgl1-mesa-dri
    locales fonts-ipafont-gothic python3 git
    libsdl2-dev libx11-dev libgl-dev xfonts-base
    emscripten node-acorn
    chromium python3-websocket
)

if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    echo "This is not a Debian-like system. Install by hand: CMake 3.25+, Ninja, a C++20"
    echo "compiler, clang with libFuzzer, GoogleTest, Google Benchmark, stb (stb_image,"
    echo "stb_image_resize, stb_image_write), valgrind, mingw-w64, Wine (64-bit), Xvfb,"
    echo "xdotool, xwininfo, ImageMagick, the glibc locale sources (localedef), a Japanese"
    echo "font (IPA Gothic), Python 3, and for the native build SDL2 (development files),"
    echo "the OpenGL headers and Mesa (or another OpenGL 3.3 driver), for the web"
    echo "build Emscripten (emsdk), and for its tests Chromium and Python's websocket-client."
    exit 1
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_prefix=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_prefix=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_prefix[@]}" apt-get update -q
"${sudo_prefix[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

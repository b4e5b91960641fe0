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
    echo "compiler, clang with libFuzzer, GoogleTest, Google Benchmark, stb (stb_image 2.28"
    echo "or later, stb_image_resize, stb_image_write), valgrind, mingw-w64, Wine (64-bit), Xvfb,"
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

sudo_prefix=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_prefix=(sudo)
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_prefix[@]}" apt-get update -q
    "${sudo_prefix[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# stb_image 2.28 or later: 2.27 (Debian 12's libstb-dev) has faults that a
# damaged image file reaches. Where the system's is older, Debian 13's
# stb_image.h goes alone into the folder cmake/stb.cmake looks at first; the
# package is fetched with an apt configuration of its own (its own sources,
# lists and cache, from the mirror the system uses), so the system's sources
# and installed packages stay as they are.
fixed_stb_image_dir=/usr/local/include/stb-trixie # as in cmake/stb.cmake
fixed_stb_suite=trixie

# Whether the stb_image.h at $1 is 2.28 or later, by the version on its first line.
stb_image_is_fixed() {
    local major minor
    read -r major minor < <(sed -n '1s/.*stb_image - v\([0-9]*\)\.\([0-9]*\).*/\1 \2/p' "$1" \
        2>/dev/null) || return 1
    [ $((major * 100 + minor)) -ge 228 ]
}

if stb_image_is_fixed /usr/include/stb/stb_image.h ||
    stb_image_is_fixed "$fixed_stb_image_dir/stb_image.h"; then
    exit 0
fi
mirror=$(apt-get indextargets --format '$(REPO_URI) $(LABEL) $(COMPONENT)' |
    sed -n 's/^\([^ ]*\) Debian main$/\1/p' | head -n 1)
if [ -z "$mirror" ]; then
    echo "stb_image 2.28 or later is needed, and this system's stb_image.h is older: put" >&2
    echo "a newer stb_image.h (the stb repository's, or Debian 13's libstb-dev) into" >&2
    echo "$fixed_stb_image_dir/." >&2
    exit 1
fi
echo "Installing stb_image.h from Debian's $fixed_stb_suite into $fixed_stb_image_dir"
apt_work=$(mktemp -d)
trap 'rm -rf "$apt_work"' EXIT
mkdir -p "$apt_work/lists/partial" "$apt_work/archives/partial"
touch "$apt_work/status"
echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $fixed_stb_suite main" \
    >"$apt_work/sources.list"
private_apt=(-q -o "Dir::Etc::SourceList=$apt_work/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State=$apt_work" -o "Dir::State::status=$apt_work/status" -o "Dir::Cache=$apt_work"
    -o APT::Sandbox::User="$(id -un)")
apt-get "${private_apt[@]}" update
(cd "$apt_work" && apt-get "${private_apt[@]}" download libstb-dev)
dpkg-deb --fsys-tarfile "$apt_work"/libstb-dev_*.deb |
    tar -x -O ./usr/include/stb/stb_image.h >"$apt_work/stb_image.h"
if ! stb_image_is_fixed "$apt_work/stb_image.h"; then
    echo "Debian's $fixed_stb_suite has no stb_image 2.28 or later" >&2
    exit 1
fi
"${sudo_prefix[@]}" install -D -m 644 "$apt_work/stb_image.h" "$fixed_stb_image_dir/stb_image.h"

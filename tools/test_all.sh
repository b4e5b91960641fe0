#!/usr/bin/env bash
# Builds everything and runs every test: host unit tests, the same tests under
# AddressSanitizer/UndefinedBehaviorSanitizer and valgrind, the native build's
# unit tests, the fuzzers for a short while each (campaigns are a tool of their
# own: tools/fuzz_campaign.sh), and the end-to-end tests of Korvane.exe under
# Wine, of the native korvane and of the page in Chromium (all three built
# before the host preset's CTest runs them).
set -euo pipefail

cd "$(dirname "$0")/.."
tools/install_dependencies.sh

jobs=$(nproc)
# Each stage's heading also says how long the run has taken so far.
stage() {
    echo "== $* ($((SECONDS / 60)) min $((SECONDS % 60)) s in) =="
}

stage "Windows build (mingw-w64) and the players' package"
cmake --preset windows-mingw
cmake --build --preset windows-mingw -j "$jobs"
cmake --build --preset windows-mingw --target package

stage "Native build (SDL2 and OpenGL) and its platform's unit tests"
cmake --preset native
# The game and the tests that need SDL; the preset's copy of the host unit
# tests (same sources, compiler and flags) would only run them twice.
cmake --build --preset native -j "$jobs" --target korvane korvane_native_tests
ctest --preset native -j "$jobs"

stage "Web build: the page, build/web/bin/korvane.html"
cmake --preset web
cmake --build --preset web -j "$jobs"

stage "Host build and tests (unit, and end-to-end of the three builds)"
cmake --preset host
cmake --build --preset host -j "$jobs"
ctest --preset host -j "$jobs"

stage "Unit tests under valgrind"
valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    build/host/tests/korvane_tests --gtest_brief=1

stage "Sanitizer build and tests"
cmake --preset host-sanitize
cmake --build --preset host-sanitize -j "$jobs"
ctest --preset host-sanitize -j "$jobs" -L unit

fuzzers=build/host-sanitize/tests/fuzz
if [ -x "$fuzzers/korvane_fuzz_reader" ]; then
    stage "Fuzzing the document reader, the model load, textures and the stage file"
    # A fuzzer keeps one core busy: they run side by side, one per core. Each
    # line is a fuzzer, its seconds and its extra seeds.
    xargs -P "$jobs" -L 1 tools/run_fuzzer.sh <<EOF
$fuzzers/korvane_fuzz_reader 20
$fuzzers/korvane_fuzz_model 20 assets/MQO assets/MQA
$fuzzers/korvane_fuzz_texture 20 assets/TEXTURE
$fuzzers/korvane_fuzz_stage 10 assets/Stage1.vtm
$fuzzers/korvane_fuzz_plain_lines 20
EOF
fi

echo "All tests passed in $((SECONDS / 60)) min $((SECONDS % 60)) s."

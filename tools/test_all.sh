#!/usr/bin/env bash
# Builds everything and runs every test: host unit tests, the same tests under
# AddressSanitizer/UndefinedBehaviorSanitizer and valgrind, the fuzzers for a
# bounded time each, and the end-to-end tests of Korvane.exe under Wine.
set -euo pipefail

cd "$(dirname "$0")/.."
tools/install_dependencies.sh

jobs=$(nproc)

echo "== Windows build (mingw-w64) and the players' package =="
cmake --preset windows-mingw
cmake --build --preset windows-mingw -j "$jobs"
cmake --build --preset windows-mingw --target package

echo "== Host build and tests (unit and end-to-end) =="
cmake --preset host
cmake --build --preset host -j "$jobs"
ctest --preset host -j "$jobs"

echo "== Unit tests under valgrind =="
valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    build/host/tests/korvane_tests --gtest_brief=1

echo "== Sanitizer build and tests =="
cmake --preset host-sanitize
cmake --build --preset host-sanitize -j "$jobs"
ctest --preset host-sanitize -j "$jobs" -L unit

fuzzers=build/host-sanitize/tests/fuzz
if [ -x "$fuzzers/korvane_fuzz_reader" ]; then
    echo "== Fuzzing the document reader, the model load, textures and the stage file =="
    tools/run_fuzzer.sh "$fuzzers/korvane_fuzz_reader" 60
    tools/run_fuzzer.sh "$fuzzers/korvane_fuzz_model" 60 assets/MQO assets/MQA
    tools/run_fuzzer.sh "$fuzzers/korvane_fuzz_texture" 60 assets/TEXTURE
    tools/run_fuzzer.sh "$fuzzers/korvane_fuzz_stage" 30 assets/Stage1.vtm
    tools/run_fuzzer.sh "$fuzzers/korvane_fuzz_plain_lines" 60
fi

echo "All tests passed."

#!/usr/bin/env bash
# Runs the end-to-end tests (of Korvane.exe under Wine, of the native korvane
# and of the web page in headless Chromium) N times in a row, with the
# parallelism CI uses (as tools/test_all.sh runs CTest), to show they pass
# every time and not by chance. After each run it prints the failed tests with the paths of their
# screenshots, which it keeps under build/host/tests/e2e/repeat/run-<n>/ with
# the test's logs (the game's own output) beside them in <test>-logs/ (the
# next run writes its own screenshots and logs in the tests' folders).
#   tools/repeat_e2e.sh N [--native | --web]
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || ! [[ $1 =~ ^[1-9][0-9]*$ ]] ||
    { [ $# -eq 2 ] && [ "$2" != "--native" ] && [ "$2" != "--web" ]; }; then
    echo "usage: $0 <number of runs> [--native | --web]" >&2
    exit 2
fi
runs=$1
label=e2e # --native, --web: only the native game's or the page's tests (label native, web)
[ $# -eq 2 ] && label=${2#--}

cd "$(dirname "$0")/.."
tools/install_dependencies.sh
jobs=$(nproc)

echo "== Building the game, its package and the tests =="
cmake --preset windows-mingw >/dev/null
cmake --build --preset windows-mingw -j "$jobs"
cmake --build --preset windows-mingw --target package >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target korvane
cmake --preset web >/dev/null
cmake --build --preset web -j "$jobs"
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"

work=build/host/tests/e2e
kept=$work/repeat
failed_list=build/host/Testing/Temporary/LastTestsFailed.log
rm -rf "$kept"
mkdir -p "$kept"

failed_runs=0
failed_tests=0
for run in $(seq 1 "$runs"); do
    log=$kept/run-$run.log
    started=$SECONDS
    rm -f "$failed_list"
    status=0
    ctest --preset host -L "$label" -j "$jobs" >"$log" 2>&1 || status=$?
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    summary="run $run of $runs: $((SECONDS - started)) s, load average $load"
    if [ "$status" -eq 0 ]; then
        echo "$summary: all passed"
        continue
    fi
    failed_runs=$((failed_runs + 1))
    if [ ! -s "$failed_list" ]; then
        failed_tests=$((failed_tests + 1))
        echo "$summary: CTest failed without a failed test (exit code $status); see $log"
        continue
    fi
    echo "$summary: FAILED (output in $log)"
    while IFS=: read -r _ name; do
        failed_tests=$((failed_tests + 1))
        echo "  $name"
        if [ -d "$work/screenshots/$name" ]; then
            mkdir -p "$kept/run-$run"
            cp -r "$work/screenshots/$name" "$kept/run-$run/"
            find "$kept/run-$run/$name" -name '*.png' | sort | sed 's/^/    /'
        else
            echo "    (no screenshots)"
        fi
        if [ -d "$work/logs/$name" ]; then
            mkdir -p "$kept/run-$run"
            cp -r "$work/logs/$name" "$kept/run-$run/$name-logs"
            echo "    logs: $kept/run-$run/$name-logs"
        fi
    done <"$failed_list"
done

echo "$runs runs, $failed_runs with failures, $failed_tests failed tests in all"
[ "$failed_runs" -eq 0 ]

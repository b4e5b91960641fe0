#!/usr/bin/env bash
# Runs a libFuzzer binary for a bounded time on a copy of its seed corpus and
# fails on any crash, leak, hang, running out of memory or sanitizer report.
#   tools/run_fuzzer.sh <fuzzer binary> <seconds> [more seed files or folders...]
# A target korvane_fuzz_NAME finds its seeds in tests/fuzz/corpus/NAME/, and
# when they exist its dictionary in tests/fuzz/NAME.dict and extra libFuzzer
# flags in tests/fuzz/NAME.options.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 <fuzzer binary> <seconds> [more seed files or folders...]" >&2
    exit 2
fi
binary=$1
seconds=$2
shift 2
source "$(dirname "$0")/fuzz_target.sh"
fuzz_target_setup "$binary"
name=$fuzz_name

# Work on a copy beside the binary: the seeds in the repository stay as written.
work="$(cd "$(dirname "$binary")" && pwd)/fuzz-run-$name"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
fuzz_copy_seeds "$work/corpus" "$@"

set +e
"$binary" -max_total_time="$seconds" "${fuzz_options[@]}" -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" \
    "$work/corpus" >"$work/fuzz.log" 2>&1
status=$?
set -e

tail -n 20 "$work/fuzz.log"
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
    echo "The fuzzer found a problem (exit status $status); log and inputs in $work" >&2
    exit 1
fi
echo "Fuzzing $name ran ${seconds} s without a finding."

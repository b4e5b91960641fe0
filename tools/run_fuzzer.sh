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
root="$(cd "$(dirname "$0")/.." && pwd)"
name="$(basename "$binary" | sed 's/^korvane_fuzz_//')"
seeds="$root/tests/fuzz/corpus/$name"
dictionary="$root/tests/fuzz/$name.dict"
options="$root/tests/fuzz/$name.options"
extraOptions=()
if [ -f "$dictionary" ]; then
    extraOptions+=(-dict="$dictionary")
fi
if [ -f "$options" ]; then
    read -r -d '' -a targetOptions <"$options" || true
    extraOptions+=("${targetOptions[@]}")
fi

# Work on a copy beside the binary: the seeds in the repository stay as written.
work="$(cd "$(dirname "$binary")" && pwd)/fuzz-run-$name"
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp -r "$seeds"/. "$work/corpus/"
for extra in "$@"; do
    if [ -d "$extra" ]; then
        cp -r "$extra"/. "$work/corpus/"
    else
        cp "$extra" "$work/corpus/"
    fi
done

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# -timeout: one input running this long is a hang. -max_len: long enough for
# lines beyond the 8190-byte pieces (a target's options may change it).
set +e
"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=20000 \
    -print_final_stats=1 "${extraOptions[@]}" -artifact_prefix="$work/artifacts/" \
    "$work/corpus" >"$work/fuzz.log" 2>&1
status=$?
set -e

tail -n 20 "$work/fuzz.log"
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
    echo "The fuzzer found a problem (exit status $status); log and inputs in $work" >&2
    exit 1
fi
echo "Fuzzing $name ran ${seconds} s without a finding."

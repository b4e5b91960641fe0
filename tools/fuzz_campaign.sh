#!/usr/bin/env bash
# A long fuzzing campaign, outside CI: runs one target for MINUTES on JOBS
# processes at once, starting from its committed seeds, then adds to
# tests/fuzz/corpus/NAME/ the smallest set of the inputs it found that covers
# what the seeds do not, so CI's short runs start where the campaign ended.
# Prints executions, executions per second and coverage.
#   tools/fuzz_campaign.sh <fuzzer binary> <minutes> [more seed files or folders...]
# FUZZ_JOBS sets how many processes fuzz at once (default: one per core).
set -euo pipefail

if [ $# -lt 2 ] || ! [[ $2 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 <fuzzer binary> <minutes> [more seed files or folders...]" >&2
    exit 2
fi
binary="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
minutes=$2
shift 2
jobs=${FUZZ_JOBS:-$(nproc)}
source "$(dirname "$0")/fuzz_target.sh"
fuzz_target_setup "$binary"

work="$(dirname "$binary")/fuzz-campaign-$fuzz_name"
rm -rf "$work"
mkdir -p "$work/found" "$work/artifacts" "$work/minimal"
fuzz_copy_seeds "$work/found" "$@"

# Each job is its own process sharing the corpus folder; libFuzzer writes their
# logs as fuzz-<job>.log in the working folder.
status=0
(cd "$work" && "$binary" -max_total_time=$((minutes * 60)) -jobs="$jobs" -workers="$jobs" \
    "${fuzz_options[@]}" -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
    "$work/found" >"$work/campaign.log" 2>&1) || status=$?

executions=0
per_second=0
for log in "$work"/fuzz-*.log; do
    units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    executions=$((executions + ${units:-0}))
    per_second=$((per_second + ${rate:-0}))
done
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
    echo "The campaign found a problem (exit status $status); logs and inputs in $work" >&2
    exit 1
fi

# The seeds stay as written; only inputs that add coverage beyond them join.
cp -r "$fuzz_seeds"/. "$work/minimal/"
"$binary" -merge=1 "${fuzz_options[@]}" "$work/minimal" "$work/found" >"$work/merge.log" 2>&1
added=0
for input in "$work/minimal"/*; do
    if [ ! -e "$fuzz_seeds/$(basename "$input")" ]; then
        cp "$input" "$fuzz_seeds/"
        added=$((added + 1))
    fi
done
coverage=$("$binary" -runs=0 "${fuzz_options[@]}" "$fuzz_seeds" 2>&1 |
    sed -n 's/.*INITED cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/p' | tail -n 1)

echo "$fuzz_name: $minutes min on $jobs processes, $executions executions," \
    "$per_second executions/s, coverage of the corpus: $coverage;" \
    "$added inputs added to tests/fuzz/corpus/$fuzz_name/ ($(ls "$fuzz_seeds" | wc -l) in all)"

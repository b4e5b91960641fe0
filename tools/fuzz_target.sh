# Sourced by the fuzzing scripts: what belongs to a target korvane_fuzz_NAME.
# Sets fuzz_name, fuzz_seeds (tests/fuzz/corpus/NAME/) and fuzz_options (its
# dictionary tests/fuzz/NAME.dict and libFuzzer flags tests/fuzz/NAME.options,
# when they exist, after the flags every run shares).
fuzz_target_setup() {
    local binary=$1 root dictionary options
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    fuzz_name="$(basename "$binary" | sed 's/^korvane_fuzz_//')"
    fuzz_seeds="$root/tests/fuzz/corpus/$fuzz_name"
    dictionary="$root/tests/fuzz/$fuzz_name.dict"
    options="$root/tests/fuzz/$fuzz_name.options"
    # -timeout: one input running this long is a hang. -max_len: long enough for
    # lines beyond the 8190-byte pieces (a target's options may change it).
    fuzz_options=(-timeout=10 -rss_limit_mb=2048 -max_len=20000)
    if [ -f "$dictionary" ]; then
        fuzz_options+=(-dict="$dictionary")
    fi
    if [ -f "$options" ]; then
        local target_options
        read -r -d '' -a target_options <"$options" || true
        fuzz_options+=("${target_options[@]}")
    fi
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
}

# Copies the target's seeds, then any further seed files or folders, into a folder.
fuzz_copy_seeds() {
    local folder=$1 extra
    shift
    cp -r "$fuzz_seeds"/. "$folder/"
    for extra in "$@"; do
        if [ -d "$extra" ]; then
            cp -r "$extra"/. "$folder/"
        else
            cp "$extra" "$folder/"
        fi
    done
}

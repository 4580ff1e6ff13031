#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and, under a
# virtual X display, runs each one:
#   1. every input of its seed corpus fuzz/corpus/<target>/, one process each
#      and with real waiting (the defect inputs need the adapter's timer);
#   2. fuzzing for SECONDS (default 600), new inputs kept in build-fuzz/corpus/.
# A failing input is left in build-fuzz/artifacts/<target>/; rerun it with
#   build-fuzz/fuzz/<target> <file>
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"

if [ -z "${ZEPHYRINE_FUZZ_UNDER_X:-}" ]; then
    scripts/deps.sh
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DZEPHYRINE_FUZZ=ON -DZEPHYRINE_BUILD_TESTS=OFF -DZEPHYRINE_BUILD_BENCH=OFF > /dev/null
    cmake --build build-fuzz --target fuzzers
    # One X server for the whole run; it resets whenever its last client
    # leaves, as a fresh one in a host would.
    ZEPHYRINE_FUZZ_UNDER_X=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$seconds"
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

failed=()
for fuzzer in build-fuzz/fuzz/*_fuzzer; do
    name=$(basename "$fuzzer")
    seeds=fuzz/corpus/$name
    work=build-fuzz/corpus/$name
    artifacts=build-fuzz/artifacts/$name
    mkdir -p "$seeds" "$work" "$artifacts"
    options=(-timeout=30 -rss_limit_mb=4096 -artifact_prefix="$artifacts/")
    [ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")

    echo "== $name: seed inputs"
    for seed in "$seeds"/*; do
        [ -f "$seed" ] || continue
        if ! ZEPHYRINE_FUZZ_REAL_TIME=1 "$fuzzer" "${options[@]}" "$seed" > "$artifacts/last-seed.log" 2>&1; then
            cat "$artifacts/last-seed.log"
            echo "FAILED: $name $seed"
            failed+=("$name $seed")
        fi
    done

    echo "== $name: fuzzing for $seconds s"
    if ! "$fuzzer" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 "$work" "$seeds" \
            > "$artifacts/fuzz.log" 2>&1; then
        tail -n 80 "$artifacts/fuzz.log"
        echo "FAILED: $name (input in $artifacts/)"
        failed+=("$name")
    else
        grep -E "^#[0-9]+ +DONE|stat::(number_of_executed_units|average_exec_per_sec)" "$artifacts/fuzz.log" || true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    printf 'fuzzing failed: %s\n' "${failed[@]}"
    exit 1
fi
echo "fuzzing found nothing"

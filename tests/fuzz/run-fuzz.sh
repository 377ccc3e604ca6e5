#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset: clang, AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each for QUILLMAR_FUZZ_SECONDS (20) from a copy of its seeds in tests/fuzz/corpus/NAME, so the
# repository is only read. Each target runs as one process; QUILLMAR_FUZZ_JOBS of them (default: one per
# core) run at once. A finding (a failed check, a sanitizer report, a crash, a leak, an input slower than
# 10 s) fails the run, and its input is printed in hex with the command that adds it to the seeds.
# QUILLMAR_FUZZ_TARGETS names the targets to run (default: all, "answer request ...").
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${QUILLMAR_FUZZ_SECONDS:-20}
jobs=${QUILLMAR_FUZZ_JOBS:-$(nproc)}
read -r -a targets <<<"${QUILLMAR_FUZZ_TARGETS:-answer request query engines skin picture settings}"

cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A smaller quarantine than AddressSanitizer's 256 MB: each run frees little, and reusing memory soon keeps
# page faults (slow on virtual machines) from halving the executions.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

run() {
    local target=$1 dir=$work/$1
    mkdir -p "$dir/corpus" "$dir/findings"
    cp tests/fuzz/corpus/"$target"/* "$dir/corpus/"
    if "build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$dir/findings/" "$dir/corpus" >"$dir/log" 2>&1; then
        echo 0 >"$dir/rc"
    else
        echo 1 >"$dir/rc"
    fi
}

running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
    run "$target" &
    running=$((running + 1))
done
wait

failed=0
for target in "${targets[@]}"; do
    dir=$work/$target
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
    features=$(grep -o 'ft: [0-9]*' "$dir/log" | tail -1 | cut -d' ' -f2 || true)
    if [ "$(cat "$dir/rc")" = 0 ] && [ -z "$(ls -A "$dir/findings")" ]; then
        echo "fuzz: fuzz_$target: ${runs:-?} runs, ${features:-?} features, no finding"
        continue
    fi
    failed=1
    echo "fuzz: fuzz_$target FOUND A FAULT; the end of its log:"
    grep -v '^#[0-9]' "$dir/log" | tail -40 | sed 's/^/    /'
    for input in "$dir"/findings/*; do
        [ -f "$input" ] || continue
        echo "fuzz: the input $(basename "$input") ($(stat -c %s "$input") bytes), in hex:"
        od -An -tx1 -v "$input" | sed 's/^/    /'
        escaped=$(od -An -tx1 -v "$input" | tr -d ' \n' | sed 's/\(..\)/\\x\1/g')
        echo "fuzz: to keep it as a seed once mended:"
        echo "    printf '%b' '$escaped' > tests/fuzz/corpus/$target/regression-NAME"
    done
done
exit "$failed"

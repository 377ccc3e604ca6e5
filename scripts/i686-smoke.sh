#!/usr/bin/env bash
# The 32-bit Windows tests where 32-bit programs are only emulated: every test program once as a whole
# (narrowed by tests/win32/i686-smoke.txt), within a time budget. The logic test programs and the
# window tests run in two lanes side by side (window tests one at a time: they share the desktop).
# Usage: i686-smoke.sh BUILD_DIR  (inside a Wine session)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "$1")
budget=${QUILLMAR_SMOKE_SECONDS:-480}
cap=${QUILLMAR_SMOKE_PROGRAM_SECONDS:-360}  # longer than any one program should take, even emulated
deadline=$((SECONDS + budget))
results=$(mktemp -d)

declare -A filter
order=()
while read -r program narrowing; do
    case "$program" in "" | \#*) continue ;; esac
    order+=("$program")
    filter[$program]=${narrowing:-}
done <tests/win32/i686-smoke.txt

# Programs named in the list first, in its order; the rest after, by name.
ordered() {
    local found name
    found=$(cat)
    for name in "${order[@]}"; do grep "/$name.exe\$" <<<"$found"; done
    grep -v -F -f <(printf '/%s.exe\n' "${order[@]}") <<<"$found" | awk -F/ '{print $NF "\t" $0}' | sort | cut -f2
}

run_lane() {
    local exe name left limit rc t0 log args
    while read -r exe; do
        [ -n "$exe" ] || continue
        name=$(basename "$exe" .exe)
        left=$((deadline - SECONDS))
        if [ "$left" -le 20 ]; then echo "$name" >>"$results/left"; continue; fi
        limit=$((left < cap ? left : cap))
        args=(--gtest_brief=1)
        [ -n "${filter[$name]:-}" ] && args+=("--gtest_filter=${filter[$name]}")
        t0=$SECONDS
        log=$(mktemp)
        (cd "$(dirname "$exe")" && timeout "$limit" "$root/scripts/wine-run.sh" "$exe" "${args[@]}") >"$log" 2>&1
        rc=$?
        # timeout ends the wrapper only; the emulated program must not linger on the desktop.
        [ "$rc" -eq 124 ] && pkill -9 -f "$name.exe" 2>/dev/null
        if [ "$rc" -eq 124 ] && [ "$limit" -lt "$cap" ]; then
            echo "i686 smoke: $name cut short by the budget after $((SECONDS - t0)) s"
            echo "$name" >>"$results/left"
        elif [ "$rc" -eq 0 ]; then
            echo "i686 smoke: $name passed in $((SECONDS - t0)) s${filter[$name]:+ (${filter[$name]})}" \
                 "$(grep -E '^\[  PASSED  \]' "$log" | head -n 1)"
            echo "$name" >>"$results/passed"
        else
            cat "$log"
            echo "i686 smoke: $name FAILED (exit $rc) after $((SECONDS - t0)) s"
            echo "$name" >>"$results/failed"
        fi
        rm -f "$log"
    done
}

start=$SECONDS
find "$build/tests" -maxdepth 1 -name 'test_*.exe' | ordered | run_lane &
find "$build/tests" -mindepth 2 -name 'test_*.exe' | ordered | run_lane
wait

count() { [ -f "$results/$1" ] && wc -l <"$results/$1" || echo 0; }
if [ -f "$results/left" ]; then
    echo "i686 smoke: not finished within the ${budget} s budget: $(sort "$results/left" | paste -sd ' ')"
fi
failed=$(count failed)
failures=""
[ -f "$results/failed" ] && failures=" ($(paste -sd ' ' "$results/failed"))"
echo "i686 smoke: $(count passed) passed, $failed failed in $((SECONDS - start)) s$failures"
rm -rf "$results"
[ "$failed" -eq 0 ]

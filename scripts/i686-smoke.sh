#!/usr/bin/env bash
# The 32-bit Windows tests: the programs tests/win32/i686-smoke.txt lists, one at a time (window tests share
# the desktop) within a time budget; narrowed as it says where 32-bit programs are only emulated.
# Usage: i686-smoke.sh BUILD_DIR           (inside a Wine session)
#        i686-smoke.sh --whole BUILD_DIR   (each program whole, where 32-bit programs run natively)
#        i686-smoke.sh --targets           (prints the set's programs: the build targets it needs)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

declare -A filter
order=()
while read -r program narrowing; do
    case "$program" in "" | \#*) continue ;; esac
    order+=("$program")
    filter[$program]=${narrowing:-}
done <tests/win32/i686-smoke.txt

if [ "${1:-}" = --targets ]; then
    printf '%s\n' "${order[@]}"
    exit 0
fi

whole=""
if [ "${1:-}" = --whole ]; then
    whole=1
    shift
fi
build=$(realpath "$1")
budget=${QUILLMAR_SMOKE_SECONDS:-300}
cap=${QUILLMAR_SMOKE_PROGRAM_SECONDS:-240}  # longer than any one of them should take, even emulated
deadline=$((SECONDS + budget))
passed=0
failed=()
left=()
start=$SECONDS
for name in "${order[@]}"; do
    exe=$(find "$build/tests" -name "$name.exe" | head -n 1)
    if [ -z "$exe" ]; then
        echo "i686 smoke: $name FAILED: $name.exe is not in $build/tests"
        failed+=("$name")
        continue
    fi
    remaining=$((deadline - SECONDS))
    if [ "$remaining" -le 20 ]; then left+=("$name"); continue; fi
    limit=$((remaining < cap ? remaining : cap))
    args=(--gtest_brief=1)
    [ -z "$whole" ] || filter[$name]=""
    [ -n "${filter[$name]}" ] && args+=("--gtest_filter=${filter[$name]}")
    t0=$SECONDS
    log=$(mktemp)
    (cd "$(dirname "$exe")" && timeout "$limit" "$root/scripts/wine-run.sh" "$exe" "${args[@]}") >"$log" 2>&1
    rc=$?
    # timeout ends the wrapper only; the emulated program must not linger on the desktop.
    [ "$rc" -eq 124 ] && pkill -9 -f "$name.exe" 2>/dev/null
    if [ "$rc" -eq 124 ] && [ "$limit" -lt "$cap" ]; then
        echo "i686 smoke: $name cut short by the budget after $((SECONDS - t0)) s"
        left+=("$name")
    elif [ "$rc" -eq 0 ]; then
        echo "i686 smoke: $name passed in $((SECONDS - t0)) s${filter[$name]:+ (${filter[$name]})}" \
             "$(grep -E '^\[  PASSED  \]' "$log" | head -n 1)"
        passed=$((passed + 1))
    else
        cat "$log"
        echo "i686 smoke: $name FAILED (exit $rc) after $((SECONDS - t0)) s"
        failed+=("$name")
    fi
    rm -f "$log"
done

[ "${#left[@]}" -gt 0 ] && echo "i686 smoke: not finished within the ${budget} s budget: ${left[*]}"
echo "i686 smoke: $passed passed, ${#failed[@]} failed in $((SECONDS - start)) s${failed[*]:+ (${failed[*]})}"
[ "${#failed[@]}" -eq 0 ]

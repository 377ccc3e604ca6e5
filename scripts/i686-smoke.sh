#!/usr/bin/env bash
# The 32-bit Windows tests where 32-bit programs are only emulated: every test program once as a whole
# (narrowed by tests/win32/i686-smoke.txt), one at a time, within a time budget.
# Usage: i686-smoke.sh BUILD_DIR  (inside a Wine session)
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "$1")
budget=${QUILLMAR_SMOKE_SECONDS:-480}
start=$SECONDS

declare -A filter
while read -r program narrowing; do
    case "$program" in "" | \#*) continue ;; esac
    filter[$program]=$narrowing
done <tests/win32/i686-smoke.txt

mapfile -t programs < <(find "$build" -name 'test_*.exe' -printf '%f\t%p\n' | sort | cut -f2)
passed=0 failed=0 failures=() left=()
for exe in "${programs[@]}"; do
    name=$(basename "$exe" .exe)
    remaining=$((budget - (SECONDS - start)))
    if [ "$remaining" -le 30 ]; then left+=("$name"); continue; fi
    args=(--gtest_brief=1)
    [ -n "${filter[$name]:-}" ] && args+=("--gtest_filter=${filter[$name]}")
    t0=$SECONDS
    log=$(mktemp)
    (cd "$(dirname "$exe")" && timeout "$remaining" "$OLDPWD/scripts/wine-run.sh" "$exe" "${args[@]}") >"$log" 2>&1
    rc=$?
    # timeout ends the wrapper only; the emulated program itself must not linger on the desktop.
    [ "$rc" -eq 124 ] && pkill -9 -f "$name.exe" 2>/dev/null
    summary=$(grep -E '^\[  (PASSED|FAILED)  \]' "$log" | head -n 2 | tr '\n' ' ')
    if [ "$rc" -eq 0 ]; then
        passed=$((passed + 1))
        echo "i686 smoke: $name passed in $((SECONDS - t0)) s ${filter[$name]:+(${filter[$name]}) }$summary"
    else
        failed=$((failed + 1)); failures+=("$name")
        cat "$log"
        echo "i686 smoke: $name FAILED (exit $rc) after $((SECONDS - t0)) s"
    fi
    rm -f "$log"
done
if [ ${#left[@]} -gt 0 ]; then
    echo "i686 smoke: not run within the ${budget} s budget: ${left[*]}"
fi
echo "i686 smoke: $passed passed, $failed failed in $((SECONDS - start)) s${failures:+ (${failures[*]})}"
[ "$failed" -eq 0 ]

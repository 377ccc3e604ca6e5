#!/usr/bin/env bash
# CMAKE_CROSSCOMPILING_EMULATOR: runs a Windows program under Wine. Wine's helpers would keep an
# inherited stdout pipe open and hang CTest, so output goes through a file.
out=$(mktemp)
"$(dirname "$0")/wine.sh" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc

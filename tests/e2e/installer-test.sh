#!/usr/bin/env bash
# Silent install and uninstall of a Quillmar setup.exe under Wine: the files are there after the install,
# and after the uninstall they are gone, and so is the program's Run value.
# Usage: bash tests/e2e/installer-test.sh SETUP.exe   (inside a Wine session: scripts/wine-env.sh)
set -uo pipefail
cd "$(dirname "$0")/../.."
setup=${1:?usage: installer-test.sh SETUP.exe}
wine=scripts/wine.sh
dir=$PWD/build/installer-test
rm -rf "$dir"
failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok - $what"; else echo "not ok - $what"; failures=$((failures + 1)); fi
}
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value() { "$wine" reg query "$run_key" /v QUILLMAR >/dev/null 2>&1; }

"$wine" "$setup" /S "/D=$(winepath -w "$dir")" >/dev/null 2>&1
check "the installer puts Quillmar.exe, the skins and the uninstaller in place" \
    test -f "$dir/Quillmar.exe" -a -d "$dir/skins" -a -f "$dir/Uninstall.exe"
# The settings dialog's "start with Windows" writes this value; the uninstaller must take it away.
"$wine" reg add "$run_key" /v QUILLMAR /d "$(winepath -w "$dir/Quillmar.exe")" /f >/dev/null 2>&1
check "the Run value is there before the uninstall" run_value

"$wine" "$dir/Uninstall.exe" /S >/dev/null 2>&1
# The uninstaller runs from a copy in the temporary folder; wait for it to finish.
for _ in $(seq 100); do [ -e "$dir" ] || break; sleep 0.1; done
check "the uninstaller removes the program's folder" test ! -e "$dir"
check "the uninstaller removes the Run value" bash -c "! $wine reg query '$run_key' /v QUILLMAR >/dev/null 2>&1"
[ "$failures" -eq 0 ]

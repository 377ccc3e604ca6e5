#!/usr/bin/env bash
# The Linux tarball of quillmar-service: builds it, unpacks it elsewhere, and checks that the unit file
# starts the program and lists the skins where the README tells the user to put them, and that the
# unpacked program runs: --help, then health and one translation on a free loopback port.
# Usage: bash tests/e2e/service-package-test.sh
set -uo pipefail
cd "$(dirname "$0")/../.."
failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok - $what"; else echo "not ok - $what"; failures=$((failures + 1)); fi
}

bash packaging/package.sh service >/dev/null || { echo "service package: build failed" >&2; exit 1; }
tarball=$(ls -t build/packages/quillmar-service-*-linux-"$(uname -m)".tar.gz | head -n 1)
dir=$(mktemp -d)
service_pid=""
finish() {
    [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
    rm -rf "$dir"
}
trap finish EXIT
tar -C "$dir" -xzf "$tarball"
tree=$(echo "$dir"/quillmar-service-*)

# Where README.md installs the program and the skins, and where the unit looks for them.
readme_bin=$(sed -n 's|^ *sudo install -m 755 bin/quillmar-service \([^ ]*\)$|\1|p' "$tree/README.md")
readme_skins=$(sed -n 's|^ *sudo cp -r share/skins \([^ ]*\)$|\1|p' "$tree/README.md")
exec_start=$(sed -n 's/^ExecStart=//p' "$tree/quillmar-service.service")
echo "  README: $readme_bin, $readme_skins; ExecStart=$exec_start"
check "the tarball holds the program, the unit, the README, the manual, the licence and the sample skins" \
    test -x "$tree/bin/quillmar-service" -a -f "$tree/quillmar-service.service" -a -f "$tree/README.md" \
    -a -f "$tree/quillmar-service.md" -a -f "$tree/LICENSE" -a "$(ls "$tree"/share/skins/*/*.QSK | wc -l)" -eq 3
check "the unit starts the program where the README puts it" \
    test -n "$readme_bin" -a "${exec_start%% *}" = "$readme_bin"
check "the unit lists the skins where the README puts them" \
    bash -c '[[ " $1 " == *" --skins-dir $2 "* ]]' _ "$exec_start" "$readme_skins"

check "the unpacked program answers --help" bash -c "'$tree/bin/quillmar-service' --help | grep -q -- --listen"

log=$dir/service.log
"$tree/bin/quillmar-service" --listen 127.0.0.1:0 --engine phrasebook --skins-dir "$tree/share/skins" 2>"$log" &
service_pid=$!
port=""
for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log")
    [ -n "$port" ] && break
    sleep 0.1
done
check "the unpacked program listens on a free loopback port" test -n "$port"
if [ -n "$port" ]; then
    base=http://127.0.0.1:$port
    check "it reports itself healthy" bash -c "curl -sf '$base/healthz' | head -n 1 | grep -qx up"
    translated=$(curl -sf "$base/raging/translate.dyn?lp=en_fr&urltext=good%20morning" | sed -n '/name=q>/{n;p;q}')
    echo "  \"good morning\" -> \"$translated\""
    check "it translates a request" test -n "$translated" -a "$translated" != "good morning"
    check "its skin gallery lists the packaged skins" \
        bash -c "curl -sf '$base/cgi-bin/quillmarskins.cgi' | grep -o -e Daylight -e HighContrast -e Midnight | sort -u | wc -l | grep -qx 3"
fi
[ "$failures" -eq 0 ]

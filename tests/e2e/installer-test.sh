#!/usr/bin/env bash
# The Windows packages of one architecture, built here and checked under Wine: the portable zip's contents
# and its service, run from the unpacked zip;
# a silent install (files, Start-menu entry, uninstall entry); a silent uninstall with the installed copy
# running (it ends, its files, Start-menu entry, uninstall entry and Run value go, the settings and a
# skin the user added stay); and an uninstall with the installed service running (it is not called done,
# and a second one after the service stops removes the rest).
# Usage: bash tests/e2e/installer-test.sh i686|x86_64   (inside a Wine session: scripts/wine-env.sh)
set -uo pipefail
cd "$(dirname "$0")/../.."
arch=${1:?usage: installer-test.sh i686|x86_64}
wine=scripts/wine.sh
failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok - $what"; else echo "not ok - $what"; failures=$((failures + 1)); fi
}
has_key() { "$wine" reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }
lacks_key() { ! has_key "$@"; }

bash packaging/package.sh "$arch" >/dev/null || { echo "installer $arch: packaging failed" >&2; exit 1; }
cmake --build --preset "mingw-$arch" -j "${QUILLMAR_JOBS:-$(nproc)}" --target QuillmarProbe >/dev/null ||
    { echo "installer $arch: the probe did not build" >&2; exit 1; }
probe() { scripts/wine-run.sh "build/$arch/tools/QuillmarProbe.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
zip=$(ls -t build/packages/Quillmar-*-"$arch"-portable.zip | head -n 1)
setup=$(ls -t build/packages/Quillmar-*-"$arch"-setup.exe | head -n 1)

listing=$(unzip -Z1 "$zip")
zip_holds() {
    local entry
    for entry in Quillmar.exe quillmar-service.exe README.txt LICENSE.txt skins/Daylight/Daylight.QSK skins/HighContrast/HighContrast.QSK \
        skins/Midnight/Midnight.QSK; do
        grep -qx "$entry" <<<"$listing" || { echo "  the zip lacks $entry"; return 1; }
    done
}
check "the zip holds Quillmar.exe, quillmar-service.exe, README.txt, LICENSE.txt and the three sample skins" zip_holds
check "the zip's Quillmar.exe is this build's" \
    bash -c "unzip -p '$zip' Quillmar.exe | cmp -s - 'build/$arch/src/win32/Quillmar.exe'"

# The service from the unpacked zip: the phrase book on a free loopback port, the skins beside it, and
# Ctrl+C ending it cleanly.
portable=$(mktemp -d "$PWD/build/portable-$arch.XXXXXX")
unzip -q "$zip" -d "$portable"
log=$portable.log
"$wine" "$portable/quillmar-service.exe" --listen 127.0.0.1:0 >"$log" 2>&1 &
launcher=$!
port=""
for _ in $(seq 150); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log" | tr -d '\r')
    [ -n "$port" ] && break
    sleep 0.1
done
check "the zip's quillmar-service.exe listens on a free loopback port" test -n "$port"
if [ -n "$port" ]; then
    translated=$(curl -sf "http://127.0.0.1:$port/raging/translate.dyn?lp=en_fr&urltext=good%20morning" |
        sed -n '/name=q>/{n;p;q}')
    echo "  \"good morning\" -> \"$translated\""
    check "it translates a request" test -n "$translated" -a "$translated" != "good morning"
    check "its skin gallery lists the skins beside it" bash -c "curl -sf 'http://127.0.0.1:$port/cgi-bin/quillmarskins.cgi' |
        grep -o -e Daylight -e HighContrast -e Midnight | sort -u | wc -l | grep -qx 3"
fi
# The Windows process itself (Wine's 64-bit launcher passes no signal on), found by its unique folder.
service_pids() { ps -eo pid=,args= | grep -F "$(basename "$portable")" | grep -F quillmar-service.exe | grep -v grep | awk '{print $1}'; }
pids=$(service_pids)
[ -n "$pids" ] && kill -INT $pids
for _ in $(seq 50); do [ -n "$(service_pids)" ] || break; sleep 0.1; done
check "Ctrl+C stops it cleanly" grep -q "quillmar-service: stopped" "$log"
pids=$(service_pids)
[ -n "$pids" ] && kill -KILL $pids
kill "$launcher" 2>/dev/null
rm -rf "$portable" "$log"

# The installer and its uninstaller are 32-bit programs whatever the package's architecture (NSIS has only
# 32-bit stubs). Where 32-bit programs are only emulated, each of their starts takes tens of seconds and
# the waits below are made for real starts: the silent install and uninstall run only where they run
# natively.
if [ "${QUILLMAR_I386_MODE:-native}" != native ]; then
    echo "installer $arch: the silent install and uninstall are skipped: setup.exe and Uninstall.exe are" \
         "32-bit programs, which this machine runs only under emulation (QUILLMAR_I386_MODE=$QUILLMAR_I386_MODE)"
    [ "$failures" -eq 0 ]
    exit
fi

dir=$PWD/build/installer-test-$arch
rm -rf "$dir"
appdata=$("$wine" winepath -u "$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
shortcut="$appdata/Microsoft/Windows/Start Menu/Programs/Quillmar/Quillmar.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmar'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\VB and VBA Program Settings\QUILLMAR\settings'

"$wine" "$setup" /S "/D=$("$wine" winepath -w "$dir")" >/dev/null 2>&1
check "the installer puts Quillmar.exe, the skins, the README, the licence and the uninstaller in place" \
    test -f "$dir/Quillmar.exe" -a -f "$dir/skins/Daylight/Daylight.QSK" -a -f "$dir/README.txt" \
    -a -f "$dir/LICENSE.txt" -a -f "$dir/quillmar-service.exe" -a -f "$dir/Uninstall.exe"
check "the installer makes the Start-menu entry" test -f "$shortcut"
check "the installer registers the uninstaller" has_key "$uninstall_key" UninstallString

# What the user's use leaves: the settings dialog's Run value, a setting, a skin of their own, and the
# installed copy running in the tray.
"$wine" reg add "$run_key" /v QUILLMAR /d "\"$("$wine" winepath -w "$dir/Quillmar.exe")\"" /f >/dev/null 2>&1
"$wine" reg add "$settings_key" /v loadwin /d true /f >/dev/null 2>&1
mkdir -p "$dir/skins/Mine" && printf '[Skin]\r\ntitle=Mine\r\n' >"$dir/skins/Mine/Mine.QSK"
starts() { probe start "$("$wine" winepath -w "$dir/Quillmar.exe")" >/dev/null; }
check "the installed copy starts" starts

"$wine" "$dir/Uninstall.exe" /S >/dev/null 2>&1
# The uninstaller runs on from a copy in the temporary folder; its last step removes the uninstall entry.
for _ in $(seq 150); do lacks_key "$uninstall_key" && break; sleep 0.1; done
check "the uninstaller ends the running copy" probe gone 3000
check "the uninstaller removes the uninstall entry" lacks_key "$uninstall_key"
left=$(cd "$dir" 2>/dev/null && find . -type f | sort | paste -sd ' ')
echo "  left in the program's folder: ${left:-nothing}"
check "the uninstaller removes the program's files and keeps the skin the user added" \
    test "$left" = "./skins/Mine/Mine.QSK"
check "the uninstaller removes the Start-menu entry" test ! -e "$(dirname "$shortcut")"
check "the uninstaller removes the Run value" lacks_key "$run_key" QUILLMAR
check "a silent uninstall keeps the settings" has_key "$settings_key" loadwin

# A service the user started from the program's folder keeps its file open: the uninstall must not
# claim to be done, and must leave itself in place for a second run once the service is stopped.
rm -rf "$dir"
"$wine" "$setup" /S "/D=$("$wine" winepath -w "$dir")" >/dev/null 2>&1
log=$dir.service.log
"$wine" "$dir/quillmar-service.exe" --listen 127.0.0.1:0 >"$log" 2>&1 &
launcher=$!
for _ in $(seq 150); do grep -q "listening on" "$log" && break; sleep 0.1; done
installed_pids() { ps -eo pid=,args= | grep -F "installer-test-$arch" | grep -F quillmar-service.exe | grep -v grep | awk '{print $1}'; }
# The uninstaller runs on as Un.exe from a temporary folder, told where the program is with _?=, and
# may not be seen at once.
uninstall_runs() { ps -eo stat=,args= | grep -v '^Z' | grep -qF 'Un.exe /S _?='; }
"$wine" "$dir/Uninstall.exe" /S >/dev/null 2>&1
# Started is not yet seen: the README going shows it at work, then it must have ended.
for _ in $(seq 150); do [ ! -e "$dir/README.txt" ] && ! uninstall_runs && break; sleep 0.1; done
check "with the service running, the uninstaller leaves itself and its entry for a second run" \
    test -f "$dir/Uninstall.exe" -a -f "$dir/quillmar-service.exe" -a ! -f "$dir/README.txt"
check "and keeps its uninstall entry" has_key "$uninstall_key" UninstallString
pids=$(installed_pids)
[ -n "$pids" ] && kill -KILL $pids
kill "$launcher" 2>/dev/null
wait "$launcher" 2>/dev/null
"$wine" "$dir/Uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 150); do lacks_key "$uninstall_key" && break; sleep 0.1; done
left=$(cd "$dir" 2>/dev/null && find . -type f | sort | paste -sd ' ')
check "once it is stopped, a second uninstall removes the rest" test -z "$left" -a "$(lacks_key "$uninstall_key" && echo gone)" = gone
rm -f "$log"
"$wine" reg delete "${settings_key%\\settings}" /f >/dev/null 2>&1
rm -rf "$dir"
[ "$failures" -eq 0 ]

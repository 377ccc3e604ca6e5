#!/usr/bin/env bash
# End-to-end: quillmar-service, Quillmar.exe and the demo chat, all real, driven by real keys and clicks.
# One session of the program goes through a translation in the starting pair, a pair chosen from the
# options menu, a translation with the service stopped, and Exit from the tray menu.
# Usage: bash tests/e2e/e2e-test.sh i686|x86_64   (builds what it needs; uses a running Wine session or
# starts one on a free display)
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/e2e-lib.sh
arch=${1:?usage: e2e-test.sh i686|x86_64}
E2E_NAME="e2e $arch"
started=$(date +%s)

e2e_build "$arch" || { echo "e2e $arch: build failed" >&2; exit 1; }
# The companion pass needs the service's Windows build beside the program, as the zip lays them out.
cmake --build "build/$arch" -j "${QUILLMAR_JOBS:-$(nproc)}" --target quillmar-service >/dev/null ||
    { echo "e2e $arch: the service's Windows build failed" >&2; exit 1; }
e2e_use "$arch"
cp "$e2e_dir/service/quillmar-service.exe" "$(dirname "$e2e_exe")/"
[ -n "${QUILLMAR_DISPLAY:-}" ] || QUILLMAR_DISPLAY=$(e2e_free_display)
export QUILLMAR_DISPLAY
source scripts/wine-env.sh
own_session=""
if ! xdotool getdisplaygeometry >/dev/null 2>&1; then own_session=1; fi
out=build/$arch/e2e-results
mkdir -p "$out"
finish() {
    e2e_end
    e2e_forget_settings
    e2e_service_stop
    if [ -n "$own_session" ]; then wine_session_stop; fi
}
trap finish EXIT
wine_session_start

failures=0
check() {  # $1: what; the rest: a command that succeeds when it holds
    local what=$1
    shift
    if "$@"; then echo "ok - $what"; else echo "not ok - $what"; failures=$((failures + 1)); fi
}
last_pair() { e2e_service_requests | tail -n 1 | awk '{print $3}'; }
# The status window's top edge on the toolbar's bottom edge, and within the toolbar's width.
under_toolbar() {
    local _ sl st sr _b tl _t tr tb
    read -r _ sl st sr _b < <(grep '^shown' "$1") || return 1
    read -r _ tl _t tr tb < <(grep '^toolbar' "$1") || return 1
    [ "$st" -eq "$tb" ] && [ "$sl" -ge "$tl" ] && [ "$sr" -le "$tr" ]
}
# The close interval as the probe could bound it (its shortest and longest): it must overlap the bounds,
# and be known to within 50 ms, or a busy machine tells nothing.
closed_after_success_within() {  # $1: watch file, $2 $3: bounds in ms
    local shortest longest
    read -r shortest longest < <(sed -n 's/^closed \([0-9]*\)-\([0-9]*\) ms after "Operation Successfull !"$/\1 \2/p' "$1")
    echo "  status closed ${shortest:-never}-${longest:-never} ms after success"
    [ -n "$shortest" ] && [ "$longest" -ge "$2" ] && [ "$shortest" -le "$3" ] && [ $((longest - shortest)) -le 50 ]
}

e2e_service_start "$out/service.log" || exit 1
e2e_forget_settings
e2e_start || exit 1

# The starting pair.
first="Good morning, how are you?"
e2e_type "$first"
e2e_translate "$out/first.txt"
e2e_translate_wait
translated=$(e2e_chat_text)
echo "  \"$first\" -> \"$translated\""
check "a translation replaces the chat text" test -n "$translated" -a "$translated" != "$first"
check "the service received the starting pair, English to French" test "$(last_pair)" = en_fr
check "the status window appears under the toolbar" under_toolbar "$out/first.txt"
check "the status window closes 700-800 ms after success" closed_after_success_within "$out/first.txt" 700 800

# A pair chosen from the options menu.
e2e_send
second="I will send the documents tomorrow."
e2e_type "$second"
e2e_open_options && e2e_choose_pair "English to Spanish"
e2e_translate "$out/second.txt"
e2e_translate_wait
translated=$(e2e_chat_text)
echo "  \"$second\" -> \"$translated\""
check "choosing English to Spanish sends its pair code to the service" test "$(last_pair)" = en_es
check "the chosen pair's translation replaces the chat text" test -n "$translated" -a "$translated" != "$second"

# The service stopped.
e2e_service_stop
e2e_send
third="Is anybody there?"
e2e_type "$third"
e2e_translate "$out/third.txt" 2500
e2e_translate_wait
check "with the service stopped the chat text is untouched" test "$(e2e_chat_text)" = "$third"
check "with the service stopped the status reads \"Erros Occured ...\"" \
    grep -qx 'open "Erros Occured ..."' "$out/third.txt"
# The connection's own error display names the failure; its OK closes it and gives the chat its toolbar back.
error_box() { e2e_probe list | grep -A3 '^#32770 "QUILLMAR" visible' | grep -q '"Connection refused."'; }
check "with the service stopped a message box says \"Connection refused.\"" error_box
e2e_click child QUILLMAR OK
sleep 0.3
no_error_box() { ! error_box; }
check "the message box's OK closes it" no_error_box

# A sample skin from the options menu: the first row of "Select a Skin" (all rows are sample skins here).
check "the toolbar is back on the chat window after the message box" e2e_toolbar
e2e_shot "$out/toolbar-before-skin.png" "$e2e_tb_l" "$e2e_tb_t" "$e2e_tb_r" "$e2e_tb_b" 0
e2e_open_options && e2e_choose_skin 1
e2e_shot "$out/toolbar-after-skin.png" "$e2e_tb_l" "$e2e_tb_t" "$e2e_tb_r" "$e2e_tb_b" 0
changed=$(compare -metric AE "$out/toolbar-before-skin.png" "$out/toolbar-after-skin.png" null: 2>&1 || true)
echo "  $changed of $(((e2e_tb_r - e2e_tb_l) * (e2e_tb_b - e2e_tb_t))) toolbar pixels changed with the skin"
check "choosing a sample skin changes the toolbar's pixels" test "${changed%%.*}" -gt 100 2>/dev/null

ended=$(e2e_exit)
echo "  $ended"
check "the tray menu's Exit ends the program" test "${ended%% *}" = ended

# The companion: with "built-in" stored the program starts quillmar-service.exe from its own folder and
# translates through it with the phrase book; Exit ends both.
reg_settings='HKCU\Software\VB and VBA Program Settings\QUILLMAR\settings'
scripts/wine.sh reg add "$reg_settings" /v ServiceAddress /d built-in /f >/dev/null 2>&1
scripts/wine.sh reg add "$reg_settings" /v Engines /d phrasebook /f >/dev/null 2>&1
companion_exe="$(scripts/wine.sh winepath -w "$(dirname "$e2e_exe")" 2>/dev/null | tr -d '\r')\quillmar-service.exe"
# Wine shows a Windows program's own path first on its command line.
companions() { ps -eo args= | p="$companion_exe" awk 'index($0, ENVIRON["p"]) == 1' | wc -l; }
e2e_probe start "$(scripts/wine.sh winepath -w "$e2e_exe" 2>/dev/null)" >/dev/null
e2e_focus_desktop
e2e_send
e2e_type "thank you very much, my friend!"
e2e_translate "$out/companion.txt"
e2e_translate_wait
translated=$(e2e_chat_text)
echo "  companion: \"thank you very much, my friend!\" -> \"$translated\""
check "through the companion the phrase book's translation replaces the chat text" \
    test "$translated" = "muchas gracias, mi amigo!"  # in English to Spanish, the pair chosen above
check "a companion runs beside the program" test "$(companions)" -ge 1
ended=$(e2e_exit)
sleep 2
check "Exit ends the program and its companion" test "${ended%% *}" = ended -a "$(companions)" = 0

echo "e2e $arch: $failures failed, $(($(date +%s) - started)) s"
[ "$failures" -eq 0 ]

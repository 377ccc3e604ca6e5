#!/usr/bin/env bash
# The main command: builds what it needs, starts quillmar-service (Apertium) on loopback, then the real
# Quillmar.exe beside a demo chat window under Wine.
#  - With DISPLAY set, the programs appear there and run until Quillmar is ended from its tray menu.
#  - Without (or with QUILLMAR_HEADLESS=1) it starts its own X server and shows the work itself: types a
#    message with real keys, chooses "English to Spanish" from the options menu, clicks TRANSLATE with
#    the real mouse, prints the text before and after, saves screenshots in build/screenshots/, and ends
#    the program through the tray menu's Exit. Exits non-zero when any step fails.
# Usage: bash scripts/run.sh [MESSAGE]      QUILLMAR_ARCH=i686|x86_64 chooses the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null
source scripts/e2e-lib.sh
E2E_NAME=run
message=${1:-"Good morning, how are you?"}

arch=${QUILLMAR_ARCH:-$(e2e_default_arch)}
if [ -z "${QUILLMAR_ARCH:-}" ] && [ "$arch" = x86_64 ]; then
    e2e_say "this machine cannot run 32-bit programs natively: running the 64-bit Quillmar.exe"
fi
e2e_say "building quillmar-service and the $arch Quillmar.exe (asking 127.0.0.1:$QUILLMAR_E2E_PORT)"
e2e_build "$arch"
e2e_use "$arch"

headless=${QUILLMAR_HEADLESS:-}
if [ -z "${DISPLAY:-}" ]; then headless=1; fi
if [ -n "$headless" ]; then
    QUILLMAR_DISPLAY=$(e2e_free_display)
else
    QUILLMAR_DISPLAY=$DISPLAY
fi
export QUILLMAR_DISPLAY
source scripts/wine-env.sh
mkdir -p build/screenshots
cleanup() {
    e2e_service_stop
    wine_session_stop
}
trap cleanup EXIT
wine_session_start
e2e_service_start build/screenshots/service.log
e2e_say "$(head -n 1 build/screenshots/service.log)"
e2e_start
e2e_say "Quillmar.exe started: $e2e_start_timing"

if [ -z "$headless" ]; then
    e2e_say "the chat window is on $DISPLAY with the toolbar on its title bar; type, translate, try the options"
    e2e_say "menu and the tray icon; end Quillmar from its tray menu's Exit to finish"
    until e2e_probe gone 600000 >/dev/null; do :; done
    exit 0
fi

e2e_type "$message"
before=$(e2e_chat_text)
echo "before: $before"
e2e_toolbar
e2e_shot build/screenshots/toolbar.png "$e2e_tb_l" "$e2e_tb_t" "$e2e_tb_r" "$e2e_tb_b"
e2e_open_options
e2e_shot build/screenshots/options-menu.png "$e2e_tb_l" "$e2e_tb_t" "$e2e_menu_r" "$e2e_menu_b"
e2e_choose_pair "English to Spanish"

watch=build/screenshots/status.txt
e2e_translate "$watch"
for _ in $(seq 200); do e2e_watched; grep -q '^shown' "$watch" && break; sleep 0.02; done
if read -r _ sl st sr sb < <(grep '^shown' "$watch"); then
    sleep 0.15  # shown, then painted
    e2e_shot build/screenshots/status.png "$sl" "$st" "$sr" "$sb"
fi
e2e_translate_wait || true
after=$(e2e_chat_text)
echo "after:  $after"
e2e_shot build/screenshots/chat.png "$e2e_chat_l" "$e2e_chat_t" "$e2e_chat_r" "$e2e_chat_b"
e2e_say "status window: $(paste -sd ';' "$watch")"
e2e_say "service: $(e2e_service_requests | tail -n 1)"

failed=0
if [ "$after" = "$before" ] || [ -z "$after" ]; then e2e_fail "the chat text was not translated" || failed=1; fi
grep -q '^shown' "$watch" || { e2e_fail "the status window never showed" || failed=1; }
e2e_service_requests | grep -q ' en_es 200 ' || { e2e_fail "the service got no English to Spanish request" || failed=1; }
if ended=$(e2e_exit); then
    e2e_say "tray menu Exit: Quillmar.exe $ended"
else
    e2e_fail "Exit from the tray menu did not end Quillmar.exe ($ended)" || failed=1
fi
e2e_say "screenshots: $(ls build/screenshots/*.png | paste -sd ' ')"
exit "$failed"

#!/usr/bin/env bash
# Draws the README's pictures of the program into docs/: the toolbar on a chat window, the options menu, the
# settings dialog, the skin designer, the about box and the toolbar in each sample skin. Runs the real
# Quillmar.exe under Wine on a display of its own, with real keys and clicks.
# Usage: bash scripts/docs-screenshots.sh        QUILLMAR_ARCH=i686|x86_64 chooses the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null
source scripts/e2e-lib.sh
E2E_NAME=docs
arch=${QUILLMAR_ARCH:-$(e2e_default_arch)}
e2e_build "$arch"
e2e_use "$arch"
QUILLMAR_DISPLAY=$(e2e_free_display)
export QUILLMAR_DISPLAY
source scripts/wine-env.sh
trap 'e2e_end; e2e_forget_settings; e2e_service_stop; wine_session_stop' EXIT
wine_session_start
trap 'import -window root build/docs-failure.png; e2e_fail "what the screen showed: build/docs-failure.png"' ERR
mkdir -p docs
e2e_service_start build/docs-service.log
e2e_forget_settings
e2e_start
e2e_type "Good morning, how are you?"

# The chat window's top part: its title bar with the toolbar, and the box beneath.
chat_top() { e2e_shot "docs/$1.png" "$e2e_chat_l" "$e2e_chat_t" "$e2e_chat_r" "$((e2e_chat_t + ${2:-90}))" 0; }
# A whole visible window found by its title.
window_shot() {
    local l t r b
    read -r l t r b < <(e2e_probe rect window "$2") || { e2e_fail "no window \"$2\""; return 1; }
    sleep 0.3  # found, then painted
    e2e_shot "docs/$1.png" "$l" "$t" "$r" "$b" 0
}
# A click on the close box at the right end of the window's title bar.
close_box() {
    local l t r b
    read -r l t r b < <(e2e_probe rect window "$1") || return 1
    xdotool mousemove $((r - 13)) $((t + 12)) click 1
    sleep 0.4
    if e2e_probe list | grep -qF "\"$1\" visible"; then e2e_fail "\"$1\" did not close"; return 1; fi
}
tray_item() {  # $1: how many Down presses choose the item in the tray menu
    e2e_probe tray-menu
    sleep 0.2
    e2e_focus_desktop
    local _
    for _ in $(seq "$1"); do xdotool key Down; sleep 0.03; done
    xdotool key Return
}

e2e_toolbar
e2e_translate build/docs-status.txt
e2e_translate_wait
chat_top toolbar-on-chat "$((e2e_chat_b - e2e_chat_t))"
e2e_open_options
e2e_shot docs/options-menu.png "$e2e_chat_l" "$e2e_chat_t" "$((e2e_menu_r > e2e_chat_r ? e2e_menu_r + 4 : e2e_chat_r))" \
    "$((e2e_menu_b > e2e_chat_b ? e2e_menu_b + 4 : e2e_chat_b))" 0
e2e_focus_desktop
xdotool key Escape
sleep 0.3

tray_item 2  # &Settings
window_shot settings "QUILLMAR SETTINGS"
close_box "QUILLMAR SETTINGS"

e2e_open_options
e2e_focus_desktop
xdotool key Down Down Down Return  # Skin designer
window_shot skin-designer "SKIN DESIGNER"
close_box "SKIN DESIGNER"

tray_item 1  # &About
about=$(e2e_probe list | sed -n 's/^[^ ]* "\(.*About.*\)" visible$/\1/p' | head -n 1)
window_shot about "$about"
close_box "$about"

# Each row of "Select a Skin" (one per sample skin), named by the skin the program then stores.
stored_skin() {
    "$e2e_root/scripts/wine.sh" reg query 'HKCU\Software\VB and VBA Program Settings\QUILLMAR\settings' \
        /v CurrentSkin 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'
}
rows=$(find "$(dirname "$e2e_exe")/skins" -mindepth 1 -maxdepth 1 -type d | wc -l)
for row in $(seq "$rows"); do
    e2e_open_options
    e2e_choose_skin "$row"
    e2e_toolbar
    chat_top "skin-$(stored_skin | tr '[:upper:] ' '[:lower:]-')" 40
done
e2e_say "pictures: $(ls docs/*.png | paste -sd ' ')"

# Sourced: runs the real thing together under Wine - quillmar-service on loopback, Quillmar.exe, the demo
# chat - and drives it with real input (xdotool), reading results with QuillmarProbe.exe. Used by the
# README's main command, the end-to-end tests and the figures script.
e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The program finds its service at build time; the end-to-end builds ask this loopback port.
: "${QUILLMAR_E2E_PORT:=18431}"
e2e_chat_title="Alice - Send Message"
# Menu items that can be chosen before the first pair: settings, translation service, skin designer, skin
# list, more skins.
e2e_items_before_pairs=5
# The pairs as the options menu lists them (separators cannot be chosen and are left out).
e2e_pairs=("English to French" "English to German" "English to Italian" "English to Portuguese"
    "English to Spanish" "French to English" "German to English" "Italian to English" "Portuguese to English"
    "Russian to English" "Spanish to English" "French to German" "German to French")

e2e_say() { echo "${E2E_NAME:-e2e}: $*"; }
e2e_fail() { echo "${E2E_NAME:-e2e}: $*" >&2; return 1; }

# The architecture to show: i686 where this machine runs 32-bit programs natively, else x86_64.
e2e_default_arch() {
    source "$e2e_root/scripts/arch-probe.sh"
    if [ "$(quillmar_i386_mode)" = native ]; then echo i686; else echo x86_64; fi
}

# A display nobody uses (QUILLMAR_DISPLAY when set); :99 is left to CI's own server.
e2e_free_display() {
    if [ -n "${QUILLMAR_DISPLAY:-}" ]; then echo "$QUILLMAR_DISPLAY"; return; fi
    local n
    for n in $(seq 90 140); do
        [ "$n" = 99 ] && continue
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then echo ":$n"; return; fi
    done
    return 1
}

# Builds the service natively and, in the Windows build build/ARCH, e2e/Quillmar.exe (the program asking
# the loopback port), the demo chat and the probe. Only the program's address-holding sources are
# compiled for it; the rest is what build/ARCH already built.
e2e_build() {  # $1: i686 | x86_64
    local arch=$1 jobs=${QUILLMAR_JOBS:-$(nproc)}
    cmake --preset native -S "$e2e_root" >/dev/null
    cmake --build "$e2e_root/build/native" -j "$jobs" --target quillmar-service >/dev/null
    cmake --preset "mingw-$arch" -S "$e2e_root" -DQUILLMAR_E2E_SERVICE_HOST="127.0.0.1:$QUILLMAR_E2E_PORT" >/dev/null
    cmake --build "$e2e_root/build/$arch" -j "$jobs" --target QuillmarE2E DemoChat QuillmarProbe >/dev/null
}

e2e_use() {  # $1: i686 | x86_64 - the build the following calls run
    e2e_arch=$1
    e2e_dir=$e2e_root/build/$1
    e2e_exe=$e2e_dir/src/win32/e2e/Quillmar.exe
}

# Runs a QuillmarProbe command: its results on stdout, its own complaints ("probe: ...") on stderr, Wine's
# chatter dropped. Output goes through files: Wine's helpers would keep an inherited pipe open.
e2e_probe() {
    local out rc
    out=$(mktemp)
    "$e2e_root/scripts/wine.sh" "$e2e_dir/tools/QuillmarProbe.exe" "$@" >"$out" 2>"$out.err" </dev/null
    rc=$?
    tr -d '\r' <"$out"
    tr -d '\r' <"$out.err" | grep '^probe:' >&2 || true
    rm -f "$out" "$out.err"
    return "$rc"
}

# Starts quillmar-service on the loopback port; its request log (one line per request) goes to $1.
e2e_service_start() {
    e2e_service_log=$1
    : >"$e2e_service_log"
    "$e2e_root/build/native/service/quillmar-service" --listen "127.0.0.1:$QUILLMAR_E2E_PORT" \
        --engine "${QUILLMAR_E2E_ENGINE:-apertium}" 2>>"$e2e_service_log" &
    e2e_service_pid=$!
    local _
    for _ in $(seq 300); do
        grep -q "listening on" "$e2e_service_log" && return 0
        kill -0 "$e2e_service_pid" 2>/dev/null || break
        sleep 0.05
    done
    cat "$e2e_service_log" >&2
    e2e_fail "quillmar-service did not start on 127.0.0.1:$QUILLMAR_E2E_PORT"
}

e2e_service_stop() {
    [ -n "${e2e_service_pid:-}" ] || return 0
    kill "$e2e_service_pid" 2>/dev/null || true
    wait "$e2e_service_pid" 2>/dev/null || true
    e2e_service_pid=""
}

# The request lines the service logged since the start ("GET /path PAIR STATUS N ms").
e2e_service_requests() { grep -v "^quillmar-service:" "$e2e_service_log" || true; }

# Starts the chat window and the program, as a user would: chat first, then Quillmar.
e2e_start() {
    setsid "$e2e_root/scripts/wine.sh" "$e2e_dir/tools/DemoChat.exe" "$e2e_chat_title" 150 120 \
        >/dev/null 2>&1 </dev/null &
    read -r e2e_chat_l e2e_chat_t e2e_chat_r e2e_chat_b < <(e2e_probe rect window "$e2e_chat_title") ||
        { e2e_fail "the chat window did not open"; return 1; }
    e2e_start_timing=$(e2e_probe start "$("$e2e_root/scripts/wine.sh" winepath -w "$e2e_exe" 2>/dev/null)") ||
        { e2e_fail "Quillmar.exe did not start: $e2e_start_timing"; return 1; }
    e2e_focus_desktop
}

# Keys go to the window Wine's desktop has in front only while the desktop's own X window holds the X
# focus; Wine hands that focus to other X windows as windows activate.
e2e_focus_desktop() {
    xdotool windowfocus "$(xdotool search --name 'Wine desktop' | head -n 1)" 2>/dev/null || true
}

# Clicks into the chat's message box and types $1 with real keys.
e2e_type() {
    xdotool mousemove $((e2e_chat_l + 100)) $((e2e_chat_b - 30)) click 1
    sleep 0.3
    e2e_focus_desktop
    xdotool type --delay 20 "$1"
}

# Enter sends the message to the history, leaving the message box empty.
e2e_send() {
    xdotool mousemove $((e2e_chat_l + 100)) $((e2e_chat_b - 30)) click 1
    sleep 0.3
    e2e_focus_desktop
    xdotool key Return
    sleep 0.3
}

e2e_chat_text() { e2e_probe text "$e2e_chat_title"; }

# The toolbar's rectangle once it is on the screen over the chat's title bar.
e2e_toolbar() {
    read -r e2e_tb_l e2e_tb_t e2e_tb_r e2e_tb_b < <(e2e_probe rect toolbar) ||
        { e2e_fail "the toolbar did not show on the chat window"; return 1; }
}

# Opens the options menu with a click on its button (the toolbar's right end).
e2e_open_options() {
    e2e_toolbar || return 1
    xdotool mousemove $((e2e_tb_r - 8)) $((e2e_tb_t + 7)) click 1
    read -r e2e_menu_l e2e_menu_t e2e_menu_r e2e_menu_b < <(e2e_probe rect menu) ||
        { e2e_fail "the options menu did not open"; return 1; }
}

# Chooses a pair ("English to Spanish") from the open options menu with the arrow keys and Enter, then
# moves the pointer off the toolbar as a hand would.
e2e_choose_pair() {
    local i index=-1
    for i in "${!e2e_pairs[@]}"; do [ "${e2e_pairs[$i]}" = "$1" ] && index=$i; done
    [ "$index" -ge 0 ] || { e2e_fail "no pair \"$1\" in the options menu"; return 1; }
    e2e_focus_desktop
    for i in $(seq $((e2e_items_before_pairs + index + 1))); do xdotool key Down; sleep 0.03; done
    xdotool key Return
    xdotool mousemove $((e2e_chat_l + 100)) $((e2e_chat_t + 100))
    sleep 0.4
}

# Chooses row $1 (1 = the first) of "Select a Skin" in the open options menu with the arrow keys and Enter.
e2e_choose_skin() {
    local i
    e2e_focus_desktop
    for i in $(seq 4); do xdotool key Down; sleep 0.03; done  # "Select a Skin"
    xdotool key Right
    sleep 0.1
    for i in $(seq $(($1 - 1))); do xdotool key Down; sleep 0.03; done
    xdotool key Return
    xdotool mousemove $((e2e_chat_l + 100)) $((e2e_chat_t + 100))
    sleep 0.4
}

# The stored skin, taken away so the next start shows the built-in one.
# The stored skin and the pairs remembered per chat, taken away so the next start shows the built-in skin
# and the starting pair.
e2e_forget_settings() {
    local value
    for value in CurrentSkin ChatPairs ServiceAddress Engines; do
        "$e2e_root/scripts/wine.sh" reg delete 'HKCU\Software\VB and VBA Program Settings\QUILLMAR\settings' \
            /v "$value" /f >/dev/null 2>&1 || true
    done
}

# Clicks TRANSLATE with the real mouse while QuillmarProbe follows the status window into $1 (for at most
# $2 ms).
e2e_translate() {
    e2e_toolbar || return 1
    e2e_watch_file=$1
    : >"$1"
    "$e2e_root/scripts/wine.sh" "$e2e_dir/tools/QuillmarProbe.exe" watch-status "${2:-8000}" \
        >"$1.raw" 2>/dev/null </dev/null &
    e2e_watch_pid=$!
    local _
    for _ in $(seq 500); do grep -q '^watching' "$1.raw" 2>/dev/null && break; sleep 0.02; done
    xdotool mousemove $((e2e_tb_l + 20)) $((e2e_tb_t + 7)) click 1
}
# What the watch saw so far (the whole of it once e2e_translate_wait has returned), without Windows line ends.
e2e_watched() { tr -d '\r' <"$e2e_watch_file.raw" | grep -v '^watching' >"$e2e_watch_file"; }
e2e_translate_wait() {
    local rc=0
    wait "$e2e_watch_pid" || rc=$?
    e2e_watched
    rm -f "$e2e_watch_file.raw"
    return "$rc"
}

# A real click in the middle of the visible window or control that `QuillmarProbe rect` finds for $@.
e2e_click() {
    local l t r b
    read -r l t r b < <(e2e_probe rect "$@") || { e2e_fail "nothing to click: $*"; return 1; }
    xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}

# Saves the screen area l t r b (with a margin) as $1.
e2e_shot() {
    local file=$1 l=$2 t=$3 r=$4 b=$5 m=${6:-4}
    mkdir -p "$(dirname "$file")"
    import -window root -crop "$((r - l + 2 * m))x$((b - t + 2 * m))+$((l - m))+$((t - m))" +repage "$file"
}

# Exit from the tray menu: the icon's right-button release opens it, Up and Enter choose its last item.
e2e_exit() {
    e2e_probe tray-menu || return 1
    sleep 0.2
    e2e_focus_desktop
    xdotool key Up
    sleep 0.1
    xdotool key Return
    e2e_probe gone 5000
}

# Leaves the desktop as it was: the chat closed, no Quillmar.exe left running.
e2e_end() { e2e_probe end "$e2e_chat_title" >/dev/null 2>&1 || true; }

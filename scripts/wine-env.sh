# Sourced: a headless Wine session for this checkout (Xvfb, a prefix under build/, a kept-alive server).
# Call wine_session_start once; wine_session_stop ends it (set as an EXIT trap by the caller).
root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root_dir/scripts/arch-probe.sh"
# Probed once per session; scripts/wine.sh picks each program's loader from it.
: "${QUILLMAR_I386_MODE:=$(quillmar_i386_mode)}"
export QUILLMAR_I386_MODE
if [ "$QUILLMAR_I386_MODE" != native ]; then export WINELOADER=/usr/lib/wine/wine64; fi
export WINEPREFIX="${QUILLMAR_WINEPREFIX:-$root_dir/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
: "${QUILLMAR_DISPLAY:=:99}"
export DISPLAY=$QUILLMAR_DISPLAY

wine_session_start() {
    if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
        # A server killed without warning leaves its lock and socket behind, and a new one refuses to start.
        rm -f "/tmp/.X${DISPLAY#:}-lock" "/tmp/.X11-unix/X${DISPLAY#:}"
        setsid Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        QUILLMAR_XVFB_PID=$!
        for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$root_dir/scripts/wine.sh" wineboot -i >/dev/null 2>&1
        # A virtual desktop: without a window manager, destroying a visible window blocks for seconds.
        "$root_dir/scripts/wine.sh" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        "$root_dir/scripts/wine.sh" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        wineserver -k 2>/dev/null || true  # restart so the virtual desktop applies
    fi
    wineserver -p 2>/dev/null || true  # keep one server alive; fails harmlessly if one runs already
}

wine_session_stop() {
    wineserver -k 2>/dev/null || true
    if [ -n "${QUILLMAR_XVFB_PID:-}" ]; then kill "$QUILLMAR_XVFB_PID" 2>/dev/null || true; fi
}

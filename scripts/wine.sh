#!/usr/bin/env bash
# Runs a Windows program (or a Wine builtin such as wineboot or reg) with the loader this machine can use:
# Debian's wine script where 32-bit programs run natively, else wine64 for 64-bit programs and builtins,
# and the 32-bit loader (under emulation) for 32-bit ones.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/arch-probe.sh"
: "${QUILLMAR_I386_MODE:=$(quillmar_i386_mode)}"
export QUILLMAR_I386_MODE

# PE machine field: 014c i386, 8664 x86_64; builtins and unreadable files count as 64-bit.
pe_arch() {
    [ -f "$1" ] || { echo x86_64; return; }
    local peoff machine
    peoff=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    machine=$(od -An -tx2 -j$((${peoff:-0} + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    [ "$machine" = 014c ] && echo i686 || echo x86_64
}

if [ "$QUILLMAR_I386_MODE" = native ]; then exec wine "$@"; fi
export WINELOADER=/usr/lib/wine/wine64
exec "$(quillmar_wine_loader "$(pe_arch "${1:-}")")" "$@"

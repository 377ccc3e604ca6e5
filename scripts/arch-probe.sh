# Sourced: can this machine run 32-bit (i386) Linux programs, and how?
#   native    the kernel runs them itself: Wine's 32-bit loader works at full speed
#   emulated  only through a qemu-i386 binfmt_misc handler: correct, but each process takes ~40 s to start
#   none      not at all: Debian's /usr/bin/wine fails for every program, 64-bit ones too
# QUILLMAR_I386=native|emulated|none forces the answer (to try the other paths on any machine).

# A 96-byte static i386 ELF that exits with status 42, so nothing else can pass for it.
quillmar_write_i386_probe() {
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'                 >"$1"
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'       >>"$1"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x28\x00'       >>"$1"
    printf '\x00\x00\x00\x00'                                                         >>"$1"
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'       >>"$1"
    printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'       >>"$1"
    printf '\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'                         >>"$1"
    chmod +x "$1"
}

# True when an enabled binfmt_misc handler claims i386 ELF files: the kernel hands them to it first,
# native support or not.
quillmar_i386_handler_active() {
    local dir=/proc/sys/fs/binfmt_misc entry
    [ "$(cat "$dir/status" 2>/dev/null)" = enabled ] || return 1
    for entry in "$dir"/*; do
        case "${entry##*/}" in register | status) continue ;; esac
        grep -qx enabled "$entry" 2>/dev/null || continue
        grep -q '^magic 7f454c460101010000000000000000000200030' "$entry" 2>/dev/null && return 0
    done
    return 1
}

# Prints native, emulated or none.
quillmar_i386_mode() {
    case "${QUILLMAR_I386:-}" in
        native | emulated | none) echo "$QUILLMAR_I386"; return ;;
        "") ;;
        *) echo "arch-probe: QUILLMAR_I386 must be native, emulated or none" >&2; return 2 ;;
    esac
    local probe rc
    probe=$(mktemp)
    quillmar_write_i386_probe "$probe"
    rc=0; timeout 120 "$probe" 2>/dev/null || rc=$?
    rm -f "$probe"
    if [ "$rc" -ne 42 ]; then echo none
    elif quillmar_i386_handler_active; then echo emulated
    else echo native; fi
}

# Registers Debian's static qemu-i386 (package qemu-user-static) for i386 ELF files. Debian registers
# every foreign architecture but i386 on amd64, so this does it the same way by hand. Root only.
quillmar_enable_i386_emulation() {
    local dir=/proc/sys/fs/binfmt_misc qemu=/usr/bin/qemu-i386-static
    [ -x "$qemu" ] || return 1
    if [ ! -e "$dir/register" ]; then mount -t binfmt_misc binfmt_misc "$dir" 2>/dev/null || return 1; fi
    [ -e "$dir/qemu-i386" ] && { echo 1 >"$dir/qemu-i386" 2>/dev/null || true; return 0; }
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    # F: the interpreter is opened now, so it works from any mount namespace later.
    echo ":qemu-i386:M::$magic:$mask:$qemu:F" >"$dir/register" 2>/dev/null
}

# Wine's loaders. Debian's /usr/bin/wine always starts the 32-bit one when wine32 is installed, so
# without native 32-bit support 64-bit programs must go straight to wine64.
quillmar_wine_loader() {  # $1: i686 | x86_64
    if [ "${QUILLMAR_I386_MODE:-native}" = native ]; then echo wine
    elif [ "$1" = x86_64 ]; then echo /usr/lib/wine/wine64
    else echo /usr/lib/wine/wine; fi
}

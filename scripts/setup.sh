#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12 (as root, or with sudo).
# Safe to run again: it only installs what is missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/arch-probe.sh"

packages=(
    cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
    libcpp-httplib-dev libasio-dev libcli11-dev nlohmann-json3-dev
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
    wine wine64 wine32:i386 fonts-wine xvfb xdotool imagemagick
    apertium apertium-eng-spa apertium-fr-es apertium-spa-ita apertium-es-pt cg3
    curl procps pkgconf wrk nginx nsis zip unzip
    clang libclang-rt-14-dev llvm
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# A kernel without 32-bit support runs 32-bit programs only through qemu; Debian does not register
# qemu-i386 on amd64, so it is registered here (forced answers are left alone).
mode=$(quillmar_i386_mode)
if [ "$mode" = none ] && [ -z "${QUILLMAR_I386:-}" ]; then
    if ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q "install ok installed"; then
        echo "setup: this kernel cannot run 32-bit programs; installing qemu-user-static to emulate them"
        $sudo apt-get update -q >/dev/null || true
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends qemu-user-static \
            || true
    fi
    $sudo bash -c "source '$here/arch-probe.sh'; quillmar_enable_i386_emulation" || true
    mode=$(quillmar_i386_mode)
fi
case "$mode" in
    native) echo "setup: 32-bit programs run natively" ;;
    emulated) echo "setup: 32-bit programs run only under qemu-i386 emulation (slow to start)" ;;
    none) echo "setup: 32-bit programs cannot run here, not even emulated" ;;
esac

#!/usr/bin/env bash
# Builds the packages into build/packages/: per Windows architecture a portable zip (Quillmar.exe, the
# service's Windows build quillmar-service.exe, skins\, the README and the licence) and a per-user installer
# of the same files, and a Linux tarball of quillmar-service with its systemd unit. Usage: bash packaging/package.sh [i686] [x86_64] [service]   (no argument: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n "s/^project(Quillmar VERSION \([0-9.]*\).*/\1/p" CMakeLists.txt)  # one version for the build and the packages
jobs=${QUILLMAR_JOBS:-$(nproc)}
out=build/packages
mkdir -p "$out"
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(i686 x86_64 service)

# Notepad wants CRLF line ends.
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

windows_packages() {  # $1: i686 | x86_64
    local arch=$1 stage=build/$1/stage
    cmake --preset "mingw-$arch" >/dev/null
    cmake --build --preset "mingw-$arch" -j "$jobs" --target Quillmar quillmar-service >/dev/null
    rm -rf "$stage"
    mkdir -p "$stage"
    cp "build/$arch/src/win32/Quillmar.exe" "build/$arch/service/quillmar-service.exe" "$stage/"
    "$arch-w64-mingw32-strip" "$stage/quillmar-service.exe"
    cp -r assets/skins "$stage/skins"
    crlf README.md "$stage/README.txt"
    crlf LICENSE "$stage/LICENSE.txt"
    # The uninstaller removes exactly these files, then the folders they leave empty (deepest first).
    local list=build/$arch/staged-files.nsh
    (cd "$stage" && find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|    Delete "$INSTDIR\\&"|') >"$list"
    (cd "$stage" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|    RMDir "$INSTDIR\\&"|') >>"$list"
    local zip=$PWD/$out/Quillmar-$version-$arch-portable.zip
    rm -f "$zip"
    (cd "$stage" && zip -qrX "$zip" .)
    makensis -V2 -DARCH="$arch" -DVERSION="$version" -DSTAGE="$PWD/$stage" -DSTAGED_FILES="$PWD/$list" \
        -DOUTFILE="$PWD/$out/Quillmar-$version-$arch-setup.exe" packaging/quillmar.nsi >/dev/null
    echo "package: $out/Quillmar-$version-$arch-portable.zip, $out/Quillmar-$version-$arch-setup.exe"
}

service_tarball() {
    cmake --preset native >/dev/null
    cmake --build --preset native -j "$jobs" --target quillmar-service >/dev/null
    local name=quillmar-service-$version
    local tree=build/native/$name
    rm -rf "$tree"
    mkdir -p "$tree/bin" "$tree/share"
    cp build/native/service/quillmar-service "$tree/bin/"
    strip "$tree/bin/quillmar-service"
    cp -r assets/skins "$tree/share/skins"
    cp packaging/quillmar-service.service LICENSE "$tree/"
    cp packaging/quillmar-service-README.md "$tree/README.md"
    cp service/README.md "$tree/quillmar-service.md"
    local tarball=$out/$name-linux-$(uname -m).tar.gz
    tar -C build/native --owner=0 --group=0 -czf "$tarball" "$name"
    echo "package: $tarball"
}

for part in "${parts[@]}"; do
    case "$part" in
        i686 | x86_64) windows_packages "$part" ;;
        service) service_tarball ;;
        *) echo "usage: package.sh [i686] [x86_64] [service]" >&2; exit 2 ;;
    esac
done

#!/usr/bin/env bash
# Builds the packages into build/packages/: per architecture a portable zip (Quillmar.exe, skins\, the
# README and the licence) and a per-user installer, and a Linux tarball of quillmar-service with its
# systemd unit. Usage: bash packaging/package.sh [i686] [x86_64]
set -euo pipefail
cd "$(dirname "$0")/.."
version=1.0.1
jobs=${QUILLMAR_JOBS:-$(nproc)}
out=build/packages
mkdir -p "$out"
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(i686 x86_64)

for arch in "${archs[@]}"; do
    cmake --preset "mingw-$arch" >/dev/null
    cmake --build --preset "mingw-$arch" -j "$jobs" --target Quillmar >/dev/null
    stage=build/$arch/stage
    rm -rf "$stage"
    mkdir -p "$stage"
    cp "build/$arch/src/win32/Quillmar.exe" "$stage/"
    cp -r assets/skins "$stage/skins"
    # Notepad wants CRLF line ends.
    sed 's/$/\r/' README.md >"$stage/README.txt"
    for licence in LICENCE LICENSE LICENCE.txt LICENSE.txt COPYING; do
        if [ -f "$licence" ]; then sed 's/$/\r/' "$licence" >"$stage/LICENCE.txt"; break; fi
    done
    [ -f "$stage/LICENCE.txt" ] || echo "package: no licence file in the repository; the packages go without one" >&2
    zip="$PWD/$out/Quillmar-$version-$arch-portable.zip"
    rm -f "$zip"
    (cd "$stage" && zip -qr "$zip" .)
    makensis -V2 -DARCH="$arch" -DSTAGE="$PWD/$stage" -DOUTFILE="$PWD/$out/Quillmar-$version-$arch-setup.exe" \
        packaging/quillmar.nsi >/dev/null
    echo "package: $out/Quillmar-$version-$arch-portable.zip, $out/Quillmar-$version-$arch-setup.exe"
done

cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target quillmar-service >/dev/null
tree=build/native/quillmar-service-$version
rm -rf "$tree"
mkdir -p "$tree/bin"
cp build/native/service/quillmar-service "$tree/bin/"
strip "$tree/bin/quillmar-service"
cp packaging/quillmar-service.service service/README.md "$tree/"
tar -C build/native -czf "$out/quillmar-service-$version-linux-$(uname -m).tar.gz" "quillmar-service-$version"
echo "package: $out/quillmar-service-$version-linux-$(uname -m).tar.gz"

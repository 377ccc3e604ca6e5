#!/usr/bin/env bash
# Every test: installs what is missing, builds natively and for Windows (32- and 64-bit), runs the native
# tests and the fuzz targets, then the Windows tests under Wine: the whole 64-bit suite, and for 32-bit the
# programs with the smoke set of what only a 32-bit build can break (tests/win32/i686-smoke.txt), run
# whole, then the end-to-end run and the packages. Where this machine cannot run 32-bit programs natively,
# the smoke set runs narrowed under emulation, or is skipped with one line saying so when even emulation
# is unavailable.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup.sh
source scripts/arch-probe.sh
QUILLMAR_I386_MODE=$(quillmar_i386_mode)
export QUILLMAR_I386_MODE
case "$QUILLMAR_I386_MODE" in
    native) echo "test: 32-bit programs run natively: the whole x86_64 suite, the i686 smoke set whole, both end to end" ;;
    emulated) echo "test: 32-bit programs run only under emulation: the whole x86_64 suite, an i686 smoke set" ;;
    none) echo "test: 32-bit programs cannot run here: the whole x86_64 suite, i686 built only" ;;
esac

cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"
# Every reader of outside input under libFuzzer with sanitizers, 20 s each from its seeds.
bash tests/fuzz/run-fuzz.sh
# The Linux tarball of the service: unpacked elsewhere, its program answers from there.
bash tests/e2e/service-package-test.sh

export QUILLMAR_DISPLAY=${QUILLMAR_DISPLAY:-:99}
source scripts/wine-env.sh
trap wine_session_stop EXIT
wine_session_start

for arch in i686 x86_64; do
    cmake --preset "mingw-$arch" >/dev/null
    if [ "$arch" = i686 ]; then
        # The programs and the smoke set's tests: the rest of the suite is the x86_64 one's, compiled for
        # 32 bits, and proves nothing the 64-bit run and the native logic tests do not.
        cmake --build --preset mingw-i686 -j "$jobs" --target Quillmar quillmar-service quillmar-cli \
            $(bash scripts/i686-smoke.sh --targets)
    else
        cmake --build --preset "mingw-$arch" -j "$jobs"
    fi
    if [ "$arch" = x86_64 ] || [ "$QUILLMAR_I386_MODE" = native ]; then
        if [ "$arch" = x86_64 ]; then
            ctest --preset "mingw-$arch" -j "$jobs"
        else
            bash scripts/i686-smoke.sh --whole "build/$arch"
        fi
        # The whole program end to end: service, Quillmar.exe and the demo chat with real input.
        bash tests/e2e/e2e-test.sh "$arch"
        # The portable zip's contents, and the installer and uninstaller run silently.
        bash tests/e2e/installer-test.sh "$arch"
    elif [ "$QUILLMAR_I386_MODE" = emulated ]; then
        bash scripts/i686-smoke.sh "build/$arch"
        echo "test: the i686 end-to-end run is skipped: each program start takes ~40 s under emulation"
    else
        skipped=$(find "build/$arch" -name 'test_*.exe' -printf '%f\n' | sort | sed 's/\.exe$//' | paste -sd ' ')
        why="this kernel cannot run 32-bit programs and qemu-i386 emulation could not be enabled"
        [ -n "${QUILLMAR_I386:-}" ] && why="QUILLMAR_I386=none says this machine cannot run 32-bit programs"
        echo "test: skipped the i686 Windows tests ($skipped): $why"
    fi
done

#!/usr/bin/env bash
# Every test: installs what is missing, builds natively and for Windows (32- and 64-bit),
# runs the native tests, then the Windows tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup.sh

cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

source scripts/wine-env.sh
trap wine_session_stop EXIT
wine_session_start

for arch in i686 x86_64; do
    cmake --preset "mingw-$arch" >/dev/null
    cmake --build --preset "mingw-$arch" -j "$jobs"
    ctest --preset "mingw-$arch" -j "$jobs"
done

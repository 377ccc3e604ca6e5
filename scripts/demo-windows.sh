#!/usr/bin/env bash
# Shows the Windows program at work under Wine: starts the stand-in service on loopback, a chat window
# titled "mary - Send Message" with text typed in, and Quillmar.exe (32-bit where the machine runs 32-bit programs natively); clicks TRANSLATE and saves
# screenshots before and after in build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

source scripts/arch-probe.sh
arch=i686
if [ "$(quillmar_i386_mode)" != native ]; then
    arch=x86_64
    echo "demo: this machine cannot run 32-bit programs natively; showing the 64-bit Quillmar.exe"
fi

port=18080
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target quillmar-service
cmake -S . -B "build/demo-$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
      -DQUILLMAR_SERVICE_HOST="127.0.0.1:$port" >/dev/null
cmake --build "build/demo-$arch" -j "$(nproc)" --target Quillmar FollowChatProgram

export QUILLMAR_DISPLAY=:98 QUILLMAR_WINEPREFIX=$PWD/build/demo-wineprefix
source scripts/wine-env.sh
mkdir -p build/demo
build/native/service/quillmar-service --listen "127.0.0.1:$port" 2>build/demo/service.log &
service_pid=$!
cleanup() {
    kill "$service_pid" 2>/dev/null || true
    wine_session_stop
}
trap cleanup EXIT
wine_session_start

text=${1:-"Good morning, how are you today? I will send the documents tomorrow."}
scripts/wine.sh "build/demo-$arch/tests/win32/follow/FollowChatProgram.exe" "mary - Send Message" "$text" >/dev/null 2>&1 &
sleep 2
scripts/wine.sh "build/demo-$arch/src/win32/Quillmar.exe" >/dev/null 2>&1 &
sleep 3
import -window root -crop 600x260+130+100 build/demo/before.png

# The chat window stands at 150,120 and is 560 pixels wide: the toolbar's TRANSLATE button lies 301 to
# 230 pixels left of its right edge, 5 to 20 pixels below its top.
xdotool mousemove 444 132 click 1
sleep 2.5
import -window root -crop 600x260+130+100 build/demo/after.png
echo "service: $(tail -n 1 build/demo/service.log)"
echo "screenshots: build/demo/before.png (typed text) and build/demo/after.png (translated in place)"

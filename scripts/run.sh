#!/usr/bin/env bash
# The main job: build, start the stand-in service on loopback, translate a sentence with quillmar-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)"
bash service/run-demo.sh build/native

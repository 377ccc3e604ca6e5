#!/usr/bin/env bash
# Starts quillmar-service on a free loopback port (Apertium when installed, else the phrase book), has
# quillmar-cli translate a chat sentence through it in two pairs, and stops the service.
# Usage: bash service/run-demo.sh [BUILD_DIR]    (default: build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
service=$build/service/quillmar-service
cli=$build/tools/cli/quillmar-cli
for program in "$service" "$cli"; do
    if [ ! -x "$program" ]; then
        echo "demo: $program is not built" >&2
        exit 1
    fi
done

log=$(mktemp)
"$service" --listen 127.0.0.1:0 2>"$log" &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null || true; wait "$service_pid" 2>/dev/null || true; rm -f "$log" "$log.cli"' EXIT

port=""
for _ in $(seq 200); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$log")
    if [ -n "$port" ]; then break; fi
    sleep 0.05
done
if [ -z "$port" ]; then
    echo "demo: the service did not start" >&2
    cat "$log" >&2
    exit 1
fi
head -n 1 "$log"

sentence="Good morning, how are you today? I will send the documents tomorrow."
for pair in "ENGLISH TO SPANISH" "ENGLISH TO FRENCH"; do
    echo
    echo "$pair: $sentence"
    if ! "$cli" --service "127.0.0.1:$port" --pair "$pair" "$sentence" 2>"$log.cli"; then
        cat "$log.cli" >&2
        exit 1
    fi
done

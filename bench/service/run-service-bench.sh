#!/usr/bin/env bash
# Figures for quillmar-service (printed, never asserted):
#  - warm Apertium latency over HTTP for a chat sentence, en_es (direct) and en_fr (through Spanish),
#    next to the cost of starting Apertium once per request;
#  - throughput with the phrase book: wrk, 32 connections, 10 s, with its latency percentiles;
#  - 64 clients connecting at once, all answered.
# Usage: bash bench/service/run-service-bench.sh [BUILD_DIR]    (default: build/native)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/native}
service=$build/service/quillmar-service
client=$build/service/bench_service_client
if [ ! -x "$service" ] || [ ! -x "$client" ]; then
    echo "bench: build the targets quillmar-service and bench_service_client in $build first" >&2
    exit 1
fi

workdir=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$workdir"
}
trap cleanup EXIT

port=""
# start_service NAME ARGS...: starts the service on a free loopback port, sets $port.
start_service() {
    local log=$workdir/$1.log
    shift
    : >"$log"
    "$service" --listen 127.0.0.1:0 "$@" 2>"$log" &
    pids+=($!)
    for _ in $(seq 200); do
        port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$log")
        if [ -n "$port" ]; then return 0; fi
        sleep 0.05
    done
    echo "bench: the service did not start" >&2
    cat "$log" >&2
    exit 1
}

sentence="good morning, how are you today? I will send the documents tomorrow."
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

if command -v apertium >/dev/null && [ -f /usr/share/apertium/modes/eng-spa.mode ]; then
    echo
    echo "== Apertium (goal: warm median <= 30 ms)"
    start_service apertium --engine apertium
    "$client" latency "$port" en_es "$sentence" 30
    "$client" latency "$port" en_fr "$sentence" 30
    "$client" spawn eng-spa "$sentence" 5
else
    echo "Apertium is not installed: no latency figures"
fi

echo
echo "== Phrase book throughput: wrk, 32 connections, 10 s (goal >= 10,000 requests/s)"
start_service phrasebook --engine phrasebook
wrk -t2 -c32 -d10s --latency "http://127.0.0.1:$port/raging/translate.dyn?lp=en_es&urltext=good+morning%2C+how+are+you%3F" |
    grep -E 'Requests/sec|Latency  |50%|90%|99%|requests in|Socket errors|Non-2xx'

echo
echo "== 64 simultaneous clients"
"$client" burst "$port" 64

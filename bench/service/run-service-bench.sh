#!/usr/bin/env bash
# Figures for quillmar-service (printed, never asserted):
#  - Apertium over HTTP: the first en_fr request (through Spanish) after each of five starts and the warm
#    ones after it, warm en_es (direct), next to the cost of starting Apertium once per request;
#  - Apertium throughput with wrk, 8 and 64 connections, with one pipeline per mode and with the default,
#    and the CPU time the service and its pipelines spend per request (which a busy machine does not skew);
#  - a real request's latency while 1,000 clients that sent half a request line stay connected, and the
#    service's memory per such connection;
#  - phrase-book throughput with wrk, 8, 32 and 64 connections, 10 s each;
#  - 64 clients connecting at once, all answered;
#  - Debian's apertium-apy on the same sentence and pair, when it is installed.
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
service_pid=""
# start_service NAME ARGS...: starts the service on a free loopback port, sets $port and $service_pid.
start_service() {
    local log=$workdir/$1.log
    shift
    : >"$log"
    "$service" --listen 127.0.0.1:0 "$@" 2>"$log" &
    service_pid=$!
    pids+=("$service_pid")
    for _ in $(seq 600); do
        port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$log")
        if [ -n "$port" ]; then return 0; fi
        sleep 0.05
    done
    echo "bench: the service did not start" >&2
    cat "$log" >&2
    exit 1
}
stop_service() {
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
}

descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        echo "$child"
        descendants "$child"
    done
}

# tree_ticks PID: CPU time used so far by the process and all its descendants (pipelines), in ticks.
tree_ticks() {
    local q total=0 ticks
    for q in "$1" $(descendants "$1"); do
        ticks=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$q/stat" 2>/dev/null || echo 0)
        total=$((total + ticks))
    done
    echo "$total"
}

# run_wrk CONNECTIONS SECONDS URL [PID]: wrk as before the event-driven front (two threads, --latency),
# and with PID the CPU time that process and its pipelines spent per request.
run_wrk() {
    local before=0 out count
    if [ -n "${4:-}" ]; then before=$(tree_ticks "$4"); fi
    out=$(wrk -t2 -c"$1" -d"$2"s --latency "$3")
    echo "$out" | grep -E 'Requests/sec|Latency  |50%|99%|requests in|Socket errors|Non-2xx' | sed "s/^/  [$1 conn] /"
    if [ -n "${4:-}" ]; then
        count=$(echo "$out" | sed -n 's/ *\([0-9]*\) requests in.*/\1/p')
        echo "  [$1 conn] CPU per request: $(( ($(tree_ticks "$4") - before) * 1000000 / $(getconf CLK_TCK) / count )) us"
    fi
}

sentence="good morning, how are you today? I will send the documents tomorrow."
query="good+morning%2C+how+are+you+today%3F+I+will+send+the+documents+tomorrow."
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

if command -v apertium >/dev/null && [ -f /usr/share/apertium/modes/eng-spa.mode ]; then
    echo
    echo "== Apertium: first request after start and warm ones (goals: warm median <= 30 ms, first <= 2x warm)"
    for start in 1 2 3 4 5; do
        echo "start $start:"
        start_service "apertium-$start" --engine apertium
        "$client" latency "$port" en_fr "$sentence" 30 | sed -n '1,2s/^/  /p'
        if [ "$start" -lt 5 ]; then stop_service; fi
    done
    "$client" latency "$port" en_es "$sentence" 30
    "$client" spawn eng-spa "$sentence" 5
    stop_service

    echo
    echo "== Apertium en_es throughput, wrk, 10 s (goal: 8 connections >= 1.7x one pipeline's)"
    for pipelines in 1 0; do
        echo "--pipelines $pipelines (0: one per core)"
        start_service "apertium-p$pipelines" --engine apertium --pipelines "$pipelines"
        for connections in 8 64; do
            run_wrk "$connections" 10 "http://127.0.0.1:$port/raging/translate.dyn?lp=en_es&urltext=$query" \
                "$service_pid"
        done
        stop_service
    done

    echo
    echo "== 1,000 stalled clients connected; real en_es requests meanwhile (goal: p99 <= 50 ms)"
    # Time-outs long enough that no stalled client is dropped while the figures are taken.
    start_service stalled --engine apertium --read-timeout 120 --request-timeout 240
    "$client" stalled "$port" "$service_pid" 1000 en_es "$sentence" 300
    stop_service
else
    echo "Apertium is not installed: no Apertium figures"
fi

echo
echo "== Phrase book throughput: wrk, 10 s (before the event-driven front: 43,000 requests/s with 32)"
start_service phrasebook --engine phrasebook
for connections in 8 32 64; do
    run_wrk "$connections" 10 \
        "http://127.0.0.1:$port/raging/translate.dyn?lp=en_es&urltext=good+morning%2C+how+are+you%3F" "$service_pid"
done

echo
echo "== 64 simultaneous clients"
"$client" burst "$port" 64
stop_service

if command -v apertium-apy >/dev/null && [ -f /usr/share/apertium/modes/eng-spa.mode ]; then
    echo
    echo "== Debian's apertium-apy, eng|spa, the same sentence"
    apy_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    apertium-apy -p "$apy_port" /usr/share/apertium/modes >"$workdir/apy.log" 2>&1 &
    apy_pid=$!
    pids+=("$apy_pid")
    for _ in $(seq 300); do
        if curl -sf "http://127.0.0.1:$apy_port/listPairs" >/dev/null; then break; fi
        sleep 0.1
    done
    target="/translate?langpair=eng%7Cspa&q=$query"
    "$client" get "$apy_port" "$target" 1 >/dev/null  # starts its pipeline
    "$client" get "$apy_port" "$target" 30
    for connections in 8 64; do
        run_wrk "$connections" 10 "http://127.0.0.1:$apy_port$target" "$apy_pid"
    done
else
    echo
    echo "apertium-apy is not installed (apt-get install apertium-apy): no side-by-side figures"
fi

#!/usr/bin/env bash
# Figures for the engines' HTTPS client (printed, never asserted). Against fake_engines over TLS with a fixed
# 20 ms delay, COUNT requests one at a time:
#  - through quillmar-service (the deepl engine, cache off) with its kept-alive connection, and with
#    --no-connection-reuse (a TLS handshake per request): the time the service adds per request over the
#    fake's own time for it, median and p99;
#  - curl to the fake directly in the same run: one curl per request (a handshake each), and one curl for
#    all of them (its connection reused).
# Usage: bash bench/service/run-engine-bench.sh [BUILD_DIR] [COUNT]    (default: build/native 200)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/native}
count=${2:-200}
service=$build/service/quillmar-service
client=$build/service/bench_service_client
fake=$build/tests/service/engines/fake_engines
for program in "$service" "$client" "$fake"; do
    if [ ! -x "$program" ]; then
        echo "bench: build the targets quillmar-service, bench_service_client and fake_engines in $build first" >&2
        exit 1
    fi
done

work=$(mktemp -d)
service_pid=""
cleanup() {
    if [ -n "$service_pid" ]; then kill "$service_pid" 2>/dev/null || true; wait "$service_pid" 2>/dev/null || true; fi
    bash tests/service/engines/stop-fakes.sh "$work/fakes"
    rm -rf "$work"
}
trap cleanup EXIT

bash tests/service/engines/start-fakes.sh "$work/fakes" "$fake" >/dev/null
set -a
# shellcheck disable=SC1091
. "$work/fakes/fakes.env"
set +a
plain_port=${QUILLMAR_FAKE_ENGINES_PLAIN_URL##*:}
session=bench$$
curl -s --cacert "$QUILLMAR_FAKE_ENGINES_CA" -d '{"api": "deepl", "delay_ms": 20}' \
    "$QUILLMAR_FAKE_ENGINES_URL/$session/_script" >/dev/null
echo "bench-key" >"$work/key"
echo "fake_engines on $QUILLMAR_FAKE_ENGINES_URL, 20 ms delay, $count requests one at a time; load: $(cut -d' ' -f1-3 /proc/loadavg)"

through_service() {
    local label=$1
    shift
    "$service" --listen 127.0.0.1:0 --engine deepl --deepl-url "$QUILLMAR_FAKE_ENGINES_URL/$session" \
        --deepl-key-file "$work/key" --ca-file "$QUILLMAR_FAKE_ENGINES_CA" --cache 0 "$@" 2>"$work/service.log" &
    service_pid=$!
    local port=""
    for _ in $(seq 200); do
        port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$work/service.log")
        if [ -n "$port" ]; then break; fi
        sleep 0.05
    done
    echo "quillmar-service, $label:"
    "$client" engine "$port" "$plain_port" "$session" deepl "$count" || true
    kill "$service_pid"
    wait "$service_pid" 2>/dev/null || true
    service_pid=""
}
through_service "connection reused"
through_service "a new connection per request" --no-connection-reuse

# spread LABEL: milliseconds on standard input, one per line.
spread() {
    sort -n | awk -v label="$1" '{ v[NR] = $1 } END {
        m = v[int(NR * 0.5) + 1]; p = v[int(NR * 0.99) + 1]; if (p == "") p = v[NR]
        printf "  %s: n=%d median %.2f ms, p99 %.2f ms\n", label, NR, m, p }'
}
body='{"text": ["bench request"], "source_lang": "EN", "target_lang": "FR"}'
deepl="$QUILLMAR_FAKE_ENGINES_URL/$session/v2/translate"
echo "curl to the fake directly, one curl per request:"
for _ in $(seq "$count"); do
    total=$(curl -s -o /dev/null -w '%{time_total}' --cacert "$QUILLMAR_FAKE_ENGINES_CA" \
        -H 'Authorization: DeepL-Auth-Key bench-key' -H 'Content-Type: application/json' -d "$body" "$deepl")
    handled=$(curl -s "http://127.0.0.1:$plain_port/$session/_last?api=deepl" | sed -n 's/.*"handled_us":\([0-9]*\).*/\1/p')
    echo "$total $handled"
done >"$work/curl-each"
awk '{ printf "%.3f\n", $1 * 1000 }' "$work/curl-each" | spread "whole request"
awk '{ printf "%.3f\n", $1 * 1000 - $2 / 1000 }' "$work/curl-each" | spread "over the fake's own time"
fake_median=$(awk '{ print $2 / 1000 }' "$work/curl-each" | sort -n | awk '{ v[NR] = $1 } END { print v[int(NR * 0.5) + 1] }')
echo "curl to the fake directly, one curl for all $count (connection reused):"
urls=()
for _ in $(seq "$count"); do urls+=("$deepl"); done
curl -s -o /dev/null -w '%{stderr}%{time_total}\n' --cacert "$QUILLMAR_FAKE_ENGINES_CA" \
    -H 'Authorization: DeepL-Auth-Key bench-key' -H 'Content-Type: application/json' -d "$body" "${urls[@]}" \
    2>"$work/curl-reused" >/dev/null
awk '{ printf "%.3f\n", $1 * 1000 }' "$work/curl-reused" | spread "whole request"
awk -v fake="$fake_median" '{ printf "%.3f\n", $1 * 1000 - fake }' "$work/curl-reused" |
    spread "over the fake's median own time ($fake_median ms)"

#!/usr/bin/env bash
# Ends the fake engines start-fakes.sh started in DIR.
# Usage: stop-fakes.sh DIR
dir=$1
if [ -f "$dir/fake.pid" ]; then
    pid=$(cat "$dir/fake.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    rm -f "$dir/fake.pid"
fi
exit 0

#!/usr/bin/env bash
# Prints the program's figures under Wine, per architecture: start to tray icon, private memory after start
# and after 200 translations, processor use over 60 s with a chat window in front, and click-to-write-back
# less the service's own time. Usage: bash bench/windows/figures.sh [i686] [x86_64]
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/e2e-lib.sh
E2E_NAME=figures
source scripts/arch-probe.sh
archs=("$@")
if [ ${#archs[@]} -eq 0 ]; then
    archs=(x86_64)
    if [ "$(quillmar_i386_mode)" = native ]; then archs=(x86_64 i686); fi
fi
[ -n "${QUILLMAR_DISPLAY:-}" ] || QUILLMAR_DISPLAY=$(e2e_free_display)
export QUILLMAR_DISPLAY
source scripts/wine-env.sh
trap 'e2e_end; e2e_service_stop; wine_session_stop' EXIT
wine_session_start
translations=${QUILLMAR_FIGURES_TRANSLATIONS:-200}
# Wine reports no private bytes and no processor times of other processes, so both come from Linux: the
# process's private pages (its share of nothing mapped by others) and its user and system time.
program_pid() { pgrep -f "$arch.src.win32.e2e.Quillmar\.exe" | head -n 1; }
memory() {
    awk '/^Rss/ {r = $2} /^Private_(Clean|Dirty)/ {p += $2} END {printf "private %.2f MB, resident %.2f MB", p / 1024, r / 1024}' \
        "/proc/$(program_pid)/smaps_rollup"
}
ticks() { awk '{print $14 + $15}' "/proc/$(program_pid)/stat"; }
seconds=${QUILLMAR_FIGURES_SECONDS:-60}

for arch in "${archs[@]}"; do
    e2e_build "$arch"
    e2e_use "$arch"
    log=$(dirname "$e2e_exe")/figures-service.log
    QUILLMAR_E2E_ENGINE=${QUILLMAR_FIGURES_ENGINE:-apertium} e2e_service_start "$log"
    starts=()
    for _ in 1 2 3; do  # the first start also warms Wine's caches; all three are shown
        e2e_start
        starts+=("$(sed -n 's/.*start to tray icon \([0-9-]*\) ms/\1/p' <<<"$e2e_start_timing")")
        [ "${#starts[@]}" -lt 3 ] && e2e_end
    done
    echo "$arch: start to tray icon: ${starts[*]} ms (three starts)"
    sleep 1
    echo "$arch: after start: $(memory)"
    e2e_type "Good morning, how are you?"
    e2e_toolbar
    loop=$(e2e_probe translate-loop "$translations" "$e2e_chat_title" "Good morning, how are you?")
    echo "$arch: $(grep -v "^each ms:" <<<"$loop")"
    # Request by request: the probe's click-to-write-back times and the service's logged times come in the
    # same order, one request at a time. The service logs whole milliseconds, cut down, so what is left
    # for the program is at most 1 ms too high.
    read -r service_ms less_median less_90th less_max < <(
        paste <(sed -n 's/^each ms: //p' <<<"$loop" | tr ' ' '\n') \
            <(e2e_service_requests | tail -n "$translations" | sed 's/.* \([0-9]*\) ms.*/\1/') |
            awk '{s[NR] = $2; d[NR] = $1 - $2}
                 END {n = asort(s); asort(d); printf "%d %.1f %.1f %.1f\n", s[int((n + 1) / 2)],
                      d[int((n + 1) / 2)], d[int(n * 0.9)], d[n]}')
    echo "$arch: service's own time per request: median $service_ms ms; click to write-back less the" \
        "service's time, request by request: median $less_median ms, 90th $less_90th ms, max $less_max ms"
    sleep 1
    echo "$arch: after $translations translations: $(memory)"
    e2e_send
    before=$(ticks)
    sleep "$seconds"
    used=$(($(ticks) - before))
    echo "$arch: with the chat window in front, $seconds s: $used ticks of 1/$(getconf CLK_TCK) s:" \
        "$(awk -v u="$used" -v t="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN {printf "%.3f", 100 * u / t / s}') % of a core"
    e2e_end
    e2e_service_stop
done

#!/usr/bin/env bash
# Start-up to icon shown: from starting the program until its icon sits shown in a real tray host
# (Xvfb + trayer), over several runs. Target: under 300 ms.
# Usage: bench_startup.sh <build folder> [runs]
set -euo pipefail
build=${1:?build folder}
runs=${2:-10}
exe="$(cd "$build" && pwd)/src/orvane"
[ -x "$exe" ] || { echo "no program at $exe"; exit 1; }

source "$(dirname "$0")/desktop.sh"
panel=""
for _ in $(seq 600); do
    panel=$(xwininfo -root -tree 2>/dev/null | awk '/"panel": \("panel" "trayer"\)/ {print $1; exit}')
    [ -n "$panel" ] && break
    sleep 0.1
done
[ -n "$panel" ] || { echo "no tray host"; exit 1; }

write_sample_settings "$work/System.ini"

# The icon's window inside the panel, once it is there and mapped.
icon_shown() {
    local id
    id=$(xwininfo -tree -id "$panel" 2>/dev/null | awk '/\("orvane" "Orvane"\)/ {print $1; exit}')
    [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'
}

times=()
for run in $(seq "$runs"); do
    start=$(date +%s%N)
    (cd "$work" && DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent QT_QPA_PLATFORM=xcb exec "$exe") >/dev/null 2>&1 &
    pid=$!
    until icon_shown; do
        kill -0 "$pid" 2>/dev/null || { echo "the program ended early"; exit 1; }
        if [ $(( ($(date +%s%N) - start) / 1000000 )) -gt 30000 ]; then echo "no icon after 30 s"; exit 1; fi
    done
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
    [ -n "${BENCH_VERBOSE:-}" ] && xwininfo -tree -id "$panel" | grep orvane
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    # The tray host lets go of the icon before the next run.
    while xwininfo -tree -id "$panel" 2>/dev/null | grep -q '("orvane" "Orvane")'; do sleep 0.02; done
done

printf '%s\n' "${times[@]}" | sort -n | awk -v runs="$runs" '
{ t[NR] = $1 }
END {
    median = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
    printf "start-up to icon shown over %d runs: min %d ms, median %d ms, max %d ms\n", runs, t[1], median, t[NR]
    if (median >= 300) { print "FAIL: median not under 300 ms"; exit 1 }
}'

#!/usr/bin/env bash
# The idle program: resident memory, wake-ups and processor time over a minute, with the main window
# hidden in a real tray (Xvfb + trayer) and five PCs to check, three answering on loopback and two
# absent on a link of the program's own network. Targets: under 40 MiB resident, about one wake-up a
# second, under 0.1 % of one processor.
# Usage: bench_idle.sh <build folder> [seconds]
set -euo pipefail
build=${1:?build folder}
seconds=${2:-60}
exe="$(cd "$build" && pwd)/src/orvane"
[ -x "$exe" ] || { echo "no program at $exe"; exit 1; }

source "$(dirname "$0")/desktop.sh"
source "$(dirname "$0")/testnet.sh"
for _ in $(seq 600); do xwininfo -root -tree 2>/dev/null | grep -q '"panel"' && break; sleep 0.1; done

write_sample_settings "$work/System.ini" absent

(cd "$work" && export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent QT_QPA_PLATFORM=xcb && in_test_net "$exe") \
    >"$work/orvane.log" 2>&1 &
pid=$!
pids+=($pid)
for _ in $(seq 600); do xwininfo -root -tree 2>/dev/null | grep -A4 '"panel"' | grep -q '"orvane"' && break; sleep 0.1; done
sleep 3 # let start-up settle before counting

[ -d /proc/"$pid" ] || { echo "the program ended early:"; cat "$work/orvane.log"; exit 1; }
switches() { cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ {s += $2} END {print s}'; }
ticks() { awk '{print $14 + $15}' /proc/"$pid"/stat; }
hz=$(getconf CLK_TCK)

s0=$(switches); t0=$(ticks); start=$(date +%s.%N)
sleep "$seconds"
s1=$(switches); t1=$(ticks); end=$(date +%s.%N)
rss_kb=$(awk '/VmRSS/ {print $2}' /proc/"$pid"/status)
threads=$(ls /proc/"$pid"/task | wc -l)

awk -v s0="$s0" -v s1="$s1" -v t0="$t0" -v t1="$t1" -v a="$start" -v b="$end" -v hz="$hz" -v rss="$rss_kb" \
    -v threads="$threads" '
BEGIN {
    secs = b - a
    wake = (s1 - s0) / secs
    cpu = 100 * (t1 - t0) / hz / secs
    mib = rss / 1024
    printf "idle over %.1f s: resident %.1f MiB, %d threads, %.2f wake-ups/s, %.3f %% CPU\n", secs, mib, threads, wake, cpu
    bad = 0
    if (mib >= 40) { print "FAIL: resident memory not under 40 MiB"; bad = 1 }
    if (cpu >= 0.1) { print "FAIL: processor use not under 0.1 %"; bad = 1 }
    if (wake > 3) { print "FAIL: more than about one wake-up a second"; bad = 1 }
    exit bad
}'

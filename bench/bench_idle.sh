#!/usr/bin/env bash
# The idle program: resident memory, wake-ups and processor time over a minute, with the main window
# hidden in a real tray (Xvfb + trayer) and five PCs to check, three answering on loopback and two
# absent on a link of the program's own network. Targets: under 40 MiB resident, about one wake-up a
# second, under 0.1 % of one processor. The window is longer than the status rounds' minute, so it
# always holds one; the wake-ups are given over the whole window and between rounds (a round runs on
# a pooled thread, which lives on 5 s after it: the half seconds with one count as round time).
# Usage: bench_idle.sh <build folder> [seconds]
set -euo pipefail
build=${1:?build folder}
seconds=${2:-65}
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
# Every thread's context switches, each half second: "T time", then "tid switches pooled" per thread.
# Threads come and go (the pool's, name lookups'), so they are counted one by one.
sample() {
    echo "T $(date +%s.%N)"
    cat /proc/"$pid"/task/*/status 2>/dev/null | awk '
        /^Name:/ { if (tid) print tid, s, pooled; s = 0; tid = ""; pooled = ($0 ~ /Thread \(pooled\)/) }
        /^Pid:/ { tid = $2 }
        /ctxt_switches/ { s += $2 }
        END { if (tid) print tid, s, pooled }'
}
ticks() { awk '{print $14 + $15}' /proc/"$pid"/stat; }
hz=$(getconf CLK_TCK)

t0=$(ticks)
deadline=$(($(date +%s) + seconds))
{
    sample
    while [ "$(date +%s)" -lt "$deadline" ]; do
        sleep 0.5
        sample
    done
} >"$work/samples"
t1=$(ticks)
rss_kb=$(awk '/VmRSS/ {print $2}' /proc/"$pid"/status)
threads=$(ls /proc/"$pid"/task | wc -l)

awk -v t0="$t0" -v t1="$t1" -v hz="$hz" -v rss="$rss_kb" -v threads="$threads" '
function finish(   tid, d, busy) {
    if (tPrev) {
        d = 0
        for (tid in now) d += now[tid] - ((tid in last) ? last[tid] : 0)
        busy = poolPrev || poolNow
        span = t - tPrev
        total += d; secs += span
        if (busy) { roundWake += d; roundSecs += span } else { quietWake += d; quietSecs += span }
    }
    delete last
    for (tid in now) last[tid] = now[tid]
    poolPrev = poolNow
    tPrev = t
}
/^T / { if (samples++) finish(); t = $2; delete now; poolNow = 0; next }
{
    now[$1] = $2
    if ($3) { poolNow = 1; if (samples > 1 && !($1 in seenPool)) rounds++; seenPool[$1] = 1 }
}
END {
    finish()
    wake = total / secs
    quiet = quietSecs > 0 ? quietWake / quietSecs : 0
    cpu = 100 * (t1 - t0) / hz / secs
    mib = rss / 1024
    printf "idle over %.1f s with %d status round(s): resident %.1f MiB, %d threads, %.2f wake-ups/s, %.3f %% CPU\n",
        secs, rounds, mib, threads, wake, cpu
    printf "  between rounds: %.2f wake-ups/s over %.1f s; around rounds: %d wake-ups in %.1f s\n",
        quiet, quietSecs, roundWake, roundSecs
    bad = 0
    if (rounds < 1) { print "FAIL: no status round in the window"; bad = 1 }
    if (mib >= 40) { print "FAIL: resident memory not under 40 MiB"; bad = 1 }
    if (cpu >= 0.1) { print "FAIL: processor use not under 0.1 %"; bad = 1 }
    if (wake > 3) { print "FAIL: more than about one wake-up a second"; bad = 1 }
    exit bad
}' "$work/samples"

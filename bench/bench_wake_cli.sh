#!/usr/bin/env bash
# orvane-wake as a whole process, first against the floor: a minimal C sender (minimal_wake.c, built
# here) that sends the same three datagrams, in paired runs (run_pairs.c); fails unless the median
# of the pairs' ratios is at most 1.5. Then orvane-wake 1 against Debian's wakeonlan script for the
# same packet in one hyperfine run; fails unless orvane-wake's median is under a quarter of wakeonlan's.
set -euo pipefail
build=${1:?usage: bench_wake_cli.sh BUILD_DIR}
tool="$(cd "$build" && pwd)/tools/orvane-wake"
here=$(cd "$(dirname "$0")" && pwd)
for need in "$tool" cc hyperfine wakeonlan python3; do
  command -v "$need" >/dev/null || { echo "bench_wake_cli: $need is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A port pair that is free now; nothing needs to listen, the datagrams go to loopback.
port=$(python3 - <<'PY'
import socket
for _ in range(50):
    a = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); a.bind(('127.0.0.1', 0)); p = a.getsockname()[1]
    b = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        b.bind(('0.0.0.0', p + 1)); print(p); break
    except OSError:
        pass
PY
)
# System.ini: 60 records of 20 bytes; PC 1 sends once to 127.0.0.1 from port + 1.
fields=("$port" 1 "" "" "" "" "" "" "" "" Bench 127.0.0.1 00 11 22 33 44 55 0 "")
for ((i = 20; i < 60; i++)); do fields+=(""); done
printf '%-20s' "${fields[@]}" > System.ini
"$tool" 1 || { echo "bench_wake_cli: orvane-wake 1 failed" >&2; exit 1; }

cc -O2 -o minimal_wake "$here/minimal_wake.c"
cc -O2 -o run_pairs "$here/run_pairs.c"
read -r ours floor ratio < <(./run_pairs 1000 "$tool" --mac 00:11:22:33:44:55 --host 127.0.0.1 --count 3 --port "$port" \
  -- ./minimal_wake "$port" 3)
echo "orvane-wake --mac … --host 127.0.0.1 --count 3: median $ours ms; minimal C sender: median $floor ms;" \
  "median of paired ratios $ratio (target at most 1.5)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }' || { echo "bench_wake_cli: over 1.5 times the floor" >&2; exit 1; }

hyperfine -N --warmup 30 --runs 400 --export-json result.json \
  "$tool 1" "wakeonlan -i 127.0.0.1 -p $port 00:11:22:33:44:55"

python3 - <<'PY'
import json, sys
r = json.load(open('result.json'))['results']
ours, theirs = r[0]['median'] * 1000, r[1]['median'] * 1000
ratio = ours / theirs
print(f"orvane-wake 1: median {ours:.2f} ms; wakeonlan: median {theirs:.2f} ms; ratio {ratio:.3f} (target under 0.25)")
sys.exit(0 if ratio < 0.25 else 1)
PY

#!/usr/bin/env bash
# Status rounds for five PCs, three answering on loopback and two absent, in a network of their own:
# a round must end within the probe timeout and the clock label's ticks must not come late while it
# runs. Once with ICMP echo allowed (Debian's default), once with only the TCP attempts.
# Usage: bench_status.sh <build folder>
set -euo pipefail
build=${1:?build folder}
exe="$(cd "$build" && pwd)/bench/status_round"
[ -x "$exe" ] || { echo "no program at $exe"; exit 1; }
source "$(dirname "$0")/testnet.sh"

for groups in "0 2147483647" "1 0"; do
    echo "== net.ipv4.ping_group_range = $groups"
    (export PING_GROUPS="$groups" QT_QPA_PLATFORM=offscreen && in_test_net "$exe")
done

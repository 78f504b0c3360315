#!/usr/bin/env bash
# orvane-wake --scan (unprivileged) against `nmap -sn -n` and `arp-scan` (both as root) on one /24
# behind a switch in network namespaces: three machines present, one of them dropping all ICMP and
# TCP, every other address empty. Side by side in one hyperfine run, the neighbour table emptied
# before each run. Fails unless Orvane finds the three and its median is at most half of nmap's.
# Needs root for the namespaces (skipped otherwise, exit 77).
# Usage: bench_scan.sh <build folder>
set -euo pipefail
build=${1:?build folder}
tool="$(cd "$build" && pwd)/tools/orvane-wake"
[ "$(id -u)" -eq 0 ] || { echo "bench_scan: network namespaces need root; skipped"; exit 77; }
for need in "$tool" hyperfine nmap arp-scan nft setpriv python3; do
    command -v "$need" >/dev/null || { echo "bench_scan: $need is missing" >&2; exit 1; }
done

p=orvscan$$
work=$(mktemp -d)
cleanup() {
    for ns in sw here m20 m30 m40; do ip netns del $p$ns 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

ip netns add ${p}sw
ip -n ${p}sw link add br0 type bridge
ip -n ${p}sw link set br0 addrgenmode none
ip -n ${p}sw link set br0 up
plug() { # namespace, address, MAC
    ip netns add $p$1
    ip -n $p$1 link set lo up
    ip -n ${p}sw link add p$1 type veth peer name eth0 netns $p$1
    ip -n ${p}sw link set p$1 master br0
    ip -n ${p}sw link set p$1 up
    ip -n $p$1 link set eth0 address "$3"
    ip -n $p$1 addr add "$2" brd + dev eth0
    ip -n $p$1 link set eth0 up
}
plug here 10.200.13.1/24 02:00:00:00:0d:01
plug m20 10.200.13.20/24 00:1b:21:00:0d:14
plug m30 10.200.13.30/24 02:00:00:00:0d:1e
plug m40 10.200.13.40/24 02:00:00:00:0d:28
ip netns exec ${p}here sysctl -q -w net.ipv4.ping_group_range="0 2147483647"
ip netns exec ${p}m40 nft 'add table inet f; add chain inet f in { type filter hook input priority 0; };
    add rule inet f in meta l4proto { icmp, ipv6-icmp, tcp } drop'
# Until the link-local addresses are no longer tentative, IPv6 multicast goes nowhere.
for _ in $(seq 100); do
    [ -z "$(ip -n ${p}here -6 addr show tentative)" ] && break
    sleep 0.05
done

cp "$tool" "$work/orvane-wake"
chmod -R a+rX "$work"
in_here="ip netns exec ${p}here"
orvane="$in_here setpriv --reuid=65534 --regid=65534 --clear-groups $work/orvane-wake --scan"
nmap_cmd="$in_here nmap -sn -n 10.200.13.0/24"
arpscan_cmd="$in_here arp-scan -q -I eth0 10.200.13.0/24"
flush="ip -n ${p}here neigh flush all"

# What each finds (this machine's own address left out).
found() { grep -oE '10\.200\.13\.[0-9]+' | grep -vx 10.200.13.1 | sort -t. -k4n -u | tr '\n' ' '; }
$flush
ours=$($orvane | cut -f1 | found)
$flush
by_nmap=$($nmap_cmd | grep 'scan report' | found)
$flush
by_arpscan=$($arpscan_cmd | grep -E '^10\.' | found)

hyperfine -N --warmup 1 --runs 10 --prepare "$flush" --export-json "$work/result.json" \
    -n orvane "$orvane" -n nmap "$nmap_cmd" -n arp-scan "$arpscan_cmd"

OURS="$ours" NMAP="$by_nmap" ARPSCAN="$by_arpscan" python3 - "$work/result.json" <<'PY'
import json, os, sys
r = {x['command']: x['median'] * 1000 for x in json.load(open(sys.argv[1]))['results']}
found = {'orvane': os.environ['OURS'], 'nmap': os.environ['NMAP'], 'arp-scan': os.environ['ARPSCAN']}
for name in ('orvane', 'nmap', 'arp-scan'):
    print(f"{name:9} median {r[name]:7.1f} ms  found: {found[name].strip() or 'nothing'}")
ratio = r['orvane'] / r['nmap']
complete = found['orvane'].split() == ['10.200.13.20', '10.200.13.30', '10.200.13.40']
print(f"orvane/nmap {ratio:.2f} (target at most 0.50); Orvane found all three: {'yes' if complete else 'NO'}")
sys.exit(0 if complete and ratio <= 0.5 else 1)
PY

#!/usr/bin/env bash
# A wake through a relay: the time from the command to the datagram on the far LAN, over a new ssh
# connection and over a live shared one, and the ssh handshakes of a status round of five relayed
# PCs (want: 0 while the shared connection lives). A real sshd with keys of this script's own in
# network namespaces that it makes (root only; 77 without root); nothing reaches ~/.ssh.
# Usage: bench_relay.sh <build folder>
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
wake="$build/tools/orvane-wake"
[ -x "$wake" ] || { echo "no program at $wake"; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "namespaces and sshd need root; skipped"; exit 77; }
command -v hyperfine >/dev/null || { echo "hyperfine missing: scripts/install-deps bench"; exit 1; }

d=$(mktemp -d)
h=orvbh$$ r=orvbr$$ f=orvbf$$
cleanup() {
    for ns in $h $r $f; do
        ip netns pids $ns 2>/dev/null | xargs -r kill -9
        ip netns del $ns 2>/dev/null || true
    done
    rm -rf "$d"
}
trap cleanup EXIT
for ns in $h $r $f; do ip netns add $ns && ip -n $ns link set lo up; done
ip -n $h link add eth0 type veth peer name eth0 netns $r
ip -n $r link add eth1 type veth peer name eth0 netns $f
ip -n $h addr add 10.211.1.1/24 dev eth0 && ip -n $r addr add 10.211.1.2/24 dev eth0
ip -n $r addr add 10.211.2.1/24 dev eth1 && ip -n $f addr add 10.211.2.5/24 dev eth0
for x in "$h eth0" "$r eth0" "$r eth1" "$f eth0"; do set -- $x; ip -n $1 link set $2 up; done
ip netns exec $r sysctl -q -w net.ipv4.ping_group_range="0 2147483647"

cd "$d"
ssh-keygen -q -t ed25519 -N '' -f host && ssh-keygen -q -t ed25519 -N '' -f user && cp user.pub authorized_keys
mkdir -m 700 run home
echo "[10.211.1.2]:2222 $(cut -d' ' -f1,2 host.pub)" > known_hosts
cat > sshd_config <<CONF
Port 2222
ListenAddress 10.211.1.2
HostKey $d/host
PidFile none
AuthorizedKeysFile $d/authorized_keys
StrictModes no
UsePAM no
PermitUserRC no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
LogLevel VERBOSE
SetEnv PATH=$build/tools:/usr/sbin:/usr/bin:/bin
CONF
cat > ssh_config <<CONF
Host relay
  HostName 10.211.1.2
  Port 2222
  User root
  IdentityFile $d/user
  IdentitiesOnly yes
  UserKnownHostsFile $d/known_hosts
  GlobalKnownHostsFile /dev/null
CONF
mkdir -p /run/sshd
ip netns exec $r /usr/sbin/sshd -f "$d/sshd_config" -E "$d/sshd.log"
for _ in $(seq 50); do ip netns exec $r ss -ltn | grep -q 10.211.1.2:2222 && break; sleep 0.1; done

# Five PCs on the far LAN, all through the relay; the first is the one woken.
python3 - <<'PY'
import struct
area = bytearray(b' ' * 1200)
def put(row, col, text):
    i = (row * 10 + col) * 20
    area[i:i + len(text)] = text.encode()
put(0, 0, '9'); put(0, 1, '3')
for pc in range(1, 6):
    put(pc, 0, 'PC%d' % pc); put(pc, 1, '10.211.2.%d' % (4 + pc))
    for j, b in enumerate(['02', '00', '00', '00', '02', '%02X' % (4 + pc)]):
        put(pc, 2 + j, b)
open('System.ini', 'wb').write(area)
open('Orvane.ini', 'w').write(''.join('[PC%d]\nrelay = relay\n' % pc for pc in range(1, 6)))
PY
export ORVANE_SSH_COMMAND="ssh -F $d/ssh_config" XDG_RUNTIME_DIR="$d/run" HOME="$d/home"
in_home() { ip netns exec $h "$@"; }
logins() { grep -c 'Accepted publickey' "$d/sshd.log" || true; }

# A receiver on the far LAN: the time from the command to the datagram, once.
first_datagram_ms() {
    ip netns exec $f python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("0.0.0.0", 9)); s.settimeout(30)
print("ready", flush=True); s.recv(200); print(time.monotonic_ns())' > "$d/rx" &
    local rx=$!
    until grep -q ready "$d/rx" 2>/dev/null; do sleep 0.05; done
    local start; start=$(python3 -c 'import time; print(time.monotonic_ns())')
    in_home "$wake" 1 >/dev/null
    wait $rx
    echo $(( ($(tail -1 "$d/rx") - start) / 1000000 ))
}
rm -rf "$d/run/orvane"
echo "== command to datagram, new connection: $(first_datagram_ms) ms; live connection: $(first_datagram_ms) ms"

echo "== orvane-wake 1 through the relay, whole command"
hyperfine -N --warmup 1 --runs 10 --prepare "rm -rf $d/run/orvane" -n "new connection" "ip netns exec $h $wake 1"
hyperfine -N --warmup 1 --runs 20 -n "live connection" "ip netns exec $h $wake 1"
# What of that is the relay's own: its user's shell starting (its rc files) with nothing to run.
hyperfine -N --warmup 1 --runs 20 -n "the relay's shell alone" "ip netns exec $h ssh -F $d/ssh_config -o ControlPath=$d/run/orvane/ssh-%C relay true"

in_home "$wake" --status >/dev/null # the shared connection lives
before=$(logins)
in_home "$wake" --status
after=$(logins)
echo "== handshakes in a status round of five relayed PCs with a live connection: $((after - before)) (want 0)"
[ "$after" -eq "$before" ]

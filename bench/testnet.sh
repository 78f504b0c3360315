# Shared by the benchmark scripts that check PCs: a network of their own to check them in.

# Runs a command in a network of its own: loopback up, and a link 10.200.9.0/24 (a veth pair whose far
# end holds no address) on which only this machine (.1) is, so that nobody answers for the others; ICMP echo allowed without privileges, as Debian desktops have it
# (PING_GROUPS="1 0" leaves it to the TCP attempts). Nothing it sends leaves the namespace. It
# replaces the calling shell, so that the command keeps its process id: call it in a subshell.
in_test_net() {
    local ns=(unshare --net)
    [ "$(id -u)" -eq 0 ] || ns=(unshare --map-root-user --net)
    exec "${ns[@]}" bash -c '
        set -e
        ip link set lo up
        ip link add orvbench0 type veth peer name orvbench1
        ip addr add 10.200.9.1/24 dev orvbench0
        ip link set orvbench0 up
        ip link set orvbench1 up
        sysctl -q -w net.ipv4.ping_group_range="${PING_GROUPS:-0 2147483647}" 2>/dev/null ||
            sysctl -q -w net.ipv4.ping_group_range="0 0"
        exec "$@"' in_test_net "$@"
}

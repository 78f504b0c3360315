# Shared by the benchmark scripts: a scratch folder and an X server with a tray host of their own.
# After sourcing: $work is the scratch folder, DISPLAY points at the new server, trayer runs on it,
# and both end (and $work goes) when the script exits. Append further background pids to pids.

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# An X server on a free display; it writes the number once it takes connections.
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
exec 5>&-
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
pids+=($!)

# A settings file with five PCs and their timers on, as in daily use; hosts on loopback only. With
# "absent", PCs 4 and 5 sit on the link that in_test_net (testnet.sh) makes, where nobody answers.
write_sample_settings() {
    python3 - "$1" "${2:-}" <<'PY'
import sys
rows = [["9", "3"] + [""] * 8]
for n in range(1, 6):
    host = f"10.200.9.{n + 16}" if sys.argv[2] == "absent" and n > 3 else f"127.0.0.{n}"
    rows.append([f"PC{n}", host, "00", "11", "22", "33", "44", f"5{n}", "1", "03:00:0%d" % n])
open(sys.argv[1], "wb").write(b"".join(f.encode("cp932").ljust(20, b" ") for row in rows for f in row))
PY
}

#!/usr/bin/env bash
# Every program the suites start, found, and its Debian package in the test set of
# scripts/install-deps: a missing one fails here by name and package instead of somewhere deep in a
# suite, and a package left out of the set fails here even where the machine happens to have it.
# Usage: tools.sh SOURCE_DIR
set -uo pipefail
PATH=$PATH:/usr/sbin:/sbin # nft, for a user whose PATH has no sbin
set_packages=$("$1/scripts/install-deps" --list test)
failures=0
while read -r program package; do
  grep -qx "$package" <<<"$set_packages" || {
    echo "FAIL: $program comes from $package, which is not in the test set of scripts/install-deps"
    failures=$((failures + 1))
  }
  command -v "$program" >/dev/null || {
    echo "FAIL: $program is missing: it comes from Debian's $package (scripts/install-deps test installs it)"
    failures=$((failures + 1))
  }
done <<'TOOLS'
Xvfb xvfb
trayer trayer
xdotool xdotool
xwininfo x11-utils
xprop x11-utils
import imagemagick
identify imagemagick
dbus-daemon dbus
dbus-send dbus
python3 python3
ip iproute2
nft nftables
weston weston
groff groff-base
desktop-file-validate desktop-file-utils
dpkg-shlibdeps dpkg-dev
lintian lintian
file file
TOOLS
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || {
  echo "FAIL: Debian's python3 has no dbusmock: it comes from Debian's python3-dbusmock"
  failures=$((failures + 1))
}
[ "$failures" -eq 0 ] || exit 1
echo "tools: every program the suites start is installed, each from a package of the test set"

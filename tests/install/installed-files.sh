#!/usr/bin/env bash
# What `cmake --install` put under a prefix: the programs, the help, the menu and autostart entries
# (valid, and naming this prefix), the icon in the hicolor theme at its sizes, the man pages.
# Usage: installed-files.sh PREFIX
set -uo pipefail
prefix=$1
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for f in bin/orvane bin/orvane-wake libexec/orvane/orvane-launch; do
  [ -f "$prefix/$f" ] && [ -x "$prefix/$f" ] || fail "$f is missing or not executable"
done
for f in share/orvane/Orvane.qhc share/orvane/Orvane.qch share/applications/orvane.desktop \
  share/orvane/orvane-autostart.desktop share/man/man1/orvane.1.gz share/man/man1/orvane-wake.1.gz \
  share/doc/orvane/copyright share/doc/orvane/changelog.gz; do
  [ -s "$prefix/$f" ] || fail "$f is missing or empty"
done
# Only what is meant to be there.
unexpected=$(cd "$prefix" && find . -type f | sed 's|^\./||' | grep -Ev \
  '^(bin/orvane|bin/orvane-wake|libexec/orvane/orvane-launch|share/orvane/(Orvane\.(qhc|qch)|orvane-autostart\.desktop)|share/applications/orvane\.desktop|share/icons/hicolor/(scalable/apps/orvane\.svg|(16x16|32x32|48x48)/apps/orvane\.png)|share/man/man1/orvane(-wake)?\.1\.gz|share/doc/orvane/(copyright|changelog\.gz))$')
[ -z "$unexpected" ] || fail "unexpected files: $unexpected"

# Both entries pass the validator and start the launcher of this install.
for entry in share/applications/orvane.desktop share/orvane/orvane-autostart.desktop; do
  out=$(desktop-file-validate "$prefix/$entry" 2>&1) || fail "$entry: $out"
  [ -z "$out" ] || fail "$entry: $out"
  exec_line=$(grep -m1 '^Exec=' "$prefix/$entry")
  [ "$exec_line" = "Exec=$prefix/libexec/orvane/orvane-launch" ] || fail "$entry: $exec_line"
  grep -qx 'Icon=orvane' "$prefix/$entry" || fail "$entry names another icon"
done
grep -qx "exec \"$prefix/bin/orvane\" \"\$@\"" "$prefix/libexec/orvane/orvane-launch" ||
  fail "the launcher doesn't start this install's program"

# The icon that Icon=orvane finds in the theme: each size really that size, the scalable one an SVG.
for size in 16 32 48; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/orvane.png
  got=$(identify -format '%m %wx%h' "$png" 2>&1)
  [ "$got" = "PNG ${size}x${size}" ] || fail "$png: $got"
done
svg=$prefix/share/icons/hicolor/scalable/apps/orvane.svg
python3 - "$svg" <<'EOF' || fail "$svg is not an SVG"
import sys, xml.etree.ElementTree as tree
sys.exit(tree.parse(sys.argv[1]).getroot().tag != "{http://www.w3.org/2000/svg}svg")
EOF

# The man pages format without a warning.
for page in orvane orvane-wake; do
  gz=$prefix/share/man/man1/$page.1.gz
  warnings=$(zcat "$gz" | LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
  zcat "$gz" | grep -q "^\.TH ${page^^} 1" || fail "$page.1 has no title line"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed files: all checks passed"

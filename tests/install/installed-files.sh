#!/usr/bin/env bash
# What `cmake --install` put under a prefix that the installed program's tests don't see: menu and
# autostart entries naming this prefix's launcher and the theme's icon, the icon at its sizes, the
# man pages. (The package test checks the whole file list, the entries' validity and lintian's verdict.)
# Usage: installed-files.sh PREFIX
set -uo pipefail
prefix=$1
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for entry in share/applications/orvane.desktop share/orvane/orvane-autostart.desktop; do
  exec_line=$(grep -m1 '^Exec=' "$prefix/$entry")
  [ "$exec_line" = "Exec=$prefix/libexec/orvane/orvane-launch" ] || fail "$entry: $exec_line"
  grep -qx 'Icon=orvane' "$prefix/$entry" || fail "$entry names another icon"
done

# The icon that Icon=orvane finds in the theme: each size really that size, the scalable one an SVG.
for size in 16 32 48; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/orvane.png
  got=$(identify -format '%m %wx%h' "$png" 2>&1)
  [ "$got" = "PNG ${size}x${size}" ] || fail "$png: $got"
done
svg=$prefix/share/icons/hicolor/scalable/apps/orvane.svg
python3 - "$svg" <<'PY' || fail "$svg is not an SVG"
import sys, xml.etree.ElementTree as tree
sys.exit(tree.parse(sys.argv[1]).getroot().tag != "{http://www.w3.org/2000/svg}svg")
PY

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

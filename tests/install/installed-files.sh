#!/usr/bin/env bash
# What `cmake --install` put under a prefix that the installed program's tests don't see: menu and
# autostart entries naming this prefix's launcher and the theme's icon, the software centres'
# component, the icon at its sizes, the man pages. (The package test checks the whole file list, the
# entries' validity and lintian's verdict.)
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

# The software centres' component: valid (not even a hint), launching the installed menu entry and
# providing exactly the installed programs.
metainfo=$prefix/share/metainfo/org.example.orvane.metainfo.xml
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) && ! grep -q '^[EWI]: ' <<<"$out" || fail "$metainfo: $out"
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -n "$launchable" ] && [ -f "$prefix/share/applications/$launchable" ] || fail "the component launches '$launchable'"
provided=$(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo" | sort)
[ "$provided" = "$(ls "$prefix/bin" | sort)" ] || fail "the component provides $(echo $provided)"

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

# The man pages format without a warning: the English ones in ASCII too, as man shows them in the C
# locale, the Japanese ones where they are looked for.
for page in orvane orvane-wake; do
  for gz in "$prefix/share/man/man1/$page.1.gz" "$prefix/share/man/ja/man1/$page.1.gz"; do
    warnings=$(zcat "$gz" | LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 2>&1)
    [ -z "$warnings" ] || fail "$gz: $warnings"
    zcat "$gz" | grep -q "^\.TH ${page^^} 1" || fail "$gz has no title line"
  done
  warnings=$(zcat "$prefix/share/man/man1/$page.1.gz" | LC_ALL=C groff -man -ww -z -Tascii 2>&1)
  [ -z "$warnings" ] || fail "$page.1 in ASCII: $warnings"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed files: all checks passed"

#!/usr/bin/env bash
# The Debian package, made with cpack from a build tree for /usr: its files, its dependencies, the
# paths in its entries, and lintian's verdict.
# Usage: package.sh BUILD_DIR WORK_DIR
set -uo pipefail
build=$1
work=$2
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work"
if ! cpack --config "$build/CPackConfig.cmake" -B "$work" \
  -D CPACK_INSTALL_PREFIX=/usr -D CPACK_PACKAGING_INSTALL_PREFIX=/usr >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb=$(ls "$work"/orvane_*_amd64.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAIL: no package"; exit 1; }
echo "package: $deb"

# The file list: every file the install has, under /usr, and nothing else.
files=$(dpkg-deb -c "$deb" | awk '{print $NF}' | grep -v '/$' | sed 's|^\./||' | sort)
expected=$(sort <<'EOF'
usr/bin/orvane
usr/bin/orvane-wake
usr/libexec/orvane/orvane-launch
usr/share/applications/orvane.desktop
usr/share/doc/orvane/changelog.gz
usr/share/doc/orvane/copyright
usr/share/icons/hicolor/16x16/apps/orvane.png
usr/share/icons/hicolor/32x32/apps/orvane.png
usr/share/icons/hicolor/48x48/apps/orvane.png
usr/share/icons/hicolor/scalable/apps/orvane.svg
usr/share/man/man1/orvane-wake.1.gz
usr/share/man/man1/orvane.1.gz
usr/share/man/ja/man1/orvane-wake.1.gz
usr/share/man/ja/man1/orvane.1.gz
usr/share/metainfo/org.example.orvane.metainfo.xml
usr/share/orvane/Orvane.en.qch
usr/share/orvane/Orvane.en.qhc
usr/share/orvane/Orvane.qch
usr/share/orvane/Orvane.qhc
usr/share/orvane/orvane-autostart.desktop
EOF
)
[ "$files" = "$expected" ] || fail "file list differs:"$'\n'"$(diff <(echo "$expected") <(echo "$files"))"
listing=$(dpkg-deb -c "$deb")
grep -Eq '^-rwxr-xr-x root/root .* \./usr/libexec/orvane/orvane-launch$' <<<"$listing" ||
  fail "the launcher is not an executable of root's"

# Dependencies: the libraries it links (dpkg-shlibdeps) and what it needs at run time besides.
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "Depends: $depends"
echo "Recommends: $recommends"
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6dbus6 libqt6help6 \
  libcanberra0 libx11-6 qt6-qpa-plugins libqt6sql6-sqlite xdg-utils; do
  sed 's/, /\n/g; s/ ([^)]*)//g' <<<"$depends" | grep -Fqx "$p" || fail "Depends lacks $p"
done
grep -q 'fonts-ipafont-gothic | fonts-noto-cjk' <<<"$depends" || fail "Depends lacks a Japanese font"
for p in qt6-translations-l10n sound-theme-freedesktop; do
  grep -q "$p" <<<"$recommends" || fail "Recommends lacks $p"
done
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture"
[ "$(dpkg-deb -f "$deb" Package)" = orvane ] || fail "package name"

# Inside: the entries start /usr's launcher, the launcher /usr's program; the programs are stripped.
root=$work/root
dpkg-deb -x "$deb" "$root"
for entry in usr/share/applications/orvane.desktop usr/share/orvane/orvane-autostart.desktop; do
  grep -qx 'Exec=/usr/libexec/orvane/orvane-launch' "$root/$entry" || fail "$entry: $(grep '^Exec=' "$root/$entry")"
  out=$(desktop-file-validate "$root/$entry" 2>&1) && [ -z "$out" ] || fail "$entry: $out"
done
grep -qx 'exec "/usr/bin/orvane" "$@"' "$root/usr/libexec/orvane/orvane-launch" || fail "the launcher's program"
for p in orvane orvane-wake; do
  file -b "$root/usr/bin/$p" | grep -q ', stripped' || fail "usr/bin/$p is not stripped"
done

# The component's latest release is this package's version, of its changelog's date.
release=$(grep -m1 -o '<release version="[^"]*" date="[^"]*"' "$root/usr/share/metainfo/org.example.orvane.metainfo.xml")
changed=$(zcat "$root/usr/share/doc/orvane/changelog.gz" | sed -n 's/^ -- .*>  //p' | head -1)
[ "$release" = "<release version=\"$(dpkg-deb -f "$deb" Version)\" date=\"$(date -u -d "$changed" +%F)\"" ] ||
  fail "the component's release ($release) is not the package's (changed $changed)"

# lintian: no errors. (Run as root it says so first; that line is not about the package.)
if command -v lintian >/dev/null; then
  lintian --allow-root "$deb" >"$work/lintian.log" 2>&1
  cat "$work/lintian.log"
  ! grep -q '^E: ' "$work/lintian.log" || fail "lintian reports errors"
else
  fail "lintian is not installed"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package: all checks passed"

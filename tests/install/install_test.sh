#!/usr/bin/env bash
# Installs the build into a scratch prefix and packages it, then checks both:
# exactly the expected files, PNG icons of their stated sizes, menu entries and
# metadata that validate and point at installed programs and icons, and a
# Debian package with the same files, library Depends, the translations and
# fonts as Recommends and no maintainer scripts.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR HAS_DESKPAL HAS_PHONDECK
set -euo pipefail

build="$(realpath "$1")"
source="$(realpath "$2")"
has_deskpal="${3:-0}"
has_phondeck="${4:-0}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# ---- what an installation holds ----
sizes=(16 22 24 32 48 64 128 256)
desktop_programs=(telvane)
[ "$has_deskpal" = 1 ] && desktop_programs+=(deskpal)
expected=(bin/telvane-handset bin/phondeck-convert share/metainfo/org.phondeck.telvane.metainfo.xml)
[ "$has_phondeck" = 1 ] && expected+=(bin/phondeck)
for program in "${desktop_programs[@]}"; do
  expected+=("bin/$program" "share/applications/phondeck-$program.desktop"
             "share/icons/hicolor/scalable/apps/phondeck-$program.svg")
  for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x$size/apps/phondeck-$program.png")
  done
done
if [ -d "$source/resources/help" ]; then
  while IFS= read -r page; do expected+=("share/phondeck/$page"); done \
    < <(cd "$source/resources" && find help -type f)
fi
for library in "$source"/resources/l_*.dll; do
  [ -e "$library" ] && expected+=("share/phondeck/$(basename "$library")")
done
printf '%s\n' "${expected[@]}" | sort > "$scratch/expected"

prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null
(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort) > "$scratch/installed"
diff -u "$scratch/expected" "$scratch/installed" || fail "installed files differ from the expected list"

for program in "${desktop_programs[@]}"; do
  for size in "${sizes[@]}"; do
    png="$prefix/share/icons/hicolor/${size}x$size/apps/phondeck-$program.png"
    file "$png" | grep -q "PNG image data, $size x $size," || fail "$png: $(file -b "$png")"
  done
done

# ---- menu entries and metadata ----
for entry in "$prefix"/share/applications/*.desktop; do
  if command -v desktop-file-validate > /dev/null; then
    report="$(desktop-file-validate "$entry" 2>&1)" || fail "$report"
    if grep -Eq 'error|warning' <<< "$report"; then fail "$report"; fi
  fi
  exec_line="$(sed -n 's/^Exec=//p' "$entry")"
  [ -x "$prefix/bin/${exec_line%% *}" ] || fail "$entry starts ${exec_line%% *}, not installed"
  icon="$(sed -n 's/^Icon=//p' "$entry")"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$entry: no icon $icon"
  grep -qx 'Categories=Utility;Telephony;' "$entry" || fail "$entry: categories"
done
grep -qx 'StartupWMClass=telvane' "$prefix/share/applications/phondeck-telvane.desktop" \
  || fail "Telvane's entry names no window class"
metainfo="$prefix/share/metainfo/org.phondeck.telvane.metainfo.xml"
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net --pedantic "$metainfo" > "$scratch/appstream" 2>&1 \
    || fail "$(cat "$scratch/appstream")"
fi
launchable="$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")"
[ -f "$prefix/share/applications/$launchable" ] || fail "metainfo launches $launchable, not installed"

# ---- the Debian package ----
command -v dpkg-deb > /dev/null || { echo "no dpkg-deb: package not checked"; exit 0; }
cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" > "$scratch/cpack.log" 2>&1 \
  || fail "cpack: $(cat "$scratch/cpack.log")"
debs=("$scratch"/package/*.deb)
[ ${#debs[@]} = 1 ] || fail "expected one package, found ${debs[*]}"
deb="${debs[0]}"
[ "$(dpkg-deb -f "$deb" Package)" = phondeck ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "section"
depends="$(dpkg-deb -f "$deb" Depends)"
sed 's/ ([^)]*)//g; s/, /\n/g' <<< "$depends" > "$scratch/depends"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -qxF "$library" "$scratch/depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = "qt6-translations-l10n, fonts-noto-cjk" ] \
  || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | sort > "$scratch/packaged"
diff -u "$scratch/expected" "$scratch/packaged" || fail "packaged files differ from the expected list"
scripts="$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Ev '^\./(control|md5sums)?$' || true)"
[ -z "$scripts" ] || fail "unexpected control files: $scripts"
dpkg-deb -x "$deb" "$scratch/unpacked"
file "$scratch/unpacked/usr/bin/telvane" | grep -q ', stripped' || fail "telvane is not stripped"
echo "installed and packaged ${#expected[@]} files"

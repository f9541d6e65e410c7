#!/usr/bin/env bash
# Checks a built package (scripts/package-deb.sh): its metadata, that every
# file is at its place, and that the unpacked program answers --version
# without a display.
# usage: scripts/check-deb.sh dist/tessel_<version>_<arch>.deb
set -euo pipefail
deb=$1
fail() { echo "check-deb: $*" >&2; exit 1; }

[ "$(dpkg-deb -f "$deb" Package)" = tessel ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libssl3 libwxgtk3.2 libportaudio2 libvorbisidec1 zlib1g; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
grep -q python3 <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends lacks python3"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(./usr/bin/tessel ./usr/share/applications/tessel.desktop ./usr/share/man/man6/tessel.6.gz
          ./usr/share/tessel/demo_world.py)
for size in 16 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/tessel.png")
done
for f in "${expected[@]}"; do
  grep -qx -- "$f" <<<"$files" || fail "missing $f"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/tessel.desktop"
version=$(env -u DISPLAY HOME="$root" "$root/usr/bin/tessel" --version)
[[ $version == "tessel $(dpkg-deb -f "$deb" Version) "* ]] || fail "--version says '$version'"
[ ! -e "$root/.Karthem" ] || fail "--version made a configuration directory"
echo "check-deb: $deb is sound"

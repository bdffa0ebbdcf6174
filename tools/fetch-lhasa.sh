#!/usr/bin/env bash
# Puts lhasa's library sources, its command-line tool's sources and its test archives (from
# Debian's lhasa source package) under DEST, for the device's archiver library and its tests.
# Fetched with apt's source download; never committed.
set -euo pipefail
dest=${1:?usage: fetch-lhasa.sh DEST}
[[ -f "$dest/lib/lha_reader.c" && -d "$dest/test/archives" && -f "$dest/src/main.c" ]] && exit 0

# The deb-src entry is the one minizip's fetch makes when none is there.
grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ ||
  bash "$(dirname "$0")/fetch-minizip.sh" "$(dirname "$dest")/minizip"

mkdir -p "$(dirname "$dest")"
work=$(mktemp -d "$(dirname "$dest")/lhasa.XXXXXX")
trap 'rm -rf "$work"' EXIT
for v in $(apt-cache showsrc lhasa | awk '/^Version:/{print $2}' | sort -ru); do
  (cd "$work" && apt-get source --download-only -qq "lhasa=$v" >/dev/null 2>&1) && break
done
orig=$(ls "$work"/lhasa_*.orig.tar.* 2>/dev/null | head -n 1)
[[ -n "$orig" ]] || { echo "fetch-lhasa: could not download lhasa's source package" >&2; exit 1; }
tar -xf "$orig" -C "$work"
src=$(ls -d "$work"/lhasa-*/ | head -n 1)
rm -rf "$dest"
mkdir -p "$dest/test"
cp -r "$src/lib" "$src/src" "$src/COPYING" "$dest/"
cp -r "$src/test/archives" "$dest/test/"

#!/usr/bin/env bash
# Puts minizip's sources (contrib/minizip of Debian's zlib source package) under DEST,
# for the mingw-w64 build. Fetched with apt's source download; never committed.
set -euo pipefail
dest=${1:?usage: fetch-minizip.sh DEST}
[[ -f "$dest/zip.c" && -f "$dest/unzip.c" && -f "$dest/ioapi.c" && -f "$dest/iowin32.c" ]] && exit 0

# apt needs a deb-src entry: derive one from the configured deb entries.
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$f" ]] || continue
    sed 's/^Types: deb$/Types: deb-src/' "$f" > "/etc/apt/sources.list.d/quintar-src-$(basename "$f")"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$f" ]] || continue
    sed -n 's/^deb /deb-src /p' "$f" > "/etc/apt/sources.list.d/quintar-src-$(basename "$f")"
  done
  apt-get update -qq
fi

mkdir -p "$(dirname "$dest")"
work=$(mktemp -d "$(dirname "$dest")/minizip.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A version may be listed whose files a mirror lacks: try each until one downloads.
for v in $(apt-cache showsrc zlib | awk '/^Version:/{print $2}' | sort -ru); do
  (cd "$work" && apt-get source --download-only -qq "zlib=$v" >/dev/null 2>&1) && break
done
orig=$(ls "$work"/zlib_*.orig.tar.* 2>/dev/null | head -n 1)
[[ -n "$orig" ]] || { echo "fetch-minizip: could not download zlib's source package" >&2; exit 1; }
tar -xf "$orig" -C "$work"
src=$(ls -d "$work"/zlib-*/contrib/minizip | head -n 1)
mkdir -p "$dest"
cp "$src"/{ioapi,zip,unzip,iowin32}.{c,h} "$src"/crypt.h "$dest"/

#!/usr/bin/env bash
# Prints the path of a prepared Wine prefix for the emulated device of PROFILE, making it when
# missing or when the device's registry sources changed. The prefix maps no drive to the host's
# root; the device drive itself is linked in by whoever runs a program (wine-test.sh, run-device.sh).
set -euo pipefail
QUINTAR_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$QUINTAR_ROOT/tools/wine-env.sh"
build=${1:?usage: make-prefix.sh BUILD PROFILE}
profile=${2:-qvga}
[[ -f $QUINTAR_ROOT/device/profiles/$profile.reg ]] || { echo "unknown profile $profile" >&2; exit 2; }

# The device's fonts, from Debian's fonts-wine: Wine loads only the prefix's own Fonts folder, and
# without Marlett the caption buttons draw letters, without Tahoma dialog units change.
fontdir=${QUINTAR_FONTS:-/usr/share/wine/fonts}
fonts=(tahoma.ttf tahomabd.ttf marlett.ttf symbol.ttf wingding.ttf webdings.ttf courier.ttf
       ms_sans_serif.ttf small_fonts.ttf)
for f in "${fonts[@]}"; do
  [[ -f $fontdir/$f ]] || { echo "make-prefix: missing font $fontdir/$f (tools/deps.sh installs fonts-wine)" >&2; exit 1; }
done

mkdir -p "$build/wine"
dest=$build/wine/template-$profile
stamp=$(cat "$QUINTAR_ROOT"/device/registry/*.reg "$QUINTAR_ROOT/device/profiles/$profile.reg" \
        "$QUINTAR_ROOT/tools/make-prefix.sh" "${fonts[@]/#/$fontdir/}" | sha256sum | cut -c1-16)

exec 9>"$build/wine/.lock-$profile"
flock 9
if [[ -f $dest/.stamp && $(cat "$dest/.stamp") == "$stamp" ]]; then
  echo "$dest"
  exit 0
fi

tmp=$(mktemp -d "$build/wine/new-$profile.XXXXXX")
trap 'WINEPREFIX=$tmp "$WINESERVER" -k 2>/dev/null || true; rm -rf "$tmp"' EXIT
export WINEPREFIX=$tmp
mkdir -p "$tmp/drive_c/windows/Fonts"
cp "${fonts[@]/#/$fontdir/}" "$tmp/drive_c/windows/Fonts/"
"$WINE" wineboot -i >/dev/null 2>&1
"$WINESERVER" -w

# One registry file, one regedit start: the device's keys, then the profile's.
{
  echo "Windows Registry Editor Version 5.00"
  for f in "$QUINTAR_ROOT"/device/registry/*.reg "$QUINTAR_ROOT/device/profiles/$profile.reg"; do
    grep -v '^Windows Registry Editor' "$f"
    echo
  done
} > "$tmp/drive_c/device.reg"
"$WINE" regedit /S 'C:\device.reg' >/dev/null 2>&1
"$WINESERVER" -w
rm -f "$tmp/drive_c/device.reg"

# No drive may reach the host's files.
for link in "$tmp"/dosdevices/*; do
  case "$(basename "$link")" in
    c:) ;;
    *) rm -f "$link" ;;
  esac
done

echo "$stamp" > "$tmp/.stamp"
trap - EXIT
rm -rf "$dest"
mv "$tmp" "$dest"
echo "$dest"

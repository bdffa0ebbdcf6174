#!/usr/bin/env bash
# The device's archiver library against Python's zipfile, Info-ZIP and lhasa: it packs a tree that
# the peers then test and read, unpacks the peers' archives and lhasa's test archives, and refuses
# hostile entry names.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$(readlink -f "${1:?usage: interop.sh archiver_tool.exe UNZip.dll LHASA_SOURCE}")
dll=$(basename "${2:?}")
lhasa=$(readlink -f "${3:?lhasa source folder}")
work=$(dirname "$tool")/ai
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
steps=$(python3 "$here/interop.py" prepare "$work" "$lhasa")
mapfile -t args <<<"$steps"
bash "$here/../../../tools/wine-test.sh" "$tool" "T:\\$dll" "T:\\" "\\ai\\results.txt" "${args[@]}"
python3 "$here/interop.py" verify "$work"

#!/usr/bin/env bash
# The device's archiver library against Python's zipfile and Info-ZIP: it packs a tree that the
# peers then test and read, unpacks the peers' archives, and refuses hostile entry names.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$(readlink -f "${1:?usage: interop.sh archiver_tool.exe UNZip.dll}")
dll=$(basename "${2:?}")
work=$(dirname "$tool")/ai
trap 'rm -rf "$work"' EXIT
steps=$(python3 "$here/interop.py" prepare "$work")
mapfile -t args <<<"$steps"
bash "$here/../../../tools/wine-test.sh" "$tool" "T:\\$dll" "T:\\" "\\ai\\results.txt" "${args[@]}"
python3 "$here/interop.py" verify "$work"

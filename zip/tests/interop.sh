#!/usr/bin/env bash
# The ZIP engine against Python's zipfile and Info-ZIP: archives of a tree are written by the
# peers, the engine (under Wine, the test binaries' folder being its drive T:) packs the tree and
# unpacks the peers' archives, and the peers check what it wrote.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$(readlink -f "${1:?usage: interop.sh interop_tool.exe}")
work=$(dirname "$tool")/zip-interop
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
steps=$(python3 "$here/interop.py" prepare "$work")
mapfile -t args <<<"$steps"
bash "$here/../../tools/wine-test.sh" "$tool" "${args[@]}"
python3 "$here/interop.py" verify "$work"

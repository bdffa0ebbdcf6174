#!/usr/bin/env bash
# Runs one Win32 test executable under Wine on a fresh test device: a copy of the device image
# as drive Q: and the current drive, the test binaries as drive T:, no drive on the host's root,
# and a wineserver of its own, so test executables may run in parallel.
set -uo pipefail
QUINTAR_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$QUINTAR_ROOT/tools/wine-env.sh"
exe=$(readlink -f "${1:?usage: wine-test.sh EXE [ARGS...]}")
shift
build=$(readlink -f "${QUINTAR_BUILD:-$(dirname "$(dirname "$exe")")}")
profile=${QUINTAR_PROFILE:-qvga}

template=$(bash "$QUINTAR_ROOT/tools/make-prefix.sh" "$build" "$profile") || exit 1
run=$(mktemp -d "$build/wine/run-$(basename "$exe" .exe).XXXXXX")
cleanup() {
  WINEPREFIX=$run/prefix "$WINESERVER" -k 2>/dev/null
  [[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null
  [[ -n ${QUINTAR_KEEP:-} ]] || rm -rf "$run"
}
trap cleanup EXIT

# The template's files are shared by hard links; the registry, which Wine rewrites, is copied.
mkdir -p "$run/prefix/dosdevices"
cp -al "$template/drive_c" "$run/prefix/drive_c"
cp "$template"/*.reg "$template/.update-timestamp" "$run/prefix/"
ln -s ../drive_c "$run/prefix/dosdevices/c:"
if [[ -d $build/device-image ]]; then
  cp -a "$build/device-image" "$run/device"
else
  mkdir -p "$run/device"
fi
ln -s "$run/device" "$run/prefix/dosdevices/q:"
ln -s "$(dirname "$exe")" "$run/prefix/dosdevices/t:"

[[ -n ${DISPLAY:-} ]] || start_xvfb || exit 1

export WINEPREFIX=$run/prefix QUINTAR_DEVICE_DIR=$run/device
cd "$run/device"
"$WINE" "t:\\$(basename "$exe")" "$@"
rc=$?
# The test's own processes have ended; a console host Wine leaves behind must not hold the run
# until ctest's time limit, so the wait is bounded and the cleanup ends what is left.
if ! timeout 30 "$WINESERVER" -w 2>/dev/null; then
  echo "wine-test: processes were still running 30 s after the test ended; ended them" >&2
fi
exit $rc

#!/usr/bin/env bash
# Boots the emulated Pocket PC with the suite installed: builds what is missing, then starts the
# device's Today screen in a device-sized window (a nested X server on your display) or, with no
# display, headless.
#   tools/run-device.sh [--profile qvga|vga|square|landscape] [--screenshot FILE] [--fresh]
#                       [--run NAME [ARGS...]]
# --screenshot FILE boots a fresh device, writes a PNG of its screen once the Today screen has
# drawn (with --run, once the program's window is up), and exits. --run NAME, the last option,
# starts a program of the suite (Folderon, Tamsk, Vorrel, decryptor) or of the device's \Windows
# (fexplore, ...) through the device's shell once the device is up, the remaining arguments
# being its command line. The device's files and registry persist between runs in
# build/win/device-<profile>/ unless --fresh.
set -euo pipefail
QUINTAR_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$QUINTAR_ROOT"
source tools/wine-env.sh

profile=qvga screenshot= fresh= run= run_args=
usage="usage: $0 [--profile qvga|vga|square|landscape] [--screenshot FILE] [--fresh] [--run NAME [ARGS...]]"
while (($#)); do
  case $1 in
    --profile) profile=${2:?--profile needs a name}; shift 2 ;;
    --screenshot) screenshot=$(realpath -m "${2:?--screenshot needs a file}"); fresh=1; shift 2 ;;
    --fresh) fresh=1; shift ;;
    --run)
      run=${2:?--run needs a program name}; shift 2
      # The rest is the program's command line; an argument with spaces stays one argument.
      for arg in "$@"; do
        [[ $arg == *" "* ]] && arg="\"$arg\""
        run_args+=${run_args:+ }$arg
      done
      set -- ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
[[ -f device/profiles/$profile.reg ]] || { echo "unknown profile: $profile" >&2; exit 2; }
size=$(profile_size "$profile")

bash tools/deps.sh
bash tools/fetch-minizip.sh build/minizip
bash tools/fetch-lhasa.sh build/lhasa
cmake --preset win >/dev/null
cmake --build --preset win -- -j"$(nproc)" >/dev/null
build=$QUINTAR_ROOT/build/win
[[ -f $build/device-image/Windows/shell.exe ]] || { echo "the device's shell was not built" >&2; exit 1; }
template=$(bash tools/make-prefix.sh "$build" "$profile")

state=$build/device-$profile
if [[ -n $fresh ]]; then
  state=$(mktemp -d "$build/device-$profile-run.XXXXXX")
fi
if [[ ! -d $state/prefix || $(cat "$state/prefix/.stamp" 2>/dev/null) != $(cat "$template/.stamp") ]]; then
  rm -rf "$state/prefix"
  mkdir -p "$state"
  cp -a "$template" "$state/prefix"
fi
if [[ ! -d $state/device ]]; then
  cp -a "$build/device-image" "$state/device"
else
  # Keep the user's files; bring the installed programs up to date.
  cp -a "$build/device-image/Windows/." "$state/device/Windows/" 2>/dev/null || true
  cp -a "$build/device-image/Program Files/Zek/Quintar/." "$state/device/Program Files/Zek/Quintar/"
fi
ln -sfn "$state/device" "$state/prefix/dosdevices/q:"

# The device path of the program to run: the suite's folder first, then \Windows.
shell_args=()
if [[ -n $run ]]; then
  name=$run
  [[ $name == *.* ]] || name=$name.exe
  program=
  for folder in "Program Files/Zek/Quintar" "Windows"; do
    found=$(find "$state/device/$folder" -maxdepth 1 -type f -iname "$name" -iname '*.exe' 2>/dev/null | head -1)
    if [[ -n $found ]]; then
      program="\\${folder//\//\\}\\$(basename "$found")"
      break
    fi
  done
  if [[ -z $program ]]; then
    echo "no program $run on the device; the suite's are:" \
      $(cd "$state/device/Program Files/Zek/Quintar" && ls -- *.exe | sed 's/\.exe$//') >&2
    exit 2
  fi
  shell_args=(/run "$program")
  if [[ -n $run_args ]]; then shell_args+=(/run-args "$run_args"); fi
fi
export WINEPREFIX=$state/prefix

pids=()
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  ((${#pids[@]})) && kill "${pids[@]}" 2>/dev/null
  [[ -n $screenshot ]] && rm -rf "$state"
  return 0
}
trap cleanup EXIT

if [[ -z $screenshot && -n ${DISPLAY:-} ]]; then
  # A device-sized window on the user's display.
  for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xephyr ":$n" -screen "$size" -title "Pocket PC ($profile)" -no-host-grab >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
    export DISPLAY=":$n"
    break
  done
else
  unset DISPLAY
  start_xvfb "$size"
  pids+=("$XVFB_PID")
fi

cd "$state/device"
if [[ -z $screenshot ]]; then
  echo "Pocket PC ($profile, $size) running on display $DISPLAY; close the window or press Ctrl+C to stop."
  "$WINE" 'Q:\Windows\shell.exe' "${shell_args[@]}" &
  pids+=($!)
  wait "${pids[-1]}" || true
  exit 0
fi

marker=$state/device/Temp/shell-ready
rm -f "$marker"
"$WINE" 'Q:\Windows\shell.exe' /screenshot-ready '\Temp\shell-ready' "${shell_args[@]}" &
pids+=($!)
for _ in $(seq 600); do
  [[ -e $marker ]] && break
  kill -0 "${pids[-1]}" 2>/dev/null || { echo "the device's shell ended before it was ready" >&2; exit 1; }
  sleep 0.1
done
[[ -e $marker ]] || { echo "the device's shell did not get ready in 60 s" >&2; exit 1; }
sleep 0.5
mkdir -p "$(dirname "$screenshot")"
import -display "$DISPLAY" -window root "$screenshot"
echo "wrote $screenshot ($(identify -format '%wx%h' "$screenshot"))"

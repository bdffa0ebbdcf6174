# Sourced by the Wine scripts: where Wine is and how it is quietened.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[[ -x $WINE ]] || WINE=$(command -v wine64 || command -v wine)
[[ -x $WINESERVER ]] || WINESERVER=$(command -v wineserver)
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64

# Profile NAME -> its screen size as "WIDTHxHEIGHT".
profile_size() {
  sed -n 's/^"Default"="\([0-9]*x[0-9]*\)"/\1/p' "$QUINTAR_ROOT/device/profiles/$1.reg" | head -n 1
}

# Starts an Xvfb of the given size on a free display; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local size=${1:-1024x768} n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && { export DISPLAY=":$n"; return 0; }
      kill -0 $XVFB_PID 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "no free X display for Xvfb" >&2
  return 1
}

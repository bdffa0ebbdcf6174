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

# Starts an Xvfb of the given size on a display it picks itself (so parallel starts never share
# one); sets DISPLAY and XVFB_PID.
start_xvfb() {
  local size=${1:-1024x768} out n
  out=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$out" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    n=$(tr -dc 0-9 < "$out")
    if [[ -n $n ]]; then
      rm -f "$out"
      export DISPLAY=":$n"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$out"
  echo "Xvfb did not start" >&2
  return 1
}

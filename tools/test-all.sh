#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: the native preset's core
# tests (sanitized) and fuzzers, then the win preset's tests under Wine on one Xvfb.
set -uo pipefail
QUINTAR_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$QUINTAR_ROOT"
source tools/wine-env.sh
bash tools/deps.sh || exit 1
bash tools/fetch-minizip.sh build/minizip || exit 1
bash tools/fetch-lhasa.sh build/lhasa || exit 1

jobs=$(nproc)
summary=()
failed=0
run_preset() {
  local preset=$1 log
  cmake --preset "$preset" >/dev/null || return 1
  cmake --build --preset "$preset" -- -j"$jobs" || return 1
  log=$(mktemp)
  ctest --preset "$preset" -j"$jobs" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  summary+=("$preset: $(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1)")
  rm -f "$log"
  return "$rc"
}

run_preset native || failed=1
trap '[[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null' EXIT
start_xvfb 1024x768 || exit 1
run_preset win || failed=1

echo
printf '%s\n' "${summary[@]}"
# One closing line over both presets.
printf '%s\n' "${summary[@]}" | awk '
  /tests passed/ { for (i = 1; i <= NF; i++) if ($i == "failed") f += $(i-2); t += $NF }
  END { printf "tests: %d passed, %d failed\n", t - f, f }'
exit "$failed"

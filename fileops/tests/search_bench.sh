#!/usr/bin/env bash
# Runs fileops_search_perf under Wine (its own ratios against bare loops), keeps its device to
# search the same tree with the host's grep -rF, and prints the ratio of the two:
#   fileops/tests/search_bench.sh BUILD_DIR [perf arguments]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(readlink -f "${1:?usage: search_bench.sh BUILD_DIR}")
shift
source "$root/tools/wine-env.sh"
log=$(mktemp)
before=$(ls -d "$build"/wine/run-fileops_search_perf.* 2>/dev/null)
QUINTAR_KEEP=1 bash "$root/tools/wine-test.sh" "$build/bin/fileops_search_perf.exe" "$@" | tr -d '\r' | tee "$log"
rc=${PIPESTATUS[0]}
run=$(comm -13 <(echo "$before") <(ls -d "$build"/wine/run-fileops_search_perf.* 2>/dev/null) | tail -n 1)
ours=$(awk -F '\t' '/^OURS / {print $2}' "$log")
name=$(awk -F '\t' '/^OURS / {print substr($1, 6)}' "$log")
tree=$(awk '/^TREE/ {print $2}' "$log" | tr '\\' '/')
if [[ -n $run && -n $ours && -d $run/device$tree ]]; then
  grep -rF quintar-needle "$run/device$tree" >/dev/null  # the same warm cache as ours
  best=
  for _ in 1 2 3; do
    t0=$(date +%s%N)
    grep -rF quintar-needle "$run/device$tree" >/dev/null
    ms=$(( ($(date +%s%N) - t0) / 1000000 ))
    [[ -z $best || $ms -lt $best ]] && best=$ms
  done
  awk -v o="$ours" -v g="$best" -v n="$name" \
    'BEGIN { printf "%s / grep -rF on the host: ours %.1f ms, anchor %.1f ms, ratio %.2f\n", n, o, g, o / (g > 0 ? g : 1) }'
fi
[[ -n $run ]] && rm -rf "$run"
rm -f "$log"
exit "$rc"

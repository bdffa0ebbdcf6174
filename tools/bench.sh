#!/usr/bin/env bash
# Builds the native preset and runs every benchmark. Each benchmark compares the suite's code with
# an anchor measured in the same run and prints the ratio.
set -euo pipefail
QUINTAR_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$QUINTAR_ROOT"
bash tools/deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -- -j"$(nproc)" >/dev/null
found=0
for b in $(find build/native -maxdepth 3 -type f -executable -name '*_bench' | sort); do
  found=1
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true "$@"
done
((found)) || echo "no benchmarks built"

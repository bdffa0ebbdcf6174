#!/usr/bin/env bash
# Builds both presets and runs every benchmark: natively the Google Benchmark programs and the
# cipher's comparison with OpenSSL, under Wine every *_bench.exe (one Wine process each, all on one
# Xvfb). Each benchmark measures the suite's code against an anchor in the same run and prints the
# ratio; at the end one table lists benchmark, what it compares, ratio and goal.
#   tools/bench.sh [--no-build]       (QUINTAR_JOBS sets the build's parallelism)
set -uo pipefail
QUINTAR_ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$QUINTAR_ROOT"
source tools/wine-env.sh

if [[ ${1:-} != --no-build ]]; then
  bash tools/deps.sh || exit 1
  bash tools/fetch-minizip.sh build/minizip || exit 1
  for preset in native win; do
    echo "== building the $preset preset"
    cmake --preset "$preset" >/dev/null || exit 1
    cmake --build --preset "$preset" -- -j"${QUINTAR_JOBS:-$(nproc)}" >/dev/null || {
      echo "the $preset preset does not build" >&2
      exit 1
    }
  done
fi

logs=$(mktemp -d)
trap '[[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null; rm -rf "$logs"' EXIT

# Runs one benchmark, showing its output as it comes and keeping it for the table.
run() {
  local name=$1
  shift
  echo "== $name"
  # Without colours and carriage returns, so the ratio lines read alike from every program.
  timeout 1800 "$@" 2>&1 | sed -u 's/\x1b\[[0-9;]*m//g; s/\r$//' | tee "$logs/$name.log"
  local rc=${PIPESTATUS[0]}
  ((rc == 0)) || echo "$name: FAILED (exit $rc)" | tee -a "$logs/$name.log"
}

for b in $(find build/native -type f -executable -name '*_bench' | sort); do
  run "$(basename "$b")" "$b"
done
start_xvfb 1024x768 || exit 1
for b in $(find build/win/bin -maxdepth 1 -type f -name '*_bench.exe' | sort); do
  run "$(basename "$b" .exe)" bash tools/wine-test.sh "$b"
done
# Benchmarks whose anchor is a host program (Info-ZIP, say): a script beside the module's tests.
for b in $(find . -path ./build -prune -o -type f -name '*_bench.sh' -print | sort); do
  run "$(basename "$b" .sh)" bash "$b" build/win
done

# What each comparison measures, where its printed name does not say it; keyed "program|name".
declare -A what=(
  ["dialogs_template_bench|BM_ParseTemplate / BM_CopyTemplate"]="parsing a 40-control dialog template vs copying its bytes"
  ["fileops_bench|copy"]="copying a tree with the engine vs a bare CopyFileW loop"
  ["fileops_bench|move (file by file into an existing folder)"]="moving file by file with the engine vs a bare MoveFileW loop"
  ["fileops_bench|move (whole folder)"]="moving a whole folder with the engine vs a bare MoveFileW loop"
  ["fileops_bench|delete"]="deleting a tree with the engine vs a bare DeleteFileW loop"
  ["folderon_fileops_bench|paste of copied tree"]="Folderon's Copy then Paste of a tree vs a bare CopyFileW loop"
  ["folderon_fileops_bench|paste of cut tree (file by file into an existing folder)"]="Folderon's Cut then Paste, merged file by file, vs a bare MoveFileW loop"
  ["folderon_fileops_bench|delete of tree"]="Folderon's Delete of a tree vs a bare DeleteFileW loop"
  ["folderon_options_bench|options sheet / empty sheet"]="opening the Options sheet to its first page painted vs an empty nine-page sheet"
  ["folderon_nav_bench|navigate / enumerate"]="showing a folder of 20,000 files vs a bare enumeration"
  ["glancet_bench|draw busiest tab"]="painting the busiest tab vs one BitBlt of its size"
  ["glancet_bench|load and save"]="loading and saving the data file vs plain reads and writes"
  ["tamsk_expand_bench|expand / bare"]="expanding 10,000 subkeys in the tree vs a bare RegEnumKeyExW loop"
  ["vorrel_bench|processes-list-200"]="filling the Processes list (200) vs a bare snapshot walk"
  ["search_bench|text search 498 MiB in 5000 files / ReadFile loop"]="File Search by text vs a bare FindFirstFileW + ReadFile loop"
  ["search_bench|text search 498 MiB in 5000 files / grep -rF on the host"]="File Search by text under Wine vs grep -rF on the host (reported)"
  ["search_bench|name search 100000 entries / FindFirstFileW walk"]="File Search by name vs a bare FindFirstFileW walk"
  ["search_bench|folder count 100000 entries / FindFirstFileW walk"]="the Contents page's count vs a bare FindFirstFileW walk"
  ["regfile_bench|export"]="exporting 5,000 keys vs regedit /e"
  ["regfile_bench|import"]="importing 5,000 keys vs regedit"
)

# Goals stated as a ratio, where the default (no higher than before) is not the goal; keyed alike.
declare -A goals=(
  ["folderon_nav_bench|navigate / enumerate"]="at most 1.3"
  ["folderon_fileops_bench|paste of copied tree"]="at most 1.2"
  ["folderon_fileops_bench|paste of cut tree (file by file into an existing folder)"]="at most 1.2"
  ["folderon_fileops_bench|delete of tree"]="at most 1.2"
  ["enfcrypt_bench|encrypt file 64 MiB vs CopyFileW (AVX-512)"]="at most 1.9"
  ["enfcrypt_bench|encrypt file 64 MiB vs CopyFileW (AVX2)"]="at most 2.5"
  ["enfcrypt_bench|encrypt file 64 MiB vs CopyFileW (SSE2)"]="at most 4"
)
goals["search_bench|text search 498 MiB in 5000 files / ReadFile loop"]="at most 1.3"
goals["search_bench|text search 498 MiB in 5000 files / grep -rF on the host"]="reported"
goals["search_bench|name search 100000 entries / FindFirstFileW walk"]="at most 1.2"
goals["search_bench|folder count 100000 entries / FindFirstFileW walk"]="at most 1.2"
for kernel in AVX-512 AVX2 SSE2; do
  goals["enfcrypt_cipher_bench|single mode 64 MiB vs DES-ECB ($kernel)"]="at most 1"
  goals["enfcrypt_cipher_bench|triple mode 64 MiB vs DES-EDE-ECB ($kernel)"]="at most 1"
done

# One row per ratio a benchmark printed, in any of the forms the programs use:
#   RESULT name | what | ratio | goal
#   name: ours X ms, anchor Y ms, ratio Z
#   ratio subject / anchor: Z [(goal: G)]
#   export ratio A/B: Z (...)
rows=$(mktemp -p "$logs")
for log in "$logs"/*.log; do
  program=$(basename "$log" .log)
  awk -v program="$program" -F '\n' '
    function row(name, ratio, goal) { printf "%s\t%s\t%s\t%s\n", program, name, ratio, goal }
    /^RESULT / {
      n = split(substr($0, 8), f, / *\| */)
      if (n == 4) printf "%s\t%s\t%s\t%s\t%s\n", program, f[1], f[3], f[4], f[2]
      next
    }
    /: ours [0-9.]+ m?s, anchor [0-9.]+ m?s, ratio [0-9.]+/ {
      name = $0; sub(/: ours .*/, "", name)
      ratio = $0; sub(/.*ratio /, "", ratio); sub(/[^0-9.].*/, "", ratio)
      row(name, ratio, "")
      next
    }
    /^ratio .+: [0-9.]+/ {
      match($0, /: [0-9.]+/)
      name = substr($0, 7, RSTART - 7); ratio = substr($0, RSTART + 2, RLENGTH - 2)
      goal = ""
      if (match($0, /\(goal: [^)]*\)/)) goal = substr($0, RSTART + 7, RLENGTH - 8)
      row(name, ratio, goal)
      next
    }
    /^[a-z]+ ratio [^:]+: [0-9.]+/ {
      name = $0; sub(/ ratio.*/, "", name)
      ratio = $0; sub(/^[^:]*: /, "", ratio); sub(/[^0-9.].*/, "", ratio)
      row(name, ratio, "")
      next
    }
    /: FAILED/ { row("(did not finish)", "-", "-") }
  ' "$log" >>"$rows"
  grep -q "^$program"$'\t' "$rows" || printf '%s\t%s\t%s\t%s\n' "$program" "(prints no ratio)" "-" "-" >>"$rows"
done

echo
echo "Benchmarks (ratio = the suite's time / the anchor's, measured in the same run; below 1 is faster)"
{
  printf 'benchmark\twhat it compares\tratio\tgoal\n'
  while IFS=$'\t' read -r program name ratio goal given; do
    description=${given:-${what["$program|$name"]:-${name// \/ / vs }}}
    printf '%s\t%s\t%s\t%s\n' "$program: ${name%% / *}" "$description" "$ratio" \
      "${goal:-${goals["$program|$name"]:-no higher than before}}"
  done <"$rows"
} | column -t -s $'\t'

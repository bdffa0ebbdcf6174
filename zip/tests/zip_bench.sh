#!/usr/bin/env bash
# "Add to ZIP File" and extraction by the ZIP engine (under Wine) against Info-ZIP's zip -r -6
# and unzip (native) on the same tree in the same run: 2,000 text-like files of 1-64 KiB and two
# of 64 MiB. Prints RESULT rows for tools/bench.sh's table.
#   zip/tests/zip_bench.sh [BUILD]      (BUILD: the win preset's build folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(readlink -f "${1:-$root/build/win}")
tool=$build/bin/zip_interop_tool.exe
work=$build/bin/zip-bench
trap 'rm -rf "$work"' EXIT
rm -rf "$work"
python3 - "$work/Tree" <<'PY'
import os, random, sys
rng = random.Random(2006)
words = [("".join(rng.choice("etaoinshrdlucmfwyp") for _ in range(rng.randint(2, 9)))) for _ in range(5000)]
def text(size):
    out, n = [], 0
    while n < size:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + "\r\n"
        out.append(line); n += len(line)
    return "".join(out)[:size].encode()
root = sys.argv[1]
for i in range(2000):
    folder = os.path.join(root, "dir%02d" % (i % 40))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%04d.txt" % i), "wb") as f:
        f.write(text(rng.randint(1024, 64 * 1024)))
block = text(4 << 20)
for name in ("big1.log", "big2.log"):
    with open(os.path.join(root, name), "wb") as f:
        for k in range(16):  # 64 MiB: 4 MiB blocks, each its own (a repeat lies far outside deflate's window)
            f.write(block[k * 4096:] + block[:k * 4096])
PY
ms() { python3 -c 'import time; print(int(time.monotonic() * 1000))'; }

cd "$work"
# Three rounds, the side going first alternating; the best time of each side counts, which filters
# out the other load on a shared machine.
best() { if [[ -z $1 ]] || python3 -c "import sys; sys.exit(0 if $2 < $1 else 1)"; then echo "$2"; else echo "$1"; fi; }
anchor_pack= anchor_unpack= ours_pack= ours_unpack=
anchor() {
  rm -rf anchor.zip out-anchor
  local t0 t1 t2
  t0=$(ms); zip -q -r -6 anchor.zip Tree; t1=$(ms)
  unzip -q -o anchor.zip -d out-anchor; t2=$(ms)
  anchor_pack=$(best "$anchor_pack" $((t1 - t0)))
  anchor_unpack=$(best "$anchor_unpack" $((t2 - t1)))
}
ours() {
  rm -rf ours.zip out-ours
  local log pack unpack
  log=$(bash "$root/tools/wine-test.sh" "$tool" pack 'T:\zip-bench\Tree' 'T:\zip-bench\ours.zip' \
    unpack 'T:\zip-bench\anchor.zip' 'T:\zip-bench\out-ours' | tr -d '\r')
  echo "$log"
  pack=$(sed -n 's/^pack .*: ok \([0-9.]*\) ms$/\1/p' <<<"$log")
  unpack=$(sed -n 's/^unpack .*: ok \([0-9.]*\) ms$/\1/p' <<<"$log")
  [[ -n $pack && -n $unpack ]] || { echo "the engine's run failed"; exit 1; }
  ours_pack=$(best "$ours_pack" "$pack")
  ours_unpack=$(best "$ours_unpack" "$unpack")
}
for round in 1 2 3; do  # the engine unpacks the anchor's archive: the anchor goes first once
  if ((round % 2)); then anchor; ours; else ours; anchor; fi
done
diff -r -q out-anchor/Tree out-ours/Tree >/dev/null || { echo "extracted trees differ"; exit 1; }
size_anchor=$(stat -c %s anchor.zip)
size_ours=$(stat -c %s ours.zip)
bytes=$(du -sb Tree | cut -f1)
floor=$(python3 -c "
import time, zlib
data = open('Tree/big1.log', 'rb').read()
t = time.monotonic(); zlib.compress(data, 6); print('%.0f' % (len(data) / (time.monotonic() - t) / 2**20))")
echo "zip -r -6: $anchor_pack ms, $size_anchor bytes; engine: $ours_pack ms, $size_ours bytes; $bytes bytes of input"
echo "unzip: $anchor_unpack ms; engine: $ours_unpack ms"
echo "one core deflates $floor MiB/s at level 6 (the floor of a one-thread run)"
ratio() { python3 -c "print('%.2f' % ($1 / $2))"; }
echo "RESULT zip_bench add to ZIP | Add to ZIP File of the tree vs zip -r -6, time | $(ratio "$ours_pack" "$anchor_pack") | 0.8"
echo "RESULT zip_bench add to ZIP, size | Add to ZIP File of the tree vs zip -r -6, archive size | $(ratio "$size_ours" "$size_anchor") | 1.02"
echo "RESULT zip_bench extract | extracting the archive vs unzip, time | $(ratio "$ours_unpack" "$anchor_unpack") | 1.2"

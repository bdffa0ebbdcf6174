// The bit-sliced kernel on 512-bit words; this file alone is compiled for AVX-512 and is only
// called when the processor has it. Its three-input logic instruction lets each S-box be a
// multiplexer tree of about 43 instructions, fewer than the two-input circuits the other kernels
// use (sbox_circuits.h).
#include <immintrin.h>

#include "enfcrypt/bitslice_kernel.h"

namespace quintar::enfcrypt::bitslice {
namespace {

using V = std::uint64_t __attribute__((vector_size(64)));
static_assert(sizeof(V) * 8 == 512);

// The instruction's immediate for the function g(a, b, c) of its three operands' bits.
template <typename G>
constexpr int Immediate(G g) {
  int imm = 0;
  for (int i = 0; i < 8; ++i)
    if (g((i >> 2) & 1, (i >> 1) & 1, i & 1)) imm |= 1 << i;
  return imm;
}

template <int Imm>
ENF_INLINE V Ternary(V a, V b, V c) {
  return reinterpret_cast<V>(_mm512_ternarylogic_epi64(reinterpret_cast<__m512i>(a), reinterpret_cast<__m512i>(b),
                                                       reinterpret_cast<__m512i>(c), Imm));
}

struct Outputs {
  std::uint64_t table[8][4];
};
constexpr Outputs MakeOutputs() {
  Outputs o{};
  for (int box = 0; box < 8; ++box)
    for (int j = 0; j < 4; ++j) o.table[box][j] = des::OutputTable(box, j);
  return o;
}
constexpr Outputs kOutputs = MakeOutputs();

// Table `t` with input i held at `value`.
constexpr std::uint64_t Restrict(std::uint64_t t, int i, int value) {
  const int shift = 1 << i;
  if (value) {
    const std::uint64_t kept = t & des::kEntryTable[i];
    return kept | kept >> shift;
  }
  const std::uint64_t kept = t & ~des::kEntryTable[i];
  return kept | kept << shift;
}

// How an S-box is split: three inputs select, in this order, among leaves that are functions of
// the other three.
struct Split {
  int select[3];
  int leaf[3];
};

// The function of one node of output j's tree, at depth `depth` (that many selects fixed, from
// `path`, first select in the highest bit), as a table over all 64 inputs. Two nodes compute
// the same function exactly when their tables are equal.
constexpr std::uint64_t Table(int box, int j, const Split& s, int depth, int path) {
  std::uint64_t t = kOutputs.table[box][j];
  for (int d = 0; d < depth; ++d) t = Restrict(t, s.select[d], (path >> (depth - 1 - d)) & 1);
  return t;
}

// Every node is computed or its complement, whichever is 0 for the all-zero input, so a node
// and its complement share one instruction; the parent takes the complement into its own.
constexpr bool Complemented(std::uint64_t table) { return table & 1; }
constexpr std::uint64_t Canonical(std::uint64_t table) { return Complemented(table) ? ~table : table; }

// The leaf's immediate over (leaf[0], leaf[1], leaf[2]), canonical.
constexpr int LeafImmediate(int box, int j, const Split& s, int path) {
  const std::uint64_t t = Canonical(Table(box, j, s, 3, path));
  return Immediate([&](int a, int b, int c) {
    return (t >> ((a << s.leaf[0]) | (b << s.leaf[1]) | (c << s.leaf[2]))) & 1;
  });
}

// A leaf that is a constant or one of its inputs takes no instruction.
constexpr bool Trivial(int imm) { return imm == 0x00 || imm == 0xF0 || imm == 0xCC || imm == 0xAA; }

// Instructions an S-box takes with this split: distinct non-trivial leaves plus distinct
// multiplexers, over the four outputs (a node whose two children agree is its child).
constexpr int Cost(int box, const Split& s) {
  std::uint64_t seen[4 * 15] = {};
  int count = 0;
  const auto add = [&](std::uint64_t t) {
    for (int i = 0; i < count; ++i)
      if (seen[i] == t) return;
    seen[count++] = t;
  };
  for (int j = 0; j < 4; ++j)
    for (int depth = 0; depth <= 3; ++depth)
      for (int path = 0; path < (1 << depth); ++path) {
        if (depth == 3) {
          if (!Trivial(LeafImmediate(box, j, s, path))) add(Canonical(Table(box, j, s, 3, path)));
        } else if (Table(box, j, s, depth + 1, 2 * path) != Table(box, j, s, depth + 1, 2 * path + 1)) {
          add(Canonical(Table(box, j, s, depth, path)));
        }
      }
  return count;
}

// The cheapest of the 120 splits.
constexpr Split BestSplit(int box) {
  Split best{};
  int bestCost = 1 << 30;
  for (int leaves = 0; leaves < 64; ++leaves) {
    if (std::popcount(static_cast<unsigned>(leaves)) != 3) continue;
    Split s{};
    int others[3], n = 0, m = 0;
    for (int i = 0; i < 6; ++i) (leaves >> i & 1 ? s.leaf[m++] : others[n++]) = i;
    for (int first = 0; first < 3; ++first)
      for (int second = 0; second < 3; ++second) {
        if (second == first) continue;
        s.select[0] = others[first];
        s.select[1] = others[second];
        s.select[2] = others[3 - first - second];
        if (const int c = Cost(box, s); c < bestCost) {
          bestCost = c;
          best = s;
        }
      }
  }
  return best;
}

template <int Box>
constexpr Split kSplit = BestSplit(Box);

// Node `path` at `depth` of output J's tree, canonical (see Complemented). The compiler merges
// the identical instructions that different outputs' trees produce. A multiplexer takes its
// children first: the instruction overwrites its first operand, and a child is usually dead
// after it, while the select input is not.
template <int Box, int J, int Depth, int Path>
ENF_INLINE V Node(const V (&b)[6]) {
  constexpr const Split& s = kSplit<Box>;
  if constexpr (Depth == 3) {
    constexpr int imm = LeafImmediate(Box, J, s, Path);
    if constexpr (imm == 0x00) return V{};
    else if constexpr (imm == 0xF0) return b[s.leaf[0]];
    else if constexpr (imm == 0xCC) return b[s.leaf[1]];
    else if constexpr (imm == 0xAA) return b[s.leaf[2]];
    else return Ternary<imm>(b[s.leaf[0]], b[s.leaf[1]], b[s.leaf[2]]);
  } else {
    constexpr std::uint64_t t0 = Table(Box, J, s, Depth + 1, 2 * Path);
    constexpr std::uint64_t t1 = Table(Box, J, s, Depth + 1, 2 * Path + 1);
    if constexpr (t0 == t1) {
      return Node<Box, J, Depth + 1, 2 * Path>(b);
    } else {
      constexpr bool c0 = Complemented(t0), c1 = Complemented(t1);
      constexpr bool self = Complemented(Table(Box, J, s, Depth, Path));
      constexpr int imm = Immediate([](int x0, int x1, int sel) { return ((sel ? x1 ^ c1 : x0 ^ c0) ^ self) != 0; });
      return Ternary<imm>(Node<Box, J, Depth + 1, 2 * Path>(b), Node<Box, J, Depth + 1, 2 * Path + 1>(b),
                          b[s.select[Depth]]);
    }
  }
}

template <int Box, int J>
ENF_INLINE void Out(const V (&b)[6], V* y) {
  constexpr bool flip = Complemented(Table(Box, J, kSplit<Box>, 0, 0));
  const V out = Node<Box, J, 0, 0>(b);
  y[kPInv.at[4 * Box + J]] ^= flip ? ~out : out;
}

// f through the trees. The round keys are kept as whole-word masks, so a key bit is one xor
// with a broadcast operand.
class TernaryTree {
 public:
  TernaryTree(const Pass* passes, int passCount) {
    for (int p = 0; p < passCount; ++p)
      for (int round = 0; round < 16; ++round)
        for (int i = 0; i < 48; ++i) masks_[p][round][i] = 0 - std::uint64_t{passes[p].keys[round][i]};
  }

  ENF_INLINE void F(const V* x, V* y, int pass, int round) const { EachBox<TernaryTree>(x, y, masks_[pass][round]); }

  // The trees' outputs are never left complemented.
  static constexpr std::uint64_t Flipped(int) { return 0; }

  template <int B>
  ENF_INLINE static void Box(const V* x, V* y, const std::uint64_t* key) {
    V b[6];
    for (int i = 0; i < 6; ++i) b[i] = x[des::kE[6 * B + i] - 1] ^ key[6 * B + i];
    Out<B, 0>(b, y);
    Out<B, 1>(b, y);
    Out<B, 2>(b, y);
    Out<B, 3>(b, y);
  }

 private:
  std::uint64_t masks_[3][16][48];
};

}  // namespace

void ApplyAvx512(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept {
  Apply<V, TernaryTree>(data, blocks, passes, passCount);
}

}  // namespace quintar::enfcrypt::bitslice

// The bit-sliced kernel, a template over the vector type and the logic of f. Included by one
// source file per instruction set, each compiled with its own flags; everything here has
// internal linkage so the builds never mix.
#pragma once

#include <bit>
#include <cstring>
#include <utility>

#include "enfcrypt/bitslice.h"
#include "enfcrypt/des_tables.h"

namespace quintar::enfcrypt::bitslice {
namespace {

static_assert(std::endian::native == std::endian::little, "the slices are loaded as little-endian words");

// Left defined for the including file's own logic.
#define ENF_INLINE [[gnu::always_inline]] inline

// P's inverse: the f output entry that S-box output entry s lands in.
struct PInverse {
  int at[32];
};
constexpr PInverse MakePInverse() {
  PInverse inv{};
  for (int m = 0; m < 32; ++m) inv.at[des::kP[m] - 1] = m;
  return inv;
}
constexpr PInverse kPInv = MakePInverse();

// For S-box `box`, output bit j, row and high column bits rc = 4 * row + (2 b1 + b2): the
// output as a function of (b3, b4), bit 2 b3 + b4 of the result.
constexpr int TruthTable(int box, int rc, int j) {
  int t = 0;
  for (int x = 0; x < 4; ++x)
    if ((des::kS[box][rc / 4][4 * (rc % 4) + x] >> j) & 1) t |= 1 << x;
  return t;
}

template <typename V, int Box, int J, int RC>
ENF_INLINE void AddTerm(V& out, const V (&q)[16], const V (&h)[16]) {
  constexpr int t = TruthTable(Box, RC, J);
  if constexpr (t == 15) {
    out |= q[RC];
  } else if constexpr (t != 0) {
    out |= q[RC] & h[t];
  }
}

template <typename V, int Box, int J, int... RC>
ENF_INLINE void Output(V& out, const V (&q)[16], const V (&h)[16], std::integer_sequence<int, RC...>) {
  out = V{};
  (AddTerm<V, Box, J, RC>(out, q, h), ...);
}

// One S-box of f as a sum of products: reads its six expanded entries of `x` under the key
// bits, xors its four outputs, through P, into `y`. The output value enters least significant
// bit first.
template <typename V, int Box>
ENF_INLINE void SBox(const V* x, V* y, const std::uint8_t* key) {
  const V ones = ~V{};
  V b[6];
  for (int i = 0; i < 6; ++i) {
    b[i] = x[des::kE[6 * Box + i] - 1];
    if (key[6 * Box + i]) b[i] ^= ones;
  }
  const V nb0 = ~b[0], nb5 = ~b[5], nb1 = ~b[1], nb2 = ~b[2];
  const V row[4] = {nb0 & nb5, nb0 & b[5], b[0] & nb5, b[0] & b[5]};
  const V high[4] = {nb1 & nb2, nb1 & b[2], b[1] & nb2, b[1] & b[2]};
  V q[16];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) q[4 * r + c] = row[r] & high[c];
  const V b3 = b[3], b4 = b[4];
  const V n0 = ~b3 & ~b4, n1 = ~b3 & b4, n2 = b3 & ~b4, n3 = b3 & b4, x34 = b3 ^ b4;
  const V h[16] = {V{}, n0, n1, ~b3, n2, ~b4, x34, ~n3, n3, ~x34, b4, ~n2, b3, ~n1, ~n0, ones};
  V out;
  Output<V, Box, 0>(out, q, h, std::make_integer_sequence<int, 16>{});
  y[kPInv.at[4 * Box + 0]] ^= out;
  Output<V, Box, 1>(out, q, h, std::make_integer_sequence<int, 16>{});
  y[kPInv.at[4 * Box + 1]] ^= out;
  Output<V, Box, 2>(out, q, h, std::make_integer_sequence<int, 16>{});
  y[kPInv.at[4 * Box + 2]] ^= out;
  Output<V, Box, 3>(out, q, h, std::make_integer_sequence<int, 16>{});
  y[kPInv.at[4 * Box + 3]] ^= out;
}

template <typename V>
ENF_INLINE void SumOfProductsF(const V* x, V* y, const std::uint8_t* key) {
  SBox<V, 0>(x, y, key);
  SBox<V, 1>(x, y, key);
  SBox<V, 2>(x, y, key);
  SBox<V, 3>(x, y, key);
  SBox<V, 4>(x, y, key);
  SBox<V, 5>(x, y, key);
  SBox<V, 6>(x, y, key);
  SBox<V, 7>(x, y, key);
}

// Bit j of word i trades places with bit i of word j, in every lane at once.
template <typename V>
ENF_INLINE void Transpose64(V* a) {
  std::uint64_t mask = 0x00000000FFFFFFFFull;
  for (int j = 32; j != 0; j >>= 1, mask ^= mask << j) {
    V m{};
    for (std::size_t lane = 0; lane < sizeof(V) / 8; ++lane) m[lane] = mask;
    for (int k = 0; k < 64; k = ((k | j) + 1) & ~j) {
      const V t = ((a[k] >> j) ^ a[k | j]) & m;
      a[k] ^= t << j;
      a[k | j] ^= t;
    }
  }
}

// The logic of f for instruction sets with only two-input operations.
struct SumOfProducts {
  SumOfProducts(const Pass* passes, int) : passes_(passes) {}
  template <typename V>
  ENF_INLINE void F(const V* x, V* y, int pass, int round) const {
    SumOfProductsF(x, y, passes_[pass].keys[round]);
  }

 private:
  const Pass* passes_;
};

// `Logic` computes f: made from the passes and their count, then logic.F<V>(x, y, pass, round)
// xors f(x, K) into y.
template <typename V, typename Logic = SumOfProducts>
void Apply(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept {
  const Logic logic(passes, passCount);
  constexpr std::size_t kBytes = sizeof(V) * 64;  // one batch
  V s[64], lr[64];
  for (std::size_t done = 0; done + sizeof(V) * 8 <= blocks; done += sizeof(V) * 8, data += kBytes) {
    // Word i holds blocks lanes * i ... lanes * i + lanes - 1, one per lane; after the
    // transpose, word n holds entry n of every block.
    std::memcpy(s, data, kBytes);
    Transpose64(s);
    for (int j = 0; j < 64; ++j) lr[j] = s[des::kIP[j] - 1];
    V* l = lr;
    V* r = lr + 32;
    for (int p = 0; p < passCount; ++p) {
      if (passes[p].encipher) {
        for (int round = 0; round < 16; ++round) {  // (L, R) <- (R, L xor f(R, K))
          logic.template F<V>(r, l, p, round);
          std::swap(l, r);
        }
      } else {
        for (int round = 15; round >= 0; --round) {  // (L, R) <- (R xor f(L, K), L)
          logic.template F<V>(l, r, p, round);
          std::swap(l, r);
        }
      }
    }
    // No swap before the final permutation: L16 then R16.
    for (int i = 0; i < 64; ++i) {
      const int from = des::kFP[i] - 1;
      s[i] = from < 32 ? l[from] : r[from - 32];
    }
    Transpose64(s);
    std::memcpy(data, s, kBytes);
  }
}

}  // namespace
}  // namespace quintar::enfcrypt::bitslice

// The bit-sliced kernel, a template over the vector type and the logic of f. Included by one
// source file per instruction set, each compiled with its own flags; everything here has
// internal linkage so the builds never mix.
#pragma once

#include <bit>
#include <cstring>
#include <type_traits>
#include <utility>

#include "enfcrypt/bitslice.h"
#include "enfcrypt/des_tables.h"
#include "enfcrypt/sbox_circuits.h"
#include "enfcrypt/sbox_tables.h"

namespace quintar::enfcrypt::bitslice {
namespace {

static_assert(std::endian::native == std::endian::little, "the slices are loaded as little-endian words");

// Left defined for the including file's own logic.
#define ENF_INLINE [[gnu::always_inline]] inline

// The inverse of a table of 1-based positions: at[table[k] - 1] = k.
template <std::size_t N>
struct Inverse {
  int at[N];
};
template <std::size_t N>
constexpr Inverse<N> InverseOf(const std::uint8_t (&table)[N]) {
  Inverse<N> inverse{};
  for (std::size_t k = 0; k < N; ++k) inverse.at[table[k] - 1] = static_cast<int>(k);
  return inverse;
}

// The f output entry that S-box output entry s lands in.
constexpr auto kPInv = InverseOf(des::kP);
// Where the initial permutation puts entry n: lr[kToLr.at[n]] = entry n.
constexpr auto kToLr = InverseOf(des::kIP);

// The searched circuits, run on the inputs' tables, give every output for all 64 inputs at once:
// the whole check of a box, done while compiling.
template <int Box>
constexpr bool CircuitIsTable() {
  std::uint64_t y[4] = {};
  circuits::Circuit<Box>::Run(des::kEntryTable, y[0], y[1], y[2], y[3]);
  for (int j = 0; j < 4; ++j)
    if (y[j] != (circuits::kComplemented[Box][j] ? ~des::OutputTable(Box, j) : des::OutputTable(Box, j))) return false;
  return true;
}
static_assert(CircuitIsTable<0>() && CircuitIsTable<1>() && CircuitIsTable<2>() && CircuitIsTable<3>() &&
              CircuitIsTable<4>() && CircuitIsTable<5>() && CircuitIsTable<6>() && CircuitIsTable<7>());

// Bit j of word i trades places with bit i of word j, in every lane at once, for i and j that
// differ only in index bit `Shift`: the bits of a at positions with that bit set trade places with
// the bits of b at positions without it.
template <int Shift, typename V>
ENF_INLINE void SwapMove(V& a, V& b) {
  constexpr std::uint64_t kLow[] = {0x5555555555555555ull, 0x3333333333333333ull, 0x0F0F0F0F0F0F0F0Full,
                                    0x00FF00FF00FF00FFull, 0x0000FFFF0000FFFFull, 0x00000000FFFFFFFFull};
  const V t = ((a >> Shift) ^ b) & kLow[std::countr_zero(unsigned{Shift})];
  a ^= t << Shift;
  b ^= t;
}

// The 64 x 64 transpose is six such stages, one per index bit, in any order. Three of them on
// eight words at once, words that differ only in index bits Stride, 2 Stride and 4 Stride: word m
// comes from in(m) and goes to out(m, word). Written out rather than looped, so a compiler keeps
// the words in registers instead of turning the loads and stores into block copies.
template <int Stride, typename V, typename In, typename Out>
ENF_INLINE void Transpose8(In in, Out out) {
  V w0 = in(0), w1 = in(1), w2 = in(2), w3 = in(3), w4 = in(4), w5 = in(5), w6 = in(6), w7 = in(7);
  SwapMove<4 * Stride>(w0, w4);
  SwapMove<4 * Stride>(w1, w5);
  SwapMove<4 * Stride>(w2, w6);
  SwapMove<4 * Stride>(w3, w7);
  SwapMove<2 * Stride>(w0, w2);
  SwapMove<2 * Stride>(w1, w3);
  SwapMove<2 * Stride>(w4, w6);
  SwapMove<2 * Stride>(w5, w7);
  SwapMove<Stride>(w0, w1);
  SwapMove<Stride>(w2, w3);
  SwapMove<Stride>(w4, w5);
  SwapMove<Stride>(w6, w7);
  out(0, w0);
  out(1, w1);
  out(2, w2);
  out(3, w3);
  out(4, w4);
  out(5, w5);
  out(6, w6);
  out(7, w7);
}

// A word from or to the caller's buffer, at any alignment.
template <typename V>
ENF_INLINE V Load(const std::uint8_t* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <typename V>
ENF_INLINE void Store(std::uint8_t* p, V v) {
  std::memcpy(p, &v, sizeof v);
}

// Each S-box in turn: Logic::Box<B>(x, y, key) for B = 0 to 7.
template <typename Logic, typename V, typename Key>
ENF_INLINE void EachBox(const V* x, V* y, const Key* key) {
  Logic::template Box<0>(x, y, key);
  Logic::template Box<1>(x, y, key);
  Logic::template Box<2>(x, y, key);
  Logic::template Box<3>(x, y, key);
  Logic::template Box<4>(x, y, key);
  Logic::template Box<5>(x, y, key);
  Logic::template Box<6>(x, y, key);
  Logic::template Box<7>(x, y, key);
}

// f through the searched circuits. Some of their outputs come out complemented; rather than
// spend an instruction undoing each, the halves keep those bits complemented, the next rounds' key
// masks take it back out on the way into the S-boxes, and Flipped takes it out of the result.
// Which bits are complemented after each round depends on neither data nor key, so every mask is
// made here, following Apply's rounds. The masks are whole words up to 256 bits: broadcasting one
// costs an instruction with SSE2 and, on several processors, with AVX2.
template <typename V>
class GateCircuits {
  using Mask = std::conditional_t<sizeof(V) <= 32, V, std::uint64_t>;

 public:
  GateCircuits(const Pass* passes, int passCount) {
    bool flipped[64] = {};  // word i of Apply's lr: l is 0 to 31, r 32 to 63 before the first round
    int l = 0, r = 32;
    for (int p = 0; p < passCount; ++p)
      for (int step = 0; step < 16; ++step) {
        const int round = passes[p].encipher ? step : 15 - step;
        const int x = passes[p].encipher ? r : l, y = passes[p].encipher ? l : r;
        for (int i = 0; i < 48; ++i)
          masks_[p][round][i] = Mask{} + (0 - std::uint64_t{passes[p].keys[round][i] != flipped[x + des::kE[i] - 1]});
        for (int box = 0; box < 8; ++box)
          for (int j = 0; j < 4; ++j) flipped[y + kPInv.at[4 * box + j]] ^= circuits::kComplemented[box][j];
        std::swap(l, r);
      }
    for (int i = 0; i < 64; ++i) finish_[i] = 0 - std::uint64_t{flipped[i]};
  }

  ENF_INLINE void F(const V* x, V* y, int pass, int round) const { EachBox<GateCircuits>(x, y, masks_[pass][round]); }

  // The mask that takes the complemented bits back out of word i of (l, r) after the last round.
  std::uint64_t Flipped(int i) const { return finish_[i]; }

  template <int B>
  ENF_INLINE static void Box(const V* x, V* y, const Mask* key) {
    V b[6];
    for (int i = 0; i < 6; ++i) b[i] = x[des::kE[6 * B + i] - 1] ^ key[6 * B + i];
    circuits::Circuit<B>::Run(b, y[kPInv.at[4 * B]], y[kPInv.at[4 * B + 1]], y[kPInv.at[4 * B + 2]],
                              y[kPInv.at[4 * B + 3]]);
  }

 private:
  Mask masks_[3][16][48];
  std::uint64_t finish_[64];
};

// `Logic` computes f: made from the passes and their count, then logic.F(x, y, pass, round) xors
// f(x, K) into y, and logic.Flipped(i) is what to xor word i of (l, r) with after the last round.
template <typename V, typename Logic = GateCircuits<V>>
void Apply(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept {
  const Logic logic(passes, passCount);
  constexpr std::size_t kWord = sizeof(V);
  V s[64], lr[64];
  for (std::size_t done = 0; done + kWord * 8 <= blocks; done += kWord * 8, data += kWord * 64) {
    // Word i of the batch holds blocks lanes * i ... lanes * i + lanes - 1, one per lane; after
    // the transpose, word n holds entry n of every block, stored straight to its place in (l, r).
    for (int g = 0; g < 8; ++g)
      Transpose8<1, V>([&](int m) { return Load<V>(data + kWord * (8 * g + m)); },
                       [&](int m, V w) { s[8 * g + m] = w; });
    for (int g = 0; g < 8; ++g)
      Transpose8<8, V>([&](int m) { return s[g + 8 * m]; }, [&](int m, V w) { lr[kToLr.at[g + 8 * m]] = w; });
    V* l = lr;
    V* r = lr + 32;
    for (int p = 0; p < passCount; ++p) {
      if (passes[p].encipher) {
        for (int round = 0; round < 16; ++round) {  // (L, R) <- (R, L xor f(R, K))
          logic.F(r, l, p, round);
          std::swap(l, r);
        }
      } else {
        for (int round = 15; round >= 0; --round) {  // (L, R) <- (R xor f(L, K), L)
          logic.F(l, r, p, round);
          std::swap(l, r);
        }
      }
    }
    // Back the same way through the final permutation, L16 then R16 with no swap; every pass
    // ends with l at the front again.
    for (int g = 0; g < 8; ++g)
      Transpose8<1, V>(
          [&](int m) {
            const int from = des::kFP[8 * g + m] - 1;
            return lr[from] ^ logic.Flipped(from);
          },
          [&](int m, V w) { s[8 * g + m] = w; });
    for (int g = 0; g < 8; ++g)
      Transpose8<8, V>([&](int m) { return s[g + 8 * m]; }, [&](int m, V w) { Store(data + kWord * (g + 8 * m), w); });
  }
}

}  // namespace
}  // namespace quintar::enfcrypt::bitslice

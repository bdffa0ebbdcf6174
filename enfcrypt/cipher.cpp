// The cipher, fast. Long runs of blocks go to the bit-sliced kernels (bitslice_kernel.h); the
// rest go one block at a time: a block is a little-endian 64-bit word (bit n of the word is
// entry n of the block's bit array), the initial and final permutations are a byte swap, an 8x8
// bit transpose and a byte gather, and each round is eight lookups in tables that fold the
// S-boxes (output least significant bit first) with P, made from the FIPS tables at compile time.
#include <atomic>
#include <bit>
#include <cstring>

#include "enfcrypt/bitslice.h"
#include "enfcrypt/des_tables.h"
#include "enfcrypt/enfcrypt.h"

namespace quintar::enfcrypt {
namespace {

using SpTable = std::array<std::array<std::uint32_t, 64>, 8>;

// kSp[box][v]: P applied to the S-box's output for the 6-bit group v, where bit i of v is entry
// i of the group (row from entries 0 and 5, column from entries 1 to 4, entry 1 the highest).
constexpr SpTable MakeSp() {
  SpTable sp{};
  for (int box = 0; box < 8; ++box) {
    for (unsigned v = 0; v < 64; ++v) {
      const unsigned b0 = v & 1, b1 = (v >> 1) & 1, b2 = (v >> 2) & 1, b3 = (v >> 3) & 1,
                     b4 = (v >> 4) & 1, b5 = (v >> 5) & 1;
      const unsigned s = des::kS[box][2 * b0 + b5][8 * b1 + 4 * b2 + 2 * b3 + b4];
      std::uint32_t out = 0;
      for (int m = 0; m < 32; ++m) {
        const int from = des::kP[m] - 1;
        if (from / 4 == box && ((s >> (from % 4)) & 1)) out |= std::uint32_t{1} << m;
      }
      sp[box][v] = out;
    }
  }
  return sp;
}

constexpr SpTable kSp = MakeSp();

// The group layout the round function relies on: E's group k is the six entries starting at
// entry 4k - 1 (mod 32). Checked here so a table typo cannot silently break the fast rounds.
constexpr bool ExpansionIsWindows() {
  for (int k = 0; k < 8; ++k)
    for (int i = 0; i < 6; ++i)
      if (des::kE[6 * k + i] - 1 != (4 * k - 1 + i + 32) % 32) return false;
  return true;
}
static_assert(ExpansionIsWindows());

// The initial permutation takes output entry 8r + c from input entry 8(7 - c) + beta(r), with
// beta = 1, 3, 5, 7, 0, 2, 4, 6: a byte swap, a transpose and a gather of odd and even rows.
constexpr bool PermutationIsTranspose() {
  constexpr int beta[8] = {1, 3, 5, 7, 0, 2, 4, 6};
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) {
      if (des::kIP[8 * r + c] - 1 != 8 * (7 - c) + beta[r]) return false;
      if (des::kFP[des::kIP[8 * r + c] - 1] - 1 != 8 * r + c) return false;
    }
  return true;
}
static_assert(PermutationIsTranspose());

inline std::uint64_t Transpose8x8(std::uint64_t x) noexcept {
  std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
  x ^= t ^ (t << 7);
  t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
  x ^= t ^ (t << 14);
  t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
  x ^= t ^ (t << 28);
  return x;
}

inline std::uint64_t ByteSwap(std::uint64_t x) noexcept { return __builtin_bswap64(x); }

// Bytes 0, 2, 4, 6 of x into bytes 0 to 3.
inline std::uint32_t GatherEvenBytes(std::uint64_t x) noexcept {
  x &= 0x00FF00FF00FF00FFull;
  x = (x | (x >> 8)) & 0x0000FFFF0000FFFFull;
  return static_cast<std::uint32_t>(x | (x >> 16));
}

inline std::uint64_t SpreadToEvenBytes(std::uint32_t v) noexcept {
  std::uint64_t x = v;
  x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
  return (x | (x << 8)) & 0x00FF00FF00FF00FFull;
}

inline void InitialPermutation(std::uint64_t block, std::uint32_t& l, std::uint32_t& r) noexcept {
  const std::uint64_t z = Transpose8x8(ByteSwap(block));
  l = GatherEvenBytes(z >> 8);
  r = GatherEvenBytes(z);
}

inline std::uint64_t FinalPermutation(std::uint32_t l, std::uint32_t r) noexcept {
  return ByteSwap(Transpose8x8((SpreadToEvenBytes(l) << 8) | SpreadToEvenBytes(r)));
}

inline std::uint64_t LoadBlock(const std::uint8_t* p) noexcept {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = ByteSwap(v);
  return v;
}

inline void StoreBlock(std::uint8_t* p, std::uint64_t v) noexcept {
  if constexpr (std::endian::native == std::endian::big) v = ByteSwap(v);
  std::memcpy(p, &v, 8);
}

inline std::uint32_t F(std::uint32_t x, std::uint32_t even, std::uint32_t odd) noexcept {
  const std::uint32_t u = std::rotl(x, 1);
  const std::uint32_t a = u ^ even;
  const std::uint32_t b = std::rotr(u, 4) ^ odd;
  return kSp[0][a & 63] | kSp[2][(a >> 8) & 63] | kSp[4][(a >> 16) & 63] | kSp[6][(a >> 24) & 63] |
         kSp[1][b & 63] | kSp[3][(b >> 8) & 63] | kSp[5][(b >> 16) & 63] | kSp[7][(b >> 24) & 63];
}

// Sixteen rounds on (l, r); the variables hold the halves in place, two rounds per step.
template <typename Schedule>
inline void EncipherRounds(const Schedule& k, std::uint32_t& l, std::uint32_t& r) noexcept {
  for (int i = 0; i < 16; i += 2) {
    l ^= F(r, k.even[i], k.odd[i]);
    r ^= F(l, k.even[i + 1], k.odd[i + 1]);
  }
}

template <typename Schedule>
inline void DecipherRounds(const Schedule& k, std::uint32_t& l, std::uint32_t& r) noexcept {
  for (int i = 15; i > 0; i -= 2) {
    r ^= F(l, k.even[i], k.odd[i]);
    l ^= F(r, k.even[i - 1], k.odd[i - 1]);
  }
}

}  // namespace

Cipher::Schedule Cipher::MakeSchedule(const std::uint8_t key[8]) noexcept {
  // Run once per key, so plain bit arrays are fine here.
  std::uint8_t bits[64];
  for (int n = 0; n < 64; ++n) bits[n] = (key[n / 8] >> (n % 8)) & 1;
  std::uint8_t cd[56];
  for (int i = 0; i < 56; ++i) cd[i] = bits[des::kPC1[i] - 1];
  Schedule s{};
  for (int round = 0; round < 16; ++round) {
    for (int shift = 0; shift < des::kShifts[round]; ++shift) {
      const std::uint8_t c0 = cd[0], d0 = cd[28];
      std::memmove(cd, cd + 1, 27);
      cd[27] = c0;
      std::memmove(cd + 28, cd + 29, 27);
      cd[55] = d0;
    }
    std::uint32_t groups[8] = {};
    for (int i = 0; i < 48; ++i) groups[i / 6] |= std::uint32_t{cd[des::kPC2[i] - 1]} << (i % 6);
    s.even[round] = groups[0] | groups[2] << 8 | groups[4] << 16 | groups[6] << 24;
    s.odd[round] = groups[1] | groups[3] << 8 | groups[5] << 16 | groups[7] << 24;
  }
  return s;
}

Cipher::Cipher(const std::uint8_t* key, std::size_t keyLength) noexcept {
  std::uint8_t k[16] = {};
  const std::size_t used = keyLength > 16 ? 16 : keyLength;
  if (key && used) std::memcpy(k, key, used);
  triple_ = keyLength > 8;
  k1_ = MakeSchedule(k);
  if (triple_) k2_ = MakeSchedule(k + 8);
}

namespace {

// The round keys as key bits in entry order, for the bit-sliced kernel.
void KeyBits(const Cipher::Schedule& s, std::uint8_t (*bits)[48]) noexcept {
  for (int round = 0; round < 16; ++round)
    for (int k = 0; k < 8; ++k) {
      const std::uint32_t word = k % 2 ? s.odd[round] : s.even[round];
      for (int i = 0; i < 6; ++i) bits[round][6 * k + i] = (word >> (8 * (k / 2) + i)) & 1;
    }
}

}  // namespace

std::size_t Cipher::ApplySliced(std::uint8_t* data, std::size_t blocks, Direction d) const noexcept {
  const bitslice::Kernel& kernel = bitslice::Chosen();
  const std::size_t sliced = blocks / kernel.batch * kernel.batch;
  if (!sliced) return 0;
  std::uint8_t k1[16][48], k2[16][48];
  KeyBits(k1_, k1);
  const bool enc = d == Direction::Encipher;
  bitslice::Pass passes[3] = {{k1, enc}, {k2, !enc}, {k1, enc}};
  if (triple_) KeyBits(k2_, k2);
  kernel.apply(data, sliced, passes, triple_ ? 3 : 1);
  return sliced;
}

void Cipher::Apply(std::uint8_t* data, std::size_t blocks, Direction d) const noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    const std::size_t sliced = ApplySliced(data, blocks, d);
    data += sliced * 8;
    blocks -= sliced;
  }
  ApplyBlocks(data, blocks, d);
}

void Cipher::ApplyBlocks(std::uint8_t* data, std::size_t blocks, Direction d) const noexcept {
  std::uint32_t l, r;
  if (!triple_) {
    if (d == Direction::Encipher) {
      for (std::size_t i = 0; i < blocks; ++i, data += 8) {
        InitialPermutation(LoadBlock(data), l, r);
        EncipherRounds(k1_, l, r);
        StoreBlock(data, FinalPermutation(l, r));
      }
    } else {
      for (std::size_t i = 0; i < blocks; ++i, data += 8) {
        InitialPermutation(LoadBlock(data), l, r);
        DecipherRounds(k1_, l, r);
        StoreBlock(data, FinalPermutation(l, r));
      }
    }
    return;
  }
  // The final permutation of one pass and the initial one of the next cancel out.
  for (std::size_t i = 0; i < blocks; ++i, data += 8) {
    InitialPermutation(LoadBlock(data), l, r);
    if (d == Direction::Encipher) {
      EncipherRounds(k1_, l, r);
      DecipherRounds(k2_, l, r);
      EncipherRounds(k1_, l, r);
    } else {
      DecipherRounds(k1_, l, r);
      EncipherRounds(k2_, l, r);
      DecipherRounds(k1_, l, r);
    }
    StoreBlock(data, FinalPermutation(l, r));
  }
}

bool BlockCipher(std::uint8_t* out, const std::uint8_t* in, long length, const std::uint8_t* key,
                 std::size_t keyLength, Direction d) {
  if (length <= 0 || !out || !in) return false;
  if (!key) return false;
  const std::size_t bytes = (static_cast<std::size_t>(length) + 7) / 8 * 8;
  if (out != in) std::memmove(out, in, bytes);
  Cipher(key, keyLength).Apply(out, bytes / 8, d);
  return true;
}

namespace bitslice {

void RoundKeyBits(const std::uint8_t key[8], std::uint8_t (*bits)[48]) noexcept {
  KeyBits(Cipher::MakeSchedule(key), bits);
}

std::span<const Kernel> Kernels() noexcept {
  static constexpr Kernel kAll[] = {
      {"AVX-512", 512, ApplyAvx512}, {"AVX2", 256, ApplyAvx2}, {"SSE2", 128, ApplySse2}};
  // The processor's answer covers the system's support too: a register file the system does
  // not save counts as absent.
  static const std::size_t first = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") ? 0 : __builtin_cpu_supports("avx2") ? 1 : 2;
  }();
  return std::span<const Kernel>(kAll).subspan(first);
}

namespace {
std::atomic<const Kernel*> chosen{nullptr};
}  // namespace

const Kernel& Chosen() noexcept {
  const Kernel* k = chosen.load(std::memory_order_relaxed);
  return k ? *k : Kernels().front();
}

bool Use(std::string_view name) noexcept {
  for (const Kernel& k : Kernels())
    if (name == k.name) {
      chosen.store(&k, std::memory_order_relaxed);
      return true;
    }
  return false;
}

}  // namespace bitslice
}  // namespace quintar::enfcrypt

// The cipher over many blocks at once, bit-sliced: bit n of every block of a batch sits in one
// machine word, so the permutations become free renaming and the S-boxes become logic on whole
// words. Internal to the module; Cipher::Apply picks it for long runs of blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quintar::enfcrypt::bitslice {

// One pass of sixteen rounds: the round keys as 16 x 48 key bits (0 or 1, entry order) and
// the direction.
struct Pass {
  const std::uint8_t (*keys)[48];
  bool encipher;
};

// Blocks per batch for each kernel; `blocks` given to a kernel must be a multiple of it.
inline constexpr std::size_t kBatchSse2 = 128;
inline constexpr std::size_t kBatchAvx2 = 256;

// Runs the passes (one, or three for triple mode) over whole batches in place.
void ApplySse2(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept;
void ApplyAvx2(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept;

bool CpuHasAvx2() noexcept;

// The sixteen round keys of an 8-byte key as the kernels take them.
void RoundKeyBits(const std::uint8_t key[8], std::uint8_t (*bits)[48]) noexcept;

}  // namespace quintar::enfcrypt::bitslice

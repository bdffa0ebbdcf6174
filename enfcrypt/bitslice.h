// The cipher over many blocks at once, bit-sliced: bit n of every block of a batch sits in one
// machine word, so the permutations become free renaming and the S-boxes become logic on whole
// words. Internal to the module; Cipher::Apply picks it for long runs of blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quintar::enfcrypt::bitslice {

// One pass of sixteen rounds: the round keys as 16 x 48 key bits (0 or 1, entry order) and
// the direction.
struct Pass {
  const std::uint8_t (*keys)[48];
  bool encipher;
};

// Runs the passes (one, or three for triple mode) in place over `blocks` blocks, a multiple of
// the kernel's batch.
using ApplyFn = void (*)(std::uint8_t* data, std::size_t blocks, const Pass* passes,
                         int passCount) noexcept;

struct Kernel {
  const char* name;
  std::size_t batch;  // blocks per batch
  ApplyFn apply;
};

// The kernels this processor can run, fastest first; SSE2, last, is always there.
std::span<const Kernel> Kernels() noexcept;

// The kernel Cipher::Apply uses: the fastest, unless Use chose another.
const Kernel& Chosen() noexcept;

// Makes Cipher::Apply use the kernel named `name` from now on, in every thread, so the tests
// and benchmarks can try each one; false, changing nothing, when the processor cannot run it.
bool Use(std::string_view name) noexcept;

void ApplySse2(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept;
void ApplyAvx2(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept;
void ApplyAvx512(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept;

// The sixteen round keys of an 8-byte key as the kernels take them.
void RoundKeyBits(const std::uint8_t key[8], std::uint8_t (*bits)[48]) noexcept;

}  // namespace quintar::enfcrypt::bitslice

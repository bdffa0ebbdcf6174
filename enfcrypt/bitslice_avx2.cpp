// The bit-sliced kernel on 256-bit words; this file alone is compiled for AVX2 and is only
// called when the processor has it.
#include <immintrin.h>

#include "enfcrypt/bitslice_kernel.h"

namespace quintar::enfcrypt {
namespace {
using V = std::uint64_t __attribute__((vector_size(32)));
}  // namespace

template <>
[[gnu::always_inline]] inline V circuits::AndNot(V a, V b) {
  return reinterpret_cast<V>(_mm256_andnot_si256(reinterpret_cast<__m256i>(b), reinterpret_cast<__m256i>(a)));
}

void bitslice::ApplyAvx2(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept {
  Apply<V>(data, blocks, passes, passCount);
}

}  // namespace quintar::enfcrypt

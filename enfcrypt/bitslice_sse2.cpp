// The bit-sliced kernel on 128-bit words: the baseline every x86-64 processor has.
#include <emmintrin.h>

#include "enfcrypt/bitslice_kernel.h"

namespace quintar::enfcrypt {
namespace {
using V = std::uint64_t __attribute__((vector_size(16)));
}  // namespace

template <>
[[gnu::always_inline]] inline V circuits::AndNot(V a, V b) {
  return reinterpret_cast<V>(_mm_andnot_si128(reinterpret_cast<__m128i>(b), reinterpret_cast<__m128i>(a)));
}

void bitslice::ApplySse2(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept {
  Apply<V>(data, blocks, passes, passCount);
}

}  // namespace quintar::enfcrypt

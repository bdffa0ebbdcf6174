// And-not for the S-box circuits (sbox_circuits.h): a & ~b, on plain words (the compile-time check)
// and as the instruction itself on the kernels' vectors. Written out as a & ~b, a compiler computes
// a ~b that several gates use once and then plain ands, an instruction more. Internal to each
// kernel's file, like bitslice_kernel.h.
#pragma once

#include <immintrin.h>

#include <type_traits>

namespace quintar::enfcrypt::circuits {
namespace {

template <typename V>
[[gnu::always_inline]] constexpr V AndNot(V a, V b) {
  if constexpr (std::is_integral_v<V>) {
    return a & ~b;
  } else if constexpr (sizeof(V) == 16) {
    return reinterpret_cast<V>(_mm_andnot_si128(reinterpret_cast<__m128i>(b), reinterpret_cast<__m128i>(a)));
  } else {
    static_assert(sizeof(V) == 32, "no and-not instruction for this width");
    return reinterpret_cast<V>(_mm256_andnot_si256(reinterpret_cast<__m256i>(b), reinterpret_cast<__m256i>(a)));
  }
}

}  // namespace
}  // namespace quintar::enfcrypt::circuits

// The bit-sliced kernel on 128-bit words: the baseline every x86-64 processor has.
#include "enfcrypt/bitslice_kernel.h"

namespace quintar::enfcrypt::bitslice {

void ApplySse2(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept {
  using V = std::uint64_t __attribute__((vector_size(16)));
  Apply<V>(data, blocks, passes, passCount);
}

}  // namespace quintar::enfcrypt::bitslice

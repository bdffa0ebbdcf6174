// The bit-sliced kernel on 256-bit words; this file alone is compiled for AVX2 and is only
// called when the processor has it.
#include "enfcrypt/bitslice_kernel.h"

namespace quintar::enfcrypt::bitslice {

void ApplyAvx2(std::uint8_t* data, std::size_t blocks, const Pass* passes, int passCount) noexcept {
  using V = std::uint64_t __attribute__((vector_size(32)));
  Apply<V>(data, blocks, passes, passCount);
}

}  // namespace quintar::enfcrypt::bitslice

// The S-boxes as truth tables over their six inputs, made from the FIPS tables at compile time: bit
// v of a table is its value for the input whose bit i is the box's entry i (row from entries 0 and
// 5, column from entries 1 to 4, entry 1 the most significant). The bit-sliced kernels check their
// S-box logic against these, and the search that writes their circuits starts from them.
#pragma once

#include <cstdint>

#include "enfcrypt/des_tables.h"

namespace quintar::enfcrypt::des {

// Entry i's own table: the inputs whose bit i is set.
inline constexpr std::uint64_t kEntryTable[6] = {0xAAAAAAAAAAAAAAAAull, 0xCCCCCCCCCCCCCCCCull, 0xF0F0F0F0F0F0F0F0ull,
                                                 0xFF00FF00FF00FF00ull, 0xFFFF0000FFFF0000ull, 0xFFFFFFFF00000000ull};

// Output bit j (least significant first) of S-box `box`.
constexpr std::uint64_t OutputTable(int box, int j) {
  std::uint64_t t = 0;
  for (unsigned in = 0; in < 64; ++in) {
    const auto bit = [in](int i) { return static_cast<int>((in >> i) & 1); };
    const int row = 2 * bit(0) + bit(5), column = 8 * bit(1) + 4 * bit(2) + 2 * bit(3) + bit(4);
    t |= std::uint64_t((kS[box][row][column] >> j) & 1) << in;
  }
  return t;
}

}  // namespace quintar::enfcrypt::des

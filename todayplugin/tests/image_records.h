// Reading the records of a data-file image, for the tests that check what was saved.
#pragma once

#include <cstring>

#include "todayplugin/core/glancet_core.h"

namespace quintar::glancet::core {

template <typename T>
T At(const FileImage& image, std::size_t offset) {
  T v{};
  std::memcpy(&v, image.data() + offset, sizeof v);
  return v;
}

inline ItemRecord Record(const FileImage& image, int tab, int slot) {
  return At<ItemRecord>(image, offsets::kItems + (tab * kItemsPerTab + slot) * sizeof(ItemRecord));
}

// The records of a tab up to the first empty one.
inline int CountRecords(const FileImage& image, int tab) {
  int n = 0;
  while (n < kItemsPerTab && Record(image, tab, n).kind != kEmpty) ++n;
  return n;
}

}  // namespace quintar::glancet::core

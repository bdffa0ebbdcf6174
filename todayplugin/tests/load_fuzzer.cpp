// Any bytes as the data file: load, lay out, arrange, add, save and load again without a fault.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "todayplugin/core/glancet_core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace quintar::glancet::core;
  static auto state = std::make_unique<State>();
  static auto image = std::make_unique<FileImage>();
  // The fuzzer's input is small; it is repeated through the image so every field sees its bytes.
  image->fill(0);
  if (size > 0)
    for (std::size_t i = 0; i < kFileSize; ++i) (*image)[i] = data[i % size];
  Metrics m{1 + static_cast<int>(size % 2), size % 3 ? 240 : 320, size % 3 ? 320 : 240};
  Load(*image, m, *state);
  LayoutTabBar(m, *state);
  int tab = state->SelectedTab();
  if (tab < 0 || tab >= state->tabCount) __builtin_trap();
  ArrangeFrom(state->grid[tab], state->columns, 0, 0);
  AddLauncher(*state, u"\\x", u"x");
  for (int i = 0; i < 3; ++i) NextPage(*state);
  ComputeHeights(*state);
  if (TallestTab(*state) > 100) __builtin_trap();
  Save(*state, *image);
  Load(std::span<const uint8_t>(data, size), m, *state);
  return 0;
}

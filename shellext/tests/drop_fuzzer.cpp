// Any bytes as a selection's drop block: a path comes back only when it is whole and in bounds.
#include <cstddef>
#include <cstdint>

#include "shellext/menu_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto drop = quintar::menuvex::core::FirstDropPath({reinterpret_cast<const std::byte*>(data), size});
  if (drop.error == quintar::menuvex::core::DropError::None) {
    if (drop.path.empty() || drop.path.size() > quintar::menuvex::core::kMaxPathChars) __builtin_trap();
    const auto plan = quintar::menuvex::core::PlanMenu(drop.path, size > 20 ? data[20] : 0);
    if (plan.itemCount != 4 && plan.itemCount != 7 && plan.itemCount != 8) __builtin_trap();
  }
  return 0;
}

#include <cstddef>
#include <cstdint>

#include "dialogs/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto layout = quintar::dialogs::ParseDialogTemplate(
      {reinterpret_cast<const std::byte*>(data), size});
  if (layout) {
    std::uint32_t ids[3] = {1, 0xFFFF, 0xFFFFFFFF};
    (void)quintar::dialogs::PairControls(layout->controls, ids, !layout->extended);
  }
  return 0;
}

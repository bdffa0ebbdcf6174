// Reads the control rectangles out of a dialog resource (DLGTEMPLATE or DLGTEMPLATEEX) without
// windows.h, so the re-layout can trust nothing about the bytes it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quintar::dialogs {

struct TemplateControl {
  std::uint32_t id;        // as the dialog manager gives it to the control
  std::int16_t x, y, cx, cy;  // dialog units
};

struct TemplateLayout {
  bool extended = false;   // DLGTEMPLATEEX
  std::uint32_t style = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::vector<TemplateControl> controls;  // in template order
};

// nullopt when the bytes are not a complete dialog template: short, a string that runs off the
// end, fewer items than announced.
std::optional<TemplateLayout> ParseDialogTemplate(std::span<const std::byte> bytes);

// Pairs template controls with a dialog's child windows by identifier. The k-th control of the
// template with a given identifier goes to the k-th child with it (so several static labels
// sharing -1 each keep their own place). Returns, per template control, the index of its child
// in `childIds`, or -1 when the dialog has no such control.
std::vector<int> PairControls(std::span<const TemplateControl> controls,
                              std::span<const std::uint32_t> childIds, bool compareLowWord);

}  // namespace quintar::dialogs

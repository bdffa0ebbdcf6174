// What a tap released on the item does: which cell it lands on, and how a launcher's target is
// opened. The Win32 side runs the actions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "todayplugin/core/glancet_core.h"

namespace quintar::glancet::core {

struct TapHit {
  int32_t kind = kEmpty;  // kEmpty: the tap is on no item
  int row = -1, column = -1;
  bool onBar = false;   // the backlight gauge's bar
  bool onIcon = false;  // the backlight gauge's icon part
};
// The item of the selected tab under (x, y), in rows from the top as the press takes them.
TapHit HitItem(const State& state, const Layout& layout, const Metrics& m, int x, int y);

inline constexpr uint32_t kDirectoryBit = 0x10;

// How a launcher opens its target through the shell's "open": a folder (by its directory bit)
// in File Explorer with the folder quoted, anything else itself. `attributes` is empty when the
// target could not be found, which is taken as a file. Nothing for an empty target.
struct LaunchPlan {
  std::u16string file;
  std::u16string parameters;
};
std::optional<LaunchPlan> PlanLaunch(std::u16string_view target, std::optional<uint32_t> attributes);

// The control panel's command line for a gauge (the program's quoted path first, as a child
// process expects its command line to start); empty for other kinds.
inline constexpr char16_t kControlPanel[] = u"\\Windows\\ctlpnl.exe";
std::u16string ControlPanelCommandLine(int32_t gaugeKind);

}  // namespace quintar::glancet::core

#include "todayplugin/core/glancet_tap.h"

#include <algorithm>

namespace quintar::glancet::core {

TapHit HitItem(const State& state, const Layout& layout, const Metrics& m, int x, int y) {
  const auto& grid = state.grid[state.SelectedTab()];
  const int columns = std::clamp(state.columns, 1, kMaxColumns), cell = m.Cell(), s = m.scale;
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < columns; ++c) {
      const int32_t kind = grid[r][c].kind;
      if (IsOneCell(kind) || IsLarge(kind)) {
        const int size = IsLarge(kind) ? 2 * cell : cell;
        Rect32 box = {m.CellX(c), m.CellY(r), m.CellX(c) + size, m.CellY(r) + size};
        if (box.Contains(x, y)) return {kind, r, c, false, false};
      } else if (const GaugePlace* g = IsGauge(kind) ? layout.GaugeAt(c, r) : nullptr) {
        if (!g->band.Contains(x, y)) continue;
        TapHit hit{kind, r, c, false, false};
        if (kind == kBacklight) {
          hit.onBar = g->barPress.Contains(x, y);
          hit.onIcon = x >= g->x0 - 5 * s && x < g->x0 + 17 * s && y >= g->y0 && y < g->y0 + 20 * s;
        }
        return hit;
      }
    }
  return {};
}

std::optional<LaunchPlan> PlanLaunch(std::u16string_view target, std::optional<uint32_t> attributes) {
  if (target.empty()) return std::nullopt;
  if (attributes && (*attributes & kDirectoryBit))
    return LaunchPlan{u"fexplore.exe", u"\"" + std::u16string(target) + u"\""};
  return LaunchPlan{std::u16string(target), u""};
}

std::u16string ControlPanelCommandLine(int32_t gaugeKind) {
  const std::u16string program = u"\"" + std::u16string(kControlPanel) + u"\" ";
  switch (gaugeKind) {
    case kBattery:
      return program + u"cplmain.cpl,3";
    case kMemory:
      return program + u"cplmain.cpl,4";
    case kStorage:
      return program + u"cplmain.cpl,4,1";
    case kBacklight:
      return program + u"\\Windows\\Backlight.cpl";
    default:
      return u"";
  }
}

}  // namespace quintar::glancet::core

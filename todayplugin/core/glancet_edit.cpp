#include "todayplugin/core/glancet_edit.h"

#include <algorithm>
#include <cstring>

namespace quintar::glancet::core {
namespace {

using Tab = ItemRecord[kGridRows][kMaxColumns];

int Columns(const State& state) { return std::clamp(state.columns, 1, kMaxColumns); }

int Width(int32_t kind) { return IsLarge(kind) ? 2 : (IsGauge(kind) ? 3 : 1); }

// Empties an item's cell and the cells it covers.
void ClearItem(Tab& tab, int r, int c) {
  int32_t kind = tab[r][c].kind;
  for (int dx = 1; dx < Width(kind) && c + dx < kMaxColumns; ++dx) tab[r][c + dx] = ItemRecord{};
  if (IsLarge(kind) && r + 1 < kGridRows) {
    tab[r + 1][c] = ItemRecord{};
    if (c + 1 < kMaxColumns) tab[r + 1][c + 1] = ItemRecord{};
  }
  tab[r][c] = ItemRecord{};
}

bool HoldsItem(const ItemRecord& cell) { return cell.kind != kEmpty && cell.kind != kCovered; }

// The first cell of rows 0 to 2 after (r, c), or false at the end of row 2.
bool NextCell(int columns, int& r, int& c) {
  if (++c < columns) return true;
  c = 0;
  return ++r < kShownRows;
}

void SwapStrip(ItemRecord& item, const std::u16string& from1, const std::u16string& to1, const std::u16string& from2,
               const std::u16string& to2) {
  std::u16string_view path = FieldText(item.iconPath);
  if (path == from1)
    SetField(item.iconPath, to1);
  else if (path == from2)
    SetField(item.iconPath, to2);
}

char16_t Fold(char16_t ch) { return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch - u'A' + u'a') : ch; }

}  // namespace

// ---- Tabs ---------------------------------------------------------------------------------------

void FixPage(State& state) {
  const int perPage = std::max(1, state.tabsPerPage);
  state.page = std::max(0, state.page);
  while (state.page > 0 && state.page * perPage >= state.tabCount) --state.page;
  state.tabsOnPage = std::min(perPage, state.tabCount - state.page * perPage);
}

NewTabResult NewTab(State& state, std::u16string_view name, const StripPaths& paths) {
  if (name.empty()) return NewTabResult::kEmptyName;
  if (state.tabCount >= kMaxTabs) return NewTabResult::kTooMany;
  const int index = state.tabCount;
  TabRecord& tab = state.tabs[index];
  tab = TabRecord{};
  SetField(tab.name, name);
  SetField(tab.bitmap, paths.smallSettings);
  tab.rect = state.slots[index % std::clamp(state.tabsPerPage, 1, 4)];
  for (auto& row : state.grid[index])
    for (auto& cell : row) cell = ItemRecord{};
  ++state.tabCount;
  FixPage(state);
  return NewTabResult::kAdded;
}

void RenameTab(State& state, std::u16string_view name) {
  if (name.empty()) return;
  SetField(state.tabs[state.SelectedTab()].name, name);
}

DeleteTabResult DeleteSelectedTab(State& state) {
  if (state.tabCount <= 1) return DeleteTabResult::kLastTab;
  const int gone = state.SelectedTab();
  for (int t = gone; t + 1 < state.tabCount; ++t) {
    state.tabs[t] = state.tabs[t + 1];
    std::memcpy(&state.grid[t], &state.grid[t + 1], sizeof state.grid[t]);
  }
  const int freed = state.tabCount - 1;
  state.tabs[freed] = TabRecord{};
  for (auto& row : state.grid[freed])
    for (auto& cell : row) cell = ItemRecord{};
  state.tabCount = freed;
  state.heights[freed] = TabHeight(state.grid[freed]);
  state.Select(gone > 0 ? gone - 1 : 0);
  FixPage(state);
  return DeleteTabResult::kDeleted;
}

// ---- Icons --------------------------------------------------------------------------------------

int IconCount(IconSet set) { return set == IconSet::kCustom ? 51 : 20; }

const std::u16string& SmallStrip(const StripPaths& paths, IconSet set) {
  return set == IconSet::kCustom ? paths.smallCustom : paths.smallSettings;
}

const std::u16string& LargeStrip(const StripPaths& paths, IconSet set) {
  return set == IconSet::kCustom ? paths.largeCustom : paths.largeSettings;
}

bool ApplyIcon(State& state, bool toTab, IconSet set, int index, const StripPaths& paths) {
  if (index < 0 || index >= IconCount(set)) return false;
  const int selected = state.SelectedTab();
  if (toTab) {
    TabRecord& tab = state.tabs[selected];
    tab.iconIndex = index;
    SetField(tab.bitmap, SmallStrip(paths, set));
    return true;
  }
  auto& tab = state.grid[selected];
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < Columns(state); ++c) {
      ItemRecord& cell = tab[r][c];
      if (!cell.highlight || !(IsOneCell(cell.kind) || IsLarge(cell.kind))) continue;
      cell.iconIndex = index;
      SetField(cell.iconPath, IsLarge(cell.kind) ? LargeStrip(paths, set) : SmallStrip(paths, set));
    }
  return true;
}

IconGrid MakeIconGrid(IconSet set, bool landscape, int scale, int pageHeight, int pageWidth) {
  IconGrid g;
  g.count = IconCount(set);
  g.columns = landscape ? 7 : 5;
  g.icon = 32 * scale;
  g.pitch = (32 + 12) * scale;
  g.margin = 6 * scale;
  g.height = std::max(0, pageHeight - g.margin);
  g.pitchX = std::clamp((pageWidth - g.margin) / g.columns, g.icon, g.pitch);
  return g;
}

Rect32 IconGrid::IconRect(int index, int scroll) const {
  const int row = index / columns - scroll, column = index % columns;
  const int x = margin + column * pitchX, y = margin + row * pitch;
  return {x, y, x + icon, y + icon};
}

int IconGrid::IconAt(int x, int y, int scroll) const {
  if (x < margin || y < margin || pitch <= 0 || pitchX <= 0) return -1;
  const int column = (x - margin) / pitchX, row = (y - margin) / pitch;
  if (column >= columns || (x - margin) % pitchX >= icon || (y - margin) % pitch >= icon) return -1;
  const int index = (row + scroll) * columns + column;
  return index < count ? index : -1;
}

// ---- Items --------------------------------------------------------------------------------------

bool IsStorableTarget(std::u16string_view path) {
  if (path.empty() || path.size() > kPathChars - 1) return false;
  if (path[0] != u'\\' || (path.size() > 1 && path[1] == u'\\')) return false;
  return path.find(u'\0') == std::u16string_view::npos;
}

std::optional<ItemRecord> MakeLauncher(std::u16string_view target, std::u16string_view name) {
  if (!IsStorableTarget(target)) return std::nullopt;
  ItemRecord item{};
  item.kind = kSmall;
  SetField(item.target, target);
  SetField(item.name, name);
  return item;
}

int AddItems(State& state, std::span<const ItemRecord> items) {
  auto& tab = state.grid[state.SelectedTab()];
  const int columns = Columns(state);
  int added = 0;
  for (const ItemRecord& item : items) {
    if (CountTabItems(tab, columns) >= kItemsPerTab) break;
    if (!IsOneCell(item.kind) && !IsGauge(item.kind)) continue;
    const int width = Width(item.kind);
    bool placed = false;
    for (int r = 0; r < kShownRows && !placed; ++r)
      for (int c = 0; c + width <= columns && !placed; ++c) {
        // A cell before a covered one is skipped, as loading skips it: the item stays where it
        // is put when the file is read again.
        bool free = c + 1 >= kMaxColumns || tab[r][c + 1].kind != kCovered;
        for (int dx = 0; dx < width && free; ++dx) free = tab[r][c + dx].kind == kEmpty;
        if (!free) continue;
        tab[r][c] = item;
        tab[r][c].highlight = 0;
        for (int dx = 1; dx < width; ++dx) {
          tab[r][c + dx] = ItemRecord{};
          tab[r][c + dx].kind = kCovered;
        }
        placed = true;
      }
    if (placed) ++added;
  }
  return added;
}

std::span<const Applet> SettingsApplets() {
  static constexpr Applet kApplets[] = {
      {u"About", 7},
      {u"Align Screen", 15},
      {u"Beam", 16},
      {u"Buttons", 0},
      {u"Clock", 9},
      {u"Input Method", 1},
      {u"Memory", 11},
      {u"Menus", 2},
      {u"Owner Information", 3},
      {u"Password", 4},
      {u"Power", 12},
      {u"Regional Settings", 13},
      {u"Remove Programs", 14},
      {u"Sounds & Reminders", 5},
      {u"Today Settings", 6},
      {u"Network Connections", 17},
  };
  return kApplets;
}

ItemRecord AppletItem(const Applet& applet, const StripPaths& paths) {
  ItemRecord item{};
  item.kind = kSmall;
  SetField(item.name, applet.name);
  SetField(item.target, paths.settingsFolder + applet.name + u".lnk");
  SetField(item.iconPath, paths.smallSettings);
  item.iconIndex = applet.icon;
  return item;
}

std::span<const char16_t* const> CustomRows() {
  static constexpr const char16_t* kRows[] = {u"Memory",     u"Bettery",   u"Back Light", u"Storage Card",
                                              u"Theme Loop", u"Power Off", u"Soft Reset", u"Hard Reset"};
  return kRows;
}

ItemRecord CustomItem(int row, const StripPaths& paths) {
  static constexpr int32_t kKinds[] = {kMemory,     kBattery,  kBacklight, kStorage,
                                       kThemeSmall, kPowerOff, kSoftReset, kHardReset};
  ItemRecord item{};
  if (row < 0 || row >= static_cast<int>(std::size(kKinds))) return item;
  item.kind = kKinds[row];
  SetField(item.name, CustomRows()[row]);
  if (row == 4) {
    SetField(item.iconPath, paths.smallSettings);
    item.iconIndex = 19;
  } else if (row >= 5) {
    SetField(item.iconPath, paths.reset);
    item.iconIndex = row - 5;
  }
  return item;
}

bool IsDotEntry(std::u16string_view name) { return name == u"." || name == u".."; }

void SortListed(std::vector<ListedEntry>& entries) {
  std::erase_if(entries, [](const ListedEntry& e) { return IsDotEntry(e.name); });
  std::stable_sort(entries.begin(), entries.end(), [](const ListedEntry& a, const ListedEntry& b) {
    if (a.folder != b.folder) return a.folder;
    return std::lexicographical_compare(a.display.begin(), a.display.end(), b.display.begin(), b.display.end(),
                                        [](char16_t x, char16_t y) { return Fold(x) < Fold(y); });
  });
}

int RemoveHighlighted(State& state) {
  auto& tab = state.grid[state.SelectedTab()];
  const int columns = Columns(state);
  int removed = 0, firstRow = -1, firstColumn = 0;
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < columns; ++c) {
      if (!tab[r][c].highlight || !HoldsItem(tab[r][c])) continue;
      ClearItem(tab, r, c);
      if (firstRow < 0) {
        firstRow = r;
        firstColumn = c;
      }
      ++removed;
    }
  if (removed && state.settings.autoArrange == kOn) ArrangeFrom(tab, columns, firstRow, firstColumn);
  return removed;
}

LargeIconResult ToggleLargeIcon(State& state, const StripPaths& paths) {
  auto& tab = state.grid[state.SelectedTab()];
  const int columns = Columns(state);
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < columns; ++c) {
      ItemRecord& cell = tab[r][c];
      if (!cell.highlight) continue;
      if (cell.kind == kSmall || cell.kind == kThemeSmall) {
        // Grow on a copy: the item and everything after it flow again from its cell.
        Tab copy;
        std::memcpy(&copy, &tab, sizeof copy);
        const int before = CountTabItems(copy, columns);
        ItemRecord moved[kShownRows * kMaxColumns];
        const int n = TakeFrom(copy, columns, r, c, moved);
        moved[0].kind = moved[0].kind == kSmall ? kLarge : kThemeLarge;
        SwapStrip(moved[0], paths.smallSettings, paths.largeSettings, paths.smallCustom, paths.largeCustom);
        bool fits = PlaceAll(std::span(moved, n), columns, copy, r, c) && CountTabItems(copy, columns) == before;
        for (int x = 0; x < kMaxColumns && fits; ++x) fits = !HoldsItem(copy[kShownRows][x]);
        if (!fits) return LargeIconResult::kFull;
        std::memcpy(&tab, &copy, sizeof tab);
        return LargeIconResult::kChanged;
      }
      if (cell.kind == kLarge || cell.kind == kThemeLarge) {
        const int32_t small = cell.kind == kLarge ? kSmall : kThemeSmall;
        ItemRecord item = cell;
        ClearItem(tab, r, c);
        item.kind = small;
        SwapStrip(item, paths.largeSettings, paths.smallSettings, paths.largeCustom, paths.smallCustom);
        tab[r][c] = item;
        int nr = r, nc = c;
        if (state.settings.autoArrange == kOn && NextCell(columns, nr, nc)) ArrangeFrom(tab, columns, nr, nc);
        return LargeIconResult::kChanged;
      }
      return LargeIconResult::kNothing;
    }
  return LargeIconResult::kNothing;
}

void ArrangeSelected(State& state) { ArrangeFrom(state.grid[state.SelectedTab()], Columns(state), 0, 0); }

void ToggleAutoArrange(State& state) {
  state.settings.autoArrange = state.settings.autoArrange == kOn ? 0 : kOn;
  if (state.settings.autoArrange == kOn) ArrangeSelected(state);
}

}  // namespace quintar::glancet::core

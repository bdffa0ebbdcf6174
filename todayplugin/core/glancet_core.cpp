#include "todayplugin/core/glancet_core.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "todayplugin/core/glancet_edit.h"

namespace quintar::glancet::core {
namespace {

template <typename T>
T ReadAt(std::span<const uint8_t> image, std::size_t offset) {
  T value{};
  std::memcpy(&value, image.data() + offset, sizeof value);
  return value;
}

template <typename T>
void WriteAt(FileImage& image, std::size_t offset, const T& value) {
  std::memcpy(image.data() + offset, &value, sizeof value);
}

template <std::size_t N>
void Terminate(char16_t (&field)[N]) {
  // Text after the first terminator is dropped, so that what is shown is what is saved.
  std::size_t n = FieldText(field).size();
  if (n == N) n = N - 1;
  for (std::size_t i = n; i < N; ++i) field[i] = u'\0';
}

void Sanitize(TabRecord& t) {
  Terminate(t.bitmap);
  Terminate(t.name);
  t.selected = t.selected ? 1 : 0;
  std::memset(t.zero, 0, sizeof t.zero);
}

void Sanitize(ItemRecord& r) {
  Terminate(r.iconPath);
  Terminate(r.name);
  Terminate(r.target);
  r.highlight = r.highlight ? 1 : 0;
  std::memset(r.zero, 0, sizeof r.zero);
}

void Sanitize(CardSlot& c) { Terminate(c.name); }

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

ItemRecord CoveredCell() {
  ItemRecord r{};
  r.kind = kCovered;
  return r;
}

void ClearTab(ItemRecord (&tab)[kGridRows][kMaxColumns]) {
  for (auto& row : tab)
    for (auto& cell : row) cell = ItemRecord{};
}

// Lays the tabs out into the slots computed from the logo's right edge, a width and an inset.
void PlaceSlots(State& state, const Metrics& m, int width, int inset) {
  int32_t logoRight = state.logo.rect.right;
  for (int i = 0; i < 4; ++i)
    state.slots[i] = {logoRight + width * i + inset, 0, logoRight + width * (i + 1) + inset, m.TabBarHeight()};
  for (int t = 0; t < kMaxTabs; ++t) state.tabs[t].rect = state.slots[t % state.tabsPerPage];
}

// A logo rectangle out of the file is kept inside the tab bar, so the layout stays arithmetic-safe.
void ClampLogo(State& state, const Metrics& m) {
  Rect32& r = state.logo.rect;
  r.left = Clamp(r.left, 0, m.screenWidth);
  r.right = Clamp(r.right, r.left, m.screenWidth);
  r.top = Clamp(r.top, 0, m.TabBarHeight());
  r.bottom = Clamp(r.bottom, r.top, m.TabBarHeight());
}

}  // namespace

int CountTabItems(const ItemRecord (&tab)[kGridRows][kMaxColumns], int columns) {
  int n = 0;
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < columns; ++c)
      if (tab[r][c].kind != kEmpty && tab[r][c].kind != kCovered) ++n;
  return n;
}

StripPaths MakeStripPaths(int scale) {
  StripPaths p;
  p.folder = u"\\Program Files\\Zek\\Pellvane\\image\\";
  p.settingsFolder = u"\\Program Files\\Zek\\Pellvane\\Settings\\";
  bool two = scale == 2;
  p.smallSettings = p.folder + (two ? u"setting32.bmp" : u"setting16.bmp");
  p.largeSettings = p.folder + (two ? u"setting64.bmp" : u"setting32.bmp");
  p.smallCustom = p.folder + (two ? u"custom32.bmp" : u"custom16.bmp");
  p.largeCustom = p.folder + (two ? u"custom64.bmp" : u"custom32.bmp");
  p.reset = p.folder + (two ? u"reset32.bmp" : u"reset16.bmp");
  p.logo = p.folder + (two ? u"zek32" : u"zek16") + u".bmp";
  p.next = p.folder + (two ? u"Wizard32" : u"Wizard16") + u".bmp";
  p.battery = p.folder + u"battery.bmp";
  p.memory = p.folder + u"memory.bmp";
  p.storage = p.folder + u"storagecard.bmp";
  p.backlight = p.folder + u"backlight.bmp";
  return p;
}

int State::SelectedTab() const {
  int selected = 0;
  for (int t = 0; t < tabCount; ++t)
    if (tabs[t].selected) selected = t;
  return selected;
}

void State::Select(int tab) {
  for (auto& t : tabs) t.selected = 0;
  if (tab >= 0 && tab < kMaxTabs) tabs[tab].selected = 1;
}

bool PlaceItem(const ItemRecord& item, int columns, ItemRecord (&tab)[kGridRows][kMaxColumns], int& row, int& column) {
  int32_t kind = item.kind;
  bool placed = IsOneCell(kind) || IsLarge(kind) || IsGauge(kind);
  int width = IsLarge(kind) ? 2 : (IsGauge(kind) ? 3 : 1);
  auto free = [&](int r, int c) { return r >= kGridRows || tab[r][c].kind == kEmpty; };
  for (;; ++column) {
    if (column >= columns) {
      ++row;
      column = 0;
    }
    if (row >= kGridRows) return false;
    if (tab[row][column].kind == kCovered) continue;
    if (column + 1 < kMaxColumns && tab[row][column + 1].kind == kCovered) continue;
    // A wider item is never laid over a neighbour or past the last column: it takes the next
    // place where all of its cells are free.
    bool fits = column + width <= columns;
    for (int dx = 0; fits && dx < width; ++dx) fits = free(row, column + dx);
    if (fits && IsLarge(kind)) fits = free(row + 1, column) && free(row + 1, column + 1);
    if (fits) break;
  }
  if (placed) {
    tab[row][column] = item;
    for (int dx = 1; dx < width; ++dx) tab[row][column + dx] = CoveredCell();
    if (IsLarge(kind) && row + 1 < kGridRows) {
      tab[row + 1][column] = CoveredCell();
      tab[row + 1][column + 1] = CoveredCell();
    }
    column += width;
  } else {
    column += 1;
  }
  return true;
}

void FlowTab(std::span<const ItemRecord, kItemsPerTab> records, int columns,
             ItemRecord (&tab)[kGridRows][kMaxColumns]) {
  int row = 0, column = 0;
  for (const ItemRecord& record : records) {
    ItemRecord item = record;
    Sanitize(item);
    if (!IsOneCell(item.kind) && !IsLarge(item.kind) && !IsGauge(item.kind)) item = ItemRecord{};
    if (!PlaceItem(item, columns, tab, row, column)) return;
  }
}

int TakeFrom(ItemRecord (&tab)[kGridRows][kMaxColumns], int columns, int row, int column,
             ItemRecord (&out)[kShownRows * kMaxColumns]) {
  int count = 0;
  if (row < 0 || row >= kShownRows || column < 0 || column >= columns) return 0;
  for (int r = row; r < kShownRows; ++r) {
    for (int c = (r == row ? column : 0); c < columns; ++c) {
      ItemRecord& cell = tab[r][c];
      if (cell.kind == kEmpty || cell.kind == kCovered) continue;
      out[count++] = cell;
      int width = IsLarge(cell.kind) ? 2 : (IsGauge(cell.kind) ? 3 : 1);
      for (int dx = 1; dx < width && c + dx < kMaxColumns; ++dx) tab[r][c + dx] = ItemRecord{};
      if (IsLarge(cell.kind) && r + 1 < kGridRows) {
        tab[r + 1][c] = ItemRecord{};
        if (c + 1 < kMaxColumns) tab[r + 1][c + 1] = ItemRecord{};
      }
      cell = ItemRecord{};
    }
  }
  return count;
}

bool PlaceAll(std::span<const ItemRecord> items, int columns, ItemRecord (&tab)[kGridRows][kMaxColumns], int row,
              int column) {
  for (const ItemRecord& item : items)
    if (!PlaceItem(item, columns, tab, row, column)) return false;
  return true;
}

void ArrangeFrom(ItemRecord (&tab)[kGridRows][kMaxColumns], int columns, int row, int column) {
  ItemRecord collected[kShownRows * kMaxColumns];
  int count = TakeFrom(tab, columns, row, column, collected);
  PlaceAll(std::span(collected, count), columns, tab, row, column);
}

int TabHeight(const ItemRecord (&tab)[kGridRows][kMaxColumns]) {
  int height = 20;
  for (int r = 0; r < kShownRows; ++r) {
    bool large = false, any = false;
    for (int c = 0; c < kMaxColumns; ++c) {
      large = large || IsLarge(tab[r][c].kind);
      any = any || tab[r][c].kind != kEmpty;
    }
    if (large) {
      height += 40;
      ++r;
    } else if (any) {
      height += 20;
    }
  }
  return height;
}

void ComputeHeights(State& state) {
  for (int t = 0; t < kMaxTabs; ++t) state.heights[t] = TabHeight(state.grid[t]);
}

int TallestTab(const State& state) { return *std::max_element(state.heights.begin(), state.heights.end()); }

void Load(std::span<const uint8_t> data, const Metrics& m, State& state) {
  // A short file leaves the rest of the image zero.
  std::unique_ptr<FileImage> padded;
  std::span<const uint8_t> in = data;
  if (data.size() < kFileSize) {
    padded = std::make_unique<FileImage>();
    padded->fill(0);
    if (!data.empty()) std::memcpy(padded->data(), data.data(), data.size());
    in = *padded;
  }

  state.columns = m.Columns();
  state.tabsPerPage = m.TabsPerPage();
  state.page = 0;
  state.tabsOnPage = state.tabsPerPage;
  state.tabCount = Clamp(ReadAt<int32_t>(in, offsets::kTabCount), 1, kMaxTabs);
  state.logo = ReadAt<TabRecord>(in, offsets::kLogo);
  state.next = ReadAt<TabRecord>(in, offsets::kNext);
  Sanitize(state.logo);
  Sanitize(state.next);
  ClampLogo(state, m);
  state.next.rect = {m.screenWidth - 2 * m.SmallIcon(), 0, m.screenWidth, m.TabBarHeight()};
  int width = (m.screenWidth - state.logo.rect.Width() - state.next.rect.Width()) / state.tabsPerPage;
  for (int t = 0; t < kMaxTabs; ++t) {
    state.tabs[t] = t < state.tabCount ? ReadAt<TabRecord>(in, offsets::kTabs + t * sizeof(TabRecord)) : TabRecord{};
    Sanitize(state.tabs[t]);
  }
  PlaceSlots(state, m, width, 1);
  // Every tab shown needs a selection; a file without one shows its first tab.
  bool anySelected = false;
  for (int t = 0; t < state.tabCount; ++t) anySelected = anySelected || state.tabs[t].selected;
  if (!anySelected) state.tabs[0].selected = 1;

  state.settings = ReadAt<Settings>(in, offsets::kSettings);
  for (int i = 0; i < kCardSlots; ++i) {
    state.cards[i] = ReadAt<CardSlot>(in, offsets::kCards + i * sizeof(CardSlot));
    Sanitize(state.cards[i]);
    if (state.cards[i].flag == kOn)
      state.storagePercent = state.settings.showFree == kOn ? state.cards[i].freePercent : state.cards[i].usedPercent;
  }

  for (int t = 0; t < kMaxTabs; ++t) {
    ClearTab(state.grid[t]);
    ItemRecord records[kItemsPerTab];
    for (int i = 0; i < kItemsPerTab; ++i)
      records[i] = ReadAt<ItemRecord>(in, offsets::kItems + (t * kItemsPerTab + i) * sizeof(ItemRecord));
    FlowTab(records, state.columns, state.grid[t]);
  }
  ComputeHeights(state);
}

void Save(const State& state, FileImage& image) {
  WriteAt(image, offsets::kLogo, state.logo);
  WriteAt(image, offsets::kNext, state.next);
  WriteAt(image, offsets::kTabCount, state.tabCount);
  // The records past the count are written zero, so a deleted tab leaves nothing behind.
  for (int t = 0; t < kMaxTabs; ++t)
    WriteAt(image, offsets::kTabs + t * sizeof(TabRecord), t < state.tabCount ? state.tabs[t] : TabRecord{});
  WriteAt(image, offsets::kSettings, state.settings);
  for (int i = 0; i < kCardSlots; ++i) WriteAt(image, offsets::kCards + i * sizeof(CardSlot), state.cards[i]);
  std::memset(image.data() + offsets::kItems, 0, offsets::kSettings - offsets::kItems);
  int columns = std::clamp(state.columns, 1, kMaxColumns);
  for (int t = 0; t < kMaxTabs; ++t) {
    int k = 0;
    for (int r = 0; r < kShownRows; ++r)
      for (int c = 0; c < columns; ++c) {
        const ItemRecord& cell = state.grid[t][r][c];
        if (cell.kind == kEmpty || cell.kind == kCovered) continue;
        // Thirty records is all a tab has; a wide landscape grid is kept below that when items are added.
        if (k < kItemsPerTab) WriteAt(image, offsets::kItems + (t * kItemsPerTab + k) * sizeof(ItemRecord), cell);
        ++k;
      }
  }
}

namespace {

struct DefaultItem {
  int tab, kind;
  std::u16string target;
  std::u16string name;  // empty with a target: the shell's name
  const std::u16string* strip;
  int icon;
};

}  // namespace

void BuildDefaults(const Metrics& m, const StripPaths& p, const DisplayNameFn& displayName, FileImage& image,
                   State& state) {
  image.fill(0);
  int s = m.scale;
  TabRecord logo{};
  SetField(logo.bitmap, p.logo);
  SetField(logo.name, u"ZEK ICON");
  logo.rect = {0, 0, 5 * s + m.SmallIcon(), m.TabBarHeight()};
  TabRecord next{};
  SetField(next.bitmap, p.next);
  SetField(next.name, u"Next");
  WriteAt(image, offsets::kLogo, logo);
  WriteAt(image, offsets::kNext, next);
  WriteAt(image, offsets::kTabCount, int32_t{3});
  int width = (m.screenWidth - logo.rect.Width()) / 3;
  const char16_t* names[3] = {u"System", u"Program", u"Setting"};
  for (int t = 0; t < 3; ++t) {
    TabRecord tab{};
    SetField(tab.bitmap, p.smallSettings);
    SetField(tab.name, names[t]);
    tab.iconIndex = t;
    tab.selected = t == 0 ? 1 : 0;
    tab.rect = {logo.rect.right + width * t + s, 0, logo.rect.right + width * (t + 1) + s, m.TabBarHeight()};
    WriteAt(image, offsets::kTabs + t * sizeof(TabRecord), tab);
    WriteAt(image, offsets::kHeaderRects + t * sizeof(Rect32), tab.rect);
  }

  const std::u16string programs = u"\\Windows\\Start Menu\\Programs\\";
  const std::u16string& set = p.settingsFolder;
  const DefaultItem items[] = {
      {0, kBattery, u"", u"Battery", nullptr, 0},
      {0, kMemory, u"", u"Memory", nullptr, 0},
      {0, kLarge, programs + u"Calculator.lnk", u"", nullptr, 0},
      {0, kLarge, programs + u"File Explorer.lnk", u"", nullptr, 0},
      {0, kBacklight, u"", u"Back Light", nullptr, 0},
      {0, kStorage, u"", u"Storage Card", nullptr, 0},
      {0, kThemeSmall, u"", u"", &p.smallSettings, 19},
      {0, kSmall, u"\\Windows\\pword.exe", u"Pocket Word", nullptr, 0},
      {0, kSmall, u"\\Windows\\pxl.exe", u"Pocket Excel", nullptr, 0},
      {0, kSmall, u"\\Windows\\Notes.exe", u"Notes", nullptr, 0},
      {0, kSmall, u"\\Windows\\solitare.exe", u"Solitaire", nullptr, 0},
      {0, kSmall, u"\\Windows\\wmplayer.exe", u"Media Play", nullptr, 0},
      {1, kLarge, u"\\Windows\\iexplore.exe", u"Internet Explorer", nullptr, 0},
      {1, kLarge, u"\\Windows\\tmail.exe", u"Inbox", nullptr, 0},
      {1, kLarge, u"\\Windows\\instmsgr.exe", u"MSN", nullptr, 0},
      {1, kLarge, set + u"Beam.lnk", u"", &p.largeSettings, 16},
      {1, kLarge, set + u"Network Connections.lnk", u"", &p.largeSettings, 17},
      {1, kLarge, programs + u"Folderon.lnk", u"Folderon", nullptr, 0},
      {1, kLarge, programs + u"Zek RegEditor.lnk", u"Zek RegEditor", nullptr, 0},
      {1, kLarge, programs + u"Zek Vorrel.lnk", u"Zek Vorrel", nullptr, 0},
      {2, kThemeLarge, u"", u"", &p.largeSettings, 19},
      {2, kSmall, set + u"Today Settings.lnk", u"", &p.smallSettings, 6},
      {2, kSmall, set + u"About.lnk", u"", &p.smallSettings, 7},
      {2, kSmall, set + u"Align Screen.lnk", u"", &p.smallSettings, 15},
      {2, kSmall, set + u"Buttons.lnk", u"", &p.smallSettings, 0},
      {2, kSmall, set + u"Clock.lnk", u"", &p.smallSettings, 9},
      {2, kSmall, set + u"Beam.lnk", u"", &p.smallSettings, 16},
      {2, kSmall, set + u"Memory.lnk", u"", &p.smallSettings, 11},
      {2, kSmall, set + u"Menus.lnk", u"", &p.smallSettings, 2},
      {2, kSmall, set + u"Owner Information.lnk", u"", &p.smallSettings, 3},
  };
  int slot[3] = {0, 0, 0};
  for (const DefaultItem& d : items) {
    ItemRecord r{};
    r.kind = d.kind;
    SetField(r.target, d.target);
    SetField(r.name, d.name.empty() && !d.target.empty() && displayName ? displayName(d.target) : d.name);
    if (d.strip) {
      SetField(r.iconPath, *d.strip);
      r.iconIndex = d.icon;
    }
    WriteAt(image, offsets::kItems + (d.tab * kItemsPerTab + slot[d.tab]++) * sizeof(ItemRecord), r);
  }

  Settings settings{kProgramMemory, 0, 0, kOn, 0, kOn, -1};
  WriteAt(image, offsets::kSettings, settings);
  CardSlot first{};
  first.flag = kOn;
  WriteAt(image, offsets::kCards, first);
  Load(image, m, state);
}

void LayoutTabBar(const Metrics& m, State& state) {
  state.tabsPerPage = m.TabsPerPage();
  int width;
  if (state.MoreTabsThanFit()) {
    state.next.rect = {m.screenWidth - m.SmallIcon() - 5, 0, m.screenWidth, m.TabBarHeight()};
    width = (m.screenWidth - state.logo.rect.Width() - state.next.rect.Width()) / state.tabsPerPage;
  } else {
    width = (m.screenWidth - state.logo.rect.Width()) / state.tabsPerPage;
  }
  PlaceSlots(state, m, width, m.scale);
}

GaugePlace Metrics::Gauge(int32_t kind, int column, int row) const {
  const int s = scale, x0 = GridLeft() + (20 * column + 5) * s, y0 = CellY(row);
  GaugePlace g;
  g.kind = kind;
  g.column = column;
  g.row = row;
  g.x0 = x0;
  g.y0 = y0;
  g.band = {x0 - 5 * s, y0, x0 + 55 * s, y0 + 20 * s};
  g.bar = {x0 + 18 * s, y0 + 6 * s, x0 + 50 * s, y0 + 17 * s};
  g.barPress = {x0 + 18 * s, y0 + 5 * s, x0 + 50 * s, y0 + 20 * s};
  g.fill = {g.bar.left, g.bar.top, g.bar.left, g.bar.bottom};
  return g;
}

const GaugePlace* Layout::GaugeAt(int column, int row) const {
  for (int i = 0; i < gaugeCount; ++i)
    if (gauges[i].column == column && gauges[i].row == row) return &gauges[i];
  return nullptr;
}

const GaugePlace* Layout::Last(int32_t kind) const {
  for (int i = gaugeCount - 1; i >= 0; --i)
    if (gauges[i].kind == kind) return &gauges[i];
  return nullptr;
}

void PlaceKnobs(const Metrics& m, Layout& layout) {
  for (int i = 0; i < layout.gaugeCount; ++i) {
    GaugePlace& g = layout.gauges[i];
    if (g.kind != kBacklight) continue;
    layout.knobX = ClampKnob(layout.knobX, g.x0, m.scale);
    g.knob = m.Knob(layout.knobX, g.y0);
  }
}

void LayOut(const Metrics& m, uint32_t battery, State& state, Layout& layout) {
  LayoutTabBar(m, state);
  layout.nextIcon = m.TabIcon(state.next.rect.left + 2);
  layout.gaugeCount = 0;
  const auto& grid = state.grid[state.SelectedTab()];
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < state.columns && c < kMaxColumns; ++c) {
      int32_t kind = grid[r][c].kind;
      if (!IsGauge(kind) || layout.gaugeCount >= Layout::kMaxGauges) continue;
      GaugePlace g = m.Gauge(kind, c, r);
      if (kind == kBattery)
        g.percent = battery;
      else if (kind == kMemory)
        g.percent = static_cast<uint32_t>(state.settings.memoryPercent);
      else
        g.percent = state.storagePercent;
      if (kind != kBacklight) {
        g.fillWidth = BarWidth(g.percent);
        g.fill.right = g.fill.left + g.fillWidth * m.scale;
      }
      layout.gauges[layout.gaugeCount++] = g;
    }
  PlaceKnobs(m, layout);
}

void NextPage(State& state) {
  int tpp = state.tabsPerPage;
  int pages = static_cast<int>(static_cast<double>(state.tabCount) / tpp + 0.9);
  ++state.page;
  if (state.page >= pages) {
    state.page = 0;
    state.tabsOnPage = tpp;
  } else if (state.page == pages - 1) {
    state.tabsOnPage = state.tabCount % tpp ? state.tabCount % tpp : tpp;
  } else {
    state.tabsOnPage = tpp;
  }
}

bool AddLauncher(State& state, std::u16string_view path, std::u16string_view displayName) {
  std::optional<ItemRecord> launcher = MakeLauncher(path, displayName);
  return launcher && AddItems(state, std::span(&*launcher, 1)) == 1;
}

uint32_t StorageUsedPercent(uint32_t storeSize, uint32_t storeFree) {
  if (storeSize == 0 || storeFree >= storeSize) return 0;
  return static_cast<uint32_t>(static_cast<double>(storeSize - storeFree) / storeSize * 100.0);
}

uint32_t TotalUsedPercent(const MemoryReadings& r) {
  double total = static_cast<double>(r.totalPhys) + r.storeSize;
  double avail = static_cast<double>(r.availPhys) + r.storeFree;
  if (total <= 0 || avail >= total) return 0;
  return static_cast<uint32_t>((total - avail) / total * 100.0);
}

bool CardUsedPercent(uint64_t totalBytes, uint64_t freeBytes, uint64_t& used) {
  if (totalBytes == 0) return false;
  uint64_t inUse = freeBytes >= totalBytes ? 0 : totalBytes - freeBytes;
  used = static_cast<uint64_t>(static_cast<double>(inUse) / static_cast<double>(totalBytes) * 100.0);
  if (used > 100) used = 100;
  return true;
}

uint32_t MemoryShown(const GaugeValues& g, int32_t mode) {
  if (mode == kProgramMemory) return g.programLoad;
  if (mode == kStorageMemory) return g.storageUsed;
  return g.totalUsed;
}

void UpdateStoragePercent(State& state) {
  for (int i = 0; i < state.cardCount && i < kCardSlots; ++i) {
    const CardSlot& card = state.cards[i];
    if (card.flag != kOn) continue;
    if (state.settings.showFree == kOn)
      state.storagePercent = card.freePercent;
    else if (state.settings.showUsed == kOn)
      state.storagePercent = card.usedPercent;
  }
}

void ApplyRefresh(State& state, GaugeValues& g) {
  state.settings.memoryPercent = static_cast<int32_t>(MemoryShown(g, state.settings.memoryMode));
  UpdateStoragePercent(state);
  if (g.firstRefresh) {
    state.storagePercent = state.cards[0].usedPercent;
    state.settings.memoryPercent = static_cast<int32_t>(g.programLoad);
    g.firstRefresh = false;
  }
}

int BarWidth(uint64_t percent) {
  if (percent > 100) percent = 100;
  return static_cast<int>(static_cast<double>(percent) * 0.32);
}

BacklightSetting BacklightFromOffset(int d) {
  if (d >= 18 && d <= 24) return {true, 0, 1};
  if (d >= 25 && d <= 30) return {true, 1, 1};
  if (d >= 31 && d <= 35) return {true, 1, 2};
  if (d >= 36 && d <= 41) return {true, 1, 3};
  if (d >= 42 && d <= 49) return {true, 1, 4};
  return {};
}

int ClampKnob(int knobX, int x0, int scale) {
  if (knobX < x0 + 26 * scale) return x0 + 18 * scale;
  if (knobX > x0 + 42 * scale) return x0 + 42 * scale;
  return knobX;
}

void SetMemoryMode(State& state, GaugeValues& g, int32_t mode) {
  state.settings.memoryMode = mode;
  state.settings.memoryPercent = static_cast<int32_t>(MemoryShown(g, mode));
}

void SetStorageShowsFree(State& state, bool showFree) {
  for (int i = 0; i < state.cardCount && i < kCardSlots; ++i) {
    const CardSlot& card = state.cards[i];
    if (card.flag != kOn) continue;
    state.settings.showFree = showFree ? kOn : 0;
    state.settings.showUsed = showFree ? 0 : kOn;
    state.storagePercent = showFree ? card.freePercent : card.usedPercent;
  }
}

void SelectCard(State& state, int card) {
  if (card < 0 || card >= kCardSlots) return;
  for (auto& slot : state.cards) slot.flag = 0;
  state.cards[card].flag = kOn;
  if (state.settings.showFree == kOn)
    state.storagePercent = state.cards[card].freePercent;
  else if (state.settings.showUsed == kOn)
    state.storagePercent = state.cards[card].usedPercent;
}

int CheckedCard(const State& state) {
  for (int i = 0; i < kCardSlots; ++i)
    if (state.cards[i].flag == kOn) return i;
  return kCardSlots - 1;
}

}  // namespace quintar::glancet::core

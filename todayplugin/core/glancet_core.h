// Glancet's portable core: the data file "\windows\pellvane.dat" and its in-memory form, the
// launcher grid, the tab bar geometry and the status rules of the gauges. No windows.h here: the
// Win32 side feeds in screen metrics, shell names and platform readings.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace quintar::glancet::core {

static_assert(std::endian::native == std::endian::little, "the data file is the little-endian image in memory");

inline constexpr std::size_t kFileSize = 287344;
inline constexpr int kMaxTabs = 20;
inline constexpr int kItemsPerTab = 30;
inline constexpr int kGridRows = 4;  // row 3 only takes overflow while loading
inline constexpr int kShownRows = 3;
inline constexpr int kMaxColumns = 14;
inline constexpr int kCardSlots = 10;
inline constexpr int kPathChars = 100;  // field size, 99 characters and the terminator
inline constexpr int kNameChars = 20;
inline constexpr int kCardNameChars = 22;

enum ItemKind : int32_t {
  kEmpty = 0,
  kSmall = 1,
  kLarge = 2,
  kBattery = 3,
  kMemory = 4,
  kStorage = 5,
  kBacklight = 6,
  kThemeSmall = 7,
  kThemeLarge = 8,
  kCovered = 9,
  kPowerOff = 10,
  kSoftReset = 11,
  kHardReset = 12,
};

inline bool IsOneCell(int32_t k) {
  return k == kSmall || k == kThemeSmall || k == kPowerOff || k == kSoftReset || k == kHardReset;
}
inline bool IsLarge(int32_t k) { return k == kLarge || k == kThemeLarge; }
inline bool IsGauge(int32_t k) { return k >= kBattery && k <= kBacklight; }

struct Rect32 {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  int Width() const { return right - left; }
  friend bool operator==(const Rect32&, const Rect32&) = default;
};

struct TabRecord {
  char16_t bitmap[kPathChars];
  char16_t name[kNameChars];
  Rect32 rect;
  int32_t iconIndex;
  uint8_t selected;
  uint8_t zero[3];
};

struct ItemRecord {
  char16_t iconPath[kPathChars];
  char16_t name[kNameChars];
  Rect32 rect;
  uint8_t highlight;
  uint8_t zero[3];
  int32_t iconIndex;
  int32_t kind;
  char16_t target[kPathChars];
};

struct CardSlot {
  int32_t flag;
  char16_t name[kCardNameChars];
  uint64_t usedPercent;
  uint64_t freePercent;
};

inline constexpr int32_t kOn = 8;  // the file's "yes" in flags and settings

enum MemoryMode : int32_t { kProgramMemory = 11, kStorageMemory = 12, kTotalUsed = 13 };

struct Settings {
  int32_t memoryMode;
  int32_t memoryPercent;
  int32_t showFree;
  int32_t showUsed;
  int32_t largeIconCheck;
  int32_t autoArrange;
  int32_t themeIndex;
};

static_assert(sizeof(TabRecord) == 264 && offsetof(TabRecord, name) == 200 && offsetof(TabRecord, rect) == 240 &&
              offsetof(TabRecord, iconIndex) == 256 && offsetof(TabRecord, selected) == 260);
static_assert(sizeof(ItemRecord) == 468 && offsetof(ItemRecord, rect) == 240 &&
              offsetof(ItemRecord, highlight) == 256 && offsetof(ItemRecord, iconIndex) == 260 &&
              offsetof(ItemRecord, kind) == 264 && offsetof(ItemRecord, target) == 268);
static_assert(sizeof(CardSlot) == 64 && offsetof(CardSlot, name) == 4 && offsetof(CardSlot, usedPercent) == 48);
static_assert(sizeof(Settings) == 28);

// Offsets of the file image.
namespace offsets {
inline constexpr std::size_t kHeaderRects = 0;
inline constexpr std::size_t kTabCount = 64;
inline constexpr std::size_t kTabs = 68;
inline constexpr std::size_t kLogo = 5348;
inline constexpr std::size_t kNext = 5612;
inline constexpr std::size_t kItems = 5876;
inline constexpr std::size_t kSettings = 286676;
inline constexpr std::size_t kCards = 286704;
static_assert(kTabs + kMaxTabs * sizeof(TabRecord) == kLogo);
static_assert(kItems + kMaxTabs * kItemsPerTab * sizeof(ItemRecord) == kSettings);
static_assert(kCards + kCardSlots * sizeof(CardSlot) == kFileSize);
}  // namespace offsets

using FileImage = std::array<uint8_t, kFileSize>;

// Copies text into a fixed field, cut to leave room for the terminator; the rest is zeroed.
template <std::size_t N>
void SetField(char16_t (&field)[N], std::u16string_view text) {
  std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  for (std::size_t i = 0; i < N; ++i) field[i] = i < n ? text[i] : u'\0';
  // A NUL inside the text ends it, as in the file.
  for (std::size_t i = 0; i < n; ++i)
    if (field[i] == u'\0') {
      for (std::size_t j = i; j < N; ++j) field[j] = u'\0';
      break;
    }
}

template <std::size_t N>
std::u16string_view FieldText(const char16_t (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n] != u'\0') ++n;
  return {field, n};
}

// Where one gauge is drawn and pressed, in scaled item coordinates.
struct GaugePlace {
  int32_t kind = kEmpty;
  int column = 0, row = 0;
  int x0 = 0, y0 = 0;  // the origin: the icon's left edge and the cell's top
  Rect32 band;         // the pressed highlight; a press inside it takes the gauge
  Rect32 bar;          // the bar's picture, and its percentage
  Rect32 barPress;     // where a press or a drag sets the backlight
  Rect32 fill;         // the filled part of the bar (not the backlight's)
  int fillWidth = 0;   // the same in the artwork's unscaled pixels
  uint64_t percent = 0;
  Rect32 knob;  // the backlight's knob
};

// The screen the item is laid out for.
struct Metrics {
  int scale = 1;  // DisplayScale: 2 above 96 dpi
  int screenWidth = 240;
  int screenHeight = 320;

  bool Landscape() const { return screenHeight < screenWidth; }
  int TabsPerPage() const { return Landscape() ? 4 : 3; }
  int Columns() const { return Landscape() ? 14 : 10; }
  int TabBarHeight() const { return 18 * scale; }
  int SmallIcon() const { return 16 * scale; }
  int LargeIcon() const { return 32 * scale; }
  int GridLeft() const { return 21 * scale; }
  int GridTop() const { return 20 * scale; }
  int Cell() const { return 20 * scale; }
  int BufferHeight() const { return 100 * scale; }
  // Top-left corner of cell (column, row) in item coordinates.
  int CellX(int column) const { return GridLeft() + Cell() * column; }
  int CellY(int row) const { return GridTop() + Cell() * row; }
  // The square of a small icon in the tab bar whose left edge is `left`.
  Rect32 TabIcon(int left) const {
    int top = (TabBarHeight() - SmallIcon()) / 2;
    return {left, top, left + SmallIcon(), top + SmallIcon()};
  }
  // A gauge whose band starts at cell (column, row); its bar is left empty.
  GaugePlace Gauge(int32_t kind, int column, int row) const;
  Rect32 Knob(int knobX, int y0) const { return {knobX, y0 + 4 * scale, knobX + 8 * scale, y0 + 18 * scale}; }
};

// The absolute paths of the image folder's bitmaps for one scale.
struct StripPaths {
  std::u16string folder;          // "\Program Files\Zek\Pellvane\image\"
  std::u16string settingsFolder;  // "\Program Files\Zek\Pellvane\Settings\"
  std::u16string smallSettings, largeSettings, smallCustom, largeCustom, reset, logo, next;
  std::u16string battery, memory, storage, backlight;
};
StripPaths MakeStripPaths(int scale);

// The process-wide content: tabs, grid, settings and cards.
struct State {
  int32_t tabCount = 1;
  std::array<TabRecord, kMaxTabs> tabs{};
  TabRecord logo{}, next{};
  std::array<Rect32, 4> slots{};  // the tab slots of one page
  ItemRecord grid[kMaxTabs][kGridRows][kMaxColumns]{};
  Settings settings{};
  std::array<CardSlot, kCardSlots> cards{};
  int cardCount = 0;
  int columns = 10;
  int tabsPerPage = 3;
  int page = 0;
  int tabsOnPage = 3;
  std::array<int, kMaxTabs> heights{};
  uint64_t storagePercent = 0;  // the storage gauge's value

  int SelectedTab() const;
  void Select(int tab);
  bool MoreTabsThanFit() const { return tabCount > tabsPerPage; }
  int FirstTabOfPage() const { return page * tabsPerPage; }
};

// The shell's display name of a path (SHGetFileInfo's), supplied by the Win32 side.
using DisplayNameFn = std::function<std::u16string(std::u16string_view path)>;

// Fills `state` from the image. Anything the image holds is taken safely: the tab count is
// clamped to 1..20, strings are cut at their field, unknown kinds leave their cell empty.
void Load(std::span<const uint8_t> image, const Metrics& m, State& state);
// Copies the state into the image, closing the gaps between items.
void Save(const State& state, FileImage& image);
// Builds the default content into `image` and loads it into `state`.
void BuildDefaults(const Metrics& m, const StripPaths& paths, const DisplayNameFn& displayName, FileImage& image,
                   State& state);

// Flows the 30 records of a tab into a cleared grid tab.
void FlowTab(std::span<const ItemRecord, kItemsPerTab> records, int columns, ItemRecord (&tab)[kGridRows][kMaxColumns]);
// Places one item at the first cell from (row, column) where it fits; returns false when the four
// rows are full. The cursor ends after the item.
bool PlaceItem(const ItemRecord& item, int columns, ItemRecord (&tab)[kGridRows][kMaxColumns], int& row, int& column);
// Takes the items from (row, column) to the end of row 2 out of the tab, in row-major order, with
// the cells they covered; returns how many.
int TakeFrom(ItemRecord (&tab)[kGridRows][kMaxColumns], int columns, int row, int column,
             ItemRecord (&out)[kShownRows * kMaxColumns]);
// Places items one after another from (row, column); false when the four rows ran out.
bool PlaceAll(std::span<const ItemRecord> items, int columns, ItemRecord (&tab)[kGridRows][kMaxColumns], int row,
              int column);
// Closes up the tab's cells from (row, column) onward.
void ArrangeFrom(ItemRecord (&tab)[kGridRows][kMaxColumns], int columns, int row, int column);

// Counts the items (not empty, not covered) in the shown rows.
int CountTabItems(const ItemRecord (&tab)[kGridRows][kMaxColumns], int columns);

// Unscaled height of one tab's cells plus the tab bar.
int TabHeight(const ItemRecord (&tab)[kGridRows][kMaxColumns]);
void ComputeHeights(State& state);
int TallestTab(const State& state);

// The tab bar as every paint lays it out: Next button, tab slots and the tabs of each page.
void LayoutTabBar(const Metrics& m, State& state);
// What the selected tab shows where, laid out again whenever the screen, the tab or the data
// change; drawing and hit-testing both read it.
struct Layout {
  static constexpr int kMaxGauges = kShownRows * kMaxColumns / 3;
  std::array<GaugePlace, kMaxGauges> gauges{};
  int gaugeCount = 0;
  int knobX = -1;  // where the backlight's knob was put; each bar clamps it
  Rect32 nextIcon;

  const GaugePlace* GaugeAt(int column, int row) const;
  // The last gauge of `kind` on the tab: the one a press on that kind's controls addresses.
  const GaugePlace* Last(int32_t kind) const;
};
// Lays out the tab bar and the selected tab's gauges, their bars filled from the readings.
void LayOut(const Metrics& m, uint32_t battery, State& state, Layout& layout);
// Clamps the knob into each backlight bar in turn and places it there.
void PlaceKnobs(const Metrics& m, Layout& layout);

// Next page: returns the new page and sets the number of tabs shown on it.
void NextPage(State& state);

// Adds a launcher for `path` into the first empty cell of the selected tab. Returns false when the
// tab is full or the path is no storable target (nothing changes).
bool AddLauncher(State& state, std::u16string_view path, std::u16string_view displayName);

// ---- Status rules --------------------------------------------------------------------------------

struct MemoryReadings {
  uint32_t programLoad = 0;  // dwMemoryLoad
  uint64_t totalPhys = 0, availPhys = 0;
  uint32_t storeSize = 0, storeFree = 0;
};
uint32_t StorageUsedPercent(uint32_t storeSize, uint32_t storeFree);
uint32_t TotalUsedPercent(const MemoryReadings& r);
// Used percent of a card from GetDiskFreeSpaceEx's totals; false when it cannot be computed.
bool CardUsedPercent(uint64_t totalBytes, uint64_t freeBytes, uint64_t& used);

// The gauges' live values.
struct GaugeValues {
  uint8_t battery = 0;
  uint32_t programLoad = 0, storageUsed = 0, totalUsed = 0;
  bool firstRefresh = true;
};
uint32_t MemoryShown(const GaugeValues& g, int32_t mode);
// The storage percentage chosen by the flags and the found cards (unchanged when none is marked).
void UpdateStoragePercent(State& state);
// After the readings of a refresh: the shown memory and storage values, first-refresh rule included.
void ApplyRefresh(State& state, GaugeValues& g);

// Bar width in unscaled source pixels for a percentage (clamped to the 32-pixel bar).
int BarWidth(uint64_t percent);

// The backlight setting a press at offset d (unscaled, from the gauge origin) on the bar asks for.
struct BacklightSetting {
  bool valid = false;
  uint32_t onOff = 0, level = 0;
};
BacklightSetting BacklightFromOffset(int d);
// Knob x clamped into the bar for a gauge at x0 (all scaled).
int ClampKnob(int knobX, int x0, int scale);

// Gauge commands.
void SetMemoryMode(State& state, GaugeValues& g, int32_t mode);
void SetStorageShowsFree(State& state, bool showFree);
void SelectCard(State& state, int card);
// Index of the card entry that carries the radio mark (0..9).
int CheckedCard(const State& state);

}  // namespace quintar::glancet::core

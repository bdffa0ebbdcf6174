// The data file, the launcher grid and the gauge rules, checked against the file's byte layout.
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/tests/image_records.h"

namespace quintar::glancet::core {
namespace {

const Metrics kQvga{1, 240, 320};
const Metrics kVga{2, 480, 640};
const Metrics kLandscape{1, 320, 240};

std::u16string ShellName(std::u16string_view path) {
  // The shell shows a shortcut by its file name without ".lnk".
  std::u16string name(path.substr(path.find_last_of(u'\\') + 1));
  if (name.size() > 4 && name.ends_with(u".lnk")) name.resize(name.size() - 4);
  return name;
}

struct Fixture {
  std::unique_ptr<FileImage> image = std::make_unique<FileImage>();
  std::unique_ptr<State> state = std::make_unique<State>();
};

Fixture Defaults(const Metrics& m = kQvga) {
  Fixture f;
  BuildDefaults(m, MakeStripPaths(m.scale), ShellName, *f.image, *f.state);
  return f;
}

ItemRecord Item(int32_t kind, std::u16string_view name = u"") {
  ItemRecord r{};
  r.kind = kind;
  SetField(r.name, name);
  return r;
}

// Writes records into tab `tab` of an image and loads it.
void LoadTab(Fixture& f, int tab, const std::vector<ItemRecord>& records, const Metrics& m = kQvga) {
  for (int i = 0; i < kItemsPerTab; ++i) {
    ItemRecord r = i < static_cast<int>(records.size()) ? records[i] : ItemRecord{};
    std::memcpy(f.image->data() + offsets::kItems + (tab * kItemsPerTab + i) * sizeof(ItemRecord), &r, sizeof r);
  }
  Load(*f.image, m, *f.state);
}

std::u16string Name(const ItemRecord& r) { return std::u16string(FieldText(r.name)); }

// ---- The default file --------------------------------------------------------------------------

TEST(DefaultFile, HasThreeTabsWithTheFirstSelectedInEitherOrientation) {
  for (const Metrics& m : {kQvga, kLandscape, kVga}) {
    Fixture f = Defaults(m);
    EXPECT_EQ(f.image->size(), 287344u);
    EXPECT_EQ(At<int32_t>(*f.image, offsets::kTabCount), 3);
    const char16_t* names[] = {u"System", u"Program", u"Setting"};
    for (int t = 0; t < 3; ++t) {
      auto tab = At<TabRecord>(*f.image, offsets::kTabs + t * sizeof(TabRecord));
      EXPECT_EQ(FieldText(tab.name), names[t]);
      EXPECT_EQ(tab.iconIndex, t);
      EXPECT_EQ(tab.selected, t == 0 ? 1 : 0);
      EXPECT_EQ(FieldText(tab.bitmap), MakeStripPaths(m.scale).smallSettings);
      // The header holds the same rectangles.
      EXPECT_EQ(At<Rect32>(*f.image, t * sizeof(Rect32)), tab.rect);
    }
    EXPECT_EQ(f.state->tabCount, 3);
    EXPECT_EQ(f.state->SelectedTab(), 0);
  }
}

TEST(DefaultFile, TabRectanglesFollowTheLogoAndScale) {
  Fixture f = Defaults(kQvga);
  auto logo = At<TabRecord>(*f.image, offsets::kLogo);
  EXPECT_EQ(FieldText(logo.name), u"ZEK ICON");
  EXPECT_EQ(FieldText(logo.bitmap), u"\\Program Files\\Zek\\Pellvane\\image\\zek16.bmp");
  EXPECT_EQ(logo.rect, (Rect32{0, 0, 21, 18}));
  // w = (240 - 21) / 3 = 73; tab t spans logo right + 73 t + 1.
  EXPECT_EQ(At<TabRecord>(*f.image, offsets::kTabs + sizeof(TabRecord)).rect,
            (Rect32{21 + 73 + 1, 0, 21 + 146 + 1, 18}));
  auto next = At<TabRecord>(*f.image, offsets::kNext);
  EXPECT_EQ(FieldText(next.name), u"Next");
  EXPECT_EQ(FieldText(next.bitmap), u"\\Program Files\\Zek\\Pellvane\\image\\Wizard16.bmp");
  EXPECT_EQ(next.rect, Rect32{});

  Fixture v = Defaults(kVga);
  EXPECT_EQ(At<TabRecord>(*v.image, offsets::kLogo).rect, (Rect32{0, 0, 42, 36}));
  EXPECT_EQ(FieldText(At<TabRecord>(*v.image, offsets::kLogo).bitmap),
            u"\\Program Files\\Zek\\Pellvane\\image\\zek32.bmp");
}

TEST(DefaultFile, HoldsTheTableOfItems) {
  Fixture f = Defaults();
  const FileImage& im = *f.image;
  EXPECT_EQ(Record(im, 0, 0).kind, kBattery);
  EXPECT_EQ(Name(Record(im, 0, 0)), u"Battery");
  EXPECT_EQ(Record(im, 0, 1).kind, kMemory);
  EXPECT_EQ(Record(im, 0, 2).kind, kLarge);
  EXPECT_EQ(FieldText(Record(im, 0, 2).target), u"\\Windows\\Start Menu\\Programs\\Calculator.lnk");
  EXPECT_EQ(Name(Record(im, 0, 2)), u"Calculator") << "the shell's display name";
  EXPECT_EQ(Record(im, 0, 4).kind, kBacklight);
  EXPECT_EQ(Name(Record(im, 0, 4)), u"Back Light");
  EXPECT_EQ(Record(im, 0, 5).kind, kStorage);
  EXPECT_EQ(Record(im, 0, 6).kind, kThemeSmall);
  EXPECT_EQ(Record(im, 0, 6).iconIndex, 19);
  EXPECT_EQ(FieldText(Record(im, 0, 6).iconPath), u"\\Program Files\\Zek\\Pellvane\\image\\setting16.bmp");
  EXPECT_EQ(FieldText(Record(im, 0, 11).target), u"\\Windows\\wmplayer.exe");
  EXPECT_EQ(Name(Record(im, 0, 11)), u"Media Play");
  EXPECT_EQ(Record(im, 0, 12).kind, kEmpty);

  EXPECT_EQ(Name(Record(im, 1, 0)), u"Internet Explorer");
  EXPECT_EQ(FieldText(Record(im, 1, 3).target), u"\\Program Files\\Zek\\Pellvane\\Settings\\Beam.lnk");
  EXPECT_EQ(FieldText(Record(im, 1, 3).iconPath), u"\\Program Files\\Zek\\Pellvane\\image\\setting32.bmp");
  EXPECT_EQ(Record(im, 1, 4).iconIndex, 17);
  EXPECT_EQ(Name(Record(im, 1, 7)), u"Zek Vorrel");
  EXPECT_EQ(Record(im, 1, 8).kind, kEmpty);

  EXPECT_EQ(Record(im, 2, 0).kind, kThemeLarge);
  EXPECT_EQ(Name(Record(im, 2, 9)), u"Owner Information");
  EXPECT_EQ(Record(im, 2, 9).iconIndex, 3);
  EXPECT_EQ(Record(im, 2, 10).kind, kEmpty);
  for (int t = 3; t < kMaxTabs; ++t) EXPECT_EQ(Record(im, t, 0).kind, kEmpty);

  Fixture v = Defaults(kVga);
  EXPECT_EQ(FieldText(Record(*v.image, 1, 3).iconPath), u"\\Program Files\\Zek\\Pellvane\\image\\setting64.bmp");
}

TEST(DefaultFile, SettingsBlockAndFirstCardSlot) {
  Fixture f = Defaults();
  auto s = At<Settings>(*f.image, offsets::kSettings);
  EXPECT_EQ(s.memoryMode, 11);
  EXPECT_EQ(s.memoryPercent, 0);
  EXPECT_EQ(s.showFree, 0);
  EXPECT_EQ(s.showUsed, 8);
  EXPECT_EQ(s.largeIconCheck, 0);
  EXPECT_EQ(s.autoArrange, 8);
  EXPECT_EQ(s.themeIndex, -1);
  EXPECT_EQ(At<int32_t>(*f.image, offsets::kCards), 8);
  for (std::size_t i = offsets::kCards + 4; i < kFileSize; ++i) ASSERT_EQ((*f.image)[i], 0) << "byte " << i;
}

TEST(DefaultFile, FlowsIntoTheGridAndSavesBackToTheSameImage) {
  Fixture f = Defaults();
  auto& g = f.state->grid[0];
  // Battery and memory take three cells each, then a large item covers two columns of two rows.
  EXPECT_EQ(g[0][0].kind, kBattery);
  EXPECT_EQ(g[0][1].kind, kCovered);
  EXPECT_EQ(g[0][3].kind, kMemory);
  EXPECT_EQ(g[0][6].kind, kLarge);
  EXPECT_EQ(g[1][6].kind, kCovered);
  EXPECT_EQ(g[1][7].kind, kCovered);
  EXPECT_EQ(g[0][8].kind, kLarge);
  EXPECT_EQ(g[1][0].kind, kBacklight);
  EXPECT_EQ(g[1][3].kind, kStorage);
  EXPECT_EQ(g[2][0].kind, kThemeSmall);

  // The tab bar is laid out anew at load, but the items, settings and cards come back byte for byte.
  auto saved = std::make_unique<FileImage>(*f.image);
  Save(*f.state, *saved);
  EXPECT_EQ(
      std::memcmp(saved->data() + offsets::kItems, f.image->data() + offsets::kItems, kFileSize - offsets::kItems), 0);
}

// ---- Flow, save and close-up --------------------------------------------------------------------

TEST(Flow, EmptyRecordLeavesAGapThatTheNextSaveCloses) {
  Fixture f = Defaults();
  LoadTab(f, 2, {Item(kSmall, u"a"), Item(kEmpty), Item(kSmall, u"b")});
  auto& g = f.state->grid[2];
  EXPECT_EQ(Name(g[0][0]), u"a");
  EXPECT_EQ(g[0][1].kind, kEmpty);
  EXPECT_EQ(Name(g[0][2]), u"b");
  Save(*f.state, *f.image);
  EXPECT_EQ(Name(Record(*f.image, 2, 0)), u"a");
  EXPECT_EQ(Name(Record(*f.image, 2, 1)), u"b");
  EXPECT_EQ(Record(*f.image, 2, 2).kind, kEmpty);
}

TEST(Flow, LargeItemsCoverTheirNeighboursAndTheCursorSkipsThem) {
  Fixture f = Defaults();
  // Row 0: large at 0..1, smalls fill to column 9; row 1 starts after the covered cells.
  std::vector<ItemRecord> records = {Item(kLarge, u"L")};
  for (int i = 0; i < 9; ++i) records.push_back(Item(kSmall, u"s"));
  LoadTab(f, 2, records);
  auto& g = f.state->grid[2];
  EXPECT_EQ(g[0][1].kind, kCovered);
  EXPECT_EQ(g[1][0].kind, kCovered);
  EXPECT_EQ(g[1][1].kind, kCovered);
  for (int c = 2; c < 10; ++c) EXPECT_EQ(g[0][c].kind, kSmall) << c;
  EXPECT_EQ(g[1][2].kind, kSmall) << "the ninth small item goes past the covered cells";
}

TEST(Flow, CellBeforeACoveredNeighbourIsSkippedEvenIfFree) {
  Fixture f = Defaults();
  // Row 0: small at 0, large at 1..2 (covers row 1 columns 1 and 2); then eight smalls finish row 0.
  std::vector<ItemRecord> records = {Item(kSmall), Item(kLarge)};
  for (int i = 0; i < 7; ++i) records.push_back(Item(kSmall));
  records.push_back(Item(kSmall, u"next"));
  LoadTab(f, 2, records);
  auto& g = f.state->grid[2];
  EXPECT_EQ(g[1][0].kind, kEmpty) << "free, but its right-hand neighbour is covered";
  EXPECT_EQ(Name(g[1][3]), u"next");
}

TEST(Flow, WideItemsNeverCrossTheLastColumn) {
  Fixture f = Defaults();
  std::vector<ItemRecord> records;
  for (int i = 0; i < 9; ++i) records.push_back(Item(kSmall));
  records.push_back(Item(kLarge, u"L"));
  records.push_back(Item(kSmall));
  records.push_back(Item(kBattery, u"B"));
  LoadTab(f, 2, records);
  auto& g = f.state->grid[2];
  EXPECT_EQ(g[0][9].kind, kEmpty);
  EXPECT_EQ(Name(g[1][0]), u"L");
  EXPECT_EQ(g[0][10].kind, kEmpty) << "nothing beyond the used columns";
  EXPECT_EQ(g[1][2].kind, kSmall);
  EXPECT_EQ(Name(g[1][3]), u"B");
  EXPECT_EQ(g[1][5].kind, kCovered);
}

TEST(Flow, ItemsFlowingIntoRowThreeAreLostAtTheNextSave) {
  Fixture f = Defaults();
  std::vector<ItemRecord> records;
  for (int i = 0; i < 30; ++i) records.push_back(Item(kSmall, i == 29 ? u"last" : u"x"));
  LoadTab(f, 2, records);
  EXPECT_EQ(Name(f.state->grid[2][2][9]), u"last") << "thirty small items fill three rows exactly";
  Save(*f.state, *f.image);
  EXPECT_EQ(Name(Record(*f.image, 2, 29)), u"last");

  // A row of large items covers row 1, so small items flow on into row 3.
  std::vector<ItemRecord> big = {Item(kLarge), Item(kLarge), Item(kLarge), Item(kLarge), Item(kLarge)};
  for (int i = 0; i < 15; ++i) big.push_back(Item(kSmall, i == 14 ? u"last" : u"x"));
  LoadTab(f, 2, big);
  EXPECT_EQ(Name(f.state->grid[2][3][4]), u"last");
  Save(*f.state, *f.image);
  EXPECT_EQ(Record(*f.image, 2, 14).kind, kSmall);
  EXPECT_EQ(Record(*f.image, 2, 15).kind, kEmpty) << "row 3 is not saved";
}

TEST(Flow, ArrangeClosesGapsAndKeepsTheOrder) {
  Fixture f = Defaults();
  LoadTab(f, 2, {Item(kSmall, u"a"), Item(kEmpty), Item(kEmpty), Item(kLarge, u"L"), Item(kEmpty), Item(kSmall, u"b")});
  auto& g = f.state->grid[2];
  ArrangeFrom(g, f.state->columns, 0, 0);
  EXPECT_EQ(Name(g[0][0]), u"a");
  EXPECT_EQ(Name(g[0][1]), u"L");
  EXPECT_EQ(g[0][2].kind, kCovered);
  EXPECT_EQ(g[1][1].kind, kCovered);
  EXPECT_EQ(Name(g[0][3]), u"b");
  EXPECT_EQ(g[0][5].kind, kEmpty);
  EXPECT_EQ(g[1][3].kind, kEmpty) << "the large item's old covered cells were cleared";

  // From a later cell, items before it stay where they are.
  LoadTab(f, 2, {Item(kSmall, u"a"), Item(kEmpty), Item(kSmall, u"b"), Item(kEmpty), Item(kSmall, u"c")});
  ArrangeFrom(g, f.state->columns, 0, 2);
  EXPECT_EQ(g[0][1].kind, kEmpty);
  EXPECT_EQ(Name(g[0][2]), u"b");
  EXPECT_EQ(Name(g[0][3]), u"c");
  ArrangeFrom(g, f.state->columns, 5, 0);  // out of range: nothing happens
  EXPECT_EQ(Name(g[0][3]), u"c");
}

TEST(Flow, RotatingReflowsTheStoredItemsIntoTheNewColumnCount) {
  Fixture f = Defaults(kQvga);
  Load(*f.image, kLandscape, *f.state);
  EXPECT_EQ(f.state->columns, 14);
  auto& g = f.state->grid[0];
  EXPECT_EQ(g[0][8].kind, kLarge);
  EXPECT_EQ(g[0][10].kind, kBacklight) << "the wider row takes the backlight gauge too";
  EXPECT_EQ(g[1][0].kind, kStorage) << "the storage gauge does not fit in the last column";
}

// ---- Tab heights ------------------------------------------------------------------------------------

TEST(TabHeights, CountRowsAndLargeItems) {
  Fixture f = Defaults();
  LoadTab(f, 3, {Item(kSmall)});
  EXPECT_EQ(f.state->heights[3], 40) << "items only in row 0";
  EXPECT_EQ(f.state->heights[4], 20) << "an empty tab is the bar alone";
  LoadTab(f, 3, {Item(kLarge)});
  EXPECT_EQ(f.state->heights[3], 60) << "a large item adds 40 and row 1 counts for nothing";
  std::vector<ItemRecord> three;
  for (int i = 0; i < 21; ++i) three.push_back(Item(kSmall));
  LoadTab(f, 3, three);
  EXPECT_EQ(f.state->heights[3], 80);
  EXPECT_EQ(f.state->heights[0], 20 + 40 + 20) << "System: large in row 0, the theme button in row 2";
  EXPECT_EQ(f.state->heights[1], 20 + 40 + 40) << "Program: large items in rows 0 and 2";
  EXPECT_EQ(TallestTab(*f.state), 100);
}

// ---- Malformed files ---------------------------------------------------------------------------------

TEST(MalformedFile, CountsAreClampedAndStringsCut) {
  Fixture f = Defaults();
  std::memcpy(f.image->data() + offsets::kTabCount, "\xff\xff\xff\x7f", 4);
  // The first tab's name fills its field with no terminator.
  for (int i = 0; i < kNameChars; ++i) std::memcpy(f.image->data() + offsets::kTabs + 200 + 2 * i, "A\0", 2);
  Load(*f.image, kQvga, *f.state);
  EXPECT_EQ(f.state->tabCount, 20);
  EXPECT_EQ(FieldText(f.state->tabs[0].name).size(), 19u);
  EXPECT_EQ(f.state->tabs[0].name[19], u'\0');

  std::memcpy(f.image->data() + offsets::kTabCount, "\x00\x00\x00\x80", 4);
  Load(*f.image, kQvga, *f.state);
  EXPECT_EQ(f.state->tabCount, 1);
  EXPECT_EQ(f.state->SelectedTab(), 0);
}

TEST(MalformedFile, UnknownKindsAndStoredCoverMarksLeaveTheCellEmpty) {
  Fixture f = Defaults();
  LoadTab(f, 2, {Item(99, u"bad"), Item(kCovered), Item(-1), Item(kSmall, u"ok")});
  auto& g = f.state->grid[2];
  EXPECT_EQ(g[0][0].kind, kEmpty);
  EXPECT_EQ(g[0][1].kind, kEmpty);
  EXPECT_EQ(g[0][2].kind, kEmpty);
  EXPECT_EQ(Name(g[0][3]), u"ok");
}

TEST(MalformedFile, ShortFileLoadsWithTheRestZero) {
  Fixture f = Defaults();
  std::vector<uint8_t> part(f.image->begin(), f.image->begin() + 6400);
  Load(part, kQvga, *f.state);
  EXPECT_EQ(f.state->tabCount, 3);
  EXPECT_EQ(f.state->grid[0][0][0].kind, kBattery) << "the first record was inside";
  EXPECT_EQ(f.state->grid[0][0][3].kind, kEmpty);
  Load(std::span<const uint8_t>(), kQvga, *f.state);
  EXPECT_EQ(f.state->tabCount, 1);
}

TEST(MalformedFile, LogoRectangleFromTheFileStaysInTheBar) {
  Fixture f = Defaults();
  Rect32 wild{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  std::memcpy(f.image->data() + offsets::kLogo + 240, &wild, sizeof wild);
  Load(*f.image, kQvga, *f.state);
  EXPECT_EQ(f.state->logo.rect, (Rect32{0, 0, 240, 18}));
  LayoutTabBar(kQvga, *f.state);
}

TEST(MalformedFile, ItemsBeyondThirtyAreNeverWrittenIntoTheNextTab) {
  Fixture f = Defaults(kLandscape);
  auto& g = f.state->grid[2];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 14; ++c) g[r][c] = Item(kSmall, u"x");
  Save(*f.state, *f.image);
  EXPECT_EQ(Record(*f.image, 3, 0).kind, kEmpty);
}

// ---- Tab bar and pages ---------------------------------------------------------------------------

TEST(TabBar, NextButtonAppearsOnlyWithMoreTabsThanFit) {
  Fixture f = Defaults();
  LayoutTabBar(kQvga, *f.state);
  EXPECT_FALSE(f.state->MoreTabsThanFit());
  EXPECT_EQ(f.state->tabs[1].rect, (Rect32{21 + 73 + 1, 0, 21 + 146 + 1, 18}));
  f.state->tabCount = 5;
  LayoutTabBar(kQvga, *f.state);
  EXPECT_EQ(f.state->next.rect, (Rect32{240 - 16 - 5, 0, 240, 18}));
  int w = (240 - 21 - 21) / 3;
  EXPECT_EQ(f.state->tabs[4].rect, (Rect32{21 + w + 1, 0, 21 + 2 * w + 1, 18})) << "slot 4 mod 3";
  LayoutTabBar(kLandscape, *f.state);
  EXPECT_EQ(f.state->tabsPerPage, 4);
}

TEST(TabBar, NextPageWrapsAfterTheLastPage) {
  Fixture f = Defaults();
  State& s = *f.state;
  s.tabCount = 7;
  s.tabsPerPage = 3;
  NextPage(s);
  EXPECT_EQ(s.page, 1);
  EXPECT_EQ(s.tabsOnPage, 3);
  NextPage(s);
  EXPECT_EQ(s.page, 2);
  EXPECT_EQ(s.tabsOnPage, 1);
  NextPage(s);
  EXPECT_EQ(s.page, 0);
  EXPECT_EQ(s.tabsOnPage, 3);
  s.tabCount = 6;
  NextPage(s);
  EXPECT_EQ(s.tabsOnPage, 3) << "a full last page";
  NextPage(s);
  EXPECT_EQ(s.page, 0);
}

// ---- Adding a launcher -----------------------------------------------------------------------------

TEST(AddLauncher, TakesTheFirstEmptyCellOfTheSelectedTab) {
  Fixture f = Defaults();
  f.state->Select(2);
  // A path longer than the field is refused rather than cut into another target.
  EXPECT_FALSE(AddLauncher(*f.state, u"\\" + std::u16string(99, u'p'), u"long"));
  std::u16string longest = u"\\" + std::u16string(98, u'p');
  ASSERT_TRUE(AddLauncher(*f.state, longest, u"A display name longer than nineteen"));
  const ItemRecord& cell = f.state->grid[2][1][3];
  EXPECT_EQ(cell.kind, kSmall);
  EXPECT_EQ(FieldText(cell.target), longest);
  EXPECT_EQ(Name(cell), u"A display name long");
  EXPECT_EQ(FieldText(cell.iconPath), u"");
  ASSERT_TRUE(AddLauncher(*f.state, u"\\x", u"x"));
  EXPECT_EQ(f.state->grid[2][1][4].kind, kSmall);
}

TEST(AddLauncher, FullTabChangesNothing) {
  Fixture f = Defaults();
  f.state->Select(2);
  auto& g = f.state->grid[2];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 10; ++c)
      if (g[r][c].kind == kEmpty) g[r][c] = Item(kSmall, u"f");
  auto before = std::make_unique<State>(*f.state);
  EXPECT_FALSE(AddLauncher(*f.state, u"\\x", u"x"));
  EXPECT_EQ(std::memcmp(&before->grid, &f.state->grid, sizeof f.state->grid), 0);

  // Landscape has 42 cells but a tab holds 30 records: the thirty-first is refused, not lost.
  Fixture l = Defaults(kLandscape);
  l.state->Select(2);
  int added = 0;
  while (AddLauncher(*l.state, u"\\x", u"x")) ++added;
  EXPECT_EQ(added, 20) << "the theme button and nine settings launchers were there";
}

// ---- Status and gauges ---------------------------------------------------------------------------

TEST(Status, PercentagesAreTruncatedAndSafeWithZeroSizes) {
  EXPECT_EQ(StorageUsedPercent(1000, 333), 66u);
  EXPECT_EQ(StorageUsedPercent(0, 0), 0u);
  EXPECT_EQ(StorageUsedPercent(10, 20), 0u);
  EXPECT_EQ(TotalUsedPercent({0, 1000, 500, 1000, 0}), 75u);
  EXPECT_EQ(TotalUsedPercent({}), 0u);
  uint64_t used = 7;
  EXPECT_FALSE(CardUsedPercent(0, 0, used));
  EXPECT_EQ(used, 7u);
  EXPECT_TRUE(CardUsedPercent(3000, 1000, used));
  EXPECT_EQ(used, 66u);
  EXPECT_EQ(BarWidth(100), 32);
  EXPECT_EQ(BarWidth(50), 16);
  EXPECT_EQ(BarWidth(3), 0);
  EXPECT_EQ(BarWidth(1u << 31), 32) << "a wild stored percentage stays inside the bar";
}

TEST(Status, FirstRefreshShowsCardZeroUsedAndProgramLoadWhateverTheModes) {
  Fixture f = Defaults();
  State& s = *f.state;
  s.settings.memoryMode = kTotalUsed;
  s.settings.showFree = kOn;
  s.cardCount = 2;
  s.cards[0] = CardSlot{0, {}, 30, 70};
  s.cards[1] = CardSlot{kOn, {}, 10, 90};
  GaugeValues g{50, 41, 20, 33, true};
  ApplyRefresh(s, g);
  EXPECT_EQ(s.storagePercent, 30u);
  EXPECT_EQ(s.settings.memoryPercent, 41);
  EXPECT_FALSE(g.firstRefresh);
  ApplyRefresh(s, g);
  EXPECT_EQ(s.storagePercent, 90u);
  EXPECT_EQ(s.settings.memoryPercent, 33);
}

TEST(Status, StoragePercentAtLoadComesFromTheMarkedSlot) {
  Fixture f = Defaults();
  CardSlot c{kOn, {}, 25, 75};
  std::memcpy(f.image->data() + offsets::kCards + 64, &c, sizeof c);
  Load(*f.image, kQvga, *f.state);
  EXPECT_EQ(f.state->storagePercent, 25u);
  Settings s = At<Settings>(*f.image, offsets::kSettings);
  s.showFree = kOn;
  std::memcpy(f.image->data() + offsets::kSettings, &s, sizeof s);
  Load(*f.image, kQvga, *f.state);
  EXPECT_EQ(f.state->storagePercent, 75u);
}

TEST(GaugeCommands, MemoryModeStorageModeAndCardChoice) {
  Fixture f = Defaults();
  State& s = *f.state;
  GaugeValues g{0, 41, 20, 33, false};
  SetMemoryMode(s, g, kStorageMemory);
  EXPECT_EQ(s.settings.memoryMode, 12);
  EXPECT_EQ(s.settings.memoryPercent, 20);
  SetMemoryMode(s, g, kTotalUsed);
  EXPECT_EQ(s.settings.memoryPercent, 33);

  // No card found: the flags stay.
  s.cardCount = 0;
  SetStorageShowsFree(s, true);
  EXPECT_EQ(s.settings.showFree, 0);

  s.cardCount = 2;
  s.cards[1].usedPercent = 40;
  s.cards[1].freePercent = 60;
  SelectCard(s, 1);
  EXPECT_EQ(s.cards[0].flag, 0);
  EXPECT_EQ(CheckedCard(s), 1);
  EXPECT_EQ(s.storagePercent, 40u) << "used space is the default";
  SetStorageShowsFree(s, true);
  EXPECT_EQ(s.settings.showFree, 8);
  EXPECT_EQ(s.settings.showUsed, 0);
  EXPECT_EQ(s.storagePercent, 60u) << "100 minus the second card's used percentage";
  SelectCard(s, 10);  // outside the table: ignored
  EXPECT_EQ(CheckedCard(s), 1);
  for (auto& c : s.cards) c.flag = 0;
  EXPECT_EQ(CheckedCard(s), 9) << "no marked card: the last entry";
}

TEST(Backlight, OffsetsMapToTheTable) {
  struct Case {
    int d;
    bool valid;
    uint32_t onOff, level;
  } cases[] = {{17, false, 0, 0}, {18, true, 0, 1}, {24, true, 0, 1}, {25, true, 1, 1},
               {30, true, 1, 1},  {31, true, 1, 2}, {35, true, 1, 2}, {36, true, 1, 3},
               {41, true, 1, 3},  {42, true, 1, 4}, {49, true, 1, 4}, {50, false, 0, 0}};
  for (const Case& c : cases) {
    BacklightSetting b = BacklightFromOffset(c.d);
    EXPECT_EQ(b.valid, c.valid) << c.d;
    EXPECT_EQ(b.onOff, c.onOff) << c.d;
    EXPECT_EQ(b.level, c.level) << c.d;
  }
  EXPECT_EQ(ClampKnob(100 + 25, 100, 1), 118);
  EXPECT_EQ(ClampKnob(100 + 30, 100, 1), 130);
  EXPECT_EQ(ClampKnob(100 + 60, 100, 1), 142);
  EXPECT_EQ(ClampKnob(200 + 90, 200, 2), 284);
}

TEST(Layout, GaugesOfTheSelectedTabWithTheirBarsAndTheKnobClampedIntoItsBar) {
  Fixture f = Defaults(kVga);
  State& s = *f.state;
  s.settings.memoryPercent = 50;
  Layout layout;
  LayOut(kVga, 77, s, layout);
  // The System tab: battery and memory in row 0, back light and storage in row 1.
  ASSERT_EQ(layout.gaugeCount, 4);
  const GaugePlace* memory = layout.GaugeAt(3, 0);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(memory->band, (Rect32{162, 40, 282, 80})) << "from 81 to 141 unscaled";
  EXPECT_EQ(memory->fill, (Rect32{208, 52, 208 + 2 * BarWidth(50), 74}));
  EXPECT_EQ(layout.GaugeAt(0, 0)->fillWidth, BarWidth(77)) << "the battery's reading";
  const GaugePlace* backlight = layout.Last(kBacklight);
  ASSERT_NE(backlight, nullptr);
  EXPECT_EQ(backlight->barPress, (Rect32{88, 90, 152, 120}));
  EXPECT_EQ(backlight->knob, (Rect32{88, 88, 104, 116})) << "a knob never put anywhere starts at the bar's left";
  layout.knobX = 1000;
  PlaceKnobs(kVga, layout);
  EXPECT_EQ(backlight->knob.left, 52 + 84) << "at most 42 right of the origin";

  s.Select(1);
  LayOut(kVga, 77, s, layout);
  EXPECT_EQ(layout.gaugeCount, 0) << "the Program tab has no gauges";
  EXPECT_EQ(layout.Last(kBacklight), nullptr);
}

}  // namespace
}  // namespace quintar::glancet::core

// Editing the content: tabs, icons, the Add dialog's rows, removing, resizing and closing up, each
// checked in the state that Save writes.
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/core/glancet_edit.h"

namespace quintar::glancet::core {
namespace {

const Metrics kQvga{1, 240, 320};
const Metrics kLandscape{1, 320, 240};
const StripPaths kPaths = MakeStripPaths(1);

struct Fixture {
  std::unique_ptr<FileImage> image = std::make_unique<FileImage>();
  std::unique_ptr<State> state = std::make_unique<State>();
};

Fixture Defaults(const Metrics& m = kQvga) {
  Fixture f;
  BuildDefaults(
      m, kPaths, [](std::u16string_view p) { return std::u16string(p.substr(p.rfind(u'\\') + 1)); }, *f.image,
      *f.state);
  LayoutTabBar(m, *f.state);
  return f;
}

ItemRecord Small(std::u16string_view name) {
  ItemRecord r{};
  r.kind = kSmall;
  SetField(r.name, name);
  SetField(r.target, std::u16string(u"\\") + std::u16string(name));
  return r;
}

// The kinds of the first rows of a tab, as text: one letter a cell.
std::string Kinds(const State& s, int tab, int rows = 3) {
  std::string out;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < s.columns; ++c) out += "0SLBMGK7T-PRH"[s.grid[tab][r][c].kind];
    out += r + 1 < rows ? "|" : "";
  }
  return out;
}

void EmptyTab(State& s, int tab) {
  for (auto& row : s.grid[tab])
    for (auto& cell : row) cell = ItemRecord{};
}

// ---- Tabs -----------------------------------------------------------------------------------------

TEST(Tabs, NewTabRefusesAnEmptyNameAndATwentyFirstAndZeroesTheRecord) {
  Fixture f = Defaults();
  State& s = *f.state;
  EXPECT_EQ(NewTab(s, u"", kPaths), NewTabResult::kEmptyName);
  EXPECT_EQ(s.tabCount, 3);
  // Leftovers in the record a new tab takes are not carried into it.
  SetField(s.tabs[3].name, u"stale name here");
  s.tabs[3].iconIndex = 77;
  ASSERT_EQ(NewTab(s, u"Games", kPaths), NewTabResult::kAdded);
  EXPECT_EQ(s.tabCount, 4);
  EXPECT_EQ(FieldText(s.tabs[3].name), u"Games");
  EXPECT_EQ(FieldText(s.tabs[3].bitmap), kPaths.smallSettings);
  EXPECT_EQ(s.tabs[3].iconIndex, 0);
  EXPECT_EQ(s.tabs[3].selected, 0);
  EXPECT_EQ(s.tabsOnPage, 3) << "page 0 was full already";
  while (s.tabCount < kMaxTabs) ASSERT_EQ(NewTab(s, u"t", kPaths), NewTabResult::kAdded);
  EXPECT_EQ(NewTab(s, u"one more", kPaths), NewTabResult::kTooMany);
  EXPECT_EQ(s.tabCount, 20);

  // On the last page the new tab shows at once.
  Fixture g = Defaults();
  NewTab(*g.state, u"a", kPaths);
  NextPage(*g.state);
  EXPECT_EQ(g.state->tabsOnPage, 1);
  NewTab(*g.state, u"b", kPaths);
  EXPECT_EQ(g.state->tabsOnPage, 2);
}

TEST(Tabs, DeleteMovesLaterTabsAndTheirCellsUpAndSelectsTheOneBefore) {
  Fixture f = Defaults();
  State& s = *f.state;
  NewTab(s, u"Games", kPaths);
  s.Select(3);
  ItemRecord game = Small(u"chess");
  AddItems(s, std::span(&game, 1));
  s.Select(1);
  ASSERT_EQ(DeleteSelectedTab(s), DeleteTabResult::kDeleted);
  EXPECT_EQ(s.tabCount, 3);
  EXPECT_EQ(s.SelectedTab(), 0);
  EXPECT_EQ(FieldText(s.tabs[1].name), u"Setting");
  EXPECT_EQ(FieldText(s.tabs[2].name), u"Games");
  EXPECT_EQ(FieldText(s.grid[2][0][0].name), u"chess");
  EXPECT_EQ(FieldText(s.tabs[3].name), u"") << "the freed record is zeroed";
  EXPECT_EQ(s.grid[3][0][0].kind, kEmpty);

  s.Select(0);
  DeleteSelectedTab(s);
  EXPECT_EQ(s.SelectedTab(), 0) << "deleting the first tab selects the new first";
  EXPECT_EQ(FieldText(s.tabs[0].name), u"Setting");
  DeleteSelectedTab(s);
  EXPECT_EQ(DeleteSelectedTab(s), DeleteTabResult::kLastTab);
  EXPECT_EQ(s.tabCount, 1);
  EXPECT_EQ(FieldText(s.tabs[0].name), u"Games");
}

TEST(Tabs, DeletingOnTheLastPageGoesBackAPageWhenItEmpties) {
  Fixture f = Defaults();
  State& s = *f.state;
  NewTab(s, u"four", kPaths);
  NewTab(s, u"five", kPaths);
  NextPage(s);
  ASSERT_EQ(s.page, 1);
  ASSERT_EQ(s.tabsOnPage, 2);
  s.Select(4);
  DeleteSelectedTab(s);
  EXPECT_EQ(s.page, 1);
  EXPECT_EQ(s.tabsOnPage, 1);
  EXPECT_EQ(s.SelectedTab(), 3);
  DeleteSelectedTab(s);
  EXPECT_EQ(s.page, 0) << "nothing left on page 1";
  EXPECT_EQ(s.tabsOnPage, 3);
  EXPECT_EQ(s.SelectedTab(), 2);
}

TEST(Tabs, RenameNamesTheSelectedTabAndIgnoresAnEmptyName) {
  Fixture f = Defaults();
  f.state->Select(1);
  RenameTab(*f.state, u"");
  EXPECT_EQ(FieldText(f.state->tabs[1].name), u"Program");
  RenameTab(*f.state, u"Twenty characters!!!");
  EXPECT_EQ(FieldText(f.state->tabs[1].name), u"Twenty characters!!");
}

// ---- Icons ----------------------------------------------------------------------------------------

TEST(Icons, AnIndexOutsideTheSetChangesNothingAndGaugesKeepTheirLook) {
  Fixture f = Defaults();
  State& s = *f.state;
  EXPECT_FALSE(ApplyIcon(s, true, IconSet::kSystem, 20, kPaths));
  EXPECT_FALSE(ApplyIcon(s, true, IconSet::kCustom, -1, kPaths));
  EXPECT_EQ(s.tabs[0].iconIndex, 0);
  ASSERT_TRUE(ApplyIcon(s, true, IconSet::kCustom, 50, kPaths));
  EXPECT_EQ(s.tabs[0].iconIndex, 50);
  EXPECT_EQ(FieldText(s.tabs[0].bitmap), kPaths.smallCustom);

  // System tab: battery gauge at (0, 0), Calculator large at (6, 0).
  s.grid[0][0][0].highlight = 1;
  s.grid[0][0][6].highlight = 1;
  ASSERT_EQ(s.grid[0][0][6].kind, kLarge);
  ASSERT_TRUE(ApplyIcon(s, false, IconSet::kCustom, 7, kPaths));
  EXPECT_EQ(FieldText(s.grid[0][0][6].iconPath), kPaths.largeCustom);
  EXPECT_EQ(s.grid[0][0][6].iconIndex, 7);
  EXPECT_EQ(FieldText(s.grid[0][0][0].iconPath), u"");
}

TEST(Icons, PickerGridHitsIconsAndClampsItsScroll) {
  IconGrid few = MakeIconGrid(IconSet::kSystem, false, 1, 400);  // 4 rows, more room than that
  EXPECT_EQ(few.Rows(), 4);
  EXPECT_EQ(few.MaxScroll(), 0);
  EXPECT_EQ(few.ClampScroll(-3), 0);
  EXPECT_EQ(few.ClampScroll(5), 0);
  IconGrid many = MakeIconGrid(IconSet::kCustom, true, 2, 200);  // 51 in rows of 7, scale 2
  EXPECT_EQ(many.Rows(), 8);
  EXPECT_EQ(many.ClampScroll(100), many.MaxScroll());
  EXPECT_GT(many.MaxScroll(), 0);
  Rect32 r = many.IconRect(9, 1);  // second row, scrolled by one: the top row
  EXPECT_EQ(many.IconAt(r.left, r.top, 1), 9);
  EXPECT_EQ(many.IconAt(r.right, r.top, 1), -1) << "the gap between icons";
  Rect32 last = many.IconRect(50, 0);
  EXPECT_EQ(many.IconAt(last.left + 1, last.top + 1, 0), 50);
  EXPECT_EQ(many.IconAt(last.left + many.pitch + 1, last.top + 1, 0), -1) << "past the last icon";
  // Seven columns in a landscape page narrowed by its scroll bar: closer together, all inside.
  IconGrid narrow = MakeIconGrid(IconSet::kCustom, true, 1, 150, 304);
  EXPECT_LE(narrow.IconRect(6, 0).right, 304);
  EXPECT_EQ(narrow.IconAt(narrow.IconRect(6, 0).left, narrow.margin, 0), 6);
}

// ---- Adding -----------------------------------------------------------------------------------------

TEST(Adding, SettingsAndCustomRowsBecomeTheirItems) {
  auto applets = SettingsApplets();
  ASSERT_EQ(applets.size(), 16u);
  ItemRecord clock{};
  for (const Applet& a : applets)
    if (std::u16string_view(a.name) == u"Clock") clock = AppletItem(a, kPaths);
  EXPECT_EQ(clock.kind, kSmall);
  EXPECT_EQ(FieldText(clock.target), u"\\Program Files\\Zek\\Pellvane\\Settings\\Clock.lnk");
  EXPECT_EQ(FieldText(clock.iconPath), kPaths.smallSettings);
  EXPECT_EQ(clock.iconIndex, 9);

  ASSERT_EQ(CustomRows().size(), 8u);
  EXPECT_EQ(CustomItem(1, kPaths).kind, kBattery);
  EXPECT_EQ(FieldText(CustomItem(1, kPaths).name), u"Bettery");
  EXPECT_EQ(CustomItem(4, kPaths).iconIndex, 19);
  ItemRecord hard = CustomItem(7, kPaths);
  EXPECT_EQ(hard.kind, kHardReset);
  EXPECT_EQ(FieldText(hard.iconPath), kPaths.reset);
  EXPECT_EQ(hard.iconIndex, 2);
}

TEST(Adding, GaugesNeedThreeFreeCellsSideBySideAndTabsStopAtThirtyItems) {
  Fixture f = Defaults();
  State& s = *f.state;
  s.Select(2);
  EmptyTab(s, 2);
  // Every third cell taken: no three free side by side anywhere.
  for (int r = 0; r < 3; ++r)
    for (int c = 2; c < 10; c += 3) s.grid[2][r][c] = Small(u"x");
  ItemRecord battery = CustomItem(1, kPaths);
  EXPECT_EQ(AddItems(s, std::span(&battery, 1)), 0);
  s.grid[2][1][5] = ItemRecord{};
  EXPECT_EQ(AddItems(s, std::span(&battery, 1)), 1);
  EXPECT_EQ(Kinds(s, 2, 2), "00S00S00S0|00SB--00S0") << "the first run of three: columns 3 to 5 of row 1";

  // A cell before a covered one is not taken: after the next load the launcher would sit
  // elsewhere. The System tab in landscape has such a cell at row 1, column 5.
  Fixture w = Defaults(kLandscape);
  ArrangeFrom(w.state->grid[0], 14, 0, 0);
  ASSERT_EQ(Kinds(*w.state, 0, 2), "B--M--L-L-K--0|G--7S0----SSSS");
  ItemRecord two[] = {Small(u"one"), Small(u"two")};
  EXPECT_EQ(AddItems(*w.state, two), 2);
  EXPECT_EQ(Kinds(*w.state, 0), "B--M--L-L-K--S|G--7S0----SSSS|S0000000000000");
  Save(*w.state, *w.image);
  Load(*w.image, kLandscape, *w.state);
  EXPECT_EQ(Kinds(*w.state, 0), "B--M--L-L-K--S|G--7S0----SSSS|S0000000000000") << "the same after a load";

  // Landscape: 42 cells, but a tab holds thirty items; the rest of a Select All is dropped.
  Fixture l = Defaults(kLandscape);
  l.state->Select(2);
  EmptyTab(*l.state, 2);
  std::vector<ItemRecord> rows;
  for (int i = 0; i < 40; ++i) rows.push_back(Small(u"p"));
  EXPECT_EQ(AddItems(*l.state, rows), 30);
  EXPECT_EQ(CountTabItems(l.state->grid[2], 14), 30);
  Save(*l.state, *l.image);
  Load(*l.image, kLandscape, *l.state);
  EXPECT_EQ(CountTabItems(l.state->grid[2], 14), 30) << "all of them saved";
}

TEST(Adding, TargetsMustBeDevicePathsThatFitTheField) {
  EXPECT_TRUE(IsStorableTarget(u"\\My Documents\\a.txt"));
  EXPECT_TRUE(IsStorableTarget(u"\\" + std::u16string(98, u'a')));
  EXPECT_FALSE(IsStorableTarget(u"\\" + std::u16string(99, u'a')));
  EXPECT_FALSE(IsStorableTarget(u""));
  EXPECT_FALSE(IsStorableTarget(u"C:\\x"));
  EXPECT_FALSE(IsStorableTarget(u"\\\\?\\unix\\etc"));
  EXPECT_FALSE(IsStorableTarget(u"relative.txt"));
  EXPECT_FALSE(IsStorableTarget(std::u16string(u"\\a\0b", 4)));
  EXPECT_FALSE(MakeLauncher(u"\\" + std::u16string(120, u'a'), u"long").has_value());
}

TEST(Adding, ListsDropDotEntriesAndPutFoldersFirst) {
  std::vector<ListedEntry> e = {{u"zeta.txt", u"zeta", false},   {u".", u".", true},
                                {u"Beta", u"Beta", true},        {u"..", u"..", true},
                                {u"Alpha.lnk", u"alpha", false}, {u"apple", u"apple", true}};
  SortListed(e);
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].name, u"apple");
  EXPECT_EQ(e[1].name, u"Beta");
  EXPECT_EQ(e[2].name, u"Alpha.lnk");
  EXPECT_EQ(e[3].name, u"zeta.txt");
}

// ---- Removing, resizing, closing up -----------------------------------------------------------------

TEST(Items, RemoveClearsTheItemAndItsCoverAndAutoArrangeClosesUp) {
  Fixture f = Defaults();
  State& s = *f.state;
  // System tab: battery, memory, Calculator (large), File Explorer (large) fill row 0.
  ASSERT_EQ(Kinds(s, 0), "B--M--L-L-|K--G------|7SSSSS0000");
  s.settings.autoArrange = 0;
  s.grid[0][0][6].highlight = 1;
  EXPECT_EQ(RemoveHighlighted(s), 1);
  EXPECT_EQ(Kinds(s, 0, 2), "B--M--00L-|K--G--00--");
  s.settings.autoArrange = kOn;
  s.grid[0][0][3].highlight = 1;
  EXPECT_EQ(RemoveHighlighted(s), 1);
  EXPECT_EQ(Kinds(s, 0), "B--L-K--00|G----7SSSS|S000000000") << "closed up from the memory gauge's cell";
  EXPECT_EQ(s.grid[0][0][3].highlight, 0);
}

TEST(Items, LargeIconGrowsOnlyWhenEverythingStillFitsAndShrinksBack) {
  Fixture f = Defaults();
  State& s = *f.state;
  s.Select(2);
  EmptyTab(s, 2);
  for (int i = 0; i < 27; ++i) s.grid[2][i / 10][i % 10] = Small(u"a");  // three cells free
  // Grown in column 1, it would leave the cell before its lower half unusable, and the last
  // launcher would flow out of row 2: refused, nothing moves.
  s.grid[2][0][1].highlight = 1;
  auto before = std::make_unique<State>(s);
  EXPECT_EQ(ToggleLargeIcon(s, kPaths), LargeIconResult::kFull);
  EXPECT_EQ(std::memcmp(&before->grid, &s.grid, sizeof s.grid), 0);

  s.grid[2][0][1].highlight = 0;
  s.grid[2][0][0].highlight = 1;
  SetField(s.grid[2][0][0].iconPath, kPaths.smallSettings);
  ASSERT_EQ(ToggleLargeIcon(s, kPaths), LargeIconResult::kChanged);
  EXPECT_EQ(Kinds(s, 2), "L-SSSSSSSS|--SSSSSSSS|SSSSSSSSSS");
  EXPECT_EQ(FieldText(s.grid[2][0][0].iconPath), kPaths.largeSettings);
  EXPECT_EQ(Kinds(s, 2, 4).substr(33), "0000000000");

  // No room left: another launcher cannot grow.
  s.grid[2][0][0].highlight = 0;
  s.grid[2][2][9].highlight = 1;
  EXPECT_EQ(ToggleLargeIcon(s, kPaths), LargeIconResult::kFull);

  // Two empty cells in rows 0 to 1 are not enough either (it needs three more).
  Fixture g = Defaults();
  State& t = *g.state;
  t.Select(2);
  EmptyTab(t, 2);
  for (int i = 0; i < 28; ++i) t.grid[2][i / 10][i % 10] = Small(u"b");
  t.grid[2][0][0].highlight = 1;
  EXPECT_EQ(ToggleLargeIcon(t, kPaths), LargeIconResult::kFull);

  // Back to small: the cover freed and, with Auto Arrange, the rest closed up behind it.
  s.grid[2][2][9].highlight = 0;
  s.grid[2][0][0].highlight = 1;
  s.settings.autoArrange = kOn;
  ASSERT_EQ(ToggleLargeIcon(s, kPaths), LargeIconResult::kChanged);
  EXPECT_EQ(Kinds(s, 2), "SSSSSSSSSS|SSSSSSSSSS|SSSSSSS000");
  EXPECT_EQ(FieldText(s.grid[2][0][0].iconPath), kPaths.smallSettings);
}

TEST(Items, GrowingInTheLastColumnMovesToTheNextRowAndArrangeTogglesWithAutoArrange) {
  Fixture f = Defaults();
  State& s = *f.state;
  s.Select(2);
  EmptyTab(s, 2);
  s.grid[2][0][9] = Small(u"edge");
  s.grid[2][0][9].highlight = 1;
  ASSERT_EQ(ToggleLargeIcon(s, kPaths), LargeIconResult::kChanged);
  EXPECT_EQ(Kinds(s, 2), "0000000000|L-00000000|--00000000");

  s.settings.autoArrange = kOn;
  ToggleAutoArrange(s);
  EXPECT_EQ(s.settings.autoArrange, 0);
  EXPECT_EQ(s.grid[2][1][0].kind, kLarge) << "switching off moves nothing";
  ToggleAutoArrange(s);
  EXPECT_EQ(s.settings.autoArrange, kOn);
  EXPECT_EQ(Kinds(s, 2, 2), "L-00000000|--00000000");
}

}  // namespace
}  // namespace quintar::glancet::core

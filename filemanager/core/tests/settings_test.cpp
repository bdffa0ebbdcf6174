#include <gtest/gtest.h>

#include <vector>

#include "filemanager/core/list_settings.h"

namespace quintar::folderon::core {
namespace {

std::vector<std::byte> Bytes(const ListViewSettings& s) {
  const auto a = SerializeListViewSettings(s);
  return {a.begin(), a.end()};
}

void Put(std::vector<std::byte>& b, std::size_t field, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[field * 4 + i] = static_cast<std::byte>(v >> (8 * i));
}

TEST(ListViewSettings, FreshDeviceDefaults) {
  const ListViewSettings s = ParseListViewSettings({});
  EXPECT_EQ(s.Key(), SortKey::Name);
  EXPECT_EQ(s.ascending, 1u);
  EXPECT_EQ(s.Style(), ViewStyle::Large);
  EXPECT_EQ(s.hideHidden, 1u);
  EXPECT_EQ(s.hideExtensions, 1u);
  EXPECT_EQ(s.singleTap, 1u);
  EXPECT_EQ(s.showUpLevel, 1u);
  EXPECT_EQ(s.archiveKind, kArchiveZip);
  EXPECT_EQ(s.columnWidth[0], 145u);
  EXPECT_EQ(s.columnWidth[3], 75u);
  EXPECT_EQ(s.rememberLastFolder, 0u);
}

TEST(ListViewSettings, StoredLayoutIsTwentyTwoLittleEndianValuesInOrder) {
  ListViewSettings s;
  s.sortKey = 3;
  s.columnWidth[0] = 0x0102;
  s.openArchives = 1;
  const auto b = Bytes(s);
  ASSERT_EQ(b.size(), 88u);
  EXPECT_EQ(b[0], std::byte{3});
  EXPECT_EQ(b[4], std::byte{1});   // ascending
  EXPECT_EQ(b[28], std::byte{2});  // Name column width, low byte first
  EXPECT_EQ(b[29], std::byte{1});
  EXPECT_EQ(b[68], std::byte{2});  // archiveKind
  EXPECT_EQ(b[84], std::byte{1});  // openArchives, the last value
}

TEST(ListViewSettings, RoundTripKeepsEveryField) {
  ListViewSettings s;
  s.sortKey = 2;
  s.ascending = 0;
  s.viewStyle = 1;
  s.lineSelect = kLineSelectOn;
  s.hideHidden = 0;
  s.hideSystem = 1;
  s.hideRom = 1;
  s.columnWidth[0] = 200;
  s.columnWidth[1] = 0;
  s.columnWidth[2] = 90;
  s.columnWidth[3] = 4096;
  s.rememberLastFolder = 1;
  s.noShortcutMention = 1;
  s.hideExtensions = 0;
  s.singleTap = 0;
  s.noColumnHeader = 1;
  s.showUpLevel = 0;
  s.archiveKind = kArchiveLzh;
  s.extractInPlace = 1;
  s.autoCreateFolder = 1;
  s.openExtractFolder = 1;
  s.openArchives = 1;
  EXPECT_EQ(ParseListViewSettings(Bytes(s)), s);
}

TEST(ListViewSettings, AnyOtherLengthGivesDefaults) {
  ListViewSettings s;
  s.sortKey = 3;
  auto b = Bytes(s);
  for (std::size_t n : {0u, 4u, 87u}) EXPECT_EQ(ParseListViewSettings({b.data(), n}), ListViewSettings{}) << n;
  b.resize(89);
  EXPECT_EQ(ParseListViewSettings(b), ListViewSettings{});
  b.resize(176);
  EXPECT_EQ(ParseListViewSettings(b), ListViewSettings{});
}

TEST(ListViewSettings, OutOfRangeValuesAreMendedFieldByField) {
  auto b = Bytes(ListViewSettings{});
  Put(b, 0, 7);           // sort key
  Put(b, 1, 0xFFFFFFFF);  // ascending
  Put(b, 2, 4);           // view style
  Put(b, 3, 1);           // line select
  Put(b, 4, 0);           // hideHidden stays 0
  Put(b, 5, 9);           // hideSystem
  Put(b, 7, 0x80000000);  // Name width
  Put(b, 8, 100);         // Size width stays
  Put(b, 17, 3);          // archive kind
  const ListViewSettings s = ParseListViewSettings(b);
  EXPECT_EQ(s.sortKey, 0u);
  EXPECT_EQ(s.ascending, 1u);
  EXPECT_EQ(s.viewStyle, 0u);
  EXPECT_EQ(s.lineSelect, kLineSelectOn);
  EXPECT_EQ(s.hideHidden, 0u);
  EXPECT_EQ(s.hideSystem, 1u);
  EXPECT_EQ(s.columnWidth[0], 145u);
  EXPECT_EQ(s.columnWidth[1], 100u);
  EXPECT_EQ(s.archiveKind, kArchiveZip);
}

TEST(ListViewSettings, ListStyleCyclesThroughFiveStyles) {
  ListViewSettings s;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> seen;
  for (int i = 0; i < 5; ++i) {
    CycleListStyle(s);
    seen.emplace_back(s.viewStyle, s.lineSelect);
  }
  EXPECT_EQ(seen,
            (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{2, 0}, {3, 0}, {1, 0}, {1, kLineSelectOn}, {0, 0}}));
}

TEST(ListViewSettings, ColumnClickSetsKeyOrFlipsDirection) {
  ListViewSettings s;
  ApplyColumnClick(s, 0);  // the current key's column: flip
  EXPECT_EQ(s.ascending, 0u);
  ApplyColumnClick(s, 1);  // Size column: size key, direction kept
  EXPECT_EQ(s.Key(), SortKey::Size);
  EXPECT_EQ(s.ascending, 0u);
  ApplyColumnClick(s, 2);
  EXPECT_EQ(s.Key(), SortKey::Type);
  ApplyColumnClick(s, 3);
  EXPECT_EQ(s.Key(), SortKey::Date);
  ApplyColumnClick(s, 3);
  EXPECT_EQ(s.ascending, 1u);
  ApplyColumnClick(s, 7);
  ApplyColumnClick(s, -1);
  EXPECT_EQ(s.Key(), SortKey::Date);
  ApplySortKey(s, SortKey::Name);
  ToggleSortDirection(s);
  EXPECT_EQ(s.Key(), SortKey::Name);
  EXPECT_EQ(s.ascending, 0u);
}

}  // namespace
}  // namespace quintar::folderon::core

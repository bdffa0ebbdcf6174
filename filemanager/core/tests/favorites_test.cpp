#include <gtest/gtest.h>

#include <map>

#include "filemanager/core/favorites.h"

namespace quintar::folderon::core {
namespace {

TEST(Favorites, SubfoldersFirstNumberingAcrossLevelsAndLeftOuts) {
  const std::map<std::u16string, std::vector<FolderItem>> tree{
      {u"\\Fav",
       {{u"b.url", false}, {u"noext", false}, {u"Links", true}, {u".", true}, {u"Empty", true}, {u"a.lnk", false}}},
      {u"\\Fav\\Links", {{u"x.url", false}, {u"Deeper", true}}},
      {u"\\Fav\\Links\\Deeper", {{u"y.url", false}}},
      {u"\\Fav\\Empty", {{u"README", false}}},
  };
  const auto list = [&](std::u16string_view folder) {
    const auto it = tree.find(std::u16string(folder));
    return it == tree.end() ? std::vector<FolderItem>{} : it->second;
  };
  const FavoritesMenu menu = BuildFavoritesMenu(u"\\Fav", list);
  ASSERT_EQ(menu.items.size(), 3u);  // Links, b.url, a.lnk: "Empty" holds no favorite
  EXPECT_TRUE(menu.items[0].IsSubmenu());
  EXPECT_EQ(menu.items[0].caption, u"Links");
  ASSERT_EQ(menu.items[0].children.size(), 2u);
  EXPECT_EQ(menu.items[0].children[0].caption, u"Deeper");
  EXPECT_EQ(menu.items[0].children[0].children[0].command, 51000);  // y.url, added first
  EXPECT_EQ(menu.items[0].children[1].command, 51001);              // x.url
  EXPECT_EQ(menu.items[1].caption, u"b.url");
  EXPECT_EQ(menu.items[1].command, 51002);
  EXPECT_EQ(menu.items[2].command, 51003);
  EXPECT_EQ(menu.paths, (std::vector<std::u16string>{u"\\Fav\\Links\\Deeper\\y.url", u"\\Fav\\Links\\x.url",
                                                     u"\\Fav\\b.url", u"\\Fav\\a.lnk"}));
}

TEST(Favorites, MissingFolderAndCommandRangeLimit) {
  EXPECT_TRUE(
      BuildFavoritesMenu(u"\\None", [](std::u16string_view) { return std::vector<FolderItem>{}; }).items.empty());
  std::vector<FolderItem> many;
  for (int i = 0; i < 15000; ++i) many.push_back({u"f" + std::u16string(1, u'0' + i % 10) + u".url", false});
  const FavoritesMenu menu = BuildFavoritesMenu(u"\\Fav", [&](std::u16string_view) { return many; });
  EXPECT_EQ(menu.paths.size(), 14535u);
  EXPECT_EQ(menu.items.back().command, 65534);
}

}  // namespace
}  // namespace quintar::folderon::core

#include <gtest/gtest.h>

#include <map>

#include "regeditor/core/registry_text.h"
#include "regeditor/core/search.h"

namespace quintar::tamsk::core {
namespace {

// A hive in memory: keys by full path ("" is the root), children in insertion order.
class FakeHive : public SearchSource {
 public:
  void Key(const std::u16string& path) {
    if (keys_.count(path)) return;
    keys_[path];
    if (!path.empty()) {
      std::u16string parent(ParentKeyPath(path));
      Key(parent);
      keys_[parent].children.emplace_back(LastKeyComponent(path));
    }
  }
  void Value(const std::u16string& path, std::u16string name, std::uint32_t type, std::vector<std::uint8_t> data) {
    Key(path);
    keys_[path].values.push_back({std::move(name), type, std::move(data)});
  }
  void Lock(const std::u16string& path) { keys_[path].locked = true; }

  bool SubKeys(std::u16string_view path, std::vector<std::u16string>& names) override {
    auto it = keys_.find(std::u16string(path));
    if (it == keys_.end() || it->second.locked) return false;
    names = it->second.children;
    return true;
  }
  bool Values(std::u16string_view path, std::vector<SearchValue>& values) override {
    auto it = keys_.find(std::u16string(path));
    if (it == keys_.end() || it->second.locked) return false;
    values = it->second.values;
    return true;
  }

 private:
  struct Node {
    std::vector<std::u16string> children;
    std::vector<SearchValue> values;
    bool locked = false;
  };
  std::map<std::u16string, Node> keys_;
};

std::u16string FakeNumber(int i) {
  std::string n = std::to_string(i);
  return std::u16string(n.begin(), n.end());
}

std::vector<std::u16string> AllHits(RegistrySearch& s, FakeHive& h, std::u16string_view text, unsigned kinds,
                                    bool whole) {
  std::vector<std::u16string> paths;
  while (auto hit = s.Next(h, text, kinds, whole)) {
    paths.push_back(hit->path + (hit->valueName.empty() ? u"" : u"|" + hit->valueName));
    if (paths.size() > 1000) break;
  }
  return paths;
}

TEST(Search, KeyNamesInPreOrderIncludingBelowAReportedKey) {
  FakeHive h;
  h.Key(u"\\Software\\SoftKeys");
  h.Key(u"\\Software\\Apps");
  h.Key(u"\\Hardware");
  h.Key(u"\\SoftwareUpdate");
  RegistrySearch s;
  EXPECT_EQ(AllHits(s, h, u"soft", kSearchKey, false),
            (std::vector<std::u16string>{u"\\Software", u"\\Software\\SoftKeys", u"\\SoftwareUpdate"}));
  // Exhausted: the caller clears, and the next search starts again from the first.
  s.Clear();
  EXPECT_EQ(s.Next(h, u"soft", kSearchKey, false)->path, u"\\Software");
  s.Clear();
  EXPECT_EQ(AllHits(s, h, u"Software", kSearchKey, true), (std::vector<std::u16string>{u"\\Software"}));
}

TEST(Search, ValueNamesOncePerKeyAndKeysFirst) {
  FakeHive h;
  h.Value(u"\\A", u"Target", kRegSz, StringData(u"x"));
  h.Value(u"\\A", u"target2", kRegSz, StringData(u"x"));
  h.Value(u"\\B\\C", u"TARGET", kRegDword, {1, 0, 0, 0});
  h.Value(u"", u"rootTarget", kRegSz, {});
  RegistrySearch s;
  EXPECT_EQ(AllHits(s, h, u"target", kSearchValue, true),
            (std::vector<std::u16string>{u"\\A|Target", u"\\B\\C|TARGET"}));
  s.Clear();
  EXPECT_EQ(AllHits(s, h, u"target", kSearchValue, false),
            (std::vector<std::u16string>{u"|rootTarget", u"\\A|Target", u"\\B\\C|TARGET"}));

  h.Key(u"\\B\\target");
  s.Clear();
  auto first = s.Next(h, u"target", kSearchKey | kSearchValue, true);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->kind, kSearchKey);
  EXPECT_EQ(first->path, u"\\B\\target");
  auto second = s.Next(h, u"target", kSearchKey | kSearchValue, true);
  EXPECT_EQ(second->kind, kSearchValue);
  EXPECT_EQ(s.ReportedCount(kSearchKey), 1u);
}

TEST(Search, DataOfEachType) {
  FakeHive h;
  h.Value(u"\\S", u"s", kRegSz, StringData(u"Hello World"));
  h.Value(u"\\M", u"m", kRegMultiSz, {'x', 0, 0, 0, 'w', 0, 'o', 0, 'r', 0, 'l', 0, 'd', 0, 0, 0, 0, 0});
  h.Value(u"\\D", u"d", kRegDword, {31, 0, 0, 0});
  h.Value(u"\\B", u"b", kRegBinary, {0x01, 0xAB});
  h.Value(u"\\Q", u"q", 11, {'w', 0, 'o', 0});
  RegistrySearch s;
  EXPECT_EQ(AllHits(s, h, u"world", kSearchData, false), (std::vector<std::u16string>{u"\\S|s", u"\\M|m"}));
  s.Clear();
  EXPECT_EQ(AllHits(s, h, u"world", kSearchData, true), (std::vector<std::u16string>{u"\\M|m"}));
  s.Clear();
  EXPECT_EQ(AllHits(s, h, u"0x1f", kSearchData, true), (std::vector<std::u16string>{u"\\D|d"}));
  s.Clear();
  EXPECT_EQ(AllHits(s, h, u"31", kSearchData, true), (std::vector<std::u16string>{u"\\D|d"}));
  s.Clear();
  EXPECT_EQ(AllHits(s, h, u"1ab", kSearchData, false), (std::vector<std::u16string>{u"\\B|b"}));
}

TEST(Search, NoListLimitLockedKeysAndDeepHives) {
  FakeHive h;
  for (int i = 0; i < 700; ++i) h.Key(u"\\k" + std::u16string(1, u'a' + i % 26) + u"\\hit" + FakeNumber(i));
  h.Value(u"\\locked", u"hit", kRegSz, {});
  h.Key(u"\\locked\\hitbelow");
  h.Lock(u"\\locked");
  std::u16string deep;
  for (int i = 0; i < 1000; ++i) deep += u"\\d";
  h.Key(deep + u"\\hitdeep");
  RegistrySearch s;
  auto hits = AllHits(s, h, u"hit", kSearchKey, false);
  EXPECT_EQ(hits.size(), 701u);  // more than 300, none from the locked key
  EXPECT_EQ(hits.back(), deep + u"\\hitdeep");
  EXPECT_EQ(s.ReportedCount(kSearchKey), 701u);
  EXPECT_FALSE(s.Next(h, u"", kSearchKey, false));
}

}  // namespace
}  // namespace quintar::tamsk::core

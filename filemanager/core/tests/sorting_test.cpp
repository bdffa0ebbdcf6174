#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "filemanager/core/sorting.h"

namespace quintar::folderon::core {
namespace {

FileEntry Folder(std::u16string name, std::uint64_t time = 0) {
  FileEntry e;
  e.folder = u"\\Temp";
  e.name = std::move(name);
  e.kind = EntryKind::Folder;
  e.attributes = kAttrDirectory;
  e.time = time;
  return e;
}

FileEntry File(std::u16string name, std::uint32_t size = 0, std::uint64_t time = 0) {
  FileEntry e;
  e.folder = u"\\Temp";
  e.name = std::move(name);
  e.kind = EntryKind::File;
  e.size = size;
  e.time = time;
  return e;
}

std::vector<std::u16string> Sorted(std::vector<FileEntry> rows, SortKey key, bool ascending) {
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const FileEntry& a, const FileEntry& b) { return CompareEntries(a, b, key, ascending) < 0; });
  std::vector<std::u16string> names;
  for (const auto& r : rows) names.push_back(r.name);
  return names;
}

using Names = std::vector<std::u16string>;

TEST(CaseFolding, MatchesTheDevicesSimpleUppercase) {
  EXPECT_TRUE(EqualsNoCase(u"My Documents", u"MY DOCUMENTS"));
  EXPECT_TRUE(EqualsNoCase(u"recycled", u"RECYCLED"));
  EXPECT_TRUE(EqualsNoCase(u"\u00E4rger", u"\u00C4RGER"));                  // Latin-1
  EXPECT_TRUE(EqualsNoCase(u"\u03B1\u03B2\u03B3", u"\u0391\u0392\u0393"));  // Greek
  EXPECT_TRUE(EqualsNoCase(u"\u0434\u043E\u043C", u"\u0414\u041E\u041C"));  // Cyrillic
  EXPECT_TRUE(EqualsNoCase(u"\uFF41", u"\uFF21"));                          // full-width a
  EXPECT_EQ(FoldUpper(u'\u00FF'), u'\u0178');
  // No fold from a non-ASCII letter onto ASCII: dotless i and long s stay apart from I and S.
  EXPECT_FALSE(EqualsNoCase(u"\u0131", u"I"));
  EXPECT_FALSE(EqualsNoCase(u"\u017F", u"S"));
  // Surrogates and unmapped characters are themselves.
  EXPECT_EQ(FoldUpper(u'\xD83D'), u'\xD83D');
  EXPECT_EQ(FoldUpper(u'_'), u'_');
  EXPECT_FALSE(EqualsNoCase(u"abc", u"abcd"));
  // Ordinal after uppercasing: '_' comes after the letters, a prefix before the longer name.
  EXPECT_LT(CompareNoCase(u"zeta", u"_x"), 0);
  EXPECT_LT(CompareNoCase(u"ab", u"ABC"), 0);
  EXPECT_EQ(CompareNoCase(u"", u""), 0);
}

TEST(NameSort, AscendingIsCaseInsensitiveWithUpLevelAndFoldersFirst) {
  std::vector<FileEntry> rows{File(u"b.txt"),   Folder(u"beta"), File(u"A.doc"), MakeUpLevelEntry(),
                              Folder(u"Alpha"), File(u"c"),      Folder(u"_tmp")};
  EXPECT_EQ(Sorted(rows, SortKey::Name, true), (Names{u"..", u"Alpha", u"beta", u"_tmp", u"A.doc", u"b.txt", u"c"}));
}

TEST(NameSort, ReversedIsCaseSensitiveOrdinalReversedKindsStayInOrder) {
  std::vector<FileEntry> rows{File(u"a"), File(u"B"), File(u"c"), Folder(u"x"), Folder(u"Y"), MakeUpLevelEntry()};
  // Ordinal: "B" < "a" < "c"; "Y" < "x".
  EXPECT_EQ(Sorted(rows, SortKey::Name, false), (Names{u"..", u"x", u"Y", u"c", u"a", u"B"}));
}

TEST(TypeSort, ByExtensionNoExtensionFirstTiesByNameFoldersAlwaysAscending) {
  std::vector<FileEntry> rows{File(u"b.DOC"),    File(u"readme"),   File(u"a.doc"), File(u"z.bmp"), File(u"Makefile"),
                              File(u".profile"), File(u"x.tar.gz"), Folder(u"b"),   Folder(u"A"),   MakeUpLevelEntry()};
  // ".profile" has no extension; "x.tar.gz" is a .gz.
  EXPECT_EQ(Sorted(rows, SortKey::Type, true),
            (Names{u"..", u"A", u"b", u".profile", u"Makefile", u"readme", u"z.bmp", u"a.doc", u"b.DOC", u"x.tar.gz"}));
  EXPECT_EQ(Sorted(rows, SortKey::Type, false),
            (Names{u"..", u"A", u"b", u"x.tar.gz", u"b.DOC", u"a.doc", u"z.bmp", u"readme", u"Makefile", u".profile"}));
}

TEST(SizeSort, FoldersByNameAboveFilesInBothDirections) {
  std::vector<FileEntry> rows{File(u"big", 5000), Folder(u"zz"),     File(u"small", 10),
                              Folder(u"Aa"),      File(u"mid", 300), MakeUpLevelEntry()};
  EXPECT_EQ(Sorted(rows, SortKey::Size, true), (Names{u"..", u"Aa", u"zz", u"small", u"mid", u"big"}));
  EXPECT_EQ(Sorted(rows, SortKey::Size, false), (Names{u"..", u"Aa", u"zz", u"big", u"mid", u"small"}));
}

TEST(SizeSort, EqualSizesCompareEqual) {
  const FileEntry a = File(u"a", 42), b = File(u"b", 42);
  EXPECT_EQ(CompareBySize(a, b, true), 0);
  EXPECT_EQ(CompareBySize(a, b, false), 0);
}

TEST(DateSort, FoldersAndFilesByTimeSameDirection) {
  std::vector<FileEntry> rows{File(u"new", 0, 300), Folder(u"old", 100), File(u"older", 0, 50), Folder(u"newer", 200),
                              MakeUpLevelEntry()};
  EXPECT_EQ(Sorted(rows, SortKey::Date, true), (Names{u"..", u"old", u"newer", u"older", u"new"}));
  EXPECT_EQ(Sorted(rows, SortKey::Date, false), (Names{u"..", u"newer", u"old", u"new", u"older"}));
}

TEST(Comparators, UnknownKeyFallsBackToName) {
  EXPECT_EQ(ComparatorFor(static_cast<SortKey>(9)), &CompareByName);
  EXPECT_EQ(ComparatorFor(SortKey::Date), &CompareByDate);
}

// The list view's sort needs a consistent order: antisymmetric and transitive on any rows.
TEST(Comparators, AreStrictWeakOrdersForEveryKeyAndDirection) {
  std::mt19937 rng(7);
  const std::u16string stems[] = {u"a", u"A", u"b", u"B.", u".x", u"a.b", u"A.B", u"\u00E4", u"\u00C4.z", u""};
  std::vector<FileEntry> rows{MakeUpLevelEntry()};
  for (int i = 0; i < 60; ++i) {
    std::u16string name = stems[rng() % 10] + stems[rng() % 10];
    rows.push_back(rng() % 3 ? File(name, rng() % 4, rng() % 4) : Folder(name, rng() % 4));
  }
  for (int k = 0; k < 4; ++k)
    for (bool asc : {true, false}) {
      const EntryComparator cmp = ComparatorFor(static_cast<SortKey>(k));
      for (const auto& a : rows)
        for (const auto& b : rows) {
          const int ab = cmp(a, b, asc), ba = cmp(b, a, asc);
          ASSERT_EQ((ab > 0) - (ab < 0), -((ba > 0) - (ba < 0))) << "key " << k;
          if (ab >= 0) continue;
          for (const auto& c : rows)
            if (cmp(b, c, asc) < 0) {
              ASSERT_LT(cmp(a, c, asc), 0) << "key " << k;
            }
        }
    }
}

TEST(Names, ExtensionRules) {
  EXPECT_EQ(NameWithoutExtension(u"report.final.doc"), u"report.final");
  EXPECT_EQ(NameWithoutExtension(u"readme"), u"readme");
  EXPECT_EQ(NameWithoutExtension(u".profile"), u".profile");
  EXPECT_EQ(NameWithoutExtension(u"trailing."), u"trailing");
  EXPECT_EQ(ExtensionOf(u"A.ZIP"), u"ZIP");
  EXPECT_EQ(ExtensionOf(u"noext"), u"");
}

}  // namespace
}  // namespace quintar::folderon::core

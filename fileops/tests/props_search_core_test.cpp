// The plain rules of the Properties sheet and of File Search.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "fileops/core/properties.h"
#include "fileops/core/search.h"

using namespace quintar::fileops::core;

TEST(PropertiesTexts, SizesSwitchToMegabytesAbove1023999BytesOn64Bits) {
  NumberFormat f;
  EXPECT_EQ(PropertySizeText(1024000, f), u"0.98 MB (1,024,000 bytes)");
  EXPECT_EQ(PropertySizeText(1023999, f), u"1,000.00 KB (1,023,999 bytes)");
  EXPECT_EQ(PropertySizeText(0, f), u"0.00 KB (0 bytes)");
  EXPECT_EQ(PropertySizeText(5ull << 32, f), u"20,480.00 MB (21,474,836,480 bytes)");
  EXPECT_EQ(TotalSizeText(2048, f), u"2.00 KB");
  EXPECT_EQ(TotalBytesText(2048, f), u"(2,048 bytes)");
  EXPECT_EQ(FoldersText(2), u"Folders : 2");
  EXPECT_EQ(FilesText(5), u"Files :     5");
  EXPECT_EQ(InRomTypeText(u"Application"), u"Application (in ROM)");
}

TEST(PropertiesApply, OnlyTheUsersChangesGoOverTheCurrentAttributes) {
  constexpr std::uint32_t ro = 1, hidden = 2, system = 4, archive = 0x20, inRom = 0x40, temp = 0x100;
  EXPECT_FALSE(AttributesToApply(archive, archive, archive));
  // Read only ticked; meanwhile the file became hidden: that stays, and stale or unsettable bits
  // of the word read at open go nowhere.
  EXPECT_EQ(AttributesToApply(archive | hidden, archive | inRom | temp, archive | inRom | temp | ro),
            archive | hidden | ro);
  EXPECT_EQ(AttributesToApply(archive | system, archive, 0), system);
}

TEST(PropertiesApply, NamesThatWouldMoveTheFileAreRefused) {
  EXPECT_EQ(CheckNewName(u"\\A", u"x.txt", u""), NameCheck::Empty);
  EXPECT_EQ(CheckNewName(u"\\A", u"x.txt", u"x.txt"), NameCheck::Unchanged);
  EXPECT_EQ(CheckNewName(u"\\A", u"x.txt", u"X.txt"), NameCheck::Ok);
  for (auto bad : {u"..\\esc", u"sub\\x", u"a/b", u"..", u".", u"a:b"})
    EXPECT_EQ(CheckNewName(u"\\A", u"x.txt", bad), NameCheck::Refused) << std::string(bad, bad + 2);
  std::u16string folder(250, u'f');
  folder[0] = u'\\';
  EXPECT_EQ(NameLimit(folder), 8u);
  EXPECT_EQ(CheckNewName(folder, u"x", std::u16string(8, u'n')), NameCheck::Ok);
  EXPECT_EQ(CheckNewName(folder, u"x", std::u16string(9, u'n')), NameCheck::Refused);
  EXPECT_EQ(TemporaryShortcutPath(u"\\A", 3), u"\\A\\~lnk3.tmp");
  EXPECT_FALSE(TemporaryShortcutPath(folder, 1));
}

TEST(SearchPattern, ContainmentWithRunsEndingAtEitherWildcard) {
  EXPECT_TRUE(NamePatternMatches(u"REP", u"MY REPORT.TXT"));
  EXPECT_TRUE(NamePatternMatches(u"*.TXT", u"A.TXT.BAK"));
  EXPECT_TRUE(NamePatternMatches(u"A?C", u"ABC"));
  EXPECT_TRUE(NamePatternMatches(u"A?C", u"ABXC"));
  EXPECT_TRUE(NamePatternMatches(u"A?C*", u"ABC.TXT"));  // the run "A" ends at the "?"
  EXPECT_FALSE(NamePatternMatches(u"A?C", u"AC"));
  EXPECT_FALSE(NamePatternMatches(u"A?", u"A"));
  EXPECT_TRUE(NamePatternMatches(u"*", u""));
  EXPECT_FALSE(NamePatternMatches(u"?", u""));
  EXPECT_TRUE(NamePatternMatches(u"DOC", u"MYDOCS"));
}

TEST(SearchCriteria, DaysSizesAndWhatFoldersMatch) {
  EXPECT_EQ(DayText(2026, 3, 7), u"20260307");
  EXPECT_TRUE(DateMatches(DateMode::Before, u"20260307", u"20260307", u""));
  EXPECT_FALSE(DateMatches(DateMode::Before, u"20260308", u"20260307", u""));
  EXPECT_TRUE(DateMatches(DateMode::After, u"20260307", u"20260307", u""));
  EXPECT_TRUE(DateMatches(DateMode::Area, u"20260310", u"20260307", u"20260310"));
  EXPECT_FALSE(DateMatches(DateMode::Area, u"20260311", u"20260307", u"20260310"));
  EXPECT_TRUE(DateMatches(DateMode::SameDay, u"20260307", u"20260307", u""));
  EXPECT_TRUE(SizeMatches(SizeMode::Exactly, 1024, 1));
  EXPECT_TRUE(SizeMatches(SizeMode::Exactly, 2047, 1));
  EXPECT_FALSE(SizeMatches(SizeMode::Exactly, 2048, 1));
  EXPECT_TRUE(SizeMatches(SizeMode::Min, 0, 0));
  EXPECT_TRUE(SizeMatches(SizeMode::Max, 5ull << 40, 5ull << 30));
  EXPECT_FALSE(SizeMatches(SizeMode::Min, 5ull << 40, (5ull << 30) + 1));
  EXPECT_EQ(ParseSizeKB(u"123kb"), 123u);
  EXPECT_EQ(ParseSizeKB(u"99999999999999999999999"), ~0ull);
  EXPECT_EQ(ParseSizeKB(u""), 0u);

  SearchCriteria c;
  EXPECT_EQ(TestEntry(c, u"A", true, u"", 0), Verdict::Miss);  // no pattern: folders never
  c.namePattern = u"DOC";
  EXPECT_EQ(TestEntry(c, u"MYDOCS", true, u"", 0), Verdict::Hit);
  EXPECT_EQ(TestEntry(c, u"..", true, u"", 0), Verdict::Miss);
  c.text = u"x";
  EXPECT_EQ(TestEntry(c, u"MYDOCS", true, u"", 0), Verdict::Miss);
  EXPECT_EQ(TestEntry(c, u"DOC.TXT", false, u"", 0), Verdict::NeedsText);
}

TEST(SearchText, FoundAcrossBlocksInEitherCaseButNotAPrefixAlone) {
  TextMatcher m("needle", "NEEDLE");
  for (std::size_t block : {1u, 3u, 4096u}) {
    for (std::size_t split = 0; split < 12; ++split) {
      std::string file(block * 2 + 20, 'a');
      const std::size_t at = block > split ? block - split : 0;
      file.replace(at, 6, "nEeDlE");
      StreamSearch s(m, block);
      bool found = false;
      for (std::size_t pos = 0; pos < file.size() && !found; pos += block) {
        std::size_t got = std::min(block, file.size() - pos);
        std::copy_n(file.data() + pos, got, s.Block().data());
        found = s.Scan(got);
      }
      EXPECT_TRUE(found) << block << " " << split;
    }
  }
  TextMatcher aab("aab", "aab");
  StreamSearch s(aab, 2);
  const char* blocks[] = {"aa", "ab"};  // "aaab": the string starts in the first block's last byte
  bool found = false;
  for (const char* b : blocks) {
    std::copy_n(b, 2, s.Block().data());
    found = found || s.Scan(2);
  }
  EXPECT_TRUE(found);
  // The first bytes at the end of a block, other bytes after: no hit.
  StreamSearch t(m, 4);
  std::copy_n("xnee", 4, t.Block().data());
  EXPECT_FALSE(t.Scan(4));
  std::copy_n("zzzz", 4, t.Block().data());
  EXPECT_FALSE(t.Scan(4));
  // Case-sensitive: one form.
  TextMatcher exact("Needle", "Needle");
  const std::string hay = "a needle and a NEEDLE";
  EXPECT_FALSE(exact.FoundIn(reinterpret_cast<const std::uint8_t*>(hay.data()), hay.size()));
}

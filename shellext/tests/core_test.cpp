// The menu's plan per kind of item, the selection's first path out of a drop block, and the
// encryption dialog's checks of what was typed.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "shellext/menu_plan.h"
#include "shellext/properties_text.h"

namespace qm = quintar::menuvex::core;

namespace {

constexpr std::uint32_t kFile = 0x20, kFolder = 0x10;

std::vector<int> Offsets(const qm::MenuPlan& plan) {
  std::vector<int> all;
  if (plan.extractPopup) all = {qm::kExtractHere, qm::kExtractToNamed, qm::kExtractSpecify};
  all.insert(all.end(), plan.topOffsets.begin(), plan.topOffsets.end());
  return all;
}

TEST(MenuPlan, ItemsAndCountPerKindOfItem) {
  struct Case {
    const char16_t* name;
    std::uint32_t attributes;
    std::vector<int> offsets;
    int count;
  };
  const Case cases[] = {
      {u"report.txt", kFile, {0, 1, 2, 3}, 4},
      {u"Letters.zip", kFile, {4, 5, 6, 1, 2, 3}, 7},
      {u"notes.enf", kFile, {0, 7, 2, 3}, 8},
      {u"backup.zip", kFolder, {0, 2, 3}, 4},  // a folder is never extracted
      {u"vault.enf", kFolder, {0, 2, 3}, 4},   // nor decrypted
      {u"DATA.ZIP", kFile, {0, 1, 2, 3}, 4},   // the type is case-sensitive
      {u"notes.ENF", kFile, {0, 1, 2, 3}, 4},
      {u"archivezip", kFile, {4, 5, 6, 1, 2, 3}, 7},  // the dot is not looked at
      {u"zip", kFile, {4, 5, 6, 1, 2, 3}, 7},
      {u"Storage Card", kFolder | 0x100, {0, 2, 3}, 4},  // a folder with more bits is still one
      {u"old.zip", kFolder | 0x1, {0, 2, 3}, 4},
      {u"ro.txt", 0x1, {0, 1, 2, 3}, 4},
  };
  for (const Case& c : cases) {
    const qm::MenuPlan plan = qm::PlanMenu(c.name, c.attributes);
    EXPECT_EQ(Offsets(plan), c.offsets) << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name));
    EXPECT_EQ(plan.itemCount, c.count);
  }
}

TEST(MenuPlan, ExtractFolderIsTheNameCutFourFromTheEnd) {
  EXPECT_EQ(qm::PlanMenu(u"data.zip", kFile).extractFolderText, u"data\\");
  EXPECT_EQ(qm::ExtractFolderText(u"My Letters.zip"), u"My Letters\\");
  EXPECT_EQ(qm::ExtractFolderText(u"xzip"), u"\\");
  EXPECT_EQ(qm::ExtractFolderText(u"zip"), u"\\") << "too short to cut: no underflow";
  EXPECT_EQ(qm::OffsetCaption(qm::kEncrypt), u"Encrypt File...");
  EXPECT_EQ(qm::OffsetCaption(qm::kDecrypt), u"Decrypt File...");
  EXPECT_TRUE(qm::OffsetCaption(8).empty());
  EXPECT_TRUE(qm::OffsetCaption(-1).empty());
}

// A DROPFILES block: pFiles, pt.x, pt.y, fNC, fWide, then the list.
std::vector<std::byte> Drop(const std::u16string& list, std::uint32_t offset = 20, std::uint32_t wide = 1) {
  const std::size_t start = offset < 20 ? 20 : offset;  // where the list lies, whatever pFiles says
  std::vector<std::byte> block(start + list.size() * 2);
  std::memcpy(block.data(), &offset, 4);
  std::memcpy(block.data() + 16, &wide, 4);
  std::memcpy(block.data() + start, list.data(), list.size() * 2);
  return block;
}

TEST(FirstDropPath, TakesTheFirstOfSeveralPaths) {
  const auto block = Drop(std::u16string(u"\\My Documents\\a.txt\0\\Temp\\b.zip\0\0", 34));
  const auto drop = qm::FirstDropPath(block);
  EXPECT_EQ(drop.error, qm::DropError::None);
  EXPECT_EQ(drop.path, u"\\My Documents\\a.txt");
  // The list may start further on than the header's end.
  const auto later = qm::FirstDropPath(Drop(std::u16string(u"\\x\0\0", 4), 24));
  EXPECT_EQ(later.path, u"\\x");
}

TEST(FirstDropPath, RefusesBlocksThatCannotBeRead) {
  using E = qm::DropError;
  EXPECT_EQ(qm::FirstDropPath({}).error, E::Malformed);
  EXPECT_EQ(qm::FirstDropPath(std::vector<std::byte>(19)).error, E::Malformed);
  EXPECT_EQ(qm::FirstDropPath(Drop(u"\\a", 20)).error, E::Malformed) << "no terminator";
  EXPECT_EQ(qm::FirstDropPath(Drop(std::u16string(u"\\a\0", 3), 12)).error, E::Malformed) << "inside the header";
  EXPECT_EQ(qm::FirstDropPath(Drop(std::u16string(u"\\a\0", 3), 21)).error, E::Malformed) << "odd offset";
  auto beyond = Drop(std::u16string(u"\\a\0", 3));
  const std::uint32_t far = 4000;
  std::memcpy(beyond.data(), &far, 4);
  EXPECT_EQ(qm::FirstDropPath(beyond).error, E::Malformed) << "offset past the end";
  EXPECT_EQ(qm::FirstDropPath(Drop(std::u16string(u"\\a\0", 3), 20, 0)).error, E::NotWide);
  EXPECT_EQ(qm::FirstDropPath(Drop(std::u16string(u"\0\0", 2))).error, E::Empty);
  EXPECT_EQ(qm::FirstDropPath(Drop(std::u16string(u"\\My Documents\\*.txt\0", 20))).error, E::Malformed);
  EXPECT_EQ(qm::FirstDropPath(Drop(std::u16string(u"\\a?c\0", 5))).error, E::Malformed);
}

TEST(FirstDropPath, PathsUpTo259CharactersOnly) {
  std::u16string longest = u"\\" + std::u16string(258, u'a');
  auto ok = qm::FirstDropPath(Drop(longest + u'\0'));
  EXPECT_EQ(ok.error, qm::DropError::None);
  EXPECT_EQ(ok.path.size(), 259u);
  EXPECT_EQ(qm::FirstDropPath(Drop(longest + u"a" + u'\0')).error, qm::DropError::TooLong);
  EXPECT_EQ(qm::FirstDropPath(Drop(std::u16string(5000, u'b') + u'\0')).error, qm::DropError::TooLong);
}

TEST(EncryptionEntry, EmptyMismatchTooLongAndOk) {
  using C = qm::EntryCheck;
  EXPECT_EQ(qm::CheckEncryptionEntry(u"", u""), C::Empty);
  EXPECT_EQ(qm::CheckEncryptionEntry(u"secret", u""), C::Empty) << "an empty confirmation is 'empty'";
  EXPECT_EQ(qm::CheckEncryptionEntry(u"", u"secret"), C::Empty);
  EXPECT_EQ(qm::CheckEncryptionEntry(u"secret", u"Secret"), C::Mismatch) << "case-sensitive";
  EXPECT_EQ(qm::CheckEncryptionEntry(u"secret", u"secret "), C::Mismatch);
  EXPECT_EQ(qm::CheckEncryptionEntry(u"secret", u"secret"), C::Ok);
  const std::u16string max(32, u'p');
  EXPECT_EQ(qm::CheckEncryptionEntry(max, max), C::Ok);
  EXPECT_EQ(qm::CheckEncryptionEntry(max + u"p", max + u"p"), C::TooLong) << "would run past the trailer";
  EXPECT_EQ(qm::CheckEncryptionEntry(std::u16string(159, u'q'), std::u16string(159, u'q')), C::TooLong);
}

}  // namespace

namespace {

TEST(PropertiesText, SizesAsTheDialogWritesThem) {
  EXPECT_EQ(qm::SizeText(0), u"0 B");
  EXPECT_EQ(qm::SizeText(1023), u"1023 B");
  EXPECT_EQ(qm::SizeText(1024), u"1.00 KB (1,024 B)");
  EXPECT_EQ(qm::SizeText(2048), u"2.00 KB (2,048 B)");
  EXPECT_EQ(qm::SizeText(1040000), u"1015.63 KB (1040,000 B)") << "1015.625: the half goes up";
  EXPECT_EQ(qm::SizeText(1048575), u"1024.00 KB (1048,575 B)");
  EXPECT_EQ(qm::SizeText(1048576), u"1.00 MB (1,048,576 B)");
  EXPECT_EQ(qm::SizeText(1234567), u"1.18 MB (1,234,567 B)");
  EXPECT_EQ(qm::SizeText(1048576 + 5243), u"1.01 MB (1,053,819 B)") << "0.005 and a little: up";
  EXPECT_EQ(qm::SizeText(5368709120ull), u"5120.00 MB (5,368,709,120 B)") << "past 4 GiB, not wrapped";
  EXPECT_EQ(qm::SizeText(~0ull), u"17592186044416.00 MB (18,446,744,073,709,551,615 B)");
}

TEST(PropertiesText, DatesWithoutPaddingAndTwelveHourClock) {
  // No number is padded, the seconds neither.
  EXPECT_EQ(qm::DateTimeText({2006, 12, 5, 15, 7, 9}), u"12/5/2006 3:7:9 PM");
  EXPECT_EQ(qm::DateTimeText({2006, 1, 2, 0, 5, 0}), u"1/2/2006 0:5:0 AM");
  EXPECT_EQ(qm::DateTimeText({2024, 6, 30, 12, 30, 0}), u"6/30/2024 0:30:0 PM");
  EXPECT_EQ(qm::DateTimeText({2024, 6, 30, 11, 59, 59}), u"6/30/2024 11:59:59 AM");
  EXPECT_EQ(qm::DateTimeText({2024, 6, 30, 23, 0, 1}), u"6/30/2024 11:0:1 PM");
}

TEST(PropertiesText, FolderPartNamesAndJoins) {
  EXPECT_EQ(qm::FolderPart(u"\\My Documents\\report.txt"), u"\\My Documents");
  EXPECT_EQ(qm::FolderPart(u"\\report.txt"), u"\\");
  EXPECT_EQ(qm::FolderPart(u"\\a\\b\\c"), u"\\a\\b");
  EXPECT_EQ(qm::LastComponent(u"\\a\\b\\c.txt"), u"c.txt");
  EXPECT_EQ(qm::JoinFolder(u"\\", u"new.txt"), u"\\new.txt") << "not \\\\new.txt";
  EXPECT_EQ(qm::JoinFolder(u"\\My Documents", u"new.txt"), u"\\My Documents\\new.txt");

  EXPECT_TRUE(qm::IsAcceptableNewName(u"\\My Documents", u"new name.txt"));
  for (const char16_t* bad :
       {u"", u".", u"..", u"a\\b", u"a/b", u"a:b", u"a,b", u"a;b", u"a*", u"a?", u"<a", u"a>", u"a|b", u"tab\there"})
    EXPECT_FALSE(qm::IsAcceptableNewName(u"\\My Documents", bad)) << std::u16string(bad).size();
  const std::u16string longName(250, u'n');
  EXPECT_TRUE(qm::IsAcceptableNewName(u"\\", longName)) << "read whole, not cut at 79 characters";
  EXPECT_FALSE(qm::IsAcceptableNewName(u"\\My Documents", longName)) << "the path would pass 259 characters";
}

TEST(PropertiesText, OnlyTheThreeBoxesChangeTheAttributeWord) {
  EXPECT_EQ(qm::NewAttributes(qm::kReadOnly, false, false, false), qm::kNormal) << "read-only alone becomes normal";
  EXPECT_EQ(qm::NewAttributes(qm::kNormal, true, true, true), qm::kReadOnly | qm::kHidden | qm::kArchive);
  EXPECT_EQ(qm::NewAttributes(qm::kSystem | qm::kArchive, false, false, false), qm::kSystem) << "system is kept";
  EXPECT_EQ(qm::NewAttributes(0x10 | qm::kRomModule, true, false, false), qm::kRomModule | qm::kReadOnly)
      << "the folder bit is not the caller's to set";
  EXPECT_EQ(qm::NewAttributes(0x110, false, false, true), 0x100u | qm::kArchive) << "a card folder keeps its bit";
  EXPECT_EQ(qm::AttributeFailureText(u"a.txt"),
            u"  Can't to set new attributes for                  < a.txt >        The system can't find the file "
            u"specified.                 Make sure memory is not full or write-protected and the file is not "
            u"currently in use.");
}

}  // namespace

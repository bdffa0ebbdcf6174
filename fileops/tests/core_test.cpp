// The plain rules of the file operations.
#include <gtest/gtest.h>

#include "fileops/core/fileops_core.h"

using namespace quintar::fileops::core;

TEST(NameRule, RefusesTheTenCharactersAndAllowsTheQuote) {
  for (char16_t c : std::u16string_view(u"\\/:,;*?<>|")) {
    std::u16string name = u"a";
    name.push_back(c);
    EXPECT_FALSE(IsValidName(name)) << int(c);
    EXPECT_EQ(IsValidPathText(name), c == u'\\') << int(c);
  }
  EXPECT_TRUE(IsValidName(u"say \"hi\".txt"));
  EXPECT_TRUE(IsValidName(u""));  // emptiness is a separate message
  EXPECT_EQ(kNameRuleMessage, u"A filename cannot contain these characters:\n\n\\/:,;*?<>|");
}

TEST(Paths, NumberedCopiesAndNewFolderNames) {
  EXPECT_EQ(NumberedCopyPath(u"\\A", u"a.txt", 1), u"\\A\\copy of a.txt");
  EXPECT_EQ(NumberedCopyPath(u"\\A", u"a.txt", 2), u"\\A\\copy (2) of a.txt");
  EXPECT_EQ(NumberedCopyPath(u"", u"a", 511), u"\\copy (511) of a");
  EXPECT_EQ(NewFolderName(1), u"New Folder");
  EXPECT_EQ(NewFolderName(2), u"New Folder(2)");
  EXPECT_EQ(NewFolderName(4096), u"New Folder(4096)");
}

TEST(Paths, ComponentsAndContainment) {
  EXPECT_EQ(LastComponent(u"\\My Documents\\x", u"\\"), u"x");
  EXPECT_EQ(LastComponent(u"", u"\\"), u"\\");
  EXPECT_EQ(ParentPath(u"\\a\\b"), u"\\a");
  EXPECT_EQ(ParentPath(u"\\a"), u"");
  EXPECT_TRUE(IsSameOrInside(u"\\A", u"\\A"));
  EXPECT_TRUE(IsSameOrInside(u"\\A", u"\\A\\B"));
  EXPECT_FALSE(IsSameOrInside(u"\\A", u"\\AB"));
  EXPECT_FALSE(IsSameOrInside(u"\\A\\B", u"\\A"));
  EXPECT_TRUE(IsSameOrInside(u"", u"\\A"));  // the root holds everything
  EXPECT_TRUE(IsSystemFolder(u"\\wInDoWs"));
  EXPECT_FALSE(IsSystemFolder(u"\\Windows\\Fonts"));
  EXPECT_FALSE(IsSystemFolder(u"Windows"));
  EXPECT_EQ(FoldAscii(u"\\ab\u00e9\u00f7"), u"\\AB\u00c9\u00f7");
  EXPECT_TRUE(FitsPath(259));
  EXPECT_FALSE(FitsPath(260));
}

TEST(Modes, AskingAndProceeding) {
  EXPECT_TRUE(MustAsk(ReplaceMode::Yes));
  EXPECT_TRUE(MustAsk(ReplaceMode::No));
  EXPECT_FALSE(MustAsk(ReplaceMode::All));
  EXPECT_FALSE(MustAsk(ReplaceMode::Cancel));
  EXPECT_TRUE(Proceeds(ReplaceMode::All));
  EXPECT_FALSE(Proceeds(ReplaceMode::Cancel));
}

TEST(Texts, QuestionsCountersAndSizes) {
  EXPECT_EQ(DeleteQuestion(2, true, u"x"), u"Do you really want to delete 2 files ?");
  EXPECT_EQ(DeleteQuestion(1, true, u"D"), u"'D' is a folder. Do you really want to delete it ?");
  EXPECT_EQ(DeleteQuestion(1, false, u"a.txt"), u"Do you really want to delete 'a.txt' ?");
  EXPECT_EQ(FileConflictText(u"a", true, true), u"SYSTEM file 'a' already exists.");
  EXPECT_EQ(FileConflictText(u"a", false, true), u"this READ-ONLY file 'a' already exists.");
  EXPECT_EQ(FolderConflictText(u"\\F"), u"In 'My Pocket PC', a folder called 'F' already exists.");
  EXPECT_EQ(FolderConflictText(u"\\A\\B\\F"), u"In 'B', a folder called 'F' already exists.");
  EXPECT_EQ(TransferRouteText(u"", u"\\A\\B"), u"'\\' to 'B'");
  EXPECT_EQ(DeleteRouteText(u"\\My Documents"), u"from 'My Documents'...");
  EXPECT_EQ(CounterText(0, 12), u"0/12");
  EXPECT_EQ(GroupDigits(0, u","), u"0");
  EXPECT_EQ(GroupDigits(999, u","), u"999");
  EXPECT_EQ(GroupDigits(1234567, u"."), u"1.234.567");
  EXPECT_EQ(GroupDigits(18446744073709551615ull, u","), u"18,446,744,073,709,551,615");
}

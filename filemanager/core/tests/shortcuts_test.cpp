#include "filemanager/core/shortcuts.h"

#include <string>

#include <gtest/gtest.h>

namespace quintar::folderon::core {
namespace {

TEST(ShortcutTarget, QuotedPathRunsToTheNextQuoteUnquotedToTheFirstSpace) {
  ShortcutTarget t = SplitShortcutTarget(u"\"\\Program Files\\Tool.exe\"   -x -y");
  EXPECT_EQ(t.path, u"\\Program Files\\Tool.exe");
  EXPECT_EQ(t.parameters, u"-x -y");
  t = SplitShortcutTarget(u"\\Windows\\pword.exe  -n file");
  EXPECT_EQ(t.path, u"\\Windows\\pword.exe");
  EXPECT_EQ(t.parameters, u"-n file");
  t = SplitShortcutTarget(u"\"\\My Documents\"");
  EXPECT_EQ(t.path, u"\\My Documents");
  EXPECT_TRUE(t.parameters.empty());
  t = SplitShortcutTarget(u"\"\\Unclosed path -x");  // no closing quote: all of it is the path
  EXPECT_EQ(t.path, u"\\Unclosed path -x");
  EXPECT_TRUE(t.parameters.empty());
  t = SplitShortcutTarget(u"\\Windows\\notes.exe   ");
  EXPECT_EQ(t.path, u"\\Windows\\notes.exe");
  EXPECT_TRUE(t.parameters.empty());
  EXPECT_TRUE(SplitShortcutTarget(u"").path.empty());
}

TEST(ShortcutTarget, ShortcutNamesAndDevicePaths) {
  EXPECT_TRUE(IsShortcutName(u"\\Windows\\SendTo\\Word.LNK"));
  EXPECT_TRUE(IsShortcutName(u"a.Lnk"));
  EXPECT_FALSE(IsShortcutName(u"a.lnk.txt"));
  EXPECT_FALSE(IsShortcutName(u"\\x\\.lnk"));  // a leading dot starts no extension
  EXPECT_FALSE(IsShortcutName(u"lnk"));

  EXPECT_TRUE(IsDevicePath(u"\\My Documents\\a.txt"));
  EXPECT_TRUE(IsDevicePath(u"\\"));
  const char16_t* const outside[] = {
      u"C:\\Windows", u"\\\\host\\share", u"\\\\?\\unix\\etc", u"\\/x", u"\\a:b", u"relative.exe", u"",
      u"\\a\tb",      u"\\a\" -x"};
  for (int i = 0; i < static_cast<int>(std::size(outside)); ++i) EXPECT_FALSE(IsDevicePath(outside[i])) << i;
}

TEST(ShortcutNames, TemplatesNumberingAndTheExtensionRule) {
  const ShortcutNaming byDefault;  // NoExtShortcut is on by default
  EXPECT_EQ(ShortcutPath(u"\\Temp", u"report.txt", true, byDefault, 1), u"\\Temp\\Shortcut to report.lnk");
  EXPECT_EQ(ShortcutPath(u"\\Temp", u"report.txt", true, byDefault, 2), u"\\Temp\\Shortcut to report (2).lnk");
  EXPECT_EQ(ShortcutPath(u"\\Temp", u"report.txt", true, byDefault, 511), u"\\Temp\\Shortcut to report (511).lnk");
  EXPECT_FALSE(ShortcutPath(u"\\Temp", u"report.txt", true, byDefault, 512));
  EXPECT_FALSE(ShortcutPath(u"\\Temp", u"report.txt", true, byDefault, 0));
  EXPECT_EQ(ShortcutPath(u"", u"report.txt", true, byDefault, 1), u"\\Shortcut to report.lnk");  // the root

  const ShortcutNaming bare{true, true};
  EXPECT_EQ(ShortcutPath(u"\\Temp", u"report.txt", true, bare, 1), u"\\Temp\\report.lnk");
  EXPECT_EQ(ShortcutPath(u"\\Temp", u"report.txt", true, bare, 12), u"\\Temp\\report (12).lnk");

  const ShortcutNaming keep{false, false};
  EXPECT_EQ(ShortcutPath(u"\\Temp", u"report.txt", true, keep, 1), u"\\Temp\\Shortcut to report.txt.lnk");
  // Only the name's last dot counts; a leading dot is no extension; folders keep their names.
  EXPECT_EQ(ShortcutPath(u"\\a.b", u"x.tar.gz", true, byDefault, 1), u"\\a.b\\Shortcut to x.tar.lnk");
  EXPECT_EQ(ShortcutPath(u"\\a.b", u"noext", true, byDefault, 1), u"\\a.b\\Shortcut to noext.lnk");
  EXPECT_EQ(ShortcutPath(u"\\T", u".profile", true, byDefault, 1), u"\\T\\Shortcut to .profile.lnk");
  EXPECT_EQ(ShortcutPath(u"\\T", u"v1.2", false, byDefault, 1), u"\\T\\Shortcut to v1.2.lnk");
}

TEST(ShortcutNames, PathsThatWouldNotFitAreRefusedNotCut) {
  const ShortcutNaming naming;
  // "\" + 229 + "\Shortcut to " (13) + 12 + ".lnk" (4) = 259: fits; one more character does not.
  const std::u16string folder = u"\\" + std::u16string(229, u'f');
  const std::u16string name = std::u16string(12, u'n') + u".txt";
  auto fits = ShortcutPath(folder, name, true, naming, 1);
  ASSERT_TRUE(fits);
  EXPECT_EQ(fits->size(), 259u);
  EXPECT_FALSE(ShortcutPath(folder + u"f", name, true, naming, 1));
  // The numbered names are longer: " (2)" no longer fits where the first name did.
  EXPECT_FALSE(ShortcutPath(folder, name, true, naming, 2));
  EXPECT_FALSE(ShortcutPath(u"\\T", std::u16string(300, u'n'), true, naming, 1));
}

TEST(ShortcutNames, CommandLinesAndOpenWithArguments) {
  EXPECT_EQ(ShortcutCommandLine(u"\\My Documents", u"a b.txt"), u"\"\\My Documents\\a b.txt\"");
  EXPECT_EQ(ShortcutCommandLine(u"", u"Temp"), u"\"\\Temp\"");
  // A quoted line must stay within 259: the path itself within 257.
  const std::u16string folder = u"\\" + std::u16string(250, u'f');
  EXPECT_TRUE(ShortcutCommandLine(folder, u"abcde"));    // 257 + 2
  EXPECT_FALSE(ShortcutCommandLine(folder, u"abcdef"));  // 258 + 2
  // Entries off the device never become targets.
  EXPECT_FALSE(ShortcutCommandLine(u"C:", u"x.txt"));
  EXPECT_FALSE(ShortcutCommandLine(u"\\\\host\\share", u"x.txt"));
  EXPECT_FALSE(ShortcutCommandLine(u"\\\\?\\unix", u"x.txt"));
  EXPECT_FALSE(ShortcutCommandLine(u"\\T", u""));

  EXPECT_EQ(OpenWithArgument(u"\\My Documents", u"a b.txt", true), u"\"\\My Documents\\a b.txt\"");
  EXPECT_EQ(OpenWithArgument(u"\\My Documents", u"a b.txt", false), u"\\My Documents\\a b.txt");
  EXPECT_FALSE(OpenWithArgument(u"\\" + std::u16string(258, u'f'), u"x", true));
}

TEST(OpenWith, ShortcutsOfTheFolderByNameAtMostSixteen) {
  std::vector<FolderItem> items{{u"zeta.lnk", false}, {u"Notes.LNK", false}, {u"readme.txt", false},
                                {u"Sub.lnk", true},   {u".", true},          {u"alpha.lnk", false}};
  for (int i = 0; i < 20; ++i) items.push_back({u"p" + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".lnk"});
  std::u16string asked;
  auto table = BuildOpenWithTable(u"\\Windows\\SendTo", [&](std::u16string_view folder) {
    asked = folder;
    return items;
  });
  EXPECT_EQ(asked, u"\\Windows\\SendTo");
  ASSERT_EQ(table.size(), kMaxOpenWith);
  EXPECT_EQ(table[0].caption, u"alpha");
  EXPECT_EQ(table[0].shortcut, u"\\Windows\\SendTo\\alpha.lnk");
  EXPECT_EQ(table[1].caption, u"Notes");
  EXPECT_EQ(table[2].caption, u"pa");
  EXPECT_EQ(table[15].caption, u"pn");  // zeta and the last p's fall beyond sixteen
  EXPECT_TRUE(BuildOpenWithTable(u"\\None", [](std::u16string_view) { return std::vector<FolderItem>{}; }).empty());
}

}  // namespace
}  // namespace quintar::folderon::core

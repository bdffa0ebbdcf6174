#include "fileops/core/filetypes.h"

#include <map>

#include <gtest/gtest.h>

namespace quintar::fileops::core {
namespace {

TEST(OpenCommand, ProgramEndsAtItsQuoteOrAtAnExeThatEndsAWord) {
  auto word = ParseOpenCommand(u"\\Windows\\pword.exe -opendoc %1");
  ASSERT_TRUE(word);
  EXPECT_EQ(word->program, u"\\Windows\\pword.exe");
  EXPECT_EQ(word->parameters, u"-opendoc %1");
  EXPECT_EQ(ParametersForFile(word->parameters, u"\\My Documents\\report.doc"), u"-opendoc \\My Documents\\report.doc");

  auto quoted = ParseOpenCommand(u"\"\\Program Files\\My App\\app.exe\" \"%1\"");
  ASSERT_TRUE(quoted);
  EXPECT_EQ(quoted->program, u"\\Program Files\\My App\\app.exe");
  EXPECT_EQ(quoted->parameters, u"\"%1\"");
  // Not the first ".EXE" anywhere: only one that ends the program's name.
  auto inner = ParseOpenCommand(u"\\Tools\\my.exes\\run.EXE %1");
  ASSERT_TRUE(inner);
  EXPECT_EQ(inner->program, u"\\Tools\\my.exes\\run.EXE");
  EXPECT_EQ(ParseOpenCommand(u"notes.exe")->program, u"notes.exe");
  EXPECT_FALSE(ParseOpenCommand(u"\"\\unterminated.exe %1"));
  EXPECT_FALSE(ParseOpenCommand(u"\\Windows\\script.bat %1"));
  EXPECT_FALSE(ParseOpenCommand(u""));
  EXPECT_EQ(ProgramPath(u"notes.exe"), u"\\Windows\\notes.exe");
  EXPECT_EQ(ProgramPath(u"\\Temp\\x.exe"), u"\\Temp\\x.exe");
}

TEST(OpenCommand, WrittenBareFromWindowsAndQuotedWithASpace) {
  EXPECT_EQ(FormatOpenCommand(u"\\Windows\\notes.exe", kDefaultParameters), u"notes.exe \"%1\"");
  EXPECT_EQ(FormatOpenCommand(u"\\Program Files\\My App\\app.exe", kDefaultParameters),
            u"\"\\Program Files\\My App\\app.exe\" \"%1\"");
  EXPECT_EQ(FormatOpenCommand(u"\\Temp\\x.exe", u"-p"), u"\\Temp\\x.exe -p");
  // Parameters without a placeholder still get the file.
  EXPECT_EQ(ParametersForFile(u"-view", u"\\a b.txt"), u"-view \"\\a b.txt\"");
  EXPECT_EQ(ParametersForFile(u"", u"\\a.txt"), u"\"\\a.txt\"");
  EXPECT_EQ(SplitDefaultIcon(u"\\Windows\\pword.exe,-3"),
            (std::pair<std::u16string, int>{u"\\Windows\\pword.exe", -3}));
  EXPECT_EQ(SplitDefaultIcon(u"pword.exe"), (std::pair<std::u16string, int>{u"pword.exe", 0}));
  EXPECT_EQ(SplitDefaultIcon(u"a,b.exe"), (std::pair<std::u16string, int>{u"a,b.exe", 0}));
}

TEST(ClassName, NeverTakesAnotherProgramsClassOrASystemKey) {
  std::map<std::u16string, std::optional<std::u16string>> keys = {
      {u"notes", u"\\Windows\\notes.exe"}, {u"app", u"\\Other\\app.exe"}, {u"app2", std::nullopt}};
  ClassLookup lookup = [&](std::u16string_view name, bool& exists) -> std::optional<std::u16string> {
    auto it = keys.find(std::u16string(name));
    exists = it != keys.end();
    return exists ? it->second : std::nullopt;
  };
  EXPECT_EQ(ChooseClassName(u"\\Windows\\notes.exe", lookup), u"notes");  // already runs it
  EXPECT_EQ(ChooseClassName(u"\\Mine\\app.exe", lookup), u"app3");
  EXPECT_EQ(ChooseClassName(u"\\Mine\\fresh.exe", lookup), u"fresh");
  EXPECT_EQ(ChooseClassName(u"\\Mine\\Folder.exe", lookup), u"Folder2");
  EXPECT_EQ(ChooseClassName(u"\\Mine\\clsid.exe", lookup), u"clsid2");
  for (std::u16string_view reserved : {u"CLSID", u"*", u"folder", u"Directory", u".txt", u""})
    EXPECT_TRUE(IsReservedClassName(reserved));
  EXPECT_FALSE(IsReservedClassName(u"txtfile"));
}

TEST(NewExtension, DotAddedEmptyCancelsAndTheNameRuleHolds) {
  std::u16string key;
  EXPECT_EQ(CheckNewExtension(u"txt2", key), NewExtensionCheck::Ok);
  EXPECT_EQ(key, u".txt2");
  EXPECT_EQ(CheckNewExtension(u".log", key), NewExtensionCheck::Ok);
  EXPECT_EQ(key, u".log");
  EXPECT_EQ(CheckNewExtension(u"", key), NewExtensionCheck::Empty);
  for (std::u16string_view bad : {u".", u"a\\b", u"*", u"x:y", u"a|b"})
    EXPECT_EQ(CheckNewExtension(bad, key), NewExtensionCheck::Invalid);
}

}  // namespace
}  // namespace quintar::fileops::core

// Which files are themes, which one comes next, and how one is handed to the installer.
#include <vector>

#include <gtest/gtest.h>

#include "todayplugin/core/glancet_theme.h"

namespace quintar::glancet::core {
namespace {

TEST(Themes, FilesIndicesAndTheLoopStayInBounds) {
  EXPECT_TRUE(IsThemeFile(u"My Theme.tsk"));
  EXPECT_TRUE(IsThemeFile(u"PLAIN.TSK"));
  EXPECT_FALSE(IsThemeFile(u"backup.tskx"));
  EXPECT_FALSE(IsThemeFile(u".tsk"));
  EXPECT_EQ(ValidThemeIndex(-1, 3), -1);
  EXPECT_EQ(ValidThemeIndex(2, 3), 2);
  EXPECT_EQ(ValidThemeIndex(3, 3), -1);
  EXPECT_EQ(ValidThemeIndex(-7, 3), -1);
  EXPECT_EQ(NextThemeIndex(-1, 3), 0);
  EXPECT_EQ(NextThemeIndex(2, 3), 0);
  EXPECT_EQ(NextThemeIndex(40, 3), 0) << "a stored index out of range starts over";
  EXPECT_EQ(NextThemeIndex(0, 0), -1) << "no themes: nothing";

  std::vector<ThemeFile> themes = {{u"a.tsk", 0x20}, {u"rom.tsk", 0x4}, {u"rom2.tsk", 0x40 | 0x1}, {u"b.tsk", 0}};
  EXPECT_EQ(FirstAppliable(themes, 0), 0);
  EXPECT_EQ(FirstAppliable(themes, 1), 3) << "ROM themes are stepped over";
  EXPECT_FALSE(FirstAppliable(std::span(themes).first(3), 1)) << "and the stepping ends with the list";
  EXPECT_FALSE(FirstAppliable(themes, 9));
}

TEST(Themes, NamesAndTheInstallerLine) {
  EXPECT_EQ(PlainThemeName(u"My Theme.tsk"), u"My_Theme.tsk");
  EXPECT_EQ(ThemeMenuText(u"My Theme.tsk"), u"My Theme");
  EXPECT_EQ(ThemeMenuText(u"odd"), u"odd");
  EXPECT_EQ(InstallerCommandLine(u"\\windows\\My_Theme.tsk"),
            u"\"\\Windows\\wceload.exe\" /safe /noui /nouninstall /delete 0 \\windows\\My_Theme.tsk");
}

}  // namespace
}  // namespace quintar::glancet::core

// The installer's manifest: what a package may ask for, and what it may not.
#include "device/installer/package.h"

#include <gtest/gtest.h>

namespace pkg = quintar::device::installer;

namespace {

TEST(PackageManifest, ReadsEveryKindOfLine) {
  pkg::Manifest m;
  auto r = pkg::ParseManifest(
      "\xEF\xBB\xBF# comment\r\nName=Zek Quintar\r\nFolder=\\Program Files\\Zek\\Quintar\nSetup=setup.dll\n\n"
      "File=setup.dll\nFile=docs\\Caf\xC3\xA9.htm\n"
      "Shortcut=\\Windows\\Start Menu\\A.lnk|\"%InstallDir%\\A.exe\" /x\n"
      "String=HKLM\\SOFTWARE\\Items\\G|DLL|%InstallDir%\\G.dll\nDword=HKCU\\Software\\G|Enabled|4294967295\n"
      "String=HKCR\\*\\Shellex\\ContextMenuHandlers\\{1}||Free\n",
      m);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(m.name, u"Zek Quintar");
  EXPECT_EQ(m.folder, u"\\Program Files\\Zek\\Quintar");
  EXPECT_EQ(m.setup, u"setup.dll");
  ASSERT_EQ(m.files.size(), 2u);
  EXPECT_EQ(m.files[1], u"docs\\Caf\u00e9.htm");
  ASSERT_EQ(m.shortcuts.size(), 1u);
  EXPECT_EQ(pkg::Expand(m.shortcuts[0].target, m.folder), u"\"\\Program Files\\Zek\\Quintar\\A.exe\" /x");
  ASSERT_EQ(m.values.size(), 3u);
  EXPECT_EQ(m.values[0].root, pkg::Root::LocalMachine);
  EXPECT_EQ(m.values[0].key, u"SOFTWARE\\Items\\G");
  EXPECT_EQ(m.values[0].name, u"DLL");
  EXPECT_EQ(m.values[1].root, pkg::Root::CurrentUser);
  EXPECT_EQ(m.values[1].type, pkg::ValueType::Dword);
  EXPECT_EQ(m.values[1].number, 4294967295ul);
  EXPECT_EQ(m.values[2].root, pkg::Root::ClassesRoot);
  EXPECT_EQ(m.values[2].name, u"") << "the key's default value";
}

TEST(PackageManifest, RefusesWhatCouldReachOutsideOrIsDamaged) {
  const char* head = "Name=P\nFolder=\\P\n";
  struct Case {
    const char* body;
    int line;
  } cases[] = {
      {"File=..\\win.ini", 3},   {"File=C:\\boot.ini", 3},    {"File=\\Windows\\x.dll", 3},
      {"File=a\\\\b", 3},        {"Shortcut=C:\\x.lnk|x", 3}, {"Shortcut=\\x.lnk", 3},
      {"String=HKU\\x|a|b", 3} , {"String=HKLM\\|a|b", 3},    {"Dword=HKLM\\k|a|4294967296", 3},
      {"Dword=HKLM\\k|a|-1", 3}, {"Dword=HKLM\\k|a|", 3},     {"Colour=red", 3},
      {"no equals sign", 3},     {"File=a\x01", 3},           {"File=\xC3(", 0},
      {"File=\xE0\x80\xAF", 0},  // overlong
      {"File=\xC3", 0},          // cut short
      {"Setup=setup.dll", 0},    // not among the files
  };
  for (const Case& c : cases) {
    pkg::Manifest m;
    auto r = pkg::ParseManifest(std::string(head) + c.body, m);
    EXPECT_FALSE(r.ok) << c.body;
    EXPECT_EQ(r.line, c.line) << c.body;
    EXPECT_FALSE(r.error.empty()) << c.body;
  }
  pkg::Manifest m;
  EXPECT_FALSE(pkg::ParseManifest("Name=P\n", m).ok);                 // no folder
  EXPECT_FALSE(pkg::ParseManifest("Folder=\\P\n", m).ok);             // no name
  EXPECT_FALSE(pkg::ParseManifest("Name=a\\b\nFolder=\\P\n", m).ok);  // a name is one file name
  EXPECT_FALSE(pkg::ParseManifest("Name=P\nFolder=P\n", m).ok);       // not a device path
}

TEST(PackageManifest, DevicePathsAreOneRootedPathWithoutDrive) {
  EXPECT_TRUE(pkg::IsDevicePath(u"\\Storage Card\\Quintar"));
  EXPECT_FALSE(pkg::IsDevicePath(u"\\"));
  EXPECT_FALSE(pkg::IsDevicePath(u"\\\\server\\share"));
  EXPECT_FALSE(pkg::IsDevicePath(u"\\a\\..\\b"));
  EXPECT_FALSE(pkg::IsDevicePath(u"\\a\\"));
  EXPECT_FALSE(pkg::IsDevicePath(u"\\" + std::u16string(260, u'x')));
  EXPECT_EQ(pkg::Expand(u"%InstallDir%%InstallDir%x%Install", u"\\F"), u"\\F\\Fx%Install");
}

}  // namespace

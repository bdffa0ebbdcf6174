#include <gtest/gtest.h>

#include "filemanager/core/browser_rules.h"

namespace quintar::folderon::core {
namespace {

FileEntry Entry(std::u16string name, EntryKind kind, std::uint32_t attributes = 0) {
  FileEntry e;
  e.folder = u"\\Windows";
  e.name = std::move(name);
  e.kind = kind;
  e.attributes = attributes;
  return e;
}

IconOptions Options() {
  IconOptions o;
  o.networkLeaf = u"Network";
  o.myDocumentsLeaf = u"My Documents";
  o.startMenuLeaf = u"Start Menu";
  o.zipSupported = true;
  return o;
}

TEST(Icons, FoldersBySpecialLeafNameThenCard) {
  const IconOptions o = Options();
  EXPECT_EQ(ChooseIcon(MakeUpLevelEntry(), o).fixedImage, kImageFolder);
  EXPECT_EQ(ChooseIcon(Entry(u"network", EntryKind::Folder), o).fixedImage, kImageNetwork);
  EXPECT_EQ(ChooseIcon(Entry(u"MY DOCUMENTS", EntryKind::Folder), o).fixedImage, kImageMyDocuments);
  EXPECT_EQ(ChooseIcon(Entry(u"Start Menu", EntryKind::Folder, kAttrTemporary), o).fixedImage, kImageStartMenu);
  EXPECT_EQ(ChooseIcon(Entry(u"Storage Card", EntryKind::Folder, kAttrDirectory | kAttrTemporary), o).fixedImage,
            kImageCard);
  EXPECT_EQ(ChooseIcon(Entry(u"Fonts", EntryKind::Folder, kAttrDirectory), o).fixedImage, kImageFolder);
}

TEST(Icons, FilesRomGenericArchivesAndCacheKeys) {
  IconOptions o = Options();
  EXPECT_EQ(ChooseIcon(Entry(u"calc.exe", EntryKind::File, kAttrInRom), o).fixedImage, kImageRom);
  const IconChoice exe = ChooseIcon(Entry(u"calc.EXE", EntryKind::File), o);
  EXPECT_EQ(exe.fixedImage, -1);
  EXPECT_EQ(exe.key, u"\\Windows\\calc.EXE");
  const IconChoice lnk = ChooseIcon(Entry(u"Share.lnk", EntryKind::File), o);
  EXPECT_TRUE(lnk.shortcut);
  EXPECT_EQ(lnk.key, u"\\Windows\\Share.lnk");
  EXPECT_EQ(ChooseIcon(Entry(u"a.txt", EntryKind::File), o).key, ChooseIcon(Entry(u"b.TXT", EntryKind::File), o).key);
  EXPECT_EQ(ChooseIcon(Entry(u"README", EntryKind::File), o).key, kNoExtensionIconKey);
  EXPECT_EQ(ChooseIcon(Entry(u"pack.zip", EntryKind::File), o).fixedImage, kImageArchive);
  EXPECT_EQ(ChooseIcon(Entry(u"pack.lzh", EntryKind::File), o).fixedImage, -1);  // LZH not supported
  o.zipIcons = false;
  EXPECT_EQ(ChooseIcon(Entry(u"pack.zip", EntryKind::File), o).fixedImage, -1);
  o.openArchives = true;
  EXPECT_EQ(ChooseIcon(Entry(u"pack.zip", EntryKind::File), o).fixedImage, kImageArchive);
  o.genericIcons = true;
  EXPECT_EQ(ChooseIcon(Entry(u"pack.zip", EntryKind::File), o).fixedImage, kImageGeneric);
  o.romIcons = false;
  EXPECT_EQ(ChooseIcon(Entry(u"calc.exe", EntryKind::File, kAttrInRom), o).fixedImage, kImageGeneric);
  EXPECT_TRUE(IsNetworkShareTarget(u"\\\\server"));
  EXPECT_FALSE(IsNetworkShareTarget(u"\\\\server\\share"));
  EXPECT_FALSE(IsNetworkShareTarget(u"\\\\"));
}

TEST(TreeImages, PrecedenceOfSpecialNamesAndCards) {
  const auto image = [](std::u16string_view name, std::uint32_t attributes) {
    return TreeImageFor(name, attributes, u"Start Menu", u"Network", u"My Documents");
  };
  EXPECT_EQ(image(u"start menu", kAttrTemporary), (TreeImages{5, 5}));
  EXPECT_EQ(image(u"Network", 0), (TreeImages{6, 6}));
  EXPECT_EQ(image(u"My Documents", kAttrTemporary), (TreeImages{3, 3}));
  EXPECT_EQ(image(u"My Documents", kAttrDirectory), (TreeImages{4, 4}));
  EXPECT_EQ(image(u"Temp", kAttrDirectory), (TreeImages{1, 2}));
}

TEST(DisplayMode, HighResolutionWatchPathAndFont) {
  EXPECT_TRUE(IsHighResolution(421, 52, 480, 640));
  EXPECT_TRUE(IsHighResolution(501, 52, 640, 480));
  EXPECT_FALSE(IsHighResolution(420, 52, 480, 640));
  EXPECT_FALSE(IsHighResolution(501, 26, 480, 640));
  EXPECT_FALSE(IsHighResolution(501, 52, 240, 320));
  EXPECT_EQ(WatchPathFor(u""), u"\\");
  EXPECT_EQ(WatchPathFor(u"\\Temp"), u"\\Temp");
  EXPECT_EQ(FontHeight(96, 12), 16);
  EXPECT_EQ(FontHeight(192, 1), 2);
  EXPECT_EQ(FontHeight(96, 8), 10);  // 10.67 cut
}

}  // namespace
}  // namespace quintar::folderon::core

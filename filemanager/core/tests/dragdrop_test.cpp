#include <gtest/gtest.h>

#include "filemanager/core/dragdrop.h"
#include "filemanager/core/paths.h"

namespace quintar::folderon::core {
namespace {

TEST(Drop, AltMakesShortcutsCtrlCopiesAndOnceAskedTheChoiceWins) {
  DropKeys plain, ctrlMode, alt;
  ctrlMode.ctrlMode = true;
  alt.alt = alt.ctrl = true;
  EXPECT_EQ(DecideDrop(false, DropChoice::None, plain), DropAction::Move);
  EXPECT_EQ(DecideDrop(false, DropChoice::None, ctrlMode), DropAction::Copy);
  EXPECT_EQ(DecideDrop(false, DropChoice::None, alt), DropAction::Shortcut);
  EXPECT_FALSE(DropAsks(alt));
  for (auto set : {&DropKeys::shift, &DropKeys::shiftMode, &DropKeys::alwaysAsk}) {
    DropKeys asks;
    asks.*set = true;
    EXPECT_TRUE(DropAsks(asks));
  }
  EXPECT_EQ(DecideDrop(true, DropChoice::Move, alt), DropAction::Move);
  EXPECT_EQ(DecideDrop(true, DropChoice::Copy, plain), DropAction::Copy);
  EXPECT_EQ(DecideDrop(true, DropChoice::Shortcut, ctrlMode), DropAction::Shortcut);
  EXPECT_EQ(DecideDrop(true, DropChoice::Cancel, ctrlMode), DropAction::Cancel);
  EXPECT_EQ(DecideDrop(true, DropChoice::None, plain), DropAction::Cancel);
}

TEST(Drop, TargetIsTheFolderRowElseTheListsFolderButNeverTheSearchHits) {
  FileEntry folder;
  folder.kind = EntryKind::Folder;
  folder.folder = u"\\Temp\\Hits";
  folder.name = u"B";
  FileEntry file = folder;
  file.kind = EntryKind::File;
  const FileEntry up = MakeUpLevelEntry();
  EXPECT_EQ(ListDropTarget(u"\\Temp", &folder), u"\\Temp\\Hits\\B");
  EXPECT_EQ(ListDropTarget(u"\\Temp", &file), u"\\Temp");
  EXPECT_EQ(ListDropTarget(u"\\Temp", &up), u"\\Temp");
  EXPECT_EQ(ListDropTarget(u"", nullptr), u"");
  EXPECT_EQ(ListDropTarget(kSearchPath, &folder), u"\\Temp\\Hits\\B");
  EXPECT_FALSE(ListDropTarget(kSearchPath, &file));
  EXPECT_FALSE(ListDropTarget(kSearchPath, nullptr));
}

TEST(Drop, RangeRunsEitherWayAndNoRowKeepsIt) {
  auto up = DragRange(5, 1);
  ASSERT_TRUE(up);
  EXPECT_EQ(up->first, 1);
  EXPECT_EQ(up->last, 5);
  EXPECT_FALSE(DragRange(3, -1));
}

TEST(Mail, ArgumentsQuoteThePathAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(MailArguments(u"\\My Documents", u"a b.txt"), u"-attach \"\\My Documents\\a b.txt\"  -transport \"email\"");
  const std::u16string folder(250, u'f');
  EXPECT_TRUE(MailArguments(folder, u"12345678"));  // 259 in all
  EXPECT_FALSE(MailArguments(folder, u"123456789"));
}

}  // namespace
}  // namespace quintar::folderon::core

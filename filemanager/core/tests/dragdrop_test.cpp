#include <gtest/gtest.h>

#include "filemanager/core/dragdrop.h"
#include "filemanager/core/paths.h"

namespace quintar::folderon::core {
namespace {

TEST(Drop, KeysAndTheMenu) {
  DropKeys plain;
  EXPECT_FALSE(DropAsks(plain));
  EXPECT_EQ(DecideDrop(false, DropChoice::None, plain), DropAction::Move);
  DropKeys ctrl;
  ctrl.ctrl = true;
  EXPECT_EQ(DecideDrop(false, DropChoice::None, ctrl), DropAction::Copy);
  DropKeys mode;
  mode.ctrlMode = true;
  EXPECT_EQ(DecideDrop(false, DropChoice::None, mode), DropAction::Copy);
  DropKeys alt = ctrl;
  alt.alt = true;
  EXPECT_EQ(DecideDrop(false, DropChoice::None, alt), DropAction::Shortcut);

  for (auto set : {&DropKeys::shift, &DropKeys::shiftMode, &DropKeys::alwaysAsk}) {
    DropKeys asks;
    asks.*set = true;
    EXPECT_TRUE(DropAsks(asks));
  }
  // Once asked, the choice wins over keys still held from the drag.
  EXPECT_EQ(DecideDrop(true, DropChoice::Move, alt), DropAction::Move);
  EXPECT_EQ(DecideDrop(true, DropChoice::Copy, plain), DropAction::Copy);
  EXPECT_EQ(DecideDrop(true, DropChoice::Shortcut, ctrl), DropAction::Shortcut);
  EXPECT_EQ(DecideDrop(true, DropChoice::Cancel, ctrl), DropAction::Cancel);
  EXPECT_EQ(DecideDrop(true, DropChoice::None, plain), DropAction::Cancel);
}

TEST(Drop, TargetIsTheFolderRowOrTheListsFolder) {
  FileEntry folder;
  folder.kind = EntryKind::Folder;
  folder.folder = u"\\Temp\\Hits";
  folder.name = u"B";
  FileEntry file = folder;
  file.kind = EntryKind::File;
  FileEntry up = MakeUpLevelEntry();
  EXPECT_EQ(ListDropTarget(u"\\Temp", &folder), u"\\Temp\\Hits\\B");
  EXPECT_EQ(ListDropTarget(u"\\Temp", &file), u"\\Temp");
  EXPECT_EQ(ListDropTarget(u"\\Temp", &up), u"\\Temp");
  EXPECT_EQ(ListDropTarget(u"\\Temp", nullptr), u"\\Temp");
  EXPECT_EQ(ListDropTarget(u"", nullptr), u"");
  // Among the search hits only a folder row takes a drop, into its own folder.
  EXPECT_EQ(ListDropTarget(kSearchPath, &folder), u"\\Temp\\Hits\\B");
  EXPECT_FALSE(ListDropTarget(kSearchPath, &file));
  EXPECT_FALSE(ListDropTarget(kSearchPath, nullptr));
  folder.name.assign(260, u'n');
  EXPECT_FALSE(ListDropTarget(u"\\Temp", &folder));
}

TEST(Drop, RangeRunsEitherWayAndStaysOffTheRows) {
  auto down = DragRange(2, 5);
  ASSERT_TRUE(down);
  EXPECT_EQ(down->first, 2);
  EXPECT_EQ(down->last, 5);
  auto up = DragRange(5, 1);
  ASSERT_TRUE(up);
  EXPECT_EQ(up->first, 1);
  EXPECT_EQ(up->last, 5);
  auto one = DragRange(3, 3);
  ASSERT_TRUE(one);
  EXPECT_EQ(one->first, one->last);
  EXPECT_FALSE(DragRange(3, -1));
  EXPECT_FALSE(DragRange(-1, 3));
}

TEST(Mail, ArgumentsQuoteThePathAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(MailArguments(u"\\My Documents", u"a b.txt"),
            u"-attach \"\\My Documents\\a b.txt\"  -transport \"email\"");
  EXPECT_EQ(MailArguments(u"", u"x.txt"), u"-attach \"\\x.txt\"  -transport \"email\"");
  std::u16string folder(250, u'f');
  EXPECT_TRUE(MailArguments(folder, u"12345678"));  // 259 in all
  EXPECT_FALSE(MailArguments(folder, u"123456789"));
}

}  // namespace
}  // namespace quintar::folderon::core

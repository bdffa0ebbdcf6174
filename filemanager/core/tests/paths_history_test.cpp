#include <gtest/gtest.h>

#include <set>

#include "filemanager/core/file_entry.h"
#include "filemanager/core/history.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/status.h"

namespace quintar::folderon::core {
namespace {

TEST(Paths, JoinPatternParentLeaf) {
  EXPECT_EQ(JoinPath(u"", u"Windows"), u"\\Windows");
  EXPECT_EQ(JoinPath(u"\\Windows", u"Start Menu"), u"\\Windows\\Start Menu");
  EXPECT_EQ(FindPattern(u""), u"\\*.*");
  EXPECT_EQ(FindPattern(u"\\My Documents"), u"\\My Documents\\*.*");
  EXPECT_EQ(ParentPath(u"\\Windows\\Start Menu"), u"\\Windows");
  EXPECT_EQ(ParentPath(u"\\Windows"), u"");
  EXPECT_EQ(ParentPath(u"File Search"), u"");
  EXPECT_EQ(LeafName(u"\\Windows\\Start Menu"), u"Start Menu");
  EXPECT_EQ(LeafName(u"Nobackslash"), u"Nobackslash");
  EXPECT_EQ(DisplayPath(u""), u"My Pocket PC");
  EXPECT_EQ(DisplayPath(u"\\Temp"), u"\\Temp");
  EXPECT_EQ(SplitPath(u"\\a\\\\b\\"), (std::vector<std::u16string_view>{u"a", u"b"}));
}

TEST(Paths, LengthLimitIs259Characters) {
  const std::u16string folder = u"\\" + std::u16string(250, u'f');  // 251
  EXPECT_TRUE(JoinPath(folder, std::u16string(7, u'n')));           // 259
  EXPECT_FALSE(JoinPath(folder, std::u16string(8, u'n')));          // 260
  EXPECT_TRUE(FindPattern(u"\\" + std::u16string(254, u'f')));      // 255 + 4
  EXPECT_FALSE(FindPattern(u"\\" + std::u16string(255, u'f')));
  EXPECT_FALSE(NormalizeFolder(std::u16string(260, u'x')));
  EXPECT_EQ(NormalizeFolder(u"\\Temp\\"), u"\\Temp");
}

TEST(Paths, GoToTexts) {
  for (std::u16string_view root : {u"", u"My Pocket PC", u"\\", u"\\\\", u"/", u"\\\\\\"})
    EXPECT_EQ(ClassifyGoTo(root).kind, GoToKind::Root) << std::string(root.begin(), root.end());
  EXPECT_EQ(ClassifyGoTo(u"File Search").kind, GoToKind::SearchHits);
  EXPECT_EQ(ClassifyGoTo(u"file search").kind, GoToKind::Path);  // exact comparison
  const GoToTarget t = ClassifyGoTo(u"\\My Documents\\");
  EXPECT_EQ(t.kind, GoToKind::Path);
  EXPECT_EQ(t.path, u"\\My Documents");
  EXPECT_EQ(ClassifyGoTo(std::u16string(300, u'a')).kind, GoToKind::TooLong);
}

TEST(Paths, ReselectsTheChildOneCameFrom) {
  EXPECT_EQ(ChildToReselect(u"\\Windows\\Fonts", u"\\Windows"), u"Fonts");
  EXPECT_EQ(ChildToReselect(u"\\Windows", u""), u"Windows");
  EXPECT_EQ(ChildToReselect(u"\\windows\\Fonts", u"\\Windows"), std::nullopt);  // case-sensitive
  EXPECT_EQ(ChildToReselect(u"", u""), std::nullopt);
  EXPECT_EQ(ChildToReselect(u"File Search", u""), std::nullopt);
}

TEST(Paths, NearestExistingAndDelayedRefresh) {
  const std::set<std::u16string> existing{u"", u"\\Storage Card", u"\\Temp"};
  const auto exists = [&](std::u16string_view p) { return existing.count(std::u16string(p)) > 0; };
  EXPECT_EQ(NearestExisting(u"\\Storage Card\\a\\b", exists), u"\\Storage Card");
  EXPECT_EQ(NearestExisting(u"\\Gone\\deeper", exists), u"");
  EXPECT_EQ(RefreshTarget(u"\\Temp", true, exists), std::nullopt);  // device change: stays
  EXPECT_EQ(RefreshTarget(u"", true, exists), u"");
  EXPECT_EQ(RefreshTarget(u"\\Temp", false, exists), u"\\Temp");  // re-read
  EXPECT_EQ(RefreshTarget(u"\\Card2\\x", true, exists), u"");     // card removed
}

TEST(Paths, ForbiddenCharacters) {
  EXPECT_TRUE(HasForbiddenNameChar(u"a\\b"));
  EXPECT_TRUE(HasForbiddenNameChar(u"a,b"));
  EXPECT_FALSE(HasForbiddenNameChar(u"report (1).txt"));
  EXPECT_FALSE(HasForbiddenPathChar(u"\\My Documents\\x"));
  EXPECT_TRUE(HasForbiddenPathChar(u"\\a|b"));
  EXPECT_EQ(CheckNewName(u"New Folder"), NameCheck::Ok);
  EXPECT_EQ(CheckNewName(u"a?b"), NameCheck::BadCharacters);
  EXPECT_EQ(CheckNewName(u""), NameCheck::Empty);
  EXPECT_EQ(kForbiddenNameMessage, u"A filename cannot contain these characters:\n\n\\/:,;*?<>|");
}

TEST(Listing, HideRulesRecycledAndDotEntries) {
  const ListingFilter defaults;
  EXPECT_FALSE(IsListed(u".", kAttrDirectory, defaults));
  EXPECT_FALSE(IsListed(u"..", kAttrDirectory, defaults));
  ListingFilter showAll{false, false, false, false};
  for (std::u16string_view r : {u"Recycled", u"RECYCLED", u"recycleD"}) {
    EXPECT_FALSE(IsListed(r, kAttrDirectory, showAll));
    EXPECT_FALSE(IsTreeFolder(r, kAttrDirectory));
  }
  EXPECT_TRUE(IsListed(u"Recycled", 0, showAll));  // a file of that name is listed
  EXPECT_FALSE(IsListed(u"h", kAttrHidden, defaults));
  EXPECT_FALSE(IsListed(u"h", kAttrHidden | kAttrDirectory, defaults));
  EXPECT_TRUE(IsListed(u"h", kAttrHidden, showAll));
  ListingFilter hideSys{false, true, true, false};
  EXPECT_FALSE(IsListed(u"s", kAttrSystem, hideSys));
  EXPECT_TRUE(IsListed(u"s", kAttrSystem | kAttrDirectory, hideSys));  // folders ignore it
  EXPECT_FALSE(IsListed(u"r", kAttrInRom, hideSys));
  ListingFilter filesOnly{false, false, false, true};
  EXPECT_FALSE(IsListed(u"d", kAttrDirectory, filesOnly));
  EXPECT_TRUE(IsListed(u"f", 0, filesOnly));
  EXPECT_TRUE(IsTreeFolder(u"Storage Card", kAttrTemporary));
  EXPECT_TRUE(IsTreeFolder(u"hidden", kAttrDirectory | kAttrHidden | kAttrSystem));
  EXPECT_FALSE(IsTreeFolder(u"file.txt", kAttrArchive));
}

TEST(History, BackForwardAndDiscardedForwardPart) {
  History h;
  EXPECT_FALSE(h.CanBack());
  EXPECT_EQ(h.Back(false), std::nullopt);
  h.Append(u"");
  h.Append(u"\\Windows");
  h.Append(u"\\Windows");  // same folder twice: one node
  EXPECT_EQ(h.size(), 2u);
  h.Append(u"\\Temp");
  EXPECT_EQ(h.Back(false), u"\\Windows");
  EXPECT_TRUE(h.CanForward());
  EXPECT_EQ(h.Back(false), u"");
  EXPECT_EQ(h.Back(false), std::nullopt);  // first node: nothing
  EXPECT_EQ(*h.Current(), u"");
  h.Append(u"");  // the navigation Back causes adds nothing
  EXPECT_EQ(h.Forward(false), u"\\Windows");
  h.Append(u"\\My Documents");  // a new navigation drops "\Temp"
  EXPECT_FALSE(h.CanForward());
  EXPECT_EQ(h.size(), 3u);
  EXPECT_EQ(h.Back(false), u"\\Windows");
}

TEST(History, BackFromSearchHitsShowsTheFolderBeforeTheSearch) {
  History h;
  h.Append(u"\\A");
  h.Append(u"\\B");
  EXPECT_EQ(h.Back(true), u"\\B");
  EXPECT_EQ(h.Forward(true), u"\\B");
  EXPECT_EQ(h.size(), 2u);
  EXPECT_EQ(*h.Current(), u"\\B");
  EXPECT_EQ(UpOneLevel(u"\\B\\C"), u"\\B");
  EXPECT_EQ(UpOneLevel(u"\\B"), u"");
  EXPECT_EQ(UpOneLevel(u""), std::nullopt);
}

TEST(RecentFolders, LoadOrderDuplicatesAndTheEightSaved) {
  RecentFolders r;
  const std::u16string stored[8] = {u"\\One", u"", u"\\Three", std::u16string(300, u'x'), u"My Pocket PC"};
  r.Load(stored);
  EXPECT_EQ(r.Items(), (std::vector<std::u16string>{u"\\One", u"\\Three", u"My Pocket PC"}));
  EXPECT_EQ(r.Push(u""), 2u);  // the root is shown by name and moves to the top
  EXPECT_EQ(r.Items().front(), u"My Pocket PC");
  EXPECT_EQ(r.Items().size(), 3u);
  EXPECT_EQ(r.Push(u"\\one"), std::u16string::npos);  // exact match only
  for (int i = 0; i < 9; ++i) r.Push(u"\\F" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
  EXPECT_EQ(r.Items().size(), 13u);
  const auto saved = r.Saved();
  ASSERT_EQ(saved.size(), 8u);
  EXPECT_EQ(saved[0], u"\\F8");
  EXPECT_EQ(saved[7], u"\\F1");
  EXPECT_EQ(RecentValueName(1), u"Recent1");
  EXPECT_EQ(UserPathValueName(15), u"OpenPthInfo15");
}

TEST(UserPaths, LimitsAddRemoveEditAndCaptions) {
  UserPaths u;
  const std::u16string values[3] = {u"\\My Documents", u"", u"Tail"};
  u.Load(1000, values);  // the count is clamped to the values read
  EXPECT_EQ(u.Items(), (std::vector<std::u16string>{u"\\My Documents", u"Tail"}));
  EXPECT_EQ(u.Caption(0), u"My Documents");
  EXPECT_EQ(u.Caption(1), u"Tail");
  EXPECT_EQ(u.Add(u""), 2u);
  EXPECT_EQ(u.Items()[2], u"My Pocket PC");
  EXPECT_EQ(u.Add(u"File Search"), 3u);
  EXPECT_EQ(u.Items()[3], u"My Pocket PC");
  while (u.CanAdd()) u.Add(u"\\Temp");
  EXPECT_EQ(u.Items().size(), kMaxUserPaths);
  EXPECT_EQ(u.Add(u"\\Temp"), std::nullopt);
  EXPECT_TRUE(u.Remove(0));
  EXPECT_EQ(u.Items()[0], u"Tail");
  EXPECT_FALSE(u.Remove(99));
  EXPECT_TRUE(u.Replace(0, u""));
  EXPECT_EQ(u.Items()[0], u"My Pocket PC");
  EXPECT_EQ(CheckUserPathText(u"\\a:b"), UserPathCheck::BadCharacters);
  EXPECT_EQ(CheckUserPathText(u""), UserPathCheck::Root);
  EXPECT_EQ(CheckUserPathText(u"\\Temp"), UserPathCheck::NeedsFolder);
}

TEST(StatusBar, CountsAndBothForms) {
  EXPECT_EQ(ListedCount(5, true, u"\\Temp"), 4u);
  EXPECT_EQ(ListedCount(5, true, u""), 5u);
  EXPECT_EQ(ListedCount(5, true, u"File Search"), 5u);
  EXPECT_EQ(ListedCount(5, false, u"\\Temp"), 5u);
  EXPECT_EQ(ListedCount(0, true, u"\\Temp"), 0u);
  const NumberFormat nf;
  const StatusParts a = StatusBarParts(true, u"\\Temp", 1234, 5678901, 240, nf);
  EXPECT_EQ(a.texts, (std::vector<std::u16string>{u"1,234 files", u"5,678,901 bytes"}));
  EXPECT_EQ(a.rightEdges, (std::vector<int>{120, 240}));
  const StatusParts b = StatusBarParts(false, u"\\My Documents\\Work", 3, 2048, 240, nf);
  EXPECT_EQ(b.texts, (std::vector<std::u16string>{u"Work", u"3", u"2.00KB"}));
  EXPECT_EQ(b.rightEdges, (std::vector<int>{120, 180, 240}));
  EXPECT_EQ(StatusBarParts(false, u"", 0, 0, 240, nf).texts[0], u"My Pocket PC");
}

TEST(Layout, PanesBandsAndSplitter) {
  LayoutInput in{240, 268, true, 24, true, 20, false, false, 100, 100};
  LayoutResult r = ComputeLayout(in);
  EXPECT_EQ(r.address, (Rect{0, 0, 240, 24}));
  EXPECT_EQ(r.status, (Rect{0, 248, 240, 268}));
  EXPECT_EQ(r.list, (Rect{0, 22, 240, 248}));  // 2 pixels up into the band
  in.treeShown = true;
  r = ComputeLayout(in);
  EXPECT_EQ(r.tree, (Rect{0, 22, 240, 122}));
  EXPECT_EQ(r.list, (Rect{0, 126, 240, 248}));
  in.sideBySide = true;
  in.addressShown = false;
  r = ComputeLayout(in);
  EXPECT_EQ(r.tree, (Rect{0, 0, 100, 248}));
  EXPECT_EQ(r.list, (Rect{104, 0, 240, 248}));
  EXPECT_EQ(r.address, Rect{});
  EXPECT_EQ(SplitterSize(100, 102, 130, 0, 240), 128);
  EXPECT_EQ(SplitterSize(100, 102, 20, 0, 240), -1);
  EXPECT_EQ(SplitterSize(100, 102, 220, 0, 240), -1);
  EXPECT_EQ(SplitterSize(100, 102, 219, 0, 240), 217);
}

TEST(Focus, TabCycles) {
  EXPECT_EQ(NextFocus(FocusPane::List, true, false, false), FocusPane::List);
  EXPECT_EQ(NextFocus(FocusPane::List, true, true, false), FocusPane::Address);
  EXPECT_EQ(NextFocus(FocusPane::Address, true, true, true), FocusPane::Tree);
  EXPECT_EQ(NextFocus(FocusPane::Tree, true, true, true), FocusPane::List);
  EXPECT_EQ(NextFocus(FocusPane::List, false, true, true), FocusPane::Tree);
  EXPECT_EQ(NextFocus(FocusPane::Tree, false, false, true), FocusPane::List);
  EXPECT_EQ(NextFocus(FocusPane::Address, false, true, true), FocusPane::List);
}

}  // namespace
}  // namespace quintar::folderon::core

namespace quintar::folderon::core {
namespace {

TEST(DeviceFolderFromText, OnlyDevicePathsAreTakenWithoutTrailingBackslash) {
  EXPECT_EQ(DeviceFolderFromText(u"\\Temp\\Apps\\"), u"\\Temp\\Apps");
  EXPECT_EQ(DeviceFolderFromText(u"\\My Documents"), u"\\My Documents");
  // Drive letters, shares, relative paths, the root and empty text keep the old value.
  for (std::u16string_view bad : {u"C:\\Temp", u"\\\\host\\share", u"Temp", u"\\", u"", u"\\a|b", u"\\\\?\\unix\\etc"})
    EXPECT_FALSE(DeviceFolderFromText(bad)) << std::string(bad.begin(), bad.end());
  EXPECT_FALSE(DeviceFolderFromText(u"\\" + std::u16string(300, u'a')));
}

}  // namespace
}  // namespace quintar::folderon::core

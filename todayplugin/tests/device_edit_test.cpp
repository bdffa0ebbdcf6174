// End to end: Glancet's editing commands and tap actions under the device's Today screen, driven
// from outside the way a user's taps arrive (posted stylus messages and commands, the dialogs' own
// controls), each change checked in the data file and each start in the device's logs. With GLANCET_SHOT set, the
// dialogs are saved as T:\glancet-<profile>-<dialog>.bmp for a look.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testsupport/testsupport.h"
#include "todayplugin/core/glancet_core.h"
#include "todayplugin/tests/device_screen.h"
#include "todayplugin/tests/image_records.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace {

using quintar::glancet::test::Profile;
using quintar::glancet::test::Scale;
using namespace quintar::glancet::core;
using namespace quintar::win32;

constexpr wchar_t kFile[] = L"\\windows\\pellvane.dat";
constexpr wchar_t kSettings[] = L"\\Program Files\\Zek\\Pellvane\\Settings\\";

bool Shots() {
  wchar_t v[8] = {};
  return GetEnvironmentVariableW(L"GLANCET_SHOT", v, 8) > 0;
}

void Shot(const wchar_t* what) {
  if (!Shots()) return;
  testsupport::PumpFor(400);  // painted
  testsupport::SaveScreenBitmap(L"T:\\glancet-" + Profile() + L"-" + what + L".bmp");
}

std::unique_ptr<FileImage> ReadImage() {
  auto image = std::make_unique<FileImage>();
  std::string bytes = testsupport::ReadFileBytes(kFile);
  if (bytes.size() != image->size()) return nullptr;
  std::memcpy(image->data(), bytes.data(), bytes.size());
  return image;
}

int TabCount(const FileImage& image) { return At<int32_t>(image, offsets::kTabCount); }
TabRecord Tab(const FileImage& image, int t) { return At<TabRecord>(image, offsets::kTabs + t * sizeof(TabRecord)); }
// The kind of the tab's item with that target (kEmpty when there is none); the order of the
// records depends on the screen's columns.
int32_t KindOf(const FileImage& image, int tab, std::u16string_view target) {
  for (int i = 0; i < kItemsPerTab; ++i)
    if (Record(image, tab, i).kind != kEmpty && FieldText(Record(image, tab, i).target) == target)
      return Record(image, tab, i).kind;
  return kEmpty;
}
std::u16string TabName(const FileImage& image, int t) { return std::u16string(FieldText(Tab(image, t).name)); }

// A window's text as its own process holds it (an edit control of another process keeps its text
// where only WM_GETTEXT reaches it).
std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

// All the texts of a window's children, one after another.
std::wstring ChildTexts(HWND window) {
  std::wstring all;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    all += TextOf(child) + L'\n';
  return all;
}

class TodayEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW(L"\\Program Files\\Zek\\Quintar\\Glancet.dll") == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "the device image carries no Glancet.dll";
    DeleteFileW(kFile);
    shell_ = testsupport::StartProgram(L"T:\\shell.exe", L"/refresh-ms 500");
    ASSERT_TRUE(shell_);
    ASSERT_TRUE(testsupport::PumpUntil(
        [&] {
          HWND desktop = FindWindowW(L"DesktopExplorerWindow", L"DeskTop");
          item_ = desktop ? FindWindowExW(desktop, nullptr, L"MyToday", L"MyTodayScreen") : nullptr;
          RECT rc = {};
          return item_ && GetWindowRect(item_, &rc) && rc.bottom > rc.top;
        },
        15000));
    s_ = Scale();
    width_ = GetSystemMetrics(SM_CXSCREEN);
    landscape_ = GetSystemMetrics(SM_CYSCREEN) < width_;
    testsupport::PumpFor(300);
  }

  // A command as the menu sends it; posted, since it may open a modal dialog in the shell.
  void Command(int id) { PostMessageW(item_, WM_COMMAND, id, 0); }

  // A press on the item at (x, y) released where nothing is, so no tap action runs.
  void Press(int x, int y) {
    PostMessageW(item_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(item_, WM_LBUTTONUP, 0, MAKELPARAM(1, 19 * s_));
    testsupport::PumpFor(150);
  }
  void PressCell(int column, int row) { Press((21 + 20 * column + 10) * s_, (20 + 20 * row + 10) * s_); }
  // The centre of tab t of page 0 (the tab bar as the item lays it out with no Next button).
  void PressTab(int t) {
    int perPage = landscape_ ? 4 : 3, logo = 21 * s_, w = (width_ - logo) / perPage;
    Press(logo + w * t + w / 2, 9 * s_);
  }

  HWND WaitDialog(const wchar_t* caption) {
    HWND found = nullptr;
    testsupport::PumpUntil(
        [&] {
          found = FindWindowW(L"#32770", caption);
          return found && IsWindowVisible(found);
        },
        5000);
    return found;
  }
  bool WaitGone(HWND window) {
    return testsupport::PumpUntil([&] { return !IsWindow(window); }, 5000);
  }
  // Answers the box of that caption, whose text must contain `text`.
  void Answer(const wchar_t* caption, const std::wstring& text, int button) {
    HWND box = WaitDialog(caption);
    ASSERT_NE(box, nullptr) << "no box \"" << std::string(text.begin(), text.end()) << "\"";
    EXPECT_NE(ChildTexts(box).find(text), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, button, 0);
    EXPECT_TRUE(WaitGone(box));
  }
  // The image once `ok` holds for it (or the last one read when it never does).
  std::unique_ptr<FileImage> WaitImage(const std::function<bool(const FileImage&)>& ok) {
    std::unique_ptr<FileImage> image;
    testsupport::PumpUntil(
        [&] {
          image = ReadImage();
          return image && ok(*image);
        },
        5000);
    return image;
  }
  // Names the tab in the open name dialog and presses its OK.
  void NameAndOk(HWND dialog, const wchar_t* name) {
    SendMessageW(GetDlgItem(dialog, 1000), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    PostMessageW(dialog, WM_COMMAND, 1001, 0);
  }
  // The page dialog inside the Add dialog that holds control `id`.
  HWND PageWith(HWND dialog, int id) {
    HWND page = nullptr;
    testsupport::PumpUntil(
        [&] {
          for (HWND c = FindWindowExW(dialog, nullptr, L"#32770", nullptr); c;
               c = FindWindowExW(dialog, c, L"#32770", nullptr))
            if (GetDlgItem(c, id) && IsWindowVisible(c)) page = c;
          return page != nullptr;
        },
        5000);
    return page;
  }

  // Opens the Add dialog by `command`, checks every row of the Items page's class `row` and adds
  // them to the tab named `tab`; `shot` names its pictures.
  void AddWholeClass(int command, int row, const wchar_t* tab, const wchar_t* shot) {
    Command(command);
    HWND add = WaitDialog(L"Dialog");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(add, 1025)), tab);
    HWND page = PageWith(add, 1013);
    ASSERT_NE(page, nullptr);
    if (shot) Shot(shot);
    HWND combo = GetDlgItem(page, 1012);
    SendMessageW(combo, CB_SETCURSEL, row, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1012, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    SendMessageW(page, WM_COMMAND, 1014, 0);  // Select All
    if (shot) Shot((std::wstring(shot) + L"-class").c_str());
    PostMessageW(add, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitGone(add));
  }

  testsupport::ChildProcess shell_;
  HWND item_ = nullptr;
  int s_ = 1, width_ = 240;
  bool landscape_ = false;
};

TEST_F(TodayEditing, TabsAreDeletedRenamedAndMadeWithTheirBoxes) {
  auto start = ReadImage();
  ASSERT_NE(start, nullptr);
  ASSERT_EQ(TabCount(*start), 3);

  // "No" keeps every byte; "Yes" deletes the selected first tab and selects the new first.
  Command(40006);
  Answer(L"Zek Pellvane", L"Do you want to delete this tab?", IDNO);
  testsupport::PumpFor(200);
  auto same = ReadImage();
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(std::memcmp(start->data(), same->data(), start->size()), 0);
  Command(40006);
  Answer(L"Zek Pellvane", L"Do you want to delete this tab?", IDYES);
  auto one = WaitImage([](const FileImage& i) { return TabCount(i) == 2; });
  ASSERT_EQ(TabCount(*one), 2);
  EXPECT_EQ(TabName(*one, 0), u"Program");
  EXPECT_EQ(Tab(*one, 0).selected, 1);
  EXPECT_EQ(FieldText(Record(*one, 0, 0).target), u"\\Windows\\iexplore.exe") << "its cells came along";
  EXPECT_EQ(TabName(*one, 2), u"") << "the freed record is zeroed";

  Command(40006);
  Answer(L"Zek Pellvane", L"Do you want to delete this tab?", IDYES);
  auto last = WaitImage([](const FileImage& i) { return TabCount(i) == 1; });
  ASSERT_EQ(TabCount(*last), 1);
  EXPECT_EQ(TabName(*last, 0), u"Setting");
  Command(40006);
  Answer(L"Zek Pellvane", L"Do you want to delete this tab?", IDYES);
  Answer(L"Error", L"Sorry you cannot delete the lastly tab!", IDOK);
  auto kept = ReadImage();
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(std::memcmp(last->data(), kept->data(), last->size()), 0);

  // Rename starts from the tab's name.
  Command(40005);
  HWND rename = WaitDialog(L"TAB NAME");
  ASSERT_NE(rename, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(rename, 1000)), L"Setting");
  NameAndOk(rename, L"Tools");
  EXPECT_TRUE(WaitGone(rename));
  auto renamed = WaitImage([](const FileImage& i) { return TabName(i, 0) == u"Tools"; });
  EXPECT_EQ(TabName(*renamed, 0), u"Tools");

  // New tab: an empty name is refused and the dialog stays; "Games" is added.
  Command(40004);
  HWND dialog = WaitDialog(L"NewTab");
  ASSERT_NE(dialog, nullptr);
  Shot(L"newtab");
  NameAndOk(dialog, L"");
  Answer(L"Zek Pellvane", L"The Table name can not be void!", IDOK);
  ASSERT_TRUE(IsWindow(dialog)) << "the dialog stays for another name";
  auto unchanged = ReadImage();
  EXPECT_EQ(std::memcmp(renamed->data(), unchanged->data(), renamed->size()), 0);
  NameAndOk(dialog, L"Games");
  EXPECT_TRUE(WaitGone(dialog));
  auto games = WaitImage([](const FileImage& i) { return TabCount(i) == 2; });
  ASSERT_EQ(TabCount(*games), 2);
  EXPECT_EQ(TabName(*games, 1), u"Games");
  EXPECT_EQ(Tab(*games, 1).selected, 0);
  EXPECT_EQ(Tab(*games, 1).iconIndex, 0);
  EXPECT_EQ(FieldText(Tab(*games, 1).bitmap), s_ == 2 ? u"\\Program Files\\Zek\\Pellvane\\image\\setting32.bmp"
                                                      : u"\\Program Files\\Zek\\Pellvane\\image\\setting16.bmp");

  // Up to twenty tabs; the twenty-first is refused with every byte kept.
  for (int n = 3; n <= 20; ++n) {
    Command(40004);
    HWND d = WaitDialog(L"NewTab");
    ASSERT_NE(d, nullptr);
    NameAndOk(d, (L"T" + std::to_wstring(n)).c_str());
    ASSERT_TRUE(WaitGone(d));
  }
  auto twenty = WaitImage([](const FileImage& i) { return TabCount(i) == 20; });
  ASSERT_EQ(TabCount(*twenty), 20);
  Command(40004);
  dialog = WaitDialog(L"NewTab");
  ASSERT_NE(dialog, nullptr);
  NameAndOk(dialog, L"More");
  Answer(L"Zek Pellvane", L"You can not insert new table, It must less then twenty tables!", IDOK);
  PostMessageW(dialog, WM_COMMAND, 1002, 0);
  EXPECT_TRUE(WaitGone(dialog));
  auto still = ReadImage();
  EXPECT_EQ(std::memcmp(twenty->data(), still->data(), twenty->size()), 0);
  EXPECT_EQ(WaitForSingleObject(shell_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell survived";
}

TEST_F(TodayEditing, LaunchersGrowShrinkGoAndComeFromTheAddDialog) {
  // The third tab, "Setting": the large theme button, then nine settings launchers from column 2.
  PressTab(2);
  PressCell(3, 0);  // "About"
  Command(40047);
  auto large = WaitImage([](const FileImage& i) { return Record(i, 2, 2).kind == kLarge; });
  ItemRecord about = Record(*large, 2, 2);
  ASSERT_EQ(about.kind, kLarge);
  EXPECT_EQ(FieldText(about.target), u"\\Program Files\\Zek\\Pellvane\\Settings\\About.lnk");
  EXPECT_EQ(FieldText(about.iconPath), s_ == 2 ? u"\\Program Files\\Zek\\Pellvane\\image\\setting64.bmp"
                                               : u"\\Program Files\\Zek\\Pellvane\\image\\setting32.bmp");
  EXPECT_EQ(about.iconIndex, 7);
  EXPECT_EQ(CountRecords(*large, 2), 10);
  Command(40047);  // still the highlighted one: back to small
  auto small = WaitImage([](const FileImage& i) { return Record(i, 2, 2).kind == kSmall; });
  EXPECT_EQ(Record(*small, 2, 2).kind, kSmall);
  EXPECT_EQ(FieldText(Record(*small, 2, 2).iconPath), s_ == 2
                                                          ? u"\\Program Files\\Zek\\Pellvane\\image\\setting32.bmp"
                                                          : u"\\Program Files\\Zek\\Pellvane\\image\\setting16.bmp");

  // Remove "Today Settings": with Auto Arrange on, the rest closes up behind it.
  PressCell(2, 0);
  Command(40042);
  auto removed = WaitImage([](const FileImage& i) { return CountRecords(i, 2) == 9; });
  ASSERT_EQ(CountRecords(*removed, 2), 9);
  EXPECT_EQ(FieldText(Record(*removed, 2, 1).target), u"\\Program Files\\Zek\\Pellvane\\Settings\\About.lnk");
  Command(40032);
  auto off = WaitImage([](const FileImage& i) { return At<Settings>(i, offsets::kSettings).autoArrange == 0; });
  EXPECT_EQ(At<Settings>(*off, offsets::kSettings).autoArrange, 0);
  Command(40032);
  auto on = WaitImage([](const FileImage& i) { return At<Settings>(i, offsets::kSettings).autoArrange == 8; });
  EXPECT_EQ(At<Settings>(*on, offsets::kSettings).autoArrange, 8);

  // The Add dialog's "Settings" class, every row checked: sixteen launchers with their exact
  // targets and icons.
  AddWholeClass(40027, 1, L"Setting", L"add");
  auto added = WaitImage([](const FileImage& i) { return CountRecords(i, 2) == 25; });
  ASSERT_EQ(CountRecords(*added, 2), 25);
  struct Row {
    const wchar_t* name;
    int icon;
  } rows[] = {{L"About", 7},
              {L"Align Screen", 15},
              {L"Beam", 16},
              {L"Buttons", 0},
              {L"Clock", 9},
              {L"Input Method", 1},
              {L"Memory", 11},
              {L"Menus", 2},
              {L"Owner Information", 3},
              {L"Password", 4},
              {L"Power", 12},
              {L"Regional Settings", 13},
              {L"Remove Programs", 14},
              {L"Sounds & Reminders", 5},
              {L"Today Settings", 6},
              {L"Network Connections", 17}};
  for (int i = 0; i < 16; ++i) {
    ItemRecord r = Record(*added, 2, 9 + i);
    EXPECT_EQ(r.kind, kSmall) << i;
    EXPECT_EQ(FieldText(r.target), U16(std::wstring(kSettings) + rows[i].name + L".lnk")) << i;
    EXPECT_EQ(FieldText(r.name), U16(rows[i].name).substr(0, 19)) << i;
    EXPECT_EQ(r.iconIndex, rows[i].icon) << i;
  }

  // The tab's icon from the picker: the "Custom" set, icon 3.
  PressTab(2);
  Command(40007);
  HWND icon = WaitDialog(L"Change Icon");
  ASSERT_NE(icon, nullptr);
  HWND iconCombo = GetDlgItem(icon, 1012);
  SendMessageW(iconCombo, CB_SETCURSEL, 1, 0);
  SendMessageW(icon, WM_COMMAND, MAKEWPARAM(1012, CBN_CLOSEUP), reinterpret_cast<LPARAM>(iconCombo));
  HWND picker = FindWindowExW(icon, nullptr, L"#32770", nullptr);
  ASSERT_NE(picker, nullptr);
  int x = (6 + 3 * 44 + 10) * s_, y = (6 + 10) * s_;
  SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(picker, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  Shot(L"icon");
  PostMessageW(icon, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitGone(icon));
  auto iconed = WaitImage([](const FileImage& i) { return Tab(i, 2).iconIndex == 3; });
  EXPECT_EQ(Tab(*iconed, 2).iconIndex, 3);
  EXPECT_EQ(FieldText(Tab(*iconed, 2).bitmap), s_ == 2 ? u"\\Program Files\\Zek\\Pellvane\\image\\custom32.bmp"
                                                       : u"\\Program Files\\Zek\\Pellvane\\image\\custom16.bmp");
  EXPECT_EQ(WaitForSingleObject(shell_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell survived";
}

TEST_F(TodayEditing, TheAddDialogFollowsATurnedScreen) {
  Command(40027);
  HWND add = WaitDialog(L"Dialog");
  ASSERT_NE(add, nullptr);
  HWND page = PageWith(add, 1013);
  ASSERT_NE(page, nullptr);
  const int w0 = width_, h0 = GetSystemMetrics(SM_CYSCREEN);
  // Width and height swap; a square screen turns into a landscape one.
  const int w1 = w0 == h0 ? 320 * s_ : h0, h1 = w0 == h0 ? 240 * s_ : w0;
  const bool turned = testsupport::SetScreen(w1, h1);
  if (!turned) {
    PostMessageW(add, WM_COMMAND, IDCANCEL, 0);
    GTEST_SKIP() << "the display offers no " << w1 << " x " << h1 << " mode";
  }
  SetWindowPos(add, nullptr, 0, 0, w1, h1, SWP_NOZORDER | SWP_NOACTIVATE);  // as the shell resizes it
  testsupport::PumpFor(300);
  Shot(L"add-turned");
  // The page of the new shape's size, its controls inside it.
  const SIZE expected =
      w1 > h1 ? SIZE{320 * s_, 148 * s_} : (w1 < h1 ? SIZE{240 * s_, 220 * s_} : SIZE{240 * s_, 148 * s_});
  RECT placed = {}, list = {}, dialog = {};
  GetWindowRect(page, &placed);
  GetWindowRect(GetDlgItem(page, 1013), &list);
  GetWindowRect(add, &dialog);
  EXPECT_EQ(placed.right - placed.left, expected.cx);
  EXPECT_EQ(placed.bottom - placed.top, expected.cy);
  EXPECT_LE(list.right, std::min(placed.right, dialog.right));
  EXPECT_LE(list.bottom, std::min(placed.bottom, dialog.bottom));
  EXPECT_LE(dialog.right - dialog.left, w1);

  ASSERT_TRUE(testsupport::SetScreen(w0, h0));
  SetWindowPos(add, nullptr, 0, 0, w0, h0, SWP_NOZORDER | SWP_NOACTIVATE);
  PostMessageW(add, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitGone(add));
  EXPECT_EQ(WaitForSingleObject(shell_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell survived";
}

// The last child of a tree node, walked without reading the tree's texts (which another process
// cannot).
HTREEITEM LastChild(HWND tree, HTREEITEM node) {
  auto item =
      reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
  for (HTREEITEM next = item; next; next = reinterpret_cast<HTREEITEM>(
                                        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(next))))
    item = next;
  return item;
}
HTREEITEM FirstChild(HWND tree, HTREEITEM node) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
}
void Choose(HWND tree, HTREEITEM item) {
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

TEST_F(TodayEditing, FilesAndFoldersPagesAddTheChosenPath) {
  // "Add File...": the root's first folder is "My Documents"; its last entry, files after
  // folders, is "Welcome.txt".
  Command(40034);
  HWND add = WaitDialog(L"Dialog");
  ASSERT_NE(add, nullptr);
  HWND page = PageWith(add, 1020);
  ASSERT_NE(page, nullptr);
  HWND tree = GetDlgItem(page, 1020);
  auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  HTREEITEM documents = FirstChild(tree, root);
  ASSERT_NE(documents, nullptr);
  Choose(tree, documents);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1016))) << "a folder is no file";
  // Expanding while nothing is chosen is refused with a box.
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
  PostMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(documents));
  Answer(L"Error", L"No Items in TreeView", IDOK);
  ASSERT_TRUE(IsWindow(add));
  HTREEITEM welcome = LastChild(tree, documents);
  ASSERT_NE(welcome, nullptr);
  Choose(tree, welcome);
  Shot(L"files");
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page, 1016)));
  PostMessageW(page, WM_COMMAND, 1016, 0);
  EXPECT_TRUE(WaitGone(add));
  auto file = WaitImage([](const FileImage& i) { return CountRecords(i, 0) == 13; });
  ASSERT_EQ(CountRecords(*file, 0), 13);
  EXPECT_EQ(KindOf(*file, 0, u"\\My Documents\\Welcome.txt"), kSmall);

  // "Add Folder...": the same folder, added itself.
  Command(40035);
  add = WaitDialog(L"Dialog");
  ASSERT_NE(add, nullptr);
  page = PageWith(add, 1015);
  ASSERT_NE(page, nullptr);
  tree = GetDlgItem(page, 1015);
  root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  Choose(tree, FirstChild(tree, root));
  PostMessageW(page, WM_COMMAND, 1016, 0);
  EXPECT_TRUE(WaitGone(add));
  auto folder = WaitImage([](const FileImage& i) { return CountRecords(i, 0) == 14; });
  ASSERT_EQ(CountRecords(*folder, 0), 14);
  EXPECT_EQ(KindOf(*folder, 0, u"\\My Documents"), kSmall);
}

// ---- Themes --------------------------------------------------------------------------------------

std::wstring Skin() {
  wchar_t skin[MAX_PATH] = L"<none>";
  DWORD size = sizeof skin;
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Today", L"Skin", RRF_RT_REG_SZ, nullptr, skin, &size);
  return skin;
}

// The theme files of "\windows" in the order the folder gives them (the submenu's order).
std::vector<std::wstring> ThemeNames() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  FindHandle find(FindFirstFileW(L"\\windows\\*.tsk", &fd));
  if (find) {
    do names.push_back(fd.cFileName);
    while (FindNextFileW(find.get(), &fd));
  }
  return names;
}

int IndexOf(const std::vector<std::wstring>& names, const wchar_t* name) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST_F(TodayEditing, ApplyingAThemeGoesThroughTheInstallerUnderAPlainName) {
  // The submenu lists the themes in the order the folder gives them.
  const int index = IndexOf(ThemeNames(), L"My Theme.tsk");
  ASSERT_GE(index, 0) << "the image carries Today themes";
  const std::string line = "wceload.exe|/safe /noui /nouninstall /delete 0 \\windows\\My_Theme.tsk";
  const std::size_t before = Count(testsupport::ReadFileBytes(L"\\Windows\\device-launch.log"), line);
  HWND first = item_;
  Command(50000 + index);
  EXPECT_TRUE(testsupport::PumpUntil(
      [&] { return Count(testsupport::ReadFileBytes(L"\\Windows\\device-launch.log"), line) == before + 2; }, 10000))
      << testsupport::ReadFileBytes(L"\\Windows\\device-launch.log");
  auto saved = WaitImage([&](const FileImage& i) { return At<Settings>(i, offsets::kSettings).themeIndex == index; });
  EXPECT_EQ(At<Settings>(*saved, offsets::kSettings).themeIndex, index);
  EXPECT_NE(GetFileAttributesW(L"\\windows\\My Theme.tsk"), INVALID_FILE_ATTRIBUTES) << "its own name again";
  EXPECT_EQ(GetFileAttributesW(L"\\windows\\My_Theme.tsk"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Skin(), L"\\windows\\My Theme.tsk");
  DWORD start = 0, size = sizeof start;
  EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Today", L"UseStartImage", RRF_RT_REG_DWORD, nullptr,
                         &start, &size),
            ERROR_SUCCESS)
      << "the start image gives way to the theme";
  // The reload: the Today screen made its items anew.
  EXPECT_TRUE(testsupport::PumpUntil(
      [&] {
        HWND desktop = FindWindowW(L"DesktopExplorerWindow", L"DeskTop");
        item_ = desktop ? FindWindowExW(desktop, nullptr, L"MyToday", L"MyTodayScreen") : nullptr;
        return item_ && item_ != first;
      },
      5000));

  // Without the Today key nothing is applied and nothing changes.
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Today"), ERROR_SUCCESS);
  const std::string log = testsupport::ReadFileBytes(L"\\Windows\\device-launch.log");
  auto image = ReadImage();
  Command(50000 + index);
  testsupport::PumpFor(1000);
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Windows\\device-launch.log"), log);
  auto after = ReadImage();
  ASSERT_TRUE(image && after);
  EXPECT_EQ(std::memcmp(image->data(), after->data(), image->size()), 0);
  RegKey restored;  // for the tests after this one
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Today", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  restored.put(), nullptr);
}

// ---- Taps ------------------------------------------------------------------------------------------

std::string LaunchLog() { return testsupport::ReadFileBytes(L"\\Windows\\device-launch.log"); }
std::string EventLog() { return testsupport::ReadFileBytes(L"\\Windows\\device-events.log"); }

class TodayTaps : public TodayEditing {
 protected:
  // The content as the item lays it out on this screen, from the file.
  void Follow() {
    auto image = ReadImage();
    ASSERT_NE(image, nullptr);
    m_ = {s_, width_, GetSystemMetrics(SM_CYSCREEN)};
    state_ = std::make_unique<State>();
    Load(*image, m_, *state_);
    for (int t = 0; t < state_->tabCount; ++t) state_->tabs[t].selected = t == tab_ ? 1 : 0;
    LayOut(m_, 0, *state_, layout_);
  }
  // The centre of the first item of that kind (and target, when given) on the followed tab.
  POINT Centre(int32_t kind, std::u16string_view target = {}) {
    const auto& grid = state_->grid[tab_];
    for (int r = 0; r < kShownRows; ++r)
      for (int c = 0; c < state_->columns; ++c) {
        const ItemRecord& cell = grid[r][c];
        if (cell.kind != kind || (!target.empty() && FieldText(cell.target) != target)) continue;
        if (IsGauge(kind)) {
          const GaugePlace* g = layout_.GaugeAt(c, r);
          return {g->x0 + 2 * s_, g->y0 + 10 * s_};  // on its icon
        }
        int half = (IsLarge(kind) ? 2 : 1) * m_.Cell() / 2;
        return {m_.CellX(c) + half, m_.CellY(r) + half};
      }
    ADD_FAILURE() << "no item of kind " << kind;
    return {-100, -100};
  }
  void Tap(POINT at) {
    PostMessageW(item_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(item_, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    testsupport::PumpFor(150);
  }
  bool LaunchLogHas(const std::string& text) {
    return testsupport::PumpUntil([&] { return LaunchLog().find(text) != std::string::npos; }, 8000);
  }
  void CopyPath(const std::wstring& path) {
    COPYDATASTRUCT cds = {0, static_cast<DWORD>(path.size() * sizeof(wchar_t)), const_cast<wchar_t*>(path.c_str())};
    SendMessageW(item_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
  }

  Metrics m_;
  std::unique_ptr<State> state_;
  Layout layout_;
  int tab_ = 0;
};

TEST_F(TodayTaps, LaunchersFoldersAndGaugesStartWhatTheyName) {
  CopyPath(L"\\Windows\\iexplore.exe");
  CopyPath(L"\\My Documents\\Welcome.txt");
  CopyPath(L"\\My Documents\\Business");
  Follow();
  Tap(Centre(kSmall, u"\\Windows\\iexplore.exe"));
  EXPECT_TRUE(LaunchLogHas("iexplore.exe|"));
  Tap(Centre(kSmall, u"\\My Documents\\Welcome.txt"));
  EXPECT_TRUE(LaunchLogHas("Welcome.txt")) << LaunchLog();
  Tap(Centre(kSmall, u"\\My Documents\\Business"));
  EXPECT_TRUE(LaunchLogHas("fexplore.exe|")) << LaunchLog();
  EXPECT_TRUE(LaunchLogHas("My Documents\\Business")) << LaunchLog();

  Tap(Centre(kBattery));
  EXPECT_TRUE(LaunchLogHas("cplmain.cpl,3")) << LaunchLog();
  Tap(Centre(kStorage));
  EXPECT_TRUE(LaunchLogHas("cplmain.cpl,4,1")) << LaunchLog();
  Tap(Centre(kBacklight));
  EXPECT_TRUE(LaunchLogHas("\\Windows\\Backlight.cpl")) << LaunchLog();
  std::string before = LaunchLog();
  Tap(Centre(kMemory));
  EXPECT_TRUE(testsupport::PumpUntil(
      [&] {
        std::string now = LaunchLog();
        return now.size() > before.size() && now.find("cplmain.cpl,4", before.size()) != std::string::npos;
      },
      8000))
      << LaunchLog();
  EXPECT_EQ(WaitForSingleObject(shell_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell survived";
}

TEST_F(TodayTaps, ResetsAskFirstAndThePowerButtonSwitchesOff) {
  // The "Custom" rows on the third tab bring the power and reset buttons.
  PressTab(2);
  tab_ = 2;
  AddWholeClass(40033, 3, L"Setting", nullptr);
  WaitImage([](const FileImage& i) { return CountRecords(i, 2) > 10; });
  Follow();

  Tap(Centre(kSoftReset));
  Answer(L"Soft Reset Pocket PC", L"Do you really want to Soft Reset your Pocket PC", IDNO);
  Tap(Centre(kHardReset));
  Answer(L"Hard Reset Pocket PC", L"Do you really want to Hard Reset your Pocket PC", IDNO);
  testsupport::PumpFor(300);
  EXPECT_EQ(EventLog().find("reboot"), std::string::npos) << "No does nothing";

  Tap(Centre(kSoftReset));
  Answer(L"Soft Reset Pocket PC", L"Do you really want to Soft Reset your Pocket PC", IDYES);
  ASSERT_TRUE(testsupport::PumpUntil([] { return EventLog().find("reboot") != std::string::npos; }, 5000));
  EXPECT_EQ(EventLog().find("clean-reboot-flag"), std::string::npos) << "a soft reset keeps the store";

  Tap(Centre(kHardReset));
  Answer(L"Hard Reset Pocket PC", L"Do you really want to Hard Reset your Pocket PC", IDYES);
  // The flag first, then the reboot.
  EXPECT_TRUE(testsupport::PumpUntil(
      [] {
        std::string events = EventLog();
        std::size_t flag = events.find("clean-reboot-flag");
        return flag != std::string::npos && events.find("reboot", flag + 17) != std::string::npos;
      },
      5000))
      << EventLog();

  Tap(Centre(kPowerOff));
  EXPECT_TRUE(testsupport::PumpUntil([] { return EventLog().find("power-off-key") != std::string::npos; }, 5000));

  // The large theme-loop button moves to the first theme and saves its index; the installer runs
  // unless that theme is in ROM.
  const std::size_t installs = Count(LaunchLog(), "wceload.exe|");
  const bool firstInRom = ThemeNames().at(0) == L"Classic.tsk";
  Tap(Centre(kThemeLarge));
  auto looped = WaitImage([](const FileImage& i) { return At<Settings>(i, offsets::kSettings).themeIndex == 0; });
  EXPECT_EQ(At<Settings>(*looped, offsets::kSettings).themeIndex, 0);
  EXPECT_TRUE(testsupport::PumpUntil(
      [&] { return Count(LaunchLog(), "wceload.exe|") == installs + (firstInRom ? 0 : 2); }, 10000))
      << LaunchLog();
}

TEST_F(TodayTaps, SettingsLaunchersOpenTheirControlPanelApplets) {
  // The third tab's default launchers are shortcuts to the control panel's applets.
  PressTab(2);
  tab_ = 2;
  Follow();
  Tap(Centre(kSmall, u"\\Program Files\\Zek\\Pellvane\\Settings\\About.lnk"));
  EXPECT_TRUE(LaunchLogHas("ctlpnl.exe|cplmain.cpl,5")) << LaunchLog();
  Tap(Centre(kSmall, u"\\Program Files\\Zek\\Pellvane\\Settings\\Today Settings.lnk"));
  EXPECT_TRUE(LaunchLogHas("ctlpnl.exe|cplmain.cpl,13")) << LaunchLog();
  EXPECT_EQ(WaitForSingleObject(shell_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell survived";
}

TEST_F(TodayTaps, ThemeLoopButtonsStepOverTheThemeInRom) {
  const std::vector<std::wstring> names = ThemeNames();
  const int n = static_cast<int>(names.size()), rom = IndexOf(names, L"Classic.tsk");
  ASSERT_GE(rom, 0) << "the image carries a theme in ROM";
  ASSERT_GE(n, 2);
  const int before = (rom + n - 1) % n, after = (rom + 1) % n;
  auto installs = [] { return Count(LaunchLog(), "wceload.exe|"); };
  // A reload of the Today items follows every applied theme.
  auto reloaded = [&](HWND old) {
    return testsupport::PumpUntil(
        [&] {
          HWND desktop = FindWindowW(L"DesktopExplorerWindow", L"DeskTop");
          item_ = desktop ? FindWindowExW(desktop, nullptr, L"MyToday", L"MyTodayScreen") : nullptr;
          RECT rc = {};
          return item_ && item_ != old && GetWindowRect(item_, &rc) && rc.bottom > rc.top;
        },
        5000);
  };

  // The theme before the one in ROM, from the submenu.
  std::size_t count = installs();
  HWND old = item_;
  Command(50000 + before);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return installs() == count + 2; }, 10000)) << LaunchLog();
  WaitImage([&](const FileImage& i) { return At<Settings>(i, offsets::kSettings).themeIndex == before; });
  ASSERT_TRUE(reloaded(old));
  testsupport::PumpFor(300);

  // The small button: the theme in ROM is only stepped onto, then the next goes through the
  // installer; the small button saves nothing.
  PressTab(0);
  tab_ = 0;
  Follow();
  const std::wstring skin = Skin();
  count = installs();
  Tap(Centre(kThemeSmall));
  testsupport::PumpFor(1000);
  EXPECT_EQ(installs(), count) << "no installer for a theme in ROM";
  EXPECT_EQ(Skin(), skin);
  old = item_;
  Tap(Centre(kThemeSmall));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return installs() == count + 2; }, 10000)) << LaunchLog();
  EXPECT_TRUE(testsupport::PumpUntil([&] { return Skin() == L"\\windows\\" + names[after]; }, 5000)) << Utf8(Skin());
  auto image = ReadImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(At<Settings>(*image, offsets::kSettings).themeIndex, before);
  ASSERT_TRUE(reloaded(old));
  testsupport::PumpFor(300);

  // The large button of the reloaded item starts from the saved index: onto the theme in ROM,
  // saved, without the installer.
  PressTab(2);
  tab_ = 2;
  Follow();
  count = installs();
  Tap(Centre(kThemeLarge));
  auto saved = WaitImage([&](const FileImage& i) { return At<Settings>(i, offsets::kSettings).themeIndex == rom; });
  EXPECT_EQ(At<Settings>(*saved, offsets::kSettings).themeIndex, rom);
  testsupport::PumpFor(500);
  EXPECT_EQ(installs(), count);
  EXPECT_EQ(WaitForSingleObject(shell_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell survived";
}

}  // namespace

// The main window and browsing: roots, lazy expansion, the value texts, long and many values,
// sorting and the Arrange marks, Refresh, Show Path and Copy Path, About.
#include <aygshell.h>

#include "dialogs/dialogs.h"
#include "testsupport/keycolour.h"
#include "ui_fixture.h"

namespace tamsk_test {
namespace {

using testsupport::PumpFor;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<no clipboard>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void SetClipboardText(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

std::vector<std::wstring> ChildTexts(const quintar::tamsk::Tree& keys, HTREEITEM parent) {
  std::vector<std::wstring> texts;
  HWND tree = keys.hwnd();
  HTREEITEM child = parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree);
  for (; child; child = TreeView_GetNextSibling(tree, child)) texts.push_back(keys.ItemText(child));
  return texts;
}

int ChildrenMark(HWND tree, HTREEITEM item) {
  TVITEMW tv{};
  tv.mask = TVIF_CHILDREN;
  tv.hItem = item;
  TreeView_GetItem(tree, &tv);
  return tv.cChildren;
}

UINT MenuState(HWND main, int id) {
  HWND bar = SHFindMenuBar(main);
  HMENU menu = bar ? reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0)) : nullptr;
  return menu ? GetMenuState(menu, id, MF_BYCOMMAND) : 0xFFFFFFFFu;
}

TEST_F(TamskTest, MainWindowHasItsClassTitlePanesAndRoots) {
  EXPECT_EQ(testsupport::WindowText(main_), L"Zek RegEditor");
  EXPECT_EQ(ClassOf(main_), L"Zek Registry Editor");
  ASSERT_EQ(GetDlgItem(main_, 2), Tree());
  ASSERT_EQ(GetDlgItem(main_, 1), List());
  EXPECT_EQ(ClassOf(Tree()), L"SysTreeView32");
  EXPECT_EQ(ClassOf(List()), L"SysListView32");
  LONG treeStyle = GetWindowLongW(Tree(), GWL_STYLE);
  for (LONG flag : {TVS_HASBUTTONS, TVS_HASLINES, TVS_LINESATROOT, TVS_EDITLABELS, TVS_SHOWSELALWAYS}) {
    EXPECT_TRUE(treeStyle & flag) << flag;
  }
  LONG listStyle = GetWindowLongW(List(), GWL_STYLE);
  EXPECT_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(listStyle & LVS_EDITLABELS);
  EXPECT_TRUE(ListView_GetExtendedListViewStyle(List()) & LVS_EX_FULLROWSELECT);

  EXPECT_EQ(ChildTexts(Keys(), nullptr), (std::vector<std::wstring>{L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",
                                                                    L"HKEY_LOCAL_MACHINE", L"HKEY_USERS"}));
  for (HTREEITEM root = TreeView_GetRoot(Tree()); root; root = TreeView_GetNextSibling(Tree(), root)) {
    EXPECT_EQ(ChildrenMark(Tree(), root), 1);
  }
  wchar_t title[32];
  const wchar_t* expected[] = {L"Name", L"Data", L"Type"};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = title;
    column.cchTextMax = 32;
    ASSERT_TRUE(ListView_GetColumn(List(), i, &column));
    EXPECT_STREQ(title, expected[i]);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
  EXPECT_EQ(GetFocus(), Tree());
  // Nothing selected and nothing copied: Copy and Paste are greyed; Arrange By Name is checked.
  TreeView_SelectItem(Tree(), nullptr);
  EXPECT_TRUE(MenuState(main_, IDM_COPY) & MF_GRAYED);
  EXPECT_TRUE(MenuState(main_, IDM_PASTE) & MF_GRAYED);
  EXPECT_TRUE(MenuState(main_, IDM_ARRANGE_NAME) & MF_CHECKED);
  Select();
  EXPECT_FALSE(MenuState(main_, IDM_COPY) & MF_GRAYED);
}

TEST_F(TamskTest, StackedLayoutOnANarrowScreenAndWindowAboveTheMenuBar) {
  ASSERT_LE(GetSystemMetrics(SM_CXSCREEN), 479) << "this profile's screen is wide";
  RECT client, tree, list, bar{}, window;
  GetClientRect(main_, &client);
  GetWindowRect(Tree(), &tree);
  GetWindowRect(List(), &list);
  GetWindowRect(main_, &window);
  int h = client.bottom;
  EXPECT_EQ(tree.bottom - tree.top, h * 55 / 100 - 4);
  EXPECT_EQ(list.top - window.top, h * 55 / 100);
  EXPECT_EQ(list.bottom, window.bottom);
  EXPECT_EQ(tree.right - tree.left, client.right);
  HWND menuBar = SHFindMenuBar(main_);
  ASSERT_NE(menuBar, nullptr);
  GetWindowRect(menuBar, &bar);
  EXPECT_LE(window.bottom, bar.top) << "the window overlaps its menu bar";
  int w = client.right;
  EXPECT_EQ(ListView_GetColumnWidth(List(), 0), w / 3);
  EXPECT_EQ(ListView_GetColumnWidth(List(), 1), w - 2 * (w / 3));
  EXPECT_EQ(ListView_GetColumnWidth(List(), 2), w / 3 - 1);
}

TEST_F(TamskTest, SplitterDragResizesTheStackedPanes) {
  RECT tree, list;
  GetWindowRect(Tree(), &tree);
  MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&tree), 2);
  int gapY = tree.bottom + 2;
  SendMessageW(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, gapY));
  SendMessageW(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, gapY - 40));
  SendMessageW(main_, WM_LBUTTONUP, 0, MAKELPARAM(20, gapY - 40));
  RECT tree2;
  GetWindowRect(Tree(), &tree2);
  GetWindowRect(List(), &list);
  EXPECT_EQ(tree2.bottom - tree2.top, (tree.bottom - tree.top) - 40);
  EXPECT_EQ(list.top - tree2.bottom, 4);
  // Never lower than 10 pixels, and the drag ended with the release.
  SendMessageW(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, gapY - 40));
  SendMessageW(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 3));
  SendMessageW(main_, WM_LBUTTONUP, 0, MAKELPARAM(20, 3));
  SendMessageW(main_, WM_MOUSEMOVE, 0, MAKELPARAM(20, gapY + 30));
  RECT tree3;
  GetWindowRect(Tree(), &tree3);
  EXPECT_EQ(tree3.bottom - tree3.top, tree2.bottom - tree2.top);
}

TEST_F(TamskTest, ValueTextsPerType) {
  SetString(L"Types", L"s", L"hello");
  SetString(L"Types", L"e", L"%TEMP%\\x", REG_EXPAND_SZ);
  SetValue(L"Types", L"b", REG_BINARY, {1, 171});
  SetDword(L"Types", L"d", 31);
  SetValue(L"Types", L"m", REG_MULTI_SZ, Utf16(L"a\0b", 2));
  SetValue(L"Types", L"q", 11, {1, 0, 0, 0, 0, 0, 0, 0});
  Select(L"Types");
  ASSERT_EQ(RowCount(), 6);
  struct Expect {
    const wchar_t* name;
    const wchar_t* data;
    const wchar_t* type;
    int image;
  } expected[] = {{L"s", L"hello", L"REG_SZ", 2},    {L"e", L"%TEMP%\\x", L"REG_EXPAND_SZ", 3},
                  {L"b", L"01AB", L"REG_BINARY", 3}, {L"d", L"0x1F", L"REG_DWORD", 3},
                  {L"m", L"a", L"REG_MULTI_SZ", 3},  {L"q", L"Unknown type: b", L"", 3}};
  for (const Expect& e : expected) {
    int row = RowOf(e.name);
    ASSERT_GE(row, 0) << testing::PrintToString(e.name);
    EXPECT_EQ(Cell(row, 1), e.data);
    EXPECT_EQ(Cell(row, 2), e.type);
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ListView_GetItem(List(), &item);
    EXPECT_EQ(item.iImage, e.image) << testing::PrintToString(e.name);
  }
}

// The strip's key must be masked out whole: a pixel near it is drawn as a magenta fringe.
TEST_F(TamskTest, FolderAndValueIconsShowNoKeyColour) {
  MakeKey(L"Icons\\Closed");
  SetString(L"Icons", L"text", L"hello");
  SetValue(L"Icons", L"bytes", REG_BINARY, {1, 171});
  TreeView_Expand(Tree(), Select(L"Icons"), TVE_EXPAND);
  SelectRowNamed(L"text");
  RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpFor(200);
  const auto keyed = testsupport::CountKeyColourInWindow(main_);
  EXPECT_EQ(keyed.Total(), 0) << keyed.Describe();
  // And the picture holds the icons at all: the folders' yellow is there.
  EXPECT_GT(testsupport::CountKeyColourInWindow(main_, RGB(240, 200, 80)).Total(), 20);
}

TEST_F(TamskTest, EveryValueIsListedWhateverItsSizeOrCount) {
  for (int i = 0; i < 40; ++i) SetDword(L"Many", L"before" + std::to_wstring(i), i);
  SetValue(L"Many", L"huge", REG_BINARY, std::vector<BYTE>(5000, 0xAB));
  for (int i = 0; i < 40; ++i) SetDword(L"Many", L"after" + std::to_wstring(i), i);
  Select(L"Many");
  EXPECT_EQ(RowCount(), 81);
  int huge = RowOf(L"huge");
  ASSERT_GE(huge, 0);
  std::wstring text = Values().RowAt(huge)->data;
  EXPECT_EQ(text.size(), 1536u);
  EXPECT_EQ(text.substr(0, 6), L"ABABAB");
  EXPECT_GE(RowOf(L"after39"), 0);
}

TEST_F(TamskTest, SelectingARootShowsItsOwnValues) {
  HTREEITEM root = Keys().SelectPath(kHkcu, L"", true);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(State().current.root, HKEY_CURRENT_USER);
  EXPECT_EQ(State().current.path, L"");
  HKEY hkcu = HKEY_CURRENT_USER;
  DWORD values = 0;
  RegQueryInfoKeyW(hkcu, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  EXPECT_EQ(RowCount(), static_cast<int>(values));
}

TEST_F(TamskTest, ExpansionReadsSubkeysLazilyAndDropsThemOnCollapse) {
  MakeKey(L"Parent\\Charlie");
  MakeKey(L"Parent\\alpha\\Deeper");
  MakeKey(L"Parent\\Bravo");
  HTREEITEM parent = Select(L"Parent");
  ASSERT_NE(parent, nullptr);
  TreeView_Expand(Tree(), parent, TVE_EXPAND);
  EXPECT_EQ(ChildTexts(Keys(), parent), (std::vector<std::wstring>{L"alpha", L"Bravo", L"Charlie"}));
  HTREEITEM alpha = Keys().FindChild(parent, L"alpha", true);
  HTREEITEM bravo = Keys().FindChild(parent, L"Bravo", true);
  EXPECT_EQ(ChildrenMark(Tree(), alpha), 1);
  EXPECT_EQ(ChildrenMark(Tree(), bravo), 0);
  // A user's collapse drops the children; they are read again on the next expansion.
  NMTREEVIEWW collapse{};
  collapse.hdr.hwndFrom = Tree();
  collapse.hdr.idFrom = 2;
  collapse.hdr.code = TVN_ITEMEXPANDEDW;
  collapse.action = TVE_COLLAPSE;
  collapse.itemNew.hItem = parent;
  TreeView_Expand(Tree(), parent, TVE_COLLAPSE);
  SendMessageW(main_, WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&collapse));
  EXPECT_EQ(TreeView_GetChild(Tree(), parent), nullptr);
  MakeKey(L"Parent\\Delta");
  Keys().RereadChildren(parent);
  EXPECT_EQ(ChildTexts(Keys(), parent), (std::vector<std::wstring>{L"alpha", L"Bravo", L"Charlie", L"Delta"}));
  // A key without subkeys loses its mark once expanded.
  HTREEITEM leaf = Select(L"Parent\\Bravo");
  TreeView_Expand(Tree(), leaf, TVE_EXPAND);
  Keys().RereadChildren(leaf);
  EXPECT_EQ(ChildrenMark(Tree(), leaf), 0);
}

TEST_F(TamskTest, ColumnTapsSortAscendingAndMoveTheArrangeMark) {
  SetString(L"Sort", L"b", L"zz");
  SetString(L"Sort", L"C", L"aa");
  SetDword(L"Sort", L"a", 5);
  Select(L"Sort");
  NMLISTVIEW tap{};
  tap.hdr.hwndFrom = List();
  tap.hdr.idFrom = 1;
  tap.hdr.code = LVN_COLUMNCLICK;
  tap.iSubItem = 1;
  for (int twice = 0; twice < 2; ++twice) {
    SendMessageW(main_, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&tap));
    EXPECT_EQ(Cell(0, 0), L"a");  // "0x5"
    EXPECT_EQ(Cell(1, 0), L"C");  // "aa"
    EXPECT_EQ(Cell(2, 0), L"b");  // "zz"
  }
  EXPECT_TRUE(MenuState(main_, IDM_ARRANGE_DATA) & MF_CHECKED);
  EXPECT_FALSE(MenuState(main_, IDM_ARRANGE_NAME) & MF_CHECKED);
  Cmd(IDM_ARRANGE_NAME);
  EXPECT_EQ(Cell(0, 0), L"a");
  EXPECT_EQ(Cell(1, 0), L"b");
  EXPECT_EQ(Cell(2, 0), L"C");
  EXPECT_TRUE(MenuState(main_, IDM_ARRANGE_NAME) & MF_CHECKED);
  EXPECT_FALSE(MenuState(main_, IDM_ARRANGE_DATA) & MF_CHECKED);
  Cmd(IDM_ARRANGE_TYPE);
  EXPECT_EQ(Cell(0, 0), L"a");  // REG_DWORD before REG_SZ
  EXPECT_TRUE(MenuState(main_, IDM_ARRANGE_TYPE) & MF_CHECKED);
}

TEST_F(TamskTest, ShowPathAndCopyPath) {
  SetClipboardText(L"before");
  // The tree selects its first root whenever it takes the focus back, as after every command.
  TreeView_SelectItem(Tree(), nullptr);
  Cmd(IDM_SHOW_PATH);
  TreeView_SelectItem(Tree(), nullptr);
  Cmd(IDM_COPY_PATH);
  ASSERT_EQ(responder_.MessageBoxes().size(), 2u);
  EXPECT_EQ(responder_.MessageBoxes()[0].text, L"Please select path!");
  EXPECT_EQ(responder_.MessageBoxes()[1].text, L"Please select path!");
  EXPECT_EQ(responder_.MessageBoxes()[1].caption, L"Warning!");
  EXPECT_EQ(responder_.MessageBoxes()[1].style & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(ClipboardText(), L"before");

  Keys().SelectPath(kHkcu, L"", true);
  responder_.ClearRecords();
  Cmd(IDM_SHOW_PATH);
  ASSERT_NE(LastBox(), nullptr);
  EXPECT_EQ(LastBox()->text, L"HKEY_CURRENT_USER");
  EXPECT_EQ(LastBox()->caption, L"Current Path");
  EXPECT_EQ(LastBox()->style & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(LastBox()->owner, main_);
  EXPECT_EQ(ClipboardText(), L"HKEY_CURRENT_USER");

  Select(L"");
  responder_.ClearRecords();
  Cmd(IDM_COPY_PATH);
  EXPECT_TRUE(responder_.MessageBoxes().empty());
  EXPECT_EQ(ClipboardText(), L"HKEY_CURRENT_USER\\Software\\TamskTest");
}

TEST_F(TamskTest, RefreshKeepsTheKeyAndRowAndShowsNewKeys) {
  SetString(L"Refresh\\Inner", L"one", L"1");
  SetString(L"Refresh\\Inner", L"two", L"2");
  Select(L"Refresh\\Inner");
  SelectRowNamed(L"two");
  MakeKey(L"Refresh\\Later");
  Cmd(IDM_REFRESH);
  EXPECT_EQ(State().current.path, std::wstring(kTestPath) + L"\\Refresh\\Inner");
  ASSERT_GE(Values().SelectedRow(), 0);
  EXPECT_EQ(Cell(Values().SelectedRow(), 0), L"two");
  HTREEITEM refresh = TreeView_GetParent(Tree(), State().current.item);
  EXPECT_NE(Keys().FindChild(refresh, L"Later", true), nullptr);
}

TEST_F(TamskTest, AboutOpensFullScreenAndClosesOnOk) {
  bool seen = false;
  std::wstring text;
  DialogDriver driver(L"About", [&](HWND dialog) {
    seen = true;
    RECT rc;
    GetWindowRect(dialog, &rc);
    EXPECT_EQ(rc.right - rc.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_NE(SHFindMenuBar(dialog), nullptr);
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM p) -> BOOL {
          *reinterpret_cast<std::wstring*>(p) += testsupport::WindowText(child) + L"|";
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  responder_.SetLeaveUnmatched(true);
  Cmd(IDM_ABOUT);
  EXPECT_TRUE(seen);
  EXPECT_NE(text.find(L"Version 1.1"), std::wstring::npos) << testing::PrintToString(text);
  EXPECT_NE(text.find(L"Build 1.1.1.1510"), std::wstring::npos);
}

// The list's context menu greys Delete and Modify while no row is selected.
UINT g_menuStates[2];
bool g_menuSeen = false;
void CALLBACK InspectMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  KillTimer(nullptr, id);
  auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  g_menuSeen = menu != nullptr;
  if (menu) {
    g_menuStates[0] = GetMenuState(menu, IDM_DELETE, MF_BYCOMMAND);
    g_menuStates[1] = GetMenuState(menu, IDM_MODIFY, MF_BYCOMMAND);
  }
  EndMenu();
}

TEST_F(TamskTest, ListContextMenuGreysRowCommandsWithoutARow) {
  SetString(L"Ctx", L"v", L"1");
  Select(L"Ctx");
  RECT rc;
  GetWindowRect(List(), &rc);
  for (bool withRow : {false, true}) {
    Values().SelectRow(withRow ? 0 : -1);
    g_menuSeen = false;
    SetTimer(nullptr, 0, 50, InspectMenu);
    window_->ShowContextMenu(List(), POINT{rc.left + 10, rc.top + 10});
    ASSERT_TRUE(g_menuSeen);
    EXPECT_EQ((g_menuStates[0] & MF_GRAYED) != 0, !withRow);
    EXPECT_EQ((g_menuStates[1] & MF_GRAYED) != 0, !withRow);
  }
  EXPECT_TRUE(GetValue(L"Ctx", L"v"));  // a dismissed menu runs nothing
}

// The three templates of each dialog carry the same controls, identifiers and captions.
TEST(TamskResources, ThreeTemplatesOfEachDialogAgree) {
  using quintar::dialogs::FindDialogTemplate;
  struct Triple {
    int square, portrait, landscape;
  } triples[] = {{155, 154, 103}, {157, 114, 156}, {153, 124, 152}, {149, 126, 146},
                 {150, 147, 125}, {151, 127, 148}, {171, 141, 144}, {143, 128, 142}};
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (const Triple& t : triples) {
    std::vector<std::vector<int>> ids;
    for (int id : {t.square, t.portrait, t.landscape}) {
      auto bytes = FindDialogTemplate(module, MAKEINTRESOURCEW(id));
      ASSERT_FALSE(bytes.empty()) << id;
      auto layout = quintar::dialogs::ParseDialogTemplate(bytes);
      ASSERT_TRUE(layout) << id;
      std::vector<int> controls;
      for (const auto& control : layout->controls) {
        if (control.id != 0xFFFFu && control.id != 0xFFFFFFFFu) controls.push_back(static_cast<int>(control.id));
      }
      std::sort(controls.begin(), controls.end());
      ids.push_back(controls);
    }
    EXPECT_EQ(ids[0], ids[1]) << t.square;
    EXPECT_EQ(ids[0], ids[2]) << t.square;
  }
}

}  // namespace
}  // namespace tamsk_test

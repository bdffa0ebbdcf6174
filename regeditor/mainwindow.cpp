// The main window: its messages and commands dispatched through tables of (message, handler) and
// (identifier, handler) pairs; layout of the two panes and the splitter between stacked panes;
// tap-and-hold context menus.
#include <aygshell.h>
#include <windowsx.h>

#include <algorithm>

#include "regeditor/core/registry_text.h"
#include "regeditor/resource.h"
#include "regeditor/tamsk.h"
#include "suitemenu/suitemenu.h"
#include "win32/shell.h"
#include "win32/text.h"

namespace quintar::tamsk {

namespace {

constexpr int kSplitPercent = 55;
constexpr int kSplitterGap = 4;
constexpr int kMinPane = 10;

HWND CreatePane(HWND parent, HINSTANCE instance, const wchar_t* windowClass, DWORD style, int id) {
  return CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | style, 0, 0, 0, 0,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

MainWindow::~MainWindow() {
  if (hwnd()) DestroyWindow(hwnd());
}

std::span<const win32::MessageEntry<MainWindow>> MainWindow::Messages() {
  using M = MainWindow;
  static constexpr win32::MessageEntry<MainWindow> kMessages[] = {
      win32::On<&M::OnCreate>(WM_CREATE),
      win32::On<&M::OnSize>(WM_SIZE),
      win32::On<&M::OnNotify>(WM_NOTIFY),
      win32::On<&M::OnDestroy>(WM_DESTROY),
      win32::On<&M::OnNcDestroy>(WM_NCDESTROY),
      win32::On<&M::OnMouseMove>(WM_MOUSEMOVE),
      win32::On<&M::OnLButtonDown>(WM_LBUTTONDOWN),
      win32::On<&M::OnLButtonUp>(WM_LBUTTONUP),
      win32::On<&M::OnPaint>(WM_PAINT),
      win32::On<&M::OnCaptureChanged>(WM_CAPTURECHANGED),
      win32::On<&M::OnInitMenuPopup>(WM_INITMENUPOPUP),
      win32::On<&M::OnReopenListEdit>(MSG_REOPEN_LIST_EDIT),
      win32::On<&M::OnReopenTreeEdit>(MSG_REOPEN_TREE_EDIT),
      win32::On<&M::OnAfterKeyRename>(MSG_AFTER_KEY_RENAME),
  };
  return kMessages;
}

std::span<const win32::CommandEntry<MainWindow>> MainWindow::Commands() {
  using M = MainWindow;
  using win32::Command;
  static constexpr win32::CommandEntry<MainWindow> kCommands[] = {
      Command<&M::Via<&M::files_, &Files::Import>>(IDM_IMPORT),
      Command<&M::Via<&M::files_, &Files::Export>>(IDM_EXPORT),
      Command<&M::Via<&M::files_, &Files::ExportAll>>(IDM_EXPORT_ALL),
      Command<&M::Own<&M::Refresh>>(IDM_REFRESH),
      Command<&M::Own<&M::ShowPath>>(IDM_SHOW_PATH),
      Command<&M::Via<&M::files_, &Files::About>>(IDM_ABOUT),
      Command<&M::SuiteMenu>(IDM_HOW_TO_USE),
      Command<&M::SuiteMenu>(IDM_OTHER_1, IDM_OTHER_3),
      Command<&M::Exit>(IDM_EXIT),
      Command<&M::Via<&M::editing_, &Editing::NewKey>>(IDM_NEW_KEY),
      Command<&M::Via<&M::editing_, &Editing::NewString>>(IDM_NEW_STRING),
      Command<&M::Via<&M::editing_, &Editing::NewMulti>>(IDM_NEW_MULTI),
      Command<&M::Via<&M::editing_, &Editing::NewBinary>>(IDM_NEW_BINARY),
      Command<&M::Via<&M::editing_, &Editing::NewDword>>(IDM_NEW_DWORD),
      Command<&M::Via<&M::editing_, &Editing::Delete>>(IDM_DELETE),
      Command<&M::Rename>(IDM_RENAME),
      Command<&M::Via<&M::editing_, &Editing::Copy>>(IDM_COPY),
      Command<&M::Own<&M::CopyPath>>(IDM_COPY_PATH),
      Command<&M::Via<&M::editing_, &Editing::Paste>>(IDM_PASTE),
      Command<&M::Via<&M::finder_, &Finder::FindNext>>(IDM_FIND_NEXT),
      Command<&M::Via<&M::finder_, &Finder::Find>>(IDM_FIND),
      Command<&M::ArrangeBy>(IDM_ARRANGE_NAME),
      Command<&M::ArrangeBy>(IDM_ARRANGE_DATA),
      Command<&M::ArrangeBy>(IDM_ARRANGE_TYPE),
      Command<&M::Via<&M::editing_, &Editing::Modify>>(IDM_MODIFY),
  };
  return kCommands;
}

template <void (MainWindow::*Run)()>
void MainWindow::Own() {
  (this->*Run)();
  ReturnFocus();
}

template <auto Unit, auto Run>
void MainWindow::Via() {
  ((this->*Unit).*Run)();
  ReturnFocus();
}

// ---- Layout and splitter -------------------------------------------------------------------

void MainWindow::Layout(int w, int h) {
  stacked_ = GetSystemMetrics(SM_CXSCREEN) <= 479;
  if (stacked_) {
    int split = h * kSplitPercent / 100;
    MoveWindow(tree_.hwnd(), 0, 0, w, std::max(split - kSplitterGap, 0), TRUE);
    MoveWindow(list_.hwnd(), 0, split, w, std::max(h - split, 0), TRUE);
  } else {
    int split = w * kSplitPercent / 100;
    MoveWindow(tree_.hwnd(), 0, 0, std::max(split - kSplitterGap, 0), h, TRUE);
    MoveWindow(list_.hwnd(), split, 0, std::max(w - split, 0), h, TRUE);
  }
  list_.ResizeColumns(w);
}

RECT MainWindow::ChildRect(HWND child) const {
  RECT rc{};
  GetWindowRect(child, &rc);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

bool MainWindow::InSplitter(int y) const {
  if (!stacked_) return false;
  RECT tree = ChildRect(tree_.hwnd()), list = ChildRect(list_.hwnd());
  return y >= tree.bottom && y < list.top;
}

void MainWindow::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
}

// Moves the boundary to y (main window coordinates) while the stylus stays well inside.
void MainWindow::DragTo(int y) {
  RECT tree = ChildRect(tree_.hwnd()), list = ChildRect(list_.hwnd());
  if (y <= tree.top + kMinPane || y >= list.bottom) return;
  int treeHeight = std::max(static_cast<int>(y - tree.top - kSplitterGap / 2), kMinPane);
  RECT client;
  GetClientRect(hwnd(), &client);
  int listTop = tree.top + treeHeight + kSplitterGap;
  MoveWindow(tree_.hwnd(), tree.left, tree.top, tree.right - tree.left, treeHeight, TRUE);
  MoveWindow(list_.hwnd(), list.left, listTop, list.right - list.left, std::max<int>(client.bottom - listTop, 0),
             TRUE);
}

// The panes' own window procedures. The panes are subclassed the classic way: the common
// controls' subclass chain looks its data up in a window property on every message, which under
// Wine is a server round trip per message (ten thousand of them when a big key expands).
LRESULT MainWindow::CallPane(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam) const {
  WNDPROC original = pane == list_.hwnd() ? listProc_ : treeProc_;
  return original ? CallWindowProcW(original, pane, msg, wParam, lParam) : DefWindowProcW(pane, msg, wParam, lParam);
}

// Both panes: tap-and-hold opens their context menu, and a release over a pane ends a drag.
LRESULT CALLBACK MainWindow::PaneProc(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(pane, GWLP_USERDATA));
  if (!self) return DefWindowProcW(pane, msg, wParam, lParam);
  if (msg == WM_LBUTTONUP && self->dragging_) {
    self->EndDrag();
    return 0;
  }
  if (msg == WM_LBUTTONDOWN && !(wParam & (MK_CONTROL | MK_SHIFT)) && win32::IsTapAndHold(pane, win32::PointOf(lParam))) {
    return self->OnPaneTapAndHold(pane, lParam);
  }
  return self->CallPane(pane, msg, wParam, lParam);
}

LRESULT MainWindow::OnPaneTapAndHold(HWND pane, LPARAM lParam) {
  try {
    POINT down = win32::PointOf(lParam);
    SetFocus(pane);
    if (pane == list_.hwnd()) {
      LVHITTESTINFO hit{};
      hit.pt = down;
      int row = static_cast<int>(SendMessageW(pane, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (row >= 0) list_.SelectRow(row);
    } else {
      TVHITTESTINFO hit{};
      hit.pt = down;
      auto item = reinterpret_cast<HTREEITEM>(SendMessageW(pane, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (item && (hit.flags & TVHT_ONITEM)) TreeView_SelectItem(pane, item);
    }
    POINT screen = down;
    ClientToScreen(pane, &screen);
    ShowContextMenu(pane, screen);
  } catch (...) {
    // A pane's procedure is not the window's: nothing may leave it.
  }
  return 0;
}

// ---- Messages ------------------------------------------------------------------------------

LRESULT MainWindow::OnCreate(WPARAM, LPARAM) {
  try {
    menuBar_ = win32::CreateMenuBar(hwnd(), instance_, IDR_MAINMENU);
    tree_.Attach(CreatePane(hwnd(), instance_, WC_TREEVIEWW,
                            TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                            IDC_TREE));
    list_.Attach(CreatePane(hwnd(), instance_, WC_LISTVIEWW,
                            LVS_REPORT | LVS_EDITLABELS | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                            IDC_LIST));
    HWND tree = tree_.hwnd(), list = list_.hwnd();
    if (!tree || !list) return -1;
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    images_.reset(ImageList_LoadImageW(instance_, MAKEINTRESOURCEW(IDB_VALUES), 16, 0, RGB(255, 0, 255),
                                       IMAGE_BITMAP, LR_CREATEDIBSECTION));
    if (images_) {
      TreeView_SetImageList(tree, images_.get(), TVSIL_NORMAL);
      ListView_SetImageList(list, images_.get(), LVSIL_SMALL);
    }
    list_.SetupColumns();
    for (HWND pane : {tree, list}) SetWindowLongPtrW(pane, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const auto paneProc = reinterpret_cast<LONG_PTR>(&MainWindow::PaneProc);
    treeProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(tree, GWLP_WNDPROC, paneProc));
    listProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, paneProc));
    UpdateMenuStates();
    CheckArrange(state_.sortColumn);
    tree_.InsertRoots();
    SetFocus(tree);
    state_.focusedPane = tree;
    return 0;
  } catch (...) {
    return -1;  // out of memory: no window
  }
}

LRESULT MainWindow::OnSize(WPARAM, LPARAM lParam) {
  Layout(LOWORD(lParam), HIWORD(lParam));
  return 0;
}

LRESULT MainWindow::OnListNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_COLUMNCLICK: {
      int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
      list_.Sort(column);
      CheckArrange(column);
      return 0;
    }
    case NM_DBLCLK:
      if (reinterpret_cast<NMITEMACTIVATE*>(header)->iItem >= 0) PostMessageW(hwnd(), WM_COMMAND, IDM_MODIFY, 0);
      return 0;
    case NM_SETFOCUS:
      state_.focusedPane = list_.hwnd();
      return 0;
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      ShowContextMenu(list_.hwnd(), pt);
      return 0;
    }
    case LVN_ENDLABELEDITW:
      return editing_.OnListEndLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(header));
    default:
      return 0;
  }
}

LRESULT MainWindow::OnTreeNotify(NMHDR* header) {
  HWND tree = tree_.hwnd();
  switch (header->code) {
    case TVN_ITEMEXPANDINGW:
      tree_.OnExpanding(reinterpret_cast<NMTREEVIEWW*>(header));
      return FALSE;
    case TVN_ITEMEXPANDEDW:
      tree_.OnExpanded(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case TVN_GETDISPINFOW:
      tree_.OnGetDispInfo(reinterpret_cast<NMTVDISPINFOW*>(header));
      return 0;
    case TVN_SELCHANGEDW:
      tree_.OnSelChanged(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case TVN_DELETEITEMW:
      tree_.OnDeleteItem(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case NM_SETFOCUS:
      state_.focusedPane = tree;
      return 0;
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      TVHITTESTINFO hit{};
      hit.pt = pt;
      ScreenToClient(tree, &hit.pt);
      auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (item) TreeView_SelectItem(tree, item);
      ShowContextMenu(tree, pt);
      return 1;
    }
    case TVN_ENDLABELEDITW:
      return editing_.OnTreeEndLabelEdit(reinterpret_cast<NMTVDISPINFOW*>(header));
    default:
      return 0;
  }
}

LRESULT MainWindow::OnNotify(WPARAM, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header) return 0;
  if (header->idFrom == IDC_LIST && header->hwndFrom == list_.hwnd()) return OnListNotify(header);
  if (header->idFrom == IDC_TREE && header->hwndFrom == tree_.hwnd()) return OnTreeNotify(header);
  return 0;
}

LRESULT MainWindow::OnDestroy(WPARAM, LPARAM) {
  EndDrag();
  list_.Clear();
  state_.current = CurrentKey{};
  PostQuitMessage(0);
  return 0;
}

LRESULT MainWindow::OnNcDestroy(WPARAM wParam, LPARAM lParam) {
  // The panes are gone by now; the image list they shared goes with them.
  images_.reset();
  tree_.Attach(nullptr);
  list_.Attach(nullptr);
  menuBar_ = nullptr;
  return DefWindowProcW(hwnd(), WM_NCDESTROY, wParam, lParam);
}

LRESULT MainWindow::OnMouseMove(WPARAM, LPARAM lParam) {
  int y = GET_Y_LPARAM(lParam);
  if (dragging_) {
    DragTo(y);
  } else if (InSplitter(y)) {
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
  }
  return 0;
}

LRESULT MainWindow::OnLButtonDown(WPARAM, LPARAM lParam) {
  if (InSplitter(GET_Y_LPARAM(lParam))) {
    dragging_ = true;
    SetCapture(hwnd());
  }
  return 0;
}

LRESULT MainWindow::OnLButtonUp(WPARAM, LPARAM) {
  EndDrag();
  return 0;
}

LRESULT MainWindow::OnPaint(WPARAM, LPARAM) {
  win32::PaintDc paint(hwnd());
  return 0;
}

LRESULT MainWindow::OnCaptureChanged(WPARAM, LPARAM) {
  dragging_ = false;
  return 0;
}

LRESULT MainWindow::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
  UpdateMenuStates();
  return DefWindowProcW(hwnd(), WM_INITMENUPOPUP, wParam, lParam);
}

LRESULT MainWindow::OnReopenListEdit(WPARAM wParam, LPARAM) {
  editing_.ReopenListEdit(static_cast<int>(wParam));
  return 0;
}

LRESULT MainWindow::OnReopenTreeEdit(WPARAM, LPARAM lParam) {
  editing_.ReopenTreeEdit(reinterpret_cast<HTREEITEM>(lParam));
  return 0;
}

LRESULT MainWindow::OnAfterKeyRename(WPARAM, LPARAM lParam) {
  editing_.AfterKeyRename(reinterpret_cast<HTREEITEM>(lParam));
  return 0;
}

// ---- Menus ---------------------------------------------------------------------------------

HMENU MainWindow::MainMenu() const {
  return menuBar_ ? reinterpret_cast<HMENU>(SendMessageW(menuBar_, SHCMBM_GETMENU, 0, 0)) : nullptr;
}

void MainWindow::ShowKey(const CurrentKey& key) {
  state_.current = key;
  list_.Fill(key.root, key.path);
  UpdateMenuStates();
}

void MainWindow::UpdateMenuStates() {
  HMENU menu = MainMenu();
  if (!menu) return;
  EnableMenuItem(menu, IDM_COPY, MF_BYCOMMAND | (state_.current.root ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(menu, IDM_PASTE, MF_BYCOMMAND | (state_.hasCopied ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::CheckArrange(int column) {
  state_.sortColumn = column;
  if (HMENU menu = MainMenu()) {
    static constexpr int kIds[] = {IDM_ARRANGE_NAME, IDM_ARRANGE_DATA, IDM_ARRANGE_TYPE};
    for (int i = 0; i < 3; ++i) {
      CheckMenuItem(menu, kIds[i], MF_BYCOMMAND | (i == column ? MF_CHECKED : MF_UNCHECKED));
    }
  }
}

void MainWindow::ShowContextMenu(HWND pane, POINT screen) {
  bool onList = pane == list_.hwnd();
  win32::Menu menu(LoadMenuW(instance_, MAKEINTRESOURCEW(onList ? IDR_LIST_MENU : IDR_TREE_MENU)));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu.get(), 0);
  if (onList) {
    UINT state = MF_BYCOMMAND | (list_.SelectedRow() >= 0 ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(popup, IDM_DELETE, state);
    EnableMenuItem(popup, IDM_MODIFY, state);
  }
  state_.focusedPane = pane;
  UINT cmd = static_cast<UINT>(TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
                                                screen.x, screen.y, hwnd(), nullptr));
  menu.reset();
  if (cmd) SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
}

void MainWindow::ReturnFocus() {
  if (hwnd() && state_.focusedPane && IsWindow(state_.focusedPane)) SetFocus(state_.focusedPane);
}

HWND MainWindow::Create(HINSTANCE instance, int show) {
  instance_ = instance;
  WNDCLASSW wc{};
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TAMSK));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClass(wc)) return nullptr;
  // The device's default place for a main window: the visible desktop above the menu bar.
  SIPINFO sip{};
  sip.cbSize = sizeof sip;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (SipGetInfo(&sip) && sip.rcVisibleDesktop.right > sip.rcVisibleDesktop.left &&
      sip.rcVisibleDesktop.bottom > sip.rcVisibleDesktop.top) {
    area = sip.rcVisibleDesktop;
  }
  HWND window = Window::Create(0, kWindowClass, kWindowTitle, WS_POPUP | WS_CLIPCHILDREN, area, nullptr, instance);
  if (!window) return nullptr;
  RECT bar{};
  int barHeight = (menuBar_ && GetWindowRect(menuBar_, &bar)) ? bar.bottom - bar.top : 0;
  // Shortened by the menu bar so that both fit on the screen.
  SetWindowPos(window, nullptr, 0, 0, area.right - area.left, area.bottom - area.top - barHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window, show);
  UpdateWindow(window);
  SetFocus(tree_.hwnd());
  return window;
}

// ---- The commands of the window itself ------------------------------------------------------

namespace {

// The text of the current key, "HKEY_LOCAL_MACHINE\Software\Apps"; empty with no key selected.
std::wstring PathText(const CurrentKey& key) {
  if (key.rootName.empty()) return {};
  return win32::Wide(core::FullKeyText(win32::U16View(key.rootName), win32::U16View(key.path)));
}

}  // namespace

void MainWindow::ShowPath() {
  std::wstring text = PathText(state_.current);
  if (text.empty()) {
    win32::ShowMessage(hwnd(), L"Please select path!", L"Current Path", MB_OK | MB_ICONINFORMATION);
    return;
  }
  win32::ShowMessage(hwnd(), text, L"Current Path", MB_OK | MB_ICONINFORMATION);
  win32::PutClipboardText(hwnd(), text);
}

void MainWindow::CopyPath() {
  std::wstring text = PathText(state_.current);
  if (text.empty()) {
    win32::ShowMessage(hwnd(), L"Please select path!", L"Warning!", MB_OK | MB_ICONINFORMATION);
    return;
  }
  win32::PutClipboardText(hwnd(), text);
}

void MainWindow::Exit() { SendMessageW(hwnd(), WM_CLOSE, 0, 0); }

void MainWindow::SuiteMenu(int id) {
  namespace sm = suitemenu;
  static constexpr sm::Entry kEntries[] = {
      {IDM_OTHER_1, sm::Action::SwitchOnToday, nullptr},
      {IDM_OTHER_2, sm::Action::StartSibling, sm::kFolderonPath},
      {IDM_OTHER_3, sm::Action::CloseThenStartSibling, sm::kVorrelPath},
      {IDM_HOW_TO_USE, sm::Action::OpenManual, sm::kTamskManual},
  };
  const sm::Entry* entry = sm::Find(kEntries, id);
  if (!entry) return;
  // Posted: the window must outlive the command that closes it.
  sm::Run(*entry, hwnd(), [this] { PostMessageW(hwnd(), WM_CLOSE, 0, 0); });
  if (entry->action == sm::Action::OpenManual) ReturnFocus();
}

// The in-place edit keeps the focus it takes.
void MainWindow::Rename() { editing_.Rename(); }

void MainWindow::ArrangeBy(int id) {
  const int column = id == IDM_ARRANGE_NAME ? 0 : id == IDM_ARRANGE_DATA ? 1 : 2;
  CheckArrange(column);
  list_.Sort(column);
  ReturnFocus();
}

void MainWindow::Refresh() {
  std::wstring rowName;
  int row = list_.SelectedRow();
  if (Row* record = list_.RowAt(row)) rowName = record->name;
  CurrentKey remembered = state_.current;
  tree_.Rebuild();
  if (remembered.rootName.empty()) return;
  tree_.SelectPath(remembered.rootName, remembered.path, true);
  if (!rowName.empty() || row >= 0) {
    int index = list_.FindRowByName(rowName);
    if (index >= 0) list_.SelectRow(index);
  }
}

int RunMessageLoop() {
  MSG msg;
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace quintar::tamsk

// The main window: its messages and commands are dispatched through tables of (message,
// handler) and (identifier, handler) pairs; layout of the two panes and the splitter between
// stacked panes; tap-and-hold context menus.
#include <aygshell.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "regeditor/core/registry_text.h"
#include "resource.h"
#include "tamsk.h"

namespace tamsk {

namespace {

constexpr int kSplitPercent = 55;
constexpr int kSplitterGap = 4;
constexpr int kMinPane = 10;

using MessageHandler = LRESULT (*)(HWND, WPARAM, LPARAM);
using CommandHandler = void (*)(HWND);

struct MessageEntry {
  UINT message;
  MessageHandler handler;
};
struct CommandEntry {
  int id;
  CommandHandler handler;
};

// The suite menu's entries come with the suite-menu component; until then they are greyed
// and do nothing if reached anyway.
void CmdSuiteMenu(HWND) {}

void CmdArrangeName(HWND) {
  CheckArrange(0);
  SortList(0);
}
void CmdArrangeData(HWND) {
  CheckArrange(1);
  SortList(1);
}
void CmdArrangeType(HWND) {
  CheckArrange(2);
  SortList(2);
}

constexpr CommandEntry kCommands[] = {
    {IDM_IMPORT, CmdImport},
    {IDM_EXPORT, CmdExport},
    {IDM_EXPORT_ALL, CmdExportAll},
    {IDM_REFRESH, CmdRefresh},
    {IDM_SHOW_PATH, CmdShowPath},
    {IDM_ABOUT, CmdAbout},
    {IDM_HOW_TO_USE, CmdSuiteMenu},
    {IDM_OTHER_1, CmdSuiteMenu},
    {IDM_OTHER_2, CmdSuiteMenu},
    {IDM_OTHER_3, CmdSuiteMenu},
    {IDM_EXIT, CmdExit},
    {IDM_NEW_KEY, CmdNewKey},
    {IDM_NEW_STRING, CmdNewString},
    {IDM_NEW_MULTI, CmdNewMulti},
    {IDM_NEW_BINARY, CmdNewBinary},
    {IDM_NEW_DWORD, CmdNewDword},
    {IDM_DELETE, CmdDelete},
    {IDM_RENAME, CmdRename},
    {IDM_COPY, CmdCopy},
    {IDM_COPY_PATH, CmdCopyPath},
    {IDM_PASTE, CmdPaste},
    {IDM_FIND_NEXT, CmdFindNext},
    {IDM_FIND, CmdFind},
    {IDM_ARRANGE_NAME, CmdArrangeName},
    {IDM_ARRANGE_DATA, CmdArrangeData},
    {IDM_ARRANGE_TYPE, CmdArrangeType},
    {IDM_MODIFY, CmdModify},
};

// ---- Layout and splitter -------------------------------------------------------------------

void Layout(int w, int h) {
  App& app = TheApp();
  app.stacked = GetSystemMetrics(SM_CXSCREEN) <= 479;
  if (app.stacked) {
    int split = h * kSplitPercent / 100;
    MoveWindow(app.tree, 0, 0, w, std::max(split - kSplitterGap, 0), TRUE);
    MoveWindow(app.list, 0, split, w, std::max(h - split, 0), TRUE);
  } else {
    int split = w * kSplitPercent / 100;
    MoveWindow(app.tree, 0, 0, std::max(split - kSplitterGap, 0), h, TRUE);
    MoveWindow(app.list, split, 0, std::max(w - split, 0), h, TRUE);
  }
  ResizeListColumns(w);
}

RECT ChildRect(HWND child) {
  RECT rc{};
  GetWindowRect(child, &rc);
  MapWindowPoints(nullptr, TheApp().main, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

bool InSplitter(int y) {
  App& app = TheApp();
  if (!app.stacked) return false;
  RECT tree = ChildRect(app.tree), list = ChildRect(app.list);
  return y >= tree.bottom && y < list.top;
}

void EndDrag() {
  App& app = TheApp();
  if (!app.dragging) return;
  app.dragging = false;
  if (GetCapture() == app.main) ReleaseCapture();
}

// Moves the boundary to y (main window coordinates) while the stylus stays well inside.
void DragTo(int y) {
  App& app = TheApp();
  RECT tree = ChildRect(app.tree), list = ChildRect(app.list);
  if (y <= tree.top + kMinPane || y >= list.bottom) return;
  int treeHeight = std::max(static_cast<int>(y - tree.top - kSplitterGap / 2), kMinPane);
  RECT client;
  GetClientRect(app.main, &client);
  int listTop = tree.top + treeHeight + kSplitterGap;
  MoveWindow(app.tree, tree.left, tree.top, tree.right - tree.left, treeHeight, TRUE);
  MoveWindow(app.list, list.left, listTop, list.right - list.left, std::max<int>(client.bottom - listTop, 0), TRUE);
}

// The panes' own window procedures. The panes are subclassed the classic way: the common
// controls' subclass chain looks its data up in a window property on every message, which under
// Wine is a server round trip per message (ten thousand of them when a big key expands).
WNDPROC g_treeProc = nullptr;
WNDPROC g_listProc = nullptr;

LRESULT CallPane(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC original = hwnd == TheApp().list ? g_listProc : g_treeProc;
  return original ? CallWindowProcW(original, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Both panes: tap-and-hold opens their context menu, and a release over a pane ends a drag.
LRESULT CALLBACK PaneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  App& app = TheApp();
  if (msg == WM_LBUTTONUP && app.dragging) {
    EndDrag();
    return 0;
  }
  if (msg == WM_LBUTTONDOWN && !(wParam & (MK_CONTROL | MK_SHIFT))) {
    SHRGINFO info{};
    info.cbSize = sizeof info;
    info.hwndClient = hwnd;
    info.ptDown = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    info.dwFlags = SHRG_RETURNCMD;
    if (SHRecognizeGesture(&info) == GN_CONTEXTMENU) {
      try {
        SetFocus(hwnd);
        if (hwnd == app.list) {
          LVHITTESTINFO hit{};
          hit.pt = info.ptDown;
          int row = static_cast<int>(SendMessageW(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
          if (row >= 0) SelectRow(row);
        } else {
          TVHITTESTINFO hit{};
          hit.pt = info.ptDown;
          auto item = reinterpret_cast<HTREEITEM>(SendMessageW(hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
          if (item && (hit.flags & TVHT_ONITEM)) TreeView_SelectItem(hwnd, item);
        }
        POINT screen = info.ptDown;
        ClientToScreen(hwnd, &screen);
        ShowContextMenu(hwnd, screen);
      } catch (...) {
      }
      return 0;
    }
  }
  return CallPane(hwnd, msg, wParam, lParam);
}

// ---- Messages ------------------------------------------------------------------------------

LRESULT OnCreate(HWND hwnd, WPARAM, LPARAM) {
  App& app = TheApp();
  app.main = hwnd;
  SHMENUBARINFO mbi{};
  mbi.cbSize = sizeof mbi;
  mbi.hwndParent = hwnd;
  mbi.nToolBarId = IDR_MAINMENU;
  mbi.hInstRes = app.instance;
  if (SHCreateMenuBar(&mbi)) app.menuBar = mbi.hwndMB;

  app.tree =
      CreateWindowExW(0, WC_TREEVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                          TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                      0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE)), app.instance, nullptr);
  app.list =
      CreateWindowExW(0, WC_LISTVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_EDITLABELS | LVS_SINGLESEL |
                          LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                      0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LIST)), app.instance, nullptr);
  if (!app.tree || !app.list) return -1;
  ListView_SetExtendedListViewStyle(app.list, LVS_EX_FULLROWSELECT);
  app.images = ImageList_LoadImageW(app.instance, MAKEINTRESOURCEW(IDB_VALUES), 16, 0, RGB(255, 0, 255), IMAGE_BITMAP,
                                    LR_CREATEDIBSECTION);
  if (app.images) {
    TreeView_SetImageList(app.tree, app.images, TVSIL_NORMAL);
    ListView_SetImageList(app.list, app.images, LVSIL_SMALL);
  }
  SetupListColumns();
  g_treeProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(app.tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneProc)));
  g_listProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(app.list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneProc)));
  UpdateMenuStates();
  CheckArrange(app.sortColumn);
  InsertRoots();
  SetFocus(app.tree);
  app.focusedPane = app.tree;
  return 0;
}

LRESULT OnSize(HWND, WPARAM, LPARAM lParam) {
  Layout(LOWORD(lParam), HIWORD(lParam));
  return 0;
}

LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM) {
  int id = LOWORD(wParam);
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == id) {
      entry.handler(hwnd);
      if (id != IDM_EXIT && id != IDM_RENAME && IsWindow(hwnd)) ReturnFocus();
      return 0;
    }
  }
  return DefWindowProcW(hwnd, WM_COMMAND, wParam, 0);
}

LRESULT OnListNotify(NMHDR* header) {
  App& app = TheApp();
  switch (header->code) {
    case LVN_COLUMNCLICK: {
      int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
      SortList(column);
      CheckArrange(column);
      return 0;
    }
    case NM_DBLCLK:
      if (reinterpret_cast<NMITEMACTIVATE*>(header)->iItem >= 0) PostMessageW(app.main, WM_COMMAND, IDM_MODIFY, 0);
      return 0;
    case NM_SETFOCUS:
      app.focusedPane = app.list;
      return 0;
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      ShowContextMenu(app.list, pt);
      return 0;
    }
    case LVN_ENDLABELEDITW:
      return OnListEndLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(header));
    default:
      return 0;
  }
}

LRESULT OnTreeNotify(NMHDR* header) {
  App& app = TheApp();
  switch (header->code) {
    case TVN_ITEMEXPANDINGW:
      OnTreeExpanding(reinterpret_cast<NMTREEVIEWW*>(header));
      return FALSE;
    case TVN_ITEMEXPANDEDW:
      OnTreeExpanded(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case TVN_GETDISPINFOW:
      OnTreeGetDispInfo(reinterpret_cast<NMTVDISPINFOW*>(header));
      return 0;
    case TVN_SELCHANGEDW:
      OnTreeSelChanged(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case TVN_DELETEITEMW:
      OnTreeDeleteItem(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case NM_SETFOCUS:
      app.focusedPane = app.tree;
      return 0;
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      TVHITTESTINFO hit{};
      hit.pt = pt;
      ScreenToClient(app.tree, &hit.pt);
      auto item = reinterpret_cast<HTREEITEM>(SendMessageW(app.tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (item) TreeView_SelectItem(app.tree, item);
      ShowContextMenu(app.tree, pt);
      return 1;
    }
    case TVN_ENDLABELEDITW:
      return OnTreeEndLabelEdit(reinterpret_cast<NMTVDISPINFOW*>(header));
    default:
      return 0;
  }
}

LRESULT OnNotify(HWND, WPARAM, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header) return 0;
  App& app = TheApp();
  if (header->idFrom == IDC_LIST && header->hwndFrom == app.list) return OnListNotify(header);
  if (header->idFrom == IDC_TREE && header->hwndFrom == app.tree) return OnTreeNotify(header);
  return 0;
}

LRESULT OnDestroy(HWND, WPARAM, LPARAM) {
  App& app = TheApp();
  EndDrag();
  if (app.list) ListView_DeleteAllItems(app.list);
  app.rows.clear();
  app.current = CurrentKey{};
  PostQuitMessage(0);
  return 0;
}

LRESULT OnNcDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  App& app = TheApp();
  // The panes are gone by now; the image list they shared goes with them.
  if (app.images) ImageList_Destroy(app.images);
  app.images = nullptr;
  app.tree = app.list = app.menuBar = nullptr;
  app.main = nullptr;
  return DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
}

LRESULT OnMouseMove(HWND, WPARAM, LPARAM lParam) {
  App& app = TheApp();
  int y = GET_Y_LPARAM(lParam);
  if (app.dragging) {
    DragTo(y);
  } else if (InSplitter(y)) {
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
  }
  return 0;
}

LRESULT OnLButtonDown(HWND hwnd, WPARAM, LPARAM lParam) {
  App& app = TheApp();
  if (InSplitter(GET_Y_LPARAM(lParam))) {
    app.dragging = true;
    SetCapture(hwnd);
  }
  return 0;
}

LRESULT OnLButtonUp(HWND, WPARAM, LPARAM) {
  EndDrag();
  return 0;
}

LRESULT OnPaint(HWND hwnd, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
  return 0;
}

LRESULT OnCaptureChanged(HWND, WPARAM, LPARAM) {
  TheApp().dragging = false;
  return 0;
}

LRESULT OnInitMenuPopup(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  UpdateMenuStates();
  return DefWindowProcW(hwnd, WM_INITMENUPOPUP, wParam, lParam);
}

LRESULT ReopenListEdit(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  return HandleEditingMessage(hwnd, kReopenListEdit, wParam, lParam);
}
LRESULT ReopenTreeEdit(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  return HandleEditingMessage(hwnd, kReopenTreeEdit, wParam, lParam);
}
LRESULT AfterKeyRename(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  return HandleEditingMessage(hwnd, kAfterKeyRename, wParam, lParam);
}

constexpr MessageEntry kMessages[] = {
    {WM_CREATE, OnCreate},
    {WM_SIZE, OnSize},
    {WM_COMMAND, OnCommand},
    {WM_NOTIFY, OnNotify},
    {WM_DESTROY, OnDestroy},
    {WM_NCDESTROY, OnNcDestroy},
    {WM_MOUSEMOVE, OnMouseMove},
    {WM_LBUTTONDOWN, OnLButtonDown},
    {WM_LBUTTONUP, OnLButtonUp},
    {WM_PAINT, OnPaint},
    {WM_CAPTURECHANGED, OnCaptureChanged},
    {WM_INITMENUPOPUP, OnInitMenuPopup},
    {kReopenListEdit, ReopenListEdit},
    {kReopenTreeEdit, ReopenTreeEdit},
    {kAfterKeyRename, AfterKeyRename},
};

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  for (const MessageEntry& entry : kMessages) {
    if (entry.message != msg) continue;
    try {
      return entry.handler(hwnd, wParam, lParam);
    } catch (...) {
      // Out of memory in a handler: this message is dropped, the window lives on.
      return msg == WM_CREATE ? -1 : 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HMENU MainMenu() {
  App& app = TheApp();
  return app.menuBar ? reinterpret_cast<HMENU>(SendMessageW(app.menuBar, SHCMBM_GETMENU, 0, 0)) : nullptr;
}

}  // namespace

App& TheApp() {
  static App app;
  return app;
}

void UpdateMenuStates() {
  App& app = TheApp();
  HMENU menu = MainMenu();
  if (!menu) return;
  EnableMenuItem(menu, IDM_COPY, MF_BYCOMMAND | (app.current.root ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(menu, IDM_PASTE, MF_BYCOMMAND | (app.hasCopied ? MF_ENABLED : MF_GRAYED));
}

void CheckArrange(int column) {
  App& app = TheApp();
  app.sortColumn = column;
  if (HMENU menu = MainMenu()) {
    static constexpr int kIds[] = {IDM_ARRANGE_NAME, IDM_ARRANGE_DATA, IDM_ARRANGE_TYPE};
    for (int i = 0; i < 3; ++i) {
      CheckMenuItem(menu, kIds[i], MF_BYCOMMAND | (i == column ? MF_CHECKED : MF_UNCHECKED));
    }
  }
}

void ShowContextMenu(HWND pane, POINT screen) {
  App& app = TheApp();
  bool onList = pane == app.list;
  HMENU menu = LoadMenuW(app.instance, MAKEINTRESOURCEW(onList ? IDR_LIST_MENU : IDR_TREE_MENU));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  if (onList) {
    UINT state = MF_BYCOMMAND | (SelectedRow() >= 0 ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(popup, IDM_DELETE, state);
    EnableMenuItem(popup, IDM_MODIFY, state);
  }
  app.focusedPane = pane;
  UINT cmd = static_cast<UINT>(TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
                                                screen.x, screen.y, app.main, nullptr));
  DestroyMenu(menu);
  if (cmd) SendMessageW(app.main, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
}

void ReturnFocus() {
  App& app = TheApp();
  if (app.focusedPane && IsWindow(app.focusedPane)) SetFocus(app.focusedPane);
}

HWND CreateMainWindow(HINSTANCE instance, int show) {
  App& app = TheApp();
  app.instance = instance;
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, kWindowClass, &wc)) {
    wc = WNDCLASSW{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TAMSK));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassW(&wc)) return nullptr;
  }
  // The device's default place for a main window: the visible desktop above the menu bar.
  SIPINFO sip{};
  sip.cbSize = sizeof sip;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (SipGetInfo(&sip) && sip.rcVisibleDesktop.right > sip.rcVisibleDesktop.left &&
      sip.rcVisibleDesktop.bottom > sip.rcVisibleDesktop.top) {
    area = sip.rcVisibleDesktop;
  }
  HWND hwnd = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_POPUP | WS_CLIPCHILDREN, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  RECT bar{};
  int barHeight = (app.menuBar && GetWindowRect(app.menuBar, &bar)) ? bar.bottom - bar.top : 0;
  // Shortened by the menu bar so that both fit on the screen.
  SetWindowPos(hwnd, nullptr, 0, 0, area.right - area.left, area.bottom - area.top - barHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  SetFocus(app.tree);
  return hwnd;
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

// ---- The commands that only show or copy ---------------------------------------------------

namespace {

// The text of the current key, "HKEY_LOCAL_MACHINE\Software\Apps"; empty with no key selected.
std::wstring CurrentPathText() {
  const CurrentKey& key = TheApp().current;
  if (key.rootName.empty()) return {};
  return Wide(quintar::tamsk::FullKeyText(U16(key.rootName), U16(key.path)));
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool done = false;
  SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HLOCAL memory = LocalAlloc(LMEM_FIXED, bytes)) {
    memcpy(memory, text.c_str(), bytes);
    done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!done) LocalFree(memory);
  }
  CloseClipboard();
  return done;
}

}  // namespace

void CmdShowPath(HWND hwnd) {
  std::wstring text = CurrentPathText();
  if (text.empty()) {
    Message(hwnd, L"Please select path!", L"Current Path", MB_OK | MB_ICONINFORMATION);
    return;
  }
  Message(hwnd, text, L"Current Path", MB_OK | MB_ICONINFORMATION);
  PutOnClipboard(hwnd, text);
}

void CmdCopyPath(HWND hwnd) {
  std::wstring text = CurrentPathText();
  if (text.empty()) {
    Message(hwnd, L"Please select path!", L"Warning!", MB_OK | MB_ICONINFORMATION);
    return;
  }
  PutOnClipboard(hwnd, text);
}

void CmdExit(HWND hwnd) { SendMessageW(hwnd, WM_CLOSE, 0, 0); }

void CmdRefresh(HWND) {
  App& app = TheApp();
  std::wstring rowName;
  int row = SelectedRow();
  if (Row* record = RowAt(row)) rowName = record->name;
  CurrentKey remembered = app.current;
  RebuildTree();
  if (remembered.rootName.empty()) return;
  SelectPath(remembered.rootName, remembered.path, true);
  if (!rowName.empty() || row >= 0) {
    int index = FindRowByName(rowName);
    if (index >= 0) SelectRow(index);
  }
}

}  // namespace tamsk

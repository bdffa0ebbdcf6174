#include "mainframe.h"

#include <ceservices.h>
#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <new>

#include "fileops/fileops.h"
#include "filemanager/core/favorites.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/startup.h"
#include "filemanager/core/status.h"
#include "resource.h"
#include "settings.h"
#include "userpathdialog.h"
#include "winutil.h"



namespace folderon {

namespace qf = quintar::folderon;

namespace {

// Commands that work in this build; every other menu command stays disabled until its feature
// exists, and a command that reaches the window anyway (a key, another program) is dropped.
constexpr int kBuiltCommands[] = {
    IDM_UP,          IDM_REFRESH,        IDM_BACK,           IDM_FORWARD,          IDM_ADDRESS_BAR,
    IDM_STATUS_BAR,  IDM_VERTICAL_LAYOUT, IDM_VIEW_LARGE,    IDM_VIEW_MEDIUM,      IDM_VIEW_SMALL,
    IDM_VIEW_DETAILED, IDM_VIEW_DETAILED_LINE, IDM_SORT_NAME, IDM_SORT_TYPE,       IDM_SORT_SIZE,
    IDM_SORT_DATE,   IDM_SORT_REVERSE,   IDM_LIST_STYLE,     IDM_SELECT_ALL,       IDM_REVERSE_SELECTION,
    IDM_RELEASE_SELECTION, IDM_EXIT,     IDM_OPEN,           IDM_FOCUS_NEXT,       IDM_FOCUS_PREV,
    IDM_GOTO,        IDM_GOTO_ROOT,      IDM_GOTO_MYDOCUMENTS, IDM_GOTO_STARTMENU, IDM_GOTO_DESKTOP,
    IDM_COPY_NAME,   IDM_COPY_PATH,      IDM_FOLDER,           IDM_USER_PATH,      IDM_FAVORITES_ORGANIZE,
    IDM_RENAME,      IDM_NEW_FOLDER,
};

bool IsBuilt(int id) {
  for (int built : kBuiltCommands) {
    if (built == id) return true;
  }
  return false;
}

// Every command item of a menu and its submenus.
template <typename F>
void ForEachItem(HMENU menu, F&& f) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
    if (info.hSubMenu) {
      ForEachItem(info.hSubMenu, f);
    } else if (!(info.fType & MFT_SEPARATOR)) {
      f(menu, static_cast<int>(info.wID));
    }
  }
}

// The command code of Up One Level when it came from Backspace in the tree.
constexpr int kTreeBackspace = 2;

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

std::wstring SpecialFolder(int csidl, const wchar_t* fallback) {
  wchar_t buffer[MAX_PATH] = {};
  if (CeGetSpecialFolderPath(nullptr, buffer, csidl, FALSE) && buffer[0]) return buffer;
  return fallback;
}

std::wstring Leaf(const std::wstring& path) { return Wide(qf::LeafName(U16(path))); }

int MenuPosition(HMENU menu, UINT id) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (GetMenuItemID(menu, i) == id) return i;
  }
  return -1;
}

// The entries of a device folder in enumeration order, for the Favorites menu.
std::vector<qf::FolderItem> ListFolder(std::u16string_view folder) {
  std::vector<qf::FolderItem> items;
  auto pattern = qf::FindPattern(folder);
  if (!pattern) return items;
  WIN32_FIND_DATAW data{};
  HANDLE find = CeFindFirstFile(Wide(*pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return items;
  do {
    items.push_back(qf::FolderItem{U16(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (CeFindNextFile(find, &data));
  CeFindClose(find);
  return items;
}

// Favorites run up to the first fixed command above them.
constexpr int kFavoriteLimit = IDM_VIEW_MEDIUM;

void AppendFavorites(HMENU menu, const std::vector<qf::FavoriteMenuItem>& items) {
  for (const auto& item : items) {
    if (!item.IsSubmenu() && item.command >= kFavoriteLimit) continue;
    std::wstring caption = Wide(item.caption);
    if (item.IsSubmenu()) {
      HMENU sub = CreatePopupMenu();
      if (!sub) continue;
      AppendFavorites(sub, item.children);
      if (!AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), caption.c_str())) DestroyMenu(sub);
    } else {
      AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command), caption.c_str());
    }
  }
}

}  // namespace

MainFrame::~MainFrame() {
  if (paneFont_) DeleteObject(paneFont_);
  if (contextMenus_) DestroyMenu(contextMenus_);
}

void MainFrame::SetSpecialFolderDefaults() {
  special_.windows = L"\\Windows";
  special_.network = L"\\Network";
  special_.myDocuments = SpecialFolder(CSIDL_PERSONAL, L"\\My Documents");
  special_.startMenu = SpecialFolder(CSIDL_STARTMENU, L"\\Windows\\Start Menu");
  special_.favorites = SpecialFolder(CSIDL_FAVORITES, L"\\Windows\\Favorites");
}

void MainFrame::LoadSettings() {
  RegKey key(kSettingsKey);
  key.ReadDword(L"TreeViewWidth", settings_.treeViewWidth);
  key.ReadDword(L"TreeViewHeight", settings_.treeViewHeight);
  key.ReadDword(L"ShowStatusWnd", settings_.showStatusWnd);
  key.ReadDword(L"ShowFolder", settings_.showFolder);
  key.ReadDword(L"ViewSide", settings_.viewSide);
  key.ReadDword(L"DragDrop", settings_.dragDrop);
  key.ReadDword(L"CheckQAdd", settings_.checkQAdd);
  key.ReadDword(L"OverLapped", settings_.overLapped);
  key.ReadDword(L"ContextMenu", settings_.contextMenu);
  key.ReadDword(L"FontChange", settings_.fontChange);
  key.ReadDword(L"FontSize", settings_.fontSize);
  key.ReadString(L"FontName", settings_.fontName, 127);
  key.ReadString(L"FavoritesPath", special_.favorites);
  key.ReadString(L"DesktopPath", special_.desktop);
  key.ReadString(L"StartMenuPath", special_.startMenu);
  key.ReadString(L"MyDocumentPath", special_.myDocuments);
  key.ReadString(L"NetworkPath", special_.network);
  key.ReadString(L"SendAppPath", settings_.sendAppPath);
  DWORD count = 0;
  key.ReadDword(L"OpenPthInfoCount", count);
  std::vector<std::u16string> values;
  for (DWORD n = 0; n < count && n < qf::kMaxUserPaths; ++n) {
    std::wstring value;
    key.ReadString(Wide(qf::UserPathValueName(static_cast<int>(n))).c_str(), value);
    values.push_back(U16(value));
  }
  userPaths_.Load(count, values);
}

void MainFrame::SaveSettings() const {
  RegKey key(kSettingsKey);
  key.WriteDword(L"TreeViewWidth", settings_.treeViewWidth);
  key.WriteDword(L"TreeViewHeight", settings_.treeViewHeight);
  key.WriteDword(L"ShowStatusWnd", settings_.showStatusWnd);
  key.WriteDword(L"ShowFolder", settings_.showFolder);
  key.WriteDword(L"ViewSide", settings_.viewSide);
  key.WriteDword(L"DragDrop", settings_.dragDrop);
  key.WriteDword(L"CheckQAdd", settings_.checkQAdd);
  key.WriteDword(L"OverLapped", settings_.overLapped);
  key.WriteDword(L"ContextMenu", settings_.contextMenu);
  key.WriteDword(L"FontChange", settings_.fontChange);
  key.WriteDword(L"FontSize", settings_.fontSize);
  key.WriteString(L"FontName", settings_.fontName);
  key.WriteString(L"FavoritesPath", special_.favorites);
  key.WriteString(L"DesktopPath", special_.desktop);
  key.WriteString(L"StartMenuPath", special_.startMenu);
  key.WriteString(L"MyDocumentPath", special_.myDocuments);
  key.WriteString(L"NetworkPath", special_.network);
  key.WriteString(L"SendAppPath", settings_.sendAppPath);
  const auto& paths = userPaths_.Items();
  key.WriteDword(L"OpenPthInfoCount", static_cast<DWORD>(paths.size()));
  for (size_t n = 0; n < qf::kMaxUserPaths; ++n) {
    std::wstring name = Wide(qf::UserPathValueName(static_cast<int>(n)));
    if (n < paths.size()) {
      key.WriteString(name.c_str(), Wide(paths[n]));
    } else {
      key.DeleteValue(name.c_str());
    }
  }
}

int MainFrame::Run(HINSTANCE instance, const std::wstring& startFolder) {
  instance_ = instance;
  startFolder_ = startFolder;
  DecimalSeparator();
  watcher_.Start();

  SIPINFO sip{};
  sip.cbSize = sizeof sip;
  if (SipGetInfo(&sip)) lastSipFlags_ = sip.fdwFlags;
  {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    RegKey program(kProgramKey);
    program.WriteFixedString(L"Path", self, 520);
  }
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&version)) osVersion_ = static_cast<int>(version.dwMajorVersion * 100 + version.dwMinorVersion);
#pragma GCC diagnostic pop
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  highResolution_ = osVersion_ > 420 && GetSystemMetrics(SM_CYMENU) == 52 &&
                    ((cx == 480 && cy == 640) || (cx == 640 && cy == 480));
  SetSpecialFolderDefaults();
  LoadSettings();
  list_.SetSpecialLeaves(SpecialLeaves{Leaf(special_.network), Leaf(special_.myDocuments), Leaf(special_.startMenu)});

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FOLDERON), IMAGE_ICON, 32, 32, 0));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FOLDERON), IMAGE_ICON, 16, 16, 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc)) {
    watcher_.Stop();
    return 1;
  }
  RECT area = sip.rcVisibleDesktop;
  if (area.right <= area.left || area.bottom <= area.top) area = RECT{0, 0, cx, cy};
  hwnd_ = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, area.left, area.top,
                          area.right - area.left, area.bottom - area.top, nullptr, nullptr, instance, this);
  if (!hwnd_) {
    watcher_.Stop();
    return 1;
  }
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(wc.hIconSm));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(wc.hIcon));
  watcher_.SetTarget(hwnd_);

  if (!CreateChildren()) {
    DestroyWindow(hwnd_);
    watcher_.Stop();
    return 1;
  }
  // Leave room for the menu bar below the window.
  SetWindowPos(hwnd_, nullptr, 0, 0, area.right - area.left, area.bottom - area.top - bands_.MenuHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyFont();

  if (settings_.overLapped) {
    if (showState_ > 2) showState_ -= 90;
    if (showState_ == 0) {
      ShowWindow(hwnd_, SW_SHOW);
      ShowWindow(hwnd_, SW_MINIMIZE);
    } else if (showState_ == 1) {
      ShowWindow(hwnd_, SW_SHOWNORMAL);
    } else {
      showState_ = 2;
      ShowWindow(hwnd_, SW_SHOW);
      ShowWindow(hwnd_, SW_MAXIMIZE);
    }
  } else {
    ShowWindow(hwnd_, SW_SHOW);
  }
  ShowWindow(status_, settings_.showStatusWnd ? SW_SHOW : SW_HIDE);
  Layout();
  SetFocus(list_.Window());
  list_.Navigate(list_.StartFolder());
  UpdateWindow(hwnd_);

  HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  MSG msg;
  int code = 0;
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      code = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) {
      code = 1;
      break;
    }
    if (hwnd_ && accelerators && TranslateAcceleratorW(hwnd_, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  watcher_.Stop();
  return code;
}

bool MainFrame::CreateChildren() {
  if (!bands_.Create(hwnd_, instance_)) return false;
  UpdateMenuMarks();
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN), 0,
                            hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS)), instance_, nullptr);
  if (!status_) return false;
  // The layout places the status pane; it must not move itself to the window's bottom edge.
  SetWindowLongPtrW(status_, GWL_STYLE, GetWindowLongPtrW(status_, GWL_STYLE) | CCS_NORESIZE | CCS_NOPARENTALIGN);
  if (!list_.Create(hwnd_, instance_, startFolder_)) return false;
  tree_.SetSpecialLeaves(Leaf(special_.startMenu), Leaf(special_.network), Leaf(special_.myDocuments));
  if (!tree_.Create(hwnd_, instance_, settings_.showFolder != 0)) return false;
  contextMenus_ = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_CONTEXTMENUS));
  RebuildUserPathMenu();
  RebuildFavoritesMenu();
  // Classic subclassing: the common controls' subclass chain looks a window property up on
  // every message, which costs a server round trip per inserted row under Wine.
  SetWindowLongPtrW(list_.Window(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(tree_.Window(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  listProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneProc)));
  treeProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(tree_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneProc)));
  focusedPane_ = list_.Window();
  UpdateCommandStates();
  return true;
}

void MainFrame::ApplyFont() {
  HFONT font = nullptr;
  if (settings_.fontChange) {
    LOGFONTW lf{};
    HDC dc = GetDC(hwnd_);
    lf.lfHeight = GetDeviceCaps(dc, LOGPIXELSY) * static_cast<int>(settings_.fontSize) / 72;
    ReleaseDC(hwnd_, dc);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, settings_.fontName.c_str(), LF_FACESIZE);
    font = CreateFontIndirectW(&lf);
  }
  // The device's system font is its plain interface font; the desktop's SYSTEM_FONT is a bold
  // bitmap face, and DEFAULT_GUI_FONT is the desktop's equivalent of the device's.
  WPARAM chosen = reinterpret_cast<WPARAM>(font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  SendMessageW(list_.Window(), WM_SETFONT, chosen, TRUE);
  if (tree_.Window()) SendMessageW(tree_.Window(), WM_SETFONT, chosen, TRUE);
  if (paneFont_) DeleteObject(paneFont_);
  paneFont_ = font;
}

void MainFrame::Layout() {
  if (!hwnd_) return;
  SIPINFO sip{};
  sip.cbSize = sizeof sip;
  RECT client{};
  GetClientRect(hwnd_, &client);
  int width = client.right, height = client.bottom;
  bool sipUp = false;
  if (SipGetInfo(&sip)) {
    sipUp = (sip.fdwFlags & SIPF_ON) != 0;
    width = sip.rcVisibleDesktop.right - sip.rcVisibleDesktop.left;
    height = sip.rcVisibleDesktop.bottom - sip.rcVisibleDesktop.top;
    if (!sipUp) height -= bands_.MenuHeight() + 3;
  }
  qf::LayoutInput in;
  in.width = width;
  in.height = height;
  in.addressShown = bands_.AddressShown();
  in.addressHeight = bands_.AddressHeight();
  in.statusShown = settings_.showStatusWnd != 0;
  RECT statusRect{};
  if (status_) GetWindowRect(status_, &statusRect);
  in.statusHeight = statusRect.bottom - statusRect.top;
  in.treeShown = TreeShown();
  in.sideBySide = settings_.viewSide != 0;
  in.treeWidth = static_cast<int>(settings_.treeViewWidth);
  in.treeHeight = static_cast<int>(settings_.treeViewHeight);
  qf::LayoutResult out = qf::ComputeLayout(in);
  auto place = [](HWND hwnd, const qf::Rect& r) {
    if (hwnd && r.Width() > 0 && r.Height() > 0) {
      SetWindowPos(hwnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
  };
  if (in.addressShown) place(bands_.AddressBand(), out.address);
  if (in.statusShown) place(status_, out.status);
  if (in.treeShown) place(tree_.Window(), out.tree);
  place(list_.Window(), out.list);
  // Moved panes keep stale pixels where their old rectangles overlapped: paint them anew.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  if (sipUp) {
    int focused = static_cast<int>(SendMessageW(list_.Window(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0) SendMessageW(list_.Window(), LVM_ENSUREVISIBLE, focused, FALSE);
  }
}

void MainFrame::ShowLoading() {
  if (!status_) return;
  int right = -1;
  SendMessageW(status_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
  SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(reinterpret_cast<const wchar_t*>(qf::kLoadingText.data())));
}

void MainFrame::ShowStatus(const std::wstring& path, unsigned long long count, unsigned long long totalBytes) {
  if (status_) {
    RECT rc{};
    GetClientRect(status_, &rc);
    qf::StatusParts parts = qf::StatusBarParts(bands_.AddressShown(), U16(path), count, totalBytes,
                                               rc.right > 0 ? rc.right : GetSystemMetrics(SM_CXSCREEN),
                                               UserNumberFormat());
    if (!parts.rightEdges.empty()) {
      std::vector<int> edges(parts.rightEdges.begin(), parts.rightEdges.end());
      edges.back() = -1;
      SendMessageW(status_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
      for (size_t i = 0; i < parts.texts.size(); ++i) {
        std::wstring text = Wide(parts.texts[i]);
        SendMessageW(status_, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(text.c_str()));
      }
    }
  }
}

bool MainFrame::IsFavoriteCommand(int id) const {
  return id >= IDM_FAVORITE_FIRST && static_cast<size_t>(id - IDM_FAVORITE_FIRST) < favorites_.size();
}

void MainFrame::OpenFile(const std::wstring& path) {
  // The shell reports its own failures.
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = hwnd_;
  info.lpVerb = L"open";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOW;
  ShellExecuteExW(&info);
}

void MainFrame::RebuildUserPathMenu() {
  HMENU popup = contextMenus_ ? GetSubMenu(contextMenus_, CTX_GOTO) : nullptr;
  if (!popup) return;
  int first = MenuPosition(popup, IDM_GOTO_STARTMENU) + 2;  // after Start Menu and its separator
  int last = MenuPosition(popup, IDM_USER_PATH);
  if (first < 2 || last < first) return;
  for (int i = last - 1; i >= first; --i) DeleteMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
  const auto& paths = userPaths_.Items();
  if (paths.empty()) return;
  UINT at = static_cast<UINT>(first);
  for (size_t n = 0; n < paths.size(); ++n, ++at) {
    std::wstring caption = Wide(userPaths_.Caption(n));
    InsertMenuW(popup, at, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(IDM_USERPATH_FIRST + n), caption.c_str());
  }
  InsertMenuW(popup, at, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void MainFrame::RebuildFavoritesMenu() {
  HMENU popup = contextMenus_ ? GetSubMenu(contextMenus_, CTX_GOTO) : nullptr;
  HMENU favorites = popup ? GetSubMenu(popup, 0) : nullptr;
  if (!favorites) return;
  int keep = MenuPosition(favorites, IDM_FAVORITES_ORGANIZE) + 1;
  if (keep < 1) return;
  // DeleteMenu frees the old submenus too.
  for (int i = GetMenuItemCount(favorites) - 1; i >= keep; --i) DeleteMenu(favorites, static_cast<UINT>(i), MF_BYPOSITION);
  favorites_.clear();
  AppendMenuW(favorites, MF_SEPARATOR, 0, nullptr);
  qf::FavoritesMenu menu = qf::BuildFavoritesMenu(U16(special_.favorites), ListFolder);
  for (const auto& path : menu.paths) {
    if (IDM_FAVORITE_FIRST + static_cast<int>(favorites_.size()) >= kFavoriteLimit) break;
    favorites_.push_back(Wide(path));
  }
  AppendFavorites(favorites, menu.items);
}

void MainFrame::Listed(const std::wstring& path) {
  bands_.PushRecent(path);
  tree_.SelectPath(path, false, true);
  UpdateCommandStates();
}

bool MainFrame::IsEnabled(int id) const {
  if (id >= IDM_USERPATH_FIRST && id < IDM_USERPATH_FIRST + static_cast<int>(qf::kMaxUserPaths)) {
    return static_cast<size_t>(id - IDM_USERPATH_FIRST) < userPaths_.Items().size();
  }
  if (IsFavoriteCommand(id)) return true;
  if (!IsBuilt(id)) return false;
  std::u16string path = U16(list_.Path());
  bool search = qf::IsSearchPath(path);
  HWND focus = focusedPane_;
  bool listFocused = focus == list_.Window();
  bool treeFocused = focus && focus == tree_.Window() && TreeShown();
  int row = list_.SelectedRow();
  const qf::FileEntry* entry = listFocused ? list_.EntryOf(row) : nullptr;
  switch (id) {
    case IDM_UP:
      return !qf::IsRoot(path) && !search;
    case IDM_BACK:
      return list_.History().CanBack() || (search && list_.History().Current());
    case IDM_FORWARD:
      return list_.History().CanForward() || (search && list_.History().Current());
    case IDM_OPEN:
      if (treeFocused) return !tree_.IsSearchItem(TreeView_GetSelection(tree_.Window()));
      return entry != nullptr;
    case IDM_RENAME:
      if (treeFocused) return tree_.IsFolderItem(TreeView_GetSelection(tree_.Window()));
      return entry && entry->kind != qf::EntryKind::UpLevel;
    case IDM_NEW_FOLDER:
      return !search;
    case IDM_COPY_NAME:
    case IDM_COPY_PATH: {
      if (!listFocused) return false;
      for (int i = row; i >= 0;
           i = static_cast<int>(SendMessageW(list_.Window(), LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
        const qf::FileEntry* e = list_.EntryOf(i);
        if (e && e->kind != qf::EntryKind::UpLevel) return true;
      }
      return false;
    }
    case IDM_GOTO_DESKTOP:
      return !special_.desktop.empty();
    default:
      return true;
  }
}

void MainFrame::UpdateCommandStates() {
  auto apply = [this](HMENU menu, int id) {
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (IsEnabled(id) ? MF_ENABLED : MF_GRAYED));
  };
  if (HMENU menu = bands_.Menu()) ForEachItem(menu, apply);
  if (contextMenus_) ForEachItem(contextMenus_, apply);
  if (HWND bar = bands_.MenuBar()) SHEnableSoftkey(bar, IDM_UP, FALSE, IsEnabled(IDM_UP));
}

void MainFrame::UpdateMenuMarks() {
  HMENU menu = bands_.Menu();
  if (!menu) return;
  CheckMenuItem(menu, IDM_STATUS_BAR, MF_BYCOMMAND | (settings_.showStatusWnd ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_FOLDER, MF_BYCOMMAND | (TreeShown() ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_VERTICAL_LAYOUT, MF_BYCOMMAND | (settings_.viewSide ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_DRAGDROP_MODE, MF_BYCOMMAND | (settings_.dragDrop ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_ADDRESS_BAR, MF_BYCOMMAND | (bands_.AddressShown() ? MF_CHECKED : MF_UNCHECKED));
  list_.UpdateMenuMarks(menu);
  if (contextMenus_) list_.UpdateMenuMarks(contextMenus_);
}

void MainFrame::Shutdown() {
  SaveSettings();
  bands_.SaveAndDestroy();
  if (status_) {
    DestroyWindow(status_);
    status_ = nullptr;
  }
  if (listProc_) SetWindowLongPtrW(list_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
  if (treeProc_) SetWindowLongPtrW(tree_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProc_));
  list_.SaveSettingsAndDestroy();
  tree_.Destroy();
  HWND hwnd = hwnd_;
  DestroyWindow(hwnd);
}

void MainFrame::StartDelayedRefresh(bool deviceChange) {
  if (deviceChange) deviceMode_ = true;
  KillTimer(hwnd_, kRefreshTimer);
  SetTimer(hwnd_, kRefreshTimer, kRefreshDelayMs, nullptr);
}

void MainFrame::DelayedRefresh() {
  KillTimer(hwnd_, kRefreshTimer);
  // Our own watch must not keep a removed folder alive while its existence is checked.
  watcher_.Suspend();
  tree_.SelectPath(L"", true, false);
  std::u16string path = U16(list_.Path());
  auto target = qf::RefreshTarget(path, deviceMode_,
                                  [](std::u16string_view p) { return IsExistingFolder(Wide(p)); });
  deviceMode_ = false;
  if (target) {
    list_.Navigate(Wide(*target));  // resumes watching
  } else {
    watcher_.Resume();
  }
}

void MainFrame::CycleFocus(bool forward) {
  HWND focus = GetFocus();
  qf::FocusPane from = qf::FocusPane::List;
  HWND combo = bands_.AddressCombo();
  if (focus && combo && (focus == combo || IsChild(combo, focus))) {
    from = qf::FocusPane::Address;
  } else if (focus && tree_.Window() && focus == tree_.Window()) {
    from = qf::FocusPane::Tree;
  }
  bool treeShown = TreeShown();
  qf::FocusPane to = qf::NextFocus(from, forward, bands_.AddressShown(), treeShown);
  switch (to) {
    case qf::FocusPane::Address:
      SetFocus(bands_.AddressEdit() ? bands_.AddressEdit() : combo);
      break;
    case qf::FocusPane::Tree:
      SetFocus(tree_.Window());
      break;
    default:
      SetFocus(list_.Window());
      break;
  }
}

int MainFrame::ListKeyCommand(WORD key) const {
  bool ctrl = KeyDown(VK_CONTROL), alt = KeyDown(VK_MENU), shift = KeyDown(VK_SHIFT);
  if (alt && !ctrl) {
    if (key == VK_LEFT) return IDM_BACK;
    if (key == VK_RIGHT) return IDM_FORWARD;
    if (key >= '1' && key <= '9') return IDM_USERPATH_FIRST + (key - '1');
    if (key == '0') return IDM_USERPATH_FIRST + 9;
    return 0;
  }
  if (ctrl && !alt) {
    switch (key) {
      case 'R': return IDM_REFRESH;
      case 'L': return IDM_LIST_STYLE;
      case 'X': return IDM_CUT;
      case 'C': return IDM_COPY;
      case 'V': return IDM_PASTE;
      case 'A': return IDM_SELECT_ALL;
      case 'B': return IDM_PARAMETERS;
      case 'N': return IDM_NEW_FOLDER;
      case 'D': return IDM_DELETE;
      case 'P': return IDM_PROPERTIES;
      case 'O': return IDM_COPY_TO;
      case 'T': return IDM_MOVE_TO;
      case 'S': return IDM_SEND_SHORTCUT_TO;
      case 'F': return IDM_FILE_SEARCH;
      case 'Q': return IDM_EXIT;
      case 'I': return IDM_FAVORITES_ADD;
      case 'U': return IDM_USER_PATH;
      default: return 0;
    }
  }
  if (ctrl || alt || shift) return 0;
  switch (key) {
    case VK_BACK: return IDM_UP;
    case VK_F5: return IDM_REFRESH;
    case VK_DELETE: return IDM_DELETE;
    case VK_F2: return IDM_RENAME;
    case VK_F3: return IDM_FILE_SEARCH;
    case VK_F4: return IDM_OPTIONS;
    case VK_HOME: return IDM_BACK;
    case VK_END: return IDM_FORWARD;
    default: return 0;
  }
}

void MainFrame::ShowContextMenu(POINT screen) {
  if (!contextMenus_) return;
  int index = CTX_NONE_SELECTED;
  int selected = 0;
  const qf::FileEntry* first = nullptr;
  for (int i = list_.SelectedRow(); i >= 0;
       i = static_cast<int>(SendMessageW(list_.Window(), LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
    const qf::FileEntry* e = list_.EntryOf(i);
    if (!e || e->kind == qf::EntryKind::UpLevel) continue;
    if (!first) first = e;
    ++selected;
  }
  if (selected == 0 && list_.SelectedRow() >= 0) return;  // only the up-level row
  if (selected > 1) {
    index = CTX_MULTIPLE;
  } else if (selected == 1) {
    if (first->kind == qf::EntryKind::Folder) {
      index = CTX_FOLDER;
    } else {
      auto dot = qf::ExtensionStart(first->name);
      bool zip = dot != std::u16string::npos && first->name.substr(dot) == u".zip";
      index = zip ? CTX_ZIP_FILE : CTX_FILE;
    }
  }
  UpdateCommandStates();
  UpdateMenuMarks();
  HMENU popup = GetSubMenu(contextMenus_, index);
  if (!popup) return;
  UINT cmd = static_cast<UINT>(
      TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, hwnd_, nullptr));
  if (cmd) OnCommand(static_cast<int>(cmd), 0, nullptr);
}

void MainFrame::ShowGoToPopup() {
  if (!contextMenus_) return;
  HMENU popup = GetSubMenu(contextMenus_, CTX_GOTO);
  if (!popup) return;
  UpdateCommandStates();
  // Just above the menu bar at the left edge: the toolbar band has no Go To button to open from.
  RECT bar{};
  POINT at{0, GetSystemMetrics(SM_CYSCREEN) - bands_.MenuHeight()};
  if (bands_.MenuBar() && GetWindowRect(bands_.MenuBar(), &bar)) at.y = bar.top;
  UINT cmd = static_cast<UINT>(
      TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_BOTTOMALIGN, at.x, at.y, hwnd_, nullptr));
  if (cmd) OnCommand(static_cast<int>(cmd), 0, nullptr);
}

void MainFrame::CopySelectedText(bool fullPath) {
  const qf::FileEntry* entry = nullptr;
  for (int i = list_.SelectedRow(); i >= 0 && !entry;
       i = static_cast<int>(SendMessageW(list_.Window(), LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
    const qf::FileEntry* e = list_.EntryOf(i);
    if (e && e->kind != qf::EntryKind::UpLevel) entry = e;
  }
  if (!entry) return;
  std::u16string text = entry->name;
  if (fullPath) {
    auto joined = qf::JoinPath(entry->folder, entry->name);
    if (!joined) return;
    text = *joined;
  }
  // Another program may hold the clipboard for a moment.
  bool open = false;
  for (int attempt = 0; attempt < 20 && !(open = OpenClipboard(hwnd_) != FALSE); ++attempt) Sleep(10);
  if (!open) return;
  EmptyClipboard();
  size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(memory)) {
      memcpy(p, text.c_str(), bytes);
      GlobalUnlock(memory);
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

void MainFrame::OnCommand(int id, int code, HWND control) {
  if (id == IDC_ADDRESS_COMBO && control) {
    if (code == CBN_SELENDOK) {
      // The chosen item is the box's selection; read it after the box has taken it.
      int sel = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
      if (sel >= 0) {
        int length = static_cast<int>(SendMessageW(control, CB_GETLBTEXTLEN, sel, 0));
        if (length >= 0 && length < 260) {
          wchar_t text[260] = {};
          SendMessageW(control, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(text));
          SetFocus(list_.Window());
          list_.GoTo(text, hwnd_);
        }
      }
    } else if (code == kAddressEnter) {
      list_.GoTo(bands_.AddressText(), hwnd_);
    }
    return;
  }
  if (!IsEnabled(id)) return;
  if (qf::IsSearchPath(U16(list_.Path())) && id == IDM_UP) return;
  if (id >= IDM_USERPATH_FIRST && id < IDM_USERPATH_FIRST + static_cast<int>(qf::kMaxUserPaths)) {
    std::wstring path = Wide(userPaths_.Items()[static_cast<size_t>(id - IDM_USERPATH_FIRST)]);
    list_.GoTo(path, hwnd_);
    return;
  }
  if (IsFavoriteCommand(id)) {
    std::wstring path = favorites_[static_cast<size_t>(id - IDM_FAVORITE_FIRST)];
    OpenFile(path);
    return;
  }
  bool treeFocused = focusedPane_ && focusedPane_ == tree_.Window() && TreeShown();
  switch (id) {
    case IDM_UP:
      if (focusedPane_ && focusedPane_ == tree_.Window() && TreeShown()) {
        // Backspace already moved the tree's selection; the soft key and the menu did not.
        if (code != kTreeBackspace) tree_.SelectParent();
        list_.Navigate(tree_.SelectedPath());
      } else {
        list_.UpOneLevel();
      }
      break;
    case IDM_FOLDER:
      ToggleTree();
      break;
    case IDM_BACK:
      list_.Back();
      break;
    case IDM_FORWARD:
      list_.Forward();
      break;
    case IDM_REFRESH: {
      tree_.RebuildRoots();
      std::wstring text = bands_.AddressText();
      list_.GoTo(text, hwnd_);
      RebuildFavoritesMenu();
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    }
    case IDM_ADDRESS_BAR:
      bands_.ShowAddress(!bands_.AddressShown());
      list_.RewriteStatus();
      UpdateMenuMarks();
      Layout();
      break;
    case IDM_STATUS_BAR:
      settings_.showStatusWnd = !settings_.showStatusWnd;
      ShowWindow(status_, settings_.showStatusWnd ? SW_SHOW : SW_HIDE);
      UpdateMenuMarks();
      Layout();
      break;
    case IDM_VERTICAL_LAYOUT:
      settings_.viewSide = !settings_.viewSide;
      UpdateMenuMarks();
      Layout();
      ArrangeList();
      break;
    case IDM_VIEW_LARGE:
    case IDM_VIEW_MEDIUM:
    case IDM_VIEW_SMALL:
    case IDM_VIEW_DETAILED:
    case IDM_VIEW_DETAILED_LINE:
      list_.SetViewStyleCommand(id);
      UpdateMenuMarks();
      SaveSettings();
      break;
    case IDM_LIST_STYLE:
      list_.CycleViewStyle();
      UpdateMenuMarks();
      break;
    case IDM_SORT_NAME:
    case IDM_SORT_TYPE:
    case IDM_SORT_SIZE:
    case IDM_SORT_DATE:
    case IDM_SORT_REVERSE:
      list_.SetSortCommand(id);
      UpdateMenuMarks();
      SaveSettings();
      break;
    case IDM_SELECT_ALL:
      SetFocus(list_.Window());
      list_.SelectAll(true);
      break;
    case IDM_RELEASE_SELECTION:
      list_.SelectAll(false);
      break;
    case IDM_REVERSE_SELECTION:
      list_.ReverseSelection();
      break;
    case IDM_OPEN:
      if (treeFocused) {
        NavigateFromTree(tree_.SelectedPath());
      } else {
        list_.OpenRow(list_.SelectedRow());
      }
      break;
    case IDM_RENAME:
      if (treeFocused) {
        SetFocus(tree_.Window());
        TreeView_EditLabel(tree_.Window(), TreeView_GetSelection(tree_.Window()));
      } else {
        SetFocus(list_.Window());
        SendMessageW(list_.Window(), LVM_EDITLABELW, list_.SelectedRow(), 0);
      }
      break;
    case IDM_NEW_FOLDER:
      quintar::fileops::NewFolderInList(hwnd_, list_.Window(), list_.Path(), ListEditHooks());
      break;
    case IDM_USER_PATH:
      ShowUserPathDialog(instance_, hwnd_, userPaths_, list_.Path());
      RebuildUserPathMenu();
      break;
    case IDM_FAVORITES_ORGANIZE:
      list_.GoTo(special_.favorites, hwnd_);
      RebuildFavoritesMenu();
      break;
    case IDM_COPY_NAME:
    case IDM_COPY_PATH:
      CopySelectedText(id == IDM_COPY_PATH);
      break;
    case IDM_GOTO:
      ShowGoToPopup();
      break;
    case IDM_GOTO_ROOT:
      list_.GoTo(L"", hwnd_);
      break;
    case IDM_GOTO_MYDOCUMENTS:
      list_.GoTo(special_.myDocuments, hwnd_);
      break;
    case IDM_GOTO_STARTMENU:
      list_.GoTo(special_.startMenu, hwnd_);
      break;
    case IDM_GOTO_DESKTOP:
      list_.GoTo(special_.desktop, hwnd_);
      break;
    case IDM_FOCUS_NEXT:
    case IDM_FOCUS_PREV:
      CycleFocus(id == IDM_FOCUS_NEXT);
      break;
    case IDM_EXIT:
      PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

void MainFrame::ToggleTree() {
  settings_.showFolder = !settings_.showFolder;
  ShowWindow(tree_.Window(), settings_.showFolder ? SW_SHOW : SW_HIDE);
  if (!settings_.showFolder && GetFocus() == tree_.Window()) SetFocus(list_.Window());
  UpdateMenuMarks();
  Layout();
  // Scrolled into view at the size the tree has now, not at the one it had while hidden.
  if (settings_.showFolder) {
    SendMessageW(tree_.Window(), WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    tree_.SelectPath(list_.Path(), true, true);
  }
  ArrangeList();
}

void MainFrame::ArrangeList() {
  HWND list = list_.Window();
  SendMessageW(list, LVM_ARRANGE, LVA_DEFAULT, 0);
  // Back to the top left first: a shrinking icon view keeps a scroll offset its new size does
  // not need.
  POINT origin{};
  if (SendMessageW(list, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin)) && (origin.x || origin.y)) {
    SendMessageW(list, LVM_SCROLL, static_cast<WPARAM>(-origin.x), -origin.y);
  }
  int focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (focused >= 0) SendMessageW(list, LVM_ENSUREVISIBLE, focused, FALSE);
}

void MainFrame::NavigateFromTree(const std::wstring& path) {
  if (path != list_.Path()) list_.Navigate(path);
}

void MainFrame::OnSplitter(UINT msg, LPARAM lParam) {
  POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
  bool side = settings_.viewSide != 0;
  int pos = side ? pt.x : pt.y;
  if (msg == WM_LBUTTONDOWN) {
    if (!TreeShown()) return;
    splitting_ = true;
    splitStartPos_ = pos;
    splitStartSize_ = static_cast<int>(side ? settings_.treeViewWidth : settings_.treeViewHeight);
    SetCapture(hwnd_);
    return;
  }
  if (!splitting_) return;
  if (msg == WM_MOUSEMOVE) {
    int bound0 = 0, bound1 = GetSystemMetrics(SM_CXSCREEN);
    if (!side) {
      RECT tree{}, list{};
      GetWindowRect(tree_.Window(), &tree);
      GetWindowRect(list_.Window(), &list);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tree), 2);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&list), 2);
      bound0 = tree.top;
      bound1 = list.bottom;
    }
    int size = qf::SplitterSize(splitStartSize_, splitStartPos_, pos, bound0, bound1);
    if (size < 0) return;
    (side ? settings_.treeViewWidth : settings_.treeViewHeight) = static_cast<DWORD>(size);
    Layout();
    return;
  }
  splitting_ = false;
  if (GetCapture() == hwnd_) ReleaseCapture();
  ArrangeList();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool MainFrame::OnCopyData(const COPYDATASTRUCT* data) {
  if (!data) return false;
  auto folder = qf::ReadOpenFolderRequest(static_cast<std::uint64_t>(data->dwData), data->lpData, data->cbData);
  if (!folder) return false;
  qf::GoToTarget target = qf::ClassifyGoTo(*folder);
  if (target.kind == qf::GoToKind::Root) {
    list_.Navigate(L"");
    return true;
  }
  if (target.kind != qf::GoToKind::Path) return false;
  std::wstring path = Wide(target.path);
  // Another program's request names a device folder or nothing: no drive letters, streams or shares.
  if (path.empty() || path[0] != L'\\' || (path.size() > 1 && path[1] == L'\\') || path.find(L':') != std::wstring::npos) {
    return false;
  }
  if (!IsExistingFolder(path)) return false;
  list_.Navigate(path);
  return true;
}

LRESULT MainFrame::OnNotify(NMHDR* header) {
  HWND list = list_.Window();
  if (header->hwndFrom == list && header->code == LVN_KEYDOWN) {
    auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
    if (key->wVKey == VK_F6 && bands_.AddressShown()) {
      SetFocus(bands_.AddressEdit());
      return 0;
    }
    if (int id = ListKeyCommand(key->wVKey)) OnCommand(id, 1, nullptr);
    return 0;
  }
  if (header->code == GN_CONTEXTMENU && header->hwndFrom == list) {
    ShowContextMenu(reinterpret_cast<NMRGINFO*>(header)->ptAction);
    return 1;
  }
  if (tree_.Window() && header->hwndFrom == tree_.Window()) return OnTreeNotify(header);
  if (header->hwndFrom != list) return 0;
  switch (header->code) {
    case NM_CLICK: {
      if (!list_.Settings().singleTap || KeyDown(VK_CONTROL) || KeyDown(VK_SHIFT) || KeyDown(VK_MENU)) {
        if (KeyDown(VK_MENU) && !KeyDown(VK_CONTROL) && !KeyDown(VK_SHIFT)) {
          POINT pt;
          GetCursorPos(&pt);
          ShowContextMenu(pt);
        }
        break;
      }
      if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) == 1) {
        auto* item = reinterpret_cast<NMITEMACTIVATE*>(header);
        if (item->iItem >= 0) PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(IDM_OPEN, 0), 0);
      }
      break;
    }
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      ShowContextMenu(pt);
      break;
    }
    case NM_DBLCLK:
    case NM_RETURN:
      if (header->code == NM_RETURN && KeyDown(VK_MENU)) break;  // Properties is not in this build
      list_.OpenRow(static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
      break;
    case NM_SETFOCUS:
      focusedPane_ = list;
      UpdateCommandStates();
      break;
    case LVN_ITEMCHANGED:
      UpdateCommandStates();
      break;
    case LVN_COLUMNCLICK:
      list_.OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      UpdateMenuMarks();
      break;
    case LVN_DELETEALLITEMS:
      return TRUE;  // the pane frees its records itself: no notification per row
    case LVN_GETDISPINFOW:
      list_.OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
      break;
    case LVN_BEGINLABELEDITW: {
      const qf::FileEntry* entry = list_.EntryOf(reinterpret_cast<NMLVDISPINFOW*>(header)->item.iItem);
      return (entry && entry->kind != qf::EntryKind::UpLevel) ? FALSE : TRUE;
    }
    case LVN_ENDLABELEDITW:
      OnListEndLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(header));
      return FALSE;  // the row's texts come from its record, which the rename updated
    default:
      break;
  }
  return 0;
}

LRESULT MainFrame::OnTreeNotify(NMHDR* header) {
  HWND tree = tree_.Window();
  switch (header->code) {
    case TVN_KEYDOWN: {
      if (tree_.Editing()) return 0;
      auto* key = reinterpret_cast<NMTVKEYDOWN*>(header);
      bool ctrl = KeyDown(VK_CONTROL), alt = KeyDown(VK_MENU);
      if ((ctrl && key->wVKey == 'M') || (ctrl && alt)) {
        ShowTreeContextMenu(tree_.SelectionCentre(), false);
      } else if (key->wVKey == VK_BACK && !ctrl && !alt && !KeyDown(VK_SHIFT)) {
        PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(IDM_UP, kTreeBackspace), 0);
      } else if (key->wVKey == VK_F6 && bands_.AddressShown()) {
        SetFocus(bands_.AddressEdit());
      } else if (int id = ListKeyCommand(key->wVKey)) {
        OnCommand(id, 1, nullptr);
      }
      return 0;
    }
    case TVN_SELCHANGEDW: {
      std::wstring target;
      if (tree_.OnSelChanged(reinterpret_cast<NMTREEVIEWW*>(header), target, hwnd_)) NavigateFromTree(target);
      return 0;
    }
    case TVN_ITEMEXPANDINGW:
      tree_.OnItemExpanding(reinterpret_cast<NMTREEVIEWW*>(header));
      return 0;
    case TVN_ITEMEXPANDEDW:
      // Collapsing a folder above the selection moves the selection to it.
      if (reinterpret_cast<NMTREEVIEWW*>(header)->action & TVE_COLLAPSE) {
        HTREEITEM selected = TreeView_GetSelection(tree);
        if (selected && !tree_.IsSearchItem(selected)) NavigateFromTree(tree_.SelectedPath());
      }
      return 0;
    case NM_SETFOCUS:
      focusedPane_ = tree;
      UpdateCommandStates();
      return 0;
    case NM_KILLFOCUS: {
      std::wstring target;
      if (tree_.TakePendingNavigation(target, hwnd_)) NavigateFromTree(target);
      return 0;
    }
    case NM_CLICK:
      if (KeyDown(VK_MENU) && !KeyDown(VK_CONTROL) && !KeyDown(VK_SHIFT)) {
        POINT pt;
        GetCursorPos(&pt);
        ShowTreeContextMenu(pt, true);
      }
      return 0;
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      ShowTreeContextMenu(pt, true);
      return 1;
    }
    case GN_CONTEXTMENU:
      ShowTreeContextMenu(reinterpret_cast<NMRGINFO*>(header)->ptAction, true);
      return 1;
    case TVN_BEGINLABELEDITW:
      return tree_.BeginLabelEdit(reinterpret_cast<NMTVDISPINFOW*>(header)->item.hItem) ? FALSE : TRUE;
    case TVN_ENDLABELEDITW:
      OnTreeEndLabelEdit(reinterpret_cast<NMTVDISPINFOW*>(header));
      return FALSE;  // the item's text is set by the rename itself
    default:
      return 0;
  }
}

void MainFrame::OnTreeEndLabelEdit(const NMTVDISPINFOW* info) {
  tree_.EndLabelEdit();
  if (!info->item.pszText) return;  // cancelled
  HTREEITEM item = info->item.hItem;
  std::wstring oldPath = tree_.PathOf(item);
  std::u16string_view message;
  auto renamed = tree_.ApplyRename(item, info->item.pszText,
                                   [this](const std::wstring& from, const std::wstring& to) {
                                     watcher_.Suspend();
                                     bool moved = MoveFileW(from.c_str(), to.c_str()) != FALSE;
                                     watcher_.Resume();
                                     return moved;
                                   },
                                   message);
  if (renamed) {
    list_.Navigate(*renamed);
    return;
  }
  MessageBoxW(hwnd_, Wide(message).c_str(), L"", MB_OK | MB_ICONERROR);
  treeEditAgain_ = oldPath;
  PostMessageW(hwnd_, MSG_TREE_EDIT_AGAIN, 0, 0);
}

quintar::fileops::ListHooks MainFrame::ListEditHooks() {
  quintar::fileops::ListHooks hooks;
  hooks.suspendWatching = [this] { watcher_.Suspend(); };
  hooks.resumeWatching = [this] { watcher_.Resume(); };
  hooks.refreshList = [this] { list_.Navigate(list_.Path()); };
  return hooks;
}

void MainFrame::OnListEndLabelEdit(const NMLVDISPINFOW* info) {
  const qf::FileEntry* entry = list_.EntryOf(info->item.iItem);
  if (!entry) return;
  quintar::fileops::LabelEditRow row;
  row.row = info->item.iItem;
  row.kind = static_cast<int>(entry->kind);
  row.folder = Wide(entry->folder);
  row.name = Wide(entry->name);
  row.hideExtensions = list_.Settings().hideExtensions != 0;
  std::wstring newName;
  if (quintar::fileops::EndLabelEdit(hwnd_, list_.Window(), row, info->item.pszText, ListEditHooks(), newName) != 1) {
    return;
  }
  list_.RowRenamed(row.row, newName);
  // The tree shows the renamed folder under its new name.
  if (row.kind == static_cast<int>(qf::EntryKind::Folder)) tree_.SelectPath(row.folder, true, false);
}

void MainFrame::ShowTreeContextMenu(POINT screen, bool fromTap) {
  if (!contextMenus_ || !TreeShown()) return;
  HTREEITEM item = tree_.ItemAt(screen);
  if (!item || tree_.IsSearchItem(item)) return;
  if (fromTap) tree_.SelectQuietly(item);
  SetFocus(tree_.Window());
  focusedPane_ = tree_.Window();
  UpdateCommandStates();
  UpdateMenuMarks();
  HMENU popup = GetSubMenu(contextMenus_, CTX_FOLDER);
  if (!popup) return;
  UINT cmd = static_cast<UINT>(
      TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, hwnd_, nullptr));
  if (cmd) OnCommand(static_cast<int>(cmd), 0, nullptr);
}

// Tap and hold on either pane opens its context menu; everything else goes to the pane.
LRESULT CALLBACK MainFrame::PaneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  const bool tree = hwnd == self->tree_.Window();
  if (msg == WM_LBUTTONDOWN && !(wParam & (MK_CONTROL | MK_SHIFT))) {
    SHRGINFO info{};
    info.cbSize = sizeof info;
    info.hwndClient = hwnd;
    info.ptDown = POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    info.dwFlags = SHRG_RETURNCMD;
    if (SHRecognizeGesture(&info) == GN_CONTEXTMENU) {
      try {
        POINT screen = info.ptDown;
        ClientToScreen(hwnd, &screen);
        if (tree) {
          self->ShowTreeContextMenu(screen, true);
        } else {
          self->ShowListContextMenuAt(info.ptDown, screen);
        }
      } catch (...) {
      }
      return 0;
    }
  }
  return CallWindowProcW(tree ? self->treeProc_ : self->listProc_, hwnd, msg, wParam, lParam);
}

void MainFrame::ShowListContextMenuAt(POINT client, POINT screen) {
  HWND list = list_.Window();
  LVHITTESTINFO hit{};
  hit.pt = client;
  int row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (row >= 0 && !(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED)) {
    list_.SelectAll(false);
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  }
  SetFocus(list);
  ShowContextMenu(screen);
}

LRESULT CALLBACK MainFrame::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MainFrame* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<MainFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  try {
    return self->Handle(msg, wParam, lParam);
  } catch (...) {
    // Out of memory in a handler: the message is dropped, the window lives on.
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

LRESULT MainFrame::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
      InitCommonControlsEx(&icc);
      activateInfo_.cbSize = sizeof activateInfo_;
      return 0;
    }
    case WM_SIZE:
      bands_.Resize(LOWORD(lParam));
      if (status_) SendMessageW(status_, WM_SIZE, wParam, lParam);
      if (status_ && list_.Window()) list_.RewriteStatus();
      Layout();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = GetFocus();
        SIPINFO sip{};
        sip.cbSize = sizeof sip;
        if (SipGetInfo(&sip)) lastSipFlags_ = sip.fdwFlags;
      } else {
        if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_)) SetFocus(lastFocus_);
        Layout();
      }
      return 0;
    case WM_SETFOCUS:
      if (list_.Window()) SetFocus(list_.Window());
      return 0;
    case WM_CLOSE:
      Shutdown();
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kRefreshTimer);
      watcher_.SetTarget(nullptr);
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      break;
    case WM_SETTINGCHANGE:
      SHHandleWMSettingChange(hwnd_, wParam, lParam, &activateInfo_);
      if (wParam == SPI_SETSIPINFO) Layout();
      return 0;
    case WM_COPYDATA:
      return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_INITMENUPOPUP:
      UpdateCommandStates();
      UpdateMenuMarks();
      return 0;
    case WM_TIMER:
      if (wParam == kRefreshTimer) {
        DelayedRefresh();
      } else if (wParam == kTreeKeyTimer) {
        std::wstring target;
        if (tree_.TakePendingNavigation(target, hwnd_)) NavigateFromTree(target);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      OnSplitter(msg, lParam);
      return 0;
    case MSG_TREE_EDIT_AGAIN:
      if (!treeEditAgain_.empty()) tree_.EditAgain(treeEditAgain_);
      treeEditAgain_.clear();
      return 0;
    case WM_CAPTURECHANGED:
      splitting_ = false;
      return 0;
    case WM_DEVICECHANGE:
      StartDelayedRefresh(true);
      return TRUE;
    case MSG_FOLDER_CHANGED: {
      MSG queued;
      while (PeekMessageW(&queued, hwnd_, MSG_FOLDER_CHANGED, MSG_FOLDER_CHANGED, PM_REMOVE)) {
      }
      StartDelayedRefresh(false);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace folderon

// The main window's menus: the Go-to popup's user paths and favorites, the open-with programs,
// the check marks and enabled states of every menu, the context menus of list and tree, and
// tap-and-hold on them.
#include <windows.h>

#include <ceservices.h>
#include <commctrl.h>

#include <vector>

#include "filemanager/core/favorites.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/shortcuts.h"
#include "filemanager/mainframe.h"
#include "filemanager/winutil.h"
#include "win32/shell.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

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
  DeviceFind find(CeFindFirstFile(Wide(*pattern).c_str(), &data));
  if (!find) return items;
  do {
    items.push_back(qf::FolderItem{U16(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (CeFindNextFile(find.get(), &data));
  return items;
}

void AppendFavorites(HMENU menu, const std::vector<qf::FavoriteMenuItem>& items) {
  for (const auto& item : items) {
    if (!item.IsSubmenu() && item.command >= kFavoriteLimit) continue;
    std::wstring caption = Wide(item.caption);
    if (item.IsSubmenu()) {
      win32::Menu sub(CreatePopupMenu());
      if (!sub) continue;
      AppendFavorites(sub.get(), item.children);
      // Appended, the submenu is its parent's to free.
      if (AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub.get()), caption.c_str()))
        sub.release();
    } else {
      AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command), caption.c_str());
    }
  }
}

// The submenu (at any depth) that holds the command `id`, or null.
HMENU SubmenuHolding(HMENU menu, UINT id) {
  if (!menu) return nullptr;
  if (MenuPosition(menu, id) >= 0) return menu;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU found = SubmenuHolding(GetSubMenu(menu, i), id)) return found;
  }
  return nullptr;
}

bool IsSeparator(HMENU menu, int position) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

// The open-with programs at the end of `menu`, after a separator; the ones put there before go.
void PutOpenWithItems(HMENU menu, const std::vector<qf::OpenWithEntry>& table) {
  if (!menu) return;
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
    UINT id = GetMenuItemID(menu, i);
    if (id >= IDM_OPENWITH_FIRST && id < IDM_OPENWITH_FIRST + qf::kMaxOpenWith)
      DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
  }
  int last = GetMenuItemCount(menu) - 1;
  if (last >= 0 && IsSeparator(menu, last)) DeleteMenu(menu, static_cast<UINT>(last), MF_BYPOSITION);
  if (table.empty()) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (size_t n = 0; n < table.size(); ++n) {
    // A name's "&" is a character, not a mnemonic.
    std::wstring caption;
    for (char16_t c : table[n].caption) {
      if (c == u'&') caption.push_back(L'&');
      caption.push_back(static_cast<wchar_t>(c));
    }
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(IDM_OPENWITH_FIRST + n), caption.c_str());
  }
}

}  // namespace

void MainFrame::RebuildOpenWithMenu() {
  std::u16string folder = U16(settings_.sendAppPath);
  // Only a folder of the device is read: a drive letter or a share in the registry reads nothing.
  openWith_ = qf::IsDevicePath(folder) ? qf::BuildOpenWithTable(folder, ListFolder) : std::vector<qf::OpenWithEntry>{};
  PutOpenWithItems(SubmenuHolding(bands_.Menu(), IDM_PARAMETERS), openWith_);
  HMENU filePopup = contextMenus_ ? GetSubMenu(contextMenus_.get(), CTX_FILE) : nullptr;
  PutOpenWithItems(SubmenuHolding(filePopup, IDM_PARAMETERS), openWith_);
}

void MainFrame::RebuildUserPathMenu() {
  HMENU popup = contextMenus_ ? GetSubMenu(contextMenus_.get(), CTX_GOTO) : nullptr;
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
  HMENU popup = contextMenus_ ? GetSubMenu(contextMenus_.get(), CTX_GOTO) : nullptr;
  HMENU favorites = popup ? GetSubMenu(popup, 0) : nullptr;
  if (!favorites) return;
  int keep = MenuPosition(favorites, IDM_FAVORITES_ORGANIZE) + 1;
  if (keep < 1) return;
  // DeleteMenu frees the old submenus too.
  for (int i = GetMenuItemCount(favorites) - 1; i >= keep; --i)
    DeleteMenu(favorites, static_cast<UINT>(i), MF_BYPOSITION);
  favorites_.clear();
  AppendMenuW(favorites, MF_SEPARATOR, 0, nullptr);
  qf::FavoritesMenu menu = qf::BuildFavoritesMenu(U16(special_.favorites), ListFolder);
  for (const auto& path : menu.paths) {
    if (IDM_FAVORITE_FIRST + static_cast<int>(favorites_.size()) >= kFavoriteLimit) break;
    favorites_.push_back(Wide(path));
  }
  AppendFavorites(favorites, menu.items);
}

void MainFrame::UpdateCommandStates() {
  auto apply = [this](HMENU menu, int id) {
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (IsEnabled(id) ? MF_ENABLED : MF_GRAYED));
  };
  if (HMENU menu = bands_.Menu()) ForEachItem(menu, apply);
  if (contextMenus_) ForEachItem(contextMenus_.get(), apply);
  if (HWND bar = bands_.MenuBar()) SHEnableSoftkey(bar, IDM_UP, FALSE, IsEnabled(IDM_UP));
}

void MainFrame::UpdateMenuMarks() {
  HMENU menu = bands_.Menu();
  if (!menu) return;
  CheckMenuItem(menu, IDM_STATUS_BAR, MF_BYCOMMAND | (settings_.showStatusWnd ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_FOLDER, MF_BYCOMMAND | (TreeShown() ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_VERTICAL_LAYOUT, MF_BYCOMMAND | (settings_.viewSide ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_DRAGDROP_MODE, MF_BYCOMMAND | (settings_.dragDrop ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_CTRL_KEY, MF_BYCOMMAND | (keyMode_ == KeyMode::Ctrl ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_SHIFT_KEY, MF_BYCOMMAND | (keyMode_ == KeyMode::Shift ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, IDM_ADDRESS_BAR, MF_BYCOMMAND | (bands_.AddressShown() ? MF_CHECKED : MF_UNCHECKED));
  list_.UpdateMenuMarks(menu);
  if (contextMenus_) list_.UpdateMenuMarks(contextMenus_.get());
}

void MainFrame::TrackAndRun(HMENU popup, UINT align, POINT screen) {
  UINT cmd = static_cast<UINT>(
      TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | align, screen.x, screen.y, hwnd(), nullptr));
  if (cmd) Execute(static_cast<int>(cmd), 0);
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
  if (HMENU popup = GetSubMenu(contextMenus_.get(), index)) TrackAndRun(popup, TPM_TOPALIGN, screen);
}

void MainFrame::ShowGoToPopup() {
  if (!contextMenus_) return;
  HMENU popup = GetSubMenu(contextMenus_.get(), CTX_GOTO);
  if (!popup) return;
  UpdateCommandStates();
  // Just above the menu bar at the left edge: the toolbar band has no Go To button to open from.
  RECT bar{};
  POINT at{0, GetSystemMetrics(SM_CYSCREEN) - bands_.MenuHeight()};
  if (bands_.MenuBar() && GetWindowRect(bands_.MenuBar(), &bar)) at.y = bar.top;
  TrackAndRun(popup, TPM_BOTTOMALIGN, at);
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
  if (HMENU popup = GetSubMenu(contextMenus_.get(), CTX_FOLDER)) TrackAndRun(popup, TPM_TOPALIGN, screen);
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

// Classic subclassing: the common controls' subclass chain looks a window property up on every
// message, which costs a server round trip per inserted row under Wine.
void MainFrame::SubclassPanes() {
  SetWindowLongPtrW(list_.Window(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(tree_.Window(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  listProc_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneProc)));
  treeProc_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(tree_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneProc)));
}

void MainFrame::RestorePanes() {
  if (listProc_) SetWindowLongPtrW(list_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
  if (treeProc_) SetWindowLongPtrW(tree_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProc_));
}

// Tap and hold on either pane opens its context menu; everything else goes to the pane.
LRESULT CALLBACK MainFrame::PaneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  const bool tree = hwnd == self->tree_.Window();
  if (msg == WM_LBUTTONDOWN && !(wParam & (MK_CONTROL | MK_SHIFT))) {
    const POINT down = win32::PointOf(lParam);
    if (win32::IsTapAndHold(hwnd, down)) {
      try {
        POINT screen = down;
        ClientToScreen(hwnd, &screen);
        if (tree) {
          self->ShowTreeContextMenu(screen, true);
        } else {
          self->ShowListContextMenuAt(down, screen);
        }
      } catch (...) {
        // The menu is dropped; the pane stays usable.
      }
      return 0;
    }
  }
  return CallWindowProcW(tree ? self->treeProc_ : self->listProc_, hwnd, msg, wParam, lParam);
}

}  // namespace quintar::folderon

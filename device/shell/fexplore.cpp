// fexplore.exe: the device's small File Explorer. Lists a folder (default "\My Documents") and
// shows each file's context menu with the registered handlers.
//   fexplore [FOLDER]
//   fexplore /list-menu FILE            prints the file's menu items, one "item: <text>" a line
//   fexplore /invoke FILE "MENU TEXT"   opens the file's menu and runs that item, then exits
// FILE is a device path or a name in the listed folder. A submenu item is named by its own text
// or as "<submenu>><item>". Exit codes: 0 done, 1 bad usage or no such file, 2 no such item,
// 3 the handler failed. Every start is recorded in the device's launch log.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/shell/devicelog_dyn.h"
#include "device/shell/menu_host.h"
#include "device/shell/screen.h"
#include "device/shell/startmenu.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace {

namespace win32 = quintar::win32;

constexpr wchar_t kClass[] = L"Explore";
constexpr wchar_t kTitle[] = L"File Explorer";
constexpr UINT kOpenId = 1;

struct Entry {
  std::wstring name;
  bool folder = false;
  ULONGLONG size = 0;
};

std::wstring g_folder = L"\\My Documents";
std::vector<Entry> g_entries;
HWND g_list = nullptr;

void Print(const std::wstring& line) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!out || out == INVALID_HANDLE_VALUE) return;
  const std::string utf8 = win32::Utf8(line + L"\n");
  DWORD written = 0;
  WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

void FillList() {
  g_entries.clear();
  WIN32_FIND_DATAW fd;
  if (const win32::FindHandle find(FindFirstFileW(Join(g_folder, L"*.*").c_str(), &fd)); find) {
    do {
      if (lstrcmpW(fd.cFileName, L".") == 0 || lstrcmpW(fd.cFileName, L"..") == 0) continue;
      g_entries.push_back({fd.cFileName, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (ULONGLONG{fd.nFileSizeHigh} << 32) | fd.nFileSizeLow});
    } while (FindNextFileW(find.get(), &fd));
  }
  std::sort(g_entries.begin(), g_entries.end(), [](const Entry& a, const Entry& b) {
    if (a.folder != b.folder) return a.folder;
    return lstrcmpiW(a.name.c_str(), b.name.c_str()) < 0;
  });
  ListView_DeleteAllItems(g_list);
  for (size_t i = 0; i < g_entries.size(); ++i) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = g_entries[i].name.data();
    item.lParam = static_cast<LPARAM>(i);
    int row = ListView_InsertItem(g_list, &item);
    wchar_t size[32] = L"";
    if (!g_entries[i].folder) StrFormatByteSizeW(static_cast<LONGLONG>(g_entries[i].size), size, ARRAYSIZE(size));
    ListView_SetItemText(g_list, row, 1, size);
  }
  std::wstring title = std::wstring(kTitle) + L" - " + (g_folder.empty() ? L"My Device" : g_folder);
  SetWindowTextW(GetParent(g_list), title.c_str());
}

// The menu's items as "<submenu>><item>" paths with their identifiers.
void CollectItems(HMENU menu, const std::wstring& prefix, std::vector<std::pair<std::wstring, UINT>>& out) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = L"";
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    mii.dwTypeData = text;
    mii.cch = ARRAYSIZE(text);
    if (!GetMenuItemInfoW(menu, i, TRUE, &mii) || (mii.fType & MFT_SEPARATOR)) continue;
    std::wstring name;
    for (const wchar_t* p = text; *p; ++p)
      if (*p != L'&') name += *p;
    if (mii.hSubMenu)
      CollectItems(mii.hSubMenu, prefix + name + L">", out);
    else
      out.emplace_back(prefix + name, mii.wID);
  }
}

std::vector<std::wstring> SelectedPaths(int clicked) {
  std::vector<std::wstring> paths;
  if (clicked >= 0) paths.push_back(Join(g_folder, g_entries[clicked].name));
  for (int row = -1; (row = ListView_GetNextItem(g_list, row, LVNI_SELECTED)) >= 0;) {
    if (row != clicked) paths.push_back(Join(g_folder, g_entries[row].name));
  }
  return paths;
}

void OpenPath(HWND owner, const std::wstring& path) { quintar::device::OpenThroughShell(owner, path); }

void ShowContextMenu(HWND owner, int row, POINT screenPt) {
  if (row < 0 || row >= static_cast<int>(g_entries.size())) return;
  std::vector<std::wstring> selection = SelectedPaths(row);
  const win32::Menu popup(CreatePopupMenu());
  const HMENU menu = popup.get();
  AppendMenuW(menu, MF_STRING, kOpenId, L"Open");
  {
    quintar::device::ContextMenuSession session;
    session.Build(menu, selection);
    UINT id =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, screenPt.x, screenPt.y, 0, owner, nullptr);
    if (id == kOpenId)
      OpenPath(owner, selection.front());
    else if (id)
      session.Invoke(owner, id);
  }
  FillList();
}

void Navigate(const std::wstring& folder) {
  g_folder = folder;
  FillList();
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      g_list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
                               hwnd, nullptr, nullptr, nullptr);
      ListView_SetExtendedListViewStyle(g_list, LVS_EX_FULLROWSELECT);
      LVCOLUMNW col = {};
      col.mask = LVCF_TEXT | LVCF_WIDTH;
      col.pszText = const_cast<wchar_t*>(L"Name");
      col.cx = quintar::device::ScreenSize().cx * 2 / 3;
      ListView_InsertColumn(g_list, 0, &col);
      col.pszText = const_cast<wchar_t*>(L"Size");
      col.cx = quintar::device::ScreenSize().cx / 3 - quintar::device::Scaled(4);
      ListView_InsertColumn(g_list, 1, &col);
      FillList();
      return 0;
    }
    case WM_SIZE:
      MoveWindow(g_list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->hwndFrom != g_list) break;
      auto* act = reinterpret_cast<NMITEMACTIVATE*>(lParam);
      if (hdr->code == NM_RCLICK) {
        POINT pt = act->ptAction;
        ClientToScreen(g_list, &pt);
        ShowContextMenu(hwnd, act->iItem, pt);
      } else if (hdr->code == NM_DBLCLK && act->iItem >= 0 && act->iItem < static_cast<int>(g_entries.size())) {
        const Entry& entry = g_entries[act->iItem];
        if (entry.folder)
          Navigate(Join(g_folder, entry.name));
        else
          OpenPath(hwnd, Join(g_folder, entry.name));
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// /list-menu and /invoke: the same menu the user would get, driven without the stylus.
int RunMenuCommand(HWND owner, const std::wstring& file, const std::wstring* itemText) {
  std::wstring path = !file.empty() && file[0] == L'\\' ? file : Join(g_folder, file);
  if (file.empty() || path.size() >= MAX_PATH || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Print(L"error: no such file: " + path);
    return 1;
  }
  const win32::Menu popup(CreatePopupMenu());
  const HMENU menu = popup.get();
  AppendMenuW(menu, MF_STRING, kOpenId, L"Open");
  int rc = 0;
  {
    quintar::device::ContextMenuSession session;
    session.Build(menu, {path});
    std::vector<std::pair<std::wstring, UINT>> items;
    CollectItems(menu, L"", items);
    if (!itemText) {
      for (const auto& item : items) Print(L"item: " + item.first);
    } else {
      auto it = std::find_if(items.begin(), items.end(), [&](const auto& item) {
        const std::wstring& name = item.first;
        return name == *itemText || name.substr(name.find_last_of(L'>') + 1) == *itemText;
      });
      if (it == items.end()) {
        Print(L"error: no menu item: " + *itemText);
        rc = 2;
      } else if (it->second == kOpenId) {
        OpenPath(owner, path);
        Print(L"invoked: Open");
      } else {
        HRESULT hr = session.Invoke(owner, it->second);
        wchar_t code[16];
        wsprintfW(code, L"0x%08X", static_cast<unsigned>(hr));
        Print(L"invoked: " + it->first + L" -> " + code);
        rc = SUCCEEDED(hr) ? 0 : 3;
      }
    }
  }
  return rc;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv + 1, argv + (argv ? argc : 1));
  LocalFree(argv);
  quintar::device::LogOwnStart();
  std::wstring menuFile;
  const std::wstring* itemText = nullptr;
  bool menuMode = false;
  if (!args.empty() && (args[0] == L"/list-menu" || args[0] == L"/invoke")) {
    bool invoke = args[0] == L"/invoke";
    if (args.size() != (invoke ? 3u : 2u)) {
      Print(L"usage: fexplore /list-menu FILE | /invoke FILE \"MENU TEXT\"");
      return 1;
    }
    menuMode = true;
    menuFile = args[1];
    if (invoke) itemText = &args[2];
    // The file's own folder is the one shown behind its menu.
    size_t slash = menuFile.find_last_of(L'\\');
    if (!menuFile.empty() && menuFile[0] == L'\\' && slash != std::wstring::npos) {
      g_folder = menuFile.substr(0, slash);
      menuFile = menuFile.substr(slash + 1);
    }
  } else if (!args.empty()) {
    g_folder = args[0];
    while (!g_folder.empty() && g_folder.back() == L'\\') g_folder.pop_back();
  }

  // Handlers register themselves free-threaded; in the multithreaded apartment they are created
  // directly on this thread, as on the device.
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  SIZE screen = quintar::device::ScreenSize();
  HWND hwnd = CreateWindowExW(0, kClass, kTitle, WS_POPUP | WS_VISIBLE, 0, 0, screen.cx,
                              screen.cy - quintar::device::BandHeight(), nullptr, nullptr, instance, nullptr);
  int rc = 0;
  if (!hwnd) {
    rc = 1;
  } else if (menuMode) {
    rc = RunMenuCommand(hwnd, menuFile, itemText);
    DestroyWindow(hwnd);
  } else {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  CoUninitialize();
  return rc;
}

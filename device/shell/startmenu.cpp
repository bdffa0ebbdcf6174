#include "device/shell/startmenu.h"

#include <aygshell.h>
#include <ceservices.h>

#include <algorithm>

namespace quintar::device {

namespace {

constexpr int kMaxDepth = 6;
constexpr size_t kMaxEntries = 2000;  // ids stay below the 16 bits a command carries

bool IsShortcut(const std::wstring& name) {
  return name.size() > 4 && lstrcmpiW(name.c_str() + name.size() - 4, L".lnk") == 0;
}

// '&' would underline the next letter instead of showing.
std::wstring MenuText(const std::wstring& name) {
  std::wstring text;
  for (wchar_t c : name) {
    if (c == L'&') text += L'&';
    text += c;
  }
  return text;
}

bool ByName(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; }

}  // namespace

StartMenu::StartMenu(const std::wstring& folder) : menu_(CreatePopupMenu()) {
  if (menu_) Fill(menu_.get(), folder, 0);
}

const std::wstring* StartMenu::ShortcutOf(UINT id) const {
  if (id < kFirstId || id - kFirstId >= shortcuts_.size()) return nullptr;
  return &shortcuts_[id - kFirstId];
}

// False when the folder gave the menu nothing.
bool StartMenu::Fill(HMENU menu, const std::wstring& folder, int depth) {
  std::vector<std::wstring> folders, shortcuts;
  WIN32_FIND_DATAW data;
  if (win32::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data)); find) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        folders.push_back(name);
      else if (IsShortcut(name))
        shortcuts.push_back(name);
    } while (FindNextFileW(find.get(), &data));
  }
  std::sort(folders.begin(), folders.end(), ByName);
  std::sort(shortcuts.begin(), shortcuts.end(), ByName);
  bool any = false;
  if (depth < kMaxDepth) {
    for (const std::wstring& name : folders) {
      win32::Menu submenu(CreatePopupMenu());
      if (!submenu || !Fill(submenu.get(), folder + L"\\" + name, depth + 1)) continue;
      if (!AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu.get()), MenuText(name).c_str()))
        continue;
      submenu.release();  // the parent menu destroys it
      any = true;
    }
  }
  for (const std::wstring& name : shortcuts) {
    if (shortcuts_.size() >= kMaxEntries) break;
    const UINT id = kFirstId + static_cast<UINT>(shortcuts_.size());
    if (!AppendMenuW(menu, MF_STRING, id, MenuText(name.substr(0, name.size() - 4)).c_str())) continue;
    shortcuts_.push_back(folder + L"\\" + name);
    any = true;
  }
  return any;
}

std::wstring StartMenuFolder() {
  wchar_t path[MAX_PATH] = L"";
  if (!CeGetSpecialFolderPath(nullptr, path, CSIDL_STARTMENU, FALSE) || !path[0]) return L"\\Windows\\Start Menu";
  return path;
}

bool OpenThroughShell(HWND owner, const std::wstring& path, const std::wstring& parameters,
                      win32::KernelHandle* process) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = process ? SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI : 0;
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = path.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOW;
  if (!CeShellExecuteEx(&info)) return false;
  if (process) process->reset(info.hProcess);
  return true;
}

}  // namespace quintar::device

#include "todayplugin/themes.h"

#include <ceshell.h>

#include <ceservices.h>

#include <algorithm>
#include <optional>
#include <string>

#include "todayplugin/resource.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::glancet {

using namespace core;
using win32::Wide;

namespace {

constexpr wchar_t kTodayKey[] = L"Software\\Microsoft\\Today";
constexpr DWORD kInstallerWaitMs = 60000;

win32::RegKey OpenTodayKey() {
  win32::RegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kTodayKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
    return win32::RegKey();
  return key;
}

void SetSkin(HKEY key, const std::wstring& path) {
  RegSetValueExW(key, L"Skin", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

// True when the installer ran to its end within the wait.
bool RunInstaller(const std::wstring& themePath) {
  std::wstring line = Wide(InstallerCommandLine(win32::U16(themePath)));
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(win32::WidePtr(kInstaller), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  win32::KernelHandle process(pi.hProcess), thread(pi.hThread);
  return WaitForSingleObject(process.get(), kInstallerWaitMs) == WAIT_OBJECT_0;
}

// The device shell's rename; never over an existing file.
bool Rename(HWND owner, const std::wstring& from, const std::wstring& to) {
  std::wstring source = from + L'\0', target = to + L'\0';  // lists ending in two zeros
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = FO_RENAME;
  op.pFrom = source.c_str();
  op.pTo = target.c_str();
  op.fFlags = FOF_ALLOWUNDO;
  return CeSHFileOperation(&op) == 0 && !op.fAnyOperationsAborted;
}

void MarkTheme(HMENU submenu, int index, int count) {
  if (submenu && index >= 0 && index < count) CheckMenuRadioItem(submenu, 0, count - 1, index, MF_BYPOSITION);
}

// Hands theme `index` to the installer under its name without spaces, then under its own.
bool Apply(HWND owner, State& state, const std::vector<ThemeFile>& themes, int index, HKEY key) {
  const std::wstring folder = win32::WidePtr(kThemeFolder);
  const std::wstring themePath = folder + Wide(themes[index].name);
  const std::wstring plainPath = folder + Wide(PlainThemeName(themes[index].name));
  bool renamed = false;
  if (plainPath != themePath) {
    // Never over another file of that name; a failed rename leaves the theme as it was.
    if (GetFileAttributesW(plainPath.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    if (!Rename(owner, themePath, plainPath)) return false;
    renamed = true;
  }
  RegDeleteValueW(key, L"UseStartImage");
  if (RunInstaller(plainPath)) SetSkin(key, plainPath);
  CePostMessage(CeGetDesktopWindow(), WM_WININICHANGE, 0xF2, 0);
  const bool back = !renamed || Rename(owner, plainPath, themePath);
  // "Skin" names the file where it is: under its own name unless the rename back failed.
  if (RunInstaller(plainPath)) SetSkin(key, back ? themePath : plainPath);
  state.settings.themeIndex = index;
  return true;
}

}  // namespace

std::vector<ThemeFile> ListThemes() {
  std::vector<ThemeFile> themes;
  WIN32_FIND_DATAW fd;
  // The device's find, which gives themes in ROM their in-ROM bits.
  win32::FindHandle find(CeFindFirstFile(L"\\windows\\*.tsk", &fd));
  if (!find) return themes;
  do {
    std::u16string name = win32::U16(fd.cFileName);
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsThemeFile(name))
      themes.push_back({std::move(name), fd.dwFileAttributes});
  } while (CeFindNextFile(find.get(), &fd));
  return themes;
}

bool ApplyThemeFromMenu(HWND owner, State& state, int index, HMENU submenu) {
  win32::RegKey key = OpenTodayKey();
  if (!key) return false;
  const std::vector<ThemeFile> themes = ListThemes();
  const int count = static_cast<int>(themes.size());
  if (index < 0 || index >= count) return false;
  std::optional<int> at = FirstAppliable(themes, index);
  if (!at || !Apply(owner, state, themes, *at, key.get())) return false;
  MarkTheme(submenu, *at, count);
  return true;
}

bool NextTheme(HWND owner, State& state, HMENU submenu) {
  win32::RegKey key = OpenTodayKey();
  if (!key) return false;
  const std::vector<ThemeFile> themes = ListThemes();
  const int next = NextThemeIndex(state.settings.themeIndex, static_cast<int>(themes.size()));
  if (next < 0) return false;
  if (IsRomTheme(themes[next].attributes)) {
    state.settings.themeIndex = next;
    return true;
  }
  if (!Apply(owner, state, themes, next, key.get())) return false;
  MarkTheme(submenu, next, static_cast<int>(themes.size()));
  return true;
}

void FillThemeSubmenu(HMENU submenu, const State& state) {
  const std::vector<ThemeFile> themes = ListThemes();
  const int count = std::min<int>(static_cast<int>(themes.size()), IDM_THEME_LAST - IDM_THEME_FIRST + 1);
  for (int i = 0; i < count; ++i)
    AppendMenuW(submenu, MF_STRING, IDM_THEME_FIRST + i, Wide(ThemeMenuText(themes[i].name)).c_str());
  if (count == 0) return;
  int marked = -1;
  wchar_t skin[MAX_PATH] = {};
  DWORD size = sizeof skin;
  if (RegGetValueW(HKEY_CURRENT_USER, kTodayKey, L"Skin", RRF_RT_REG_SZ, nullptr, skin, &size) == ERROR_SUCCESS)
    for (int i = 0; i < count && marked < 0; ++i)
      if (lstrcmpiW((L"\\Windows\\" + Wide(themes[i].name)).c_str(), skin) == 0) marked = i;
  if (int applied = ValidThemeIndex(state.settings.themeIndex, count); applied >= 0) marked = applied;
  if (marked >= 0)
    CheckMenuRadioItem(submenu, IDM_THEME_FIRST, IDM_THEME_FIRST + count - 1, IDM_THEME_FIRST + marked, MF_BYCOMMAND);
}

}  // namespace quintar::glancet

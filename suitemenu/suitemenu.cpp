#include "suitemenu/suitemenu.h"

#include <shellapi.h>

#include <ceservices.h>

#include "win32/handle.h"
#include "win32/shell.h"

namespace quintar::suitemenu {

namespace {

constexpr WPARAM kReloadItems = 0xF2;  // the Today screen re-reads its items

// The device's ShellExecuteEx: open, shown normally, for `file` with `parameters`.
bool Open(const wchar_t* file, const wchar_t* parameters) noexcept {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  // Only the suite's own words reach the user: the shell's error box would come first.
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file;
  info.lpParameters = parameters;
  info.nShow = SW_SHOWNORMAL;
  return CeShellExecuteEx(&info) != FALSE;
}

}  // namespace

bool SwitchOnTodayItem() noexcept {
  bool written = false;
  // Opened, never created: an item key without its library would break the Today screen.
  win32::RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTodayItemKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) ==
      ERROR_SUCCESS) {
    DWORD enabled = 0, size = sizeof enabled, type = 0;
    LONG read = RegQueryValueExW(key.get(), L"Enabled", nullptr, &type, reinterpret_cast<BYTE*>(&enabled), &size);
    if (read != ERROR_SUCCESS || size != sizeof enabled || enabled == 0) {
      RegDeleteValueW(key.get(), L"Enabled");
      const DWORD on = 1;
      written = RegSetValueExW(key.get(), L"Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on) ==
                ERROR_SUCCESS;
      // Through the device's desktop window: the system's own never reaches the Today screen.
      if (written) CePostMessage(CeGetDesktopWindow(), WM_WININICHANGE, kReloadItems, 0);
    }
  }
  if (HWND today = FindWindowW(nullptr, L"desktop")) SetForegroundWindow(today);
  return written;
}

bool StartProgram(const wchar_t* path) noexcept { return Open(path, nullptr); }

bool OpenManual(HWND owner, const wchar_t* manual) noexcept {
  if (Open(manual, kBrowser)) return true;
  win32::ShowMessage(owner, L"If you can't open user manual, please open it under installation directory.", L"Prompt",
                     MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void Run(const Entry& entry, HWND owner, const CloseProgram& close) {
  switch (entry.action) {
    case Action::SwitchOnToday:
      SwitchOnTodayItem();
      close();
      break;
    case Action::StartSibling:
      StartProgram(entry.path);
      close();
      break;
    case Action::CloseThenStartSibling:
      close();
      StartProgram(entry.path);
      break;
    case Action::OpenManual:
      OpenManual(owner, entry.path);
      break;
  }
}

}  // namespace quintar::suitemenu

// The suite package's installer hooks: a warning when the suite goes anywhere but its own folder,
// and the Today screen told when the plug-in arrives and before it leaves.
#include <windows.h>

#include <ceservices.h>

#include <cwchar>

#include "win32/handle.h"
#include "win32/messagebox.h"

namespace quintar::setup {

constexpr DWORD kContinue = 0;  // codeINSTALL_INIT_CONTINUE, codeINSTALL_EXIT_DONE, ...
constexpr DWORD kCancel = 1;    // codeINSTALL_INIT_CANCEL
constexpr wchar_t kInstallFolder[] = L"\\Program Files\\Zek\\Quintar";
constexpr wchar_t kTodayItems[] = L"SOFTWARE\\Microsoft\\Today\\Items";
constexpr wchar_t kTodayItem[] = L"Glancet";
constexpr WPARAM kReloadItems = 0xF2;
// A hung Today screen must not hold the installer.
constexpr UINT kReloadTimeoutMs = 3000;

HMODULE module = nullptr;

void ReloadTodayItems() {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(CeGetDesktopWindow(), WM_WININICHANGE, kReloadItems, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                      kReloadTimeoutMs, &result);
}

}  // namespace quintar::setup

namespace qs = quintar::setup;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH || reason == DLL_THREAD_ATTACH) qs::module = instance;
  return TRUE;
}

extern "C" DWORD WINAPI Install_Init(HWND parent, BOOL, BOOL, LPCWSTR folder) {
  // No folder at all is not the suite's folder either.
  if (folder && std::wcscmp(folder, qs::kInstallFolder) == 0) return qs::kContinue;
  int answer = quintar::win32::ScreenMessageBox(
      parent,
      L"You are installing Zek Quintar on a storage card.Zek Quintar is a system "
      L"application,so it will install Zek Quintar using the default application install "
      L"directory.                          Do you wish to continue setup?",
      L"Zek Quintar Installation", MB_YESNO | MB_ICONHAND);
  // Only the user's No cancels; a box that could not be shown does not.
  return answer == IDNO ? qs::kCancel : qs::kContinue;
}

extern "C" DWORD WINAPI Install_Exit(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD) {
  qs::ReloadTodayItems();
  return qs::kContinue;
}

extern "C" DWORD WINAPI Uninstall_Init(HWND, LPCWSTR) {
  quintar::win32::RegKey items;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, qs::kTodayItems, 0, KEY_ALL_ACCESS, items.put()) == ERROR_SUCCESS) {
    // With whatever the item keeps below its key: a plain key delete leaves a key with subkeys.
    RegDeleteTreeW(items.get(), qs::kTodayItem);
    // The Today screen lets go of the plug-in before its files are removed.
    qs::ReloadTodayItems();
  }
  return qs::kContinue;
}

extern "C" DWORD WINAPI Uninstall_Exit(HWND) { return qs::kContinue; }

// shell.exe: the device's Today screen, its menu-bar band and soft input panel, started first.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "device/shell/sip.h"
#include "device/shell/today.h"

namespace {

constexpr DWORD kPowerOffKey = 0xDF;  // VK_OFF
HWND g_today = nullptr;

// The hook only posts: a low-level hook that takes long is dropped by the system.
LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN)) {
    auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (key->vkCode == kPowerOffKey && g_today) PostMessageW(g_today, quintar::device::MSG_POWER_OFF_KEY, 0, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD RefreshMsFromRegistry(DWORD fallback) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Quintar\\Device\\Today", L"RefreshMs", RRF_RT_REG_DWORD, nullptr,
                   &value, &size) == ERROR_SUCCESS &&
      value > 0) {
    return value;
  }
  return fallback;
}

// Switches: /refresh-ms N (period of the items' refresh queries), /screenshot-ready FILE,
// /run PROGRAM and /run-args ARGUMENTS (a device program started once the shell is ready).
quintar::device::TodayOptions ParseOptions() {
  quintar::device::TodayOptions options;
  options.refreshMs = RefreshMsFromRegistry(options.refreshMs);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i + 1 < argc; ++i) {
    if (lstrcmpiW(argv[i], L"/refresh-ms") == 0) {
      int ms = _wtoi(argv[++i]);
      if (ms > 0) options.refreshMs = static_cast<UINT>(ms);
    } else if (lstrcmpiW(argv[i], L"/screenshot-ready") == 0) {
      options.readyMarker = argv[++i];
    } else if (lstrcmpiW(argv[i], L"/run") == 0) {
      options.runProgram = argv[++i];
    } else if (lstrcmpiW(argv[i], L"/run-args") == 0) {
      options.runArguments = argv[++i];
    }
  }
  LocalFree(argv);
  return options;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  quintar::device::TodayOptions options = ParseOptions();
  g_today = quintar::device::CreateTodayScreen(instance, options);
  if (!g_today) return 1;
  // The hook comes before the SIP: whoever waits for the SIP window may press keys at once.
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, instance, 0);
  quintar::device::CreateMenuBand(instance, g_today);
  quintar::device::CreateSipWindow(instance, g_today);
  PostMessageW(g_today, quintar::device::MSG_SHELL_READY, 0, 0);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (hook) UnhookWindowsHookEx(hook);
  return 0;
}

// The device's desktop window and the messages the suite sends it. On the device the desktop
// window is the shell's Today screen; on a desktop system GetDesktopWindow names the system's
// own, and a message that carries a pointer-sized lParam may not be posted to another process.
#include <windows.h>

#include <ceservices.h>

extern "C" HWND WINAPI CeGetDesktopWindow() {
  if (HWND today = FindWindowW(L"DesktopExplorerWindow", L"DeskTop")) return today;
  return GetDesktopWindow();
}

extern "C" BOOL WINAPI CePostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == GetDesktopWindow()) hwnd = CeGetDesktopWindow();
  if (PostMessageW(hwnd, msg, wParam, lParam)) return TRUE;
  if (GetLastError() != ERROR_MESSAGE_SYNC_ONLY) return FALSE;
  // The device posts settings changes to other processes; here only a send crosses. A short
  // time limit keeps a hung receiver from hanging the sender.
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result) != 0;
}

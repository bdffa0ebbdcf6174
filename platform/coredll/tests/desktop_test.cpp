// The suite reaches the Today screen as "the desktop window", across processes.
#include <ceservices.h>

#include <string>

#include <gtest/gtest.h>

#include "win32/handle.h"

namespace {

HWND g_desktop = nullptr;
int g_reloads = 0;

LRESULT CALLBACK TodayProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_WININICHANGE && wParam == 0xF2) ++g_reloads;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

TEST(DesktopWindow, IsTheTodayScreenWhenOneRuns) {
  EXPECT_EQ(CeGetDesktopWindow(), GetDesktopWindow()) << "no shell: the system's desktop";

  WNDCLASSW wc = {};
  wc.lpfnWndProc = TodayProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"DesktopExplorerWindow";
  ASSERT_TRUE(RegisterClassW(&wc));
  g_desktop =
      CreateWindowExW(0, wc.lpszClassName, L"DeskTop", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(g_desktop, nullptr);
  EXPECT_EQ(CeGetDesktopWindow(), g_desktop);

  // A post addressed to the system's desktop reaches the Today screen.
  g_reloads = 0;
  ASSERT_TRUE(CePostMessage(GetDesktopWindow(), WM_WININICHANGE, 0xF2, 0));
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(g_reloads, 1);

  DestroyWindow(g_desktop);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

// Across processes the system refuses to post WM_WININICHANGE; the device's post still arrives.
TEST(DesktopWindow, SettingsChangeReachesAnotherProcess) {
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  wchar_t line[] = L"T:\\shell.exe /refresh-ms 100000";
  if (GetFileAttributesW(L"T:\\shell.exe") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no shell.exe built";
  ASSERT_TRUE(CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  const quintar::win32::KernelHandle process(pi.hProcess), thread(pi.hThread);
  HWND today = nullptr;
  for (int i = 0; i < 200 && !(today = FindWindowW(L"DesktopExplorerWindow", L"DeskTop")); ++i) Sleep(50);
  ASSERT_NE(today, nullptr);

  SetLastError(0);
  EXPECT_FALSE(PostMessageW(today, WM_WININICHANGE, 0xF2, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY)) << "the system's own rule still holds";
  EXPECT_TRUE(CePostMessage(today, WM_WININICHANGE, 0xF2, 0));
  EXPECT_TRUE(CePostMessage(GetDesktopWindow(), WM_WININICHANGE, 0xF2, 0));

  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
}

// End to end: the emulated device's Today screen loads Glancet from its item key and shows it.
// With GLANCET_SHOT set, the screen is also saved as T:\glancet-<profile>.bmp for a look.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport/keycolour.h"
#include "testsupport/testsupport.h"
#include "todayplugin/tests/device_screen.h"
#include "win32/handle.h"

namespace {

using quintar::glancet::test::Profile;
using quintar::glancet::test::Scale;
using namespace quintar::win32;

void SaveScreen(const std::wstring& path) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  WindowDc screen(nullptr);
  MemoryDc mem(CreateCompatibleDC(screen.get()));
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  Bitmap dib(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  Selection selected(mem.get(), dib.get());
  BitBlt(mem.get(), 0, 0, w, h, screen.get(), 0, 0, SRCCOPY);
  GdiFlush();
  DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, bytes = stride * h;
  BITMAPFILEHEADER fh = {0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + bytes), 0, 0,
                         sizeof fh + sizeof bi.bmiHeader};
  FileHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (f) {
    DWORD n = 0;
    WriteFile(f.get(), &fh, sizeof fh, &n, nullptr);
    WriteFile(f.get(), &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr);
    WriteFile(f.get(), bits, bytes, &n, nullptr);
  }
}

TEST(TodayScreen, ShowsGlancetAsTallAsItsTallestTab) {
  if (GetFileAttributesW(L"\\Program Files\\Zek\\Quintar\\Glancet.dll") == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "the device image carries no Glancet.dll";
  DeleteFileW(L"\\windows\\pellvane.dat");
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::wstring command = L"T:\\shell.exe /refresh-ms 200";
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  KernelHandle process(pi.hProcess), thread(pi.hThread);

  HWND desktop = nullptr, item = nullptr;
  bool shown = testsupport::PumpUntil(
      [&] {
        desktop = FindWindowW(L"DesktopExplorerWindow", L"DeskTop");
        item = desktop ? FindWindowExW(desktop, nullptr, L"MyToday", L"MyTodayScreen") : nullptr;
        RECT rc = {};
        // Shown: a shell that starts quickly may lay its items out before it shows itself.
        return item && GetWindowRect(item, &rc) && rc.bottom > rc.top && IsWindowVisible(item);
      },
      15000);
  EXPECT_TRUE(shown) << "Glancet's window under the Today screen";
  if (shown) {
    RECT rc = {};
    GetWindowRect(item, &rc);
    EXPECT_EQ(rc.bottom - rc.top, 100 * Scale());
    EXPECT_EQ(rc.right - rc.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_TRUE(IsWindowVisible(item));
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW(L"\\windows\\pellvane.dat", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 287344u);
    testsupport::PumpFor(1500);  // a few refreshes and paints
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell survived";
    // The artwork's and the buffer's magenta key must be masked out whole.
    const auto keyed = testsupport::CountKeyColourOnScreen(rc);
    EXPECT_EQ(keyed.Total(), 0) << keyed.Describe();
    wchar_t shot[8] = {};
    if (GetEnvironmentVariableW(L"GLANCET_SHOT", shot, 8)) {
      const std::wstring path = L"T:\\glancet-" + Profile() + L".bmp";
      SaveScreen(path);
      EXPECT_TRUE(testsupport::CheckNoKeyColour(path));
    }
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 5000);
}

}  // namespace

// The Today screen stand-in, its SIP window and the recorder stand-ins, driven from outside as
// the suite drives them.
#include <windows.h>

#include <ceservices.h>
#include <todaycmn.h>

#include <string>

#include <gtest/gtest.h>

#include "device/shell/startmenu.h"
#include "device/tests/device_test_util.h"
#include "win32/handle.h"

using namespace quintar::device::tests;

namespace {

using testsupport::PumpUntil;

constexpr wchar_t kItems[] = L"SOFTWARE\\Microsoft\\Today\\Items";
constexpr wchar_t kRecords[] = L"Software\\Quintar\\Tests\\TestToday";
constexpr wchar_t kShell[] = L"T:\\shell.exe /refresh-ms 100";

void SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD value) {
  ASSERT_EQ(RegSetKeyValueW(root, key.c_str(), name, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
}

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  ASSERT_EQ(RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

// What the test item named `item` recorded (see testtoday.cpp).
DWORD Recorded(const wchar_t* item, const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  std::wstring key = std::wstring(kRecords) + L"\\" + item;
  return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS
             ? value
             : 0;
}

RECT ScreenRect(HWND hwnd) {
  RECT rc = {};
  GetWindowRect(hwnd, &rc);
  return rc;
}

class TodayScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItems);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRecords);
  }
  void TearDown() override {
    shell_ = {};
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItems);
  }

  static void AddItem(const wchar_t* name, const std::wstring& dll, DWORD order, DWORD enabled, DWORD height = 40,
                      DWORD type = 4) {
    std::wstring key = std::wstring(kItems) + L"\\" + name;
    SetString(HKEY_LOCAL_MACHINE, key, L"DLL", dll);
    SetDword(HKEY_LOCAL_MACHINE, key, L"Order", order);
    SetDword(HKEY_LOCAL_MACHINE, key, L"Enabled", enabled);
    SetDword(HKEY_LOCAL_MACHINE, key, L"Type", type);
    SetDword(HKEY_LOCAL_MACHINE, key, L"Options", 1);
    SetDword(HKEY_LOCAL_MACHINE, key, L"TestHeight", height);
  }

  HWND StartShell(const std::wstring& commandLine = kShell) {
    shell_ = Start(commandLine);
    EXPECT_TRUE(shell_) << "shell.exe did not start";
    HWND desktop = nullptr;
    // The SIP is the last window the shell makes.
    PumpUntil([&] {
      desktop = FindWindowW(L"DesktopExplorerWindow", L"DeskTop");
      return desktop && FindWindowW(L"SipWndClass", nullptr);
    });
    return desktop;
  }

  static HWND Item(HWND desktop, const wchar_t* name) { return FindWindowExW(desktop, nullptr, nullptr, name); }

  testsupport::ChildProcess shell_;
};

TEST_F(TodayScreenTest, CoversTheScreenAboveTheBandAndOwnsAHiddenSip) {
  HWND desktop = StartShell();
  ASSERT_NE(desktop, nullptr);
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  int dpi = GetDeviceCaps(quintar::win32::WindowDc(nullptr).get(), LOGPIXELSY);
  int band = MulDiv(26, dpi, 96);
  RECT rc = ScreenRect(desktop);
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.top, 0);
  EXPECT_EQ(rc.right, cx);
  EXPECT_EQ(rc.bottom, cy - band);
  EXPECT_TRUE(IsWindowVisible(desktop));

  HWND sip = FindWindowW(L"SipWndClass", nullptr);
  ASSERT_NE(sip, nullptr);
  EXPECT_FALSE(IsWindowVisible(sip));
  RECT s = ScreenRect(sip);
  EXPECT_EQ(s.left, 0);
  EXPECT_EQ(s.right, cx);
  EXPECT_EQ(s.bottom, cy - band);
  EXPECT_EQ(s.bottom - s.top, MulDiv(80, dpi, 96));
}

TEST_F(TodayScreenTest, StacksEnabledItemsByOrderAndSkipsBrokenOnes) {
  AddItem(L"Second", L"T:\\testtoday.dll", 2, 1, 30);
  AddItem(L"First", L"T:\\testtoday.dll", 1, 1, 40);
  AddItem(L"Disabled", L"T:\\testtoday.dll", 0, 0);
  AddItem(L"Missing", L"T:\\no-such-item.dll", 3, 1);
  AddItem(L"NoEntry", L"T:\\testmenu.dll", 4, 1);
  AddItem(L"TooLong", L"T:\\" + std::wstring(300, L'x') + L".dll", 5, 1);
  AddItem(L"BuiltIn", L"T:\\testtoday.dll", 6, 1, 40, 1);
  HWND desktop = StartShell();
  ASSERT_NE(desktop, nullptr);
  HWND first = nullptr, second = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    return (first = Item(desktop, L"First")) && (second = Item(desktop, L"Second")) &&
           ScreenRect(second).bottom > ScreenRect(second).top;
  }));

  RECT desk = ScreenRect(desktop), a = ScreenRect(first), b = ScreenRect(second);
  EXPECT_EQ(a.bottom - a.top, 40);
  EXPECT_EQ(b.bottom - b.top, 30);
  EXPECT_EQ(b.top, a.bottom) << "items are stacked in Order, each as high as its cyp";
  EXPECT_GT(a.top, desk.top);
  EXPECT_EQ(a.left, desk.left);
  EXPECT_EQ(a.right, desk.right);

  // The disabled item was asked, saw its flag, and shows nothing; the built-in type is not loaded.
  EXPECT_EQ(Recorded(L"Disabled", L"Inits"), 1u);
  EXPECT_EQ(Recorded(L"Disabled", L"Enabled"), 0u);
  EXPECT_EQ(Item(desktop, L"Disabled"), nullptr);
  EXPECT_EQ(Recorded(L"BuiltIn", L"Inits"), 0u);
  EXPECT_EQ(Recorded(L"First", L"OwnInstance"), 1u) << "hinstDLL is the item's own module";
  EXPECT_EQ(Recorded(L"First", L"Options"), 1u);

  // The item windows are the only children: the broken entries left nothing behind.
  int children = 0;
  for (HWND c = GetWindow(desktop, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
  EXPECT_EQ(children, 2);
  EXPECT_EQ(WaitForSingleObject(shell_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the shell survived";
}

TEST_F(TodayScreenTest, QueriesItemsAndAnswersTheirColourAndWatermarkRequests) {
  AddItem(L"First", L"T:\\testtoday.dll", 1, 1, 40);
  AddItem(L"Second", L"T:\\testtoday.dll", 2, 1, 30);
  HWND desktop = StartShell();
  ASSERT_NE(desktop, nullptr);
  ASSERT_TRUE(PumpUntil([] { return Recorded(L"First", L"Queries") >= 6 && Recorded(L"First", L"Paints") >= 3; }))
      << "queries " << Recorded(L"First", L"Queries") << ", paints " << Recorded(L"First", L"Paints");

  EXPECT_EQ(Recorded(L"First", L"TextColour"),
            static_cast<DWORD>(SendMessageW(desktop, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0)));
  DWORD highlight = Recorded(L"First", L"HighlightColour"), highlighted = Recorded(L"First", L"HighlightedTextColour");
  EXPECT_NE(highlight, highlighted) << "highlighted text stands out from its highlight";
  EXPECT_GE(Recorded(L"First", L"Watermarks"), 1u);
  COLORREF pixel = Recorded(L"First", L"WatermarkPixel");
  EXPECT_GE(GetRValue(pixel), 150) << "the light Today background was drawn into the item's DC";

  // A new cyp moves the items below it.
  SetDword(HKEY_LOCAL_MACHINE, std::wstring(kItems) + L"\\First", L"TestHeight", 60);
  HWND first = Item(desktop, L"First"), second = Item(desktop, L"Second");
  ASSERT_TRUE(PumpUntil([&] {
    RECT a = ScreenRect(first), b = ScreenRect(second);
    return a.bottom - a.top == 60 && b.top == a.bottom;
  }));
}

TEST_F(TodayScreenTest, ReloadsItsItemsOnWinIniChange) {
  AddItem(L"First", L"T:\\testtoday.dll", 1, 1, 40);
  AddItem(L"Second", L"T:\\testtoday.dll", 2, 1, 30);
  HWND desktop = StartShell();
  ASSERT_NE(desktop, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Item(desktop, L"Second") != nullptr; }));
  RECT before = ScreenRect(Item(desktop, L"Second"));

  SetDword(HKEY_LOCAL_MACHINE, std::wstring(kItems) + L"\\First", L"Enabled", 0);
  // Wine refuses to post this message (ERROR_MESSAGE_SYNC_ONLY), so it is sent.
  EXPECT_TRUE(SendMessageTimeoutW(desktop, WM_WININICHANGE, 0xF2, 0, SMTO_ABORTIFHUNG, 2000, nullptr));
  // The item records its start before its window exists, and the shell lays the items out after.
  HWND second = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    return Item(desktop, L"First") == nullptr && Recorded(L"Second", L"Inits") == 2 &&
           (second = Item(desktop, L"Second")) != nullptr && ScreenRect(second).top == before.top - 40;
  })) << "the remaining item was reloaded and moved up";
  EXPECT_EQ(Recorded(L"First", L"ClearCaches"), 1u);
  EXPECT_EQ(Recorded(L"First", L"Destroys"), 1u);

  SetDword(HKEY_LOCAL_MACHINE, std::wstring(kItems) + L"\\First", L"Enabled", 1);
  SendMessageW(desktop, WM_WININICHANGE, 0xF2, 0);
  ASSERT_TRUE(PumpUntil([&] { return Item(desktop, L"First") != nullptr; }));
  EXPECT_EQ(Recorded(L"First", L"Inits"), 3u);
}

// A window of the test's own that counts the SIP's settings-change notices.
int g_sipNotices = 0;
LRESULT CALLBACK NoticeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SETTINGCHANGE && wParam == 224) ++g_sipNotices;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(TodayScreenTest, SipVisibilityChangesAreBroadcast) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = NoticeProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"SipNoticeCounter";
  RegisterClassW(&wc);
  HWND counter =
      CreateWindowExW(0, wc.lpszClassName, L"counter", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(counter, nullptr);
  ASSERT_NE(StartShell(), nullptr);
  HWND sip = FindWindowW(L"SipWndClass", nullptr);
  ASSERT_NE(sip, nullptr);
  g_sipNotices = 0;
  ShowWindow(sip, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(PumpUntil([] { return g_sipNotices == 1; }));
  EXPECT_TRUE(IsWindowVisible(sip));
  ShowWindow(sip, SW_HIDE);
  EXPECT_TRUE(PumpUntil([] { return g_sipNotices == 2; }));
  EXPECT_FALSE(IsWindowVisible(sip));
  DestroyWindow(counter);
}

TEST_F(TodayScreenTest, WritesTheScreenshotMarkerOnceReady) {
  AddItem(L"First", L"T:\\testtoday.dll", 1, 1, 40);
  DeleteFileW(L"\\shell-ready.flag");
  ASSERT_NE(StartShell(std::wstring(kShell) + L" /screenshot-ready \\shell-ready.flag"), nullptr);
  ASSERT_TRUE(PumpUntil([] { return FileExists(L"\\shell-ready.flag"); }));
  EXPECT_GE(Recorded(L"First", L"Paints"), 1u) << "the items had painted before the marker";
  DeleteFileW(L"\\shell-ready.flag");
}

bool HaveDeviceLog() { return FileExists(L"T:\\coredll.dll"); }

TEST_F(TodayScreenTest, RecordsThePowerOffKey) {
  if (!HaveDeviceLog()) GTEST_SKIP() << "coredll.dll is not built: no event log to read";
  ASSERT_NE(StartShell(), nullptr);
  std::wstring log = DeviceLogPath(L"EventLog", L"\\Windows\\device-events.log");
  keybd_event(0xDF, 0, 0, 0);
  keybd_event(0xDF, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_TRUE(PumpUntil([&] { return testsupport::ReadFileBytes(log).find("power-off-key") != std::string::npos; }));
}

std::wstring MenuText(HMENU menu, int position) {
  wchar_t text[128] = L"";
  GetMenuStringW(menu, static_cast<UINT>(position), text, ARRAYSIZE(text), MF_BYPOSITION);
  return text;
}

void WriteShortcut(const std::wstring& path, const std::wstring& target) {
  ASSERT_TRUE(SHCreateShortcut(const_cast<wchar_t*>(path.c_str()), const_cast<wchar_t*>(target.c_str()))) << path;
}

TEST_F(TodayScreenTest, StartMenuShowsTheStartMenuFolderAndStartsTheChosenEntry) {
  if (!HaveDeviceLog()) GTEST_SKIP() << "coredll.dll is not built: no shortcuts to follow";
  for (const wchar_t* folder : {L"\\StartTest", L"\\StartTest\\Programs", L"\\StartTest\\Programs\\Tools",
                                L"\\StartTest\\Empty", L"\\Windows"}) {
    CreateDirectoryW(folder, nullptr);
  }
  WriteShortcut(L"\\StartTest\\Programs\\Tools\\Ctl.lnk", L"\\Windows\\ctlpnl.exe -start \"a b\"");
  WriteShortcut(L"\\StartTest\\Programs\\Tools\\A & B.lnk", L"\\Windows\\beam.exe");
  WriteShortcut(L"\\StartTest\\Programs\\Folderon.lnk", L"\"\\Program Files\\Zek\\Quintar\\Folderon.exe\"");
  WriteShortcut(L"\\StartTest\\Settings.lnk", L"\\Windows\\ctlpnl.exe");
  testsupport::WriteFileBytes(L"\\StartTest\\Programs\\notes.txt", "not a shortcut");

  // Subfolders first as submenus (an empty one left out), then the shortcuts by name.
  {
    const quintar::device::StartMenu start(L"\\StartTest");
    HMENU root = start.menu();
    ASSERT_EQ(GetMenuItemCount(root), 2);
    EXPECT_EQ(MenuText(root, 0), L"Programs");
    EXPECT_EQ(MenuText(root, 1), L"Settings");
    HMENU programs = GetSubMenu(root, 0);
    ASSERT_EQ(GetMenuItemCount(programs), 2);
    EXPECT_EQ(MenuText(programs, 0), L"Tools");
    EXPECT_EQ(MenuText(programs, 1), L"Folderon");
    HMENU tools = GetSubMenu(programs, 0);
    ASSERT_EQ(GetMenuItemCount(tools), 2);
    EXPECT_EQ(MenuText(tools, 0), L"A && B") << "shown as \"A & B\"";
    const std::wstring* ctl = start.ShortcutOf(GetMenuItemID(tools, 1));
    ASSERT_NE(ctl, nullptr);
    EXPECT_EQ(*ctl, L"\\StartTest\\Programs\\Tools\\Ctl.lnk");
  }

  // On the booted shell: Start, Programs, Tools, Ctl starts the shortcut's program.
  MoveFileW(L"\\Windows\\Start Menu", L"\\Windows\\Start Menu.image");
  ASSERT_TRUE(MoveFileW(L"\\StartTest", L"\\Windows\\Start Menu"));
  for (const wchar_t* file : {L"coredll.dll", L"ctlpnl.exe"})
    ASSERT_TRUE(
        CopyFileW((std::wstring(L"T:\\") + file).c_str(), (std::wstring(L"\\Windows\\") + file).c_str(), FALSE));
  ASSERT_NE(StartShell(), nullptr);
  HWND band = FindWindowW(L"QuintarMenuBand", nullptr);
  ASSERT_NE(band, nullptr);
  PostMessageW(band, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
  HWND popup = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (popup = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(popup); }));
  for (WPARAM key : {VK_DOWN, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_RETURN}) {
    PostMessageW(popup, WM_KEYDOWN, key, 0);
    testsupport::PumpFor(100);
  }
  std::wstring log = DeviceLogPath(L"LaunchLog", L"\\Windows\\device-launch.log");
  EXPECT_TRUE(PumpUntil([&] {
    return testsupport::ReadFileBytes(log).find("ctlpnl.exe|-start \"a b\"\n") != std::string::npos;
  })) << testsupport::ReadFileBytes(log);

  // Programs, Folderon: the suite's file manager, recorded by the shell that started it.
  if (!FileExists(L"\\Program Files\\Zek\\Quintar\\Folderon.exe")) return;  // no image built
  PostMessageW(band, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
  ASSERT_TRUE(PumpUntil([&] { return (popup = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(popup); }));
  for (WPARAM key : {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}) {
    PostMessageW(popup, WM_KEYDOWN, key, 0);
    testsupport::PumpFor(100);
  }
  HWND folderon = testsupport::WaitForWindow(L"FolderonPLUSUNI", nullptr, 20000);
  ASSERT_NE(folderon, nullptr);
  EXPECT_NE(testsupport::ReadFileBytes(log).find("folderon.exe|\n"), std::string::npos);
  PostMessageW(folderon, WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil([] { return FindWindowW(L"FolderonPLUSUNI", nullptr) == nullptr; }, 20000));
}

TEST(Recorders, AppendTheirCommandLinesToTheLaunchLog) {
  const wchar_t* programs[] = {L"ctlpnl", L"tmail", L"beam", L"irsquirt", L"repllog", L"iexplore", L"wceload"};
  std::wstring log = DeviceLogPath(L"LaunchLog", L"\\Windows\\device-launch.log");
  for (const wchar_t* program : programs) {
    std::wstring line = std::wstring(L"\"T:\\") + program + L".exe\" cplmain.cpl,4 \"\\My Documents\\a b.txt\"";
    int rc = testsupport::RunProgram(line);
    if (!HaveDeviceLog()) {
      EXPECT_EQ(rc, 2) << "without the device log a recorder reports failure";
      continue;
    }
    EXPECT_EQ(rc, 0);
    std::string expected =
        std::string(program, program + lstrlenW(program)) + ".exe|cplmain.cpl,4 \"\\My Documents\\a b.txt\"";
    EXPECT_NE(testsupport::ReadFileBytes(log).find(expected), std::string::npos) << expected;
  }
}

}  // namespace

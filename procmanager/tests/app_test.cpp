// Vorrel started for real from the test drive: its sheet, the single instance, Soft Reset, Exit.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fixture.h"
#include "testsupport/testsupport.h"

namespace {

constexpr wchar_t kProgram[] = L"T:\\Vorrel.exe";

using Process = testsupport::ChildProcess;

Process Start() { return testsupport::StartProgram(kProgram); }

int CountMainWindows() { return testsupport::CountTopWindows(L"VORREL"); }

TEST(VorrelApp, ShowsItsSheetOnceResetsAndExits) {
  ASSERT_EQ(FindWindowW(L"VORREL", nullptr), nullptr);
  Process first = Start();
  ASSERT_TRUE(first);
  HWND main = testsupport::WaitForWindow(L"VORREL", L"Vorrel", 15000);
  ASSERT_NE(main, nullptr);
  HWND sheet = testsupport::WaitForWindow(L"#32770", L"Vorrel", 15000);
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return IsWindowVisible(sheet) != FALSE; }, 5000));
  EXPECT_EQ(GetWindow(sheet, GW_OWNER), main);
  // Seven tabs, the first page open: the Main page with its battery label.
  HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 7);
  HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(testsupport::DlgItemText(page, 1016).rfind(L"Battery: ", 0), 0u);

  // A second start brings the first to the front and ends; still one main window.
  Process second = Start();
  ASSERT_TRUE(second);
  EXPECT_EQ(second.Wait(15000), 0u);
  EXPECT_EQ(CountMainWindows(), 1);
  EXPECT_TRUE(IsWindow(sheet));

  // Soft Reset from the Tools menu leaves the reboot request in the device's event log.
  size_t before = vorrel_test::EventLines().size();
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(40024, 0), 0);
  EXPECT_TRUE(testsupport::PumpUntil(
      [&] {
        auto lines = vorrel_test::EventLines();
        return std::find(lines.begin() + std::min(before, lines.size()), lines.end(), "exit-windows 0x2") !=
               lines.end();
      },
      10000));

  // Exit ends the sheet and the program.
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(40012, 0), 0);
  EXPECT_EQ(first.Wait(15000), 0u);
  EXPECT_EQ(FindWindowW(L"VORREL", nullptr), nullptr);
}

}  // namespace

namespace {

TEST(VorrelApp, CtrlQEndsTheProgramLikeDone) {
  Process program = Start();
  ASSERT_TRUE(program);
  HWND sheet = testsupport::WaitForWindow(L"#32770", L"Vorrel", 15000);
  ASSERT_NE(sheet, nullptr);
  testsupport::PumpUntil([&] { return GetForegroundWindow() == sheet; }, 3000);
  SetForegroundWindow(sheet);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return GetForegroundWindow() == sheet; }, 3000));
  keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event('Q', 0, 0, 0);
  keybd_event('Q', 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_EQ(program.Wait(15000), 0u);
}

}  // namespace

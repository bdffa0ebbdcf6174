// Tamsk started for real from the test drive: its window, the single instance, Exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport/testsupport.h"

namespace {

constexpr wchar_t kClass[] = L"Zek Registry Editor";
constexpr wchar_t kProgram[] = L"T:\\Tamsk.exe";

using Process = testsupport::ChildProcess;

Process Start() { return testsupport::StartProgram(kProgram); }

int CountWindows() { return testsupport::CountTopWindows(kClass); }

TEST(TamskApp, ShowsItsWindowOnceAndExits) {
  ASSERT_EQ(FindWindowW(kClass, nullptr), nullptr);
  Process first = Start();
  ASSERT_TRUE(first);
  HWND main = testsupport::WaitForWindow(kClass, L"Zek RegEditor", 15000);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));
  // The tree and the list are there, with their identifiers.
  EXPECT_NE(GetDlgItem(main, 2), nullptr);
  EXPECT_NE(GetDlgItem(main, 1), nullptr);

  // A second start brings the first to the front and ends; still one window.
  Process second = Start();
  ASSERT_TRUE(second);
  EXPECT_EQ(second.Wait(15000), 0u);
  EXPECT_EQ(CountWindows(), 1);
  EXPECT_TRUE(IsWindow(main));

  // Exit closes the window and ends the program.
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(40008, 0), 0);
  EXPECT_EQ(first.Wait(15000), 0u);
  EXPECT_EQ(FindWindowW(kClass, nullptr), nullptr);
}

}  // namespace

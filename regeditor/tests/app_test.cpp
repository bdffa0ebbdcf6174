// Tamsk started for real from the test drive: its window, the single instance, Exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport/testsupport.h"

namespace {

constexpr wchar_t kClass[] = L"Zek Registry Editor";
constexpr wchar_t kProgram[] = L"T:\\Tamsk.exe";

class Process {
 public:
  Process() = default;
  explicit Process(const PROCESS_INFORMATION& pi) : process_(pi.hProcess) { CloseHandle(pi.hThread); }
  ~Process() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
    CloseHandle(process_);
  }
  Process(Process&& o) noexcept : process_(o.process_) { o.process_ = nullptr; }
  Process& operator=(Process&&) = delete;
  explicit operator bool() const { return process_ != nullptr; }
  DWORD Wait(DWORD ms) const {
    DWORD code = STILL_ACTIVE;
    if (process_ && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
    return code;
  }

 private:
  HANDLE process_ = nullptr;
};

Process Start() {
  std::wstring line = std::wstring(L"\"") + kProgram + L"\"";
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
  return Process(pi);
}

int CountWindows() {
  int count = 0;
  for (HWND w = FindWindowW(kClass, nullptr); w; w = FindWindowExW(nullptr, w, kClass, nullptr)) ++count;
  return count;
}

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

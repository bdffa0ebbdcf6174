// FolderWatcher and the registry store inside one process: what is posted when, and what is
// read from values of the wrong shape.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "filemanager/folderwatcher.h"
#include "filemanager/settings.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

namespace {

using quintar::folderon::FolderWatcher;
using quintar::folderon::MSG_FOLDER_CHANGED;
using testsupport::PumpFor;
using testsupport::PumpUntil;

int g_changes = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == MSG_FOLDER_CHANGED) {
    ++g_changes;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class WatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_changes = 0;
    CreateDirectoryW(L"\\Temp\\w", nullptr);
    window_ = CreateWindowExW(0, windowClass_.name(), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(watcher_.Start());
    watcher_.SetTarget(window_);
  }
  void TearDown() override {
    watcher_.Stop();
    DestroyWindow(window_);
  }

  testsupport::ScopedWindowClass windowClass_{L"FolderonWatcherTest", CountingProc};
  HWND window_ = nullptr;
  FolderWatcher watcher_;
};

TEST_F(WatcherTest, PostsAChangeOfTheWatchedFolderOnly) {
  watcher_.SetPath(L"\\Temp\\w");
  watcher_.Resume();
  EXPECT_TRUE(watcher_.Watching());
  EXPECT_EQ(watcher_.Path(), L"\\Temp\\w");
  PumpFor(200);
  ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\w\\a", nullptr));
  // Noticed after the quiet time of five seconds.
  EXPECT_TRUE(PumpUntil([] { return g_changes > 0; }, 9000));

  // Suspended: nothing arrives, and what was queued is gone.
  watcher_.Suspend();
  int seen = g_changes;
  ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\w\\b", nullptr));
  PumpFor(6000);
  EXPECT_EQ(g_changes, seen);
  RemoveDirectoryW(L"\\Temp\\w\\a");
  RemoveDirectoryW(L"\\Temp\\w\\b");
}

TEST_F(WatcherTest, SuspendReleasesTheFolderAndStopIsPrompt) {
  ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\w\\gone", nullptr));
  watcher_.SetPath(L"\\Temp\\w\\gone");
  watcher_.Resume();
  PumpFor(200);
  watcher_.Suspend();
  // No handle of ours keeps the folder: it goes at once.
  ASSERT_TRUE(RemoveDirectoryW(L"\\Temp\\w\\gone"));
  EXPECT_EQ(GetFileAttributesW(L"\\Temp\\w\\gone"), INVALID_FILE_ATTRIBUTES);

  // Watching a folder that does not exist waits quietly; stopping does not hang.
  watcher_.Resume();
  DWORD start = GetTickCount();
  watcher_.Stop();
  EXPECT_LT(GetTickCount() - start, 2000u);
}

TEST_F(WatcherTest, SamePathInAnotherCaseKeepsTheWatch) {
  watcher_.SetPath(L"\\Temp\\w");
  watcher_.SetPath(L"\\TEMP\\W");
  EXPECT_EQ(watcher_.Path(), L"\\Temp\\w");
  watcher_.SetPath(L"");
  EXPECT_EQ(watcher_.Path(), L"\\");  // the root is watched as "\"
}

TEST(RegKeyTest, ValuesOfTheWrongShapeLeaveTheDefaults) {
  constexpr wchar_t kKey[] = L"Software\\Olvenmark\\Folderon+\\Settings";
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Olvenmark\\Folderon+");
  quintar::folderon::SettingsKey key(kKey);
  ASSERT_TRUE(key);
  key.WriteBinary(L"Short", "\x01\x02", 2);
  DWORD dword = 7;
  key.ReadDword(L"Short", dword);
  EXPECT_EQ(dword, 7u);
  key.ReadDword(L"Missing", dword);
  EXPECT_EQ(dword, 7u);
  key.WriteDword(L"Good", 42);
  key.ReadDword(L"Good", dword);
  EXPECT_EQ(dword, 42u);

  // A string without its terminator is cut safely; one longer than the read buffer is not read.
  const wchar_t raw[] = {L'a', L'b', L'c'};
  {
    quintar::win32::RegKey h;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, h.put()), ERROR_SUCCESS);
    RegSetValueExW(h.get(), L"NoZero", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), sizeof raw);
    std::wstring longText(400, L'x');
    RegSetValueExW(h.get(), L"Long", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                   static_cast<DWORD>((longText.size() + 1) * 2));
    RegSetValueExW(h.get(), L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), sizeof dword);
  }
  std::wstring text = L"default";
  key.ReadString(L"NoZero", text);
  EXPECT_EQ(text, L"abc");
  text = L"default";
  key.ReadString(L"Long", text);
  EXPECT_EQ(text, L"default");
  key.ReadString(L"Number", text);
  EXPECT_EQ(text, L"default");

  // The program path is always 520 bytes.
  key.WriteFixedString(L"Path", L"T:\\Folderon.exe", 520);
  DWORD size = 0;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kKey, L"Path", RRF_RT_ANY, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 520u);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Olvenmark\\Folderon+");
}

}  // namespace

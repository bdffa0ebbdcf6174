// A program on the test device must not reach the host's files through any drive.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

TEST(DeviceIsolation, NoDriveLetterReachesHostFiles) {
  const wchar_t* hostPaths[] = {L"\\etc\\passwd", L"\\usr\\bin", L"\\proc\\self", L"\\tmp"};
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    for (const wchar_t* tail : hostPaths) {
      std::wstring path = std::wstring(1, letter) + L":" + tail;
      EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "reachable: " << std::string(path.begin(), path.end());
    }
  }
}

TEST(DeviceIsolation, CurrentDriveIsTheDevice) {
  wchar_t dir[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, dir), 0u);
  EXPECT_EQ(std::wstring(dir), L"Q:\\");
  // A device path without a drive letter resolves on the device drive.
  wchar_t full[MAX_PATH];
  ASSERT_GT(GetFullPathNameW(L"\\My Documents", MAX_PATH, full, nullptr), 0u);
  EXPECT_EQ(std::wstring(full), L"Q:\\My Documents");
}

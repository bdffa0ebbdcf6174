// Reset and power requests land in the device's event log; programs started by name in the
// launch log. Nothing stops the emulator.
#include <ceservices.h>
#include <devicelog.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/coredll/tests/test_util.h"

using namespace quintar::coredll::tests;
namespace win32 = quintar::win32;

namespace {

// Points a log value at a fresh file for the test and restores it after.
class LogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(L"\\LogTest");
    events_.SetString(kEvents);
    launches_.SetString(kLaunches);
  }
  void TearDown() override { RemoveTree(L"\\LogTest"); }

  static std::vector<std::string> EventLines() { return Lines(ReadFileBytes(kEvents)); }

  static constexpr wchar_t kEvents[] = L"\\LogTest\\sub\\events.log";
  static constexpr wchar_t kLaunches[] = L"\\LogTest\\launch.log";
  ProfileValue events_{L"EventLog"};
  ProfileValue launches_{L"LaunchLog"};
};

}  // namespace

TEST(DeviceLogDefaults, ProfileNamesTheDeviceLogs) {
  win32::RegKey key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Quintar\\Device", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  wchar_t value[MAX_PATH];
  DWORD size = sizeof(value);
  EXPECT_EQ(RegGetValueW(key.get(), nullptr, L"EventLog", RRF_RT_REG_SZ, nullptr, value, &size), ERROR_SUCCESS);
  EXPECT_STREQ(value, L"\\Windows\\device-events.log");
}

TEST_F(LogFixture, RebootRequestsAreRecordedAndSucceed) {
  DWORD returned = 99;
  EXPECT_TRUE(KernelIoControl(IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, &returned));
  EXPECT_EQ(returned, 0u);
  SetCleanRebootFlag();
  SystemIdleTimerReset();
  EXPECT_TRUE(KernelIoControl(IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_EQ(EventLines(), (std::vector<std::string>{"reboot", "clean-reboot-flag", "idle-timer-reset", "reboot"}));
}

TEST_F(LogFixture, UnknownIoControlCodesFailAndLogNothing) {
  EXPECT_FALSE(KernelIoControl(0x01010040, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(KernelIoControl(0, nullptr, 0, nullptr, 0, nullptr));
  EXPECT_TRUE(EventLines().empty());
}

TEST_F(LogFixture, SetSystemPowerStateIsFoundByNameAndRecorded) {
  win32::Module coredll(LoadLibraryW(L"Coredll.dll"));
  ASSERT_TRUE(coredll);
  auto setPowerState = reinterpret_cast<PFN_SetSystemPowerState>(
      reinterpret_cast<void*>(GetProcAddress(coredll.get(), "SetSystemPowerState")));
  ASSERT_NE(setPowerState, nullptr);
  EXPECT_EQ(setPowerState(nullptr, POWER_STATE_RESET, 0), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(setPowerState(L"suspend", POWER_STATE_SUSPEND, POWER_FORCE), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(setPowerState(L"", POWER_STATE_ON, 0), static_cast<DWORD>(ERROR_SUCCESS));
  coredll.reset();
  EXPECT_EQ(EventLines(), (std::vector<std::string>{"power-state - 0x800000 0x0", "power-state suspend 0x200000 0x1000",
                                                    "power-state - 0x10000 0x0"}));
}

TEST_F(LogFixture, LaunchLinesJoinProgramAndCommandLine) {
  EXPECT_TRUE(QuintarLogLaunch(L"\\Windows\\ctlpnl.exe", L"cplmain.cpl,4"));
  EXPECT_TRUE(QuintarLogLaunch(L"fexplore.exe", nullptr));
  EXPECT_TRUE(QuintarLogLaunch(L"\\Windows\\tmail.exe", L"-attach \"\\My Documents\\é.txt\""));
  EXPECT_FALSE(QuintarLogLaunch(nullptr, L"x"));
  EXPECT_EQ(Lines(ReadFileBytes(kLaunches)),
            (std::vector<std::string>{"\\Windows\\ctlpnl.exe|cplmain.cpl,4", "fexplore.exe|",
                                      "\\Windows\\tmail.exe|-attach \"\\My Documents\\\xC3\xA9.txt\""}));
}

TEST_F(LogFixture, HostileTextStaysOnOneBoundedLine) {
  EXPECT_TRUE(QuintarLogEvent(L"two\r\nlines\nhere"));
  std::wstring huge(100000, L'w');
  EXPECT_TRUE(QuintarLogEvent(huge.c_str()));
  // A lone high surrogate at the cut does not produce a broken character.
  std::wstring cut(8191, L'a');
  cut += L"\xD83D\xDE00";
  EXPECT_TRUE(QuintarLogEvent(cut.c_str()));
  EXPECT_FALSE(QuintarLogEvent(nullptr));
  auto lines = EventLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "two  lines here");
  EXPECT_EQ(lines[1], std::string(8192, 'w'));
  EXPECT_EQ(lines[2], std::string(8191, 'a'));
}

TEST_F(LogFixture, MissingLogPathIsAnHonestFailure) {
  events_.Remove();
  EXPECT_FALSE(QuintarLogEvent(L"x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(KernelIoControl(IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, nullptr));
  HMODULE coredll = GetModuleHandleW(L"coredll.dll");
  auto setPowerState = reinterpret_cast<PFN_SetSystemPowerState>(
      reinterpret_cast<void*>(GetProcAddress(coredll, "SetSystemPowerState")));
  ASSERT_NE(setPowerState, nullptr);
  EXPECT_NE(setPowerState(nullptr, POWER_STATE_RESET, 0), static_cast<DWORD>(ERROR_SUCCESS));

  events_.SetString(L"");
  EXPECT_FALSE(QuintarLogEvent(L"x"));
  // A path that cannot be a file (an existing folder) fails too.
  MakeFolders(L"\\LogTest\\folder");
  events_.SetString(L"\\LogTest\\folder");
  EXPECT_FALSE(QuintarLogEvent(L"x"));
}

TEST_F(LogFixture, ConcurrentWritersKeepEveryLineWhole) {
  constexpr int kThreads = 4;
  constexpr int kLinesEach = 150;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLinesEach; ++i) {
        std::wstring line = L"writer" + std::to_wstring(t) + L" " + std::to_wstring(i) + L" ";
        line.append(1000, static_cast<wchar_t>(L'a' + t));
        QuintarLogEvent(line.c_str());
      }
    });
  }
  for (auto& th : threads) th.join();
  auto lines = EventLines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach));
  std::vector<int> seen(kThreads * kLinesEach, 0);
  for (const auto& line : lines) {
    int t = -1, i = -1;
    ASSERT_EQ(sscanf(line.c_str(), "writer%d %d ", &t, &i), 2) << line.substr(0, 40);
    ASSERT_TRUE(t >= 0 && t < kThreads && i >= 0 && i < kLinesEach);
    std::string expected = "writer" + std::to_string(t) + " " + std::to_string(i) + " " + std::string(1000, 'a' + t);
    EXPECT_EQ(line, expected);
    ++seen[t * kLinesEach + i];
  }
  for (int count : seen) EXPECT_EQ(count, 1);
}

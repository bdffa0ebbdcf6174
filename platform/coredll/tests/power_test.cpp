// Battery and object store: read from the device profile at every call.
#include <ceservices.h>

#include <cstddef>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/coredll/tests/test_util.h"

using quintar::coredll::tests::ProfileValue;
namespace win32 = quintar::win32;

// The records keep the device's field order; their sizes follow the build.
static_assert(offsetof(SYSTEM_POWER_STATUS_EX, BatteryLifeTime) == 4);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX, Reserved2) == 12);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX, BackupBatteryFullLifeTime) == 20);
static_assert(sizeof(SYSTEM_POWER_STATUS_EX) == 24);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryVoltage) == 24);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BackupBatteryVoltage) == 48);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryChemistry) == 52);
static_assert(sizeof(STORE_INFORMATION) == 8);
static_assert(IOCTL_HAL_REBOOT == ((FILE_DEVICE_HAL << 16) | (15 << 2)));

TEST(Battery, DefaultsComeFromTheDeviceProfile) {
  SYSTEM_POWER_STATUS_EX s;
  memset(&s, 0xCC, sizeof(s));
  ASSERT_TRUE(GetSystemPowerStatusEx(&s, TRUE));
  EXPECT_EQ(s.ACLineStatus, AC_LINE_OFFLINE);
  EXPECT_EQ(s.BatteryFlag, BATTERY_FLAG_HIGH);
  EXPECT_EQ(s.BatteryLifePercent, 85);
  EXPECT_EQ(s.Reserved1, 0);
  EXPECT_EQ(s.BatteryLifeTime, 21600u);
  EXPECT_EQ(s.BatteryFullLifeTime, 32400u);
  EXPECT_EQ(s.BackupBatteryLifePercent, 100);
  EXPECT_EQ(s.BackupBatteryLifeTime, BATTERY_LIFE_UNKNOWN);
}

TEST(Battery, FollowsProfileChangesAtEveryCall) {
  ProfileValue percent(L"BatteryLifePercent");
  ProfileValue line(L"ACLineStatus");
  ProfileValue flag(L"BatteryFlag");
  percent.SetDword(42);
  line.SetDword(AC_LINE_ONLINE);
  flag.SetDword(BATTERY_FLAG_CHARGING | BATTERY_FLAG_LOW);
  SYSTEM_POWER_STATUS_EX s{};
  ASSERT_TRUE(GetSystemPowerStatusEx(&s, FALSE));
  EXPECT_EQ(s.BatteryLifePercent, 42);
  EXPECT_EQ(s.ACLineStatus, AC_LINE_ONLINE);
  EXPECT_EQ(s.BatteryFlag, BATTERY_FLAG_CHARGING | BATTERY_FLAG_LOW);

  percent.SetDword(BATTERY_PERCENTAGE_UNKNOWN);
  ASSERT_TRUE(GetSystemPowerStatusEx(&s, TRUE));
  EXPECT_EQ(s.BatteryLifePercent, 255);
}

TEST(Battery, MissingOrOutOfRangeValuesReadAsUnknown) {
  ProfileValue percent(L"BatteryLifePercent");
  ProfileValue life(L"BatteryLifeTime");
  ProfileValue line(L"ACLineStatus");
  percent.Remove();
  life.Remove();
  line.SetDword(0x1234);
  SYSTEM_POWER_STATUS_EX s{};
  ASSERT_TRUE(GetSystemPowerStatusEx(&s, TRUE));
  EXPECT_EQ(s.BatteryLifePercent, BATTERY_PERCENTAGE_UNKNOWN);
  EXPECT_EQ(s.BatteryLifeTime, BATTERY_LIFE_UNKNOWN);
  EXPECT_EQ(s.ACLineStatus, AC_LINE_UNKNOWN);
}

TEST(Battery, Ex2FillsTheWholeRecordAndHonoursTheLength) {
  ProfileValue voltage(L"BatteryVoltage");
  voltage.SetDword(4100);
  SYSTEM_POWER_STATUS_EX2 s{};
  EXPECT_EQ(GetSystemPowerStatusEx2(&s, sizeof(s), TRUE), sizeof(s));
  EXPECT_EQ(s.BatteryLifePercent, 85);
  EXPECT_EQ(s.BatteryVoltage, 4100u);
  EXPECT_EQ(static_cast<LONG>(s.BatteryCurrent), -180);
  EXPECT_EQ(s.BatteryTemperature, 250u);
  EXPECT_EQ(s.BatteryChemistry, BATTERY_CHEMISTRY_LION);

  // A shorter buffer gets only its own length; nothing beyond it is touched.
  unsigned char buffer[sizeof(SYSTEM_POWER_STATUS_EX2) + 8];
  memset(buffer, 0xAB, sizeof(buffer));
  EXPECT_EQ(GetSystemPowerStatusEx2(reinterpret_cast<PSYSTEM_POWER_STATUS_EX2>(buffer), 3, TRUE), 3u);
  EXPECT_EQ(buffer[2], 85);
  EXPECT_EQ(buffer[3], 0xAB);
  // A longer buffer gets the record; the caller's extra space is left alone.
  memset(buffer, 0xAB, sizeof(buffer));
  EXPECT_EQ(GetSystemPowerStatusEx2(reinterpret_cast<PSYSTEM_POWER_STATUS_EX2>(buffer), sizeof(buffer), TRUE),
            sizeof(SYSTEM_POWER_STATUS_EX2));
  EXPECT_EQ(buffer[sizeof(SYSTEM_POWER_STATUS_EX2)], 0xAB);

  EXPECT_EQ(GetSystemPowerStatusEx2(nullptr, sizeof(s), TRUE), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(GetSystemPowerStatusEx(nullptr, TRUE));
}

TEST(ObjectStore, FollowsTheProfile) {
  STORE_INFORMATION si{};
  ASSERT_TRUE(GetStoreInformation(&si));
  EXPECT_EQ(si.dwStoreSize, 32u << 20);
  EXPECT_EQ(si.dwFreeSize, 20u << 20);

  ProfileValue size(L"StoreSize");
  ProfileValue free(L"StoreFree");
  size.SetDword(50u << 20);
  free.SetDword(12u << 20);
  ASSERT_TRUE(GetStoreInformation(&si));
  EXPECT_EQ(si.dwStoreSize, 50u << 20);
  EXPECT_EQ(si.dwFreeSize, 12u << 20);

  // More free than the store holds cannot be: free is capped at the size.
  free.SetDword(60u << 20);
  ASSERT_TRUE(GetStoreInformation(&si));
  EXPECT_EQ(si.dwFreeSize, 50u << 20);

  // Without the profile values the call fails rather than invent numbers.
  free.Remove();
  EXPECT_FALSE(GetStoreInformation(&si));
  EXPECT_FALSE(GetStoreInformation(nullptr));
}

TEST(ProgramMemory, FollowsTheProfileAndFallsBackToTheDesktop) {
  MEMORYSTATUS m{};
  CeGlobalMemoryStatus(&m);
  EXPECT_EQ(m.dwTotalPhys, 50u << 20);
  EXPECT_EQ(m.dwAvailPhys, 30u << 20);
  EXPECT_EQ(m.dwMemoryLoad, 40u);

  ProfileValue total(L"MemoryTotal");
  ProfileValue avail(L"MemoryAvail");
  total.SetDword(50u << 20);
  avail.SetDword(25u << 19);  // 12.5 MB: a quarter available, three quarters used
  CeGlobalMemoryStatus(&m);
  EXPECT_EQ(m.dwAvailPhys, 25u << 19);
  EXPECT_EQ(m.dwMemoryLoad, 75u);
  EXPECT_EQ(m.dwTotalPageFile, 0u);

  // The name the device's programs import resolves to the same service.
  using Fn = void(WINAPI*)(LPMEMORYSTATUS);
  auto byName = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"coredll.dll"), "GlobalMemoryStatus")));
  ASSERT_NE(byName, nullptr);
  MEMORYSTATUS n{};
  byName(&n);
  EXPECT_EQ(n.dwAvailPhys, 25u << 19);

  // More available than there is cannot be; a zero total is no profile at all.
  avail.SetDword(60u << 20);
  CeGlobalMemoryStatus(&m);
  EXPECT_EQ(m.dwAvailPhys, 50u << 20);
  EXPECT_EQ(m.dwMemoryLoad, 0u);
  total.SetDword(0);
  CeGlobalMemoryStatus(&m);
  EXPECT_NE(m.dwTotalPhys, 0u);
  EXPECT_LE(m.dwMemoryLoad, 100u);
  CeGlobalMemoryStatus(nullptr);  // refused quietly, as the device does
}

TEST(Events, EventModifySetsResetsAndRejectsUnknownFunctions) {
  const win32::KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  const HANDLE e = event.get();
  EXPECT_TRUE(EventModify(e, EVENT_SET));
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(EventModify(e, EVENT_RESET));
  EXPECT_EQ(WaitForSingleObject(e, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_FALSE(EventModify(e, 7));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// Battery and object-store status, read from the device profile at every call.
#include <ceservices.h>

#include <cstddef>
#include <cstring>

#include "platform/coredll/profile.h"

using quintar::coredll::ProfileKey;

namespace {

// A BYTE field: a missing or out-of-range value reads as the platform's "unknown".
BYTE ByteValue(const ProfileKey& profile, const wchar_t* name, BYTE unknown) {
  auto v = profile.Dword(name);
  return (v && *v <= 0xFF) ? static_cast<BYTE>(*v) : unknown;
}

DWORD DwordValue(const ProfileKey& profile, const wchar_t* name, DWORD unknown) {
  return profile.Dword(name).value_or(unknown);
}

bool ReadStatus(SYSTEM_POWER_STATUS_EX2& s) {
  ProfileKey profile;
  if (!profile.IsOpen()) return false;
  std::memset(&s, 0, sizeof(s));
  s.ACLineStatus = ByteValue(profile, L"ACLineStatus", AC_LINE_UNKNOWN);
  s.BatteryFlag = ByteValue(profile, L"BatteryFlag", BATTERY_FLAG_UNKNOWN);
  s.BatteryLifePercent = ByteValue(profile, L"BatteryLifePercent", BATTERY_PERCENTAGE_UNKNOWN);
  s.BatteryLifeTime = DwordValue(profile, L"BatteryLifeTime", BATTERY_LIFE_UNKNOWN);
  s.BatteryFullLifeTime = DwordValue(profile, L"BatteryFullLifeTime", BATTERY_LIFE_UNKNOWN);
  s.BackupBatteryFlag = ByteValue(profile, L"BackupBatteryFlag", BATTERY_FLAG_UNKNOWN);
  s.BackupBatteryLifePercent = ByteValue(profile, L"BackupBatteryLifePercent", BATTERY_PERCENTAGE_UNKNOWN);
  s.BackupBatteryLifeTime = DwordValue(profile, L"BackupBatteryLifeTime", BATTERY_LIFE_UNKNOWN);
  s.BackupBatteryFullLifeTime = DwordValue(profile, L"BackupBatteryFullLifeTime", BATTERY_LIFE_UNKNOWN);
  s.BatteryVoltage = DwordValue(profile, L"BatteryVoltage", 0);
  s.BatteryCurrent = DwordValue(profile, L"BatteryCurrent", 0);
  s.BatteryAverageCurrent = DwordValue(profile, L"BatteryAverageCurrent", 0);
  s.BatteryAverageInterval = DwordValue(profile, L"BatteryAverageInterval", 0);
  s.BatterymAHourConsumed = DwordValue(profile, L"BatterymAHourConsumed", 0);
  s.BatteryTemperature = DwordValue(profile, L"BatteryTemperature", 0);
  s.BackupBatteryVoltage = DwordValue(profile, L"BackupBatteryVoltage", 0);
  s.BatteryChemistry = ByteValue(profile, L"BatteryChemistry", BATTERY_CHEMISTRY_UNKNOWN);
  return true;
}

}  // namespace

extern "C" BOOL WINAPI GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX pstatus, BOOL /*fUpdate*/) {
  if (!pstatus) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SYSTEM_POWER_STATUS_EX2 full;
  if (!ReadStatus(full)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  // The first record is the leading part of the second.
  static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BackupBatteryFullLifeTime) ==
                offsetof(SYSTEM_POWER_STATUS_EX, BackupBatteryFullLifeTime));
  std::memcpy(pstatus, &full, sizeof(SYSTEM_POWER_STATUS_EX));
  return TRUE;
}

extern "C" DWORD WINAPI GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 pstatus, DWORD dwLen, BOOL /*fUpdate*/) {
  if (!pstatus || dwLen == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SYSTEM_POWER_STATUS_EX2 full;
  if (!ReadStatus(full)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  DWORD n = dwLen < sizeof(full) ? dwLen : static_cast<DWORD>(sizeof(full));
  std::memcpy(pstatus, &full, n);
  return n;
}

extern "C" BOOL WINAPI GetStoreInformation(LPSTORE_INFORMATION lpsi) {
  if (!lpsi) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ProfileKey profile;
  auto size = profile.Dword(L"StoreSize");
  auto free = profile.Dword(L"StoreFree");
  if (!size || !free) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  lpsi->dwStoreSize = *size;
  // A profile claiming more free space than the store holds would make callers' used share negative.
  lpsi->dwFreeSize = *free < *size ? *free : *size;
  return TRUE;
}

// Exported also as "GlobalMemoryStatus": the device's program memory is the profile's, so that a
// screen showing it reads the same on every machine. Without those values the desktop's pass through.
extern "C" void WINAPI CeGlobalMemoryStatus(LPMEMORYSTATUS lpBuffer) {
  if (!lpBuffer) return;
  GlobalMemoryStatus(lpBuffer);
  ProfileKey profile;
  auto total = profile.Dword(L"MemoryTotal");
  auto avail = profile.Dword(L"MemoryAvail");
  if (!total || !avail || *total == 0) return;
  DWORD available = *avail < *total ? *avail : *total;
  lpBuffer->dwMemoryLoad = 100 - static_cast<DWORD>(static_cast<unsigned long long>(available) * 100 / *total);
  lpBuffer->dwTotalPhys = *total;
  lpBuffer->dwAvailPhys = available;
  // The device has no page file.
  lpBuffer->dwTotalPageFile = 0;
  lpBuffer->dwAvailPageFile = 0;
}

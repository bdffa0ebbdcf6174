#include "todayplugin/status.h"

#include <windows.h>

#include <ceservices.h>

#include <string>

#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::glancet {

using namespace core;

void WriteBacklight(const BacklightSetting& setting) {
  win32::RegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\Backlight", 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
    DWORD onOff = setting.onOff, level = setting.level;
    RegSetValueExW(key.get(), L"OnOff", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&onOff), sizeof onOff);
    RegSetValueExW(key.get(), L"Brightness", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level), sizeof level);
    RegSetValueExW(key.get(), L"BacklightLuminanceLevel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level),
                   sizeof level);
  }
  // The backlight driver re-reads its settings when this event is set.
  if (win32::KernelHandle event{CreateEventW(nullptr, FALSE, FALSE, L"BackLightChangeEvent")})
    EventModify(event.get(), EVENT_SET);
}

bool ReadStatus(State& s, GaugeValues& gauges) {
  SYSTEM_POWER_STATUS_EX power = {};
  // 255 is the platform's "unknown", not a percentage.
  gauges.battery =
      GetSystemPowerStatusEx(&power, TRUE) && power.BatteryLifePercent <= 100 ? power.BatteryLifePercent : 0;
  MEMORYSTATUS memory = {};
  memory.dwLength = sizeof memory;
  CeGlobalMemoryStatus(&memory);
  gauges.programLoad = memory.dwMemoryLoad;
  STORE_INFORMATION store = {};
  if (!GetStoreInformation(&store)) store = {};
  gauges.storageUsed = StorageUsedPercent(store.dwStoreSize, store.dwFreeSize);
  gauges.totalUsed = TotalUsedPercent(
      {memory.dwMemoryLoad, memory.dwTotalPhys, memory.dwAvailPhys, store.dwStoreSize, store.dwFreeSize});

  WIN32_FIND_DATAW found = {};
  win32::FindHandle search(FindFirstFlashCard(&found));
  if (!search) return false;
  s.cardCount = 0;
  do {
    // Ten slots is all the file has; further cards are not shown.
    if (s.cardCount < kCardSlots) SetField(s.cards[s.cardCount++].name, win32::U16View(found.cFileName));
  } while (s.cardCount < kCardSlots && FindNextFlashCard(search.get(), &found));
  search.reset();
  for (int i = 0; i < s.cardCount; ++i) {
    std::wstring root = L"\\" + win32::Wide(FieldText(s.cards[i].name));
    ULARGE_INTEGER available, total, totalFree;
    uint64_t used = 0;
    if (GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree) &&
        CardUsedPercent(total.QuadPart, totalFree.QuadPart, used)) {
      s.cards[i].usedPercent = used;
      s.cards[i].freePercent = 100 - used;
    }
  }
  ApplyRefresh(s, gauges);
  return true;
}

}  // namespace quintar::glancet

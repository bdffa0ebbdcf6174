// The status the gauges show, read from the platform, and the gauges' own controls.
#include <string>

#include "platform/include/ceservices.h"
#include "todayplugin/glancet.h"
#include "todayplugin/resource.h"

namespace glancet {
namespace {

void WriteBacklight(const BacklightSetting& setting) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\Backlight", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    DWORD onOff = setting.onOff, level = setting.level;
    RegSetValueExW(key, L"OnOff", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&onOff), sizeof onOff);
    RegSetValueExW(key, L"Brightness", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level), sizeof level);
    RegSetValueExW(key, L"BacklightLuminanceLevel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level), sizeof level);
    RegCloseKey(key);
  }
  // The backlight driver re-reads its settings when this event is set.
  if (HANDLE event = CreateEventW(nullptr, FALSE, FALSE, L"BackLightChangeEvent")) {
    EventModify(event, EVENT_SET);
    CloseHandle(event);
  }
}

void DrawBacklightHighlighted() {
  Plugin& g = G();
  const GaugePlace& place = g.gaugePlaces[kBacklight - kBattery];
  if (!g.window) return;
  if (HDC dc = GetDC(g.window)) {
    DrawGauge(dc, kBacklight, place.x0, place.y0, true);
    ReleaseDC(g.window, dc);
  }
}

}  // namespace

bool RefreshStatus() {
  Plugin& g = G();
  State& s = *g.state;
  SYSTEM_POWER_STATUS_EX power = {};
  // 255 is the platform's "unknown", not a percentage.
  g.gauges.battery =
      GetSystemPowerStatusEx(&power, TRUE) && power.BatteryLifePercent <= 100 ? power.BatteryLifePercent : 0;
  MEMORYSTATUS memory = {};
  memory.dwLength = sizeof memory;
  CeGlobalMemoryStatus(&memory);
  g.gauges.programLoad = memory.dwMemoryLoad;
  STORE_INFORMATION store = {};
  if (!GetStoreInformation(&store)) store = {};
  g.gauges.storageUsed = StorageUsedPercent(store.dwStoreSize, store.dwFreeSize);
  g.gauges.totalUsed = TotalUsedPercent(
      {memory.dwMemoryLoad, memory.dwTotalPhys, memory.dwAvailPhys, store.dwStoreSize, store.dwFreeSize});

  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFlashCard(&found);
  if (search == INVALID_HANDLE_VALUE) return false;
  s.cardCount = 0;
  do {
    // Ten slots is all the file has; further cards are not shown.
    if (s.cardCount < kCardSlots) SetField(s.cards[s.cardCount++].name, U16(found.cFileName));
  } while (s.cardCount < kCardSlots && FindNextFlashCard(search, &found));
  FindClose(search);
  for (int i = 0; i < s.cardCount; ++i) {
    std::wstring root = L"\\" + Wide(FieldText(s.cards[i].name));
    ULARGE_INTEGER available, total, totalFree;
    uint64_t used = 0;
    if (GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree) &&
        CardUsedPercent(total.QuadPart, totalFree.QuadPart, used)) {
      s.cards[i].usedPercent = used;
      s.cards[i].freePercent = 100 - used;
    }
  }
  ApplyRefresh(s, g.gauges);
  return true;
}

bool OnBacklightBar(int x, int y) {
  const Plugin& g = G();
  const GaugePlace& place = g.gaugePlaces[kBacklight - kBattery];
  int s = g.metrics.scale;
  return place.known && x >= place.x0 + 18 * s && x < place.x0 + 50 * s && y >= place.y0 + 5 * s &&
         y < place.y0 + 20 * s;
}

void SetBacklightAt(int x, bool drag) {
  Plugin& g = G();
  GaugePlace& place = g.gaugePlaces[kBacklight - kBattery];
  int s = g.metrics.scale;
  BacklightSetting setting = BacklightFromOffset((x - place.x0) / s);
  if (!setting.valid) return;
  if (drag) {
    g.knobX = ClampKnob(x, place.x0, s);
    DrawBacklightHighlighted();
    WriteBacklight(setting);
  } else {
    WriteBacklight(setting);
    g.knobX = ClampKnob(x, place.x0, s);
    ItemRecord& cell = g.state->grid[g.state->SelectedTab()][place.row][place.column];
    if (cell.kind == kBacklight) cell.highlight = 1;
    DrawBacklightHighlighted();
  }
  if (g.window) SendMessageW(g.window, WM_SETTINGCHANGE, 0xF2, 0);
}

void OnGaugeCommand(UINT id) {
  Plugin& g = G();
  State& s = *g.state;
  if (id >= IDM_PROGRAM_MEMORY && id <= IDM_TOTAL_USED)
    SetMemoryMode(s, g.gauges, kProgramMemory + static_cast<int32_t>(id - IDM_PROGRAM_MEMORY));
  else if (id == IDM_FREE_SPACE || id == IDM_USED_SPACE)
    SetStorageShowsFree(s, id == IDM_FREE_SPACE);
  else if (id >= IDM_CARD_FIRST && id <= IDM_CARD_LAST)
    SelectCard(s, static_cast<int>(id - IDM_CARD_FIRST));
  SaveDataFile();
  if (g.window) InvalidateRect(g.window, nullptr, FALSE);
}

}  // namespace glancet

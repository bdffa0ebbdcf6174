// The Main and SD Card pages, Release Memory, the Actions page's device actions and Help.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "platform/include/aygshell.h"
#include "platform/include/ceservices.h"
#include "procmanager/core/vorrel_core.h"
#include "procmanager/resource.h"
#include "procmanager/vorrel.h"

namespace vorrel {
namespace dialogs = quintar::dialogs;
namespace {

constexpr UINT kLowMemoryRequest = 0x03FF;
constexpr DWORD kReleaseWaitMs = 1000;
constexpr DWORD kScreenOffMs = 5000;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

void SetText(HWND page, int id, const std::u16string& text) { SetDlgItemTextW(page, id, Wide(text).c_str()); }
void SetGauge(HWND page, int id, int position) {
  if (HWND gauge = GetDlgItem(page, id)) {
    SendMessageW(gauge, PBM_SETRANGE32, 0, 100);
    SendMessageW(gauge, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }
}

double AvailableKb() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  CeGlobalMemoryStatus(&status);
  return static_cast<double>(status.dwAvailPhys) / 1024.0;
}

// The display's video power state (pwingdi.h's VIDEO_POWER_MANAGEMENT).
struct VideoPowerManagement {
  ULONG Length;
  ULONG DPMSVersion;
  ULONG PowerState;
};
constexpr ULONG kVideoPowerOn = 1;
constexpr ULONG kVideoPowerOff = 4;

void SetVideoPower(HDC dc, ULONG state) {
  VideoPowerManagement vpm{sizeof vpm, 1, state};
  ExtEscape(dc, SETPOWERMANAGEMENT, sizeof vpm, reinterpret_cast<LPCSTR>(&vpm), 0, nullptr);
}

void KernelReboot() {
  DWORD returned = 0;
  KernelIoControl(IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, &returned);
}

template <class Fn>
Fn Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

INT_PTR CALLBACK HelpProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
      SHInitDialog(&info);
      std::wstring s = TemplateName(L"IDD_HELP");
      static std::wstring square, portrait, landscape;
      square = L"IDD_HELP_S", portrait = L"IDD_HELP_P", landscape = L"IDD_HELP_L";
      if (s == portrait) square = portrait;  // the resources lack the square variant
      dialogs::AttachRelayout(dialog, g_app.resources,
                              dialogs::TemplateSet{square.c_str(), portrait.c_str(), landscape.c_str()});
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void FillMainPage(HWND page) {
  SYSTEM_POWER_STATUS_EX power{};
  unsigned charge = GetSystemPowerStatusEx(&power, TRUE) ? power.BatteryLifePercent : BATTERY_PERCENTAGE_UNKNOWN;
  SetText(page, IDC_BATTERY_LABEL, BatteryText(charge));
  SetGauge(page, IDC_BATTERY_GAUGE, BatteryKnown(charge) ? static_cast<int>(charge) : -1);

  MEMORYSTATUS memory{};
  memory.dwLength = sizeof memory;
  CeGlobalMemoryStatus(&memory);
  int memoryPercent = PercentOf(memory.dwAvailPhys, memory.dwTotalPhys);
  SetText(page, IDC_MEMORY_LABEL, PercentLabel(u"Memory: ", memoryPercent));
  SetText(page, IDC_MEMORY_TEXT, MbPairText(memory.dwAvailPhys, memory.dwTotalPhys));
  SetGauge(page, IDC_MEMORY_GAUGE, memoryPercent);

  // The device's own file store is the object store, whose figures the device reports here.
  STORE_INFORMATION store{};
  if (GetStoreInformation(&store)) {
    int storePercent = PercentOf(store.dwFreeSize, store.dwStoreSize);
    SetText(page, IDC_STORE_LABEL, PercentLabel(u"Int. Memo: ", storePercent));
    SetText(page, IDC_STORE_TEXT, MbPairText(store.dwFreeSize, store.dwStoreSize));
    SetGauge(page, IDC_STORE_GAUGE, storePercent);
  }
}

void FillCardPage(HWND page) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFlashCard(&found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      names.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
    } while (names.size() < 64 && FindNextFlashCard(search, &found));
    FindClose(search);
  }
  std::vector<std::u16string> shown = ShownCards(names);
  struct Group {
    int label, text, gauge;
  };
  const Group groups[2] = {{IDC_CARD1_LABEL, IDC_CARD1_TEXT, IDC_CARD1_GAUGE},
                           {IDC_CARD2_LABEL, IDC_CARD2_TEXT, IDC_CARD2_GAUGE}};
  for (int i = 0; i < 2; ++i) {
    CardGroupText text;
    if (i < static_cast<int>(shown.size())) {
      std::wstring path = L"\\" + Wide(shown[i]);
      ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
      // A card whose size cannot be read keeps what it showed.
      if (!GetDiskFreeSpaceExW(path.c_str(), &freeToCaller, &total, &totalFree)) continue;
      text = CardText(shown[i], freeToCaller.QuadPart, total.QuadPart);
    } else {
      text = EmptyCardText(i);
    }
    SetText(page, groups[i].label, text.label);
    SetText(page, groups[i].text, text.sizes);
    SetGauge(page, groups[i].gauge, text.percent);
  }
}

void ReleaseMemory(HWND page, bool programsPage) {
  double before = AvailableKb();
  if (programsPage && g_app.programsList) {
    for (int row = 0; row < g_app.programsCount; ++row) {
      LVITEMW item{};
      item.mask = LVIF_PARAM;
      item.iItem = row;
      if (!ListView_GetItem(g_app.programsList, &item)) continue;
      HWND window = reinterpret_cast<HWND>(item.lParam);
      DWORD_PTR result = 0;
      if (IsWindow(window) && window != g_app.main)
        SendMessageTimeoutW(window, kLowMemoryRequest, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 3000, &result);
    }
  }
  Sleep(kReleaseWaitMs);
  double after = AvailableKb();
  int answer = Report(page, Wide(ReleaseMemoryText(before, after)), L"Release Memory", MB_OK | MB_ICONINFORMATION);
  if (programsPage && answer == IDOK && after > before) FillProgramsList();
}

void TurnScreenOff(HWND owner) {
  HDC dc = GetDC(nullptr);
  int escape = SETPOWERMANAGEMENT;
  bool supported =
      dc && ExtEscape(dc, QUERYESCSUPPORT, sizeof escape, reinterpret_cast<LPCSTR>(&escape), 0, nullptr) > 0;
  if (supported) {
    SetVideoPower(dc, kVideoPowerOff);
    Sleep(kScreenOffMs);
    SetVideoPower(dc, kVideoPowerOn);
  }
  if (dc) ReleaseDC(nullptr, dc);
  if (!supported)
    Report(owner, L"Sorry, your Pocket PC does not support this feature!", L"Vorrel", MB_OK | MB_ICONINFORMATION);
}

void Shutdown() {
  keybd_event(VK_OFF, 0, 0, 0);
  keybd_event(VK_OFF, 0, KEYEVENTF_KEYUP, 0);
}

void SoftResetBy(SoftResetRoute route) {
  // A library or entry point that cannot be found still ends in a reset: the kernel's request.
  if (route == SoftResetRoute::ExitWindows) {
    HMODULE shell = LoadLibraryW(L"aygshell.dll");
    auto exitWindows = Lookup<BOOL(WINAPI*)(UINT, DWORD)>(shell, "ExitWindowsEx");
    bool done = exitWindows && exitWindows(EWX_REBOOT, 0);
    if (shell) FreeLibrary(shell);
    if (done) return;
  } else if (route == SoftResetRoute::SystemPowerState) {
    HMODULE core = LoadLibraryW(L"Coredll.dll");
    auto setPowerState = Lookup<PFN_SetSystemPowerState>(core, "SetSystemPowerState");
    bool done = setPowerState && setPowerState(nullptr, POWER_STATE_RESET, 0) == ERROR_SUCCESS;
    if (core) FreeLibrary(core);
    if (done) return;
  }
  KernelReboot();
}

void SoftReset() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) version.dwMajorVersion = version.dwMinorVersion = 0;
  SoftResetBy(SoftResetRouteFor(version.dwMajorVersion, version.dwMinorVersion));
}

void HardReset(HWND owner) {
  if (Report(owner, L"Are you sure you want to hard reset your Pocket PC?", L"Vorrel", MB_YESNO | MB_ICONQUESTION) !=
      IDYES)
    return;
  SetCleanRebootFlag();
  KernelReboot();
}

void ShowHelp(HWND owner) { ShowNamedDialog(owner, L"IDD_HELP", HelpProc); }

}  // namespace vorrel

// The Main and SD Card pages, Release Memory, the Actions page's device actions and Help.
#include <windows.h>

#include <commctrl.h>

#include <span>
#include <string>
#include <vector>

#include <aygshell.h>
#include <ceservices.h>

#include "dialogs/dialogs.h"
#include "procmanager/core/vorrel_core.h"
#include "procmanager/resource.h"
#include "procmanager/vorrel.h"
#include "win32/handle.h"
#include "win32/shell.h"
#include "win32/text.h"

namespace quintar::vorrel {
namespace {

using win32::Wide;

constexpr UINT kLowMemoryRequest = 0x03FF;
constexpr DWORD kReleaseWaitMs = 1000;
constexpr DWORD kScreenOffMs = 5000;

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

// Help: one page of text, re-laid for each screen shape.
class HelpDialog : public win32::Dialog<HelpDialog> {
 public:
  explicit HelpDialog(const Resources& resources) noexcept : resources_(resources) {}

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<HelpDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<HelpDialog> kMessages[] = {
        win32::On<&HelpDialog::OnInitDialog>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<HelpDialog>> Commands() {
    static constexpr win32::CommandEntry<HelpDialog> kCommands[] = {win32::Command<&HelpDialog::Close>(IDOK),
                                                                    win32::Command<&HelpDialog::Close>(IDCANCEL)};
    return kCommands;
  }

  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    win32::InitFullScreenDialog(hwnd());
    names_ = TemplateNames{L"IDD_HELP_S", L"IDD_HELP_P", L"IDD_HELP_L"};
    // Opened in the portrait shape, Help keeps the portrait layout on a square screen.
    if (resources_.TemplateName(L"IDD_HELP") == names_.portrait) names_.square = names_.portrait;
    dialogs::AttachRelayout(
        hwnd(), resources_.module(),
        dialogs::TemplateSet{names_.square.c_str(), names_.portrait.c_str(), names_.landscape.c_str()});
    return TRUE;
  }
  void Close(int id) { EndDialog(hwnd(), id); }

  const Resources& resources_;
  TemplateNames names_;  // the re-layout reads them while the dialog lives
};

}  // namespace

void FillMainPage(HWND page) {
  SYSTEM_POWER_STATUS_EX power{};
  unsigned charge = GetSystemPowerStatusEx(&power, TRUE) ? power.BatteryLifePercent : BATTERY_PERCENTAGE_UNKNOWN;
  SetText(page, IDC_BATTERY_LABEL, core::BatteryText(charge));
  SetGauge(page, IDC_BATTERY_GAUGE, core::BatteryKnown(charge) ? static_cast<int>(charge) : -1);

  MEMORYSTATUS memory{};
  memory.dwLength = sizeof memory;
  CeGlobalMemoryStatus(&memory);
  int memoryPercent = core::PercentOf(memory.dwAvailPhys, memory.dwTotalPhys);
  SetText(page, IDC_MEMORY_LABEL, core::PercentLabel(u"Memory: ", memoryPercent));
  SetText(page, IDC_MEMORY_TEXT, core::MbPairText(memory.dwAvailPhys, memory.dwTotalPhys));
  SetGauge(page, IDC_MEMORY_GAUGE, memoryPercent);

  // The device's own file store is the object store, whose figures the device reports here.
  STORE_INFORMATION store{};
  if (GetStoreInformation(&store)) {
    int storePercent = core::PercentOf(store.dwFreeSize, store.dwStoreSize);
    SetText(page, IDC_STORE_LABEL, core::PercentLabel(u"Int. Memo: ", storePercent));
    SetText(page, IDC_STORE_TEXT, core::MbPairText(store.dwFreeSize, store.dwStoreSize));
    SetGauge(page, IDC_STORE_GAUGE, storePercent);
  }
}

void FillCardPage(HWND page) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found{};
  if (win32::FindHandle search{FindFirstFlashCard(&found)}) {
    do {
      names.emplace_back(win32::U16Ptr(found.cFileName));
    } while (names.size() < 64 && FindNextFlashCard(search.get(), &found));
  }
  std::vector<std::u16string> shown = core::ShownCards(names);
  struct Group {
    int label, text, gauge;
  };
  const Group groups[2] = {{IDC_CARD1_LABEL, IDC_CARD1_TEXT, IDC_CARD1_GAUGE},
                           {IDC_CARD2_LABEL, IDC_CARD2_TEXT, IDC_CARD2_GAUGE}};
  for (int i = 0; i < 2; ++i) {
    core::CardGroupText text;
    if (i < static_cast<int>(shown.size())) {
      std::wstring path = L"\\" + Wide(shown[i]);
      ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
      // A card whose size cannot be read keeps what it showed.
      if (!GetDiskFreeSpaceExW(path.c_str(), &freeToCaller, &total, &totalFree)) continue;
      text = core::CardText(shown[i], freeToCaller.QuadPart, total.QuadPart);
    } else {
      text = core::EmptyCardText(i);
    }
    SetText(page, groups[i].label, text.label);
    SetText(page, groups[i].text, text.sizes);
    SetGauge(page, groups[i].gauge, text.percent);
  }
}

void Frame::ReleaseMemory(HWND page, bool programsPage) {
  double before = AvailableKb();
  if (programsPage && programs_.hwnd()) {
    for (int row = 0; row < programs_.count(); ++row) {
      LVITEMW item{};
      item.mask = LVIF_PARAM;
      item.iItem = row;
      if (!ListView_GetItem(programs_.hwnd(), &item)) continue;
      HWND window = reinterpret_cast<HWND>(item.lParam);
      DWORD_PTR result = 0;
      if (IsWindow(window) && window != hwnd())
        SendMessageTimeoutW(window, kLowMemoryRequest, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 3000, &result);
    }
  }
  Sleep(kReleaseWaitMs);
  double after = AvailableKb();
  int answer =
      Report(page, Wide(core::ReleaseMemoryText(before, after)), L"Release Memory", MB_OK | MB_ICONINFORMATION);
  if (programsPage && answer == IDOK && after > before) FillProgramsList();
}

void Frame::TurnScreenOff(HWND owner) {
  bool supported = false;
  {
    win32::WindowDc screen(nullptr);
    HDC dc = screen.get();
    int escape = SETPOWERMANAGEMENT;
    supported = dc && ExtEscape(dc, QUERYESCSUPPORT, sizeof escape, reinterpret_cast<LPCSTR>(&escape), 0, nullptr) > 0;
    if (supported) {
      SetVideoPower(dc, kVideoPowerOff);
      Sleep(kScreenOffMs);
      SetVideoPower(dc, kVideoPowerOn);
    }
  }
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
    win32::Module shell(LoadLibraryW(L"aygshell.dll"));
    auto exitWindows = Lookup<BOOL(WINAPI*)(UINT, DWORD)>(shell.get(), "ExitWindowsEx");
    if (exitWindows && exitWindows(EWX_REBOOT, 0)) return;
  } else if (route == SoftResetRoute::SystemPowerState) {
    win32::Module coredll(LoadLibraryW(L"Coredll.dll"));
    auto setPowerState = Lookup<PFN_SetSystemPowerState>(coredll.get(), "SetSystemPowerState");
    if (setPowerState && setPowerState(nullptr, POWER_STATE_RESET, 0) == ERROR_SUCCESS) return;
  }
  KernelReboot();
}

void SoftReset() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) version.dwMajorVersion = version.dwMinorVersion = 0;
  SoftResetBy(core::SoftResetRouteFor(version.dwMajorVersion, version.dwMinorVersion));
}

void Frame::HardReset(HWND owner) {
  if (Report(owner, L"Are you sure you want to hard reset your Pocket PC?", L"Vorrel", MB_YESNO | MB_ICONQUESTION) !=
      IDYES)
    return;
  SetCleanRebootFlag();
  KernelReboot();
}

void Frame::ShowHelp(HWND owner) {
  HelpDialog help(resources_);
  ShowNamedDialog(owner, L"IDD_HELP", &HelpDialog::Proc, help.Param());
}

}  // namespace quintar::vorrel

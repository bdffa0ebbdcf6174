// Glancet's start-up and its two exports: the item window and the options-dialog slot.
#include <windows.h>

#include <todaycmn.h>

#include <memory>
#include <new>
#include <span>
#include <string>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/datafile.h"
#include "todayplugin/item.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace quintar::glancet {
namespace {

HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// Runs at DLL attach, under the loader lock: a device without the data file gets the default
// one, whose names are taken from the paths themselves rather than from the shell, which must not
// be started from here.
void EnsureDataFile() noexcept {
  try {
    if (DataFileOpens()) return;
    core::Metrics m = MeasureScreen();
    auto image = std::make_unique<core::FileImage>();
    auto state = std::make_unique<core::State>();
    core::BuildDefaults(m, core::MakeStripPaths(m.scale), NameFromPath, *image, *state);
    WriteDataFile(*image);
  } catch (...) {
    // No memory at attach: the item builds the defaults when its window is made.
  }
}

struct RenameRequest {
  DWORD process;
  const std::u16string* name;
};

// Hands the name to this module's item windows among the children of `top`.
BOOL CALLBACK RenameItemsUnder(HWND top, LPARAM param) {
  const auto& request = *reinterpret_cast<const RenameRequest*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(top, &process);
  if (process != request.process) return TRUE;
  for (HWND item = FindWindowExW(top, nullptr, kClassName, nullptr); item;
       item = FindWindowExW(top, item, kClassName, nullptr))
    if (reinterpret_cast<HINSTANCE>(GetClassLongPtrW(item, GCLP_HMODULE)) == ThisModule())
      SendMessageW(item, MSG_RENAME_TAB, 0, reinterpret_cast<LPARAM>(request.name));
  return TRUE;
}

// The Today screen's options dialog: names the selected tab of the current page. The name is
// kept in memory until the item next saves.
class OptionsDialog : public win32::Dialog<OptionsDialog> {
 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<OptionsDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<OptionsDialog> kMessages[] = {
        win32::On<&OptionsDialog::OnInit>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<OptionsDialog>> Commands() {
    static constexpr win32::CommandEntry<OptionsDialog> kCommands[] = {win32::Command<&OptionsDialog::Done>(IDOK),
                                                                       win32::Command<&OptionsDialog::Rename>(1001)};
    return kCommands;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    win32::InitFullScreenDialog(hwnd());
    SetWindowTextW(hwnd(), L"new name");
    return TRUE;
  }
  void Done() { EndDialog(hwnd(), 1); }
  void Rename() {
    wchar_t name[core::kNameChars] = {};
    GetDlgItemTextW(hwnd(), 1000, name, core::kNameChars);
    const std::u16string text = win32::U16(name);
    RenameRequest request{GetCurrentProcessId(), &text};
    EnumWindows(RenameItemsUnder, reinterpret_cast<LPARAM>(&request));
    EndDialog(hwnd(), 1001);
  }
};

}  // namespace
}  // namespace quintar::glancet

using namespace quintar::glancet;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    EnsureDataFile();
  }
  return TRUE;
}

extern "C" HWND APIENTRY InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
  if (!item || !item->fEnabled) return nullptr;
  try {
    HWND hwnd = Item::Open(item->hinstDLL ? item->hinstDLL : ThisModule(), parent);
    if (!hwnd) return nullptr;
    UpdateWindow(hwnd);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
  } catch (...) {
    return nullptr;  // nothing escapes into the Today screen
  }
}

// The dialog manager does the default handling of what the dialog leaves: a dialog procedure
// that also ran the window default would handle those messages twice.
extern "C" BOOL APIENTRY CustomItemOptionsDlgProc(HWND dialog, UINT msg, UINT wParam, LONG lParam) {
  if (msg == WM_INITDIALOG) {
    auto* options = new (std::nothrow) OptionsDialog;
    if (!options) return FALSE;
    return static_cast<BOOL>(OptionsDialog::Proc(dialog, msg, wParam, options->Param()));
  }
  // The dialog base keeps its object with the dialog; it goes with the dialog.
  auto* options = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  auto result = static_cast<BOOL>(OptionsDialog::Proc(dialog, msg, wParam, lParam));
  if (msg == WM_NCDESTROY) delete options;
  return result;
}

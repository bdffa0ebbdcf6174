#include "filemanager/commandbands.h"

#include <aygshell.h>
#include <commctrl.h>

#include <vector>

#include "filemanager/core/paths.h"
#include "filemanager/resource.h"
#include "filemanager/settings.h"
#include "filemanager/winutil.h"
#include "win32/shell.h"

namespace quintar::folderon {

namespace qf = core;

CommandBands::~CommandBands() {
  if (menuBar_ && IsWindow(menuBar_)) DestroyWindow(menuBar_);
}

bool CommandBands::Create(HWND owner, HINSTANCE instance) {
  owner_ = owner;
  {
    SettingsKey rebar(kRebarKey);
    DWORD flags[2] = {toolbarShown_, addressShown_};
    rebar.ReadUpTo(L"CmdBands", flags, sizeof flags);
    addressShown_ = flags[1] ? 1 : 0;
    toolbarShown_ = 0;
  }

  menuBar_ = win32::CreateMenuBar(owner, instance, IDR_MAINMENU);

  int width = GetSystemMetrics(SM_CXSCREEN);
  DWORD bandStyle = WS_CHILD | WS_CLIPCHILDREN | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | TBSTYLE_FLAT;
  toolbarBand_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", bandStyle, 0, 0, width, 0, owner,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLBAR_BAND)), instance, nullptr);
  addressBand_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", bandStyle, 0, 0, width, 0, owner,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ADDRESS_BAND)), instance, nullptr);
  if (!addressBand_) return false;
  combo_ = CreateWindowExW(0, WC_COMBOBOXW, L"",
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL, 1, 1,
                           width - 2, 200, addressBand_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ADDRESS_COMBO)), instance, nullptr);
  if (!combo_) return false;
  SendMessageW(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SendMessageW(combo_, CB_SETEXTENDEDUI, TRUE, 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(combo_, &info)) edit_ = info.hwndItem;
  if (edit_) SetWindowSubclass(edit_, EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
  // The combo box belongs to the band; its notifications are the main window's business.
  SetWindowSubclass(
      addressBand_,
      [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) -> LRESULT {
        if (msg == WM_COMMAND) return SendMessageW(reinterpret_cast<HWND>(ref), msg, wParam, lParam);
        return DefSubclassProc(hwnd, msg, wParam, lParam);
      },
      2, reinterpret_cast<DWORD_PTR>(owner));
  int height = AddressHeight();
  SetWindowPos(addressBand_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

  ShowWindow(addressBand_, addressShown_ ? SW_SHOW : SW_HIDE);
  if (toolbarBand_) ShowWindow(toolbarBand_, SW_HIDE);

  SettingsKey recentKey(kRecentKey);
  std::vector<std::u16string> values(qf::kSavedRecent);
  for (size_t i = 0; i < values.size(); ++i) {
    std::wstring value;
    recentKey.ReadString(Wide(qf::RecentValueName(static_cast<int>(i + 1))).c_str(), value);
    values[i] = U16(value);
  }
  recent_.Load(values);
  Refill();
  return true;
}

void CommandBands::SaveAndDestroy() {
  {
    SettingsKey rebar(kRebarKey);
    DWORD flags[2] = {0, addressShown_};
    rebar.WriteBinary(L"CmdBands", flags, sizeof flags);
  }
  {
    SettingsKey recentKey(kRecentKey);
    auto saved = recent_.Saved();
    for (size_t i = 0; i < saved.size(); ++i) {
      recentKey.WriteString(Wide(qf::RecentValueName(static_cast<int>(i + 1))).c_str(), Wide(saved[i]));
    }
  }
  if (edit_) RemoveWindowSubclass(edit_, EditProc, 1);
  if (menuBar_ && IsWindow(menuBar_)) DestroyWindow(menuBar_);
  menuBar_ = nullptr;
}

HMENU CommandBands::Menu() const {
  if (!menuBar_) return nullptr;
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuBar_, SHCMBM_GETMENU, 0, 0));
  return menu ? GetSubMenu(menu, 0) : nullptr;
}

void CommandBands::ShowAddress(bool show) {
  addressShown_ = show ? 1 : 0;
  if (addressBand_) ShowWindow(addressBand_, show ? SW_SHOW : SW_HIDE);
}

int CommandBands::AddressHeight() const {
  if (!combo_) return 0;
  return static_cast<int>(SendMessageW(combo_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0)) + 8;
}

int CommandBands::MenuHeight() const {
  RECT rc{};
  if (menuBar_ && GetWindowRect(menuBar_, &rc) && rc.bottom > rc.top) return rc.bottom - rc.top;
  return GetSystemMetrics(SM_CYMENU);
}

void CommandBands::Resize(int width) {
  if (addressBand_) {
    SetWindowPos(addressBand_, nullptr, 0, 0, width, AddressHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (combo_) {
    int screen = GetSystemMetrics(SM_CXSCREEN);
    SetWindowPos(combo_, nullptr, 1, 1, screen - 2, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CommandBands::PushRecent(const std::wstring& path) {
  recent_.Push(U16(path));
  Refill();
}

void CommandBands::Refill() {
  if (!combo_) return;
  SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
  for (const auto& item : recent_.Items()) {
    SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  }
  if (!recent_.Items().empty()) SendMessageW(combo_, CB_SETCURSEL, 0, 0);
}

std::wstring CommandBands::AddressText() const {
  if (!combo_) return {};
  wchar_t buffer[260] = {};
  GetWindowTextW(combo_, buffer, 260);
  return buffer;
}

LRESULT CALLBACK CommandBands::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<CommandBands*>(ref);
  if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
    PostMessageW(self->owner_, WM_COMMAND, MAKEWPARAM(IDC_ADDRESS_COMBO, kAddressEnter),
                 reinterpret_cast<LPARAM>(self->combo_));
    return 0;
  }
  if (msg == WM_CHAR && (wParam == L'\r' || wParam == L'\n')) return 0;  // no beep
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace quintar::folderon

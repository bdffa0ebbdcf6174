// CommandBands: the soft-key menu bar at the bottom of the screen, the address band at the top
// (a bar holding the address combo box with the recent folders) and a toolbar band that has no
// buttons and stays hidden.
#pragma once

#include <windows.h>

#include <string>

#include "filemanager/core/history.h"

namespace quintar::folderon {

class CommandBands {
 public:
  CommandBands() = default;
  ~CommandBands();
  CommandBands(const CommandBands&) = delete;
  CommandBands& operator=(const CommandBands&) = delete;

  // `CmdBands` and the recent list are read here. `enterHandler` receives WM_COMMAND
  // (IDC_ADDRESS_COMBO, 0x8000) when Enter is pressed in the address box.
  bool Create(HWND owner, HINSTANCE instance);
  // Writes `CmdBands` and the recent list, destroys the menu bar.
  void SaveAndDestroy();

  HWND MenuBar() const { return menuBar_; }
  HMENU Menu() const;  // the menu behind the "Menu" soft key
  HWND AddressBand() const { return addressBand_; }
  HWND AddressCombo() const { return combo_; }
  HWND AddressEdit() const { return edit_; }
  bool AddressShown() const { return addressShown_ != 0; }
  void ShowAddress(bool show);
  int AddressHeight() const;
  // The menu bar's height (the shell's menu height).
  int MenuHeight() const;
  // Width follows the owner on WM_SIZE.
  void Resize(int width);

  // The listing's folder ("My Pocket PC" for the root) goes to the top of the box and is shown.
  void PushRecent(const std::wstring& path);
  std::wstring AddressText() const;

 private:
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void Refill();

  HWND owner_ = nullptr;
  HWND menuBar_ = nullptr;
  HWND addressBand_ = nullptr;
  HWND toolbarBand_ = nullptr;
  HWND combo_ = nullptr;
  HWND edit_ = nullptr;
  DWORD toolbarShown_ = 0;  // always forced to 0
  DWORD addressShown_ = 1;
  core::RecentFolders recent_;
};

// The command the address box sends when Enter is pressed in it.
inline constexpr WORD kAddressEnter = 0x8000;

}  // namespace quintar::folderon

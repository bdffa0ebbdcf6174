// The Start menu of the Today screen: the shortcuts of "\Windows\Start Menu", its subfolders
// (Programs first among them) as submenus, each entry opened through the device's shell.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32/handle.h"

namespace quintar::device {

class StartMenu {
 public:
  // Subfolders as submenus first, then the shortcuts, each group by name; names without ".lnk".
  explicit StartMenu(const std::wstring& folder);

  HMENU menu() const { return menu_.get(); }
  // The shortcut file behind a command of the menu; nullptr for any other id.
  const std::wstring* ShortcutOf(UINT id) const;

  static constexpr UINT kFirstId = 1000;

 private:
  bool Fill(HMENU menu, const std::wstring& folder, int depth);

  win32::Menu menu_;
  std::vector<std::wstring> shortcuts_;  // by id - kFirstId
};

// "\Windows\Start Menu" as the device names it.
std::wstring StartMenuFolder();

// Opens a shortcut (or any device file) through the device's shell, which reports failures
// unless `process` is asked for (the caller reports them then) and receives the started process.
bool OpenThroughShell(HWND owner, const std::wstring& path, const std::wstring& parameters = {},
                      win32::KernelHandle* process = nullptr);

}  // namespace quintar::device

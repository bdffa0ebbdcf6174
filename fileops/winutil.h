// Small Win32 helpers shared by the file operations' units: resources, case folding, placement.
#pragma once

#include <windows.h>

#include <ceservices.h>

#include <string>
#include <string_view>

#include "win32/device_find.h"

namespace quintar::fileops {

// Folds with the system's case table, as the file system compares names.
std::wstring FoldCase(std::wstring_view text);

HINSTANCE ResourceModule() noexcept;

inline bool IsDots(const wchar_t* name) noexcept {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

using CeFindHandle = win32::DeviceFindHandle;

// Centres `window` over `over` (the screen when null), kept on screen and at least `minTop`
// pixels from its top.
void CentreOver(HWND window, HWND over, int minTop = 0) noexcept;

// Widens the control to the client's right edge (less `margin`) and, when `toBottom`, lengthens
// it to the bottom: the full-screen dialogs take whatever the screen gives.
void Stretch(HWND dlg, int id, int margin, bool toBottom) noexcept;
// Keeps the control at the client's top right corner, `margin` from the right edge.
void KeepTopRight(HWND dlg, int id, int margin) noexcept;

}  // namespace quintar::fileops

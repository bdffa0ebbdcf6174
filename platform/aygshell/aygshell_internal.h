// Shared by the units of aygshell.dll: the device screen's shape and the shell's fixed sizes.
#pragma once

#include <aygshell.h>

#include "win32/handle.h"

namespace quintar::aygshell {

// The module handle of aygshell.dll, set when it loads.
extern HINSTANCE g_module;

// A tap counts as held once the stylus stays within kHoldSlopPx (at 96 dpi) for this long.
inline constexpr DWORD kHoldTimeMs = 500;
inline constexpr DWORD kLongHoldTimeMs = 1000;
inline constexpr int kHoldSlopPx = 5;

// Heights at 96 dpi, scaled by the screen's dots per inch.
inline constexpr int kMenuBandPx = 26;
inline constexpr int kSipHeightPx = 80;

int ScreenDpi();
int Scale(int px96);
RECT ScreenRect();
int MenuBandHeight();

// The shell's SIP window (class "SipWndClass"), or nullptr when there is none (SIP down).
HWND FindSipWindow();
bool SipIsUp();
// Where the SIP sits: the window's rectangle, or where it would dock when there is none.
RECT SipRect();
// The part of the screen the SIP leaves free.
RECT VisibleDesktop();

}  // namespace quintar::aygshell

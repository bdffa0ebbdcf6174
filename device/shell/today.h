// The Today screen: the top-level window "DeskTop" that hosts the custom Today items.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::device {

struct TodayOptions {
  UINT refreshMs = 2000;     // period of the refresh queries sent to the items
  std::wstring readyMarker;  // file written once the items have loaded and painted
  // A program started once the shell is ready; the marker then waits for its window.
  std::wstring runProgram;
  std::wstring runArguments;
};

// Creates the Today screen and loads its items; nullptr on failure.
HWND CreateTodayScreen(HINSTANCE instance, const TodayOptions& options);

// Creates the band at the bottom of the screen (Start caption and clock), owned by the Today screen.
HWND CreateMenuBand(HINSTANCE instance, HWND owner);

// The Today screen's own messages start past the WM_USER numbers of the Today and item messages.
// Posted to the Today screen when the power-off key went down.
constexpr UINT MSG_POWER_OFF_KEY = WM_USER + 0x302;

// Posted to the Today screen once every shell window exists: paints all and writes the marker.
constexpr UINT MSG_SHELL_READY = WM_USER + 0x301;

}  // namespace quintar::device

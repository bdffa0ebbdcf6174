// The Today screen: the top-level window "DeskTop" that hosts the custom Today items.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::device {

struct TodayOptions {
  UINT refreshMs = 2000;     // period of the refresh queries sent to the items
  std::wstring readyMarker;  // file written once the items have loaded and painted
};

// Creates the Today screen and loads its items; nullptr on failure.
HWND CreateTodayScreen(HINSTANCE instance, const TodayOptions& options);

// Creates the band at the bottom of the screen (Start caption and clock), owned by the Today screen.
HWND CreateMenuBand(HINSTANCE instance, HWND owner);

// Posted to the Today screen when the power-off key went down.
constexpr UINT kMsgPowerOffKey = WM_APP + 10;

// Posted to the Today screen once every shell window exists: paints all and writes the marker.
constexpr UINT kMsgShellReady = WM_APP + 11;

}  // namespace quintar::device

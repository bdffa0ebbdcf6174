// Screen geometry shared by the shell's windows: everything is laid out for 96 dpi and scaled.
#pragma once

#include <windows.h>

#include "win32/handle.h"

namespace quintar::device {

inline int ScreenDpi() {
  const win32::WindowDc dc(nullptr);
  int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

inline int Scaled(int px) { return MulDiv(px, ScreenDpi(), 96); }

inline SIZE ScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// The menu-bar band along the bottom of the screen.
inline int BandHeight() { return Scaled(26); }

// A font of the given point size at the screen's dpi.
inline HFONT CreateUiFont(int points, int weight = FW_NORMAL) {
  return CreateFontW(-MulDiv(points, ScreenDpi(), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

}  // namespace quintar::device

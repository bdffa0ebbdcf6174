#include "platform/aygshell/aygshell_internal.h"

namespace quintar::aygshell {

HINSTANCE g_module = nullptr;

int ScreenDpi() {
  win32::WindowDc dc(nullptr);
  int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

int Scale(int px96) { return MulDiv(px96, ScreenDpi(), 96); }

RECT ScreenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

int MenuBandHeight() { return Scale(kMenuBandPx); }

HWND FindSipWindow() { return FindWindowW(L"SipWndClass", nullptr); }

bool SipIsUp() {
  HWND sip = FindSipWindow();
  return sip && IsWindowVisible(sip);
}

RECT SipRect() {
  if (HWND sip = FindSipWindow()) {
    RECT rc;
    if (GetWindowRect(sip, &rc)) return rc;
  }
  RECT screen = ScreenRect();
  LONG bottom = screen.bottom - MenuBandHeight();
  return RECT{screen.left, bottom - Scale(kSipHeightPx), screen.right, bottom};
}

RECT VisibleDesktop() {
  RECT rc = ScreenRect();
  if (SipIsUp()) {
    RECT sip = SipRect();
    if (sip.top > rc.top && sip.top < rc.bottom) rc.bottom = sip.top;
  }
  return rc;
}

}  // namespace quintar::aygshell

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    quintar::aygshell::g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

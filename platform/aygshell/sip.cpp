// The soft input panel as the device's shell owns it: a top-level window of class "SipWndClass"
// whose visibility is the SIP's state. With no such window the SIP is down and cannot go up.
#include "platform/aygshell/aygshell_internal.h"

using namespace quintar;

namespace {

// Set on a window that declared itself an input dialog (SIP_INPUTDIALOG): plain SIP_DOWN
// requests from it are ignored until the window goes away.
constexpr wchar_t kInputDialogProp[] = L"Quintar.Ayg.InputDialog";
// Set once SHHandleWMActivate has seen the window lose activation, so that the first
// activation of a fresh window does not force the SIP down.
constexpr wchar_t kDeactivatedProp[] = L"Quintar.Ayg.Deactivated";

bool ShowSip(bool up) {
  HWND sip = aygshell::FindSipWindow();
  if (!sip) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  if ((IsWindowVisible(sip) != FALSE) != up) {
    // The SIP never takes the focus from the field it serves.
    ShowWindow(sip, up ? SW_SHOWNOACTIVATE : SW_HIDE);
  }
  return true;
}

}  // namespace

extern "C" BOOL WINAPI SipGetInfo(SIPINFO* info) {
  if (!info || info->cbSize < sizeof(SIPINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // No input method here carries data of its own.
  if (info->dwImDataSize != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->fdwFlags = SIPF_DOCKED | (aygshell::SipIsUp() ? SIPF_ON : SIPF_OFF);
  info->rcSipRect = aygshell::SipRect();
  info->rcVisibleDesktop = aygshell::VisibleDesktop();
  info->pvImData = nullptr;
  return TRUE;
}

extern "C" BOOL WINAPI SipShowIM(DWORD flag) {
  if (flag != SIPF_ON && flag != SIPF_OFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ShowSip(flag == SIPF_ON) ? TRUE : FALSE;
}

extern "C" BOOL WINAPI SHSipPreference(HWND hwnd, SIPSTATE state) {
  switch (state) {
    case SIP_UP:
      return ShowSip(true) ? TRUE : FALSE;
    case SIP_DOWN:
      if (hwnd && IsWindow(hwnd) && GetPropW(hwnd, kInputDialogProp)) return TRUE;
      [[fallthrough]];
    case SIP_FORCEDOWN:
      // Down is where an absent SIP already is.
      return (ShowSip(false) || !aygshell::FindSipWindow()) ? TRUE : FALSE;
    case SIP_UNCHANGED:
      return TRUE;
    case SIP_INPUTDIALOG:
      if (!hwnd || !IsWindow(hwnd)) break;
      return SetPropW(hwnd, kInputDialogProp, reinterpret_cast<HANDLE>(1));
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

extern "C" BOOL WINAPI SHSipInfo(UINT action, UINT, PVOID param, UINT) {
  switch (action) {
    case SPI_GETSIPINFO:
      return SipGetInfo(static_cast<SIPINFO*>(param));
    case SPI_SETSIPINFO: {
      auto* info = static_cast<SIPINFO*>(param);
      if (!info || info->cbSize < sizeof(SIPINFO)) break;
      return SipShowIM((info->fdwFlags & SIPF_ON) ? SIPF_ON : SIPF_OFF);
    }
    default:
      break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

extern "C" BOOL WINAPI SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM, SHACTIVATEINFO* sai, DWORD flags) {
  if (!sai || sai->cbSize < sizeof(SHACTIVATEINFO) || !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool up = aygshell::SipIsUp();
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    sai->hwndLastFocus = (focus && (focus == hwnd || IsChild(hwnd, focus))) ? focus : nullptr;
    sai->fSipOnDeactivation = up;
    sai->fSipUp = up;
    sai->fActive = 0;
    SetPropW(hwnd, kDeactivatedProp, reinterpret_cast<HANDLE>(1));
    return TRUE;
  }
  sai->fActive = 1;
  if (GetPropW(hwnd, kDeactivatedProp)) {
    bool wanted = sai->fSipOnDeactivation;
    // An input dialog keeps the panel up until the user lowers it.
    if ((flags & SHA_INPUTDIALOG) && up) wanted = true;
    if (wanted != up && ShowSip(wanted)) up = wanted;
    HWND last = sai->hwndLastFocus;
    if (last && IsWindow(last) && (last == hwnd || IsChild(hwnd, last)) && IsWindowVisible(last) &&
        IsWindowEnabled(last)) {
      SetFocus(last);
    }
  }
  sai->fSipUp = up;
  return TRUE;
}

extern "C" BOOL WINAPI SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM, SHACTIVATEINFO* sai) {
  if (!sai || sai->cbSize < sizeof(SHACTIVATEINFO) || !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (wParam != SPI_SETSIPINFO) return TRUE;
  bool up = aygshell::SipIsUp();
  sai->fSipUp = up;
  // Only a full-width top-level window follows the SIP; others are laid out by their owners.
  if (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) return TRUE;
  RECT rc;
  if (!GetWindowRect(hwnd, &rc)) return FALSE;
  RECT screen = aygshell::ScreenRect();
  LONG bottom;
  if (up) {
    bottom = aygshell::VisibleDesktop().bottom;
  } else {
    // Down: to the bottom of the screen, less the window's own menu bar.
    bottom = screen.bottom - (SHFindMenuBar(hwnd) ? aygshell::MenuBandHeight() : 0);
  }
  if (bottom <= rc.top) return TRUE;
  if (rc.bottom != bottom) {
    SetWindowPos(hwnd, nullptr, 0, 0, rc.right - rc.left, bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return TRUE;
}

extern "C" BOOL WINAPI SHFullScreen(HWND hwnd, DWORD state) {
  constexpr DWORD kKnown = SHFS_SHOWTASKBAR | SHFS_HIDETASKBAR | SHFS_SHOWSIPBUTTON | SHFS_HIDESIPBUTTON |
                           SHFS_SHOWSTARTICON | SHFS_HIDESTARTICON;
  bool contradicts = ((state & SHFS_SHOWTASKBAR) && (state & SHFS_HIDETASKBAR)) ||
                     ((state & SHFS_SHOWSIPBUTTON) && (state & SHFS_HIDESIPBUTTON)) ||
                     ((state & SHFS_SHOWSTARTICON) && (state & SHFS_HIDESTARTICON));
  if (!hwnd || !IsWindow(hwnd) || (state & ~kKnown) || contradicts) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The emulated device has no task bar, SIP button or start icon to show or hide: the request
  // is granted as it stands.
  return TRUE;
}

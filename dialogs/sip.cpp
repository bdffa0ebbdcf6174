
#include <windows.h>

#include <commctrl.h>

#include "dialogs/dialogs.h"

namespace quintar::dialogs {
namespace {

constexpr UINT_PTR kSipSubclass = 0x51534950;  // "QSIP"

LRESULT CALLBACK SipSwitchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
  if (msg == WM_DESTROY) {
    // ref: 0 hide on close, 1 put the panel back up, 2 leave it down.
    ShowSip(ref == 1);
    RemoveWindowSubclass(hwnd, SipSwitchProc, id);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

HWND FindSipWindow() noexcept { return FindWindowW(L"SipWndClass", nullptr); }

bool IsSipShown() noexcept {
  HWND sip = FindSipWindow();
  return sip != nullptr && IsWindowVisible(sip);
}

bool ShowSip(bool show) noexcept {
  HWND sip = FindSipWindow();
  if (sip == nullptr) return false;
  ShowWindow(sip, show ? SW_SHOW : SW_HIDE);
  return true;
}

bool AttachSipSwitch(HWND dialog, SipOnClose onClose) noexcept {
  if (!IsWindow(dialog)) return false;
  const bool wasShown = IsSipShown();
  const DWORD_PTR closing = onClose == SipOnClose::Hide ? 0 : (wasShown ? 1 : 2);
  if (!SetWindowSubclass(dialog, SipSwitchProc, kSipSubclass, closing)) return false;
  ShowSip(true);
  return true;
}

}  // namespace quintar::dialogs

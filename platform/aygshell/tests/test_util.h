// Small helpers shared by the shell library's tests: a message pump and a plain test window.
#pragma once

#include <aygshell.h>

#include <functional>

#include "testsupport/testsupport.h"
#include "win32/handle.h"

namespace quintar::aygshell::tests {

using testsupport::PumpFor;

// Generous: a loaded machine may take seconds to deliver input.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  return testsupport::PumpUntil(done, timeoutMs);
}

// A window class whose procedure the test supplies per window through a std::function.
using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, bool&)>;

inline LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* handler = reinterpret_cast<Handler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (handler && *handler) {
    bool handled = false;
    LRESULT result = (*handler)(hwnd, msg, wParam, lParam, handled);
    if (handled) return result;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline HWND CreateTestWindow(Handler* handler, DWORD style = WS_POPUP | WS_VISIBLE, RECT rc = RECT{0, 0, 240, 200},
                             HWND parent = nullptr) {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"AygTestWindow";
    return RegisterClassW(&wc);
  }();
  static_cast<void>(atom);
  return CreateWindowExW(0, L"AygTestWindow", L"test", style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                         parent, nullptr, GetModuleHandleW(nullptr), handler);
}

using testsupport::UniqueWindow;

inline int Dpi() { return GetDeviceCaps(win32::WindowDc(nullptr).get(), LOGPIXELSY); }
inline int ScreenW() { return GetSystemMetrics(SM_CXSCREEN); }
inline int ScreenH() { return GetSystemMetrics(SM_CYSCREEN); }
inline int Band() { return MulDiv(26, Dpi(), 96); }
inline int SipH() { return MulDiv(80, Dpi(), 96); }

// Stands in for the device shell's SIP window ("SipWndClass"), hidden (down) at first.
inline HWND CreateSipStandIn() {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SipWndClass";
    return RegisterClassW(&wc);
  }();
  static_cast<void>(atom);
  int bottom = ScreenH() - Band();
  return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"SipWndClass", L"SIP", WS_POPUP, 0, bottom - SipH(),
                         ScreenW(), SipH(), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace quintar::aygshell::tests

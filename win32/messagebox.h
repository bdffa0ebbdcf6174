// A message box that fits the device's screen. Wine lays a box with a long text out wider than a
// small screen, so both sides are cut off; on the device the text wraps to the screen instead.
// Header-only: the device's own libraries (coredll, setup.dll) show boxes too and link no more
// than the handle owners.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/handle.h"

namespace quintar::win32 {

namespace box_detail {

// The box's text control: user32 gives it this id in Windows and in Wine.
inline constexpr int kTextId = 0xFFFF;

inline bool HasClass(HWND window, const wchar_t* name) noexcept {
  wchar_t found[16]{};
  return GetClassNameW(window, found, 16) > 0 && lstrcmpiW(found, name) == 0;
}

inline RECT ChildRect(HWND box, HWND child) noexcept {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline int Width(const RECT& r) noexcept { return r.right - r.left; }
inline int Height(const RECT& r) noexcept { return r.bottom - r.top; }

// The height of `text` in `control`'s font, wrapped as a static control wraps it to `width`.
inline int WrappedHeight(HWND control, int width) noexcept {
  const int length = GetWindowTextLengthW(control);
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
  GetWindowTextW(control, text.data(), length + 1);
  WindowDc dc(control);
  if (!dc) return 0;
  Selection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, width, 0};
  DrawTextW(dc.get(), text.data(), length, &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX);
  return Height(r);
}

// Lays a box that is wider or taller than the work area out again within it: the text wraps to
// the screen's width, icon and buttons keep their sizes and order, and the box is centred.
inline void FitToScreen(HWND box) noexcept {
  HWND text = GetDlgItem(box, kTextId);
  // A dialog of a module may have an unnamed static too; a box is user32's (Wine gives it no instance).
  const auto instance = reinterpret_cast<HMODULE>(GetWindowLongPtrW(box, GWLP_HINSTANCE));
  if (instance && instance != GetModuleHandleW(L"user32.dll")) return;
  if (!text || !HasClass(text, L"Static")) return;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT work = monitor.rcWork;
  RECT window{}, client{};
  GetWindowRect(box, &window);
  GetClientRect(box, &client);
  if (Width(window) <= Width(work) && Height(window) <= Height(work)) return;

  try {
    RECT textRect = ChildRect(box, text);
    RECT icon{};
    HWND iconControl = nullptr;
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      // The box itself is not shown yet: a child's own style says whether it will be.
      if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
      if (HasClass(child, L"Button")) {
        buttons.push_back(child);
      } else if (child != text && HasClass(child, L"Static") &&
                 (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        iconControl = child;
        icon = ChildRect(box, child);
      }
    }
    std::sort(buttons.begin(), buttons.end(), [box](HWND a, HWND b) {
      const RECT ra = ChildRect(box, a), rb = ChildRect(box, b);
      return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });

    const int frameX = Width(window) - Width(client);
    const int frameY = Height(window) - Height(client);
    const int margin = static_cast<int>(iconControl ? icon.left : textRect.left);
    const int clientWidth = std::min(Width(window), Width(work)) - frameX;
    const int textWidth = std::max<int>(clientWidth - textRect.left - margin, 1);
    // A word wider than the screen (a long file name) breaks where the line ends, as in an edit
    // control, rather than running off the box.
    SetWindowLongW(text, GWL_STYLE, GetWindowLongW(text, GWL_STYLE) | SS_EDITCONTROL);
    const int textHeight = std::max(WrappedHeight(text, textWidth), 1);
    int contentBottom = static_cast<int>(textRect.top) + textHeight;
    if (iconControl) contentBottom = std::max<int>(contentBottom, icon.bottom);

    int clientHeight = contentBottom + margin;
    if (!buttons.empty()) {
      const RECT first = ChildRect(box, buttons.front());
      const int oldContentBottom = std::max<int>(textRect.bottom, iconControl ? icon.bottom : 0);
      const int above = std::max<int>(first.top - oldContentBottom, 0);
      const int below = std::max<int>(Height(client) - first.bottom, 0);
      int gap = margin;
      if (buttons.size() > 1) gap = std::max<int>(ChildRect(box, buttons[1]).left - first.right, 0);
      int row = 0;
      for (HWND b : buttons) row += Width(ChildRect(box, b));
      // A row too wide for the screen keeps its buttons and gives up the space between them.
      const int gaps = static_cast<int>(buttons.size()) - 1;
      if (gaps > 0 && row + gaps * gap > clientWidth) gap = std::max((clientWidth - row) / gaps, 0);
      row += gaps * gap;
      int x = std::max((clientWidth - row) / 2, 0);
      const int top = contentBottom + above;
      for (HWND b : buttons) {
        const RECT r = ChildRect(box, b);
        SetWindowPos(b, nullptr, x, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        x += Width(r) + gap;
      }
      clientHeight = top + Height(first) + below;
    }
    SetWindowPos(text, nullptr, textRect.left, textRect.top, textWidth, textHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    const int boxWidth = clientWidth + frameX;
    const int boxHeight = std::min<int>(clientHeight + frameY, Height(work));
    const int left = work.left + std::max((Width(work) - boxWidth) / 2, 0);
    const int top = work.top + std::max((Height(work) - boxHeight) / 2, 0);
    SetWindowPos(box, nullptr, left, top, boxWidth, boxHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(box, nullptr, TRUE);
  } catch (...) {
    // No memory to look at the box: it stays as user32 laid it out.
  }
}

// Fits a box once user32 has laid it out, before it is shown. Wine activates the box before its
// buttons are placed, so activation is too early to look at it.
inline LRESULT CALLBACK FitHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_INITDIALOG && HasClass(call->hwnd, L"#32770")) FitToScreen(call->hwnd);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookTraits {
  using Handle = HHOOK;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return UnhookWindowsHookEx(h) != FALSE; }
};

}  // namespace box_detail

// MessageBoxW, with the box fitted to the screen. The hook lives for this call on this thread
// only, so boxes on other threads and boxes opened while this one is up are fitted by their own.
inline int ScreenMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) noexcept {
  const Owner<box_detail::HookTraits> hook(
      SetWindowsHookExW(WH_CALLWNDPROCRET, box_detail::FitHook, nullptr, GetCurrentThreadId()));
  return MessageBoxW(owner, text, caption, style);
}

}  // namespace quintar::win32

// Scope guards for state that is switched on and must be switched back on every path: a pair of
// calls, a window's redraw, the wait cursor.
#pragma once

#include <windows.h>

#include <utility>

namespace quintar::win32 {

// Runs `undo` when the scope ends, however it ends, unless dismissed.
template <class Undo>
class [[nodiscard]] ScopeGuard {
 public:
  explicit ScopeGuard(Undo undo) noexcept : undo_(std::move(undo)) {}
  ~ScopeGuard() {
    if (armed_) undo_();
  }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;
  void Dismiss() noexcept { armed_ = false; }

 private:
  Undo undo_;
  bool armed_ = true;
};

// Calls `on` now and `off` when the scope ends: OnExit(suspend, resume) and the like.
template <class On, class Off>
[[nodiscard]] ScopeGuard<Off> Paired(On&& on, Off off) {
  std::forward<On>(on)();
  return ScopeGuard<Off>(std::move(off));
}

// A control drawn once at the end of a batch of changes rather than after each. When redraw
// comes back on, list and tree views set their scroll ranges, and each range set on a visible
// window draws its scroll bar at once (several bars and passes, ~10 ms for a list under Wine).
// The control is marked hidden for that moment, and all of it, frame included, is drawn in its
// next paint.
class [[nodiscard]] RedrawOff {
 public:
  explicit RedrawOff(HWND window) noexcept : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
  ~RedrawOff() {
    const bool shown = (GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) DefWindowProcW(window_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    if (shown) {
      DefWindowProcW(window_, WM_SETREDRAW, TRUE, 0);
      RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
  }
  RedrawOff(const RedrawOff&) = delete;
  RedrawOff& operator=(const RedrawOff&) = delete;

 private:
  HWND window_;
};

// The hourglass for a scope; the cursor that was showing comes back at its end.
class [[nodiscard]] WaitCursor {
 public:
  WaitCursor() noexcept : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace quintar::win32

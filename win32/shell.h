// The Pocket PC conventions every program of the suite follows: tap-and-hold, full-screen dialogs,
// one running copy, and message boxes.
#pragma once

#include <windows.h>

#include <aygshell.h>

#include <string_view>

#include "win32/handle.h"

namespace quintar::win32 {

// The point of a mouse message, signed (a capture can report points left of or above the window).
inline POINT PointOf(LPARAM lParam) noexcept {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

// True when the stylus that went down at `down` (client coordinates of `window`) is held there
// long enough to ask for a context menu; the shell tracks the stylus until it knows.
bool IsTapAndHold(HWND window, POINT down) noexcept;

// The shell's full-screen set-up for a dialog, by default with the Done button and the SIP down.
inline constexpr DWORD kFullScreenDone = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
bool InitFullScreenDialog(HWND dialog, DWORD flags = kFullScreenDone) noexcept;
// The soft-key bar of `parent` from menu-bar resource `id`; nullptr when it could not be made.
HWND CreateMenuBar(HWND parent, HINSTANCE resources, int id, DWORD flags = 0) noexcept;

// One running copy per named mutex. The mutex closes the gap between two starts that both find
// no window yet: a second start waits a while for the first one's window.
class SingleInstance {
 public:
  explicit SingleInstance(const wchar_t* mutexName) noexcept;
  // True when another copy held the mutex first.
  bool Another() const noexcept { return another_; }
  // The first copy's window (class and, if given, title); for a second start it waits up to
  // `waitMs` for the window to appear. nullptr when there is none.
  HWND FindRunning(const wchar_t* windowClass, const wchar_t* title = nullptr, DWORD waitMs = 5000) const noexcept;

 private:
  KernelHandle mutex_;
  bool another_ = false;
};

// Brings a running copy to the front: its last active popup if it has one.
void BringToFront(HWND running) noexcept;

// The suite's message box. A box without a caption has none at all (not the system's "Error")
// and, unless the style names an icon, the stop icon.
int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption = {}, UINT style = MB_OK) noexcept;

}  // namespace quintar::win32

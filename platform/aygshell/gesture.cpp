// Tap and hold: the stylus went down at ptDown and is held there about half a second. The wait
// watches the thread's queue without taking what ends it: a release, a move away, a key or a
// quit stays queued for the program, and the answer is 0. Meanwhile the thread's other messages
// (painting, timers, sent messages) are dispatched.
#include <windowsx.h>

#include <cstdlib>

#include "platform/aygshell/aygshell_internal.h"

using namespace quintar;

namespace {

enum class Wait { kHeld, kEnded };

// Dispatches the messages outside the input ranges; false when a quit was seen (re-posted).
bool DispatchOthers() {
  struct Range {
    UINT first, last;
  };
  static constexpr Range kRanges[] = {
      {0, WM_KEYFIRST - 1}, {WM_KEYLAST + 1, WM_MOUSEFIRST - 1}, {WM_MOUSELAST + 1, 0xFFFFFFFFu}};
  for (const Range& range : kRanges) {
    MSG msg;
    // Bounded, so that a window that never validates its paint cannot hold the wait here.
    for (int i = 0; i < 64 && PeekMessageW(&msg, nullptr, range.first, range.last, PM_REMOVE); ++i) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

// True when the next mouse message ends the hold; moves within the slop are dropped.
bool MouseEndsHold(POINT down, int slop) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE)) {
    if (msg.message != WM_MOUSEMOVE) return true;
    POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    if (msg.hwnd) ClientToScreen(msg.hwnd, &pt);
    if (std::abs(pt.x - down.x) > slop || std::abs(pt.y - down.y) > slop) return true;
    PeekMessageW(&msg, msg.hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
  }
  return false;
}

Wait WaitForHold(HWND client, POINT down, DWORD holdMs) {
  int slop = aygshell::Scale(aygshell::kHoldSlopPx);
  DWORD start = GetTickCount();
  for (;;) {
    if (MouseEndsHold(down, slop)) return Wait::kEnded;
    MSG msg;
    if (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) return Wait::kEnded;
    if (!DispatchOthers() || !IsWindow(client)) return Wait::kEnded;
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= holdMs) return Wait::kHeld;
    DWORD left = holdMs - elapsed;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 10 ? left : 10, QS_ALLINPUT);
  }
}

}  // namespace

extern "C" DWORD WINAPI SHRecognizeGesture(SHRGINFO* info) {
  if (!info || info->cbSize < sizeof(SHRGINFO) || !info->hwndClient || !IsWindow(info->hwndClient)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  HWND client = info->hwndClient;
  DWORD flags = info->dwFlags;
  POINT down = info->ptDown;
  ClientToScreen(client, &down);

  // No capture is taken: releasing one while the stylus is still down loses the coming
  // WM_LBUTTONUP on this platform, and the wait watches the whole thread's queue anyway.
  Wait result = WaitForHold(client, down, (flags & SHRG_LONGDELAY) ? aygshell::kLongHoldTimeMs : aygshell::kHoldTimeMs);
  if (result != Wait::kHeld || !IsWindow(client)) return 0;

  if (flags & SHRG_RETURNCMD) return GN_CONTEXTMENU;
  NMRGINFO nm{};
  nm.hdr.hwndFrom = client;
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(client));
  nm.hdr.code = GN_CONTEXTMENU;
  nm.ptAction = down;
  HWND target = client;
  if (flags & SHRG_NOTIFYPARENT) {
    target = GetParent(client);
    if (!target) return 0;
  }
  return static_cast<DWORD>(SendMessageW(target, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm)));
}

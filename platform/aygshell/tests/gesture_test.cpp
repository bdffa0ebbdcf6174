// Tap and hold: held still it is a context-menu gesture; released or moved away early it is not,
// and what ended it stays queued for the window.
#include <thread>

#include <gtest/gtest.h>

#include "platform/aygshell/tests/test_util.h"

using namespace quintar::aygshell::tests;

namespace {

struct Gesture {
  DWORD result = 0;
  DWORD elapsed = 0;
};

Gesture Recognize(HWND hwnd, POINT down, DWORD flags = SHRG_RETURNCMD) {
  // The stylus is where it went down, and nothing older than the tap is still queued.
  POINT screen = down;
  ClientToScreen(hwnd, &screen);
  SetCursorPos(screen.x, screen.y);
  PumpFor(50);
  SHRGINFO info{};
  info.cbSize = sizeof info;
  info.hwndClient = hwnd;
  info.ptDown = down;
  info.dwFlags = flags;
  DWORD start = GetTickCount();
  Gesture g;
  g.result = SHRecognizeGesture(&info);
  g.elapsed = GetTickCount() - start;
  return g;
}

// Posts one message to the window from another thread after `delayMs`.
std::thread PostLater(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD delayMs) {
  return std::thread([=] {
    Sleep(delayMs);
    PostMessageW(hwnd, msg, wParam, lParam);
  });
}

TEST(SHRecognizeGesture, HoldingStillIsAContextMenuGesture) {
  UniqueWindow win(CreateTestWindow(nullptr));
  Gesture g = Recognize(win.get(), POINT{20, 20});
  EXPECT_EQ(g.result, static_cast<DWORD>(GN_CONTEXTMENU));
  EXPECT_GE(g.elapsed, 450u);
  EXPECT_LT(g.elapsed, 1500u);

  // Jitter within a few pixels does not break the hold.
  std::thread jitter = PostLater(win.get(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(22, 21), 100);
  g = Recognize(win.get(), POINT{20, 20});
  jitter.join();
  EXPECT_EQ(g.result, static_cast<DWORD>(GN_CONTEXTMENU));
}

TEST(SHRecognizeGesture, EarlyReleaseIsNoGestureAndTheReleaseStaysQueued) {
  UniqueWindow win(CreateTestWindow(nullptr));
  std::thread up = PostLater(win.get(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20), 100);
  Gesture g = Recognize(win.get(), POINT{20, 20});
  up.join();
  EXPECT_EQ(g.result, 0u);
  EXPECT_LT(g.elapsed, 450u);
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, win.get(), WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE));
}

TEST(SHRecognizeGesture, MovingAwayIsNoGestureAndTheMoveStaysQueued) {
  UniqueWindow win(CreateTestWindow(nullptr));
  std::thread move = PostLater(win.get(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 20), 100);
  Gesture g = Recognize(win.get(), POINT{20, 20});
  move.join();
  EXPECT_EQ(g.result, 0u);
  EXPECT_LT(g.elapsed, 450u);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, win.get(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  EXPECT_EQ(LOWORD(msg.lParam), 60);
}

TEST(SHRecognizeGesture, LongDelayWaitsLonger) {
  UniqueWindow win(CreateTestWindow(nullptr));
  Gesture g = Recognize(win.get(), POINT{5, 5}, SHRG_RETURNCMD | SHRG_LONGDELAY);
  EXPECT_EQ(g.result, static_cast<DWORD>(GN_CONTEXTMENU));
  EXPECT_GE(g.elapsed, 900u);
}

TEST(SHRecognizeGesture, NotifiesTheWindowOrItsParent) {
  int parentNotified = 0, childNotified = 0;
  NMRGINFO seen{};
  Handler parentHandler = [&](HWND, UINT msg, WPARAM, LPARAM lParam, bool& handled) -> LRESULT {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(GN_CONTEXTMENU)) {
      ++parentNotified;
      seen = *reinterpret_cast<NMRGINFO*>(lParam);
      handled = true;
      return 7;
    }
    return 0;
  };
  Handler childHandler = [&](HWND, UINT msg, WPARAM, LPARAM lParam, bool& handled) -> LRESULT {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(GN_CONTEXTMENU)) {
      ++childNotified;
      handled = true;
      return 9;
    }
    return 0;
  };
  UniqueWindow parent(CreateTestWindow(&parentHandler, WS_POPUP | WS_VISIBLE, RECT{10, 10, 230, 200}));
  HWND child = CreateTestWindow(&childHandler, WS_CHILD | WS_VISIBLE, RECT{5, 5, 105, 105}, parent.get());
  SetWindowLongPtrW(child, GWLP_ID, 42);

  Gesture g = Recognize(child, POINT{3, 4}, SHRG_NOTIFYPARENT);
  EXPECT_EQ(g.result, 7u);
  EXPECT_EQ(parentNotified, 1);
  EXPECT_EQ(seen.hdr.hwndFrom, child);
  EXPECT_EQ(seen.hdr.idFrom, 42u);
  POINT screen{3, 4};
  ClientToScreen(child, &screen);
  EXPECT_EQ(seen.ptAction.x, screen.x);
  EXPECT_EQ(seen.ptAction.y, screen.y);

  g = Recognize(child, POINT{3, 4}, 0);
  EXPECT_EQ(g.result, 9u);
  EXPECT_EQ(childNotified, 1);
}

TEST(SHRecognizeGesture, RefusesBadArguments) {
  EXPECT_EQ(SHRecognizeGesture(nullptr), 0u);
  SHRGINFO info{};
  info.cbSize = sizeof info;
  EXPECT_EQ(SHRecognizeGesture(&info), 0u);
  UniqueWindow win(CreateTestWindow(nullptr));
  info.hwndClient = win.get();
  info.cbSize = 4;
  EXPECT_EQ(SHRecognizeGesture(&info), 0u);
}

// Real stylus input: the window runs the recogniser from its WM_LBUTTONDOWN.
TEST(SHRecognizeGesture, RealStylusHold) {
  DWORD result = 12345;
  int ups = 0, downs = 0;
  Handler handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, bool& handled) -> LRESULT {
    if (msg == WM_LBUTTONUP) ++ups;
    if (msg == WM_LBUTTONDOWN) {
      ++downs;
      SHRGINFO info{};
      info.cbSize = sizeof info;
      info.hwndClient = hwnd;
      info.ptDown = POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      info.dwFlags = SHRG_RETURNCMD;
      result = SHRecognizeGesture(&info);
      handled = true;
    }
    return 0;
  };
  UniqueWindow win(CreateTestWindow(&handler, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200}));
  SetForegroundWindow(win.get());
  PumpFor(100);
  auto send = [](DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
  };
  SetCursorPos(50, 50);
  send(MOUSEEVENTF_LEFTDOWN);
  bool recognised = PumpUntil([&] { return result != 12345; });
  // Under a loaded Wine a synthetic press is now and then never delivered: nothing to judge then.
  if (!recognised && downs == 0) GTEST_SKIP() << "Wine did not deliver the synthetic stylus press";
  ASSERT_TRUE(recognised);
  EXPECT_EQ(result, static_cast<DWORD>(GN_CONTEXTMENU));
  EXPECT_EQ(ups, 0);
  // (A release sent by a later SendInput call does not reach windows under this Wine set-up,
  // with or without the recogniser, so the release is checked with queued messages above.)
  send(MOUSEEVENTF_LEFTUP);
  PumpFor(50);
}

}  // namespace

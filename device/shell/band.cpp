// The band along the bottom of the screen: the Start button, which opens the Start menu, and the
// clock.
#include <memory>

#include "device/shell/screen.h"
#include "device/shell/startmenu.h"
#include "device/shell/today.h"
#include "win32/window.h"

namespace quintar::device {

namespace {

constexpr wchar_t kBandClass[] = L"QuintarMenuBand";
constexpr UINT_PTR kClockTimer = 2;

class MenuBand : public win32::Window<MenuBand> {
 public:
  HWND Create(HINSTANCE instance, HWND owner) {
    WNDCLASSW wc = {};
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kBandClass;
    if (!RegisterClass(wc)) return nullptr;
    SIZE screen = ScreenSize();
    int band = BandHeight();
    return Window::Create(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kBandClass, L"", WS_POPUP,
                          {0, screen.cy - band, screen.cx, screen.cy}, owner, instance);
  }

 private:
  friend Window;

  static std::span<const win32::MessageEntry<MenuBand>> Messages() {
    static constexpr win32::MessageEntry<MenuBand> kMessages[] = {
        win32::On<&MenuBand::OnCreate>(WM_CREATE),
        win32::On<&MenuBand::OnTimer>(WM_TIMER),
        win32::On<&MenuBand::OnMouseActivate>(WM_MOUSEACTIVATE),
        win32::On<&MenuBand::OnPaint>(WM_PAINT),
        win32::On<&MenuBand::OnButtonUp>(WM_LBUTTONUP),
    };
    return kMessages;
  }

  void OnFinalMessage() { delete this; }

  LRESULT OnCreate(WPARAM, LPARAM) {
    SetTimer(hwnd(), kClockTimer, 10000, nullptr);
    return 0;
  }
  LRESULT OnTimer(WPARAM, LPARAM) {
    InvalidateRect(hwnd(), nullptr, FALSE);
    return 0;
  }
  LRESULT OnMouseActivate(WPARAM, LPARAM) { return MA_NOACTIVATE; }

  // The Start button covers the flag and its caption.
  static int StartRight() { return Scaled(64); }

  LRESULT OnButtonUp(WPARAM, LPARAM lParam) {
    if (static_cast<short>(LOWORD(lParam)) < StartRight()) ShowStartMenu();
    return 0;
  }

  void ShowStartMenu() {
    const StartMenu menu(StartMenuFolder());
    if (!menu.menu() || GetMenuItemCount(menu.menu()) <= 0) return;
    pressed_ = true;
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // A menu closes on a tap elsewhere only while its owner's thread is in front.
    HWND owner = GetWindow(hwnd(), GW_OWNER);
    SetForegroundWindow(owner ? owner : hwnd());
    RECT rc;
    GetWindowRect(hwnd(), &rc);
    const UINT id = TrackPopupMenu(menu.menu(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_BOTTOMALIGN, rc.left,
                                   rc.top, 0, hwnd(), nullptr);
    PostMessageW(hwnd(), WM_NULL, 0, 0);
    pressed_ = false;
    InvalidateRect(hwnd(), nullptr, FALSE);
    if (const std::wstring* shortcut = menu.ShortcutOf(id)) OpenThroughShell(owner, *shortcut);
  }

  LRESULT OnPaint(WPARAM, LPARAM) {
    const win32::PaintDc paint(hwnd());
    const HDC dc = paint.get();
    RECT rc;
    GetClientRect(hwnd(), &rc);
    FillRect(dc, &rc, win32::Brush(CreateSolidBrush(RGB(0, 56, 120))).get());
    if (pressed_) {
      RECT start = {0, 0, StartRight(), rc.bottom};
      FillRect(dc, &start, win32::Brush(CreateSolidBrush(RGB(0, 84, 166))).get());
    }
    const win32::Font font(CreateUiFont(9, FW_BOLD));
    const win32::Selection selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    // The Start flag: four small coloured squares before the caption.
    int s = Scaled(5), x = Scaled(6), y = (rc.bottom - 2 * s - 1) / 2;
    const COLORREF flag[4] = {RGB(240, 80, 40), RGB(120, 200, 40), RGB(40, 150, 240), RGB(250, 200, 20)};
    for (int i = 0; i < 4; ++i) {
      RECT q = {x + (i % 2) * (s + 1), y + (i / 2) * (s + 1), x + (i % 2) * (s + 1) + s, y + (i / 2) * (s + 1) + s};
      FillRect(dc, &q, win32::Brush(CreateSolidBrush(flag[i])).get());
    }
    RECT text = {x + 2 * s + Scaled(6), 0, rc.right - Scaled(6), rc.bottom};
    DrawTextW(dc, L"Start", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    wchar_t clock[32] = L"";
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, clock, ARRAYSIZE(clock));
    DrawTextW(dc, clock, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    return 0;
  }

  bool pressed_ = false;
};

}  // namespace

HWND CreateMenuBand(HINSTANCE instance, HWND owner) {
  auto band = std::make_unique<MenuBand>();
  HWND hwnd = band->Create(instance, owner);
  if (!hwnd) return nullptr;
  band.release();  // the window deletes it when destroyed
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

}  // namespace quintar::device

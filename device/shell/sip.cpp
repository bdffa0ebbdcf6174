#include "device/shell/sip.h"

#include <vector>

#include "device/shell/screen.h"
#include "win32/handle.h"

namespace quintar::device {
namespace {

constexpr wchar_t kSipClass[] = L"SipWndClass";
constexpr UINT kSetSipInfo = 224;  // SPI_SETSIPINFO
constexpr const wchar_t* kRows[] = {L"1234567890-=", L"qwertyuiop[]", L"asdfghjkl;'", L"zxcvbnm,./", L" "};
constexpr int kRowCount = ARRAYSIZE(kRows);

// The key under a point of the panel's client area, or 0.
wchar_t KeyAt(const RECT& client, POINT pt, RECT* keyRect) {
  int rowHeight = client.bottom / kRowCount;
  int row = rowHeight > 0 ? pt.y / rowHeight : -1;
  if (row < 0 || row >= kRowCount) return 0;
  int keyWidth = client.right / 12;
  int count = lstrlenW(kRows[row]);
  int indent = row == kRowCount - 1 ? keyWidth * 3 : (client.right - count * keyWidth) / 2;
  int width = row == kRowCount - 1 ? keyWidth * 6 : keyWidth;
  if (keyWidth <= 0 || pt.x < indent) return 0;
  int column = (pt.x - indent) / width;
  if (column >= count) return 0;
  if (keyRect)
    *keyRect = {indent + column * width, row * rowHeight, indent + (column + 1) * width, (row + 1) * rowHeight};
  return kRows[row][column];
}

void PaintKeyboard(HWND hwnd) {
  const win32::PaintDc paint(hwnd);
  const HDC dc = paint.get();
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, win32::Brush(CreateSolidBrush(RGB(214, 218, 226))).get());
  const win32::Brush keyBrush(CreateSolidBrush(RGB(255, 255, 255)));
  const win32::Pen pen(CreatePen(PS_SOLID, 1, RGB(120, 128, 140)));
  const win32::Font font(CreateUiFont(7));
  const win32::Selection penSelected(dc, pen.get()), brushSelected(dc, keyBrush.get()), fontSelected(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  int rowHeight = client.bottom / kRowCount;
  for (int row = 0; row < kRowCount; ++row) {
    for (int x = 0; x < client.right; ++x) {
      RECT key;
      wchar_t ch = KeyAt(client, {x, row * rowHeight + rowHeight / 2}, &key);
      if (!ch) continue;
      RoundRect(dc, key.left + 1, key.top + 1, key.right - 1, key.bottom - 1, 3, 3);
      DrawTextW(dc, &ch, 1, &key, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
      x = key.right - 1;
    }
  }
}

// Tells every top-level window that the SIP came up or went down. A hung window is skipped.
void BroadcastSipChange(HWND self) {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND hwnd, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  for (HWND hwnd : windows) {
    if (hwnd == self) continue;
    SendMessageTimeoutW(hwnd, WM_SETTINGCHANGE, kSetSipInfo, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 500, nullptr);
  }
}

// A tap types its key into whichever window has the focus; the panel never takes it.
void TypeKey(wchar_t ch) {
  INPUT input[2] = {};
  for (INPUT& in : input) {
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = ch;
    in.ki.dwFlags = KEYEVENTF_UNICODE;
  }
  input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

LRESULT CALLBACK SipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_WINDOWPOSCHANGED: {
      auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) BroadcastSipChange(hwnd);
      break;
    }
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN: {
      RECT client;
      GetClientRect(hwnd, &client);
      if (wchar_t ch = KeyAt(client, {LOWORD(lParam), HIWORD(lParam)}, nullptr)) TypeKey(ch);
      return 0;
    }
    case WM_PAINT:
      PaintKeyboard(hwnd);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

HWND CreateSipWindow(HINSTANCE instance, HWND owner) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = SipProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kSipClass;
  if (!RegisterClassW(&wc)) return nullptr;
  SIZE screen = ScreenSize();
  int height = Scaled(80);
  return CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kSipClass, L"", WS_POPUP, 0,
                         screen.cy - BandHeight() - height, screen.cx, height, owner, nullptr, instance, nullptr);
}

}  // namespace quintar::device

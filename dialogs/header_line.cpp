#include "dialogs/dialogs.h"

namespace quintar::dialogs {

int ScreenScale() noexcept {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 1;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return DisplayScale(dpi);
}

void PaintHorizontalLine(HDC dc, int x0, int x1, int y, COLORREF color) noexcept {
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  if (pen == nullptr) return;
  HGDIOBJ old = SelectObject(dc, pen);
  const POINT line[2] = {{x0, y}, {x1, y}};
  Polyline(dc, line, 2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void PaintHeaderLine(HWND page, HDC dc, HeaderLine line, bool highRes, COLORREF color) noexcept {
  RECT client{};
  if (!GetClientRect(page, &client)) return;
  PaintHorizontalLine(dc, 0, client.right, HeaderLineY(line, highRes), color);
}

void PaintTitleSeparator(HDC dc) noexcept {
  const Segment s = TitleSeparator(CurrentScreenShape(), ScreenScale());
  PaintHorizontalLine(dc, s.x0, s.x1, s.y);
}

}  // namespace quintar::dialogs

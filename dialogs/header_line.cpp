#include "dialogs/dialogs.h"
#include "win32/handle.h"

namespace quintar::dialogs {

int ScreenScale() noexcept {
  const win32::WindowDc screen(nullptr);
  if (!screen) return 1;
  return DisplayScale(GetDeviceCaps(screen.get(), LOGPIXELSX));
}

void PaintHorizontalLine(HDC dc, int x0, int x1, int y, COLORREF color) noexcept {
  const win32::Pen pen(CreatePen(PS_SOLID, 1, color));
  if (!pen) return;
  const win32::Selection selected(dc, pen.get());
  const POINT line[2] = {{x0, y}, {x1, y}};
  Polyline(dc, line, 2);
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

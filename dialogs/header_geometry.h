// Where the suite's dialog pages draw the line under their title. The high-resolution offsets
// are not plain doublings (24 becomes 50), so every line carries both of its positions.
#pragma once

#include "dialogs/shape.h"

namespace quintar::dialogs {

struct HeaderLine {
  int y;          // pixels from the top of the page at standard resolution
  int yHighRes;   // the same line in high-resolution mode
};

constexpr int HeaderLineY(HeaderLine line, bool highRes) noexcept {
  return highRes ? line.yHighRes : line.y;
}

// Option pages: the line under the page title, and the View page's own positions.
inline constexpr HeaderLine kPageHeaderLine{24, 50};
inline constexpr HeaderLine kViewPageHeaderLine{25, 50};
inline constexpr HeaderLine kViewPageSeparators[2] = {{43, 90}, {95, 190}};
inline constexpr unsigned kSeparatorGrey = 0xC0C0C0;  // RGB(192, 192, 192) as a COLORREF

// 2 on screens of more than 96 logical pixels per inch, 1 otherwise.
constexpr int DisplayScale(int logPixels) noexcept { return logPixels > 96 ? 2 : 1; }

// The separator under the title of the shell extension's dialogs: from (0, y) to (x1, y), the
// end point excluded as Polyline draws it.
struct Segment {
  int x0, y, x1;
};

constexpr Segment TitleSeparator(ScreenShape shape, int scale) noexcept {
  const int width = shape == ScreenShape::Landscape ? 320 : 240;
  return {0, 23 * scale, width * scale};
}

}  // namespace quintar::dialogs

// Counts pixels of an image strip's transparent colour in a picture. None may show: a key pixel
// on screen means an image list's mask missed it, mostly because the strip's edges were blended
// with the key when it was drawn or scaled, which leaves colours near the key but not on it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testsupport {

inline constexpr COLORREF kStripKey = RGB(255, 0, 255);
// The sum of the three channels' differences up to which a colour counts as the key's; none of
// the strips' own colours comes that close to magenta.
inline constexpr int kNearKey = 96;

struct KeyColourCount {
  int exact = 0;        // pixels of the key itself
  int nearby = 0;       // other pixels within kNearKey of it
  POINT first{-1, -1};  // the first of either, reading rows from the top
  COLORREF firstColour = CLR_INVALID;

  int Total() const { return exact + nearby; }
  // "3 key-colour pixels (1 exact, 2 near), the first (247,8,247) at (12, 40)", or "no key-colour pixels".
  std::wstring Describe() const;
};

// The pixels of `area` in any device context.
KeyColourCount CountKeyColour(HDC dc, const RECT& area, COLORREF key = kStripKey);
// A window of this process as it drew itself, children included, whatever other programs show
// over it on the display (tests run side by side on one display).
KeyColourCount CountKeyColourInWindow(HWND window, COLORREF key = kStripKey);
// The screen's `area` as it shows now: for windows of other processes.
KeyColourCount CountKeyColourOnScreen(const RECT& area, COLORREF key = kStripKey);
// A 24- or 32-bit BMP file, such as SaveScreenBitmap writes; nothing when it cannot be read.
std::optional<KeyColourCount> CountKeyColourInFile(const std::wstring& path, COLORREF key = kStripKey);

// For the picture tools: true when the picture at `path` shows no key colour, else prints a
// line "FAILED <path>: <what was found>" and returns false.
bool CheckNoKeyColour(const std::wstring& path);

}  // namespace testsupport

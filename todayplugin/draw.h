// Drawing the item: the whole of it into one off-screen buffer over the Today screen's own
// background, copied in one operation; and the pressed states straight to the window. Drawing
// reads the content and the places laid out for it; it lays nothing out.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "todayplugin/core/glancet_core.h"

namespace quintar::glancet {

inline constexpr COLORREF kPressBlue = 0x00FF0000;
inline constexpr COLORREF kBufferKey = 0x00FF00FF;  // the buffer's transparent colour

// What a drawing shows.
struct Scene {
  const core::State& state;
  const core::Metrics& metrics;
  const core::StripPaths& paths;
  const core::Layout& layout;
};

// The colour the Today screen (the parent of `item`) gives text.
COLORREF TextColour(HWND item);

struct DrawingCache;

// The artwork and shell icons are read once per item window: a paint then costs no file reads,
// and a new version of the artwork is picked up when the Today screen reloads its items. The
// fonts and the buffer are kept too.
class Drawing {
 public:
  Drawing();
  ~Drawing();
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;

  // The whole item into `target`, over the background the Today screen draws for `window`.
  void Item(HDC target, HWND window, const Scene& scene);
  void Gauge(HDC dc, const Scene& scene, const core::GaugePlace& gauge, bool highlighted);
  void PressedCell(HDC dc, const Scene& scene, const core::ItemRecord& item, int column, int row);
  void PressedNext(HDC dc, const Scene& scene);
  void SelectedTab(HDC dc, const Scene& scene, int tab, COLORREF text);
  // Frame `index` of a strip, keyed by its corner pixel, as a `size` square at (x, y).
  void StripIcon(HDC dc, const Scene& scene, const std::wstring& path, int index, int x, int y, int size);
  // A whole bitmap stretched over `r`.
  void Picture(HDC dc, const Scene& scene, const std::wstring& path, RECT r);

 private:
  std::unique_ptr<DrawingCache> cache_;
};

}  // namespace quintar::glancet

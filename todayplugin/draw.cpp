#include "todayplugin/draw.h"

#include <windows.h>

#include <shellapi.h>

#include <ceservices.h>
#include <todaycmn.h>

#include <cstdio>
#include <map>
#include <utility>

#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::glancet {

using namespace core;
using win32::Wide;

// A bitmap prepared for keyed drawing: a mask with the key colour white and everything else
// black, and the picture with the key colour turned black, so that two plain raster operations
// draw it (far cheaper than a keyed blit, which builds its masks on every call).
struct Keyed {
  win32::Bitmap mask;
  win32::Bitmap picture;
};

struct DrawingCache {
  std::map<std::wstring, win32::Bitmap> bitmaps;
  std::map<std::wstring, win32::Icon> icons;  // keyed by size letter and target
  std::map<std::pair<std::wstring, COLORREF>, Keyed> keyed;
  win32::Font namesFont, gaugeFont;  // the screen's dpi is fixed for the process
  win32::Bitmap buffer;
  SIZE bufferSize = {};
};

namespace {

HBITMAP CachedBitmap(DrawingCache& cache, const std::wstring& path) {
  auto it = cache.bitmaps.find(path);
  if (it == cache.bitmaps.end())
    it = cache.bitmaps
             .emplace(path, win32::Bitmap(static_cast<HBITMAP>(
                                LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE))))
             .first;
  return it->second.get();
}

// Draws parts of the cached bitmaps, keyed, through one scratch DC per drawing.
class Bitmaps {
 public:
  Bitmaps(DrawingCache& cache, HDC like) : cache_(cache), dc_(CreateCompatibleDC(like)) {}
  Bitmaps(const Bitmaps&) = delete;
  Bitmaps& operator=(const Bitmaps&) = delete;
  ~Bitmaps() {
    if (old_) SelectObject(dc_.get(), old_);
  }

  // The whole bitmap stretched over `r`, as it is.
  void Plain(HDC dst, const std::wstring& path, const RECT& r) {
    HBITMAP bitmap = path.empty() ? nullptr : CachedBitmap(cache_, path);
    BITMAP info = {};
    if (!dc_ || !bitmap || !GetObjectW(bitmap, sizeof info, &info)) return;
    StretchBlt(dst, r.left, r.top, r.right - r.left, r.bottom - r.top, Select(bitmap), 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
  }

  // Size of the bitmap at `path`; false when it is missing.
  bool Size(const std::wstring& path, SIZE& size) {
    HBITMAP bitmap = path.empty() ? nullptr : CachedBitmap(cache_, path);
    BITMAP info = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return false;
    size = {info.bmWidth, info.bmHeight};
    return true;
  }

  // The source rectangle drawn into the destination rectangle, stretched as needed; pixels of
  // `key` (the bitmap's pixel (0, 0) when `keyFromCorner`) leave the destination as it was.
  void Draw(HDC dst, const std::wstring& path, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh,
            COLORREF key, bool keyFromCorner = false) {
    if (!dc_ || path.empty() || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    HBITMAP bitmap = CachedBitmap(cache_, path);
    if (!bitmap) return;
    if (keyFromCorner) key = GetPixel(Select(bitmap), 0, 0);
    const Keyed& k = Prepared(path, bitmap, key);
    if (!k.mask || !k.picture) return;
    COLORREF oldText = SetTextColor(dst, RGB(0, 0, 0)), oldBack = SetBkColor(dst, RGB(255, 255, 255));
    StretchBlt(dst, dx, dy, dw, dh, Select(k.mask.get()), sx, sy, sw, sh, SRCAND);
    StretchBlt(dst, dx, dy, dw, dh, Select(k.picture.get()), sx, sy, sw, sh, SRCPAINT);
    SetTextColor(dst, oldText);
    SetBkColor(dst, oldBack);
  }

 private:
  HDC Select(HBITMAP bitmap) {
    HGDIOBJ previous = SelectObject(dc_.get(), bitmap);
    if (!old_) old_ = previous;
    return dc_.get();
  }

  const Keyed& Prepared(const std::wstring& path, HBITMAP bitmap, COLORREF key) {
    auto it = cache_.keyed.find({path, key});
    if (it != cache_.keyed.end()) return it->second;
    Keyed k;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    int w = info.bmWidth, h = info.bmHeight;
    HDC src = Select(bitmap);
    win32::MemoryDc work(CreateCompatibleDC(src));
    k.mask.reset(CreateBitmap(w, h, 1, 1, nullptr));
    k.picture.reset(CreateCompatibleBitmap(src, w, h));
    if (work && k.mask && k.picture) {
      // Colour to monochrome: the background colour becomes white, all else black.
      HGDIOBJ saved = SelectObject(work.get(), k.mask.get());
      COLORREF oldBack = SetBkColor(src, key);
      BitBlt(work.get(), 0, 0, w, h, src, 0, 0, SRCCOPY);
      SetBkColor(src, oldBack);
      SelectObject(work.get(), k.picture.get());
      BitBlt(work.get(), 0, 0, w, h, src, 0, 0, SRCCOPY);
      // Picture AND NOT mask: the key's pixels go black (monochrome white maps to the
      // background colour white here).
      SetTextColor(work.get(), RGB(0, 0, 0));
      SetBkColor(work.get(), RGB(255, 255, 255));
      SelectObject(src, k.mask.get());
      BitBlt(work.get(), 0, 0, w, h, src, 0, 0, 0x00220326);
      SelectObject(src, bitmap);
      SelectObject(work.get(), saved);
    } else {
      k = {};
    }
    return cache_.keyed.emplace(std::make_pair(path, key), std::move(k)).first->second;
  }

  DrawingCache& cache_;
  win32::MemoryDc dc_;
  HGDIOBJ old_ = nullptr;
};

// The item font: the system font's face at the Today screen's sizes.
HFONT CreateItemFont(HDC dc, double points) {
  LOGFONTW lf = {};
  GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
  lf.lfWeight = 0;
  lf.lfWidth = 0;
  lf.lfHeight = -static_cast<LONG>(GetDeviceCaps(dc, LOGPIXELSY) * points / 72 + 0.5);
  // The device's system font is Tahoma; the desktop's stock one is a raster face.
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  lf.lfQuality = ANTIALIASED_QUALITY;
  return CreateFontIndirectW(&lf);
}

HICON LoadShellIcon(const std::wstring& target, bool large) {
  SHFILEINFOW info = {};
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_ICON | (large ? 0 : SHGFI_SMALLICON);
  if (SHGetFileInfoW(target.c_str(), 0, &info, sizeof info, flags) && info.hIcon) return info.hIcon;
  // A shell that cannot parse the device's drive-less path (or a target that is gone) still
  // gives the icon of the target's type.
  DWORD attributes = GetFileAttributesW(target.c_str());
  attributes = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? FILE_ATTRIBUTE_DIRECTORY
                   : FILE_ATTRIBUTE_NORMAL;
  info = {};
  if (SHGetFileInfoW(target.c_str(), attributes, &info, sizeof info, flags | SHGFI_USEFILEATTRIBUTES))
    return info.hIcon;
  return nullptr;
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void TabOutline(HDC dc, const Rect32& r, bool closed) {
  int right = r.right - 1, bottom = r.bottom - 1;
  POINT pts[6] = {{r.left, bottom},   {r.left, r.top + 3}, {r.left + 3, r.top},
                  {right - 3, r.top}, {right, r.top + 3},  {right, bottom}};
  Polyline(dc, pts, 6);
  if (closed) Line(dc, right, bottom, r.left, bottom);
}

int NamesLineHeight(HDC dc) {
  TEXTMETRICW tm = {};
  GetTextMetricsW(dc, &tm);
  return tm.tmHeight + tm.tmExternalLeading;
}

// One drawing into one DC.
class Canvas {
 public:
  Canvas(DrawingCache& cache, const Scene& scene, HDC dc)
      : cache_(cache), scene_(scene), m_(scene.metrics), dc_(dc), bitmaps_(cache, dc) {}

  HFONT NamesFont() {
    if (!cache_.namesFont) cache_.namesFont.reset(CreateItemFont(dc_, m_.scale == 2 ? 7.5 : 8));
    return cache_.namesFont.get();
  }

  HFONT GaugeFont() {
    if (!cache_.gaugeFont) cache_.gaugeFont.reset(CreateItemFont(dc_, 7));
    return cache_.gaugeFont.get();
  }

  void Picture(const std::wstring& path, const RECT& r) { bitmaps_.Plain(dc_, path, r); }

  void StripFrame(const std::wstring& path, int index, int x, int y, int size) {
    SIZE bitmapSize = {};
    if (!bitmaps_.Size(path, bitmapSize) || bitmapSize.cy <= 0 || index < 0) return;
    int frame = bitmapSize.cy;  // strips hold square icons side by side
    if (static_cast<long long>(index + 1) * frame > bitmapSize.cx) return;
    bitmaps_.Draw(dc_, path, index * frame, 0, frame, frame, x, y, size, size, 0, true);
  }

  void LauncherIcon(const ItemRecord& item, int x, int y) {
    bool large = IsLarge(item.kind);
    int inset = (large ? 4 : 2) * m_.scale;
    std::wstring strip = Wide(FieldText(item.iconPath));
    if (strip.empty())
      ShellIcon(item, x + inset, y + inset, large);
    else
      StripFrame(strip, item.iconIndex, x + inset, y + inset, large ? m_.LargeIcon() : m_.SmallIcon());
  }

  void Gauge(const GaugePlace& g, bool highlighted) {
    const int s = m_.scale, x0 = g.x0, y0 = g.y0;
    if (highlighted) {
      win32::Brush blue(CreateSolidBrush(kPressBlue));
      win32::Selection brush(dc_, blue.get());
      win32::Selection pen(dc_, GetStockObject(NULL_PEN));
      // The null pen leaves the right and bottom edge undrawn, hence the extra pixel.
      Rectangle(dc_, g.band.left, g.band.top, g.band.right + 1, g.band.bottom + 1);
    }
    std::wstring path = Wide(GaugeBitmap(g.kind));
    bool battery = g.kind == kBattery, backlight = g.kind == kBacklight;
    int iconHeight = battery ? 15 : 16;
    bitmaps_.Draw(dc_, path, 3, 17, 11, iconHeight, x0, y0 + 2 * s, 11 * s, iconHeight * s,
                  battery ? 0xFFFFFF : 0x4F4F4F);
    const Rect32& bar = g.bar;
    bitmaps_.Draw(dc_, path, 20, 37, 32, 11, bar.left, bar.top, bar.Width(), bar.bottom - bar.top,
                  backlight ? 0x000000 : 0xFFFFFF);
    if (backlight) {
      const Rect32& knob = g.knob;
      bitmaps_.Draw(dc_, path, 22, 50, 8, 14, knob.left, knob.top, knob.Width(), knob.bottom - knob.top, 0x000000);
      return;
    }
    const Rect32& fill = g.fill;
    bitmaps_.Draw(dc_, path, 20, 21, g.fillWidth, 11, fill.left, fill.top, fill.Width(), fill.bottom - fill.top,
                  0xFFFFFF);
    wchar_t text[24];
    swprintf(text, 24, L"%i%%", static_cast<int>(static_cast<uint32_t>(g.percent)));
    win32::Selection font(dc_, GaugeFont());
    SetTextColor(dc_, RGB(0, 0, 0));
    SetBkMode(dc_, TRANSPARENT);
    RECT rc = {bar.left, bar.top, bar.right, bar.bottom};
    DrawTextW(dc_, text, -1, &rc, 0x1005);
  }

  void TabFace(const TabRecord& tab, int lineHeight) {
    Rect32 icon = m_.TabIcon(tab.rect.left + 2);
    StripFrame(Wide(FieldText(tab.bitmap)), tab.iconIndex, icon.left, icon.top, m_.SmallIcon());
    RECT text = {tab.rect.left + m_.SmallIcon() + 4, (m_.TabBarHeight() - lineHeight) / 2, tab.rect.right,
                 tab.rect.bottom};
    std::wstring name = Wide(FieldText(tab.name));
    DrawTextW(dc_, name.c_str(), -1, &text, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE | DT_END_ELLIPSIS);
  }

  void TabBar(COLORREF colour) {
    const State& s = scene_.state;
    {
      win32::Pen pen(CreatePen(PS_SOLID, m_.scale, colour));
      win32::Selection selected(dc_, pen.get());
      int chosen = s.SelectedTab();
      int first = s.FirstTabOfPage();
      for (int i = 0; i < s.tabsPerPage; ++i) {
        int t = first + i;
        if (i < s.tabsOnPage && t < s.tabCount) {
          TabOutline(dc_, s.tabs[t].rect, t != chosen);
        } else {
          const Rect32& r = s.slots[i];
          Line(dc_, r.left, r.bottom - 1, r.right, r.bottom - 1);
        }
      }
      Line(dc_, s.logo.rect.left, s.logo.rect.bottom - 1, s.logo.rect.right, s.logo.rect.bottom - 1);
      if (s.MoreTabsThanFit())
        Line(dc_, s.next.rect.left, s.next.rect.bottom - 1, s.next.rect.right, s.next.rect.bottom - 1);
    }
    Rect32 logo = m_.TabIcon(s.logo.rect.left + 2);
    StripFrame(Wide(FieldText(s.logo.bitmap)), 0, logo.left, logo.top, m_.SmallIcon());
    const Rect32& next = scene_.layout.nextIcon;
    if (s.MoreTabsThanFit()) StripFrame(Wide(FieldText(s.next.bitmap)), 1, next.left, next.top, m_.SmallIcon());
    int lineHeight = NamesLineHeight(dc_);
    int first = s.FirstTabOfPage();
    for (int i = 0; i < s.tabsOnPage && first + i < s.tabCount; ++i) TabFace(s.tabs[first + i], lineHeight);
  }

  void Cells() {
    const State& s = scene_.state;
    const auto& grid = s.grid[s.SelectedTab()];
    for (int r = 0; r < kShownRows; ++r) {
      for (int c = 0; c < s.columns; ++c) {
        const ItemRecord& item = grid[r][c];
        if (IsOneCell(item.kind) || IsLarge(item.kind)) {
          LauncherIcon(item, m_.CellX(c), m_.CellY(r));
        } else if (IsGauge(item.kind)) {
          if (const GaugePlace* gauge = scene_.layout.GaugeAt(c, r)) Gauge(*gauge, false);
        }
      }
    }
  }

 private:
  void ShellIcon(const ItemRecord& item, int x, int y, bool large) {
    std::wstring target = Wide(FieldText(item.target));
    if (target.empty()) return;
    std::wstring key = (large ? L"L" : L"S") + target;
    auto it = cache_.icons.find(key);
    if (it == cache_.icons.end()) it = cache_.icons.emplace(key, win32::Icon(LoadShellIcon(target, large))).first;
    if (it->second) DrawIconEx(dc_, x, y, it->second.get(), 0, 0, 0, nullptr, DI_NORMAL);
  }

  const std::u16string& GaugeBitmap(int32_t kind) const {
    const StripPaths& p = scene_.paths;
    switch (kind) {
      case kBattery:
        return p.battery;
      case kMemory:
        return p.memory;
      case kStorage:
        return p.storage;
      default:
        return p.backlight;
    }
  }

  DrawingCache& cache_;
  const Scene& scene_;
  const Metrics& m_;
  HDC dc_;
  Bitmaps bitmaps_;
};

}  // namespace

COLORREF TextColour(HWND item) {
  HWND parent = item ? GetParent(item) : nullptr;
  if (!parent) return RGB(0, 0, 0);
  return static_cast<COLORREF>(SendMessageW(parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
}

Drawing::Drawing() : cache_(std::make_unique<DrawingCache>()) {}
Drawing::~Drawing() = default;

void Drawing::Item(HDC target, HWND window, const Scene& scene) {
  const Metrics& m = scene.metrics;
  int width = m.screenWidth, height = m.BufferHeight();
  win32::MemoryDc mem(CreateCompatibleDC(target));
  if (!mem) return;
  DrawingCache& cache = *cache_;
  if (!cache.buffer || cache.bufferSize.cx != width || cache.bufferSize.cy != height) {
    cache.buffer.reset();
    cache.buffer.reset(CreateCompatibleBitmap(target, width, height));
    cache.bufferSize = {width, height};
  }
  if (!cache.buffer) return;
  win32::Selection buffer(mem.get(), cache.buffer.get());
  RECT all = {0, 0, width, height};
  win32::Brush key(CreateSolidBrush(kBufferKey));
  FillRect(mem.get(), &all, key.get());
  RECT client = {};
  if (window) GetClientRect(window, &client);
  HWND parent = window ? GetParent(window) : nullptr;
  bool background = false;
  if (parent) {
    TODAYDRAWWATERMARKINFO info = {mem.get(), client, window};
    background = SendMessageW(parent, TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info)) != 0;
  }
  {
    Canvas canvas(cache, scene, mem.get());
    win32::Selection font(mem.get(), canvas.NamesFont());
    COLORREF colour = TextColour(window);
    SetTextColor(mem.get(), colour);
    SetBkMode(mem.get(), TRANSPARENT);
    canvas.TabBar(colour);
    canvas.Cells();
  }
  // Where the Today screen drew its background the buffer is opaque and a plain copy gives the
  // same picture; a keyed copy, which has to read the screen back, is only needed without it.
  if (background && client.right <= width && client.bottom <= height)
    BitBlt(target, 0, 0, client.right, client.bottom, mem.get(), 0, 0, SRCCOPY);
  else
    TransparentImage(target, 0, 0, width, height, mem.get(), 0, 0, width, height, kBufferKey);
}

void Drawing::Gauge(HDC dc, const Scene& scene, const GaugePlace& gauge, bool highlighted) {
  Canvas(*cache_, scene, dc).Gauge(gauge, highlighted);
}

void Drawing::PressedCell(HDC dc, const Scene& scene, const ItemRecord& item, int column, int row) {
  const Metrics& m = scene.metrics;
  int x = m.CellX(column), y = m.CellY(row), size = IsLarge(item.kind) ? 2 * m.Cell() : m.Cell();
  RECT r = {x, y, x + size, y + size};
  win32::Brush blue(CreateSolidBrush(kPressBlue));
  FillRect(dc, &r, blue.get());
  Canvas(*cache_, scene, dc).LauncherIcon(item, x, y);
}

void Drawing::PressedNext(HDC dc, const Scene& scene) {
  const Rect32& next = scene.layout.nextIcon;
  RECT r = {next.left, next.top, next.right, next.bottom};
  win32::Brush blue(CreateSolidBrush(kPressBlue));
  FillRect(dc, &r, blue.get());
  Canvas(*cache_, scene, dc)
      .StripFrame(Wide(FieldText(scene.state.next.bitmap)), 1, r.left, r.top, scene.metrics.SmallIcon());
}

void Drawing::SelectedTab(HDC dc, const Scene& scene, int tab, COLORREF text) {
  const TabRecord& t = scene.state.tabs[tab];
  const Rect32& r = t.rect;
  POINT pts[6] = {{r.left + 1, r.bottom - 1}, {r.left + 1, r.top + 3},  {r.left + 3, r.top + 1},
                  {r.right - 4, r.top + 1},   {r.right - 2, r.top + 3}, {r.right - 2, r.bottom - 1}};
  {
    win32::Brush blue(CreateSolidBrush(kPressBlue));
    win32::Selection brush(dc, blue.get());
    win32::Selection pen(dc, GetStockObject(NULL_PEN));
    Polygon(dc, pts, 6);
  }
  Canvas canvas(*cache_, scene, dc);
  win32::Selection font(dc, canvas.NamesFont());
  SetTextColor(dc, text);
  SetBkMode(dc, TRANSPARENT);
  canvas.TabFace(t, NamesLineHeight(dc));
}

void Drawing::StripIcon(HDC dc, const Scene& scene, const std::wstring& path, int index, int x, int y, int size) {
  Canvas(*cache_, scene, dc).StripFrame(path, index, x, y, size);
}

void Drawing::Picture(HDC dc, const Scene& scene, const std::wstring& path, RECT r) {
  Canvas(*cache_, scene, dc).Picture(path, r);
}

}  // namespace quintar::glancet

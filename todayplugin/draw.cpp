// Drawing: the whole item into one off-screen buffer over the Today screen's own background,
// copied in one operation; and the pressed states drawn straight to the window.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <map>
#include <string>

#include "platform/include/ceservices.h"
#include "platform/include/todaycmn.h"
#include "todayplugin/glancet.h"

namespace glancet {
namespace {

class Gdi {
 public:
  explicit Gdi(HGDIOBJ h = nullptr) : h_(h) {}
  Gdi(const Gdi&) = delete;
  Gdi& operator=(const Gdi&) = delete;
  ~Gdi() {
    if (h_) DeleteObject(h_);
  }
  HGDIOBJ get() const { return h_; }

 private:
  HGDIOBJ h_;
};

// The artwork and shell icons, read once per process: a paint then costs no file reads, and a
// new version of the artwork is picked up when the Today screen reloads its items.
// A bitmap prepared for keyed drawing: a mask with the key colour white and everything else
// black, and the picture with the key colour turned black, so that two plain raster operations
// draw it (far cheaper than a keyed blit, which builds its masks on every call).
struct Keyed {
  HBITMAP mask = nullptr;
  HBITMAP picture = nullptr;
};

struct Cache {
  std::map<std::wstring, HBITMAP> bitmaps;
  std::map<std::wstring, HICON> icons;  // keyed by size letter and target
  std::map<std::pair<std::wstring, COLORREF>, Keyed> keyed;
  HFONT namesFont = nullptr, gaugeFont = nullptr;  // the screen's dpi is fixed for the process
  HBITMAP buffer = nullptr;
  SIZE bufferSize = {};
};
Cache& TheCache() {
  static Cache cache;
  return cache;
}

HBITMAP CachedBitmap(const std::wstring& path) {
  auto& bitmaps = TheCache().bitmaps;
  auto it = bitmaps.find(path);
  if (it == bitmaps.end())
    it =
        bitmaps
            .emplace(path, static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)))
            .first;
  return it->second;
}

// Draws parts of the cached bitmaps, keyed, through one scratch DC per drawing.
class Bitmaps {
 public:
  explicit Bitmaps(HDC like) : dc_(CreateCompatibleDC(like)) {}
  Bitmaps(const Bitmaps&) = delete;
  Bitmaps& operator=(const Bitmaps&) = delete;
  ~Bitmaps() {
    if (old_) SelectObject(dc_, old_);
    if (dc_) DeleteDC(dc_);
  }

  // Size of the bitmap at `path`; false when it is missing.
  bool Size(const std::wstring& path, SIZE& size) {
    HBITMAP bitmap = path.empty() ? nullptr : CachedBitmap(path);
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
    HBITMAP bitmap = CachedBitmap(path);
    if (!bitmap) return;
    if (keyFromCorner) key = GetPixel(Select(bitmap), 0, 0);
    const Keyed& k = Prepared(path, bitmap, key);
    if (!k.mask || !k.picture) return;
    COLORREF oldText = SetTextColor(dst, RGB(0, 0, 0)), oldBack = SetBkColor(dst, RGB(255, 255, 255));
    StretchBlt(dst, dx, dy, dw, dh, Select(k.mask), sx, sy, sw, sh, SRCAND);
    StretchBlt(dst, dx, dy, dw, dh, Select(k.picture), sx, sy, sw, sh, SRCPAINT);
    SetTextColor(dst, oldText);
    SetBkColor(dst, oldBack);
  }

 private:
  HDC Select(HBITMAP bitmap) {
    HGDIOBJ previous = SelectObject(dc_, bitmap);
    if (!old_) old_ = previous;
    return dc_;
  }

  const Keyed& Prepared(const std::wstring& path, HBITMAP bitmap, COLORREF key) {
    auto& keyed = TheCache().keyed;
    auto it = keyed.find({path, key});
    if (it != keyed.end()) return it->second;
    Keyed k;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    int w = info.bmWidth, h = info.bmHeight;
    HDC src = Select(bitmap);
    HDC work = CreateCompatibleDC(src);
    k.mask = CreateBitmap(w, h, 1, 1, nullptr);
    k.picture = CreateCompatibleBitmap(src, w, h);
    if (work && k.mask && k.picture) {
      // Colour to monochrome: the background colour becomes white, all else black.
      HGDIOBJ saved = SelectObject(work, k.mask);
      COLORREF oldBack = SetBkColor(src, key);
      BitBlt(work, 0, 0, w, h, src, 0, 0, SRCCOPY);
      SetBkColor(src, oldBack);
      SelectObject(work, k.picture);
      BitBlt(work, 0, 0, w, h, src, 0, 0, SRCCOPY);
      // Picture AND NOT mask: the key's pixels go black (monochrome white maps to the
      // background colour white here).
      SetTextColor(work, RGB(0, 0, 0));
      SetBkColor(work, RGB(255, 255, 255));
      SelectObject(src, k.mask);
      BitBlt(work, 0, 0, w, h, src, 0, 0, 0x00220326);
      SelectObject(src, bitmap);
      SelectObject(work, saved);
    } else {
      if (k.mask) DeleteObject(k.mask);
      if (k.picture) DeleteObject(k.picture);
      k = {};
    }
    if (work) DeleteDC(work);
    return keyed.emplace(std::make_pair(path, key), k).first->second;
  }

  HDC dc_;
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

HFONT NamesFont(HDC dc) {
  HFONT& font = TheCache().namesFont;
  if (!font) font = CreateItemFont(dc, G().metrics.scale == 2 ? 7.5 : 8);
  return font;
}

HFONT GaugeFont(HDC dc) {
  HFONT& font = TheCache().gaugeFont;
  if (!font) font = CreateItemFont(dc, 7);
  return font;
}

COLORREF TextColour(HWND window) {
  HWND parent = window ? GetParent(window) : nullptr;
  if (!parent) return RGB(0, 0, 0);
  return static_cast<COLORREF>(SendMessageW(parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
}

void StripFrame(HDC dc, Bitmaps& bitmaps, const std::wstring& path, int index, int x, int y, int size) {
  SIZE bitmapSize = {};
  if (!bitmaps.Size(path, bitmapSize) || bitmapSize.cy <= 0 || index < 0) return;
  int frame = bitmapSize.cy;  // strips hold square icons side by side
  if (static_cast<long long>(index + 1) * frame > bitmapSize.cx) return;
  bitmaps.Draw(dc, path, index * frame, 0, frame, frame, x, y, size, size, 0, true);
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

void ShellIcon(HDC dc, const ItemRecord& item, int x, int y, bool large) {
  std::wstring target = Wide(FieldText(item.target));
  if (target.empty()) return;
  auto& icons = TheCache().icons;
  std::wstring key = (large ? L"L" : L"S") + target;
  auto it = icons.find(key);
  if (it == icons.end()) it = icons.emplace(key, LoadShellIcon(target, large)).first;
  if (it->second) DrawIconEx(dc, x, y, it->second, 0, 0, 0, nullptr, DI_NORMAL);
}

void LauncherIcon(HDC dc, Bitmaps& bitmaps, const ItemRecord& item, int x, int y) {
  const Metrics& m = G().metrics;
  bool large = IsLarge(item.kind);
  int inset = (large ? 4 : 2) * m.scale;
  std::wstring strip = Wide(FieldText(item.iconPath));
  if (strip.empty())
    ShellIcon(dc, item, x + inset, y + inset, large);
  else
    StripFrame(dc, bitmaps, strip, item.iconIndex, x + inset, y + inset, large ? m.LargeIcon() : m.SmallIcon());
}

const std::u16string& GaugeBitmap(int32_t kind) {
  const StripPaths& p = G().paths;
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

uint64_t GaugePercent(int32_t kind) {
  const Plugin& g = G();
  if (kind == kBattery) return g.gauges.battery;
  if (kind == kMemory) return static_cast<uint32_t>(g.state->settings.memoryPercent);
  return g.state->storagePercent;
}

void Gauge(HDC dc, Bitmaps& bitmaps, int32_t kind, int x0, int y0, bool highlighted) {
  const Plugin& g = G();
  int s = g.metrics.scale;
  if (highlighted) {
    Gdi blue(CreateSolidBrush(kPressBlue));
    HGDIOBJ oldBrush = SelectObject(dc, blue.get());
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    // The null pen leaves the right and bottom edge undrawn, hence the extra pixel.
    Rectangle(dc, x0 - 5 * s, y0, x0 + 55 * s + 1, y0 + 20 * s + 1);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
  }
  std::wstring path = Wide(GaugeBitmap(kind));
  bool battery = kind == kBattery, backlight = kind == kBacklight;
  int iconHeight = battery ? 15 : 16;
  bitmaps.Draw(dc, path, 3, 17, 11, iconHeight, x0, y0 + 2 * s, 11 * s, iconHeight * s, battery ? 0xFFFFFF : 0x4F4F4F);
  bitmaps.Draw(dc, path, 20, 37, 32, 11, x0 + 18 * s, y0 + 6 * s, 32 * s, 11 * s, backlight ? 0x000000 : 0xFFFFFF);
  if (backlight) {
    int knob = ClampKnob(g.knobX, x0, s);
    bitmaps.Draw(dc, path, 22, 50, 8, 14, knob, y0 + 4 * s, 8 * s, 14 * s, 0x000000);
    return;
  }
  uint64_t percent = GaugePercent(kind);
  int w = BarWidth(percent);
  bitmaps.Draw(dc, path, 20, 21, w, 11, x0 + 18 * s, y0 + 6 * s, w * s, 11 * s, 0xFFFFFF);
  wchar_t text[24];
  swprintf(text, 24, L"%i%%", static_cast<int>(static_cast<uint32_t>(percent)));
  HGDIOBJ oldFont = SelectObject(dc, GaugeFont(dc));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  RECT rc = {x0 + 18 * s, y0 + 6 * s, x0 + 50 * s, y0 + 17 * s};
  DrawTextW(dc, text, -1, &rc, 0x1005);
  SelectObject(dc, oldFont);
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

void TabFace(HDC dc, Bitmaps& bitmaps, const TabRecord& tab, int lineHeight) {
  const Metrics& m = G().metrics;
  int y = (m.TabBarHeight() - m.SmallIcon()) / 2;
  StripFrame(dc, bitmaps, Wide(FieldText(tab.bitmap)), tab.iconIndex, tab.rect.left + 2, y, m.SmallIcon());
  RECT text = {tab.rect.left + m.SmallIcon() + 4, (m.TabBarHeight() - lineHeight) / 2, tab.rect.right, tab.rect.bottom};
  std::wstring name = Wide(FieldText(tab.name));
  DrawTextW(dc, name.c_str(), -1, &text, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE | DT_END_ELLIPSIS);
}

int NamesLineHeight(HDC dc) {
  TEXTMETRICW tm = {};
  GetTextMetricsW(dc, &tm);
  return tm.tmHeight + tm.tmExternalLeading;
}

void TabBar(HDC dc, Bitmaps& bitmaps, COLORREF colour) {
  const Plugin& g = G();
  const State& s = *g.state;
  const Metrics& m = g.metrics;
  Gdi pen(CreatePen(PS_SOLID, m.scale, colour));
  HGDIOBJ oldPen = SelectObject(dc, pen.get());
  int selected = s.SelectedTab();
  int first = s.FirstTabOfPage();
  for (int i = 0; i < s.tabsPerPage; ++i) {
    int t = first + i;
    if (i < s.tabsOnPage && t < s.tabCount) {
      TabOutline(dc, s.tabs[t].rect, t != selected);
    } else {
      const Rect32& r = s.slots[i];
      Line(dc, r.left, r.bottom - 1, r.right, r.bottom - 1);
    }
  }
  Line(dc, s.logo.rect.left, s.logo.rect.bottom - 1, s.logo.rect.right, s.logo.rect.bottom - 1);
  if (s.MoreTabsThanFit())
    Line(dc, s.next.rect.left, s.next.rect.bottom - 1, s.next.rect.right, s.next.rect.bottom - 1);
  SelectObject(dc, oldPen);

  int y = (m.TabBarHeight() - m.SmallIcon()) / 2;
  StripFrame(dc, bitmaps, Wide(FieldText(s.logo.bitmap)), 0, s.logo.rect.left + 2, y, m.SmallIcon());
  if (s.MoreTabsThanFit())
    StripFrame(dc, bitmaps, Wide(FieldText(s.next.bitmap)), 1, s.next.rect.left + 2, y, m.SmallIcon());
  int lineHeight = NamesLineHeight(dc);
  for (int i = 0; i < s.tabsOnPage && first + i < s.tabCount; ++i) TabFace(dc, bitmaps, s.tabs[first + i], lineHeight);
}

void Cells(HDC dc, Bitmaps& bitmaps) {
  Plugin& g = G();
  State& s = *g.state;
  const Metrics& m = g.metrics;
  const auto& grid = s.grid[s.SelectedTab()];
  for (int r = 0; r < kShownRows; ++r) {
    for (int c = 0; c < s.columns; ++c) {
      const ItemRecord& item = grid[r][c];
      int x = m.CellX(c), y = m.CellY(r);
      if (IsOneCell(item.kind) || IsLarge(item.kind)) {
        LauncherIcon(dc, bitmaps, item, x, y);
      } else if (IsGauge(item.kind)) {
        int x0 = m.GridLeft() + (20 * c + 5) * m.scale;
        GaugePlace& place = g.gaugePlaces[item.kind - kBattery];
        place = {true, x0, y, c, r};
        if (item.kind == kBacklight) g.knobX = ClampKnob(g.knobX, x0, m.scale);
        Gauge(dc, bitmaps, item.kind, x0, y, false);
      }
    }
  }
}

}  // namespace

void ReleaseDrawingCache() {
  Cache& cache = TheCache();
  for (auto& [path, bitmap] : cache.bitmaps)
    if (bitmap) DeleteObject(bitmap);
  for (auto& [key, icon] : cache.icons)
    if (icon) DestroyIcon(icon);
  for (auto& [key, k] : cache.keyed) {
    if (k.mask) DeleteObject(k.mask);
    if (k.picture) DeleteObject(k.picture);
  }
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(cache.namesFont), static_cast<HGDIOBJ>(cache.gaugeFont),
                         static_cast<HGDIOBJ>(cache.buffer)})
    if (object) DeleteObject(object);
  cache = Cache{};
}

RECT NextIconSquare() {
  const Plugin& g = G();
  const Metrics& m = g.metrics;
  int left = g.state->next.rect.left + 2, top = (m.TabBarHeight() - m.SmallIcon()) / 2;
  return {left, top, left + m.SmallIcon(), top + m.SmallIcon()};
}

void DrawItem(HDC target, HWND window) {
  Plugin& g = G();
  const Metrics& m = g.metrics;
  LayoutTabBar(m, *g.state);
  int width = m.screenWidth, height = m.BufferHeight();
  HDC mem = CreateCompatibleDC(target);
  if (!mem) return;
  Cache& cache = TheCache();
  if (!cache.buffer || cache.bufferSize.cx != width || cache.bufferSize.cy != height) {
    if (cache.buffer) DeleteObject(cache.buffer);
    cache.buffer = CreateCompatibleBitmap(target, width, height);
    cache.bufferSize = {width, height};
  }
  if (!cache.buffer) {
    DeleteDC(mem);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(mem, cache.buffer);
  RECT all = {0, 0, width, height};
  Gdi key(CreateSolidBrush(kBufferKey));
  FillRect(mem, &all, static_cast<HBRUSH>(key.get()));
  RECT client = {};
  if (window) GetClientRect(window, &client);
  HWND parent = window ? GetParent(window) : nullptr;
  bool background = false;
  if (parent) {
    TODAYDRAWWATERMARKINFO info = {mem, client, window};
    background = SendMessageW(parent, TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info)) != 0;
  }
  {
    HGDIOBJ oldFont = SelectObject(mem, NamesFont(mem));
    COLORREF colour = TextColour(window);
    SetTextColor(mem, colour);
    SetBkMode(mem, TRANSPARENT);
    Bitmaps bitmaps(mem);
    TabBar(mem, bitmaps, colour);
    Cells(mem, bitmaps);
    SelectObject(mem, oldFont);
  }
  // Where the Today screen drew its background the buffer is opaque and a plain copy gives the
  // same picture; a keyed copy, which has to read the screen back, is only needed without it.
  if (background && client.right <= width && client.bottom <= height)
    BitBlt(target, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
  else
    TransparentImage(target, 0, 0, width, height, mem, 0, 0, width, height, kBufferKey);
  SelectObject(mem, oldBitmap);
  DeleteDC(mem);
}

void DrawGauge(HDC dc, int32_t kind, int x0, int y0, bool highlighted) {
  Bitmaps bitmaps(dc);
  Gauge(dc, bitmaps, kind, x0, y0, highlighted);
}

void DrawPressedCell(HDC dc, const ItemRecord& item, int column, int row) {
  const Metrics& m = G().metrics;
  int x = m.CellX(column), y = m.CellY(row), size = IsLarge(item.kind) ? 2 * m.Cell() : m.Cell();
  RECT r = {x, y, x + size, y + size};
  Gdi blue(CreateSolidBrush(kPressBlue));
  FillRect(dc, &r, static_cast<HBRUSH>(blue.get()));
  Bitmaps bitmaps(dc);
  LauncherIcon(dc, bitmaps, item, x, y);
}

void DrawPressedNext(HDC dc) {
  const Plugin& g = G();
  RECT r = NextIconSquare();
  Gdi blue(CreateSolidBrush(kPressBlue));
  FillRect(dc, &r, static_cast<HBRUSH>(blue.get()));
  Bitmaps bitmaps(dc);
  StripFrame(dc, bitmaps, Wide(FieldText(g.state->next.bitmap)), 1, r.left, r.top, g.metrics.SmallIcon());
}

void DrawSelectedTab(HDC dc, int tab) {
  const Plugin& g = G();
  const TabRecord& t = g.state->tabs[tab];
  const Rect32& r = t.rect;
  POINT pts[6] = {{r.left + 1, r.bottom - 1}, {r.left + 1, r.top + 3},  {r.left + 3, r.top + 1},
                  {r.right - 4, r.top + 1},   {r.right - 2, r.top + 3}, {r.right - 2, r.bottom - 1}};
  Gdi blue(CreateSolidBrush(kPressBlue));
  HGDIOBJ oldBrush = SelectObject(dc, blue.get());
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Polygon(dc, pts, 6);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  HGDIOBJ oldFont = SelectObject(dc, NamesFont(dc));
  SetTextColor(dc, TextColour(g.window));
  SetBkMode(dc, TRANSPARENT);
  Bitmaps bitmaps(dc);
  TabFace(dc, bitmaps, t, NamesLineHeight(dc));
  SelectObject(dc, oldFont);
}

void DrawStripFrame(HDC dc, const std::wstring& path, int index, int x, int y, int size) {
  Bitmaps bitmaps(dc);
  StripFrame(dc, bitmaps, path, index, x, y, size);
}

}  // namespace glancet

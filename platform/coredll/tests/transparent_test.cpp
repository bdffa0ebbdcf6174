// TransparentImage: the transparent colour leaves the destination as it was, from a bitmap or a DC.
#include <ceservices.h>

#include <gtest/gtest.h>

#include "win32/handle.h"

namespace win32 = quintar::win32;

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A 32-bit DIB section with direct access to its pixels (top-down rows).
struct Dib {
  Dib(int w, int h) : width(w), height(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    owner.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bitmap = owner.get();
    pixels = static_cast<DWORD*>(bits);
  }
  void Fill(COLORREF c) {
    for (int i = 0; i < width * height; ++i) pixels[i] = ToPixel(c);
  }
  void Set(int x, int y, COLORREF c) { pixels[y * width + x] = ToPixel(c); }
  COLORREF At(int x, int y) const {
    DWORD p = pixels[y * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  static DWORD ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

  int width, height;
  win32::Bitmap owner;
  HBITMAP bitmap = nullptr;
  DWORD* pixels = nullptr;
};

// A 4 x 4 magenta source with a red 2 x 2 block at (1, 1).
void PaintSource(Dib& src) {
  src.Fill(kMagenta);
  for (int y = 1; y <= 2; ++y)
    for (int x = 1; x <= 2; ++x) src.Set(x, y, kRed);
}

}  // namespace

TEST(TransparentImage, BitmapSourceStretchesAndKeepsTransparentPixels) {
  Dib dst(8, 8), src(4, 4);
  ASSERT_TRUE(dst.bitmap && src.bitmap);
  dst.Fill(kBlue);
  PaintSource(src);
  const win32::MemoryDc memory(CreateCompatibleDC(nullptr));
  const HDC dc = memory.get();
  const win32::Selection selected(dc, dst.bitmap);
  ASSERT_TRUE(TransparentImage(dc, 0, 0, 8, 8, src.bitmap, 0, 0, 4, 4, kMagenta));
  GdiFlush();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      bool inside = x >= 2 && x <= 5 && y >= 2 && y <= 5;
      EXPECT_EQ(dst.At(x, y), inside ? kRed : kBlue) << x << "," << y;
    }
  }
  // The source bitmap is free again afterwards: it can be drawn a second time.
  EXPECT_TRUE(TransparentImage(dc, 0, 0, 4, 4, src.bitmap, 0, 0, 4, 4, kMagenta));
}

TEST(TransparentImage, DcSourceAndBadHandles) {
  Dib dst(4, 4), src(4, 4);
  dst.Fill(kBlue);
  PaintSource(src);
  const win32::MemoryDc memory(CreateCompatibleDC(nullptr)), sourceMemory(CreateCompatibleDC(nullptr));
  const HDC dc = memory.get(), sdc = sourceMemory.get();
  const win32::Selection selected(dc, dst.bitmap), sourceSelected(sdc, src.bitmap);
  ASSERT_TRUE(TransparentImage(dc, 0, 0, 4, 4, sdc, 0, 0, 4, 4, kMagenta));
  GdiFlush();
  EXPECT_EQ(dst.At(0, 0), kBlue);
  EXPECT_EQ(dst.At(1, 1), kRed);
  EXPECT_EQ(dst.At(3, 3), kBlue);
  // A bitmap still selected into a DC is refused, as on the device.
  EXPECT_FALSE(TransparentImage(dc, 0, 0, 4, 4, src.bitmap, 0, 0, 4, 4, kMagenta));
  EXPECT_FALSE(TransparentImage(dc, 0, 0, 4, 4, nullptr, 0, 0, 4, 4, kMagenta));
  const win32::KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  EXPECT_FALSE(TransparentImage(dc, 0, 0, 4, 4, event.get(), 0, 0, 4, 4, kMagenta));
}

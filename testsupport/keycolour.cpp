#include "testsupport/keycolour.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "testsupport/testsupport.h"
#include "win32/handle.h"

namespace testsupport {
namespace {

// Visits rows of blue-green-red(-x) pixels from the top down.
class Counter {
 public:
  explicit Counter(COLORREF key) : r_(GetRValue(key)), g_(GetGValue(key)), b_(GetBValue(key)) {}

  void Row(const BYTE* pixels, int width, int bytesPerPixel, int y) {
    for (int x = 0; x < width; ++x, pixels += bytesPerPixel) {
      const int distance = std::abs(pixels[2] - r_) + std::abs(pixels[1] - g_) + std::abs(pixels[0] - b_);
      if (distance > kNearKey) continue;
      ++(distance == 0 ? count_.exact : count_.nearby);
      if (count_.first.x < 0) {
        count_.first = {x, y};
        count_.firstColour = RGB(pixels[2], pixels[1], pixels[0]);
      }
    }
  }
  const KeyColourCount& Result() const { return count_; }

 private:
  int r_, g_, b_;
  KeyColourCount count_;
};

template <typename T>
bool ReadAt(const std::string& bytes, std::size_t offset, T& out) {
  if (offset + sizeof out > bytes.size()) return false;
  std::memcpy(&out, bytes.data() + offset, sizeof out);
  return true;
}

}  // namespace

std::wstring KeyColourCount::Describe() const {
  if (Total() == 0) return L"no key-colour pixels";
  wchar_t text[160];
  std::swprintf(text, 160, L"%d key-colour pixels (%d exact, %d near), the first (%u,%u,%u) at (%ld, %ld)", Total(),
                exact, nearby, GetRValue(firstColour), GetGValue(firstColour), GetBValue(firstColour), first.x,
                first.y);
  return text;
}

KeyColourCount CountKeyColour(HDC dc, const RECT& area, COLORREF key) {
  Counter counter(key);
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (!dc || w <= 0 || h <= 0) return counter.Result();
  const quintar::win32::MemoryDc memory(CreateCompatibleDC(dc));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const quintar::win32::Bitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !memory) return counter.Result();
  {
    const quintar::win32::Selection selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, w, h, dc, area.left, area.top, SRCCOPY);
  }
  GdiFlush();
  const auto* rows = static_cast<const BYTE*>(bits);
  for (int y = 0; y < h; ++y) counter.Row(rows + static_cast<std::size_t>(y) * w * 4, w, 4, y);
  return counter.Result();
}

KeyColourCount CountKeyColourInWindow(HWND window, COLORREF key) {
  RECT rc{};
  GetWindowRect(window, &rc);
  const quintar::win32::WindowDc dc(window, GetWindowDC(window));
  return CountKeyColour(dc.get(), {0, 0, rc.right - rc.left, rc.bottom - rc.top}, key);
}

KeyColourCount CountKeyColourOnScreen(const RECT& area, COLORREF key) {
  const quintar::win32::WindowDc screen(nullptr);
  return CountKeyColour(screen.get(), area, key);
}

std::optional<KeyColourCount> CountKeyColourInFile(const std::wstring& path, COLORREF key) {
  const std::string bytes = ReadFileBytes(path);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  if (!ReadAt(bytes, 0, file) || !ReadAt(bytes, sizeof file, header) || file.bfType != 0x4D42) return std::nullopt;
  const int bytesPerPixel = header.biBitCount / 8;
  if (header.biCompression != BI_RGB || (bytesPerPixel != 3 && bytesPerPixel != 4) || header.biWidth <= 0)
    return std::nullopt;
  const int w = header.biWidth, h = std::abs(header.biHeight);
  const std::size_t stride = (static_cast<std::size_t>(w) * bytesPerPixel + 3) & ~std::size_t{3};
  if (file.bfOffBits + stride * h > bytes.size()) return std::nullopt;
  Counter counter(key);
  const auto* pixels = reinterpret_cast<const BYTE*>(bytes.data()) + file.bfOffBits;
  for (int y = 0; y < h; ++y) {
    const int stored = header.biHeight > 0 ? h - 1 - y : y;  // a positive height stores the bottom row first
    counter.Row(pixels + stride * stored, w, bytesPerPixel, y);
  }
  return counter.Result();
}

bool CheckNoKeyColour(const std::wstring& path) {
  const auto count = CountKeyColourInFile(path);
  if (count && count->Total() == 0) return true;
  std::wprintf(L"FAILED %ls: %ls\n", path.c_str(), count ? count->Describe().c_str() : L"the picture cannot be read");
  std::fflush(stdout);
  return false;
}

}  // namespace testsupport

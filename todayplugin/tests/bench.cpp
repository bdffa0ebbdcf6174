// Glancet's timings under Wine, each against an anchor measured in the same run:
//   draw: painting the busiest default tab (the item's whole double-buffered drawing, through
//         the Today background) against one BitBlt of a buffer of the same size;
//   file: loading and saving the data file against reading and writing 287,344 bytes plainly.
#include <windows.h>

#include <cstdio>
#include <memory>

#include <todaycmn.h>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/datafile.h"
#include "win32/handle.h"

namespace {

using namespace quintar::glancet;
using namespace quintar::glancet::core;
using namespace quintar::win32;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TODAYM_GETCOLOR:
      return RGB(0, 0, 0);
    case TODAYM_DRAWWATERMARK: {
      auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
      Brush brush(CreateSolidBrush(RGB(220, 230, 245)));
      FillRect(info->hdc, &info->rc, brush.get());
      return TRUE;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Best of several rounds of `n` calls, in ms per call.
template <typename F>
double Time(int n, F&& f) {
  double best = 1e30;
  for (int round = 0; round < 5; ++round) {
    double start = Now();
    for (int i = 0; i < n; ++i) f();
    double t = (Now() - start) / n;
    if (t < best) best = t;
  }
  return best;
}

void Report(const char* name, double ours, double anchor) {
  std::printf("%s: ours %.4f ms, anchor %.4f ms, ratio %.2f\n", name, ours, anchor, ours / anchor);
}

int DrawBench() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"GlancetBenchHost";
  RegisterClassW(&wc);
  int cx = GetSystemMetrics(SM_CXSCREEN);
  HWND host = CreateWindowExW(0, wc.lpszClassName, L"DeskTop", WS_POPUP | WS_VISIBLE, 0, 0, cx, 400, nullptr, nullptr,
                              wc.hInstance, nullptr);
  DeleteFileW(kDataFile);
  Module dll(LoadLibraryW(L"Glancet.dll"));
  if (!host || !dll) {
    std::printf("draw: Glancet.dll could not be loaded\n");
    return 1;
  }
  auto init = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
      reinterpret_cast<void (*)()>(GetProcAddress(dll.get(), MAKEINTRESOURCEA(240))));
  TODAYLISTITEM record = {};
  record.fEnabled = TRUE;
  record.hinstDLL = dll.get();
  HWND item = init ? init(&record, host) : nullptr;
  if (!item) {
    std::printf("draw: no item window\n");
    return 1;
  }
  SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0);
  SetWindowPos(item, nullptr, 0, 0, cx, static_cast<int>(record.cyp), SWP_NOZORDER);
  auto paint = [&] { RedrawWindow(item, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };
  paint();

  {
    WindowDc dc(item);
    MemoryDc mem(CreateCompatibleDC(dc.get()));
    int height = 100;
    if (WindowDc screen{nullptr}) height *= GetDeviceCaps(screen.get(), LOGPIXELSX) > 96 ? 2 : 1;
    Bitmap buffer(CreateCompatibleBitmap(dc.get(), cx, height));
    Selection selected(mem.get(), buffer.get());
    auto blit = [&] {
      BitBlt(dc.get(), 0, 0, cx, height, mem.get(), 0, 0, SRCCOPY);
      GdiFlush();
    };
    blit();
    double ours = Time(50, [&] {
      paint();
      GdiFlush();
    });
    double anchor = Time(200, blit);
    Report("draw busiest tab", ours, anchor);
  }
  DestroyWindow(item);
  UnregisterClassW(L"MyToday", dll.get());
  dll.reset();
  DestroyWindow(host);
  return 0;
}

int FileBench() {
  auto image = std::make_unique<FileImage>();
  auto state = std::make_unique<State>();
  Metrics m;
  m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  BuildDefaults(
      m, MakeStripPaths(m.scale), [](std::u16string_view p) { return std::u16string(p); }, *image, *state);
  if (!WriteDataFile(*image)) {
    std::printf("file: the data file cannot be written\n");
    return 1;
  }
  double ours = Time(100, [&] {
    ReadDataFile(*image);
    Load(*image, m, *state);
    Save(*state, *image);
    WriteDataFile(*image);
  });
  auto plain = std::make_unique<uint8_t[]>(kFileSize);
  double anchor = Time(100, [&] {
    DWORD n = 0;
    {
      FileHandle r(CreateFileW(kDataFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      ReadFile(r.get(), plain.get(), kFileSize, &n, nullptr);
    }
    FileHandle w(CreateFileW(kDataFile, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    WriteFile(w.get(), plain.get(), kFileSize, &n, nullptr);
  });
  Report("load and save", ours, anchor);
  return 0;
}

}  // namespace

int wmain() {
  CreateDirectoryW(L"\\windows", nullptr);
  int rc = FileBench();
  rc |= DrawBench();
  return rc;
}

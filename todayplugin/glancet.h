// Glancet's Win32 side: the process-wide item state shared by the DLL's units.
#pragma once

#include <windows.h>

#include <string>

#include "todayplugin/core/glancet_core.h"

namespace glancet {

inline constexpr wchar_t kDataFile[] = L"\\windows\\pellvane.dat";
inline constexpr wchar_t kClassName[] = L"MyToday";
inline constexpr wchar_t kWindowTitle[] = L"MyTodayScreen";
inline constexpr COLORREF kPressBlue = 0x00FF0000;
inline constexpr COLORREF kBufferKey = 0x00FF00FF;  // the buffer's transparent colour

// Where each gauge kind was drawn last; interactions address that one.
struct GaugePlace {
  bool known = false;
  int x0 = 0, y0 = 0;
  int column = 0, row = 0;
};

struct Plugin {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  Metrics metrics;
  StripPaths paths;
  State* state = nullptr;      // large: on the heap for the process's life
  FileImage* image = nullptr;  // what was last read or written
  GaugeValues gauges;
  int reportedHeight = 0;  // unscaled, as last handed to the Today screen
  int lineHeight = 13;
  bool painted = false;
  bool paintedLandscape = false;
  GaugePlace gaugePlaces[4];  // battery, memory, storage, backlight
  int knobX = -1;
  bool dragging = false;  // the stylus went down on the backlight bar
};

Plugin& G();

// std::u16string and the Win32 wide strings share their code units.
inline std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string U16(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

// datafile.cpp
bool ReadDataFile(FileImage& image);         // false when the file cannot be opened
bool WriteDataFile(const FileImage& image);  // false when it can be neither opened nor created

// glancet.cpp
Metrics MeasureScreen();
bool SaveDataFile();  // the state into the image, and the image to the file
// The shell's name for a path; outside the loader lock only.
std::u16string ShellDisplayName(std::u16string_view path);
LRESULT CALLBACK ItemProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// draw.cpp
void DrawItem(HDC target, HWND window);
void DrawGauge(HDC dc, int32_t kind, int x0, int y0, bool highlighted);
void DrawPressedCell(HDC dc, const ItemRecord& item, int column, int row);
void DrawPressedNext(HDC dc);
void DrawSelectedTab(HDC dc, int tab);
// Draws frame `index` of a strip of square icons, `size` pixels square, keyed on its pixel (0, 0).
void DrawStripFrame(HDC dc, const std::wstring& path, int index, int x, int y, int size);
RECT NextIconSquare();
// Frees the bitmaps and icons kept between paints.
void ReleaseDrawingCache();

// status.cpp
// Reads the platform's status into the gauges; false when no storage card was found.
bool RefreshStatus();
// A press or drag at (x, y) on the backlight bar of the gauge at x0, y0.
bool OnBacklightBar(int x, int y);
void SetBacklightAt(int x, bool drag);
void OnGaugeCommand(UINT id);

}  // namespace glancet

// A Today item for the shell's tests. Each instance is named by its item key; it takes the height
// given by the key's "TestHeight" value (40 at 96 dpi if absent), answers every other refresh
// query with TRUE, asks the screen for its colours and watermark when painting, and records all
// of it under HKEY_CURRENT_USER "Software\Quintar\Tests\TestToday\<item name>".
#include <windows.h>

#include <todaycmn.h>

#include <string>

#include "device/testitems/testrecord.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

namespace testitems = quintar::device::testitems;

constexpr wchar_t kClass[] = L"QuintarTestTodayItem";

std::wstring RecordKey(HWND hwnd) {
  wchar_t name[MAX_ITEMNAME] = L"";
  GetWindowTextW(hwnd, name, MAX_ITEMNAME);
  return testitems::KeyPath(L"TestToday", name);
}

DWORD WantedHeight(const TODAYLISTITEM* item) {
  std::wstring key = std::wstring(L"SOFTWARE\\Microsoft\\Today\\Items\\") + item->szName;
  return testitems::GetDword(HKEY_LOCAL_MACHINE, key, L"TestHeight", 40);
}

void Paint(HWND hwnd) {
  std::wstring key = RecordKey(hwnd);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  HWND parent = GetParent(hwnd);
  TODAYDRAWWATERMARKINFO info = {dc, rc, hwnd};
  if (SendMessageW(parent, TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info))) {
    testitems::Increment(key, L"Watermarks");
    testitems::SetDword(key, L"WatermarkPixel", GetPixel(dc, rc.right / 2, rc.bottom / 2));
  }
  auto text = static_cast<COLORREF>(SendMessageW(parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
  testitems::SetDword(key, L"TextColour", text);
  testitems::SetDword(key, L"HighlightColour",
                      static_cast<DWORD>(SendMessageW(parent, TODAYM_GETCOLOR, TODAYCOLOR_HIGHLIGHT, 0)));
  testitems::SetDword(key, L"HighlightedTextColour",
                      static_cast<DWORD>(SendMessageW(parent, TODAYM_GETCOLOR, TODAYCOLOR_HIGHLIGHTEDTEXT, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text);
  wchar_t name[MAX_ITEMNAME] = L"";
  GetWindowTextW(hwnd, name, MAX_ITEMNAME);
  std::wstring caption = std::wstring(L"Test item ") + name;
  InflateRect(&rc, -6, 0);
  DrawTextW(dc, caption.c_str(), -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  EndPaint(hwnd, &ps);
  testitems::Increment(key, L"Paints");
}

LRESULT CALLBACK ItemProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE: {
      auto* item = reinterpret_cast<TODAYLISTITEM*>(wParam);
      std::wstring key = RecordKey(hwnd);
      testitems::Increment(key, L"Queries");
      if (!item) return FALSE;
      DWORD wanted = WantedHeight(item);
      if (item->cyp != wanted) {
        item->cyp = wanted;
        return TRUE;
      }
      return testitems::GetDword(HKEY_CURRENT_USER, key, L"Queries", 0) % 2 == 1;
    }
    case WM_TODAYCUSTOM_CLEARCACHE:
      testitems::Increment(RecordKey(hwnd), L"ClearCaches");
      return 0;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY:
      testitems::Increment(RecordKey(hwnd), L"Destroys");
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

extern "C" HWND APIENTRY InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
  if (!item) return nullptr;
  std::wstring key = testitems::KeyPath(L"TestToday", item->szName);
  testitems::Increment(key, L"Inits");
  testitems::SetDword(key, L"Enabled", item->fEnabled);
  testitems::SetDword(key, L"Options", item->fOptions);
  testitems::SetDword(key, L"OwnInstance", item->hinstDLL == reinterpret_cast<HINSTANCE>(&__ImageBase));
  testitems::SetString(key, L"DLLPath", item->szDLLPath);
  if (!item->fEnabled) return nullptr;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ItemProc;
  wc.hInstance = item->hinstDLL;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);  // already registered by a sibling item: fine
  return CreateWindowExW(0, kClass, item->szName, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr, item->hinstDLL,
                         nullptr);
}

// How long the Options sheet takes from the call to its first page painted, against creating and
// painting an empty property sheet of as many pages, in the same run. Prints the ratio.
#include <windows.h>

#include <commctrl.h>

#include <aygshell.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "filemanager/optionssheet.h"
#include "win32/shell.h"

namespace {

LARGE_INTEGER gStart{};
double gPaintedMs = -1;

double Since(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HWND gPainting = nullptr;

// The first page painted ends the run: the message after its WM_PAINT marks the paint done, and
// its sheet is cancelled.
LRESULT CALLBACK Retrieved(int code, WPARAM wParam, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && gPaintedMs < 0) {
    if (gPainting) {
      gPaintedMs = Since(gStart);
      PostMessageW(gPainting, WM_COMMAND, IDCANCEL, 0);
      gPainting = nullptr;
    } else if (msg->message == WM_PAINT && msg->hwnd) {
      HWND parent = GetParent(msg->hwnd);
      if (parent && PropSheet_GetTabControl(parent)) {
        gPainting = parent;
        PostMessageW(parent, WM_NULL, 0, 0);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The device shows every sheet that answers the version query full-screen with its Done button and
// tabs at the bottom; the empty sheet gets that too, so that only the pages differ.
int CALLBACK DeviceSheet(HWND sheet, UINT msg, LPARAM) {
  if (msg == quintar::folderon::kSheetGetVersion) return quintar::folderon::kOptionsSheetVersion;
  if (msg != PSCB_INITIALIZED || !sheet) return 0;
  HWND tab = PropSheet_GetTabControl(sheet);
  SetWindowLongW(tab, GWL_STYLE, (GetWindowLongW(tab, GWL_STYLE) | TCS_BOTTOM) & ~TCS_MULTILINE);
  quintar::win32::InitFullScreenDialog(sheet, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_EMPTYMENU);
  return 0;
}

INT_PTR CALLBACK EmptyPage(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// An empty child dialog of the pages' size.
struct EmptyTemplate {
  DLGTEMPLATE header{WS_CHILD | WS_CAPTION | DS_SETFONT, 0, 0, 0, 0, 160, 150};
  WORD menu = 0, windowClass = 0, title = 0, pointSize = 8;
  wchar_t face[7] = L"Tahoma";
};

double EmptySheet(HINSTANCE instance) {
  alignas(4) static EmptyTemplate empty;
  PROPSHEETPAGEW pages[9] = {};
  for (auto& page : pages) {
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    page.hInstance = instance;
    page.pResource = &empty.header;
    page.pfnDlgProc = EmptyPage;
    page.pszTitle = L"Page";
  }
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
  header.pfnCallback = DeviceSheet;
  header.hInstance = instance;
  header.pszCaption = L"Options";
  header.nPages = 9;
  header.ppsp = pages;
  gPaintedMs = -1;
  QueryPerformanceCounter(&gStart);
  PropertySheetW(&header);
  return gPaintedMs;
}

double OptionsSheet(HINSTANCE instance) {
  gPaintedMs = -1;
  QueryPerformanceCounter(&gStart);
  // What the command does before the sheet: a copy of the settings.
  quintar::folderon::OptionValues values;
  quintar::folderon::RunOptionsSheet(instance, nullptr, values);
  return gPaintedMs;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, Retrieved, nullptr, GetCurrentThreadId());
  std::vector<double> ours, anchor;
  OptionsSheet(instance);  // warm-up: fonts and classes
  EmptySheet(instance);
  for (int i = 0; i < 15; ++i) {
    ours.push_back(OptionsSheet(instance));
    anchor.push_back(EmptySheet(instance));
  }
  UnhookWindowsHookEx(hook);
  if (*std::min_element(ours.begin(), ours.end()) < 0 || *std::min_element(anchor.begin(), anchor.end()) < 0) {
    std::printf("a sheet never painted a page\n");
    return 1;
  }
  const double a = Median(ours), b = Median(anchor);
  std::printf("options sheet: %.1f ms to the first page painted; empty nine-page sheet: %.1f ms\n", a, b);
  std::printf("ratio options sheet / empty sheet: %.2f (goal: at most 1.5)\n", a / b);
  return 0;
}

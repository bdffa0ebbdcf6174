// Tamsk's entry: one copy runs; a second start brings the first to the front and ends.
#include <windows.h>

#include <commctrl.h>

#include "regeditor/tamsk.h"
#include "win32/shell.h"

namespace {

int Start(HINSTANCE instance, int show) {
  quintar::win32::SingleInstance single(L"Zek Registry Editor Instance");
  if (HWND running = single.FindRunning(quintar::tamsk::kWindowClass)) {
    SetForegroundWindow(running);
    return 0;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  quintar::tamsk::MainWindow window;
  if (!window.Create(instance, show)) return 1;
  return quintar::tamsk::RunMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  try {
    return Start(instance, show == SW_HIDE ? SW_SHOW : show);
  } catch (...) {
    return 1;
  }
}

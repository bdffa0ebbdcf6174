// Tamsk's entry: one copy runs; a second start brings the first to the front and ends.
#include <windows.h>

#include <commctrl.h>

#include "tamsk.h"

namespace {

class Mutex {
 public:
  explicit Mutex(HANDLE h) : h_(h) {}
  ~Mutex() {
    if (h_) CloseHandle(h_);
  }
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

int Start(HINSTANCE instance, int show) {
  // The mutex closes the gap between two starts that both find no window yet.
  Mutex mutex(CreateMutexW(nullptr, FALSE, L"Zek Registry Editor Instance"));
  bool another = mutex.get() && GetLastError() == ERROR_ALREADY_EXISTS;
  HWND running = FindWindowW(tamsk::kWindowClass, nullptr);
  for (int i = 0; another && !running && i < 50; ++i) {
    Sleep(100);  // the first copy is still creating its window
    running = FindWindowW(tamsk::kWindowClass, nullptr);
  }
  if (running) {
    SetForegroundWindow(running);
    return 0;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  if (!tamsk::CreateMainWindow(instance, show)) return 1;
  return tamsk::RunMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  try {
    return Start(instance, show == SW_HIDE ? SW_SHOW : show);
  } catch (...) {
    return 1;
  }
}

#include "win32/shell.h"

#include <string>

#include "win32/messagebox.h"

namespace quintar::win32 {

bool IsTapAndHold(HWND window, POINT down) noexcept {
  SHRGINFO info{};
  info.cbSize = sizeof info;
  info.hwndClient = window;
  info.ptDown = down;
  info.dwFlags = SHRG_RETURNCMD;
  return SHRecognizeGesture(&info) == GN_CONTEXTMENU;
}

bool InitFullScreenDialog(HWND dialog, DWORD flags) noexcept {
  SHINITDLGINFO info{};
  info.dwMask = SHIDIM_FLAGS;
  info.hDlg = dialog;
  info.dwFlags = flags;
  return SHInitDialog(&info) != FALSE;
}

HWND CreateMenuBar(HWND parent, HINSTANCE resources, int id, DWORD flags) noexcept {
  SHMENUBARINFO bar{};
  bar.cbSize = sizeof bar;
  bar.hwndParent = parent;
  bar.dwFlags = flags;
  bar.nToolBarId = static_cast<UINT>(id);
  bar.hInstRes = resources;
  return SHCreateMenuBar(&bar) ? bar.hwndMB : nullptr;
}

SingleInstance::SingleInstance(const wchar_t* mutexName) noexcept
    : mutex_(CreateMutexW(nullptr, FALSE, mutexName)) {
  another_ = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

HWND SingleInstance::FindRunning(const wchar_t* windowClass, const wchar_t* title, DWORD waitMs) const noexcept {
  constexpr DWORD kStep = 100;
  HWND running = FindWindowW(windowClass, title);
  for (DWORD waited = 0; another_ && !running && waited < waitMs; waited += kStep) {
    Sleep(kStep);  // the first copy is still creating its window
    running = FindWindowW(windowClass, title);
  }
  return running;
}

void BringToFront(HWND running) noexcept {
  HWND front = GetLastActivePopup(running);
  SetForegroundWindow(front ? front : running);
}

int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT style) noexcept {
  try {
    if (caption.empty() && !(style & MB_ICONMASK)) style |= MB_ICONHAND;
    return ScreenMessageBox(owner, std::wstring(text).c_str(), std::wstring(caption).c_str(), style);
  } catch (...) {
    return 0;  // no memory for the text: nothing can be shown
  }
}

}  // namespace quintar::win32

// Folderon's entry: one copy runs; a second start hands its folder to the running one and ends.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "filemanager/core/startup.h"
#include "mainframe.h"
#include "winutil.h"

namespace {

namespace qf = quintar::folderon;

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// The running copy's window gets the folder; the second copy always ends with 0.
int HandOver(const std::u16string* folder) {
  HWND running = FindWindowW(folderon::kWindowClass, nullptr);
  if (!running) return 0;
  SetForegroundWindow(running);
  if (folder) {
    std::u16string payload = qf::OpenFolderPayload(*folder);
    COPYDATASTRUCT data{};
    data.dwData = qf::kCopyDataOpenFolder;
    data.cbData = static_cast<DWORD>(payload.size() * sizeof(char16_t));
    data.lpData = payload.data();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000, &result);
  }
  return 0;
}

int Start(HINSTANCE instance, LPWSTR commandLine) {
  std::wstring line = commandLine ? commandLine : L"";
  std::optional<std::u16string> folder = qf::ParseCommandLine(folderon::U16(line));

  Handle mutex(CreateMutexW(nullptr, FALSE, folderon::kWindowClass));
  if (mutex.get() && GetLastError() == ERROR_ALREADY_EXISTS) return HandOver(folder ? &*folder : nullptr);

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                           ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&icc);
  static folderon::MainFrame frame;  // one per process, alive until the process ends
  return frame.Run(instance, folder ? folderon::Wide(*folder) : std::wstring());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  try {
    return Start(instance, commandLine);
  } catch (...) {
    return 1;
  }
}

// Folderon's entry: one copy runs; a second start hands its folder to the running one and ends.
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

#include "filemanager/core/startup.h"
#include "filemanager/mainframe.h"
#include "filemanager/winutil.h"
#include "win32/shell.h"

namespace {

namespace qf = quintar::folderon;

// The running copy's window gets the folder; the second copy always ends with 0.
int HandOver(const quintar::win32::SingleInstance& instance, const std::u16string* folder) {
  HWND running = instance.FindRunning(qf::kWindowClass);
  if (!running) return 0;
  SetForegroundWindow(running);
  if (folder) {
    std::u16string payload = qf::core::OpenFolderPayload(*folder);
    COPYDATASTRUCT data{};
    data.dwData = qf::core::kCopyDataOpenFolder;
    data.cbData = static_cast<DWORD>(payload.size() * sizeof(char16_t));
    data.lpData = payload.data();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000, &result);
  }
  return 0;
}

int Start(HINSTANCE instance, LPWSTR commandLine) {
  std::wstring line = commandLine ? commandLine : L"";
  std::optional<std::u16string> folder = qf::core::ParseCommandLine(qf::U16(line));

  quintar::win32::SingleInstance single(qf::kWindowClass);
  if (single.Another()) return HandOver(single, folder ? &*folder : nullptr);

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                           ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&icc);
  qf::MainFrame frame;
  return frame.Run(instance, folder ? qf::Wide(*folder) : std::wstring());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  try {
    return Start(instance, commandLine);
  } catch (...) {
    return 1;
  }
}

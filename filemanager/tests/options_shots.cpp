// Opens the Options sheet and shows each page in turn, printing "SHOT <name>" when the page is
// up, for options_shots.sh to photograph; then cancels.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "filemanager/optionssheet.h"

namespace {

const char* const kNames[] = {"view",        "icons",   "font",      "controls", "shell",
                              "compression", "syspath", "filetypes", "about"};
int gPage = -1;
DWORD gAt = 0;
bool gShot = false;

HWND Sheet() {
  for (HWND w = FindWindowW(L"#32770", L"Options"); w; w = FindWindowExW(nullptr, w, L"#32770", L"Options"))
    if (IsWindowVisible(w)) return w;
  return nullptr;
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
  HWND sheet = Sheet();
  if (!sheet) return;
  const DWORD now = GetTickCount();
  if (gPage < 0 || (gShot && now - gAt >= 1500)) {
    ++gPage;
    gShot = false;
    gAt = now;
    if (gPage >= static_cast<int>(std::size(kNames))) {
      PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    SendMessageW(sheet, PSM_SETCURSEL, gPage, 0);
    return;
  }
  if (!gShot && now - gAt >= 700) {
    std::printf("SHOT options-%s\n", kNames[gPage]);
    std::fflush(stdout);
    gShot = true;
    gAt = now;
  }
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  SetTimer(nullptr, 0, 100, Poll);
  quintar::folderon::OptionValues values;
  quintar::folderon::RunOptionsSheet(GetModuleHandleW(nullptr), nullptr, values);
  std::printf("END\n");
  std::fflush(stdout);
  return 0;
}

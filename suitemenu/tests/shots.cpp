// Shows the boxes of the suite menu and of setup in turn and prints "SHOT <name>" while each is
// on screen, for fileops/tests/shots.sh to photograph:
//   fileops/tests/shots.sh BUILD_DIR OUT_DIR suite_shots
#include <windows.h>

#include <cstdio>

#include "suitemenu/suitemenu.h"

namespace {

const char* gShot = nullptr;
DWORD gSeenAt = 0;

// Photographs the box of `caption` once it is up, then answers it.
void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = nullptr;
  for (HWND w = FindWindowW(L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr))
    if (IsWindowVisible(w)) box = w;
  if (!box) return;
  if (!gSeenAt) gSeenAt = GetTickCount();
  if (gShot && GetTickCount() - gSeenAt > 700) {
    std::printf("SHOT %s\n", gShot);
    std::fflush(stdout);
    gShot = nullptr;
    gSeenAt = GetTickCount();
  } else if (!gShot && GetTickCount() - gSeenAt > 1500) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    gSeenAt = 0;
  }
}

}  // namespace

int wmain() {
  SetTimer(nullptr, 0, 100, Poll);
  gShot = "manual-prompt";
  quintar::suitemenu::OpenManual(nullptr, L"\\Program Files\\Zek\\Quintar\\missing.htm");
  HMODULE setup = LoadLibraryW(L"setup.dll");
  using InstallInit = DWORD(WINAPI*)(HWND, BOOL, BOOL, LPCWSTR);
  auto init = setup ? reinterpret_cast<InstallInit>(reinterpret_cast<void (*)()>(GetProcAddress(setup, "Install_Init")))
                    : nullptr;
  if (!init) {
    std::printf("FAILED setup.dll\n");
    return 1;
  }
  gShot = "setup-folder";
  init(nullptr, TRUE, FALSE, L"\\Storage Card\\Quintar");
  FreeLibrary(setup);
  return 0;
}

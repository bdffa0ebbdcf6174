// Opens the device's file dialog ("\Windows\getFiles.dll") to save and to open, and prints
// "SHOT <name>" while each is on screen, for fileops/tests/shots.sh (program getfiles_shots).
#include <windows.h>

#include <commdlg.h>

#include <cstdio>

namespace {

const char* gShot = nullptr;
const wchar_t* gCaption = nullptr;
DWORD gSeenAt = 0;

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = FindWindowW(L"#32770", gCaption);
  if (!dialog || !IsWindowVisible(dialog)) return;
  if (!gSeenAt) gSeenAt = GetTickCount();
  if (gShot && GetTickCount() - gSeenAt > 700) {
    std::printf("SHOT %s\n", gShot);
    std::fflush(stdout);
    gShot = nullptr;
    gSeenAt = GetTickCount();
  } else if (!gShot && GetTickCount() - gSeenAt > 1500) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

bool Show(const char* entry, const wchar_t* title, const char* shot) {
  HMODULE library = LoadLibraryW(L"\\Windows\\getFiles.dll");
  using Fn = BOOL(WINAPI*)(OPENFILENAMEW*);
  auto fn = library ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, entry))) : nullptr;
  if (!fn) return false;
  wchar_t name[260] = L"archive";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = L"ZIP Files(*.zip)\0*.zip\0";
  ofn.lpstrFile = name;
  ofn.nMaxFile = 260;
  ofn.lpstrTitle = title;
  ofn.lpstrInitialDir = L"\\My Documents";
  ofn.lpstrDefExt = L"zip";
  gShot = shot;
  gCaption = title;
  gSeenAt = 0;
  fn(&ofn);
  FreeLibrary(library);
  return true;
}

}  // namespace

int wmain() {
  SetTimer(nullptr, 0, 100, Poll);
  const bool shown = Show("gsGetSaveFileName", L"Compress Filename", "getfiles-save") &&
                     Show("gsGetOpenFileName", L"Open", "getfiles-open");
  std::printf("END\n");
  return shown ? 0 : 1;
}

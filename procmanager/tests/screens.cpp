// Renders every page of Vorrel's sheet and its Help dialog to BMP files for review, in the
// profile the device runs with. Run by hand:
//   QUINTAR_PROFILE=vga bash tools/wine-test.sh build/<dir>/bin/vorrel_screens.exe
// The pictures go to T:\shots (the folder of the program) as vorrel-<profile>-<page>.bmp.
// It fails when a picture could not be written or shows an image strip's key colour.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>

#include "procmanager/resource.h"
#include "procmanager/vorrel.h"
#include "testsupport/keycolour.h"
#include "testsupport/testsupport.h"

namespace {

std::wstring g_profile = L"qvga";
bool g_failed = false;  // a picture not written, or one showing a strip's key colour

bool SaveScreen(const std::wstring& name) {
  std::wstring path = L"T:\\shots\\vorrel-" + g_profile + L"-" + name + L".bmp";
  bool ok = testsupport::SaveScreenBitmap(path);
  std::wprintf(L"%ls %ls\n", ok ? L"wrote" : L"FAILED", path.c_str());
  ok = ok && testsupport::CheckNoKeyColour(path);
  if (!ok) g_failed = true;
  return ok;
}

int g_tries = 0;
void CALLBACK ShootHelp(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowW(L"#32770", L"Help");
  if (!dialog || !IsWindowVisible(dialog)) {
    if (++g_tries > 100) KillTimer(nullptr, id);
    return;
  }
  KillTimer(nullptr, id);
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  testsupport::PumpFor(300);
  SaveScreen(L"help");
  EndDialog(dialog, IDOK);
}

}  // namespace

int wmain() {
  wchar_t profile[32] = {};
  if (GetEnvironmentVariableW(L"QUINTAR_PROFILE", profile, 32)) g_profile = profile;
  CreateDirectoryW(L"T:\\shots", nullptr);
  CreateDirectoryW(L"\\Storage Card", nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  quintar::vorrel::Frame frame(GetModuleHandleW(nullptr));
  if (!frame.Create() || frame.RunSheet(true) <= 0) {
    std::printf("the sheet could not be opened\n");
    return 1;
  }
  const wchar_t* names[quintar::vorrel::kPageCount] = {L"main",    L"sdcard", L"programs", L"processes",
                                                       L"actions", L"other",  L"about"};
  testsupport::PumpFor(300);
  for (int i = 0; i < quintar::vorrel::kPageCount; ++i) {
    PropSheet_SetCurSel(frame.sheet(), nullptr, i);
    testsupport::PumpFor(200);
    RedrawWindow(frame.sheet(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    testsupport::PumpFor(300);
    SaveScreen(names[i]);
  }
  SetTimer(nullptr, 0, 100, ShootHelp);
  frame.ShowHelp(frame.PageWindow(quintar::vorrel::kAboutPage));
  DestroyWindow(frame.sheet());
  DestroyWindow(frame.hwnd());
  return g_failed ? 1 : 0;
}

// Renders every page of Vorrel's sheet and its Help dialog to BMP files for review, in the
// profile the device runs with. Run by hand:
//   QUINTAR_PROFILE=vga bash tools/wine-test.sh build/<dir>/bin/vorrel_screens.exe
// The pictures go to T:\shots (the folder of the program) as vorrel-<profile>-<page>.bmp.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>

#include "procmanager/resource.h"
#include "procmanager/vorrel.h"

namespace {

std::wstring g_profile = L"qvga";

void Pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  while (GetTickCount() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

bool SaveScreen(const std::wstring& name) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DWORD stride = ((w * 3) + 3) & ~3u;
  DWORD imageBytes = stride * h;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageBytes;
  std::wstring path = L"T:\\shots\\vorrel-" + g_profile + L"-" + name + L".bmp";
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  if (ok) {
    DWORD written = 0;
    ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
         WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
         WriteFile(out, bits, imageBytes, &written, nullptr);
    CloseHandle(out);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::wprintf(L"%ls %ls\n", ok ? L"wrote" : L"FAILED", path.c_str());
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
  Pump(300);
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
  vorrel::InitResources(GetModuleHandleW(nullptr));
  if (!vorrel::CreateMainWindow() || vorrel::RunSheet(vorrel::g_app.main, true) <= 0) {
    std::printf("the sheet could not be opened\n");
    return 1;
  }
  const wchar_t* names[vorrel::kPageCount] = {L"main",    L"sdcard", L"programs", L"processes",
                                              L"actions", L"other",  L"about"};
  Pump(300);
  for (int i = 0; i < vorrel::kPageCount; ++i) {
    PropSheet_SetCurSel(vorrel::g_app.sheet, nullptr, i);
    Pump(200);
    RedrawWindow(vorrel::g_app.sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Pump(300);
    SaveScreen(names[i]);
  }
  SetTimer(nullptr, 0, 100, ShootHelp);
  vorrel::ShowHelp(vorrel::PageWindow(vorrel::kAboutPage));
  DestroyWindow(vorrel::g_app.sheet);
  DestroyWindow(vorrel::g_app.main);
  return 0;
}

// Renders Tamsk's main window and each of its dialogs to BMP files for review, in the profile
// the device runs with. Run by hand:
//   QUINTAR_PROFILE=vga bash tools/wine-test.sh build/<dir>/bin/tamsk_screens.exe
// The pictures go to T:\shots (the folder of the program) as <profile>-<name>.bmp.
// It fails when a picture could not be written or shows an image strip's key colour.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "regeditor/resource.h"
#include "regeditor/tamsk.h"
#include "testsupport/keycolour.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

namespace {

std::wstring g_profile = L"qvga";
bool g_failed = false;  // a picture not written, or one showing a strip's key colour

bool SaveScreen(const std::wstring& name) {
  std::wstring path = L"T:\\shots\\" + g_profile + L"-" + name + L".bmp";
  bool ok = testsupport::SaveScreenBitmap(path);
  std::wprintf(L"%ls %ls\n", ok ? L"wrote" : L"FAILED", path.c_str());
  ok = ok && testsupport::CheckNoKeyColour(path);
  if (!ok) g_failed = true;
  return ok;
}

// The dialog of the pending command is pictured and closed from a timer in its modal loop.
std::wstring g_caption, g_shot;
void (*g_prepare)(HWND) = nullptr;
int g_tries = 0;

void CALLBACK Shoot(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowW(L"#32770", g_caption.c_str());
  if (!dialog || !IsWindowVisible(dialog)) {
    if (++g_tries > 100) KillTimer(nullptr, id);
    return;
  }
  KillTimer(nullptr, id);
  if (g_prepare) g_prepare(dialog);
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  testsupport::PumpFor(300);
  SaveScreen(g_shot);
  EndDialog(dialog, IDCANCEL);
}

void ShootDialog(HWND main, int command, const wchar_t* caption, const wchar_t* shot, void (*prepare)(HWND) = nullptr) {
  g_caption = caption;
  g_shot = shot;
  g_prepare = prepare;
  g_tries = 0;
  SetTimer(nullptr, 0, 100, Shoot);
  SendMessageW(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  testsupport::PumpFor(200);
}

void SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
}

}  // namespace

int wmain() {
  wchar_t profile[32] = {};
  if (GetEnvironmentVariableW(L"QUINTAR_PROFILE", profile, 32)) g_profile = profile;
  CreateDirectoryW(L"T:\\shots", nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);

  quintar::win32::RegKey owner;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Zek\\Sample", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, owner.put(),
                  nullptr);
  HKEY key = owner.get();
  const wchar_t text[] = L"Hello, device";
  SetValue(key, L"Greeting", REG_SZ, text, sizeof text);
  DWORD number = 31;
  SetValue(key, L"Count", REG_DWORD, &number, sizeof number);
  const BYTE bytes[] = {1, 0xAB, 0xFF, 0x10};
  SetValue(key, L"Flags", REG_BINARY, bytes, sizeof bytes);
  const wchar_t multi[] = L"first\0second\0";
  SetValue(key, L"List", REG_MULTI_SZ, multi, sizeof multi);
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Zek\\Sample\\Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  owner.put(), nullptr);
  owner.reset();

  quintar::tamsk::MainWindow window;
  HWND main = window.Create(GetModuleHandleW(nullptr), SW_SHOW);
  if (!main) return 1;
  testsupport::PumpFor(300);
  HTREEITEM item = window.Keys().SelectPath(L"HKEY_CURRENT_USER", L"\\Software\\Zek\\Sample", true);
  TreeView_Expand(window.Keys().hwnd(), item, TVE_EXPAND);
  window.Values().SelectRow(window.Values().FindRowByName(L"Greeting"));
  testsupport::PumpFor(300);
  SaveScreen(L"main");

  ShootDialog(main, IDM_ABOUT, L"About", L"about");
  ShootDialog(main, IDM_NEW_KEY, L"New Key", L"new-key");
  ShootDialog(main, IDM_NEW_STRING, L"New String Value", L"new-string");
  ShootDialog(main, IDM_NEW_MULTI, L"New Multi Line Value", L"new-multi");
  ShootDialog(main, IDM_NEW_BINARY, L"New Binary Value", L"new-binary");
  ShootDialog(main, IDM_NEW_DWORD, L"New Dword Value", L"new-dword");
  ShootDialog(main, IDM_MODIFY, L"Modify Value", L"modify-string");
  window.Values().SelectRow(window.Values().FindRowByName(L"Count"));
  ShootDialog(main, IDM_MODIFY, L"Modify Value", L"modify-dword");
  ShootDialog(main, IDM_FIND, L"Find", L"find");
  DestroyWindow(main);
  return g_failed ? 1 : 0;
}

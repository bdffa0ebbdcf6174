// Glancet's start-up, its two exports and the data file on disk.
#include "todayplugin/glancet.h"

#include <shellapi.h>

#include <memory>
#include <new>

#include "platform/include/aygshell.h"
#include "platform/include/todaycmn.h"

namespace glancet {

Plugin& G() {
  static Plugin plugin;
  return plugin;
}

Metrics MeasureScreen() {
  Metrics m;
  HDC dc = GetDC(nullptr);
  if (dc) {
    m.scale = GetDeviceCaps(dc, LOGPIXELSX) > 96 ? 2 : 1;
    ReleaseDC(nullptr, dc);
  }
  m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  return m;
}

namespace {

// The display name the shell gives a file: its name, with a shortcut's ".lnk" hidden.
std::u16string NameFromPath(std::u16string_view path) {
  std::u16string name(path.substr(path.find_last_of(u'\\') + 1));
  if (name.size() > 4 && lstrcmpiW(Wide(name.substr(name.size() - 4)).c_str(), L".lnk") == 0)
    name.resize(name.size() - 4);
  return name;
}

// Runs at DLL attach, under the loader lock: the default names are taken from the paths
// themselves rather than from the shell, which must not be started from here.
void AttachInit(HINSTANCE instance) {
  Plugin& g = G();
  g.instance = instance;
  g.metrics = MeasureScreen();
  g.paths = MakeStripPaths(g.metrics.scale);
  g.state = new (std::nothrow) State();
  g.image = new (std::nothrow) FileImage();
  if (!g.state || !g.image) return;
  if (ReadDataFile(*g.image)) {
    Load(*g.image, g.metrics, *g.state);
  } else {
    BuildDefaults(g.metrics, g.paths, NameFromPath, *g.image, *g.state);
    WriteDataFile(*g.image);
  }
  ArrangeFrom(g.state->grid[0], g.state->columns, 0, 0);
  ComputeHeights(*g.state);
}

}  // namespace

bool SaveDataFile() {
  Plugin& g = G();
  if (!g.state || !g.image) return false;
  Save(*g.state, *g.image);
  return WriteDataFile(*g.image);
}

std::u16string ShellDisplayName(std::u16string_view path) {
  SHFILEINFOW info = {};
  std::wstring wide = Wide(path);
  if (SHGetFileInfoW(wide.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) && info.szDisplayName[0])
    return U16(info.szDisplayName);
  return NameFromPath(path);
}

}  // namespace glancet

using namespace glancet;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    AttachInit(instance);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    // Unloaded while the process goes on (the Today screen reloads its items): free the content.
    Plugin& g = G();
    ReleaseDrawingCache();
    delete g.state;
    delete g.image;
    g = Plugin{};
  }
  return TRUE;
}

extern "C" HWND APIENTRY InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
  Plugin& g = G();
  if (!item || !item->fEnabled) return nullptr;
  if (!g.state || !g.image) return nullptr;  // out of memory at attach
  if (item->hinstDLL) g.instance = item->hinstDLL;
  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = ItemProc;
  wc.hInstance = g.instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);  // already registered by an earlier item: fine
  HWND hwnd = CreateWindowExW(0, kClassName, kWindowTitle, WS_CHILD | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                              parent, nullptr, g.instance, nullptr);
  if (!hwnd) return nullptr;
  g.window = hwnd;
  g.reportedHeight = 0;
  UpdateWindow(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

// The Today screen's options-dialog slot: names the selected tab of the current page.
extern "C" BOOL APIENTRY CustomItemOptionsDlgProc(HWND dialog, UINT msg, UINT wParam, LONG lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      SHINITDLGINFO info = {};
      info.dwMask = SHIDIM_FLAGS;
      info.hDlg = dialog;
      info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
      SHInitDialog(&info);
      SetWindowTextW(dialog, L"new name");
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          EndDialog(dialog, 1);
          return TRUE;
        case 1001: {
          Plugin& g = G();
          wchar_t name[kNameChars] = {};
          GetDlgItemTextW(dialog, 1000, name, kNameChars);
          if (g.state) {
            int first = g.state->FirstTabOfPage();
            for (int t = first; t < first + g.state->tabsOnPage && t < g.state->tabCount; ++t)
              if (g.state->tabs[t].selected) SetField(g.state->tabs[t].name, U16(name));
          }
          EndDialog(dialog, 1001);
          return TRUE;
        }
      }
      return FALSE;
  }
  // The dialog manager does the default handling; a dialog procedure that also ran the window
  // default would handle those messages twice.
  (void)lParam;
  return FALSE;
}

// Vorrel's frame: the resource module, the main window, the property sheet of seven pages with
// their header, template variants, Tools popups and commands.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <iterator>

#include "dialogs/dialogs.h"
#include "platform/include/aygshell.h"
#include "procmanager/resource.h"
#include "procmanager/vorrel.h"

namespace vorrel {
namespace dialogs = quintar::dialogs;

AppState g_app;

namespace {

constexpr UINT kRunSheetMessage = WM_USER + 100;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 6000;

struct PageInfo {
  const wchar_t* base;
  const wchar_t* title;
};
constexpr PageInfo kPages[kPageCount] = {{L"IDD_MAIN", L"Main"},        {L"IDD_SD", L"SD Card"},
                                         {L"IDD_PROGRAM", L"Programs"}, {L"IDD_PROCESS", L"Processes"},
                                         {L"IDD_ACTIONS", L"Actions"},  {L"IDD_OTHER", L"OtherSoftware"},
                                         {L"IDD_ABOUT", L"About"}};

// Each page keeps the names of its three variants, which must outlive the sheet's use of them.
struct PageTemplates {
  std::wstring square, portrait, landscape;
};
PageTemplates g_templates[kPageCount];

bool HasDialog(const std::wstring& name) {
  return FindResourceW(g_app.resources, name.c_str(), reinterpret_cast<LPCWSTR>(RT_DIALOG)) != nullptr;
}

dialogs::TemplateSet TemplatesOf(const std::wstring& base, PageTemplates& keep) {
  keep.portrait = base + L"_P";
  keep.landscape = base + L"_L";
  keep.square = base + L"_S";
  if (!HasDialog(keep.square)) keep.square = keep.portrait;
  return dialogs::TemplateSet{keep.square.c_str(), keep.portrait.c_str(), keep.landscape.c_str()};
}

Page PageOf(HWND page) { return static_cast<Page>(GetWindowLongPtrW(page, GWLP_USERDATA)); }

// ---- The page header ---------------------------------------------------------------------------

int HeaderHeight() { return dialogs::ScreenScale() > 1 ? 52 : 26; }

void DrawBitmap(HDC dc, int id, int x, int y) {
  HBITMAP bitmap =
      static_cast<HBITMAP>(LoadImageW(g_app.resources, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (!bitmap) return;
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  if (HDC memory = CreateCompatibleDC(dc)) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, x, y - info.bmHeight / 2, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  DeleteObject(bitmap);
}

int BitmapWidth(int id) {
  HBITMAP bitmap =
      static_cast<HBITMAP>(LoadImageW(g_app.resources, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (!bitmap) return 0;
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  DeleteObject(bitmap);
  return info.bmWidth;
}

void PaintHeader(HWND page, HDC dc) {
  RECT client;
  GetClientRect(page, &client);
  const bool high = dialogs::ScreenScale() > 1;
  const int band = HeaderHeight();
  RECT area{0, 0, client.right, band};
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  dialogs::PaintHorizontalLine(dc, 0, client.right, band - 1);

  const int help = high ? IDB_HELP_HI : IDB_HELP;
  const int helpWidth = BitmapWidth(help);
  const int margin = high ? 6 : 3;
  DrawBitmap(dc, help, client.right - helpWidth - margin, band / 2);
  const int logo = high ? IDB_ALHEADER_HI : IDB_ALHEADER;
  DrawBitmap(dc, logo, client.right - helpWidth - BitmapWidth(logo) - 2 * margin, band / 2);

  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  HFONT font = CreateFontW(-MulDiv(dpi, 8, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  RECT text{5, 0, client.right - helpWidth - 2 * margin, band - 1};
  DrawTextW(dc, kPages[PageOf(page)].title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
}

// The templates are drawn for the narrowest page of each shape; on a wider page (a denser screen
// whose font does not scale exactly) the controls are spread across the page's width.
void SpreadToWidth(HWND page) {
  auto bytes = dialogs::FindDialogTemplate(g_app.resources, TemplateName(kPages[PageOf(page)].base).c_str());
  auto layout = dialogs::ParseDialogTemplate(bytes);
  if (!layout || layout->cx <= 0) return;
  RECT units{0, 0, layout->cx, 0};
  MapDialogRect(page, &units);
  RECT client;
  GetClientRect(page, &client);
  if (units.right <= 0 || client.right * 100 < units.right * 102) return;
  const double k = static_cast<double>(client.right) / units.right;
  HDWP batch = BeginDeferWindowPos(16);
  for (HWND child = GetWindow(page, GW_CHILD); child && batch; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    const bool icon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    int x = static_cast<int>(r.left * k + 0.5);
    int width = icon ? r.right - r.left : static_cast<int>(r.right * k + 0.5) - x;
    batch = DeferWindowPos(batch, child, nullptr, x, r.top, width, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch) EndDeferWindowPos(batch);
}

// ---- The sheet's layout on this desktop: tabs along the bottom, the page above them ----------------

void PlacePage(HWND sheet, HWND page) {
  HWND tab = PropSheet_GetTabControl(sheet);
  if (!tab || !page) return;
  RECT area;
  GetWindowRect(tab, &area);
  MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayoutSheet(HWND sheet) {
  for (int id : {IDOK, IDCANCEL, IDHELP, 0x3021 /* Apply */}) {
    if (HWND button = GetDlgItem(sheet, id)) ShowWindow(button, SW_HIDE);
  }
  HWND tab = PropSheet_GetTabControl(sheet);
  if (!tab) return;
  LONG style = GetWindowLongW(tab, GWL_STYLE);
  // One row of tabs along the bottom, as on the device; the row scrolls.
  LONG wanted = (style | TCS_BOTTOM) & ~TCS_MULTILINE;
  if (wanted != style) SetWindowLongW(tab, GWL_STYLE, wanted);
  RECT client;
  GetClientRect(sheet, &client);
  SetWindowPos(tab, HWND_BOTTOM, 0, 0, client.right, client.bottom, SWP_NOACTIVATE);
  for (int i = 0; i < kPageCount; ++i) {
    if (HWND page = PropSheet_IndexToHwnd(sheet, i)) PlacePage(sheet, page);
  }
}

LRESULT CALLBACK SheetSubclass(HWND sheet, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == WM_SIZE) {
    LRESULT result = DefSubclassProc(sheet, msg, wParam, lParam);
    LayoutSheet(sheet);
    return result;
  }
  if (msg == WM_DISPLAYCHANGE) {
    // A new screen shape: the sheet fills the new screen, and each page, on its WM_SIZE, takes
    // the template variant of the new shape.
    SHINITDLGINFO info{SHIDIM_FLAGS, sheet, SHIDIF_SIZEDLGFULLSCREEN};
    SHInitDialog(&info);
  }
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(sheet, SheetSubclass, 1);
    if (g_app.sheet == sheet) g_app.sheet = nullptr;
  }
  return DefSubclassProc(sheet, msg, wParam, lParam);
}

int CALLBACK SheetCallback(HWND sheet, UINT msg, LPARAM) {
  if (msg == PSCB_INITIALIZED && sheet) {
    g_app.sheet = sheet;
    SetWindowSubclass(sheet, SheetSubclass, 1, 0);
    SHINITDLGINFO info{SHIDIM_FLAGS, sheet, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_EMPTYMENU};
    SHInitDialog(&info);
    LayoutSheet(sheet);
  }
  return 0;
}

// Ctrl+Q inside the sheet's own modal loop, which translates no accelerators: every message the
// thread takes passes here first, and one the table turns into a command is dropped.
HHOOK g_messageHook = nullptr;
LRESULT CALLBACK MessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && g_app.sheet && g_app.accelerators) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
        (msg->hwnd == g_app.sheet || IsChild(g_app.sheet, msg->hwnd)) &&
        TranslateAcceleratorW(g_app.sheet, g_app.accelerators, msg))
      msg->message = WM_NULL;
  }
  return CallNextHookEx(g_messageHook, code, wParam, lParam);
}

// ---- Pages -------------------------------------------------------------------------------------

void InitPage(HWND page, Page which) {
  SetWindowLongPtrW(page, GWLP_USERDATA, which);
  SHINITDLGINFO info{SHIDIM_FLAGS, page, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
  SHInitDialog(&info);
  PageTemplates names;  // copied by the re-layout; the sheet's own stay untouched
  dialogs::AttachRelayout(page, g_app.resources, TemplatesOf(kPages[which].base, names));
  switch (which) {
    case kMainPage:
      FillMainPage(page);
      SetTimer(page, kRefreshTimer, kRefreshMs, nullptr);
      break;
    case kCardPage:
      FillCardPage(page);
      SetTimer(page, kRefreshTimer, kRefreshMs, nullptr);
      break;
    case kProgramsPage:
      g_app.programsList = GetDlgItem(page, IDC_LIST);
      SetupProgramsList(g_app.programsList);
      FillProgramsList();
      break;
    case kProcessesPage:
      g_app.processesList = GetDlgItem(page, IDC_LIST);
      SetupProcessesList(g_app.processesList);
      FillProcessesList();
      break;
    default:
      break;
  }
}

void OpenPopup(HWND page) {
  HMENU popup = PopupFor(PageOf(page));
  if (!popup) return;
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  UINT command = TrackPopupMenu(popup, TPM_CENTERALIGN | TPM_BOTTOMALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                (work.left + work.right) / 2, work.bottom, 0, page, nullptr);
  if (command) PageCommand(page, PageOf(page), command);
}

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    switch (msg) {
      case WM_INITDIALOG: {
        auto* sheetPage = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
        InitPage(page, static_cast<Page>(sheetPage->lParam));
        return TRUE;
      }
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(page, &ps);
        PaintHeader(page, dc);
        EndPaint(page, &ps);
        return TRUE;
      }
      case WM_SIZE:
        SpreadToWidth(page);
        if (PageOf(page) == kProgramsPage) SizeListColumns(GetDlgItem(page, IDC_LIST), false);
        if (PageOf(page) == kProcessesPage) SizeListColumns(GetDlgItem(page, IDC_LIST), true);
        InvalidateRect(page, nullptr, TRUE);
        return FALSE;
      case WM_TIMER:
        if (wParam == kRefreshTimer) {
          if (PageOf(page) == kMainPage) FillMainPage(page);
          if (PageOf(page) == kCardPage) FillCardPage(page);
          return TRUE;
        }
        return FALSE;
      case WM_LBUTTONDOWN: {
        // The header belongs to the help bitmap, whose help file is empty: it starts nothing.
        if (static_cast<short>(HIWORD(lParam)) >= HeaderHeight()) OpenPopup(page);
        return TRUE;
      }
      case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 0 || HIWORD(wParam) == 1) {
          PageCommand(page, PageOf(page), LOWORD(wParam));
          return TRUE;
        }
        return FALSE;
      case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == PSN_SETACTIVE) {
          PlacePage(GetParent(page), page);
          SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
          return TRUE;
        }
        return FALSE;
      }
      case WM_DESTROY:
        KillTimer(page, kRefreshTimer);
        if (PageOf(page) == kProgramsPage) g_app.programsList = nullptr, g_app.programsCount = 0;
        if (PageOf(page) == kProcessesPage) g_app.processesList = nullptr, g_app.processesCount = 0;
        return FALSE;
      default:
        return FALSE;
    }
  } catch (...) {
    return FALSE;
  }
}

// ---- The main window ---------------------------------------------------------------------------

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    switch (msg) {
      case WM_CREATE:
        g_app.main = hwnd;
        InitResources(g_app.exe);
        return 0;
      case kRunSheetMessage:
        if (RunSheet(hwnd, false) < 0) {
          Report(hwnd, L"Property Sheet failed.", L"Status", MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
        }
        DestroyWindow(hwnd);
        return 0;
      case WM_COMMAND:
        if (LOWORD(wParam) == IDC_END_SHEET || LOWORD(wParam) == IDM_EXIT) {
          if (g_app.sheet) PostMessageW(g_app.sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
          return 0;
        }
        break;
      case WM_DESTROY:
        ReleaseResources();
        g_app.main = nullptr;
        PostQuitMessage(0);
        return 0;
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

// ---- Resources ---------------------------------------------------------------------------------

void InitResources(HINSTANCE exe) {
  if (g_app.resources) return;
  g_app.exe = exe;
  g_app.resources = exe;
  wchar_t path[MAX_PATH + 8] = {};
  DWORD length = GetModuleFileNameW(exe, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    std::wstring library(path, length);
    size_t dot = library.find_last_of(L'.');
    size_t slash = library.find_last_of(L"\\/");
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) library.resize(dot);
    library += L"Res.dll";
    // Only its resources are used, so no code of it runs.
    g_app.resourceLibrary =
        LoadLibraryExW(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    // A library without the pages (another program's, or a broken one) is not used.
    if (g_app.resourceLibrary &&
        !FindResourceW(g_app.resourceLibrary, L"IDD_MAIN_P", reinterpret_cast<LPCWSTR>(RT_DIALOG))) {
      FreeLibrary(g_app.resourceLibrary);
      g_app.resourceLibrary = nullptr;
    }
    if (g_app.resourceLibrary) g_app.resources = reinterpret_cast<HINSTANCE>(g_app.resourceLibrary);
  }
  const int ids[3] = {IDR_PROGRAMS_MENU, IDR_PROCESSES_MENU, IDR_TOOLS_MENU};
  HMENU* popups[3] = {&g_app.programsPopup, &g_app.processesPopup, &g_app.toolsPopup};
  for (int i = 0; i < 3; ++i) {
    g_app.menus[i] = LoadMenuW(g_app.resources, MAKEINTRESOURCEW(ids[i]));
    *popups[i] = g_app.menus[i] ? GetSubMenu(g_app.menus[i], 0) : nullptr;
  }
  g_app.accelerators = LoadAcceleratorsW(g_app.resources, MAKEINTRESOURCEW(IDR_ACCELERATORS));
}

void ReleaseResources() {
  for (HMENU& menu : g_app.menus) {
    if (menu) DestroyMenu(menu);
    menu = nullptr;
  }
  g_app.programsPopup = g_app.processesPopup = g_app.toolsPopup = nullptr;
  if (g_app.accelerators) DestroyAcceleratorTable(g_app.accelerators);
  g_app.accelerators = nullptr;
  if (g_app.resourceLibrary) FreeLibrary(g_app.resourceLibrary);
  g_app.resourceLibrary = nullptr;
  g_app.resources = nullptr;
}

std::wstring LoadResString(UINT id, const wchar_t* fallback) {
  wchar_t buffer[128] = {};
  int n = LoadStringW(g_app.resources, id, buffer, static_cast<int>(std::size(buffer)));
  return n > 0 ? std::wstring(buffer, n) : std::wstring(fallback);
}

std::wstring TemplateName(const wchar_t* base) {
  PageTemplates keep;
  dialogs::TemplateSet set = TemplatesOf(base, keep);
  return set.For(dialogs::CurrentScreenShape());
}

int Report(HWND owner, const std::wstring& text, const wchar_t* caption, UINT style) {
  return MessageBoxW(owner && IsWindow(owner) ? owner : g_app.sheet, text.c_str(), caption, style);
}

void RaiseVorrel() {
  HWND front = g_app.sheet ? g_app.sheet : g_app.main;
  if (!front) return;
  ShowWindow(front, SW_SHOW);
  SetForegroundWindow(front);
}

INT_PTR ShowNamedDialog(HWND owner, const wchar_t* base, DLGPROC proc) {
  std::wstring name = TemplateName(base);
  PageTemplates keep;
  INT_PTR result = dialogs::DialogBoxForShape(g_app.resources, TemplatesOf(base, keep), owner, proc);
  if (result == -1) {
    DWORD error = GetLastError();
    wchar_t text[256];
    swprintf(text, 256, L"Attempted to open dialog resource %ls, but failed with error %d.", name.c_str(),
             static_cast<int>(error));
    Report(owner, text, L"ScktDialgoBox()", MB_OK | MB_ICONSTOP | MB_TOPMOST);
  }
  return result;
}

HMENU PopupFor(Page which) {
  if (which == kProgramsPage) return g_app.programsPopup;
  if (which == kProcessesPage) return g_app.processesPopup;
  return g_app.toolsPopup;
}

void PageCommand(HWND page, Page which, UINT command) {
  const bool programs = which == kProgramsPage, processes = which == kProcessesPage;
  switch (command) {
    case IDM_REFRESH:
      if (programs) FillProgramsList();
      if (processes) FillProcessesList();
      break;
    case IDC_ACTIVATE:  // the Programs page's button; the Main page's 1003 is a label
    case IDM_ACTIVATE:
      if (programs) ActivateProgram();
      break;
    case IDC_STOP:  // 1069: Stop on the list pages, Shutdown on the Actions page
    case IDM_STOP:
      if (programs)
        StopProgram();
      else if (processes)
        StopProcess(page);
      else if (which == kActionsPage && command == IDC_SHUTDOWN)
        Shutdown();
      break;
    case IDC_STOP_ALL:
    case IDM_STOP_ALL:
      if (programs) StopAllPrograms();
      break;
    case IDM_DETAILS:
      if (programs) ProgramDetails(page);
      if (processes) ProcessDetails(page);
      break;
    case IDC_PROCESS_DETAILS:
      if (processes) ProcessDetails(page);
      break;
    case IDM_SHOW_ALL:
      if (processes) ToggleShowAllProcesses();
      break;
    case IDM_RELEASE_MEMORY:
      if (programs || processes) ReleaseMemory(page, programs);
      break;
    case IDC_SCREEN_OFF:
    case IDM_SCREEN_OFF:
      TurnScreenOff(page);
      break;
    case IDM_SHUTDOWN:
      Shutdown();
      break;
    case IDC_SOFT_RESET:
    case IDM_SOFT_RESET:
      if (command == IDM_SOFT_RESET || which == kActionsPage) SoftReset();
      break;
    case IDC_HARD_RESET:
      if (which == kActionsPage) HardReset(page);
      break;
    case IDM_HELP:
      ShowHelp(page);
      break;
    case IDM_EXIT:
      if (g_app.sheet) PostMessageW(g_app.sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      break;
    default:
      break;
  }
}

INT_PTR RunSheet(HWND owner, bool modeless) {
  PROPSHEETPAGEW pages[kPageCount] = {};
  for (int i = 0; i < kPageCount; ++i) {
    PageTemplates& keep = g_templates[i];
    dialogs::TemplateSet set = TemplatesOf(kPages[i].base, keep);
    pages[i].dwSize = sizeof pages[i];
    pages[i].dwFlags = PSP_USETITLE;
    pages[i].hInstance = g_app.resources;
    pages[i].pszTemplate = set.For(dialogs::CurrentScreenShape());
    pages[i].pfnDlgProc = PageProc;
    pages[i].pszTitle = kPages[i].title;
    pages[i].lParam = i;
  }
  std::wstring title = LoadResString(IDS_TITLE, L"Vorrel");
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  // Maximised by the full-screen set-up of the callback and the pages.
  header.dwFlags =
      PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | (modeless ? PSH_MODELESS : 0);
  header.hwndParent = owner;
  header.hInstance = g_app.resources;
  header.pszCaption = title.c_str();
  header.nPages = kPageCount;
  header.ppsp = pages;
  header.pfnCallback = SheetCallback;
  if (modeless) return PropertySheetW(&header);
  g_messageHook = SetWindowsHookExW(WH_GETMESSAGE, MessageHook, nullptr, GetCurrentThreadId());
  INT_PTR result = PropertySheetW(&header);
  if (g_messageHook) UnhookWindowsHookEx(g_messageHook);
  g_messageHook = nullptr;
  g_app.sheet = nullptr;
  return result;
}

HWND PageWindow(Page page) { return g_app.sheet ? PropSheet_IndexToHwnd(g_app.sheet, page) : nullptr; }

HWND CreateMainWindow() {
  std::wstring cls = LoadResString(IDS_CLASS, L"VORREL");
  std::wstring title = LoadResString(IDS_TITLE, L"Vorrel");
  WNDCLASSW wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = g_app.exe;
  wc.hIcon = LoadIconW(g_app.resources, MAKEINTRESOURCEW(IDI_VORREL));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = cls.c_str();
  if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  // Visible but without area: the sheet it owns is what the user sees.
  return CreateWindowExW(0, cls.c_str(), title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, nullptr, nullptr, g_app.exe,
                         nullptr);
}

int RunProgram(HINSTANCE exe) {
  InitResources(exe);
  std::wstring cls = LoadResString(IDS_CLASS, L"VORREL");
  std::wstring title = LoadResString(IDS_TITLE, L"Vorrel");
  // The mutex closes the gap between two starts that both find no window yet.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Vorrel Instance");
  bool another = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
  HWND running = FindWindowW(cls.c_str(), title.c_str());
  for (int i = 0; another && !running && i < 50; ++i) {
    Sleep(100);
    running = FindWindowW(cls.c_str(), title.c_str());
  }
  if (running) {
    if (mutex) CloseHandle(mutex);
    ReleaseResources();
    HWND front = GetLastActivePopup(running);
    SetForegroundWindow(front ? front : running);
    return 0;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  int code = 1;
  if (HWND main = CreateMainWindow()) {
    PostMessageW(main, kRunSheetMessage, 0, 0);
    MSG msg;
    while (g_app.main && GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    code = 0;
  }
  ReleaseResources();
  if (mutex) CloseHandle(mutex);
  return code;
}

}  // namespace vorrel

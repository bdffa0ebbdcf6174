// Vorrel's frame: the resource module, the main window, the property sheet of seven pages with
// their template variants and Tools popups, and the program's run.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <aygshell.h>

#include <cstdio>
#include <iterator>
#include <utility>

#include "dialogs/dialogs.h"
#include "procmanager/resource.h"
#include "procmanager/vorrel.h"
#include "win32/shell.h"

namespace quintar::vorrel {

namespace {

// The frame whose modal sheet is running on this thread: the message hook has no context of its
// own. Set and cleared by the modal run itself.
thread_local Frame* t_modalFrame = nullptr;

}  // namespace

// ---- Resources ---------------------------------------------------------------------------------

Resources::Resources(HINSTANCE exe) : exe_(exe), module_(exe) {
  wchar_t path[MAX_PATH + 8] = {};
  DWORD length = GetModuleFileNameW(exe, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    std::wstring library(path, length);
    size_t dot = library.find_last_of(L'.');
    size_t slash = library.find_last_of(L"\\/");
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) library.resize(dot);
    library += L"Res.dll";
    // Only its resources are used, so no code of it runs.
    library_.reset(LoadLibraryExW(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    // A library without the pages (another program's, or a broken one) is not used.
    if (library_ && !FindResourceW(library_.get(), L"IDD_MAIN_P", reinterpret_cast<LPCWSTR>(RT_DIALOG))) {
      library_.reset();
    }
    if (library_) module_ = reinterpret_cast<HINSTANCE>(library_.get());
  }
  const int ids[3] = {IDR_PROGRAMS_MENU, IDR_PROCESSES_MENU, IDR_TOOLS_MENU};
  for (int i = 0; i < 3; ++i) {
    menus_[i].reset(LoadMenuW(module_, MAKEINTRESOURCEW(ids[i])));
    popups_[i] = menus_[i] ? GetSubMenu(menus_[i].get(), 0) : nullptr;
  }
  accelerators_ = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDR_ACCELERATORS));
}

Resources::~Resources() {
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

HMENU Resources::PopupFor(Page which) const noexcept {
  if (which == kProgramsPage) return programsPopup();
  if (which == kProcessesPage) return processesPopup();
  return toolsPopup();
}

std::wstring Resources::String(UINT id, const wchar_t* fallback) const {
  wchar_t buffer[128] = {};
  int n = LoadStringW(module_, id, buffer, static_cast<int>(std::size(buffer)));
  return n > 0 ? std::wstring(buffer, n) : std::wstring(fallback);
}

bool Resources::HasDialog(const std::wstring& name) const {
  return FindResourceW(module_, name.c_str(), reinterpret_cast<LPCWSTR>(RT_DIALOG)) != nullptr;
}

dialogs::TemplateSet Resources::Templates(const std::wstring& base, TemplateNames& keep) const {
  keep.portrait = base + L"_P";
  keep.landscape = base + L"_L";
  keep.square = base + L"_S";
  if (!HasDialog(keep.square)) keep.square = keep.portrait;
  return dialogs::TemplateSet{keep.square.c_str(), keep.portrait.c_str(), keep.landscape.c_str()};
}

std::wstring Resources::TemplateName(const wchar_t* base) const {
  TemplateNames keep;
  return Templates(base, keep).For(dialogs::CurrentScreenShape());
}

// The sheet's layout on this desktop: tabs along the bottom, the page above them.
void Frame::LayoutSheet() { dialogs::LayoutDeviceSheet(sheet_); }

LRESULT CALLBACK Frame::SheetSubclass(HWND sheet, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto* frame = reinterpret_cast<Frame*>(self);
  if (msg == WM_SIZE) {
    LRESULT result = DefSubclassProc(sheet, msg, wParam, lParam);
    if (frame->sheet_ == sheet) frame->LayoutSheet();
    return result;
  }
  if (msg == WM_DISPLAYCHANGE) {
    // A new screen shape: the sheet fills the new screen, and each page, on its WM_SIZE, takes
    // the template variant of the new shape.
    win32::InitFullScreenDialog(sheet, SHIDIF_SIZEDLGFULLSCREEN);
  }
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(sheet, SheetSubclass, 1);
    if (frame->sheet_ == sheet) frame->sheet_ = nullptr;
  }
  return DefSubclassProc(sheet, msg, wParam, lParam);
}

int CALLBACK Frame::SheetCallback(HWND sheet, UINT msg, LPARAM) {
  if (msg != PSCB_INITIALIZED || !sheet) return 0;
  // The sheet's owner is the frame, which keeps itself with its window.
  HWND owner = GetWindow(sheet, GW_OWNER);
  auto* frame = owner ? reinterpret_cast<Frame*>(GetWindowLongPtrW(owner, GWLP_USERDATA)) : nullptr;
  if (!frame || frame->hwnd() != owner) return 0;
  frame->sheet_ = sheet;
  SetWindowSubclass(sheet, SheetSubclass, 1, reinterpret_cast<DWORD_PTR>(frame));
  win32::InitFullScreenDialog(sheet, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_EMPTYMENU);
  frame->LayoutSheet();
  return 0;
}

// Ctrl+Q inside the sheet's own modal loop, which translates no accelerators: every message the
// thread takes passes here first, and one the table turns into a command is dropped.
LRESULT CALLBACK Frame::MessageHook(int code, WPARAM wParam, LPARAM lParam) {
  Frame* frame = t_modalFrame;
  if (code == HC_ACTION && wParam == PM_REMOVE && frame && frame->sheet_ && frame->resources_.accelerators()) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    HWND sheet = frame->sheet_;
    if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
        (msg->hwnd == sheet || IsChild(sheet, msg->hwnd)) &&
        TranslateAcceleratorW(sheet, frame->resources_.accelerators(), msg))
      msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- The frame ---------------------------------------------------------------------------------

Frame::Frame(HINSTANCE exe) : resources_(exe) {
  for (int i = 0; i < kPageCount; ++i) pages_[i].Bind(*this, static_cast<Page>(i));
}

Frame::~Frame() {
  if (sheet_ && IsWindow(sheet_)) DestroyWindow(sheet_);
  if (hwnd()) DestroyWindow(hwnd());
}

std::span<const win32::MessageEntry<Frame>> Frame::Messages() {
  static constexpr win32::MessageEntry<Frame> kMessages[] = {win32::On<&Frame::OnRunSheet>(MSG_RUN_SHEET),
                                                             win32::On<&Frame::OnDestroy>(WM_DESTROY)};
  return kMessages;
}

std::span<const win32::CommandEntry<Frame>> Frame::Commands() {
  static constexpr win32::CommandEntry<Frame> kCommands[] = {win32::Command<&Frame::EndSheet>(IDC_END_SHEET),
                                                             win32::Command<&Frame::EndSheet>(IDM_EXIT)};
  return kCommands;
}

LRESULT Frame::OnRunSheet(WPARAM, LPARAM) {
  if (RunSheet(false) < 0)
    Report(hwnd(), L"Property Sheet failed.", L"Status", MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
  DestroyWindow(hwnd());
  return 0;
}

LRESULT Frame::OnDestroy(WPARAM, LPARAM) {
  PostQuitMessage(0);
  return 0;
}

void Frame::EndSheet() {
  if (sheet_) PostMessageW(sheet_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

int Frame::Report(HWND owner, const std::wstring& text, const wchar_t* caption, UINT style) {
  return win32::ShowMessage(owner && IsWindow(owner) ? owner : sheet_, text, caption, style);
}

void Frame::Raise() {
  HWND front = sheet_ ? sheet_ : hwnd();
  if (!front) return;
  ShowWindow(front, SW_SHOW);
  SetForegroundWindow(front);
}

INT_PTR Frame::ShowNamedDialog(HWND owner, const wchar_t* base, DLGPROC proc, LPARAM param) {
  std::wstring name = resources_.TemplateName(base);
  TemplateNames keep;
  INT_PTR result =
      dialogs::DialogBoxForShape(resources_.module(), resources_.Templates(base, keep), owner, proc, param);
  if (result == -1) {
    DWORD error = GetLastError();
    wchar_t text[256];
    swprintf(text, 256, L"Attempted to open dialog resource %ls, but failed with error %d.", name.c_str(),
             static_cast<int>(error));
    Report(owner, text, L"ScktDialgoBox()", MB_OK | MB_ICONSTOP | MB_TOPMOST);
  }
  return result;
}

INT_PTR Frame::RunSheet(bool modeless) {
  PROPSHEETPAGEW pages[kPageCount] = {};
  for (int i = 0; i < kPageCount; ++i) {
    dialogs::TemplateSet set = resources_.Templates(kPages[i].base, templates_[i]);
    pages[i].dwSize = sizeof pages[i];
    pages[i].dwFlags = PSP_USETITLE;
    pages[i].hInstance = resources_.module();
    pages[i].pszTemplate = set.For(dialogs::CurrentScreenShape());
    pages[i].pfnDlgProc = &PageDialog::PageProc;
    pages[i].pszTitle = kPages[i].title;
    pages[i].lParam = pages_[i].Param();
  }
  std::wstring title = resources_.String(IDS_TITLE, L"Vorrel");
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  // Maximised by the full-screen set-up of the callback and the pages.
  header.dwFlags =
      PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | (modeless ? PSH_MODELESS : 0);
  header.hwndParent = hwnd();
  header.hInstance = resources_.module();
  header.pszCaption = title.c_str();
  header.nPages = kPageCount;
  header.ppsp = pages;
  header.pfnCallback = &Frame::SheetCallback;
  if (modeless) return PropertySheetW(&header);
  Frame* outer = std::exchange(t_modalFrame, this);
  hook_ = SetWindowsHookExW(WH_GETMESSAGE, &Frame::MessageHook, nullptr, GetCurrentThreadId());
  INT_PTR result = PropertySheetW(&header);
  if (hook_) UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  t_modalFrame = outer;
  sheet_ = nullptr;
  return result;
}

HWND Frame::PageWindow(Page page) const { return sheet_ ? PropSheet_IndexToHwnd(sheet_, page) : nullptr; }

HWND Frame::Create() {
  std::wstring cls = resources_.String(IDS_CLASS, L"VORREL");
  std::wstring title = resources_.String(IDS_TITLE, L"Vorrel");
  WNDCLASSW wc{};
  wc.hInstance = resources_.exe();
  wc.hIcon = LoadIconW(resources_.module(), MAKEINTRESOURCEW(IDI_VORREL));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = cls.c_str();
  if (!RegisterClass(wc)) return nullptr;
  // Visible but without area: the sheet it owns is what the user sees.
  return Window::Create(0, cls.c_str(), title.c_str(), WS_POPUP | WS_VISIBLE, RECT{}, nullptr, resources_.exe());
}

int RunProgram(HINSTANCE exe) {
  Frame frame(exe);
  std::wstring cls = frame.resources().String(IDS_CLASS, L"VORREL");
  std::wstring title = frame.resources().String(IDS_TITLE, L"Vorrel");
  win32::SingleInstance single(L"Vorrel Instance");
  if (HWND running = single.FindRunning(cls.c_str(), title.c_str())) {
    win32::BringToFront(running);
    return 0;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  if (!frame.Create()) return 1;
  PostMessageW(frame.hwnd(), MSG_RUN_SHEET, 0, 0);
  MSG msg;
  while (frame.hwnd() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace quintar::vorrel

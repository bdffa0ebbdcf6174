// The sheet's pages: their header, the spread of their controls on a wider page, the refresh of
// the status pages, the Tools popups and the commands of their buttons and popups.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <aygshell.h>

#include "dialogs/dialogs.h"
#include "procmanager/resource.h"
#include "procmanager/vorrel.h"
#include "suitemenu/suitemenu.h"
#include "win32/handle.h"
#include "win32/shell.h"

namespace quintar::vorrel {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 6000;

int HeaderHeight() { return dialogs::ScreenScale() > 1 ? 52 : 26; }

win32::Bitmap LoadBitmapOf(HINSTANCE module, int id) {
  return win32::Bitmap(
      static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

void DrawBitmap(HINSTANCE module, HDC dc, int id, int x, int y) {
  win32::Bitmap bitmap = LoadBitmapOf(module, id);
  if (!bitmap) return;
  BITMAP info{};
  GetObjectW(bitmap.get(), sizeof info, &info);
  if (win32::MemoryDc memory{CreateCompatibleDC(dc)}) {
    win32::Selection selected(memory.get(), bitmap.get());
    BitBlt(dc, x, y - info.bmHeight / 2, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
  }
}

int BitmapWidth(HINSTANCE module, int id) {
  win32::Bitmap bitmap = LoadBitmapOf(module, id);
  if (!bitmap) return 0;
  BITMAP info{};
  GetObjectW(bitmap.get(), sizeof info, &info);
  return info.bmWidth;
}

}  // namespace

std::span<const win32::DialogMessageEntry<PageDialog>> PageDialog::Messages() {
  using P = PageDialog;
  static constexpr win32::DialogMessageEntry<PageDialog> kMessages[] = {win32::On<&P::OnInitDialog>(WM_INITDIALOG),
                                                                        win32::On<&P::OnPaint>(WM_PAINT),
                                                                        win32::On<&P::OnSize>(WM_SIZE),
                                                                        win32::On<&P::OnTimer>(WM_TIMER),
                                                                        win32::On<&P::OnLButtonDown>(WM_LBUTTONDOWN),
                                                                        win32::On<&P::OnNotify>(WM_NOTIFY),
                                                                        win32::On<&P::OnDestroy>(WM_DESTROY)};
  return kMessages;
}

// One identifier each; the page decides what it does there. IDC_STOP is also the Actions page's
// Shutdown button.
std::span<const win32::CommandEntry<PageDialog>> PageDialog::Commands() {
  using P = PageDialog;
  using win32::Command;
  static constexpr win32::CommandEntry<PageDialog> kCommands[] = {
      Command<&P::Clicked<&P::Refresh>, &P::OnListPage>(IDM_REFRESH),
      Command<&P::Clicked<&P::Activate>, &P::OnPrograms>(IDC_ACTIVATE),
      Command<&P::Clicked<&P::Activate>, &P::OnPrograms>(IDM_ACTIVATE),
      Command<&P::Clicked<&P::Stop>>(IDC_STOP),
      Command<&P::Clicked<&P::Stop>, &P::OnListPage>(IDM_STOP),
      Command<&P::Clicked<&P::StopAll>, &P::OnPrograms>(IDC_STOP_ALL),
      Command<&P::Clicked<&P::StopAll>, &P::OnPrograms>(IDM_STOP_ALL),
      Command<&P::Clicked<&P::Details>, &P::OnListPage>(IDM_DETAILS),
      Command<&P::Clicked<&P::Details>, &P::OnProcesses>(IDC_PROCESS_DETAILS),
      Command<&P::Clicked<&P::ShowAll>, &P::OnProcesses>(IDM_SHOW_ALL),
      Command<&P::Clicked<&P::ReleaseMemory>, &P::OnListPage>(IDM_RELEASE_MEMORY),
      Command<&P::Clicked<&P::ScreenOff>>(IDC_SCREEN_OFF),
      Command<&P::Clicked<&P::ScreenOff>>(IDM_SCREEN_OFF),
      Command<&P::Clicked<&P::ShutdownNow>>(IDM_SHUTDOWN),
      Command<&P::Clicked<&P::SoftResetNow>, &P::OnActions>(IDC_SOFT_RESET),
      Command<&P::Clicked<&P::SoftResetNow>>(IDM_SOFT_RESET),
      Command<&P::Clicked<&P::HardReset>, &P::OnActions>(IDC_HARD_RESET),
      Command<&P::Clicked<&P::Help>>(IDM_HELP),
      Command<&P::Clicked<&P::Exit>>(IDM_EXIT),
      Command<&P::Clicked<&P::OtherSoftware>, &P::OnOther>(IDC_OTHER_FOLDERON),
      Command<&P::Clicked<&P::OtherSoftware>, &P::OnOther>(IDC_OTHER_PELLVANE),
      Command<&P::Clicked<&P::OtherSoftware>, &P::OnOther>(IDC_OTHER_REGEDIT),
  };
  return kCommands;
}

template <void (PageDialog::*Run)(int)>
void PageDialog::Clicked(int id, int code) {
  if (code == BN_CLICKED || code == 1) (this->*Run)(id);
}

void PageDialog::Refresh(int) {
  if (OnPrograms()) frame_->FillProgramsList();
  if (OnProcesses()) frame_->FillProcessesList();
}

void PageDialog::Activate(int) { frame_->ActivateProgram(); }

void PageDialog::Stop(int) {
  if (OnPrograms())
    frame_->StopProgram();
  else if (OnProcesses())
    frame_->StopProcess(hwnd());
  else if (OnActions())
    Shutdown();  // the Actions page's button of that identifier
}

void PageDialog::StopAll(int) { frame_->StopAllPrograms(); }

void PageDialog::Details(int) {
  if (OnPrograms()) frame_->ProgramDetails();
  if (OnProcesses()) frame_->ProcessDetails(hwnd());
}

void PageDialog::ShowAll(int) { frame_->processes().ToggleShowAll(frame_->resources().processesPopup()); }

void PageDialog::ReleaseMemory(int) { frame_->ReleaseMemory(hwnd(), OnPrograms()); }
void PageDialog::ScreenOff(int) { frame_->TurnScreenOff(hwnd()); }
void PageDialog::ShutdownNow(int) { Shutdown(); }
void PageDialog::SoftResetNow(int) { SoftReset(); }
void PageDialog::HardReset(int) { frame_->HardReset(hwnd()); }
void PageDialog::Help(int) { frame_->ShowHelp(hwnd()); }
void PageDialog::Exit(int) { frame_->EndSheet(); }

void PageDialog::OtherSoftware(int id) {
  namespace sm = suitemenu;
  static constexpr sm::Entry kEntries[] = {
      {IDC_OTHER_FOLDERON, sm::Action::StartSibling, sm::kFolderonPath},
      {IDC_OTHER_PELLVANE, sm::Action::SwitchOnToday, nullptr},
      {IDC_OTHER_REGEDIT, sm::Action::StartSibling, sm::kTamskPath},
  };
  // The sheet ends through its own loop, which then quits the program.
  if (const sm::Entry* entry = sm::Find(kEntries, id)) sm::Run(*entry, hwnd(), [this] { frame_->EndSheet(); });
}

// ---- Messages ----------------------------------------------------------------------------------

INT_PTR PageDialog::OnInitDialog(WPARAM, LPARAM) {
  HWND page = hwnd();
  win32::InitFullScreenDialog(page);
  TemplateNames names;  // copied by the re-layout; the sheet's own stay untouched
  const Resources& resources = frame_->resources();
  dialogs::AttachRelayout(page, resources.module(), resources.Templates(kPages[which_].base, names));
  switch (which_) {
    case kMainPage:
      FillMainPage(page);
      SetTimer(page, kRefreshTimer, kRefreshMs, nullptr);
      break;
    case kCardPage:
      FillCardPage(page);
      SetTimer(page, kRefreshTimer, kRefreshMs, nullptr);
      break;
    case kProgramsPage:
      frame_->programs().Attach(GetDlgItem(page, IDC_LIST));
      frame_->programs().Setup();
      frame_->FillProgramsList();
      break;
    case kProcessesPage:
      frame_->processes().Attach(GetDlgItem(page, IDC_LIST));
      frame_->processes().Setup();
      frame_->FillProcessesList();
      break;
    default:
      break;
  }
  return TRUE;
}

void PageDialog::PaintHeader(HDC dc) {
  HINSTANCE module = frame_->resources().module();
  RECT client;
  GetClientRect(hwnd(), &client);
  const bool high = dialogs::ScreenScale() > 1;
  const int band = HeaderHeight();
  RECT area{0, 0, client.right, band};
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  dialogs::PaintHorizontalLine(dc, 0, client.right, band - 1);

  const int help = high ? IDB_HELP_HI : IDB_HELP;
  const int helpWidth = BitmapWidth(module, help);
  const int margin = high ? 6 : 3;
  DrawBitmap(module, dc, help, client.right - helpWidth - margin, band / 2);
  const int logo = high ? IDB_ALHEADER_HI : IDB_ALHEADER;
  DrawBitmap(module, dc, logo, client.right - helpWidth - BitmapWidth(module, logo) - 2 * margin, band / 2);

  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  win32::Font font(CreateFontW(-MulDiv(dpi, 8, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  win32::Selection selected(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  RECT text{5, 0, client.right - helpWidth - 2 * margin, band - 1};
  DrawTextW(dc, kPages[which_].title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// The templates are drawn for the narrowest page of each shape; on a wider page (a denser screen
// whose font does not scale exactly) the controls are spread across the page's width.
void PageDialog::SpreadToWidth() {
  HWND page = hwnd();
  const Resources& resources = frame_->resources();
  auto bytes = dialogs::FindDialogTemplate(resources.module(), resources.TemplateName(kPages[which_].base).c_str());
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

INT_PTR PageDialog::OnPaint(WPARAM, LPARAM) {
  win32::PaintDc paint(hwnd());
  PaintHeader(paint.get());
  return TRUE;
}

INT_PTR PageDialog::OnSize(WPARAM, LPARAM) {
  SpreadToWidth();
  if (which_ == kProgramsPage) SizeListColumns(GetDlgItem(hwnd(), IDC_LIST), false);
  if (which_ == kProcessesPage) SizeListColumns(GetDlgItem(hwnd(), IDC_LIST), true);
  InvalidateRect(hwnd(), nullptr, TRUE);
  return FALSE;
}

INT_PTR PageDialog::OnTimer(WPARAM wParam, LPARAM) {
  if (wParam != kRefreshTimer) return FALSE;
  if (which_ == kMainPage) FillMainPage(hwnd());
  if (which_ == kCardPage) FillCardPage(hwnd());
  return TRUE;
}

void PageDialog::OpenPopup() {
  HMENU popup = frame_->resources().PopupFor(which_);
  if (!popup) return;
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  UINT command = TrackPopupMenu(popup, TPM_CENTERALIGN | TPM_BOTTOMALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                (work.left + work.right) / 2, work.bottom, 0, hwnd(), nullptr);
  if (command) win32::RunCommand(*this, Commands(), static_cast<int>(command), 0);
}

INT_PTR PageDialog::OnLButtonDown(WPARAM, LPARAM lParam) {
  // The header belongs to the help bitmap, whose help file is empty: it starts nothing.
  if (static_cast<short>(HIWORD(lParam)) >= HeaderHeight()) OpenPopup();
  return TRUE;
}

INT_PTR PageDialog::OnNotify(WPARAM, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->code != PSN_SETACTIVE) return FALSE;
  dialogs::LayoutDeviceSheet(GetParent(hwnd()));
  SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 0);
  return TRUE;
}

INT_PTR PageDialog::OnDestroy(WPARAM, LPARAM) {
  KillTimer(hwnd(), kRefreshTimer);
  if (which_ == kProgramsPage) frame_->programs().Attach(nullptr);
  if (which_ == kProcessesPage) frame_->processes().Attach(nullptr);
  return FALSE;
}

}  // namespace quintar::vorrel

// Vorrel's Win32 side: the program's resources, its frame (the main window that owns the property
// sheet and its pages) and the lists and actions of the pages. The frame owns all of the state.
#pragma once

#include <windows.h>

#include <memory>
#include <span>
#include <string>

#include "dialogs/dialogs.h"
#include "procmanager/core/vorrel_core.h"
#include "win32/handle.h"
#include "win32/window.h"

namespace quintar::vorrel {

using core::SoftResetRoute;

// The pages in sheet order.
enum Page { kMainPage, kCardPage, kProgramsPage, kProcessesPage, kActionsPage, kOtherPage, kAboutPage, kPageCount };

// Posted to the frame once its loop runs: the sheet is opened from inside the loop.
inline constexpr UINT MSG_RUN_SHEET = WM_USER + 100;

struct PageInfo {
  const wchar_t* base;
  const wchar_t* title;
};
inline constexpr PageInfo kPages[kPageCount] = {{L"IDD_MAIN", L"Main"},        {L"IDD_SD", L"SD Card"},
                                                {L"IDD_PROGRAM", L"Programs"}, {L"IDD_PROCESS", L"Processes"},
                                                {L"IDD_ACTIONS", L"Actions"},  {L"IDD_OTHER", L"OtherSoftware"},
                                                {L"IDD_ABOUT", L"About"}};

// The names of a dialog's three variants, kept while a template set points into them.
struct TemplateNames {
  std::wstring square, portrait, landscape;
};

// The resource module (VorrelRes.dll beside the program, loaded as data only, or the program
// itself) with the popups and accelerators loaded from it.
class Resources {
 public:
  explicit Resources(HINSTANCE exe);
  ~Resources();
  Resources(const Resources&) = delete;
  Resources& operator=(const Resources&) = delete;

  HINSTANCE exe() const noexcept { return exe_; }
  HINSTANCE module() const noexcept { return module_; }
  HMODULE library() const noexcept { return library_.get(); }  // nullptr when the program's own are used
  HMENU programsPopup() const noexcept { return popups_[0]; }
  HMENU processesPopup() const noexcept { return popups_[1]; }
  HMENU toolsPopup() const noexcept { return popups_[2]; }
  // The popup of that page, as a tap on it opens.
  HMENU PopupFor(Page which) const noexcept;
  HACCEL accelerators() const noexcept { return accelerators_; }

  std::wstring String(UINT id, const wchar_t* fallback) const;
  bool HasDialog(const std::wstring& name) const;
  // The template name of a page or dialog base ("IDD_MAIN") for the current screen shape, with
  // the square variant falling back to portrait when the resources lack it.
  std::wstring TemplateName(const wchar_t* base) const;
  // The three variants of `base` ("IDD_MAIN_S", "_P", "_L"; portrait for a missing square one).
  dialogs::TemplateSet Templates(const std::wstring& base, TemplateNames& keep) const;

 private:
  HINSTANCE exe_;
  HINSTANCE module_;
  win32::Module library_;
  win32::Menu menus_[3];  // the popups are their first submenus
  HMENU popups_[3] = {};
  HACCEL accelerators_ = nullptr;
};

// The Programs list: top-level application windows, one row per topmost owner.
class ProgramList {
 public:
  HWND hwnd() const noexcept { return list_; }
  int count() const noexcept { return count_; }
  void Attach(HWND list) noexcept { list_ = list, count_ = 0; }
  void Setup();
  // `self`, Vorrel's main window, and what it owns are left out.
  int Fill(HWND self);
  HWND Selected() const;  // the selected row's window, or nullptr
  HWND At(int row) const;

 private:
  HWND list_ = nullptr;
  int count_ = 0;
};

// The Processes list: a tool-help snapshot.
class ProcessList {
 public:
  HWND hwnd() const noexcept { return list_; }
  int count() const noexcept { return count_; }
  bool showAll() const noexcept { return showAll_; }
  void Attach(HWND list) noexcept { list_ = list, count_ = 0; }
  void Setup();
  int Fill();
  void ToggleShowAll(HMENU popup);
  std::wstring SelectedName() const;  // the selected row's name, or empty

 private:
  HWND list_ = nullptr;
  int count_ = 0;
  bool showAll_ = false;
};

void SizeListColumns(HWND list, bool processes);
// Sends the low-memory request to a program window and closes it, unless it is `self` or owned
// by it.
void CloseProgramWindow(HWND self, HWND window);

// The Main and SD Card pages' figures (status.cpp).
void FillMainPage(HWND page);
void FillCardPage(HWND page);
void Shutdown();
void SoftReset();
void SoftResetBy(SoftResetRoute route);

class Frame;

// One page of the sheet.
class PageDialog : public win32::Dialog<PageDialog> {
 public:
  void Bind(Frame& frame, Page which) noexcept { frame_ = &frame, which_ = which; }
  Page which() const noexcept { return which_; }

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<PageDialog>> Messages();
  static std::span<const win32::CommandEntry<PageDialog>> Commands();

  INT_PTR OnInitDialog(WPARAM, LPARAM);
  INT_PTR OnPaint(WPARAM, LPARAM);
  INT_PTR OnSize(WPARAM, LPARAM);
  INT_PTR OnTimer(WPARAM wParam, LPARAM);
  INT_PTR OnLButtonDown(WPARAM, LPARAM lParam);
  INT_PTR OnNotify(WPARAM, LPARAM lParam);
  INT_PTR OnDestroy(WPARAM, LPARAM);
  void OpenPopup();
  void PaintHeader(HDC dc);
  void SpreadToWidth();

  // Commands: buttons (and menu items, code 0, and accelerators, code 1) only.
  template <void (PageDialog::*Run)(int)>
  void Clicked(int id, int code);
  bool OnListPage() const noexcept { return which_ == kProgramsPage || which_ == kProcessesPage; }
  bool OnPrograms() const noexcept { return which_ == kProgramsPage; }
  bool OnProcesses() const noexcept { return which_ == kProcessesPage; }
  bool OnActions() const noexcept { return which_ == kActionsPage; }
  bool OnOther() const noexcept { return which_ == kOtherPage; }
  void Refresh(int);
  void Activate(int);
  void Stop(int id);
  void StopAll(int);
  void Details(int id);
  void ShowAll(int);
  void ReleaseMemory(int);
  void ScreenOff(int);
  void ShutdownNow(int);
  void SoftResetNow(int id);
  void HardReset(int);
  void Help(int);
  void Exit(int);
  void OtherSoftware(int id);

  Frame* frame_ = nullptr;
  Page which_ = kMainPage;
};

// The main window: visible but without area, it owns the sheet the user sees, and the sheet's
// pages and lists.
class Frame final : public win32::Window<Frame> {
 public:
  explicit Frame(HINSTANCE exe);
  ~Frame();

  const Resources& resources() const noexcept { return resources_; }
  ProgramList& programs() noexcept { return programs_; }
  ProcessList& processes() noexcept { return processes_; }

  // Registers the class and creates the window; nullptr on failure.
  HWND Create();
  // The property sheet, owned by the frame. Modal: returns when it ends (the PropertySheet
  // result). Modeless (tests): returns the sheet window. -1 when it could not be created.
  INT_PTR RunSheet(bool modeless);
  HWND sheet() const noexcept { return sheet_; }
  HWND PageWindow(Page page) const;
  void EndSheet();

  int FillProgramsList() { return programs_.Fill(hwnd()); }
  int FillProcessesList() { return processes_.Fill(); }
  void ActivateProgram();
  void StopProgram();
  void StopAllPrograms();
  void ProgramDetails();
  void StopProcess(HWND page);
  void ProcessDetails(HWND page);
  void ReleaseMemory(HWND page, bool programsPage);
  void TurnScreenOff(HWND owner);
  void HardReset(HWND owner);
  void ShowHelp(HWND owner);

  // A named dialog through the template rule; reports a template that cannot be loaded.
  INT_PTR ShowNamedDialog(HWND owner, const wchar_t* base, DLGPROC proc, LPARAM param = 0);
  // The box every report goes through, so that none is left without an owner.
  int Report(HWND owner, const std::wstring& text, const wchar_t* caption, UINT style);
  // Brings the sheet (or the frame) to the front after a box owned by another window.
  void Raise();

 private:
  friend Window;
  static std::span<const win32::MessageEntry<Frame>> Messages();
  static std::span<const win32::CommandEntry<Frame>> Commands();
  LRESULT OnRunSheet(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  static int CALLBACK SheetCallback(HWND sheet, UINT msg, LPARAM);
  static LRESULT CALLBACK SheetSubclass(HWND sheet, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  static LRESULT CALLBACK MessageHook(int code, WPARAM wParam, LPARAM lParam);
  void LayoutSheet();

  Resources resources_;
  HWND sheet_ = nullptr;
  ProgramList programs_;
  ProcessList processes_;
  PageDialog pages_[kPageCount];
  TemplateNames templates_[kPageCount];  // the sheet reads them while it lives
  HHOOK hook_ = nullptr;
};

// The whole program run: one copy; a second start brings the first to the front and ends.
int RunProgram(HINSTANCE exe);

}  // namespace quintar::vorrel

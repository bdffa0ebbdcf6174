// Vorrel's Win32 side: the program's state, its frame (main window, property sheet, pages) and
// the commands of its pages. Module-wide state, as the program has one of each.
#pragma once

#include <windows.h>

#include <string>

#include "procmanager/core/vorrel_core.h"

namespace vorrel {

// The pages in sheet order.
enum Page { kMainPage, kCardPage, kProgramsPage, kProcessesPage, kActionsPage, kOtherPage, kAboutPage, kPageCount };

struct AppState {
  HINSTANCE exe = nullptr;
  HINSTANCE resources = nullptr;  // VorrelRes.dll when present, else the program
  HMODULE resourceLibrary = nullptr;
  HWND main = nullptr;  // also the window the Programs list leaves out
  HWND sheet = nullptr;
  HWND programsList = nullptr;
  int programsCount = 0;
  HWND processesList = nullptr;
  int processesCount = 0;
  HMENU menus[3] = {};  // the menus loaded, destroyed with them
  HMENU programsPopup = nullptr;
  HMENU processesPopup = nullptr;
  HMENU toolsPopup = nullptr;
  HACCEL accelerators = nullptr;
  bool showAllProcesses = false;
};
extern AppState g_app;

// ---- Frame ---------------------------------------------------------------------------------
// Picks the resource module (VorrelRes.dll beside the program, loaded as data only, or the
// program itself) and loads the popups and accelerators. Idempotent.
void InitResources(HINSTANCE exe);
void ReleaseResources();
std::wstring LoadResString(UINT id, const wchar_t* fallback);

// Registers the class, creates the main window; the whole program run.
int RunProgram(HINSTANCE exe);
HWND CreateMainWindow();

// The property sheet, owned by `owner`. Modal: returns when it ends (the PropertySheet result).
// Modeless (tests): returns the sheet window as the result. -1 when it could not be created.
INT_PTR RunSheet(HWND owner, bool modeless);
HWND PageWindow(Page page);

// The template name of a page or dialog base ("IDD_MAIN") for the current screen shape, with the
// square variant falling back to portrait when the resources lack it.
std::wstring TemplateName(const wchar_t* base);
// A named dialog through the template rule; reports a template that cannot be loaded.
INT_PTR ShowNamedDialog(HWND owner, const wchar_t* base, DLGPROC proc);

// Runs a command of a page (its buttons and its popup give the same ids).
void PageCommand(HWND page, Page which, UINT command);
// The popup of that page, as a tap on it opens.
HMENU PopupFor(Page which);

// ---- Programs and processes ------------------------------------------------------------------
void SetupProgramsList(HWND list);
void SetupProcessesList(HWND list);
void SizeListColumns(HWND list, bool processes);
int FillProgramsList();
int FillProcessesList();
void ActivateProgram();
void StopProgram();
void StopAllPrograms();
void ProgramDetails(HWND page);
void StopProcess(HWND page);
void ProcessDetails(HWND page);
void ToggleShowAllProcesses();
// Sends the low-memory request to a program window and closes it, unless it is Vorrel's own.
void CloseProgramWindow(HWND window);

// ---- Status and actions ------------------------------------------------------------------------
void FillMainPage(HWND page);
void FillCardPage(HWND page);
void ReleaseMemory(HWND page, bool programsPage);
void TurnScreenOff(HWND owner);
void Shutdown();
void SoftReset();
void SoftResetBy(SoftResetRoute route);
void HardReset(HWND owner);
void ShowHelp(HWND owner);

// The box every report goes through, so that none is left without an owner.
int Report(HWND owner, const std::wstring& text, const wchar_t* caption, UINT style);
// Brings the sheet (or the main window) to the front after a box owned by another window.
void RaiseVorrel();

}  // namespace vorrel

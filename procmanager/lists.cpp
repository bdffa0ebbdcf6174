// The Programs page (top-level application windows) and the Processes page (a tool-help snapshot).
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "procmanager/core/vorrel_core.h"
#include "procmanager/resource.h"
#include "procmanager/vorrel.h"
#include "win32/handle.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/text.h"

namespace quintar::vorrel {
namespace {

using win32::Wide;

// The low-memory request a program answers by giving back what it can.
constexpr UINT kLowMemoryRequest = 0x03FF;
// A program that does not answer within this time is not waited for any longer.
constexpr UINT kAnswerTimeoutMs = 3000;

std::u16string_view View(const wchar_t* text) { return win32::U16View(text); }

// Calls visit(entry) for every running process, in snapshot order.
template <class Visit>
void WalkProcesses(Visit visit) {
  win32::SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    visit(entry);
    entry.dwSize = sizeof entry;
  }
}

int SelectedRow(HWND list, int count) {
  if (!list) return -1;
  int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  return row >= 0 && row < count ? row : -1;
}

LPARAM RowData(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return ListView_GetItem(list, &item) ? item.lParam : 0;
}

std::wstring RowText(HWND list, int row, int column) {
  wchar_t buffer[MAX_PATH] = {};
  ListView_GetItemText(list, row, column, buffer, MAX_PATH);
  return buffer;
}

void AddColumn(HWND list, int index, const wchar_t* title) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(title);
  column.cx = 50;
  column.iSubItem = index;
  ListView_InsertColumn(list, index, &column);
}

std::wstring ExeNameOf(DWORD pid) {
  std::wstring name;
  WalkProcesses([&](const PROCESSENTRY32W& e) {
    if (e.th32ProcessID == pid) name = e.szExeFile;
  });
  return name;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

struct ProgramSearch {
  HWND self;  // Vorrel's frame
  std::vector<std::pair<std::wstring, HWND>> rows;
};

BOOL CALLBACK CollectProgram(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<ProgramSearch*>(param);
  if (window == search.self) return TRUE;
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_NOACTIVATE) return TRUE;
  HWND candidate = window;
  for (HWND owner = GetWindow(candidate, GW_OWNER); owner; owner = GetWindow(candidate, GW_OWNER)) candidate = owner;
  if (candidate == search.self) return TRUE;
  std::wstring cls = ClassOf(candidate);
  if (core::IsExcludedProgramClass(View(cls.c_str()))) return TRUE;
  wchar_t title[256] = {};
  if (GetWindowTextW(candidate, title, 256) <= 0) return TRUE;
  // Several owned windows lead to the same owner; it is one program and gets one row.
  for (const auto& row : search.rows)
    if (row.second == candidate) return TRUE;
  search.rows.emplace_back(title, candidate);
  return TRUE;
}

struct WindowOfProcess {
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<WindowOfProcess*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search.pid) return TRUE;
  search.found = window;
  return FALSE;
}

void SendAndWait(HWND window, UINT msg) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, msg, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kAnswerTimeoutMs, &result);
}

// Vorrel's frame or a window it owns, such as the sheet.
bool IsVorrelWindow(HWND self, HWND window) {
  for (HWND w = window; w; w = GetWindow(w, GW_OWNER))
    if (w == self) return true;
  return false;
}

}  // namespace

// ---- Programs --------------------------------------------------------------------------------

void ProgramList::Setup() {
  if (!list_) return;
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  AddColumn(list_, 0, L"Programs");
  SizeListColumns(list_, false);
}

void ProcessList::Setup() {
  if (!list_) return;
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  AddColumn(list_, 0, L"ID");
  AddColumn(list_, 1, L"Processes");
  SizeListColumns(list_, true);
}

void SizeListColumns(HWND list, bool processes) {
  if (!list) return;
  RECT client;
  GetClientRect(list, &client);
  const int width = client.right;
  if (processes) {
    ListView_SetColumnWidth(list, 0, width / 2 - 20);
    ListView_SetColumnWidth(list, 1, width / 2 + 18);
  } else {
    ListView_SetColumnWidth(list, 0, width - 20);
  }
}

int ProgramList::Fill(HWND self) {
  if (!list_) return 0;
  ProgramSearch search{self, {}};
  EnumWindows(CollectProgram, reinterpret_cast<LPARAM>(&search));
  {
    win32::RedrawOff quiet(list_);
    ListView_DeleteAllItems(list_);
    count_ = 0;
    for (const auto& [title, window] : search.rows) {
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = count_;
      item.pszText = const_cast<wchar_t*>(title.c_str());
      item.lParam = reinterpret_cast<LPARAM>(window);
      if (ListView_InsertItem(list_, &item) >= 0) ++count_;
    }
  }
  InvalidateRect(list_, nullptr, TRUE);
  return count_;
}

HWND ProgramList::At(int row) const { return reinterpret_cast<HWND>(RowData(list_, row)); }

HWND ProgramList::Selected() const {
  int row = SelectedRow(list_, count_);
  return row < 0 ? nullptr : At(row);
}

void CloseProgramWindow(HWND self, HWND window) {
  if (!window || !IsWindow(window) || IsVorrelWindow(self, window)) return;
  SendAndWait(window, kLowMemoryRequest);
  if (IsWindow(window)) SendAndWait(window, WM_CLOSE);
}

void Frame::ActivateProgram() {
  if (SelectedRow(programs_.hwnd(), programs_.count()) < 0) return;
  HWND window = programs_.Selected();
  if (IsWindow(window)) SetForegroundWindow(window);
}

void Frame::StopProgram() {
  if (SelectedRow(programs_.hwnd(), programs_.count()) < 0) return;
  CloseProgramWindow(hwnd(), programs_.Selected());
  FillProgramsList();
}

void Frame::StopAllPrograms() {
  if (!programs_.hwnd()) return;
  std::vector<HWND> windows;
  for (int row = 0; row < programs_.count(); ++row) windows.push_back(programs_.At(row));
  for (HWND window : windows) CloseProgramWindow(hwnd(), window);
  FillProgramsList();
}

void Frame::ProgramDetails() {
  if (SelectedRow(programs_.hwnd(), programs_.count()) < 0) return;
  HWND window = programs_.Selected();
  if (!IsWindow(window)) {  // gone since the list was filled
    FillProgramsList();
    return;
  }
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  std::wstring cls = ClassOf(window);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  std::wstring exe = ExeNameOf(pid);
  core::WindowFacts facts;
  facts.caption = View(title);
  facts.handle = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window));
  facts.style = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_STYLE));
  facts.exStyle = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
  facts.className = View(cls.c_str());
  facts.classStyle = static_cast<std::uint32_t>(GetClassLongW(window, GCL_STYLE));
  facts.pid = pid;
  facts.exe = View(exe.c_str());
  win32::ShowMessage(window, Wide(core::ProgramDetailsText(facts)), cls, MB_OK);
  Raise();
}

// ---- Processes -------------------------------------------------------------------------------

int ProcessList::Fill() {
  if (!list_) return 0;
  {
    win32::RedrawOff quiet(list_);
    ListView_DeleteAllItems(list_);
    count_ = 0;
    WalkProcesses([&](const PROCESSENTRY32W& e) {
      if (!core::ShouldListProcess(View(e.szExeFile), showAll_)) return;
      wchar_t id[16];
      swprintf(id, 16, L"%08X", static_cast<unsigned>(e.th32ProcessID));
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = count_;
      item.pszText = id;
      item.lParam = static_cast<LPARAM>(e.th32ProcessID);
      int row = ListView_InsertItem(list_, &item);
      if (row < 0) return;
      ListView_SetItemText(list_, row, 1, const_cast<wchar_t*>(e.szExeFile));
      ++count_;
    });
  }
  InvalidateRect(list_, nullptr, TRUE);
  return count_;
}

std::wstring ProcessList::SelectedName() const {
  int row = SelectedRow(list_, count_);
  return row < 0 ? std::wstring() : RowText(list_, row, 1);
}

void ProcessList::ToggleShowAll(HMENU popup) {
  showAll_ = !showAll_;
  if (popup) CheckMenuItem(popup, IDM_SHOW_ALL, MF_BYCOMMAND | (showAll_ ? MF_CHECKED : MF_UNCHECKED));
  Fill();
}

void Frame::StopProcess(HWND page) {
  std::wstring name = processes_.SelectedName();
  if (name.empty()) return;
  struct Target {
    DWORD pid;
    std::wstring exe;
  };
  std::vector<Target> targets;
  WalkProcesses([&](const PROCESSENTRY32W& e) {
    if (core::ContainsNoCase(View(e.szExeFile), View(name.c_str()))) targets.push_back({e.th32ProcessID, e.szExeFile});
  });
  std::wstring refused;
  for (const Target& target : targets) {
    // Vorrel never stops itself, whatever name matched.
    if (target.pid == GetCurrentProcessId()) continue;
    // A system process is asked about before anything is done to it, so No leaves it untouched.
    if (core::IsSystemProcessName(View(target.exe.c_str())) &&
        Report(page, L"This is a system process. Are you sure you want to close it?", L"Warning",
               MB_YESNO | MB_ICONQUESTION) != IDYES)
      continue;
    WindowOfProcess search{target.pid};
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    if (search.found) SendAndWait(search.found, WM_CLOSE);
    win32::KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, target.pid));
    if (!process) {
      // Gone already (its window's close may have ended it) is no failure.
      if (GetLastError() != ERROR_INVALID_PARAMETER) refused += L"\n" + target.exe;
      continue;
    }
    if (!TerminateProcess(process.get(), 1) && WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0)
      refused += L"\n" + target.exe;
  }
  FillProcessesList();
  if (!refused.empty())
    Report(page, L"These processes could not be stopped:" + refused, L"Vorrel", MB_OK | MB_ICONSTOP);
}

void Frame::ProcessDetails(HWND page) {
  std::wstring name = processes_.SelectedName();
  if (name.empty()) return;
  std::u16string text;
  WalkProcesses([&](const PROCESSENTRY32W& e) {
    if (core::ContainsNoCase(View(e.szExeFile), View(name.c_str())))
      text = core::ProcessDetailsText(e.th32ProcessID, View(e.szExeFile), e.dwSize, e.cntThreads);
  });
  if (text.empty()) {  // ended since the list was filled
    FillProcessesList();
    return;
  }
  Report(page, Wide(text), L"Process Information", MB_OK | MB_ICONINFORMATION);
  Raise();
}

}  // namespace quintar::vorrel

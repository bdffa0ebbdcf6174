// The Programs page (top-level application windows) and the Processes page (a tool-help snapshot).
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "procmanager/core/vorrel_core.h"
#include "procmanager/resource.h"
#include "procmanager/vorrel.h"

namespace vorrel {
namespace {

// The low-memory request a program answers by giving back what it can.
constexpr UINT kLowMemoryRequest = 0x03FF;
// A program that does not answer within this time is not waited for any longer.
constexpr UINT kAnswerTimeoutMs = 3000;

std::u16string_view View(const wchar_t* text) { return std::u16string_view(reinterpret_cast<const char16_t*>(text)); }
std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

class Snapshot {
 public:
  Snapshot() : handle_(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)) {}
  ~Snapshot() {
    if (ok()) CloseHandle(handle_);
  }
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Calls visit(entry) for every process, in snapshot order.
  template <class Visit>
  void Walk(Visit visit) const {
    if (!ok()) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(handle_, &entry); more; more = Process32NextW(handle_, &entry)) {
      visit(entry);
      entry.dwSize = sizeof entry;
    }
  }

 private:
  HANDLE handle_;
};

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
  Snapshot snapshot;
  snapshot.Walk([&](const PROCESSENTRY32W& e) {
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
  std::vector<std::pair<std::wstring, HWND>> rows;
};

BOOL CALLBACK CollectProgram(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<ProgramSearch*>(param);
  if (window == g_app.main) return TRUE;
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_NOACTIVATE) return TRUE;
  HWND candidate = window;
  for (HWND owner = GetWindow(candidate, GW_OWNER); owner; owner = GetWindow(candidate, GW_OWNER)) candidate = owner;
  if (candidate == g_app.main) return TRUE;
  std::wstring cls = ClassOf(candidate);
  if (IsExcludedProgramClass(View(cls.c_str()))) return TRUE;
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

// Vorrel's main window or a window it owns, such as the sheet.
bool IsVorrelWindow(HWND window) {
  for (HWND w = window; w; w = GetWindow(w, GW_OWNER))
    if (w == g_app.main) return true;
  return false;
}

}  // namespace

// ---- Programs --------------------------------------------------------------------------------

void SetupProgramsList(HWND list) {
  if (!list) return;
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  AddColumn(list, 0, L"Programs");
  SizeListColumns(list, false);
}

void SetupProcessesList(HWND list) {
  if (!list) return;
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  AddColumn(list, 0, L"ID");
  AddColumn(list, 1, L"Processes");
  SizeListColumns(list, true);
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

int FillProgramsList() {
  HWND list = g_app.programsList;
  if (!list) return 0;
  ProgramSearch search;
  EnumWindows(CollectProgram, reinterpret_cast<LPARAM>(&search));
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  g_app.programsCount = 0;
  for (const auto& [title, window] : search.rows) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = g_app.programsCount;
    item.pszText = const_cast<wchar_t*>(title.c_str());
    item.lParam = reinterpret_cast<LPARAM>(window);
    if (ListView_InsertItem(list, &item) >= 0) ++g_app.programsCount;
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  return g_app.programsCount;
}

void CloseProgramWindow(HWND window) {
  if (!window || !IsWindow(window) || IsVorrelWindow(window)) return;
  SendAndWait(window, kLowMemoryRequest);
  if (IsWindow(window)) SendAndWait(window, WM_CLOSE);
}

void ActivateProgram() {
  int row = SelectedRow(g_app.programsList, g_app.programsCount);
  if (row < 0) return;
  HWND window = reinterpret_cast<HWND>(RowData(g_app.programsList, row));
  if (IsWindow(window)) SetForegroundWindow(window);
}

void StopProgram() {
  int row = SelectedRow(g_app.programsList, g_app.programsCount);
  if (row < 0) return;
  CloseProgramWindow(reinterpret_cast<HWND>(RowData(g_app.programsList, row)));
  FillProgramsList();
}

void StopAllPrograms() {
  if (!g_app.programsList) return;
  std::vector<HWND> windows;
  for (int row = 0; row < g_app.programsCount; ++row)
    windows.push_back(reinterpret_cast<HWND>(RowData(g_app.programsList, row)));
  for (HWND window : windows) CloseProgramWindow(window);
  FillProgramsList();
}

void ProgramDetails(HWND page) {
  int row = SelectedRow(g_app.programsList, g_app.programsCount);
  if (row < 0) return;
  HWND window = reinterpret_cast<HWND>(RowData(g_app.programsList, row));
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
  WindowFacts facts;
  facts.caption = View(title);
  facts.handle = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window));
  facts.style = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_STYLE));
  facts.exStyle = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
  facts.className = View(cls.c_str());
  facts.classStyle = static_cast<std::uint32_t>(GetClassLongW(window, GCL_STYLE));
  facts.pid = pid;
  facts.exe = View(exe.c_str());
  MessageBoxW(window, Wide(ProgramDetailsText(facts)).c_str(), cls.c_str(), MB_OK);
  (void)page;
  RaiseVorrel();
}

// ---- Processes -------------------------------------------------------------------------------

int FillProcessesList() {
  HWND list = g_app.processesList;
  if (!list) return 0;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  g_app.processesCount = 0;
  Snapshot snapshot;
  snapshot.Walk([&](const PROCESSENTRY32W& e) {
    if (!ShouldListProcess(View(e.szExeFile), g_app.showAllProcesses)) return;
    wchar_t id[16];
    swprintf(id, 16, L"%08X", static_cast<unsigned>(e.th32ProcessID));
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = g_app.processesCount;
    item.pszText = id;
    item.lParam = static_cast<LPARAM>(e.th32ProcessID);
    int row = ListView_InsertItem(list, &item);
    if (row < 0) return;
    ListView_SetItemText(list, row, 1, const_cast<wchar_t*>(e.szExeFile));
    ++g_app.processesCount;
  });
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  return g_app.processesCount;
}

void StopProcess(HWND page) {
  int row = SelectedRow(g_app.processesList, g_app.processesCount);
  if (row < 0) return;
  std::wstring name = RowText(g_app.processesList, row, 1);
  if (name.empty()) return;
  struct Target {
    DWORD pid;
    std::wstring exe;
  };
  std::vector<Target> targets;
  Snapshot snapshot;
  snapshot.Walk([&](const PROCESSENTRY32W& e) {
    if (ContainsNoCase(View(e.szExeFile), View(name.c_str()))) targets.push_back({e.th32ProcessID, e.szExeFile});
  });
  std::wstring refused;
  for (const Target& target : targets) {
    // Vorrel never stops itself, whatever name matched.
    if (target.pid == GetCurrentProcessId()) continue;
    // A system process is asked about before anything is done to it, so No leaves it untouched.
    if (IsSystemProcessName(View(target.exe.c_str())) &&
        Report(page, L"This is a system process. Are you sure you want to close it?", L"Warning",
               MB_YESNO | MB_ICONQUESTION) != IDYES)
      continue;
    WindowOfProcess search{target.pid};
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    if (search.found) SendAndWait(search.found, WM_CLOSE);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, target.pid);
    if (!process) {
      // Gone already (its window's close may have ended it) is no failure.
      if (GetLastError() != ERROR_INVALID_PARAMETER) refused += L"\n" + target.exe;
      continue;
    }
    if (!TerminateProcess(process, 1) && WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
      refused += L"\n" + target.exe;
    CloseHandle(process);
  }
  FillProcessesList();
  if (!refused.empty())
    Report(page, L"These processes could not be stopped:" + refused, L"Vorrel", MB_OK | MB_ICONSTOP);
}

void ProcessDetails(HWND page) {
  int row = SelectedRow(g_app.processesList, g_app.processesCount);
  if (row < 0) return;
  std::wstring name = RowText(g_app.processesList, row, 1);
  if (name.empty()) return;
  std::u16string text;
  Snapshot snapshot;
  snapshot.Walk([&](const PROCESSENTRY32W& e) {
    if (ContainsNoCase(View(e.szExeFile), View(name.c_str())))
      text = ProcessDetailsText(e.th32ProcessID, View(e.szExeFile), e.dwSize, e.cntThreads);
  });
  if (text.empty()) {  // ended since the list was filled
    FillProcessesList();
    return;
  }
  Report(page, Wide(text), L"Process Information", MB_OK | MB_ICONINFORMATION);
  RaiseVorrel();
}

void ToggleShowAllProcesses() {
  g_app.showAllProcesses = !g_app.showAllProcesses;
  if (g_app.processesPopup)
    CheckMenuItem(g_app.processesPopup, IDM_SHOW_ALL,
                  MF_BYCOMMAND | (g_app.showAllProcesses ? MF_CHECKED : MF_UNCHECKED));
  FillProcessesList();
}

}  // namespace vorrel

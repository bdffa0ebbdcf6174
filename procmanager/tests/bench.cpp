// Filling the Processes list with 200 running processes, against a bare tool-help snapshot walk
// of the same processes in the same run. Prints "name: ours X ms, anchor Y ms, ratio Z".
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "procmanager/vorrel.h"
#include "win32/handle.h"

namespace {

constexpr int kProcesses = 200;
constexpr int kRounds = 20;

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int BareWalk() {
  int count = 0;
  quintar::win32::SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    ++count;
  }
  return count;
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  std::vector<quintar::win32::KernelHandle> sleepers;
  wchar_t line[] = L"\"T:\\vorrel_sleeper.exe\" 300000";
  for (int i = 0; i < kProcesses; ++i) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) break;
    quintar::win32::KernelHandle thread(pi.hThread);
    sleepers.emplace_back(pi.hProcess);
  }

  // A visible list of the Processes page's shape, as the page has it.
  HWND frame = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr,
                               nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 0, 0, 240, 300,
                              frame, nullptr, nullptr, nullptr);
  quintar::vorrel::ProcessList processes;
  processes.Attach(list);
  processes.Setup();

  int rows = processes.Fill(), walked = BareWalk();  // warm both up
  double ours = 1e300, anchor = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    double t0 = Now();
    rows = processes.Fill();
    double t1 = Now();
    walked = BareWalk();
    double t2 = Now();
    ours = std::min(ours, t1 - t0);
    anchor = std::min(anchor, t2 - t1);
  }
  std::printf("started %zu processes; snapshot has %d, list shows %d rows\n", sleepers.size(), walked, rows);
  std::printf("processes-list-200: ours %.2f ms, anchor %.2f ms, ratio %.2f\n", ours, anchor, ours / anchor);

  DestroyWindow(frame);
  for (const auto& process : sleepers) {
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
  }
  return sleepers.size() == kProcesses && rows >= kProcesses ? 0 : 1;
}

// How long Folderon takes to show a folder of 20,000 files, against a bare enumeration of the
// same folder, and how many shell icon look-ups one navigation costs. Prints the figures only.
//
// The navigation is timed from ListPane::Navigate to the sorted, filled list with its status
// written and the visible rows painted (their texts and icons asked for). Between timed runs the
// pane goes to "\Temp", so that dropping the big listing is not counted; the per-extension icon
// cache stays warm after the first run, which is timed and reported on its own line too.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <ceservices.h>

#include "filemanager/core/status.h"
#include "filemanager/folderwatcher.h"
#include "filemanager/listpane.h"
#include "filemanager/winutil.h"
#include "win32/handle.h"

namespace {

namespace qf = quintar::folderon::core;

constexpr int kFiles = 20000;
constexpr int kExtensions = 50;
constexpr int kRuns = 9;
constexpr wchar_t kFolder[] = L"\\Temp\\nav";

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MakeFolder() {
  CreateDirectoryW(L"\\Temp", nullptr);
  if (!CreateDirectoryW(kFolder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  for (int i = 0; i < kFiles; ++i) {
    wchar_t name[64];
    swprintf(name, 64, L"%ls\\file%05d.ext%02d", kFolder, i, i % kExtensions);
    quintar::win32::FileHandle file(
        CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
  }
  return true;
}

int EnumerateCe() {
  WIN32_FIND_DATAW data;
  quintar::folderon::DeviceFind find(CeFindFirstFile(L"\\Temp\\nav\\*.*", &data));
  if (!find) return 0;
  int count = 0;
  do {
    ++count;
  } while (CeFindNextFile(find.get(), &data));
  return count;
}

int Enumerate() {
  WIN32_FIND_DATAW data;
  quintar::win32::FindHandle find(FindFirstFileW(L"\\Temp\\nav\\*.*", &data));
  if (!find) return 0;
  int count = 0;
  do {
    ++count;
  } while (FindNextFileW(find.get(), &data));
  return count;
}

// The parts of the main window the list pane talks to: a status bar written the way the main
// window writes it, and the watcher the pane suspends and resumes.
class BenchHost : public quintar::folderon::ListHost {
 public:
  quintar::folderon::FolderWatcher& Watcher() override { return watcher_; }
  bool AddressBarShown() const override { return true; }
  void ShowLoading() override {
    int right = -1;
    SendMessageW(status_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(quintar::win32::WidePtr(qf::kLoadingText.data())));
  }
  void ShowStatus(const std::wstring& path, unsigned long long count, unsigned long long totalBytes) override {
    RECT rc{};
    GetClientRect(status_, &rc);
    qf::StatusParts parts = qf::StatusBarParts(true, quintar::folderon::U16(path), count, totalBytes,
                                               rc.right > 0 ? rc.right : GetSystemMetrics(SM_CXSCREEN),
                                               quintar::folderon::UserNumberFormat());
    if (parts.rightEdges.empty()) return;
    std::vector<int> edges(parts.rightEdges.begin(), parts.rightEdges.end());
    edges.back() = -1;
    SendMessageW(status_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < parts.texts.size(); ++i) {
      std::wstring text = quintar::folderon::Wide(parts.texts[i]);
      SendMessageW(status_, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  void Listed(const std::wstring&) override {}
  void OpenFile(const std::wstring&) override {}

  quintar::folderon::FolderWatcher watcher_;
  HWND status_ = nullptr;
};

quintar::folderon::ListPane* g_pane = nullptr;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && g_pane) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom == g_pane->Window() && header->code == LVN_DELETEALLITEMS) return TRUE;
    if (header->hwndFrom == g_pane->Window() && header->code == LVN_GETDISPINFOW) {
      g_pane->OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::wstring StatusText(HWND status) {
  wchar_t text[256] = {};
  SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE instance = GetModuleHandleW(nullptr);

  if (!MakeFolder()) {
    std::printf("cannot create the %d files of \\Temp\\nav\n", kFiles);
    return 1;
  }

  std::vector<double> anchor;
  const int enumerated = Enumerate();  // also warms the file system's caches

  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"FolderonNavBench";
  RegisterClassW(&wc);
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HWND frame = CreateWindowExW(0, wc.lpszClassName, L"Folderon bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                               nullptr, nullptr, instance, nullptr);
  BenchHost host;
  host.status_ =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame, nullptr, instance, nullptr);
  quintar::folderon::ListPane pane(host);
  if (!frame || !host.status_ || !host.watcher_.Start() || !pane.Create(frame, instance, L"\\Temp")) {
    std::printf("cannot create the list pane\n");
    return 1;
  }
  host.watcher_.SetTarget(frame);
  g_pane = &pane;
  RECT statusRect{};
  GetWindowRect(host.status_, &statusRect);
  MoveWindow(pane.Window(), 0, 0, width, height - (statusRect.bottom - statusRect.top), TRUE);
  pane.Navigate(L"\\Temp");
  UpdateWindow(frame);
  PumpPending();

  const int expectedRows = enumerated - 2 + 1;  // less "." and "..", plus the up-level row
  const std::wstring loading = quintar::win32::Wide(qf::kLoadingText);
  std::vector<double> navigate;
  unsigned long lookups = 0;
  bool complete = true;
  for (int i = 0; i < kRuns; ++i) {
    // Anchor and navigation alternate, so that both see the same load on the machine.
    double anchorStart = NowMs();
    Enumerate();
    anchor.push_back(NowMs() - anchorStart);
    unsigned long lookupsBefore = quintar::folderon::ShellIconLookups();
    double start = NowMs();
    pane.Navigate(kFolder);
    UpdateWindow(pane.Window());
    PumpPending();
    std::wstring status = StatusText(host.status_);
    double elapsed = NowMs() - start;
    if (pane.RowCount() != expectedRows || status.empty() || status == loading) complete = false;
    navigate.push_back(elapsed);
    if (i == 0) lookups = quintar::folderon::ShellIconLookups() - lookupsBefore;
    pane.Navigate(L"\\Temp");
    UpdateWindow(pane.Window());
    PumpPending();
  }

  std::printf("anchor enumerate %d: %.1f ms\n", kFiles, Median(anchor));
  {
    std::vector<double> ce;
    for (int i = 0; i < kRuns; ++i) {
      double start = NowMs();
      EnumerateCe();
      ce.push_back(NowMs() - start);
    }
    std::printf("device enumerate %d: %.1f ms\n", kFiles, Median(ce));
  }
  std::printf("navigate %d: %.1f ms\n", kFiles, Median(navigate));
  std::printf("navigate %d, first run (icon cache cold): %.1f ms\n", kFiles, navigate[0]);
  std::printf("ratio navigate / enumerate: %.2f\n", Median(navigate) / Median(anchor));
  std::printf("icon look-ups: %lu\n", lookups);
  if (!complete) std::printf("warning: a navigation did not end with %d rows and its status\n", expectedRows);

  g_pane = nullptr;
  host.watcher_.Stop();
  pane.SaveSettingsAndDestroy();
  DestroyWindow(frame);
  return 0;
}

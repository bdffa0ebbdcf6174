// Opens the Properties sheet (file, folder with Contents, shortcut, several rows) and File Search
// in turn on sample files and prints "SHOT <name>" while each is on screen, for
// fileops/tests/shots.sh (with the program name folderon_shots). Fails when a dialog shows an
// image strip's key colour.
#include <windows.h>

#include <commctrl.h>

#include <ceservices.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "filemanager/properties.h"
#include "filemanager/searchdialog.h"
#include "testsupport/keycolour.h"
#include "win32/handle.h"

using namespace quintar::folderon;
using quintar::fileops::FileItem;

namespace {

struct Step {
  std::wstring caption;  // the window to wait for
  std::string shot;      // the name of its picture
  std::function<void(HWND)> then;
};
std::vector<Step> gSteps;
std::size_t gNext = 0;
DWORD gSeenAt = 0;
bool gFailed = false;

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
  if (gNext >= gSteps.size()) return;
  Step& step = gSteps[gNext];
  HWND dlg = nullptr;
  for (HWND w = FindWindowW(L"#32770", step.caption.c_str()); w;
       w = FindWindowExW(nullptr, w, L"#32770", step.caption.c_str()))
    if (IsWindowVisible(w) && IsWindowEnabled(w)) dlg = w;
  if (!dlg) return;
  if (!gSeenAt) {
    gSeenAt = GetTickCount();
    return;
  }
  if (GetTickCount() - gSeenAt < 700) return;
  if (!step.shot.empty()) {
    const auto keyed =
        testsupport::CountKeyColourOnScreen({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    if (keyed.Total()) {
      std::printf("FAILED %s: %ls\n", step.shot.c_str(), keyed.Describe().c_str());
      gFailed = true;
    }
    std::printf("SHOT %s\n", step.shot.c_str());
    std::fflush(stdout);
    step.shot.clear();
    gSeenAt = GetTickCount();
    return;
  }
  if (GetTickCount() - gSeenAt < 1500) return;  // the picture is being taken
  gSeenAt = 0;
  ++gNext;
  if (step.then) step.then(dlg);
}

void Put(const std::wstring& path, std::size_t bytes) {
  quintar::win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  std::string data(bytes, 'x');
  DWORD put;
  WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
}

FileItem Make(int kind, const std::wstring& folder, const std::wstring& name) {
  FileItem item;
  quintar::fileops::MakeFileItem(item, 0, kind, folder, name);
  return item;
}

void Cancel(HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0); }
void Page(HWND sheet, int index) { PostMessageW(sheet, PSM_SETCURSEL, index, 0); }

void Sheet(const std::wstring& caption, const std::string& shot, std::vector<FileItem> items, int pages) {
  gNext = 0;
  gSteps.clear();
  const char* names[] = {"", "-page2"};
  for (int i = 0; i < pages; ++i)
    gSteps.push_back({caption, shot + names[i], [i, pages](HWND d) { i + 1 < pages ? Page(d, i + 1) : Cancel(d); }});
  PropertiesOutcome outcome;
  ShowProperties(nullptr, items, {}, outcome);
}

}  // namespace

int wmain() {
  const std::wstring base = L"\\Shots";
  for (auto p : {L"", L"\\Documents", L"\\Documents\\Letters"}) CreateDirectoryW((base + p).c_str(), nullptr);
  Put(base + L"\\Documents\\report.txt", 1023999);
  Put(base + L"\\Documents\\Letters\\a.txt", 10);
  std::wstring link = base + L"\\Documents\\report.lnk", target = L"\"\\Shots\\Documents\\report.txt\"";
  SHCreateShortcut(link.data(), target.data());
  SetFileAttributesW((base + L"\\Documents\\report.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  SetTimer(nullptr, 0, 100, Poll);
  const std::wstring docs = base + L"\\Documents";
  using quintar::fileops::kKindFile, quintar::fileops::kKindFolder;
  Sheet(L"Properties of report.txt", "properties-file", {Make(kKindFile, docs, L"report.txt")}, 1);
  Sheet(L"Properties of Letters", "properties-folder", {Make(kKindFolder, docs, L"Letters")}, 2);
  Sheet(L"Properties of report.lnk", "properties-shortcut", {Make(kKindFile, docs, L"report.lnk")}, 2);
  Sheet(L"Files Properties", "properties-several",
        {Make(kKindFile, docs, L"report.txt"), Make(kKindFolder, docs, L"Letters")}, 1);

  // File Search, then with the date criterion on "Area" (both pickers) and the size criterion.
  gNext = 0;
  gSteps = {
      {L"File Search", "search",
       [](HWND d) {
         CheckDlgButton(d, 1014, BST_CHECKED);
         SendMessageW(d, WM_COMMAND, MAKEWPARAM(1014, BN_CLICKED), 0);
         SendDlgItemMessageW(d, 1040, CB_SETCURSEL, 1, 0);
         SendMessageW(d, WM_COMMAND, MAKEWPARAM(1040, CBN_SELCHANGE), 0);
         CheckDlgButton(d, 1035, BST_CHECKED);
         SendMessageW(d, WM_COMMAND, MAKEWPARAM(1035, BN_CLICKED), 0);
         SendDlgItemMessageW(d, 1041, CB_SETCURSEL, 1, 0);
       }},
      {L"File Search", "search-criteria", [](HWND d) { Cancel(d); }},
  };
  std::vector<SearchResultNode> hits;
  RunSearch(nullptr, docs, hits);
  std::printf("END\n");
  std::fflush(stdout);
  return gFailed ? 1 : 0;
}

// Opens each dialog of the file operations in turn on sample files and prints "SHOT <name>"
// while it is on screen, for a script that photographs the screen (tests/shots.sh). It fails
// when a dialog shows an image strip's key colour.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fileops/fileops.h"
#include "testsupport/keycolour.h"
#include "win32/handle.h"

using namespace quintar::fileops;

namespace {

struct Step {
  std::wstring caption;  // the dialog to wait for
  std::string shot;      // the name of its picture
  std::function<void(HWND)> then;
};
std::vector<Step> gSteps;
std::size_t gNext = 0;
DWORD gSeenAt = 0;
bool gFailed = false;  // a dialog showed an image strip's key colour

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
  if (GetTickCount() - gSeenAt == 0 || GetTickCount() - gSeenAt < 700) return;
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
  MakeFileItem(item, 0, kind, folder, name);
  return item;
}

void Command(HWND dlg, int id) { PostMessageW(dlg, WM_COMMAND, id, 0); }

}  // namespace

int wmain() {
  const std::wstring base = L"\\Shots";
  for (auto p : {L"", L"\\Documents", L"\\Documents\\Letters", L"\\Pictures", L"\\Target", L"\\Target\\Letters"})
    CreateDirectoryW((base + p).c_str(), nullptr);
  CreateDirectoryW(L"\\My Documents", nullptr);
  Put(base + L"\\Documents\\report.txt", 12345);
  Put(base + L"\\Target\\report.txt", 2048);
  Put(base + L"\\Documents\\Letters\\a.txt", 10);
  Put(base + L"\\Documents\\big.bin", 3 << 20);
  SetFileAttributesW((base + L"\\Target\\report.txt").c_str(), FILE_ATTRIBUTE_READONLY);

  SetTimer(nullptr, 0, 100, Poll);
  std::wstring path = base + L"\\Documents";
  gSteps = {
      {L"Copy file to", "chooser", [](HWND d) { Command(d, ids::kCmdRename); }},
      {L"Rename folder", "rename", [](HWND d) { Command(d, IDCANCEL); }},
      {L"Copy file to", "", [](HWND d) { Command(d, IDCANCEL); }},
  };
  ChooseFolder(nullptr, L"Copy file to", path, nullptr);

  // The progress dialog, held up by a slow write, then the two conflict prompts.
  gNext = 0;
  gSteps = {
      {L"Copy Files", "copy-progress", nullptr},
      {L"Replace existing File?", "file-conflict", [](HWND d) { Command(d, ids::kNo); }},
      {L"Replace existing Folder?", "folder-conflict", [](HWND d) { Command(d, IDNO); }},
  };
  Hooks slow;
  slow.beforeWrite = [](const std::wstring&, unsigned long long offset) {
    if (offset == 0) Sleep(4000);  // the dialog shows after half a second, then is photographed
    return true;
  };
  std::vector<FileItem> items{Make(kKindFile, base + L"\\Documents", L"big.bin"),
                              Make(kKindFile, base + L"\\Documents", L"report.txt"),
                              Make(kKindFolder, base + L"\\Documents", L"Letters")};
  StartTransfer(nullptr, base + L"\\Documents", base + L"\\Target", items, false, slow);

  // The delete questions and progress.
  gNext = 0;
  gSteps = {
      {L"Confirm File Delete", "delete-question", [](HWND d) { Command(d, ids::kYes); }},
      {L"Confirm File Delete", "delete-item-question", [](HWND d) { Command(d, ids::kNo); }},
  };
  items = {Make(kKindFile, base + L"\\Target", L"report.txt"), Make(kKindFile, base + L"\\Target", L"big.bin")};
  StartDelete(nullptr, base + L"\\Target", items);

  // The parameter dialog, with a name long enough to wrap.
  gNext = 0;
  gSteps = {{L"Specify parameter", "parameters", [](HWND d) { Command(d, IDCANCEL); }}};
  std::wstring parameters;
  AskParameters(nullptr, L"Quarterly report for the board.txt", parameters);
  std::printf("END\n");
  std::fflush(stdout);
  return gFailed ? 1 : 0;
}

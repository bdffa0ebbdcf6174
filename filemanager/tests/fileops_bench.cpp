// Copy, move and delete of a tree through Folderon's own commands (Copy then Paste, Cut then
// Paste, Delete) against bare loops of the platform calls over the same tree in the same run.
// Folderon runs in this process; a driver thread navigates, selects and sends the commands as
// the menu would, and the dialog responder answers the prompts. Prints
// "name: ours X ms, anchor Y ms, ratio Z".
//   folderon_fileops_bench [files-per-folder [folders [big-file-MiB [rounds]]]]  (default 50 100 256 3)
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "filemanager/core/startup.h"
#include "filemanager/mainframe.h"
#include "filemanager/resource.h"
#include "fileops/fileops.h"
#include "fileops/tests/bench_tree.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

namespace {

using namespace quintar::fileops::bench;

namespace qf = quintar::folderon;

constexpr WORD kCopy = 59411, kCut = 59412, kPaste = 59413, kDelete = 40024;

long long CountFiles(const std::wstring& path) {
  long long n = 0;
  WIN32_FIND_DATAW fd;
  quintar::win32::FindHandle find(FindFirstFileW((path + L"\\*.*").c_str(), &fd));
  if (!find) return 0;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(path + L"\\" + name) : 1;
  } while (FindNextFileW(find.get(), &fd));
  return n;
}

void Print(const char* name, double ours, double anchor) {
  std::printf("%s: ours %.0f ms, anchor %.0f ms, ratio %.2f\n", name, ours, anchor, anchor > 0 ? ours / anchor : 0.0);
  std::fflush(stdout);
}

struct Settings {
  int files = 50, folders = 100, bigMiB = 256, rounds = 3;
};

// Drives the running Folderon from its own thread, as the menu and a second start would.
class Driver {
 public:
  explicit Driver(const Settings& settings) : settings_(settings) {}

  static DWORD WINAPI Main(LPVOID self) {
    static_cast<Driver*>(self)->Run();
    return 0;
  }

  bool failed = false;

 private:
  // Shows `folder` the way a second start hands one over.
  bool Go(const std::wstring& folder) {
    std::u16string payload = qf::core::OpenFolderPayload(std::u16string(folder.begin(), folder.end()));
    COPYDATASTRUCT data{};
    data.dwData = qf::core::kCopyDataOpenFolder;
    data.cbData = static_cast<DWORD>(payload.size() * sizeof(char16_t));
    data.lpData = payload.data();
    SendMessageW(main_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return true;
  }
  // Selects the row named `name` only; false when there is none.
  bool Select(const wchar_t* name) {
    FocusList();
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = name;
    int row =
        static_cast<int>(SendMessageW(list_, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (row < 0) return false;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    return true;
  }
  // The item commands work on the pane with the keyboard focus: the list, as after a tap on it.
  void FocusList() {
    DWORD ui = GetWindowThreadProcessId(main_, nullptr);
    if (AttachThreadInput(GetCurrentThreadId(), ui, TRUE)) {
      SetForegroundWindow(main_);
      SetFocus(list_);
      AttachThreadInput(GetCurrentThreadId(), ui, FALSE);
    }
  }
  void Command(WORD id) { SendMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // In `folder`, takes `name` with `take` (Copy or Cut).
  bool Take(const std::wstring& folder, const wchar_t* name, WORD take) {
    Go(folder);
    if (!Select(name)) {
      std::printf("no row '%ls' in %ls\n", name, folder.c_str());
      failed = true;
      return false;
    }
    Command(take);
    return true;
  }

  void Check(const char* what, long long files, long long expected, int round) {
    if (round == 0 || files != expected) std::printf("  %s: %lld files (expected %lld)\n", what, files, expected);
    if (files != expected) failed = true;
  }

  void Run() {
    for (int i = 0; i < 200 && !list_; ++i, Sleep(50)) {
      main_ = FindWindowW(qf::kWindowClass, nullptr);
      if (main_ && IsWindowVisible(main_)) list_ = GetDlgItem(main_, IDC_LIST);
    }
    if (!list_) {
      std::printf("Folderon's window did not come up\n");
      failed = true;
      if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
      return;
    }
    const std::wstring root = L"\\bench";
    // Each round copies, moves and deletes once with each side, the side going first alternating;
    // the best time of each side counts, which filters out the other load on a shared machine.
    double best[3][2];
    for (auto& b : best) b[0] = b[1] = 1e300;
    auto measure = [&](int what, int side, auto&& run) {
      double t = Now();
      run();
      best[what][side] = std::min(best[what][side], Now() - t);
    };
    for (int round = 0; round < settings_.rounds && !failed; ++round) {
      for (int turn = 0; turn < 2 && !failed; ++turn) {
        if ((round + turn) % 2 == 1) {
          measure(0, 1, [&] { CopyLoop(root + L"\\src", root + L"\\anchor"); });
          measure(1, 1, [&] { MoveLoop(root + L"\\anchor", root + L"\\anchor-moved"); });
          measure(2, 1, [&] { DeleteLoop(root + L"\\anchor-moved"); });
          continue;
        }
        CreateDirectoryW((root + L"\\ours").c_str(), nullptr);
        CreateDirectoryW((root + L"\\ours-moved").c_str(), nullptr);
        CreateDirectoryW((root + L"\\ours-moved\\src").c_str(), nullptr);
        // Copy in the tree's folder, Paste in the destination (the timed command).
        if (!Take(root, L"src", kCopy)) break;
        Go(root + L"\\ours");
        measure(0, 0, [&] { Command(kPaste); });
        // Every command must have done all its work, or its time says nothing.
        const long long total = CountFiles(root + L"\\src");
        Check("copied", CountFiles(root + L"\\ours\\src"), total, round);
        // Cut, then Paste into a folder holding a "src" already: merged, so moved file by file.
        if (!Take(root + L"\\ours", L"src", kCut)) break;
        Go(root + L"\\ours-moved");
        measure(1, 0, [&] { Command(kPaste); });
        Check("moved", CountFiles(root + L"\\ours-moved\\src"), total, round);
        Go(root + L"\\ours-moved");
        if (!Select(L"src")) {
          failed = true;
          break;
        }
        measure(2, 0, [&] { Command(kDelete); });
        Check("left after delete", CountFiles(root + L"\\ours-moved"), 0, round);
        Go(root);
        DeleteLoop(root + L"\\ours");
        DeleteLoop(root + L"\\ours-moved");
      }
    }
    if (!failed) {
      Print("paste of copied tree", best[0][0], best[0][1]);
      Print("paste of cut tree (file by file into an existing folder)", best[1][0], best[1][1]);
      Print("delete of tree", best[2][0], best[2][1]);
    }
    PostMessageW(main_, WM_CLOSE, 0, 0);
  }

  Settings settings_;
  HWND main_ = nullptr;
  HWND list_ = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Settings settings;
  if (argc > 1) settings.files = _wtoi(argv[1]);
  if (argc > 2) settings.folders = _wtoi(argv[2]);
  if (argc > 3) settings.bigMiB = _wtoi(argv[3]);
  if (argc > 4) settings.rounds = _wtoi(argv[4]);
  const std::wstring root = L"\\bench";
  DeleteLoop(root);
  CreateDirectoryW(root.c_str(), nullptr);
  std::printf("tree: %d folders x %d files of 4 KiB, one file of %d MiB\n", settings.folders, settings.files,
              settings.bigMiB);
  std::fflush(stdout);
  MakeTree(root + L"\\src", settings.folders, settings.files, settings.bigMiB);

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                           ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&icc);
  // The prompts come up on Folderon's thread, this one: the responder answers them here.
  testsupport::DialogResponder responder;
  responder.SetLeaveUnmatched(true);
  responder.SetAnswerDelay(0);
  responder.OnText(L"In 'ours-moved', a folder called 'src' already exists.", IDYES);
  responder.OnCaption(L"Confirm File Delete", quintar::fileops::ids::kYes);

  Driver driver(settings);
  quintar::win32::KernelHandle thread(CreateThread(nullptr, 0, Driver::Main, &driver, 0, nullptr));
  if (!thread) return 1;
  qf::MainFrame frame;
  frame.Run(GetModuleHandleW(nullptr), root);
  WaitForSingleObject(thread.get(), INFINITE);
  DeleteLoop(root);
  return driver.failed ? 1 : 0;
}

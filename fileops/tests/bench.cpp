// Copy, move and delete of a tree through the engines against bare loops of the platform calls
// over the same tree in the same run. Prints "name: ours X ms, anchor Y ms, ratio Z".
//   fileops_bench [files-per-folder [folders [big-file-MiB]]]   (default 50 100 256)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/fileops.h"
#include "fileops/tests/bench_tree.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

using namespace quintar::fileops;

namespace {

using namespace quintar::fileops::bench;

FileItem Folder(const std::wstring& folder, const std::wstring& name) {
  FileItem item;
  MakeFileItem(item, 0, kKindFolder, folder, name);
  return item;
}

void Print(const char* name, double ours, double anchor) {
  std::printf("%s: ours %.0f ms, anchor %.0f ms, ratio %.2f\n", name, ours, anchor, anchor > 0 ? ours / anchor : 0.0);
  std::fflush(stdout);
}

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int files = argc > 1 ? _wtoi(argv[1]) : 50;
  int folders = argc > 2 ? _wtoi(argv[2]) : 100;
  int bigMiB = argc > 3 ? _wtoi(argv[3]) : 256;
  const std::wstring root = L"\\bench";
  DeleteLoop(root);
  CreateDirectoryW(root.c_str(), nullptr);
  std::printf("tree: %d folders x %d files of 4 KiB, one file of %d MiB\n", folders, files, bigMiB);
  MakeTree(root + L"\\src", folders, files, bigMiB);

  {
    double t0 = Now();
    long long n = CountFiles(root + L"\\src");
    std::printf("  counting walk alone: %.0f ms for %lld files\n", Now() - t0, n);
  }
  testsupport::DialogResponder responder;
  responder.SetLeaveUnmatched(true);
  responder.SetAnswerDelay(0);
  Hooks hooks;
  RunReport report;
  hooks.report = &report;

  {
    CreateDirectoryW((root + L"\\empty").c_str(), nullptr);
    CreateDirectoryW((root + L"\\empty-to").c_str(), nullptr);
    std::vector<FileItem> items{Folder(root, L"empty")};
    double t0 = Now();
    StartTransfer(nullptr, root, root + L"\\empty-to", items, false, hooks);
    std::printf("  fixed cost of a run (dialog, thread): %.0f ms\n", Now() - t0);
  }
  // Each round copies, moves and deletes once with each side, the side going first alternating;
  // the best time of each side counts, which filters out the other load on a shared machine.
  int rounds = argc > 4 ? _wtoi(argv[4]) : 3;
  double best[4][2];
  for (auto& b : best) b[0] = b[1] = 1e300;
  responder.OnText(L"In 'ours-moved', a folder called 'src' already exists.", IDYES);
  responder.OnText(L"'src' is a folder. Do you really want to delete it ?", ids::kYes);
  auto measure = [&](int what, int side, auto&& run) {
    double t = Now();
    run();
    best[what][side] = std::min(best[what][side], Now() - t);
  };
  for (int round = 0; round < rounds; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      int side = (round + turn) % 2;  // 0 ours, 1 anchor
      if (side == 1) {
        measure(0, 1, [&] { CopyLoop(root + L"\\src", root + L"\\anchor"); });
        measure(1, 1, [&] { MoveLoop(root + L"\\anchor", root + L"\\anchor-moved"); });
        measure(3, 1, [&] { DeleteLoop(root + L"\\anchor-moved"); });
      } else {
        CreateDirectoryW((root + L"\\ours").c_str(), nullptr);
        CreateDirectoryW((root + L"\\ours-moved").c_str(), nullptr);
        CreateDirectoryW((root + L"\\ours-moved\\src").c_str(), nullptr);
        CreateDirectoryW((root + L"\\ours-whole").c_str(), nullptr);
        std::vector<FileItem> items{Folder(root, L"src")};
        measure(0, 0, [&] { StartTransfer(nullptr, root, root + L"\\ours", items, false, hooks); });
        if (round == 0)
          std::printf("  copied files: ours %lld of %lld (canceled: %d)\n", CountFiles(root + L"\\ours\\src"),
                      CountFiles(root + L"\\src"), report.canceled ? 1 : 0);
        // Into a folder that exists already: merged, so moved file by file.
        items = {Folder(root + L"\\ours", L"src")};
        measure(1, 0, [&] { StartTransfer(nullptr, root + L"\\ours", root + L"\\ours-moved", items, true, hooks); });
        // Where nothing of the name exists: one rename.
        items = {Folder(root + L"\\ours-moved", L"src")};
        measure(2, 0,
                [&] { StartTransfer(nullptr, root + L"\\ours-moved", root + L"\\ours-whole", items, true, hooks); });
        if (round == 0) std::printf("  moved files: %lld\n", CountFiles(root + L"\\ours-whole\\src"));
        items = {Folder(root + L"\\ours-whole", L"src")};
        measure(3, 0, [&] { StartDelete(nullptr, root + L"\\ours-whole", items, hooks); });
        if (round == 0)
          std::printf("  left after delete: %lld (done %d)\n", CountFiles(root + L"\\ours-whole"), items[0].done);
        DeleteLoop(root + L"\\ours");
        DeleteLoop(root + L"\\ours-moved");
        DeleteLoop(root + L"\\ours-whole");
      }
    }
  }
  best[2][1] = best[1][1];
  Print("copy", best[0][0], best[0][1]);
  Print("move (file by file into an existing folder)", best[1][0], best[1][1]);
  Print("move (whole folder)", best[2][0], best[2][1]);
  Print("delete", best[3][0], best[3][1]);
  DeleteLoop(root);
  return 0;
}

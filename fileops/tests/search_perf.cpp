// File Search and the Properties count against bare loops of the platform calls over the same
// trees in the same run. Prints "name: ours X ms, anchor Y ms, ratio Z" and, for the host's
// grep, "TREE <device folder>" and "OURS text <ms>" (tests/search_bench.sh compares them).
//   fileops_search_perf [text-files [text-KiB-per-file [name-entries]]]   (default 5000 102 100000)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/search.h"
#include "win32/handle.h"
#include "win32/text.h"

using namespace quintar::fileops;

namespace {

constexpr std::size_t kBlock = 256 * 1024;  // as the search reads
constexpr char kNeedle[] = "quintar-needle";

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void Write(const std::wstring& path, const std::string& bytes) {
  quintar::win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD put = 0;
  if (file && !bytes.empty()) WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
}

// Text that looks like text: lower-case words; a few files get the needle.
void MakeTextTree(const std::wstring& root, int files, int kib) {
  CreateDirectoryW(root.c_str(), nullptr);
  std::string body(static_cast<std::size_t>(kib) * 1024, ' ');
  unsigned seed = 12345;
  for (char& c : body) {
    seed = seed * 1103515245u + 12345u;
    unsigned r = (seed >> 16) % 32;
    c = r < 26 ? static_cast<char>('a' + r) : ' ';
  }
  for (int i = 0; i < files; ++i) {
    std::wstring folder = root + L"\\d" + std::to_wstring(i / 100);
    if (i % 100 == 0) CreateDirectoryW(folder.c_str(), nullptr);
    std::string bytes = body;
    if (i % 1700 == 1000) bytes.replace(bytes.size() / 2, sizeof kNeedle - 1, kNeedle);
    bytes[static_cast<std::size_t>(i) % bytes.size()] = 'x';
    Write(folder + L"\\t" + std::to_wstring(i) + L".txt", bytes);
  }
}

void MakeNameTree(const std::wstring& root, int entries) {
  CreateDirectoryW(root.c_str(), nullptr);
  for (int i = 0; i < entries; ++i) {
    std::wstring folder = root + L"\\n" + std::to_wstring(i / 1000);
    if (i % 1000 == 0) CreateDirectoryW(folder.c_str(), nullptr);
    Write(folder + L"\\entry" + std::to_wstring(i) + (i % 997 == 0 ? L"-Zebra.txt" : L".txt"), std::string(i % 7, 'z'));
  }
}

// The anchors: a bare walk, and a bare walk that reads every file in the search's blocks.
void BareWalk(const std::wstring& folder, std::vector<char>* buffer, unsigned long long& seen) {
  WIN32_FIND_DATAW fd;
  quintar::win32::FindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &fd));
  if (!find) return;
  do {
    if (fd.cFileName[0] == L'.' && (!fd.cFileName[1] || (fd.cFileName[1] == L'.' && !fd.cFileName[2]))) continue;
    std::wstring child = folder + L"\\" + fd.cFileName;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      BareWalk(child, buffer, seen);
      continue;
    }
    seen += fd.nFileSizeLow;
    if (!buffer) continue;
    quintar::win32::FileHandle file(
        CreateFileW(child.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    DWORD got = 0;
    while (file && ReadFile(file.get(), buffer->data(), static_cast<DWORD>(buffer->size()), &got, nullptr) && got)
      seen += got;
  } while (FindNextFileW(find.get(), &fd));
}

template <class F>
double Best(int runs, F&& f) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    double t0 = Now();
    f();
    best = std::min(best, Now() - t0);
  }
  return best;
}

void Report(const std::string& name, double ours, double anchor) {
  std::printf("%s: ours %.1f ms, anchor %.1f ms, ratio %.2f\n", name.c_str(), ours, anchor, ours / anchor);
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int files = argc > 1 ? _wtoi(argv[1]) : 5000;
  const int kib = argc > 2 ? _wtoi(argv[2]) : 102;
  const int entries = argc > 3 ? _wtoi(argv[3]) : 100000;
  const std::wstring textRoot = L"\\BenchSearch", nameRoot = L"\\BenchNames";
  std::printf("making %d files of %d KiB and %d entries...\n", files, kib, entries);
  std::fflush(stdout);
  MakeTextTree(textRoot, files, kib);
  MakeNameTree(nameRoot, entries);
  std::printf("TREE %ls\n", textRoot.c_str());

  std::vector<char> buffer(kBlock);
  unsigned long long seen = 0;
  std::size_t hits = 0;
  core::SearchCriteria text;
  text.text = u"quintar-needle";
  auto search = [&](const std::wstring& root, const core::SearchCriteria& c) {
    hits = 0;
    SearchFiles(root, c, [&](SearchHit&&) { ++hits; });
  };
  // Warm the cache once for both, then alternate.
  search(textRoot, text);
  double anchor = Best(3, [&] { BareWalk(textRoot, &buffer, seen); });
  double ours = Best(3, [&] { search(textRoot, text); });
  std::printf("text hits: %zu\n", hits);
  const std::string textName = "text search " + std::to_string((static_cast<long long>(files) * kib) >> 10) +
                               " MiB in " + std::to_string(files) + " files";
  Report(textName + " / ReadFile loop", ours, anchor);
  std::printf("OURS %s\t%.1f\n", textName.c_str(), ours);

  core::SearchCriteria name;
  name.namePattern = u"ZEBRA";
  search(nameRoot, name);
  anchor = Best(5, [&] { BareWalk(nameRoot, nullptr, seen); });
  ours = Best(5, [&] { search(nameRoot, name); });
  std::printf("name hits: %zu\n", hits);
  const std::string entriesText = std::to_string(entries) + " entries";
  Report("name search " + entriesText + " / FindFirstFileW walk", ours, anchor);

  ContentCount count;
  ours = Best(5, [&] {
    count = {};
    CountFolder(nameRoot, count);
  });
  std::printf("counted %llu folders, %llu files\n", count.folders, count.files);
  Report("folder count " + entriesText + " / FindFirstFileW walk", ours, anchor);
  return seen == 0;
}

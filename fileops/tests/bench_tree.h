// The tree the file-operation benchmarks work on and the anchors they are measured against: bare
// loops of the platform calls, what a program without the engines would do.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/handle.h"

namespace quintar::fileops::bench {

inline double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

inline void WriteBytes(const std::wstring& path, const std::vector<char>& block, long long bytes) {
  quintar::win32::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  for (long long done = 0; done < bytes;) {
    DWORD n = static_cast<DWORD>(std::min<long long>(static_cast<long long>(block.size()), bytes - done)), put = 0;
    if (!WriteFile(file.get(), block.data(), n, &put, nullptr) || put == 0) break;
    done += put;
  }
}

inline void MakeTree(const std::wstring& root, int folders, int files, int bigMiB) {
  CreateDirectoryW(root.c_str(), nullptr);
  std::vector<char> block(1 << 20, 'q');
  for (int d = 0; d < folders; ++d) {
    std::wstring folder = root + L"\\d" + std::to_wstring(d);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int f = 0; f < files; ++f) WriteBytes(folder + L"\\f" + std::to_wstring(f) + L".dat", block, 4096);
  }
  if (bigMiB > 0) WriteBytes(root + L"\\big.bin", block, static_cast<long long>(bigMiB) << 20);
}

// The anchors: `from` walked into `to` folder by folder, each file handed to `file`; with
// `removeEmptied`, each folder left behind is removed.
template <class FileOp>
void WalkInto(const std::wstring& from, const std::wstring& to, FileOp file, bool removeEmptied) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW fd;
  quintar::win32::FindHandle find(FindFirstFileW((from + L"\\*.*").c_str(), &fd));
  if (!find) return;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      WalkInto(from + L"\\" + name, to + L"\\" + name, file, removeEmptied);
    else
      file(from + L"\\" + name, to + L"\\" + name);
  } while (FindNextFileW(find.get(), &fd));
  find.reset();
  if (removeEmptied) RemoveDirectoryW(from.c_str());
}

inline void CopyLoop(const std::wstring& from, const std::wstring& to) {
  WalkInto(
      from, to, [](const std::wstring& a, const std::wstring& b) { CopyFileW(a.c_str(), b.c_str(), TRUE); }, false);
}

inline void MoveLoop(const std::wstring& from, const std::wstring& to) {
  WalkInto(
      from, to, [](const std::wstring& a, const std::wstring& b) { MoveFileW(a.c_str(), b.c_str()); }, true);
}

inline void DeleteLoop(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  quintar::win32::FindHandle find(FindFirstFileW((path + L"\\*.*").c_str(), &fd));
  if (find) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteLoop(path + L"\\" + name);
      else
        DeleteFileW((path + L"\\" + name).c_str());
    } while (FindNextFileW(find.get(), &fd));
  }
  find.reset();
  RemoveDirectoryW(path.c_str());
}

}  // namespace quintar::fileops::bench

#include "fileops/tests/test_util.h"

#include <algorithm>

#include "win32/handle.h"

namespace fotest {

namespace {
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  quintar::win32::FindHandle find(FindFirstFileW((path + L"\\*.*").c_str(), &fd));
  if (find) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find.get(), &fd));
  }
  find.reset();  // the folder goes only once nothing holds it open
  RemoveDirectoryW(path.c_str());
}
}  // namespace

std::wstring FreshFolder(const std::wstring& name) {
  CreateDirectoryW(L"\\fot", nullptr);
  std::wstring path = L"\\fot\\" + name;
  RemoveTree(path);
  CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

bool Put(const std::wstring& path, const std::string& content, DWORD attributes) {
  quintar::win32::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD put = 0;
  bool ok =
      WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &put, nullptr) && put == content.size();
  file.reset();  // closed before the attributes change
  if (attributes) SetFileAttributesW(path.c_str(), attributes);
  return ok;
}

std::string Get(const std::wstring& path) {
  quintar::win32::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string out(1 << 16, '\0');
  DWORD got = 0;
  ReadFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
  out.resize(got);
  return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  quintar::win32::FindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &fd));
  if (find) {
    do {
      std::wstring name = fd.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find.get(), &fd));
  }
  std::sort(names.begin(), names.end());
  return names;
}

quintar::fileops::FileItem Item(int kind, const std::wstring& folder, const std::wstring& name) {
  quintar::fileops::FileItem item;
  quintar::fileops::MakeFileItem(item, 0, kind, folder, name);
  return item;
}

}  // namespace fotest

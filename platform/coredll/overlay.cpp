// The CE attributes Wine does not keep, laid over the suite's finds and attribute reads: the
// profile's storage-card folders at the root carry FILE_ATTRIBUTE_TEMPORARY, its ROM files the
// in-ROM attributes. The profile is read once per search, not per entry.
#include <ceservices.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/coredll/profile.h"

using namespace quintar::coredll;

namespace {

constexpr DWORD kRomAttributes = FILE_ATTRIBUTE_INROM | FILE_ATTRIBUTE_ROMMODULE | FILE_ATTRIBUTE_READONLY;

// What one folder's entries may gain.
struct FolderOverlay {
  std::vector<std::wstring> cards;      // only for the root
  std::vector<std::wstring> romLeaves;  // leaf names of the folder's ROM files

  bool Empty() const { return cards.empty() && romLeaves.empty(); }

  DWORD Apply(const std::wstring& leaf, DWORD attributes) const {
    if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      for (const auto& card : cards) {
        if (SameName(card, leaf)) return attributes | FILE_ATTRIBUTE_TEMPORARY;
      }
      return attributes;
    }
    for (const auto& rom : romLeaves) {
      if (SameName(rom, leaf)) return (attributes | kRomAttributes) & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
    }
    return attributes;
  }
};

FolderOverlay OverlayFor(const std::wstring& folder) {
  FolderOverlay overlay;
  ProfileKey profile;
  if (!profile.IsOpen()) return overlay;
  if (folder.empty()) overlay.cards = StorageCardNames(profile);
  for (auto& path : RomFilePaths(profile)) {
    std::wstring romFolder, romLeaf;
    SplitDevicePath(path, romFolder, romLeaf);
    if (!romLeaf.empty() && SameName(romFolder, folder)) overlay.romLeaves.push_back(std::move(romLeaf));
  }
  return overlay;
}

// Searches with something to add, by find handle. FindClose cannot tell us a search ended, so
// every new search overwrites whatever an earlier one left under its (reused) handle value.
class SearchTable {
 public:
  void Set(HANDLE h, std::shared_ptr<const FolderOverlay> overlay) {
    AcquireSRWLockExclusive(&lock_);
    try {
      if (overlay) {
        table_[h] = std::move(overlay);
      } else {
        table_.erase(h);
      }
    } catch (...) {
      // No room to remember this search: make sure no stale overlay is left under its handle.
      table_.erase(h);
      ReleaseSRWLockExclusive(&lock_);
      throw;
    }
    ReleaseSRWLockExclusive(&lock_);
  }
  std::shared_ptr<const FolderOverlay> Get(HANDLE h) {
    std::shared_ptr<const FolderOverlay> found;
    AcquireSRWLockShared(&lock_);
    auto it = table_.find(h);
    if (it != table_.end()) found = it->second;
    ReleaseSRWLockShared(&lock_);
    return found;
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  std::unordered_map<HANDLE, std::shared_ptr<const FolderOverlay>> table_;
};

SearchTable& Searches() {
  static SearchTable table;
  return table;
}

}  // namespace

extern "C" HANDLE WINAPI CeFindFirstFile(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  HANDLE h = FindFirstFileW(lpFileName, lpFindFileData);
  if (h == INVALID_HANDLE_VALUE) return h;
  try {
    std::shared_ptr<const FolderOverlay> shared;
    if (auto device = ToDevicePath(lpFileName)) {
      std::wstring folder, pattern;
      SplitDevicePath(*device, folder, pattern);
      auto overlay = std::make_shared<FolderOverlay>(OverlayFor(folder));
      if (!overlay->Empty()) shared = std::move(overlay);
    }
    if (shared) {
      lpFindFileData->dwFileAttributes = shared->Apply(lpFindFileData->cFileName, lpFindFileData->dwFileAttributes);
    }
    Searches().Set(h, std::move(shared));
  } catch (...) {
    // Without memory for the overlay the search still works, with the desktop's attributes.
    Searches().Set(h, nullptr);
  }
  return h;
}

extern "C" BOOL WINAPI CeFindNextFile(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  if (!FindNextFileW(hFindFile, lpFindFileData)) return FALSE;
  if (auto overlay = Searches().Get(hFindFile)) {
    try {
      lpFindFileData->dwFileAttributes = overlay->Apply(lpFindFileData->cFileName, lpFindFileData->dwFileAttributes);
    } catch (...) {
    }
  }
  return TRUE;
}

extern "C" BOOL WINAPI CeFindClose(HANDLE hFindFile) {
  Searches().Set(hFindFile, nullptr);
  return FindClose(hFindFile);  // this is the close function itself: the caller's handle ends here
}

namespace {

DWORD OverlayPath(LPCWSTR path, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
  try {
    auto device = ToDevicePath(path);
    if (!device || device->empty()) return attributes;
    std::wstring folder, leaf;
    SplitDevicePath(*device, folder, leaf);
    return OverlayFor(folder).Apply(leaf, attributes);
  } catch (...) {
    return attributes;
  }
}

}  // namespace

extern "C" DWORD WINAPI CeGetFileAttributes(LPCWSTR lpFileName) {
  DWORD attributes = GetFileAttributesW(lpFileName);
  if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
  DWORD error = GetLastError();
  attributes = OverlayPath(lpFileName, attributes);
  SetLastError(error);
  return attributes;
}

extern "C" BOOL WINAPI CeGetFileAttributesEx(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId,
                                             LPVOID lpFileInformation) {
  if (!GetFileAttributesExW(lpFileName, fInfoLevelId, lpFileInformation)) return FALSE;
  if (fInfoLevelId == GetFileExInfoStandard) {
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(lpFileInformation);
    DWORD error = GetLastError();
    data->dwFileAttributes = OverlayPath(lpFileName, data->dwFileAttributes);
    SetLastError(error);
  }
  return TRUE;
}

// Storage-card enumeration: the profile's card folders that are present at the device root, in
// the profile's order. The search handle is a find handle over the first card's own folder, so
// kernel32's FindClose ends it; the cards still to come are kept beside it, keyed by handle.
#include <ceservices.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/coredll/profile.h"
#include "win32/handle.h"

using namespace quintar::coredll;
namespace win32 = quintar::win32;

namespace {

struct CardSearch {
  std::vector<std::wstring> names;
  size_t next = 0;
};

SRWLOCK g_lock = SRWLOCK_INIT;

// Keyed by handle value; FindClose cannot tell us a search ended, so a new search overwrites
// whatever an earlier one left under a reused handle value.
std::unordered_map<HANDLE, CardSearch>& Searches() {
  static std::unordered_map<HANDLE, CardSearch> table;
  return table;
}

// Opens a find over the card's own folder; empty when no such folder is present.
win32::FindHandle FindCard(const std::wstring& name, WIN32_FIND_DATAW* data) {
  const std::wstring path = L"\\" + name;
  win32::FindHandle h(FindFirstFileW(path.c_str(), data));
  if (!h || !(data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  data->dwFileAttributes |= FILE_ATTRIBUTE_TEMPORARY;
  return h;
}

}  // namespace

extern "C" HANDLE WINAPI FindFirstFlashCard(LPWIN32_FIND_DATAW lpFindFlashData) {
  if (!lpFindFlashData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  try {
    std::vector<std::wstring> names;
    {
      ProfileKey profile;
      names = StorageCardNames(profile);
    }
    for (size_t i = 0; i < names.size(); ++i) {
      win32::FindHandle h = FindCard(names[i], lpFindFlashData);
      if (!h) continue;
      CardSearch search{std::move(names), i + 1};
      AcquireSRWLockExclusive(&g_lock);
      try {
        Searches()[h.get()] = std::move(search);
      } catch (...) {
        ReleaseSRWLockExclusive(&g_lock);
        throw;
      }
      ReleaseSRWLockExclusive(&g_lock);
      return h.release();  // the caller's search handle, ended with FindClose
    }
    SetLastError(ERROR_NO_MORE_FILES);
    return INVALID_HANDLE_VALUE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

extern "C" BOOL WINAPI FindNextFlashCard(HANDLE hFlashCard, LPWIN32_FIND_DATAW lpFindFlashData) {
  if (!lpFindFlashData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BOOL found = FALSE;
  DWORD error = ERROR_NO_MORE_FILES;
  AcquireSRWLockExclusive(&g_lock);
  try {
    auto& table = Searches();
    auto it = table.find(hFlashCard);
    if (it == table.end()) {
      error = ERROR_INVALID_HANDLE;
    } else {
      CardSearch& search = it->second;
      while (!found && search.next < search.names.size()) {
        if (FindCard(search.names[search.next++], lpFindFlashData)) found = TRUE;
      }
    }
  } catch (...) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  }
  ReleaseSRWLockExclusive(&g_lock);
  if (!found) SetLastError(error);
  return found;
}

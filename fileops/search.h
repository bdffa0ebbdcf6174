// File Search's walk and the Properties sheet's count of a folder's contents: engines without a
// window, run on the caller's thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "fileops/core/search.h"

namespace quintar::fileops {

// One entry that met the criteria, as found.
struct SearchHit {
  std::wstring folder;  // "" for the root
  std::wstring name;
  DWORD attributes = 0;
  FILETIME time{};  // files: last write; folders: creation (both as the file system keeps them)
  std::uint64_t size = 0;
};

// The search for `text` in a file's bytes in the device's code page; without `caseSensitive`
// each byte may match the lower- or the upper-case form, unless the two forms convert to a
// different number of bytes, where the text is searched as typed.
core::TextMatcher MakeTextMatcher(std::wstring_view text, bool caseSensitive);

// Walks `start` ("" is the root) and reports each hit in the order the file system lists the
// entries, descending at once into a folder when `subfolders` is set. "." and ".." are neither
// hits nor walked; a path that would pass 259 characters is skipped.
void SearchFiles(const std::wstring& start, const core::SearchCriteria& criteria,
                 const std::function<void(SearchHit&&)>& onHit);

// Whether the file holds the matcher's bytes; a file that cannot be opened (shared or gone)
// does not. Read in constant blocks.
bool FileContains(const std::wstring& path, const core::TextMatcher& matcher);

// Folders, files and bytes below a folder, the folder itself counted as one.
struct ContentCount {
  std::uint64_t folders = 0;
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
};
void CountFolder(const std::wstring& folder, ContentCount& count);

}  // namespace quintar::fileops

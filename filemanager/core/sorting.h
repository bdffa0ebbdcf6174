// The list's four comparators. Every comparator puts the up-level row first, then folders, then
// files, in both directions; within a kind:
//   name: ascending case-insensitive; reversed: case-sensitive ordinal, reversed (folders alike)
//   type: files by extension case-insensitively (no extension first), ties by name, the whole file
//         order reversed when descending; folders by case-insensitive name, always ascending
//   size: files by size (larger first when descending, equal sizes equal); folders by
//         case-insensitive name, always ascending
//   date: by time, later first when descending, folders too
//
// Case-insensitive means ordinal comparison after simple uppercase mapping of each UTF-16 code
// unit (the BMP's one-to-one mappings, as the device's file system folds names): no linguistic
// weights, no expansions, and no mapping from a non-ASCII letter to an ASCII one (dotless i and
// long s stay themselves). Surrogates compare as code units.
#pragma once

#include <string_view>

#include "filemanager/core/file_entry.h"
#include "filemanager/core/list_settings.h"

namespace quintar::folderon::core {

// Simple uppercase of one UTF-16 code unit.
char16_t FoldUpper(char16_t c) noexcept;
// <0, 0, >0.
int CompareNoCase(std::u16string_view a, std::u16string_view b) noexcept;
int CompareOrdinal(std::u16string_view a, std::u16string_view b) noexcept;
bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept;

int CompareByName(const FileEntry& a, const FileEntry& b, bool ascending) noexcept;
int CompareByType(const FileEntry& a, const FileEntry& b, bool ascending) noexcept;
int CompareBySize(const FileEntry& a, const FileEntry& b, bool ascending) noexcept;
int CompareByDate(const FileEntry& a, const FileEntry& b, bool ascending) noexcept;

using EntryComparator = int (*)(const FileEntry&, const FileEntry&, bool ascending) noexcept;
// An unknown key sorts by name.
EntryComparator ComparatorFor(SortKey key) noexcept;

// The comparator of the settings' key and direction (the list view's sort callback calls this).
int CompareEntries(const FileEntry& a, const FileEntry& b, SortKey key, bool ascending) noexcept;

}  // namespace quintar::folderon::core

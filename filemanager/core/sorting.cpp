#include "filemanager/core/sorting.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace quintar::folderon::core {
namespace {
#include "filemanager/core/upper_table.inc"

template <class T>
int Three(T a, T b) noexcept {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int ByKind(const FileEntry& a, const FileEntry& b) noexcept {
  return Three(static_cast<int>(a.kind), static_cast<int>(b.kind));
}

// ExtensionStart's rule, inline: the sort calls it twice per comparison.
inline std::size_t DotOf(std::u16string_view name) noexcept {
  for (std::size_t i = name.size(); i-- > 1;)
    if (name[i] == u'.') return i;
  return std::u16string_view::npos;
}

int FileExtensionOrder(const FileEntry& a, const FileEntry& b) noexcept {
  const std::u16string_view na = a.name, nb = b.name;
  const std::size_t da = DotOf(na), db = DotOf(nb);
  const bool hasA = da != std::u16string_view::npos, hasB = db != std::u16string_view::npos;
  if (!hasA || !hasB) {
    if (hasA != hasB) return hasA ? 1 : -1;
    return CompareNoCase(na, nb);
  }
  const int r = CompareNoCase(na.substr(da + 1), nb.substr(db + 1));
  return r ? r : CompareNoCase(na, nb);
}

}  // namespace

char16_t FoldUpper(char16_t c) noexcept {
  if (c < 0x80) return static_cast<char16_t>(c - (static_cast<unsigned>(c - u'a') < 26u ? 32 : 0));
  return static_cast<char16_t>(c + kUpperDelta[kUpperPageIndex[c >> 8]][c & 0xFF]);
}

namespace {
// Length of the common prefix counted in whole groups of four code units.
inline std::size_t EqualQuads(const char16_t* a, const char16_t* b, std::size_t n) noexcept {
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) break;
  }
  return i;
}
}  // namespace

int CompareNoCase(std::u16string_view a, std::u16string_view b) noexcept {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = EqualQuads(a.data(), b.data(), n); i < n; ++i) {
    const char16_t ca = a[i], cb = b[i];
    if (ca == cb) continue;
    const char16_t ua = FoldUpper(ca), ub = FoldUpper(cb);
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  return Three(a.size(), b.size());
}

int CompareOrdinal(std::u16string_view a, std::u16string_view b) noexcept {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = EqualQuads(a.data(), b.data(), n); i < n; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return Three(a.size(), b.size());
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

int CompareByName(const FileEntry& a, const FileEntry& b, bool ascending) noexcept {
  if (const int k = ByKind(a, b)) return k;
  return ascending ? CompareNoCase(a.name, b.name) : CompareOrdinal(b.name, a.name);
}

int CompareByType(const FileEntry& a, const FileEntry& b, bool ascending) noexcept {
  if (const int k = ByKind(a, b)) return k;
  if (a.kind != EntryKind::File) return CompareNoCase(a.name, b.name);
  const int r = FileExtensionOrder(a, b);
  return ascending ? r : -r;
}

int CompareBySize(const FileEntry& a, const FileEntry& b, bool ascending) noexcept {
  if (const int k = ByKind(a, b)) return k;
  if (a.kind != EntryKind::File) return CompareNoCase(a.name, b.name);
  return ascending ? Three(a.size, b.size) : Three(b.size, a.size);
}

int CompareByDate(const FileEntry& a, const FileEntry& b, bool ascending) noexcept {
  if (const int k = ByKind(a, b)) return k;
  return ascending ? Three(a.time, b.time) : Three(b.time, a.time);
}

EntryComparator ComparatorFor(SortKey key) noexcept {
  switch (key) {
    case SortKey::Type:
      return &CompareByType;
    case SortKey::Size:
      return &CompareBySize;
    case SortKey::Date:
      return &CompareByDate;
    case SortKey::Name:
      break;
  }
  return &CompareByName;
}

int CompareEntries(const FileEntry& a, const FileEntry& b, SortKey key, bool ascending) noexcept {
  return ComparatorFor(key)(a, b, ascending);
}

}  // namespace quintar::folderon::core

// Registry search of Find / Find Next: matching and the walk over a hive, against an abstract
// registry so that it runs without windows.h (the Win32 side implements SearchSource).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quintar::tamsk::core {

enum SearchKind : unsigned { kSearchData = 1, kSearchValue = 2, kSearchKey = 4 };

inline constexpr std::u16string_view kSearchFinishedMessage = u"Finished searching through the registry.";
inline constexpr std::u16string_view kSearchFinishedCaption = u"Search complete";

struct SearchValue {
  std::u16string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

class SearchSource {
 public:
  virtual ~SearchSource() = default;
  // Subkey names of a key (path "" is the root, else "\A\B") in enumeration order; false when
  // the key cannot be opened (it is then skipped silently).
  virtual bool SubKeys(std::u16string_view path, std::vector<std::u16string>& names) = 0;
  // Values of a key in enumeration order; false when the key cannot be opened.
  virtual bool Values(std::u16string_view path, std::vector<SearchValue>& values) = 0;
};

// Whether a value's data matches: strings as UTF-16 text (each string of a multi-string on its
// own), a DWORD as its list text ("0x1F") or its decimal number ("31"), binary as its list text
// ("01AB"). Other types do not match.
bool DataMatches(std::uint32_t type, std::span<const std::uint8_t> data, std::u16string_view pattern, bool wholeString);

struct SearchHit {
  SearchKind kind = kSearchKey;
  std::u16string path;       // "\A\B" below the searched root
  std::u16string valueName;  // value and data hits: the name of the value that matched
};

// Keeps the three reported-key lists (no size limit) between Find and Find Next.
class RegistrySearch {
 public:
  // Find starts afresh; a search without a hit also ends with Clear().
  void Clear();
  // Runs the kinds in the order key, value, data over the hive (depth first, pre-order; the root
  // key's own name is not matched, its values are) and returns the first hit not yet reported for
  // its kind, adding it to that kind's list. A reported key is not reported again for that kind,
  // but the keys below it are still searched.
  std::optional<SearchHit> Next(SearchSource& source, std::u16string_view text, unsigned kinds, bool wholeString);
  std::size_t ReportedCount(SearchKind kind) const;

 private:
  std::unordered_set<std::u16string> reported_[3];
};

}  // namespace quintar::tamsk::core

// The plain rules of File Search: the name pattern, the date and size conditions, the typed size,
// and the search for a byte string in a file read block by block. No windows.h here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::fileops::core {

// A containment match, not an anchored one: "*" is skipped, "?" takes exactly one character where
// the match stands, and a literal run (up to the next "*" or "?") must occur at or after that
// point, the match moving past its first occurrence. The pattern used up is a match, whatever is
// left of the name. Both sides must be folded to one letter case by the caller.
bool NamePatternMatches(std::u16string_view pattern, std::u16string_view name) noexcept;

enum class DateMode : std::int32_t { None = 0, SameDay = 1, Area = 2, Before = 3, After = 4 };
enum class SizeMode : std::int32_t { None = 0, Exactly = 1, Min = 2, Max = 3 };

// "%04d%02d%02d": days compare as text.
std::u16string DayText(int year, int month, int day);

bool DateMatches(DateMode mode, std::u16string_view day, std::u16string_view first,
                 std::u16string_view second) noexcept;
// The file's size in whole KB (rounded down) against `sizeKB`, on 64 bits.
bool SizeMatches(SizeMode mode, std::uint64_t bytes, std::uint64_t sizeKB) noexcept;
// The decimal number typed in the size box (up to 32 characters, leading digits only); a number
// beyond 64 bits saturates.
std::uint64_t ParseSizeKB(std::u16string_view text) noexcept;

struct SearchCriteria {
  bool subfolders = true;
  bool caseSensitive = true;  // the text only
  DateMode dateMode = DateMode::None;
  SizeMode sizeMode = SizeMode::None;
  std::uint64_t sizeKB = 0;
  std::u16string namePattern;  // folded
  std::u16string text;
  std::u16string firstDate, secondDate;
};

// What the test of one entry decided before its contents are read.
enum class Verdict { Miss, Hit, NeedsText };
// `foldedName` as the pattern was folded; `day` the last write's local day (files only).
Verdict TestEntry(const SearchCriteria& criteria, std::u16string_view foldedName, bool isFolder,
                  std::u16string_view day, std::uint64_t bytes) noexcept;

// A byte string to find, each position taking either of two bytes (the lower- and upper-case
// forms of the text; the same string twice for a case-sensitive search).
class TextMatcher {
 public:
  TextMatcher() = default;
  // Both forms must be as long; a longer `other` is cut, a shorter one makes the search exact.
  TextMatcher(std::string_view form, std::string_view other);
  std::size_t Length() const noexcept { return first_.size(); }
  // Whether the whole string lies within data[0, size).
  bool FoundIn(const std::uint8_t* data, std::size_t size) const noexcept;

 private:
  bool Verify(const std::uint8_t* at) const noexcept;
  std::string first_, second_;
  bool exact_ = true;
};

// A file searched block by block with a constant buffer: each block is read in after the last
// Length()-1 bytes of the one before, so a string spanning two blocks is found.
class StreamSearch {
 public:
  StreamSearch(const TextMatcher& matcher, std::size_t blockSize);
  // Where the next block goes.
  std::span<std::uint8_t> Block() noexcept;
  // Scans what was carried over and the `got` bytes read into Block(); true once found.
  bool Scan(std::size_t got) noexcept;
  void Reset() noexcept { carried_ = 0; }

 private:
  const TextMatcher& matcher_;
  std::vector<std::uint8_t> buffer_;
  std::size_t blockSize_;
  std::size_t carried_ = 0;
};

}  // namespace quintar::fileops::core

#include "fileops/core/search.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quintar::fileops::core {

bool NamePatternMatches(std::u16string_view pattern, std::u16string_view name) noexcept {
  std::size_t at = 0;  // position in the name
  std::size_t p = 0;
  while (p < pattern.size()) {
    const char16_t c = pattern[p];
    if (c == u'*') {
      ++p;
      continue;
    }
    if (at >= name.size()) return false;
    if (c == u'?') {
      ++at;
      ++p;
      continue;
    }
    std::size_t end = pattern.find_first_of(u"*?", p);
    if (end == std::u16string_view::npos) end = pattern.size();
    const std::u16string_view run = pattern.substr(p, end - p);
    const std::size_t found = name.find(run, at);
    if (found == std::u16string_view::npos) return false;
    at = found + run.size();
    p = end;
  }
  return true;
}

std::u16string DayText(int year, int month, int day) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
  return std::u16string(buf, buf + std::strlen(buf));
}

bool DateMatches(DateMode mode, std::u16string_view day, std::u16string_view first,
                 std::u16string_view second) noexcept {
  switch (mode) {
    case DateMode::None:
      return true;
    case DateMode::SameDay:
      return day == first;
    case DateMode::Area:
      return first <= day && day <= second;
    case DateMode::Before:
      return day <= first;
    case DateMode::After:
      return day >= first;
  }
  return false;
}

bool SizeMatches(SizeMode mode, std::uint64_t bytes, std::uint64_t sizeKB) noexcept {
  const std::uint64_t kb = bytes / 1024;
  switch (mode) {
    case SizeMode::None:
      return true;
    case SizeMode::Exactly:
      return kb == sizeKB;
    case SizeMode::Min:
      return kb >= sizeKB;
    case SizeMode::Max:
      return kb <= sizeKB;
  }
  return false;
}

std::uint64_t ParseSizeKB(std::u16string_view text) noexcept {
  text = text.substr(0, 32);
  std::size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  std::uint64_t value = 0;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    const unsigned digit = static_cast<unsigned>(text[i] - u'0');
    if (value > (kMax - digit) / 10) return kMax;
    value = value * 10 + digit;
  }
  return value;
}

Verdict TestEntry(const SearchCriteria& c, std::u16string_view foldedName, bool isFolder, std::u16string_view day,
                  std::uint64_t bytes) noexcept {
  if (foldedName == u"." || foldedName == u"..") return Verdict::Miss;
  if (!c.namePattern.empty() && !NamePatternMatches(c.namePattern, foldedName)) return Verdict::Miss;
  if (isFolder) {
    const bool only =
        !c.namePattern.empty() && c.dateMode == DateMode::None && c.sizeMode == SizeMode::None && c.text.empty();
    return only ? Verdict::Hit : Verdict::Miss;
  }
  if (!DateMatches(c.dateMode, day, c.firstDate, c.secondDate)) return Verdict::Miss;
  if (!SizeMatches(c.sizeMode, bytes, c.sizeKB)) return Verdict::Miss;
  return c.text.empty() ? Verdict::Hit : Verdict::NeedsText;
}

// ---- Text ------------------------------------------------------------------------------------

TextMatcher::TextMatcher(std::string_view form, std::string_view other) : first_(form) {
  if (other.size() >= form.size()) {
    second_.assign(other.substr(0, form.size()));
  } else {
    second_ = first_;
  }
  exact_ = first_ == second_;
}

bool TextMatcher::Verify(const std::uint8_t* at) const noexcept {
  const std::size_t n = first_.size();
  if (exact_) return std::memcmp(at, first_.data(), n) == 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char b = static_cast<char>(at[i]);
    if (b != first_[i] && b != second_[i]) return false;
  }
  return true;
}

bool TextMatcher::FoundIn(const std::uint8_t* data, std::size_t size) const noexcept {
  const std::size_t n = first_.size();
  if (n == 0) return true;
  if (size < n) return false;
  const std::size_t last = size - n;  // the last position a match may start at
  const auto f0 = static_cast<std::uint8_t>(first_[0]), s0 = static_cast<std::uint8_t>(second_[0]);
  const auto f1 = static_cast<std::uint8_t>(first_[n - 1]), s1 = static_cast<std::uint8_t>(second_[n - 1]);
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen starts at a time: candidates whose first and last bytes both fit, then checked whole.
  const __m128i vf0 = _mm_set1_epi8(static_cast<char>(f0)), vs0 = _mm_set1_epi8(static_cast<char>(s0));
  const __m128i vf1 = _mm_set1_epi8(static_cast<char>(f1)), vs1 = _mm_set1_epi8(static_cast<char>(s1));
  for (; i + 16 <= last + 1; i += 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + n - 1));
    const __m128i h = _mm_or_si128(_mm_cmpeq_epi8(head, vf0), _mm_cmpeq_epi8(head, vs0));
    const __m128i t = _mm_or_si128(_mm_cmpeq_epi8(tail, vf1), _mm_cmpeq_epi8(tail, vs1));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(h, t)));
    while (mask) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
      if (Verify(data + i + bit)) return true;
      mask &= mask - 1;
    }
  }
#endif
  for (; i <= last; ++i) {
    const std::uint8_t a = data[i], z = data[i + n - 1];
    if ((a == f0 || a == s0) && (z == f1 || z == s1) && Verify(data + i)) return true;
  }
  return false;
}

StreamSearch::StreamSearch(const TextMatcher& matcher, std::size_t blockSize)
    : matcher_(matcher), blockSize_(blockSize ? blockSize : 1) {
  const std::size_t carry = matcher.Length() ? matcher.Length() - 1 : 0;
  buffer_.resize(carry + blockSize_);
}

std::span<std::uint8_t> StreamSearch::Block() noexcept { return {buffer_.data() + carried_, blockSize_}; }

bool StreamSearch::Scan(std::size_t got) noexcept {
  got = std::min(got, blockSize_);
  const std::size_t have = carried_ + got;
  if (matcher_.FoundIn(buffer_.data(), have)) return true;
  const std::size_t keep = std::min(have, matcher_.Length() ? matcher_.Length() - 1 : 0);
  std::memmove(buffer_.data(), buffer_.data() + have - keep, keep);
  carried_ = keep;
  return false;
}

}  // namespace quintar::fileops::core

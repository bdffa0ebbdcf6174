// The name pattern and the block-by-block text search against slow reference matchers written
// from their definitions: any input where they disagree aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fileops/core/search.h"

using namespace quintar::fileops::core;

namespace {

// The pattern as a sequence of steps: every literal character may be preceded by a skip unless it
// continues a run; "?" takes one character where the match stands. Tries every occurrence.
bool SlowPattern(std::u16string_view pattern, std::size_t p, std::u16string_view name, std::size_t at) {
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  if (p == pattern.size()) return true;
  if (at >= name.size()) return false;
  if (pattern[p] == u'?') return SlowPattern(pattern, p + 1, name, at + 1);
  std::size_t end = p;
  while (end < pattern.size() && pattern[end] != u'*' && pattern[end] != u'?') ++end;
  const std::size_t length = end - p;
  for (std::size_t start = at; start + length <= name.size(); ++start) {
    bool same = true;
    for (std::size_t i = 0; i < length && same; ++i) same = name[start + i] == pattern[p + i];
    if (same && SlowPattern(pattern, end, name, start + length)) return true;
  }
  return false;
}

bool SlowText(const std::string& a, const std::string& b, const std::string& hay) {
  if (a.empty()) return true;
  for (std::size_t start = 0; start + a.size() <= hay.size(); ++start) {
    bool same = true;
    for (std::size_t i = 0; i < a.size() && same; ++i) same = hay[start + i] == a[i] || hay[start + i] == b[i];
    if (same) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t mode = data[0];
  const std::size_t split = 1 + data[1] % (size - 2);
  data += 2;
  size -= 2;
  if (mode & 1) {
    // Pattern and name from a small alphabet, so that runs meet.
    auto take = [](const std::uint8_t* from, std::size_t n) {
      std::u16string out;
      for (std::size_t i = 0; i < n; ++i) out.push_back(u"ab*?c."[from[i] % 6]);
      return out;
    };
    std::u16string pattern = take(data, std::min<std::size_t>(split, 12));
    std::u16string name = take(data + split, size - split);
    for (char16_t& c : name)
      if (c == u'*' || c == u'?') c = u'a';
    if (NamePatternMatches(pattern, name) != SlowPattern(pattern, 0, name, 0)) std::abort();
    return 0;
  }
  // The text: two forms (one exact when the mode says so), searched in blocks of 1 to 64 bytes.
  const std::size_t n = std::min<std::size_t>(1 + (mode >> 2) % 8, size);
  std::string a(n, 'a'), b(n, 'a');
  for (std::size_t i = 0; i < n; ++i) {
    a[i] = static_cast<char>('a' + data[i] % 3);
    b[i] = (mode & 2) ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
  }
  std::string hay;
  for (std::size_t i = n; i < size; ++i) hay.push_back(static_cast<char>("abcABC"[data[i] % 6]));
  TextMatcher matcher(a, b);
  const std::size_t block = 1 + split % 64;
  StreamSearch stream(matcher, block);
  bool found = hay.empty() && a.empty();
  for (std::size_t pos = 0; pos < hay.size() && !found; pos += block) {
    const std::size_t got = std::min(block, hay.size() - pos);
    std::copy_n(hay.data() + pos, got, stream.Block().data());
    found = stream.Scan(got);
  }
  if (hay.empty()) found = matcher.FoundIn(nullptr, 0);
  if (found != SlowText(a, b, hay)) std::abort();
  const bool whole = matcher.FoundIn(reinterpret_cast<const std::uint8_t*>(hay.data()), hay.size());
  if (whole != found) std::abort();
  return 0;
}

#include "regeditor/core/numbers.h"

#include <type_traits>

namespace quintar::tamsk::core {

namespace {

int HexDigit(char32_t c) noexcept {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

template <typename View>
std::optional<std::uint32_t> Hex32(View text) noexcept {
  std::uint32_t v = 0;
  for (auto c : text) {
    int d = HexDigit(static_cast<char32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)));
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  return v;
}

template <typename View>
std::optional<std::vector<std::uint8_t>> HexBytes(View text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() / 2 + 1);
  int high = -1;
  for (auto c : text) {
    int d = HexDigit(static_cast<char32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)));
    if (d < 0) return std::nullopt;
    if (high < 0) {
      high = d;
    } else {
      out.push_back(static_cast<std::uint8_t>(high << 4 | d));
      high = -1;
    }
  }
  if (high >= 0) out.push_back(static_cast<std::uint8_t>(high));
  return out;
}

char16_t Fold(char16_t c) noexcept { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

std::optional<std::uint32_t> ParseHex32(std::u16string_view text) noexcept { return Hex32(text); }

std::optional<std::uint32_t> ParseHex32_8(std::string_view text) noexcept { return Hex32(text); }

std::optional<std::uint32_t> ParseDec32(std::u16string_view text) noexcept {
  std::uint32_t v = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    v = v * 10u + static_cast<std::uint32_t>(c - u'0');
  }
  return v;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::u16string_view text) { return HexBytes(text); }

std::optional<std::vector<std::uint8_t>> ParseHexBytes8(std::string_view text) { return HexBytes(text); }

std::u16string FormatDec(std::uint32_t value) {
  char16_t digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::u16string s;
  while (n > 0) s.push_back(digits[--n]);
  return s;
}

std::u16string FormatHexLower(std::uint32_t value) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  char16_t digits[8];
  int n = 0;
  do {
    digits[n++] = kDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  std::u16string s;
  while (n > 0) s.push_back(digits[--n]);
  return s;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

bool NameContains(std::u16string_view text, std::u16string_view needle) noexcept {
  if (needle.size() > text.size()) return false;
  for (std::size_t start = 0; start + needle.size() <= text.size(); ++start) {
    std::size_t k = 0;
    while (k < needle.size() && Fold(text[start + k]) == Fold(needle[k])) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

}  // namespace quintar::tamsk::core

// Number parsers of the value dialogs and of the import, and the name comparison used for
// duplicate tests and search. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::tamsk::core {

inline constexpr std::u16string_view kHexInputMessage = u"The input should be 0 to 9, or a(A)to f(F)!";
inline constexpr std::u16string_view kDecInputMessage = u"The input should be 0 to 9!";
inline constexpr std::u16string_view kWarningCaption = u"Warning!";

// Hexadecimal text: only 0-9, A-F, a-f; 32-bit arithmetic (more than eight digits keep the last
// eight); empty gives 0. Nothing on any other character: the caller shows kHexInputMessage.
std::optional<std::uint32_t> ParseHex32(std::u16string_view text) noexcept;
// Decimal text: only 0-9; 32-bit arithmetic (wraps); empty gives 0. Nothing on any other
// character: the caller shows kDecInputMessage.
std::optional<std::uint32_t> ParseDec32(std::u16string_view text) noexcept;
// Hexadecimal bytes: pairs of digits, each one byte; an odd last digit is the low half of a final
// byte ("abc" gives AB 0C). Nothing on any other character (the hex message).
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::u16string_view text);
// The same over 8-bit text (the import's data).
std::optional<std::vector<std::uint8_t>> ParseHexBytes8(std::string_view text);
std::optional<std::uint32_t> ParseHex32_8(std::string_view text) noexcept;

// The base radios' rewrites: decimal is written unsigned (so that every 32-bit number survives
// a switch to decimal and back), hexadecimal in lower case ("%x").
std::u16string FormatDec(std::uint32_t value);
std::u16string FormatHexLower(std::uint32_t value);

// Names are equal when they have the same length and the same characters after folding A-Z to
// lower case; nothing else is folded.
bool NamesEqual(std::u16string_view a, std::u16string_view b) noexcept;
// Whether `needle` occurs in `text` under the same folding (an empty needle occurs everywhere).
bool NameContains(std::u16string_view text, std::u16string_view needle) noexcept;
// The search's text test: equal in whole-string mode, else contained.
inline bool TextMatches(std::u16string_view text, std::u16string_view pattern, bool wholeString) noexcept {
  return wholeString ? NamesEqual(text, pattern) : NameContains(text, pattern);
}

}  // namespace quintar::tamsk::core

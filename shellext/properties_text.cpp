#include "shellext/properties_text.h"

#include <algorithm>

namespace quintar::menuvex::core {
namespace {

constexpr std::size_t kMaxPath = 259;

std::u16string Decimal(std::uint64_t value, std::size_t minDigits = 1) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), u'0');
  return digits;
}

std::u16string Grouped(std::uint64_t value) {
  const std::u16string digits = Decimal(value);
  std::u16string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out += u',';
    out += digits[i];
  }
  return out;
}

// bytes / unit with two decimals, a half hundredth going up; never overflows 64 bits.
std::u16string TwoDecimals(std::uint64_t bytes, std::uint64_t unit) {
  const std::uint64_t hundredths = bytes / unit * 100 + (bytes % unit * 100 + unit / 2) / unit;
  return Decimal(hundredths / 100) + u'.' + Decimal(hundredths % 100, 2);
}

}  // namespace

std::u16string_view LastComponent(std::u16string_view path) noexcept {
  const std::size_t slash = path.find_last_of(u'\\');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string FolderPart(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u'\\');
  if (slash == std::u16string_view::npos || slash == 0) return u"\\";
  return std::u16string(path.substr(0, slash));
}

std::u16string JoinFolder(std::u16string_view folder, std::u16string_view name) {
  std::u16string joined(folder == u"\\" ? std::u16string_view{} : folder);
  joined += u'\\';
  joined += name;
  return joined;
}

std::u16string DateTimeText(const LocalTime& t) {
  const bool pm = t.hour >= 12;
  return Decimal(t.month) + u'/' + Decimal(t.day) + u'/' + Decimal(t.year) + u' ' + Decimal(pm ? t.hour - 12 : t.hour) +
         u':' + Decimal(t.minute) + u':' + Decimal(t.second) + (pm ? u" PM" : u" AM");
}

std::u16string SizeText(std::uint64_t bytes) {
  constexpr std::uint64_t kKilo = 1024, kMega = 1024 * 1024;
  if (bytes >= kMega) return TwoDecimals(bytes, kMega) + u" MB (" + Grouped(bytes) + u" B)";
  if (bytes >= kKilo)
    return TwoDecimals(bytes, kKilo) + u" KB (" + Decimal(bytes / 1000) + u',' + Decimal(bytes % 1000, 3) + u" B)";
  return Decimal(bytes) + u" B";
}

bool IsAcceptableNewName(std::u16string_view folder, std::u16string_view name) noexcept {
  if (name.empty() || name == u"." || name == u"..") return false;
  if (name.find_first_of(u"\\/:,;*?<>|") != std::u16string_view::npos) return false;
  if (std::any_of(name.begin(), name.end(), [](char16_t c) { return c < 0x20; })) return false;
  const std::size_t joined = (folder == u"\\" ? 0 : folder.size()) + 1 + name.size();
  return joined <= kMaxPath;
}

std::uint32_t NewAttributes(std::uint32_t current, bool readOnly, bool hidden, bool archive) noexcept {
  // What SetFileAttributes may be given back unchanged: system, temporary, offline and the ROM
  // bit; the folder bit and the like are the file system's, not ours to pass.
  constexpr std::uint32_t kKept = kSystem | 0x100 | 0x1000 | kRomModule;
  std::uint32_t word = current & kKept;
  if (readOnly) word |= kReadOnly;
  if (hidden) word |= kHidden;
  if (archive) word |= kArchive;
  return word != 0 ? word : kNormal;
}

std::u16string AttributeFailureText(std::u16string_view name) {
  return u"  Can't to set new attributes for                  < " + std::u16string(name) +
         u" >        The system can't find the file specified.                 Make sure memory is not full or "
         u"write-protected and the file is not currently in use.";
}

}  // namespace quintar::menuvex::core

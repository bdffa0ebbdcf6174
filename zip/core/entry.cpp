#include "zip/core/entry.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <vector>

namespace quintar::zip::core {
namespace {

constexpr std::uint16_t kUnicodePathTag = 0x7075;

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EndsWithNoCase(std::u16string_view text, std::u16string_view tail) {
  if (text.size() < tail.size()) return false;
  text.remove_prefix(text.size() - tail.size());
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (Lower(text[i]) != Lower(tail[i])) return false;
  return true;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) { return a.size() == b.size() && EndsWithNoCase(a, b); }

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices, with or without an extension.
bool IsReservedName(std::u16string_view component) {
  const std::u16string_view stem = component.substr(0, component.find(u'.'));
  for (std::u16string_view name : {u"CON", u"PRN", u"AUX", u"NUL"})
    if (EqualsNoCase(stem, name)) return true;
  if (stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9') {
    const std::u16string_view head = stem.substr(0, 3);
    return EqualsNoCase(head, u"COM") || EqualsNoCase(head, u"LPT");
  }
  return false;
}

bool IsIllegal(char16_t c) {
  return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' || c == u'*';
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

std::uint16_t Le16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}
std::uint32_t Le32(std::string_view bytes, std::size_t at) {
  return Le16(bytes, at) | static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16;
}
void PutLe16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8 & 0xFF));
}
void PutLe32(std::string& out, std::uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

std::uint32_t Crc(std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// The UTF-8 name of a 0x7075 field that belongs to `stored`, if the extra field holds one.
std::optional<std::string_view> UnicodePath(std::string_view extra, std::string_view stored) {
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const std::uint16_t tag = Le16(extra, at), size = Le16(extra, at + 2);
    if (at + 4 + size > extra.size()) break;
    if (tag == kUnicodePathTag && size >= 5 && extra[at + 4] == 1 && Le32(extra, at + 5) == Crc(stored))
      return extra.substr(at + 9, size - 5);
    at += 4 + std::size_t{size};
  }
  return std::nullopt;
}

bool IsAscii(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

}  // namespace

// ---- Names -----------------------------------------------------------------------------------

std::u16string EntryName(std::u16string_view relative, bool folder) {
  std::u16string name(relative);
  std::replace(name.begin(), name.end(), u'\\', u'/');
  if (folder && (name.empty() || name.back() != u'/')) name.push_back(u'/');
  return name;
}

bool IsStoredByName(std::u16string_view name) {
  for (std::u16string_view tail : {u".Z", u".zip", u".zoo", u".arc", u".lzh", u".arj", u".gz", u".tgz"})
    if (EndsWithNoCase(name, tail)) return true;
  return false;
}

bool IsPlainRelativeName(std::u16string_view name) {
  if (!name.empty() && name.back() == u'/') name.remove_suffix(1);
  if (name.empty() || name.find(u':') != std::u16string_view::npos) return false;
  for (std::size_t start = 0; start <= name.size();) {
    std::size_t end = name.find_first_of(u"/\\", start);
    if (end == std::u16string_view::npos) end = name.size();
    const std::u16string_view part = name.substr(start, end - start);
    if (part.empty() || part == u"." || part == u"..") return false;
    start = end + 1;
  }
  return true;
}

std::optional<std::u16string> SafeRelativePath(std::u16string_view entryName) {
  std::u16string path;
  std::size_t start = 0;
  while (start <= entryName.size()) {
    std::size_t end = entryName.find_first_of(u"/\\", start);
    if (end == std::u16string_view::npos) end = entryName.size();
    std::u16string_view part = entryName.substr(start, end - start);
    start = end + 1;
    if (part.size() >= 2 && part[1] == u':' && IsAsciiLetter(part[0])) part.remove_prefix(2);  // "C:"
    while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.remove_suffix(1);
    if (part.empty()) continue;  // "", ".", "..", "...", and what only dots and spaces made
    std::u16string component(part);
    std::replace_if(component.begin(), component.end(), IsIllegal, u'_');
    if (IsReservedName(component)) component.insert(component.begin(), u'_');
    if (!path.empty()) path.push_back(u'\\');
    path += component;
    if (path.size() > kMaxPathChars) return std::nullopt;
  }
  if (path.empty()) return std::nullopt;
  return path;
}

EncodedName EncodeName(std::u16string_view name) {
  EncodedName encoded;
  encoded.bytes = ToUtf8(name);
  if (IsAscii(name)) return encoded;
  encoded.utf8 = true;
  std::string& field = encoded.extraField;
  PutLe16(field, kUnicodePathTag);
  PutLe16(field, static_cast<unsigned>(5 + encoded.bytes.size()));
  field.push_back(1);
  PutLe32(field, Crc(encoded.bytes));
  field += encoded.bytes;
  return encoded;
}

std::u16string DecodeName(std::string_view stored, std::uint16_t flags, std::uint16_t versionMadeBy,
                          std::string_view extra) {
  if (flags & kFlagUtf8) {
    if (auto text = FromUtf8(stored)) return *text;
  } else if (auto unicode = UnicodePath(extra, stored)) {
    if (auto text = FromUtf8(*unicode)) return *text;
  } else if (versionMadeBy >> 8 == kHostUnix) {
    if (auto text = FromUtf8(stored)) return *text;
  }
  return FromCp437(stored);
}

std::optional<std::u16string> FromUtf8(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int length = 0;
    char32_t c = 0, least = 0;
    if (lead < 0x80) {
      text.push_back(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, c = lead & 0x07, least = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + length > bytes.size()) return std::nullopt;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = c << 6 | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    if (c >= 0x10000) {
      c -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(c));
    }
    i += length;
  }
  return text;
}

std::string ToUtf8(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (c < 0x80) {
      bytes.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      bytes.push_back(static_cast<char>(0xC0 | c >> 6));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      bytes.push_back(static_cast<char>(0xE0 | c >> 12));
      bytes.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      bytes.push_back(static_cast<char>(0xF0 | c >> 18));
      bytes.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return bytes;
}

std::u16string FromCp437(std::string_view bytes) {
  static constexpr std::array<char16_t, 128> kHigh = {
      0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
      0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
      0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
      0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
      0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
      0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
      0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
      0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
      0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
      0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
  std::u16string text;
  text.reserve(bytes.size());
  for (char b : bytes) {
    const auto c = static_cast<unsigned char>(b);
    text.push_back(c < 0x80 ? c : kHigh[c - 0x80]);
  }
  return text;
}

// ---- Times -----------------------------------------------------------------------------------

std::uint32_t DosDateTime(const CivilTime& time) {
  CivilTime t = time;
  if (t.year < 1980) {
    t = CivilTime{};
  } else if (t.year > 2107) {
    t = CivilTime{2107, 12, 31, 23, 59, 58};
  }
  auto clamp = [](int v, int lo, int hi) { return std::clamp(v, lo, hi); };
  const std::uint32_t date = static_cast<std::uint32_t>((t.year - 1980) << 9 | clamp(t.month, 1, 12) << 5 |
                                                        clamp(t.day, 1, 31));
  const std::uint32_t clock = static_cast<std::uint32_t>(clamp(t.hour, 0, 23) << 11 | clamp(t.minute, 0, 59) << 5 |
                                                         clamp(t.second, 0, 59) / 2);
  return date << 16 | clock;
}

std::optional<CivilTime> FromDosDateTime(std::uint32_t dos) {
  const std::uint32_t date = dos >> 16, clock = dos & 0xFFFF;
  CivilTime t;
  t.year = static_cast<int>(1980 + (date >> 9));
  t.month = static_cast<int>(date >> 5 & 0x0F);
  t.day = static_cast<int>(date & 0x1F);
  t.hour = static_cast<int>(clock >> 11);
  t.minute = static_cast<int>(clock >> 5 & 0x3F);
  t.second = static_cast<int>((clock & 0x1F) * 2);
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > kDays[t.month - 1]) return std::nullopt;
  if (t.month == 2 && t.day == 29 && (t.year % 4 != 0 || (t.year % 100 == 0 && t.year % 400 != 0)))
    return std::nullopt;
  if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  return t;
}

// ---- Attributes ------------------------------------------------------------------------------

std::uint32_t ExternalAttributes(std::uint32_t fileAttributes) { return fileAttributes & kKeptAttributes; }

std::uint32_t RestoredAttributes(std::uint32_t external, std::uint16_t versionMadeBy) {
  std::uint32_t attributes = external & kKeptAttributes;
  const std::uint32_t mode = external >> 16;
  if (versionMadeBy >> 8 == kHostUnix && mode != 0) {
    if ((mode & 0170000) == 0040000) attributes |= kDirectory;
    if ((mode & 0200) == 0) attributes |= kReadOnly;  // no write for its owner
  }
  return attributes;
}

unsigned Percent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  if (done >= total) return 100;
  constexpr std::uint64_t kSafe = UINT64_MAX / 100;
  return static_cast<unsigned>(total <= kSafe ? done * 100 / total : done / (total / 100));
}

}  // namespace quintar::zip::core

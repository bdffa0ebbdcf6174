#include "regeditor/core/registry_text.h"

#include <algorithm>

namespace quintar::tamsk::core {

namespace {

constexpr char16_t kUpperHex[] = u"0123456789ABCDEF";

void AppendHexUpper(std::u16string& out, std::uint32_t value) {
  char16_t digits[8];
  int n = 0;
  do {
    digits[n++] = kUpperHex[value & 0xF];
    value >>= 4;
  } while (value != 0);
  while (n > 0) out.push_back(digits[--n]);
}

// Characters of UTF-16 data from `begin` (bytes), up to the first NUL or the end.
std::size_t StringEnd(std::span<const std::uint8_t> data, std::size_t begin) {
  std::size_t i = begin;
  while (i + 1 < data.size() && (data[i] | data[i + 1]) != 0) i += 2;
  return i;
}

std::u16string ReadChars(std::span<const std::uint8_t> data, std::size_t begin, std::size_t end,
                         std::size_t maxChars = SIZE_MAX) {
  std::u16string s;
  std::size_t count = std::min((end - begin) / 2, maxChars);
  s.resize(count);
  for (std::size_t k = 0; k < count; ++k)
    s[k] = static_cast<char16_t>(data[begin + 2 * k] | (data[begin + 2 * k + 1] << 8));
  return s;
}

}  // namespace

std::u16string_view RootName(RegRoot root) noexcept {
  switch (root) {
    case RegRoot::ClassesRoot:
      return u"HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser:
      return u"HKEY_CURRENT_USER";
    case RegRoot::LocalMachine:
      return u"HKEY_LOCAL_MACHINE";
    case RegRoot::Users:
      return u"HKEY_USERS";
  }
  return {};
}

std::optional<RegRoot> RootFromName(std::u16string_view name) noexcept {
  for (RegRoot r : kAllRoots)
    if (RootName(r) == name) return r;
  return std::nullopt;
}

std::uint32_t RootHandleValue(RegRoot root) noexcept { return 0x80000000u + static_cast<std::uint32_t>(root); }

int ValueImageIndex(std::uint32_t type) noexcept { return type == kRegSz ? 2 : 3; }

std::u16string_view ValueTypeText(std::uint32_t type) noexcept {
  switch (type) {
    case kRegSz:
      return u"REG_SZ";
    case kRegExpandSz:
      return u"REG_EXPAND_SZ";
    case kRegBinary:
      return u"REG_BINARY";
    case kRegDword:
      return u"REG_DWORD";
    case kRegMultiSz:
      return u"REG_MULTI_SZ";
    default:
      return {};
  }
}

std::u16string ValueDataText(std::uint32_t type, std::span<const std::uint8_t> data, std::size_t maxChars) {
  std::u16string s;
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz:
      return ReadChars(data, 0, StringEnd(data, 0), maxChars);
    case kRegBinary: {
      std::size_t bytes = std::min(data.size(), maxChars / 2 + 1);
      s.reserve(bytes * 2);
      for (std::size_t i = 0; i < bytes; ++i) {
        s.push_back(kUpperHex[data[i] >> 4]);
        s.push_back(kUpperHex[data[i] & 0xF]);
      }
      break;
    }
    case kRegDword:
      s = DwordRowText(DwordFromData(data));
      break;
    default:
      s = u"Unknown type: ";
      {
        static constexpr char16_t lower[] = u"0123456789abcdef";
        char16_t digits[8];
        int n = 0;
        std::uint32_t v = type;
        do {
          digits[n++] = lower[v & 0xF];
          v >>= 4;
        } while (v != 0);
        while (n > 0) s.push_back(digits[--n]);
      }
      break;
  }
  if (s.size() > maxChars) s.resize(maxChars);
  return s;
}

std::u16string DwordRowText(std::uint32_t value) {
  std::u16string s = u"0x";
  AppendHexUpper(s, value);
  return s;
}

std::uint32_t DwordFromData(std::span<const std::uint8_t> data) noexcept {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4 && i < data.size(); ++i) v |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return v;
}

std::u16string FirstString(std::span<const std::uint8_t> data) { return ReadChars(data, 0, StringEnd(data, 0)); }

std::vector<std::u16string> MultiStrings(std::span<const std::uint8_t> data) {
  std::vector<std::u16string> out;
  std::size_t pos = 0;
  while (pos + 1 < data.size()) {
    std::size_t end = StringEnd(data, pos);
    if (end == pos) break;  // the empty string closes the list
    out.push_back(ReadChars(data, pos, end));
    pos = end + 2;
  }
  return out;
}

static void PushChars(std::vector<std::uint8_t>& out, std::u16string_view text, std::size_t nuls) {
  out.reserve((text.size() + nuls) * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  out.insert(out.end(), nuls * 2, 0);
}

std::vector<std::uint8_t> StringData(std::u16string_view text) {
  std::vector<std::uint8_t> out;
  PushChars(out, text, 1);
  return out;
}

std::vector<std::uint8_t> MultiStringData(std::u16string_view text) {
  std::vector<std::uint8_t> out;
  PushChars(out, text, 2);
  return out;
}

std::u16string FullKeyText(std::u16string_view rootName, std::u16string_view path) {
  std::u16string s(rootName);
  s += path;
  return s;
}

std::u16string_view ParentKeyPath(std::u16string_view path) noexcept {
  std::size_t cut = path.rfind(u'\\');
  return cut == std::u16string_view::npos ? std::u16string_view{} : path.substr(0, cut);
}

std::u16string_view LastKeyComponent(std::u16string_view path) noexcept {
  std::size_t cut = path.rfind(u'\\');
  return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

std::u16string JoinKeyPath(std::u16string_view path, std::u16string_view name) {
  std::u16string s(path);
  s += u'\\';
  s += name;
  return s;
}

std::vector<std::u16string_view> SplitKeyPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t next = path.find(u'\\', pos);
    if (next == std::u16string_view::npos) next = path.size();
    if (next > pos) parts.push_back(path.substr(pos, next - pos));
    pos = next + 1;
  }
  return parts;
}

}  // namespace quintar::tamsk::core

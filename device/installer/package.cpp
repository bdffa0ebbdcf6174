#include "device/installer/package.h"

#include <charconv>

namespace quintar::device::installer {

namespace {

// UTF-8 to UTF-16; false on a malformed sequence.
bool Widen(std::string_view in, std::u16string& out) {
  out.clear();
  for (std::size_t i = 0; i < in.size();) {
    unsigned char c = static_cast<unsigned char>(in[i]);
    char32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c, extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F, extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F, extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07, extra = 3;
    } else {
      return false;
    }
    if (extra && i + extra >= in.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(in[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += 1 + extra;
  }
  return true;
}

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t sep) {
  std::vector<std::u16string_view> parts;
  for (std::size_t start = 0;;) {
    std::size_t end = text.find(sep, start);
    parts.push_back(text.substr(start, end == std::u16string_view::npos ? end : end - start));
    if (end == std::u16string_view::npos) return parts;
    start = end + 1;
  }
}

bool HasControl(std::u16string_view text) {
  for (char16_t c : text)
    if (c < 0x20) return true;
  return false;
}

bool ParseValue(std::u16string_view field, ValueType type, Value& out, std::string& error) {
  auto parts = Split(field, u'|');
  if (parts.size() != 3) return error = "a value is <root>\\<key>|<name>|<data>", false;
  std::u16string_view key = parts[0];
  if (key.starts_with(u"HKLM\\")) {
    out.root = Root::LocalMachine;
  } else if (key.starts_with(u"HKCU\\")) {
    out.root = Root::CurrentUser;
  } else if (key.starts_with(u"HKCR\\")) {
    out.root = Root::ClassesRoot;
  } else {
    return error = "a value's key starts with HKLM\\, HKCU\\ or HKCR\\", false;
  }
  key.remove_prefix(5);
  if (key.empty() || key.front() == u'\\' || key.back() == u'\\' || key.find(u"\\\\") != key.npos)
    return error = "a value's key is empty or malformed", false;
  out.key = key;
  out.name = parts[1];
  out.type = type;
  if (type == ValueType::String) {
    out.text = parts[2];
    return true;
  }
  std::string digits;
  for (char16_t c : parts[2]) {
    if (c < u'0' || c > u'9') return error = "a DWORD value is a decimal number", false;
    digits += static_cast<char>(c);
  }
  unsigned long number = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || ec != std::errc() || number > 0xFFFFFFFFul)
    return error = "a DWORD value is a decimal number below 2^32", false;
  out.number = number;
  return true;
}

}  // namespace

bool IsSafeRelativePath(std::u16string_view path) {
  if (path.empty() || path.size() >= 260 || HasControl(path)) return false;
  for (std::u16string_view part : Split(path, u'\\')) {
    if (part.empty() || part == u"." || part == u"..") return false;
    if (part.find_first_of(u"/:*?\"<>|") != part.npos) return false;
  }
  return true;
}

bool IsDevicePath(std::u16string_view path) {
  if (path.size() < 2 || path.front() != u'\\') return false;
  return IsSafeRelativePath(path.substr(1));
}

std::u16string Expand(std::u16string_view text, std::u16string_view folder) {
  constexpr std::u16string_view kToken = u"%InstallDir%";
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text.substr(i).starts_with(kToken)) {
      out += folder;
      i += kToken.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

ParseResult ParseManifest(std::string_view utf8, Manifest& out) {
  out = {};
  ParseResult result;
  if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
  std::u16string text;
  if (!Widen(utf8, text)) {
    result.error = "the manifest is not UTF-8";
    return result;
  }
  int number = 0;
  for (std::u16string_view line : Split(text, u'\n')) {
    ++number;
    if (line.ends_with(u'\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == u'#') continue;
    auto fail = [&](std::string why) {
      result.line = number;
      result.error = std::move(why);
      return result;
    };
    if (HasControl(line)) return fail("a line holds a control character");
    std::size_t eq = line.find(u'=');
    if (eq == line.npos) return fail("a line is Keyword=value");
    std::u16string_view keyword = line.substr(0, eq), value = line.substr(eq + 1);
    std::string error;
    if (keyword == u"Name") {
      if (value.empty() || !IsSafeRelativePath(value) || value.find(u'\\') != value.npos)
        return fail("the name is empty or not a plain file name");
      out.name = value;
    } else if (keyword == u"Folder") {
      if (!IsDevicePath(value)) return fail("the folder is not a device path");
      out.folder = value;
    } else if (keyword == u"Setup") {
      if (!IsSafeRelativePath(value)) return fail("the setup DLL is not a path inside the package");
      out.setup = value;
    } else if (keyword == u"File") {
      if (!IsSafeRelativePath(value)) return fail("a file is not a path inside the package");
      out.files.emplace_back(value);
    } else if (keyword == u"Shortcut") {
      std::size_t bar = value.find(u'|');
      if (bar == value.npos) return fail("a shortcut is <link>|<target>");
      Shortcut s{std::u16string(value.substr(0, bar)), std::u16string(value.substr(bar + 1))};
      if (!IsDevicePath(s.link) || s.target.empty()) return fail("a shortcut's link is not a device path");
      out.shortcuts.push_back(std::move(s));
    } else if (keyword == u"String" || keyword == u"Dword") {
      Value v;
      if (!ParseValue(value, keyword == u"String" ? ValueType::String : ValueType::Dword, v, error)) return fail(error);
      out.values.push_back(std::move(v));
    } else {
      return fail("unknown keyword");
    }
  }
  if (out.name.empty() || out.folder.empty()) {
    result.error = "the manifest names no package or no folder";
    return result;
  }
  if (!out.setup.empty()) {
    bool listed = false;
    for (const auto& f : out.files) listed = listed || f == out.setup;
    if (!listed) {
      result.error = "the setup DLL is not one of the package's files";
      return result;
    }
  }
  result.ok = true;
  return result;
}

}  // namespace quintar::device::installer

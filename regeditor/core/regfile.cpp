#include "regeditor/core/regfile.h"

#include <algorithm>
#include <optional>

#include "regeditor/core/numbers.h"

namespace quintar::tamsk::core {

namespace {

constexpr char kLowerHex[] = "0123456789abcdef";
constexpr std::size_t kBytesPerLine = 25;

std::u16string Latin1(std::string_view bytes) {
  std::u16string s;
  s.resize(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) s[i] = static_cast<unsigned char>(bytes[i]);
  return s;
}

std::string Without(std::string_view text, std::string_view drop) {
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (drop.find(c) == std::string_view::npos) s.push_back(c);
  return s;
}

std::optional<ParsedType> TypeFromWord(std::string_view word) {
  if (word == "REG_SZ") return ParsedType::String;
  if (word == "REG_MULTI_SZ") return ParsedType::MultiString;
  if (word == "REG_DWORD") return ParsedType::Dword;
  if (word == "REG_BINARY") return ParsedType::Binary;
  return std::nullopt;
}

// The type word of a data text: what precedes its first ':' without spaces. At most `limit`
// characters are looked at; nothing when no ':' is found within them.
std::optional<std::string> TypeWord(std::string_view data, std::size_t limit) {
  std::string word;
  for (std::size_t i = 0; i < data.size() && i < limit; ++i) {
    if (data[i] == ':') return word;
    if (data[i] == '\n') return std::nullopt;
    if (data[i] != ' ') word.push_back(data[i]);
  }
  return std::nullopt;
}

bool StartsValue(char c) { return c == '"' || c == '@'; }

class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}

  ParsedFile Run() {
    while (pos_ < s_.size()) {
      if (s_[pos_] != '[') {
        SkipLine();
        continue;
      }
      ParsedKey* key = KeyLine();
      SkipBlankLines();
      while (pos_ < s_.size() && StartsValue(s_[pos_])) {
        ValueLine(key);
        SkipBlankLines();
      }
    }
    return std::move(file_);
  }

 private:
  std::size_t LineEnd(std::size_t from) const {
    std::size_t e = s_.find('\n', from);
    return e == std::string_view::npos ? s_.size() : e;
  }
  void SkipLine() { pos_ = std::min(s_.size(), LineEnd(pos_) + 1); }
  void SkipBlankLines() {
    while (pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
  }

  ParsedKey* KeyLine() {
    std::string_view line = s_.substr(pos_, LineEnd(pos_) - pos_);
    SkipLine();
    // Key names may hold "]", so the line's last one closes it.
    std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
      ++file_.unknownRoots;
      return nullptr;
    }
    std::string_view inner = line.substr(1, close - 1);
    std::size_t cut = inner.find('\\');
    std::string_view rootName = inner.substr(0, cut);
    std::optional<RegRoot> root = RootFromName(Latin1(rootName));
    if (!root) {
      ++file_.unknownRoots;
      return nullptr;
    }
    ParsedKey& key = file_.keys.emplace_back();
    key.root = *root;
    if (cut != std::string_view::npos) key.path = Latin1(inner.substr(cut));
    return &key;
  }

  // Where the "=" after the name is: the first one that follows a closing quote and is followed
  // by a known type word; failing that, the first one after a closing quote.
  std::optional<std::size_t> FindEquals(std::string_view line) const {
    if (line[0] == '@') {
      std::size_t i = 1;
      while (i < line.size() && line[i] == ' ') ++i;
      if (i < line.size() && line[i] == '=') return i;
      return std::nullopt;
    }
    std::optional<std::size_t> fallback;
    for (std::size_t eq = line.find('=', 1); eq != std::string_view::npos; eq = line.find('=', eq + 1)) {
      std::size_t q = eq;
      while (q > 1 && line[q - 1] == ' ') --q;
      if (q < 2 || line[q - 1] != '"') continue;
      std::optional<std::string> word = TypeWord(line.substr(eq + 1), 64);
      if (word && TypeFromWord(*word)) return eq;
      if (!fallback) fallback = eq;
    }
    return fallback;
  }

  void ValueLine(ParsedKey* key) {
    std::size_t lineEnd = LineEnd(pos_);
    std::string_view line = s_.substr(pos_, lineEnd - pos_);
    std::optional<std::size_t> eq = FindEquals(line);
    if (!eq) {
      SkipLine();
      return;
    }
    std::u16string name;
    if (line[0] == '"') {
      std::size_t q = *eq;
      while (line[q - 1] == ' ') --q;
      name = Latin1(line.substr(1, q - 2));
    }
    // The data runs to the first line feed followed by a quote, "@", a line feed or "[", so that
    // continued binary lines belong to their value.
    std::size_t begin = pos_ + *eq + 1;
    std::size_t end = s_.find('\n', begin);
    while (end != std::string_view::npos && end + 1 < s_.size()) {
      char next = s_[end + 1];
      if (next == '"' || next == '@' || next == '\n' || next == '[') break;
      end = s_.find('\n', end + 1);
    }
    if (end == std::string_view::npos) end = s_.size();
    pos_ = end;
    std::string_view data = s_.substr(begin, end - begin);

    std::size_t colon = data.find(':');
    if (colon == std::string_view::npos) {
      if (key) ++file_.unknownTypes;
      return;
    }
    std::optional<ParsedType> type = TypeFromWord(Without(data.substr(0, colon), " \n"));
    if (!type) {
      if (key) ++file_.unknownTypes;
      return;
    }
    std::string_view text = data.substr(colon + 1);
    if (!text.empty() && text[0] == ' ') text.remove_prefix(1);
    if (!key) return;

    ParsedValue value;
    value.name = std::move(name);
    value.type = *type;
    switch (*type) {
      case ParsedType::String:
      case ParsedType::MultiString:
        value.text = Latin1(Without(text, "\n"));
        break;
      case ParsedType::Dword: {
        std::string digits = Without(text, "\n");
        while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) digits.pop_back();
        if (std::optional<std::uint32_t> n = ParseHex32_8(digits)) {
          value.dword = *n;
        } else {
          value.type = ParsedType::BadNumber;
          ++file_.badNumbers;
        }
        break;
      }
      case ParsedType::Binary:
        if (auto bytes = ParseHexBytes8(Without(text, "\n ,\\"))) {
          value.bytes = std::move(*bytes);
        } else {
          value.type = ParsedType::BadNumber;
          ++file_.badNumbers;
        }
        break;
      case ParsedType::BadNumber:
        break;
    }
    key->values.push_back(std::move(value));
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  ParsedFile file_;
};

}  // namespace

void AppendHeader(std::string& out) { out += kRegFileHeader; }

void AppendText8(std::string& out, std::u16string_view text) {
  for (char16_t c : text) {
    if (c == u'\n') continue;
    out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  }
}

void AppendKeyLine(std::string& out, std::u16string_view rootName, std::u16string_view path) {
  out += "\n[";
  AppendText8(out, rootName);
  AppendText8(out, path);
  out += "]\n";
}

bool AppendValueLine(std::string& out, std::u16string_view name, std::uint32_t type,
                     std::span<const std::uint8_t> data) {
  if (type != kRegSz && type != kRegMultiSz && type != kRegDword && type != kRegBinary) return false;
  if (name.empty()) {
    out += "@ = ";
  } else {
    out += '"';
    AppendText8(out, name);
    out += "\" = ";
  }
  switch (type) {
    case kRegSz:
      out += "REG_SZ: ";
      AppendText8(out, FirstString(data));
      out += '\n';
      break;
    case kRegMultiSz:
      out += "REG_MULTI_SZ: ";
      AppendText8(out, FirstString(data));
      out += '\n';
      break;
    case kRegDword: {
      out += "REG_DWORD: ";
      std::uint32_t v = DwordFromData(data);
      for (int shift = 28; shift >= 0; shift -= 4) out += kLowerHex[(v >> shift) & 0xF];
      out += "\n\n";
      break;
    }
    case kRegBinary: {
      out += "REG_BINARY: ";
      out.reserve(out.size() + data.size() * 3 + (data.size() / kBytesPerLine) * (name.size() + 19) + 2);
      for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
          out += ',';
          if (i % kBytesPerLine == 0) {
            out += "\\\n";
            out.append(name.size() + 17, ' ');
          }
        }
        out += kLowerHex[data[i] >> 4];
        out += kLowerHex[data[i] & 0xF];
      }
      out += "\n\n";
      break;
    }
  }
  return true;
}

void AppendErrorLine(std::string& out) { out += "\nError\n"; }

ParsedFile ParseRegFile(std::string_view bytes) {
  if (bytes.find('\r') == std::string_view::npos) return Reader(bytes).Run();
  // A text-mode read turns CR LF into LF; do the same before reading.
  std::string lf;
  lf.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) lf.push_back(bytes[i]);
  return Reader(lf).Run();
}

std::uint32_t ImportType(const ParsedValue& value) noexcept {
  switch (value.type) {
    case ParsedType::String:
      return kRegSz;
    case ParsedType::MultiString:
      return kRegMultiSz;
    case ParsedType::Dword:
      return kRegDword;
    case ParsedType::Binary:
      return kRegBinary;
    case ParsedType::BadNumber:
      return kRegNone;
  }
  return kRegNone;
}

std::vector<std::uint8_t> ImportData(const ParsedValue& value) {
  switch (value.type) {
    case ParsedType::String:
      return StringData(value.text);
    case ParsedType::MultiString:
      return MultiStringData(value.text);
    case ParsedType::Dword: {
      std::uint32_t v = value.dword;
      return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
              static_cast<std::uint8_t>(v >> 24)};
    }
    case ParsedType::Binary:
      return value.bytes;
    case ParsedType::BadNumber:
      return {};
  }
  return {};
}

bool ImportShouldWrite(const ParsedValue& value, const ExistingValue* existing) {
  if (value.type == ParsedType::BadNumber) return false;
  if (!existing) return true;
  switch (value.type) {
    case ParsedType::String:
      return existing->type == kRegSz && FirstString(existing->data) != value.text;
    case ParsedType::MultiString:
      return existing->type == kRegMultiSz && FirstString(existing->data) != value.text;
    case ParsedType::Dword:
      return existing->type == kRegDword &&
             (existing->data.size() != 4 || DwordFromData(existing->data) != value.dword);
    case ParsedType::Binary:
    case ParsedType::BadNumber:
      return false;
  }
  return false;
}

}  // namespace quintar::tamsk::core

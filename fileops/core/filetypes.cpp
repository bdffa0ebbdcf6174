#include "fileops/core/filetypes.h"

#include "fileops/core/fileops_core.h"

namespace quintar::fileops::core {

namespace {

char16_t Lower(char16_t c) noexcept { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool EqualNoCase(std::u16string_view a, std::u16string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  return text;
}

}  // namespace

std::optional<OpenCommand> ParseOpenCommand(std::u16string_view command) {
  command = Trimmed(command);
  OpenCommand result;
  if (!command.empty() && command.front() == u'"') {
    const std::size_t close = command.find(u'"', 1);
    if (close == std::u16string_view::npos) return std::nullopt;
    result.program.assign(command.substr(1, close - 1));
    result.parameters.assign(Trimmed(command.substr(close + 1)));
  } else {
    std::size_t end = std::u16string_view::npos;
    for (std::size_t at = 0; at + 4 <= command.size(); ++at) {
      if (!EqualNoCase(command.substr(at, 4), u".exe")) continue;
      const std::size_t after = at + 4;
      if (after == command.size() || command[after] == u' ' || command[after] == u'"') {
        end = after;
        break;
      }
    }
    if (end == std::u16string_view::npos) return std::nullopt;
    result.program.assign(command.substr(0, end));
    std::u16string_view rest = command.substr(end);
    if (!rest.empty() && rest.front() == u'"') rest.remove_prefix(1);
    result.parameters.assign(Trimmed(rest));
  }
  if (result.program.empty()) return std::nullopt;
  return result;
}

std::u16string ProgramPath(std::u16string_view program) {
  if (program.find(u'\\') != std::u16string_view::npos) return std::u16string(program);
  return std::u16string(kWindowsFolder) + u"\\" + std::u16string(program);
}

std::u16string FormatOpenCommand(std::u16string_view programPath, std::u16string_view parameters) {
  std::u16string_view program = programPath;
  const std::size_t slash = programPath.rfind(u'\\');
  if (slash != std::u16string_view::npos && EqualNoCase(programPath.substr(0, slash), kWindowsFolder))
    program = programPath.substr(slash + 1);
  std::u16string text;
  if (program.find(u' ') != std::u16string_view::npos) {
    text = u"\"" + std::u16string(program) + u"\"";
  } else {
    text = std::u16string(program);
  }
  return text + u" " + std::u16string(parameters);
}

std::u16string ParametersForFile(std::u16string_view parameters, std::u16string_view path) {
  std::u16string result;
  bool replaced = false;
  for (std::size_t at = 0; at < parameters.size();) {
    if (parameters.substr(at, 2) == u"%1") {
      result += path;
      at += 2;
      replaced = true;
    } else {
      result += parameters[at++];
    }
  }
  if (!replaced) {
    if (!result.empty()) result += u' ';
    result += u"\"" + std::u16string(path) + u"\"";
  }
  return result;
}

std::pair<std::u16string, int> SplitDefaultIcon(std::u16string_view value) {
  const std::size_t comma = value.rfind(u',');
  if (comma != std::u16string_view::npos) {
    std::u16string_view digits = Trimmed(value.substr(comma + 1));
    bool negative = !digits.empty() && digits.front() == u'-';
    if (negative) digits.remove_prefix(1);
    if (!digits.empty() && digits.size() <= 6) {
      int index = 0;
      bool ok = true;
      for (char16_t c : digits) {
        if (c < u'0' || c > u'9') {
          ok = false;
          break;
        }
        index = index * 10 + (c - u'0');
      }
      if (ok) return {std::u16string(value.substr(0, comma)), negative ? -index : index};
    }
  }
  return {std::u16string(value), 0};
}

bool IsReservedClassName(std::u16string_view name) noexcept {
  if (name.empty() || name.front() == u'.') return true;
  for (std::u16string_view reserved : {u"CLSID", u"*", u"Folder", u"Directory"})
    if (EqualNoCase(name, reserved)) return true;
  return false;
}

std::optional<std::u16string> ChooseClassName(std::u16string_view programPath, const ClassLookup& lookup) {
  std::u16string_view file = programPath.substr(programPath.rfind(u'\\') + 1);
  const std::size_t dot = file.rfind(u'.');
  std::u16string stem(dot == std::u16string_view::npos || dot == 0 ? file : file.substr(0, dot));
  if (stem.empty() || stem.find_first_of(u"\\/\"") != std::u16string::npos) return std::nullopt;
  for (int n = 1; n < 1000; ++n) {
    std::u16string name = n == 1 ? stem : stem + std::u16string(1, u'0' + n % 10);
    if (n >= 10) {
      name = stem;
      for (char c : std::to_string(n)) name += static_cast<char16_t>(c);
    }
    if (IsReservedClassName(name)) continue;
    bool exists = false;
    std::optional<std::u16string> program = lookup(name, exists);
    if (!exists) return name;
    if (program && EqualNoCase(*program, programPath)) return name;
  }
  return std::nullopt;
}

NewExtensionCheck CheckNewExtension(std::u16string_view text, std::u16string& key) {
  if (text.empty()) return NewExtensionCheck::Empty;
  key = text.front() == u'.' ? std::u16string(text) : u"." + std::u16string(text);
  if (key.size() < 2 || key.size() > 64 || !IsValidName(key) || key.find(u'"') != std::u16string::npos)
    return NewExtensionCheck::Invalid;
  return NewExtensionCheck::Ok;
}

}  // namespace quintar::fileops::core

#include "filemanager/core/startup.h"

#include <cstring>

#include "filemanager/core/paths.h"

namespace quintar::folderon::core {
namespace {

std::u16string_view TrimSpaces(std::u16string_view s) noexcept {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r' || s.back() == u'\n'))
    s.remove_suffix(1);
  return s;
}

// A folder in double quotes gives the text up to the next quote (the rest when none follows).
std::u16string_view Unquote(std::u16string_view s) noexcept {
  if (s.empty() || s.front() != u'"') return s;
  s.remove_prefix(1);
  const std::size_t end = s.find(u'"');
  return end == std::u16string_view::npos ? s : s.substr(0, end);
}

}  // namespace

std::optional<std::u16string> ParseCommandLine(std::u16string_view line) {
  std::u16string_view folder;
  if (line.starts_with(kFolderSwitch)) {
    folder = Unquote(TrimSpaces(line.substr(kFolderSwitch.size())));
  } else {
    line = TrimSpaces(line);
    if (line.empty()) return std::nullopt;
    folder = Unquote(line);
  }
  folder = TrimSpaces(folder);
  if (folder.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  // "/FOLDER:" with nothing after it names no folder.
  if (folder.empty()) return std::nullopt;
  return NormalizeFolder(folder);
}

std::u16string OpenFolderPayload(std::u16string_view folder) {
  std::u16string data(folder);
  data.push_back(u'\0');
  return data;
}

std::optional<std::u16string> ReadOpenFolderRequest(std::uint64_t tag, const void* data, std::size_t bytes) {
  if (tag != kCopyDataOpenFolder || data == nullptr) return std::nullopt;
  if (bytes == 0 || bytes % 2 != 0 || bytes > kMaxCopyDataBytes) return std::nullopt;
  const std::size_t units = bytes / 2;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  std::u16string folder;
  folder.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    char16_t c;
    std::memcpy(&c, p + 2 * i, sizeof c);
    if (c == u'\0') return folder;
    folder.push_back(c);
  }
  return std::nullopt;  // no terminating zero within the data
}

}  // namespace quintar::folderon::core

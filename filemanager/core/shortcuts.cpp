#include "filemanager/core/shortcuts.h"

#include <algorithm>

#include "filemanager/core/file_entry.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/sorting.h"

namespace quintar::folderon::core {

namespace {

constexpr std::u16string_view kShortcutExtension = u".lnk";

void AppendDecimal(std::u16string& out, int n) {
  char16_t digits[12];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + n % 10);
    n /= 10;
  } while (n > 0 && count < std::size(digits));
  while (count > 0) out.push_back(digits[--count]);
}

}  // namespace

ShortcutTarget SplitShortcutTarget(std::u16string_view line) {
  ShortcutTarget target;
  std::size_t rest = 0;
  if (!line.empty() && line[0] == u'"') {
    const std::size_t close = line.find(u'"', 1);
    target.path = line.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1);
    rest = close == std::u16string_view::npos ? line.size() : close + 1;
  } else {
    const std::size_t space = line.find(u' ');
    target.path = line.substr(0, space);
    rest = space == std::u16string_view::npos ? line.size() : space;
  }
  while (rest < line.size() && line[rest] == u' ') ++rest;
  target.parameters = line.substr(rest);
  return target;
}

bool IsShortcutName(std::u16string_view name) noexcept {
  const std::size_t dot = ExtensionStart(LeafName(name));
  return dot != std::u16string_view::npos && EqualsNoCase(LeafName(name).substr(dot), kShortcutExtension);
}

bool IsDevicePath(std::u16string_view path) noexcept {
  if (path.empty() || path[0] != u'\\') return false;
  if (path.size() > 1 && (path[1] == u'\\' || path[1] == u'/')) return false;
  return std::none_of(path.begin(), path.end(), [](char16_t c) { return c == u':' || c == u'"' || c < u' '; });
}

std::optional<std::u16string> ShortcutPath(std::u16string_view destFolder, std::u16string_view name, bool isFile,
                                           const ShortcutNaming& naming, int n) {
  if (n < 1 || n > kMaxShortcutAttempts || name.empty()) return std::nullopt;
  std::u16string leaf;
  if (!naming.noShortcutMention) leaf = u"Shortcut to ";
  leaf.append(isFile && naming.dropExtension ? NameWithoutExtension(name) : name);
  if (n >= 2) {
    leaf.append(u" (");
    AppendDecimal(leaf, n);
    leaf.push_back(u')');
  }
  leaf.append(kShortcutExtension);
  return JoinPath(destFolder, leaf);
}

std::optional<std::u16string> ShortcutCommandLine(std::u16string_view folder, std::u16string_view name) {
  auto path = JoinPath(folder, name);
  if (!path || name.empty() || !IsDevicePath(*path) || path->size() + 2 > kMaxPath) return std::nullopt;
  return u"\"" + *path + u"\"";
}

std::optional<std::u16string> OpenWithArgument(std::u16string_view folder, std::u16string_view name, bool quote) {
  auto path = JoinPath(folder, name);
  if (!path || !quote) return path;
  return u"\"" + *path + u"\"";
}

std::vector<OpenWithEntry> BuildOpenWithTable(std::u16string_view folder, const FolderLister& list) {
  std::vector<FolderItem> items = list(folder);
  std::vector<OpenWithEntry> table;
  for (FolderItem& item : items) {
    if (item.folder || !IsShortcutName(item.name)) continue;
    auto path = JoinPath(folder, item.name);
    if (!path) continue;
    table.push_back({item.name.substr(0, item.name.size() - kShortcutExtension.size()), std::move(*path)});
  }
  std::sort(table.begin(), table.end(),
            [](const OpenWithEntry& a, const OpenWithEntry& b) { return CompareNoCase(a.caption, b.caption) < 0; });
  if (table.size() > kMaxOpenWith) table.resize(kMaxOpenWith);
  return table;
}

}  // namespace quintar::folderon::core

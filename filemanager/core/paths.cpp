#include "filemanager/core/paths.h"

namespace quintar::folderon::core {

std::optional<std::u16string> JoinPath(std::u16string_view folder, std::u16string_view name) {
  if (folder.size() + 1 + name.size() > kMaxPath) return std::nullopt;
  std::u16string out;
  out.reserve(folder.size() + 1 + name.size());
  out.append(folder);
  out.push_back(u'\\');
  out.append(name);
  return out;
}

std::optional<std::u16string> FindPattern(std::u16string_view folder) { return JoinPath(folder, u"*.*"); }

std::u16string_view ParentPath(std::u16string_view path) noexcept {
  const std::size_t slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos) return {};
  return path.substr(0, slash);
}

std::u16string_view LeafName(std::u16string_view path) noexcept {
  const std::size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string DisplayPath(std::u16string_view path) { return std::u16string(IsRoot(path) ? kRootName : path); }

std::optional<std::u16string> NormalizeFolder(std::u16string_view path) {
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  if (path.size() > kMaxPath) return std::nullopt;
  return std::u16string(path);
}

std::vector<std::u16string_view> SplitPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find(u'\\', i);
    if (j == std::u16string_view::npos) j = path.size();
    if (j > i) parts.push_back(path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

std::optional<std::u16string_view> ChildToReselect(std::u16string_view previous, std::u16string_view path) noexcept {
  if (IsRoot(previous) || IsSearchPath(previous)) return std::nullopt;
  if (previous.rfind(u'\\') == std::u16string_view::npos) return std::nullopt;
  if (ParentPath(previous) != path) return std::nullopt;
  const std::u16string_view leaf = LeafName(previous);
  if (leaf.empty()) return std::nullopt;
  return leaf;
}

std::u16string NearestExisting(std::u16string_view path, const std::function<bool(std::u16string_view)>& exists) {
  while (!exists(path)) {
    const std::size_t slash = path.rfind(u'\\');
    if (slash == std::u16string_view::npos) break;
    path = path.substr(0, slash);
  }
  return std::u16string(path);
}

std::optional<std::u16string> RefreshTarget(std::u16string_view path, bool deviceMode,
                                            const std::function<bool(std::u16string_view)>& exists) {
  if (deviceMode && exists(path)) {
    if (IsRoot(path) || path == kRootName) return std::u16string();
    return std::nullopt;
  }
  return NearestExisting(path, exists);
}

GoToTarget ClassifyGoTo(std::u16string_view text) {
  if (text.empty() || text == kRootName || text == u"\\" || text == u"\\\\" || text == u"/")
    return {GoToKind::Root, {}};
  if (text == kSearchPath) return {GoToKind::SearchHits, {}};
  auto folder = NormalizeFolder(text);
  if (!folder) return {GoToKind::TooLong, {}};
  // Only backslashes: the root by another spelling.
  if (folder->empty()) return {GoToKind::Root, {}};
  return {GoToKind::Path, std::move(*folder)};
}

namespace {
bool HasAnyOf(std::u16string_view text, std::u16string_view set) noexcept {
  return text.find_first_of(set) != std::u16string_view::npos;
}
}  // namespace

bool HasForbiddenNameChar(std::u16string_view name) noexcept { return HasAnyOf(name, u"\\/:,;*?<>|"); }

bool HasForbiddenPathChar(std::u16string_view path) noexcept { return HasAnyOf(path, u"/:,;*?<>|"); }

NameCheck CheckNewName(std::u16string_view name) noexcept {
  if (HasForbiddenNameChar(name)) return NameCheck::BadCharacters;
  return name.empty() ? NameCheck::Empty : NameCheck::Ok;
}

std::optional<std::u16string> DeviceFolderFromText(std::u16string_view text) {
  if (text.size() < 2 || text[0] != u'\\' || text[1] == u'\\' || HasForbiddenPathChar(text)) return std::nullopt;
  auto folder = NormalizeFolder(text);
  if (!folder || folder->empty()) return std::nullopt;
  return folder;
}

}  // namespace quintar::folderon::core

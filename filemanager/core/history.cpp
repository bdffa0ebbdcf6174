#include "filemanager/core/history.h"

#include <algorithm>

#include "filemanager/core/paths.h"

namespace quintar::folderon::core {

void History::Append(std::u16string_view path) {
  if (!nodes_.empty()) {
    if (nodes_[current_] == path) return;
    nodes_.resize(current_ + 1);
  }
  nodes_.emplace_back(path);
  current_ = nodes_.size() - 1;
}

std::optional<std::u16string> History::Back(bool showingSearchHits) {
  if (nodes_.empty()) return std::nullopt;
  if (showingSearchHits) return nodes_[current_];
  if (current_ == 0) return std::nullopt;
  return nodes_[--current_];
}

std::optional<std::u16string> History::Forward(bool showingSearchHits) {
  if (nodes_.empty()) return std::nullopt;
  if (showingSearchHits) return nodes_[current_];
  if (current_ + 1 >= nodes_.size()) return std::nullopt;
  return nodes_[++current_];
}

std::optional<std::u16string> UpOneLevel(std::u16string_view path) {
  if (IsRoot(path)) return std::nullopt;
  return std::u16string(ParentPath(path));
}

void RecentFolders::Load(std::span<const std::u16string> values) {
  const std::size_t n = std::min(values.size(), kSavedRecent);
  for (std::size_t i = n; i-- > 0;) {
    const std::u16string& v = values[i];
    if (v.empty() || v.size() > kMaxPath) continue;
    items_.insert(items_.begin(), v);
  }
}

std::size_t RecentFolders::Push(std::u16string_view path) {
  const std::u16string shown = DisplayPath(path);
  std::size_t had = std::u16string::npos;
  const auto it = std::find(items_.begin(), items_.end(), shown);
  if (it != items_.end()) {
    had = static_cast<std::size_t>(it - items_.begin());
    items_.erase(it);
  }
  items_.insert(items_.begin(), shown);
  return had;
}

std::vector<std::u16string> RecentFolders::Saved() const {
  return {items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(std::min(items_.size(), kSavedRecent))};
}

namespace {
std::u16string Numbered(std::u16string_view prefix, int n) {
  std::u16string out(prefix);
  const std::string digits = std::to_string(n);
  out.append(digits.begin(), digits.end());
  return out;
}
}  // namespace

std::u16string RecentValueName(int n) { return Numbered(u"Recent", n); }
std::u16string UserPathValueName(int n) { return Numbered(u"OpenPthInfo", n); }

void UserPaths::Load(std::uint32_t count, std::span<const std::u16string> values) {
  items_.clear();
  const std::size_t n = std::min<std::size_t>({count, values.size(), kMaxUserPaths});
  for (std::size_t i = 0; i < n; ++i)
    if (!values[i].empty() && values[i].size() <= kMaxPath) items_.push_back(values[i]);
}

std::optional<std::size_t> UserPaths::Add(std::u16string_view currentFolder) {
  if (!CanAdd()) return std::nullopt;
  if (IsRoot(currentFolder) || IsSearchPath(currentFolder))
    items_.emplace_back(kRootName);
  else
    items_.emplace_back(currentFolder.substr(0, std::min(currentFolder.size(), kMaxPath)));
  return items_.size() - 1;
}

bool UserPaths::Remove(std::size_t index) {
  if (index >= items_.size()) return false;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

bool UserPaths::Replace(std::size_t index, std::u16string_view text) {
  if (index >= items_.size() || text.size() > kMaxPath) return false;
  items_[index] = text.empty() ? std::u16string(kRootName) : std::u16string(text);
  return true;
}

std::u16string_view UserPaths::Caption(std::size_t index) const noexcept {
  if (index >= items_.size()) return {};
  return LeafName(items_[index]);
}

UserPathCheck CheckUserPathText(std::u16string_view text) noexcept {
  if (HasForbiddenPathChar(text)) return UserPathCheck::BadCharacters;
  if (text.empty() || text == kRootName) return UserPathCheck::Root;
  return UserPathCheck::NeedsFolder;
}

}  // namespace quintar::folderon::core

// Navigation history (Back/Forward), the address bar's recent folders and the user paths. Plain
// data in and out: the Win32 side reads and writes the registry values named here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::folderon::core {

inline constexpr int kCmdBack = 40036;
inline constexpr int kCmdForward = 40037;
inline constexpr int kCmdUpOneLevel = 40073;
inline constexpr int kCmdUserPathFirst = 50100;  // user path n is 50100 + n
inline constexpr int kCmdFavoriteFirst = 51000;  // favorite n is 51000 + n

// Back and forward through the folders shown. Unbounded, as a list of nodes with a current one.
class History {
 public:
  // Every listing but the search hits: the same path as the current node (exact) adds nothing;
  // otherwise the forward part is dropped and the path becomes the new current node.
  void Append(std::u16string_view path);
  bool CanBack() const noexcept { return current_ > 0 && !nodes_.empty(); }
  bool CanForward() const noexcept { return !nodes_.empty() && current_ + 1 < nodes_.size(); }
  // The folder to navigate to. Showing the search hits: the current node's folder, without
  // moving; otherwise the previous (next) node, which becomes current. Nothing at the end.
  std::optional<std::u16string> Back(bool showingSearchHits);
  std::optional<std::u16string> Forward(bool showingSearchHits);
  const std::u16string* Current() const noexcept { return nodes_.empty() ? nullptr : &nodes_[current_]; }
  std::size_t size() const noexcept { return nodes_.size(); }
  void Clear() noexcept {
    nodes_.clear();
    current_ = 0;
  }

 private:
  std::vector<std::u16string> nodes_;
  std::size_t current_ = 0;
};

// Up One Level from a folder: nothing on the root.
std::optional<std::u16string> UpOneLevel(std::u16string_view path);

// The address combo box's items, most recent first. All stay while the program runs; the first
// eight are saved as "Recent1" ... "Recent8".
inline constexpr std::size_t kSavedRecent = 8;
class RecentFolders {
 public:
  // values[i] is "Recent<i+1>" as read (empty when missing); inserted from 8 down to 1 at the
  // top, so Recent1 ends first. Empty values and ones longer than 259 characters are skipped.
  void Load(std::span<const std::u16string> values);
  // After a listing: the shown folder ("My Pocket PC" for the root) goes to the top; an identical
  // item (exact match) is removed first. Returns the index it had, or npos.
  std::size_t Push(std::u16string_view path);
  // What to write: value i is "Recent<i+1>"; at most eight.
  std::vector<std::u16string> Saved() const;
  const std::vector<std::u16string>& Items() const noexcept { return items_; }

 private:
  std::vector<std::u16string> items_;
};
std::u16string RecentValueName(int n);  // "Recent%d"

// The user's own paths (User Path dialog, Go to menu). At most 16.
inline constexpr std::size_t kMaxUserPaths = 16;
class UserPaths {
 public:
  // `OpenPthInfoCount` and the "OpenPthInfo%d" values as read: the count is clamped to 16 and to
  // the values given; empty or too-long values are skipped.
  void Load(std::uint32_t count, std::span<const std::u16string> values);
  const std::vector<std::u16string>& Items() const noexcept { return items_; }
  bool CanAdd() const noexcept { return items_.size() < kMaxUserPaths; }
  // Add: the list's folder; the root and "File Search" are added as "My Pocket PC". Returns the
  // new entry's index, or nothing when full.
  std::optional<std::size_t> Add(std::u16string_view currentFolder);
  bool Remove(std::size_t index);
  bool Replace(std::size_t index, std::u16string_view text);
  // Menu caption: the text after the last backslash (the whole text when there is none).
  std::u16string_view Caption(std::size_t index) const noexcept;

 private:
  std::vector<std::u16string> items_;
};
std::u16string UserPathValueName(int n);  // "OpenPthInfo%d"

// The end of a user-path edit.
enum class UserPathCheck {
  BadCharacters,  // "A filename cannot contain these characters:..."
  Root,           // empty: stands for "My Pocket PC", accepted
  NeedsFolder,    // accepted when `text` names an existing folder, else "This folder or file..."
};
UserPathCheck CheckUserPathText(std::u16string_view text) noexcept;
inline constexpr std::u16string_view kNotFoundMessage =
    u"This folder or file could not be found. Check the path or file name.";

}  // namespace quintar::folderon::core

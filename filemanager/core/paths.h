// Device paths as the browser uses them: absolute, no drive letter, no trailing backslash, at
// most 259 characters; the root is the empty string and is shown as "My Pocket PC".
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::folderon::core {

inline constexpr std::size_t kMaxPath = 259;
inline constexpr std::u16string_view kRootName = u"My Pocket PC";
inline constexpr std::u16string_view kSearchPath = u"File Search";  // the search hits' pseudo-path
inline constexpr std::u16string_view kRecycled = u"Recycled";

inline bool IsRoot(std::u16string_view path) noexcept { return path.empty(); }
inline bool IsSearchPath(std::u16string_view path) noexcept { return path == kSearchPath; }

// "%s\%s": the root's children become "\name". Nothing when the result would exceed kMaxPath.
std::optional<std::u16string> JoinPath(std::u16string_view folder, std::u16string_view name);
// "%s\*.*" ("\*.*" for the root). Nothing when the pattern would exceed kMaxPath.
std::optional<std::u16string> FindPattern(std::u16string_view folder);
// Up One Level: cut at the last backslash; no backslash, or nothing before it, gives the root.
std::u16string_view ParentPath(std::u16string_view path) noexcept;
// The text after the last backslash; the whole text when there is none.
std::u16string_view LeafName(std::u16string_view path) noexcept;
// The address bar's and status bar's name of a path: "My Pocket PC" for the root.
std::u16string DisplayPath(std::u16string_view path);
// Trailing backslashes removed ("\" becomes the root); nothing when still longer than kMaxPath.
std::optional<std::u16string> NormalizeFolder(std::u16string_view path);
// Components between backslashes, empty ones skipped ("\a\b" gives a, b).
std::vector<std::u16string_view> SplitPath(std::u16string_view path);

// Going up into a folder re-selects the child one came from: the leaf of `previous` when its
// parent equals `path` exactly.
std::optional<std::u16string_view> ChildToReselect(std::u16string_view previous, std::u16string_view path) noexcept;

// Trailing components removed one at a time until `exists` accepts the path or no backslash is
// left (so a vanished "\Storage Card\x" ends on an existing parent or on the root).
std::u16string NearestExisting(std::u16string_view path, const std::function<bool(std::u16string_view)>& exists);

// Delayed refresh: where the list goes after its folder may have changed. Nothing means stay.
// In device mode an existing folder stays, except that an empty path or "My Pocket PC" goes to
// the root; otherwise the nearest existing folder is re-read.
std::optional<std::u16string> RefreshTarget(std::u16string_view path, bool deviceMode,
                                            const std::function<bool(std::u16string_view)>& exists);

// A folder typed into a settings field: accepted only as a device path (one leading backslash,
// not two, no drive letter or other forbidden character), trailing backslashes stripped. Nothing
// for anything else, the root and empty text included, so the caller keeps its old value.
std::optional<std::u16string> DeviceFolderFromText(std::u16string_view text);

// What "Go to" does with a text.
enum class GoToKind { Root, SearchHits, Path, TooLong };
struct GoToTarget {
  GoToKind kind;
  std::u16string path;  // for Path: normalised, still to be checked for existence
};
GoToTarget ClassifyGoTo(std::u16string_view text);

// A typed file or folder name may not contain \ / : , ; * ? < > |.
bool HasForbiddenNameChar(std::u16string_view name) noexcept;
// A typed user path may not contain / : , ; * ? < > | (backslashes separate its components).
bool HasForbiddenPathChar(std::u16string_view path) noexcept;
inline constexpr std::u16string_view kForbiddenNameMessage =
    u"A filename cannot contain these characters:\n\n\\/:,;*?<>|";
inline constexpr std::u16string_view kEmptyNameMessage = u"Input file name.";
inline constexpr std::u16string_view kRenameFailedMessage = u"Cannot rename file.";

// A new name typed in place (tree or list label edit): forbidden characters first, then empty.
enum class NameCheck { Ok, BadCharacters, Empty };
NameCheck CheckNewName(std::u16string_view name) noexcept;

}  // namespace quintar::folderon::core

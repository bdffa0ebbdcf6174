// Folderon's file operations, the plain rules: the name rule, numbered copy names, path lengths,
// the "inside itself" and system-folder checks, the texts of questions and counters.
// No windows.h here: text is UTF-16 as char16_t.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quintar::fileops::core {

// The longest path the device takes, in characters, without the terminating zero.
inline constexpr std::size_t kMaxPath = 259;

// The running answer to conflict and delete questions.
enum class ReplaceMode : int { Yes = 0, No = 1, All = 2, Cancel = 3 };

// True while the engine must still ask (Yes and No answer one question only).
constexpr bool MustAsk(ReplaceMode mode) noexcept { return mode == ReplaceMode::Yes || mode == ReplaceMode::No; }
// True when the entry the answer was given for is to be replaced or deleted.
constexpr bool Proceeds(ReplaceMode mode) noexcept { return mode == ReplaceMode::Yes || mode == ReplaceMode::All; }

// ---- Names and paths ------------------------------------------------------------------------

inline constexpr std::u16string_view kNameRuleMessage = u"A filename cannot contain these characters:\n\n\\/:,;*?<>|";

// A typed name: none of \ / : , ; * ? < > |.
bool IsValidName(std::u16string_view name) noexcept;
// A typed path: the same without the backslash.
bool IsValidPathText(std::u16string_view path) noexcept;

// "%s\%s"; the root is the empty string, so its children are "\name".
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);

// The text after the last backslash; `whenNone` when the path holds none (the root, "").
std::u16string_view LastComponent(std::u16string_view path, std::u16string_view whenNone) noexcept;

// The parent of "\a\b" is "\a"; of "\a" it is "" (the root).
std::u16string_view ParentPath(std::u16string_view path) noexcept;

// Fits the device's limit of 259 characters.
constexpr bool FitsPath(std::size_t length) noexcept { return length <= kMaxPath; }

// The target of copying `name` into the folder it lives in: n == 1 gives "%s\copy of %s",
// n >= 2 "%s\copy (%d) of %s".
std::u16string NumberedCopyPath(std::u16string_view folder, std::u16string_view name, int n);
inline constexpr int kLastCopyNumber = 511;

// Candidates of New Folder: n == 1 gives "New Folder", n >= 2 "New Folder(%d)".
std::u16string NewFolderName(int n);
inline constexpr int kChooserNewFolderLimit = 1024;
inline constexpr int kListNewFolderLimit = 4096;

// ASCII and Latin-1 letters folded to upper case; enough for the checks below on their own, the
// Win32 side folds with the system's table before calling them.
std::u16string FoldAscii(std::u16string_view text);

// The folder "\Windows" in any letter case (already folded or not).
bool IsSystemFolder(std::u16string_view path) noexcept;

// Whether `destination` is the folder `path` itself or lies below it. Both are compared with a
// trailing backslash, so "\AB" is not inside "\A". Both must be folded by the caller.
bool IsSameOrInside(std::u16string_view foldedPath, std::u16string_view foldedDestination);

// ---- Texts ----------------------------------------------------------------------------------

// "%d/%d"
std::u16string CounterText(long long processed, long long total);
// The opening question of a delete.
std::u16string DeleteQuestion(int count, bool singleIsFolder, std::u16string_view singleName);
// The per-item delete questions.
std::u16string FolderDeleteQuestion(std::u16string_view name);
std::u16string SystemFileDeleteQuestion(std::u16string_view name);
std::u16string ReadOnlyFileDeleteQuestion(std::u16string_view name);
// The first line of the file conflict prompt, by the existing target's attributes.
std::u16string FileConflictText(std::u16string_view targetName, bool system, bool readOnly);
// "In '%s', a folder called '%s' already exists." for the existing folder's path.
std::u16string FolderConflictText(std::u16string_view existingFolder);
// "'%s' cannot be copied." / "'%s' cannot be deleted."
std::u16string CannotCopyText(std::u16string_view name);
std::u16string CannotDeleteText(std::u16string_view name);
// "'%s' to '%s'" with the last components, and "from '%s'...".
std::u16string TransferRouteText(std::u16string_view from, std::u16string_view to);
std::u16string DeleteRouteText(std::u16string_view from);

// Digits grouped by `separator` every three from the right: 1234567 -> "1,234,567".
std::u16string GroupDigits(std::uint64_t value, std::u16string_view separator);

// A number typed as text, for tests and parsing of "%d/%d".
std::u16string ToU16(std::string_view ascii);

}  // namespace quintar::fileops::core

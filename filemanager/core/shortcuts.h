// Shortcuts and launching as plain text rules: a shortcut's command line split into target and
// parameters, the names new shortcuts get, the command lines they hold, the file argument handed
// to an open-with program, and the open-with table read from its folder.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "filemanager/core/favorites.h"

namespace quintar::folderon::core {

// A shortcut's command line: a leading quoted path runs to the next quote, an unquoted one to the
// first space; the parameters follow with their leading spaces skipped (empty: none).
struct ShortcutTarget {
  std::u16string path;
  std::u16string parameters;
};
ShortcutTarget SplitShortcutTarget(std::u16string_view line);

// ".lnk" in any case at the end of the name.
bool IsShortcutName(std::u16string_view name) noexcept;

// A path on the device: one leading backslash, no drive letter, share or "\\?\" namespace, and
// nothing that would end a quoted command line early (a double quote) or break it (controls).
bool IsDevicePath(std::u16string_view path) noexcept;

// How new shortcuts are named.
struct ShortcutNaming {
  bool noShortcutMention = false;  // "x.lnk" instead of "Shortcut to x.lnk"
  bool dropExtension = true;       // hideExtensions or NoExtShortcut: "x" for the file "x.txt"
};

inline constexpr int kMaxShortcutAttempts = 511;

// The path of attempt `n` (1 … 511) at a shortcut to the entry `name` in `destFolder` ("" is the
// root): "%s\Shortcut to %s.lnk" or "%s\%s.lnk", from n = 2 with " (%d)" before ".lnk". A file's
// extension is cut at the last dot of its name when the naming says so (a folder keeps its whole
// name; a leading dot never starts an extension). Nothing when n is out of range or the path
// would be longer than kMaxPath: a name that does not fit is refused, never shortened.
std::optional<std::u16string> ShortcutPath(std::u16string_view destFolder, std::u16string_view name, bool isFile,
                                           const ShortcutNaming& naming, int n);

// The command line a new shortcut holds: "\"%s\%s\"" of the entry's folder and name. Nothing when
// the entry is not on the device or the line would be longer than kMaxPath.
std::optional<std::u16string> ShortcutCommandLine(std::u16string_view folder, std::u16string_view name);

// The file argument of an open-with program: "%s\%s", in double quotes when `quote`. Nothing when
// the path would be longer than kMaxPath.
std::optional<std::u16string> OpenWithArgument(std::u16string_view folder, std::u16string_view name, bool quote);

// The open-with table: the shortcuts found in the open-with folder, by name without regard to
// case, at most 16 (commands 50000 … 50015). A shortcut's caption is its name without ".lnk".
inline constexpr std::size_t kMaxOpenWith = 16;
inline constexpr int kCmdOpenWithFirst = 50000;
struct OpenWithEntry {
  std::u16string caption;
  std::u16string shortcut;  // the shortcut file's full path
};
std::vector<OpenWithEntry> BuildOpenWithTable(std::u16string_view folder, const FolderLister& list);

}  // namespace quintar::folderon::core

// The plain rules of the Properties sheet: its size, count and attribute texts, which attributes
// OK applies, which typed names it takes, and the temporary name a new shortcut is written under.
// No windows.h here: text is UTF-16 as char16_t.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "filemanager/core/text_format.h"

namespace quintar::fileops::core {

using NumberFormat = folderon::core::NumberFormat;

// The general page's "Size :": "%s KB (%s bytes)", or "%s MB (%s bytes)" above 1,023,999 bytes.
std::u16string PropertySizeText(std::uint64_t bytes, const NumberFormat& format);
// The counting page's total: "%s KB" / "%s MB" by the same rule, and "(%s bytes)".
std::u16string TotalSizeText(std::uint64_t bytes, const NumberFormat& format);
std::u16string TotalBytesText(std::uint64_t bytes, const NumberFormat& format);
// "Folders : %d" and "Files :     %d".
std::u16string FoldersText(std::uint64_t count);
std::u16string FilesText(std::uint64_t count);
// The type line of a file in ROM: "%s (in ROM)".
std::u16string InRomTypeText(std::u16string_view typeName);

// The three attributes the sheet edits: read only, hidden, archive.
inline constexpr std::uint32_t kEditableAttributes = 0x0001 | 0x0002 | 0x0020;

// What OK sets: the attributes the file has now, with only the user's changes on the sheet made
// over them; bits that cannot be set (folder, in ROM, storage card, compressed, ...) are left out.
// Nothing when the user changed nothing.
std::optional<std::uint32_t> AttributesToApply(std::uint32_t current, std::uint32_t atOpen, std::uint32_t edited);

// Why a typed new name is refused; Ok when it may be tried on the file system.
enum class NameCheck { Ok, Empty, Unchanged, Refused };
// Empty, the same name, or one breaking the file-name rule (a path such as "..\x" or "sub\x", "."
// and "..", or a name whose path would pass 259 characters): such a name never moves the file.
NameCheck CheckNewName(std::u16string_view folder, std::u16string_view oldName, std::u16string_view newName);

// The most characters the name edit takes in `folder`, so that "%s\%s" stays within 259.
std::size_t NameLimit(std::u16string_view folder);

// The temporary shortcut written before it replaces the old one: "%s\~lnk%d.tmp" in the
// shortcut's own folder (so the replace is a rename on one volume). Nothing when it does not fit.
std::optional<std::u16string> TemporaryShortcutPath(std::u16string_view folder, int n);

}  // namespace quintar::fileops::core

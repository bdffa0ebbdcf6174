// The texts and rules of the properties dialog: the folder part of a path, the date and size
// texts, the new-name check, the attribute word written back and the box shown when that fails.
// Plain C++, shared by the DLL and the native tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quintar::menuvex::core {

// The selected path without its last component and the "\" before it; "\" for an item directly
// in the root.
std::u16string FolderPart(std::u16string_view path);
// The last component of a path.
std::u16string_view LastComponent(std::u16string_view path) noexcept;
// `name` inside `folder`, where the root "\" gives "\name", never "\\name".
std::u16string JoinFolder(std::u16string_view folder, std::u16string_view name);

// A local time as the dialog shows it: 12/5/2006 3:07:09 PM, nothing zero-padded, and the hours
// from 12 on as PM with 12 taken off (half past noon is 0:30:00 PM).
struct LocalTime {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::u16string DateTimeText(const LocalTime& time);

// "1.18 MB (1,234,567 B)", "2.00 KB (2,048 B)", "1023 B". Two decimals, a half hundredth rounded
// up; the kilobyte form writes S div 1000 "," S mod 1000 (1040000 gives "1040,000 B").
std::u16string SizeText(std::uint64_t bytes);

// A name typed into the name box: not empty, not "." or "..", none of \ / : , ; * ? < > |, and
// short enough that the folder plus the name stays within a path's 259 characters.
bool IsAcceptableNewName(std::u16string_view folder, std::u16string_view name) noexcept;

// The attribute word after the user's choice: read-only, hidden and archive as checked, every
// other settable bit as it is now; a word with nothing left is FILE_ATTRIBUTE_NORMAL.
inline constexpr std::uint32_t kReadOnly = 0x1, kHidden = 0x2, kSystem = 0x4, kArchive = 0x20, kNormal = 0x80,
                               kRomModule = 0x2000;
std::uint32_t NewAttributes(std::uint32_t current, bool readOnly, bool hidden, bool archive) noexcept;

inline constexpr std::u16string_view kPropertiesCaption = u"Zek TOOLS";
// The box's text when the attributes cannot be set.
std::u16string AttributeFailureText(std::u16string_view name);

}  // namespace quintar::menuvex::core

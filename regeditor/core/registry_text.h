// Texts Tamsk shows for registry data, the four roots, and key paths. Portable: no windows.h.
// A key path below a root is empty for the root itself or starts with "\" ("\Software\Apps").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::tamsk::core {

// Registry type numbers (the platform's REG_* values).
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users };
inline constexpr RegRoot kAllRoots[] = {RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine,
                                        RegRoot::Users};

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS".
std::u16string_view RootName(RegRoot root) noexcept;
// Exact (case-sensitive) match against the four names; nothing for any other text.
std::optional<RegRoot> RootFromName(std::u16string_view name) noexcept;
// The platform's predefined handle value of a root (0x80000000 ...), as an integer.
std::uint32_t RootHandleValue(RegRoot root) noexcept;

// Row of the value list: the image is 2 for REG_SZ rows and 3 for all others.
int ValueImageIndex(std::uint32_t type) noexcept;
// Type column: "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD", "REG_MULTI_SZ"; empty otherwise.
std::u16string_view ValueTypeText(std::uint32_t type) noexcept;
// Data column: the string (up to its first NUL), the first string of a multi-string, "%02X" per
// byte for binary, "0x%X" for a DWORD, "Unknown type: %x" otherwise. Any data size is accepted
// (odd byte counts, missing terminators, short DWORDs). At most maxChars characters are produced,
// so a row of a huge binary value costs no more than the row can show.
std::u16string ValueDataText(std::uint32_t type, std::span<const std::uint8_t> data, std::size_t maxChars = SIZE_MAX);
// How many characters of a data text a row keeps.
inline constexpr std::size_t kRowDataChars = 1536;

// "0x" + "%X": the list's text of a DWORD.
std::u16string DwordRowText(std::uint32_t value);
// The little-endian number of DWORD data; missing bytes count as zero.
std::uint32_t DwordFromData(std::span<const std::uint8_t> data) noexcept;
// Strings of REG_SZ / REG_MULTI_SZ data: the first string, and all strings.
std::u16string FirstString(std::span<const std::uint8_t> data);
std::vector<std::u16string> MultiStrings(std::span<const std::uint8_t> data);
// Registry data of a string: the text and one NUL ((characters + 1) x 2 bytes); for a
// multi-string the text and two NULs.
std::vector<std::uint8_t> StringData(std::u16string_view text);
std::vector<std::uint8_t> MultiStringData(std::u16string_view text);

// Paths: root name + path ("HKEY_LOCAL_MACHINE\Software\Apps"), the parent path ("" for a
// first-level key or the root), the last component, parent + "\" + name, and the components.
std::u16string FullKeyText(std::u16string_view rootName, std::u16string_view path);
std::u16string_view ParentKeyPath(std::u16string_view path) noexcept;
std::u16string_view LastKeyComponent(std::u16string_view path) noexcept;
std::u16string JoinKeyPath(std::u16string_view path, std::u16string_view name);
std::vector<std::u16string_view> SplitKeyPath(std::u16string_view path);

}  // namespace quintar::tamsk::core

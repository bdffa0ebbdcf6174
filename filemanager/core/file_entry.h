// The record behind one list row, and the rules that decide which enumerated entries become rows.
// Portable: times are FILETIME ticks (100 ns since 1601-01-01) already in local time, so the
// Win32 side only packs dwLowDateTime/dwHighDateTime into one number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quintar::folderon::core {

// File attribute bits as the device reports them (CE values).
inline constexpr std::uint32_t kAttrReadOnly = 0x0001;
inline constexpr std::uint32_t kAttrHidden = 0x0002;
inline constexpr std::uint32_t kAttrSystem = 0x0004;
inline constexpr std::uint32_t kAttrDirectory = 0x0010;
inline constexpr std::uint32_t kAttrArchive = 0x0020;
inline constexpr std::uint32_t kAttrInRom = 0x0040;
inline constexpr std::uint32_t kAttrTemporary = 0x0100;  // a mounted storage card's folder
inline constexpr std::uint32_t kAttrRomModule = 0x2000;

// Rows sort in this order whatever the key and direction.
enum class EntryKind : std::int32_t { UpLevel = 0, Folder = 1, File = 2 };

// What the comparators read comes first, so that a sort touches one cache line of each record
// besides the name's characters.
struct FileEntry {
  EntryKind kind = EntryKind::File;
  std::uint32_t size = 0;  // files: low 32 bits of the size; folders 0
  std::uint64_t time = 0;  // files: last write (local); folders: creation time as found
  std::u16string name;     // ".." for the up-level row
  std::uint32_t attributes = 0;
  int iconIndex = -1;     // -1 until known
  bool cut = false;       // shown dimmed: taken by Cut
  std::u16string folder;  // containing folder; empty for the up-level row
  // Texts made once, when the list first asks for them.
  std::optional<std::u16string> displayName;
  std::optional<std::u16string> sizeText;
  std::optional<std::u16string> typeText;
  std::optional<std::u16string> dateText;
};

FileEntry MakeUpLevelEntry();

// Position of the dot that starts a name's extension, or npos when it has none. A leading dot
// (".profile") does not start an extension: cutting there would leave an empty name.
std::size_t ExtensionStart(std::u16string_view name) noexcept;
// The name as the list shows it when extensions are hidden.
std::u16string_view NameWithoutExtension(std::u16string_view name) noexcept;
// The extension without its dot; empty when there is none.
std::u16string_view ExtensionOf(std::u16string_view name) noexcept;

// Which enumerated entries are listed. "." and ".." (which desktop find calls return) are never
// listed; a folder named "Recycled" in any case is never listed.
struct ListingFilter {
  bool hideHidden = true;
  bool hideSystem = false;
  bool hideRom = false;
  bool hideFolders = false;  // `HideFolder`: files only
};
bool IsListed(std::u16string_view name, std::uint32_t attributes, const ListingFilter& filter) noexcept;

// The tree takes folders and mounted cards, hidden and system ones too, but never "Recycled".
bool IsTreeFolder(std::u16string_view name, std::uint32_t attributes) noexcept;

}  // namespace quintar::folderon::core

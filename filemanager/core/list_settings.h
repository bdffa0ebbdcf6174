// The list's 22-value options block, stored whole as the 88-byte binary registry value
// `ListView`, and the small state machines over it (view-style cycling, sort selection).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quintar::folderon::core {

enum class SortKey : std::uint32_t { Name = 0, Type = 1, Size = 2, Date = 3 };
enum class ViewStyle : std::uint32_t { Large = 0, Details = 1, Medium = 2, Small = 3 };

inline constexpr std::uint32_t kLineSelectOn = 32;  // LVS_EX_FULLROWSELECT
inline constexpr std::uint32_t kArchiveLzh = 1;
inline constexpr std::uint32_t kArchiveZip = 2;

// Field order is the stored order; every field is one little-endian 32-bit value.
struct ListViewSettings {
  std::uint32_t sortKey = 0;  // SortKey
  std::uint32_t ascending = 1;
  std::uint32_t viewStyle = 0;   // ViewStyle
  std::uint32_t lineSelect = 0;  // kLineSelectOn or 0
  std::uint32_t hideHidden = 1;
  std::uint32_t hideSystem = 0;
  std::uint32_t hideRom = 0;
  std::uint32_t columnWidth[4] = {145, 75, 75, 75};  // Name, Size, Type, Modified
  std::uint32_t rememberLastFolder = 0;
  std::uint32_t noShortcutMention = 0;
  std::uint32_t hideExtensions = 1;
  std::uint32_t singleTap = 1;
  std::uint32_t noColumnHeader = 0;
  std::uint32_t showUpLevel = 1;
  std::uint32_t archiveKind = kArchiveZip;
  std::uint32_t extractInPlace = 0;
  std::uint32_t autoCreateFolder = 0;
  std::uint32_t openExtractFolder = 0;
  std::uint32_t openArchives = 0;

  SortKey Key() const noexcept { return static_cast<SortKey>(sortKey); }
  ViewStyle Style() const noexcept { return static_cast<ViewStyle>(viewStyle); }

  friend bool operator==(const ListViewSettings&, const ListViewSettings&) = default;
};

inline constexpr std::size_t kListViewSettingsBytes = 88;
inline constexpr std::uint32_t kMaxColumnWidth = 4096;

// Bytes as read from the registry. Any length other than 88 gives the defaults. Values out of
// range are mended field by field: an unknown sort key, view style or archive kind, and a column
// width above kMaxColumnWidth, take that field's default; flags become 0 or 1 (lineSelect 0 or
// 32), so a stray value never reaches a window style.
ListViewSettings ParseListViewSettings(std::span<const std::byte> bytes) noexcept;
std::array<std::byte, kListViewSettingsBytes> SerializeListViewSettings(const ListViewSettings& s) noexcept;

// The "List Style" command: Large -> Medium -> Small -> Detailed -> Detailed(Line Select) -> Large.
void CycleListStyle(ListViewSettings& s) noexcept;

// Column click: 0 name, 1 size, 2 type, 3 date; the current key's column flips the direction,
// another column sets its key and keeps the direction. Other columns change nothing.
void ApplyColumnClick(ListViewSettings& s, int column) noexcept;
// "Arrange Icons By" Name/Type/Size/Date: sets the key, keeps the direction.
void ApplySortKey(ListViewSettings& s, SortKey key) noexcept;
// "Arrange Icons By" Reverse.
void ToggleSortDirection(ListViewSettings& s) noexcept;

}  // namespace quintar::folderon::core

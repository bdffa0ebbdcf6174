#include "filemanager/core/list_settings.h"

namespace quintar::folderon::core {
namespace {

constexpr std::size_t kFields = kListViewSettingsBytes / 4;
static_assert(sizeof(ListViewSettings) == kListViewSettingsBytes);

// The values in stored order.
std::array<std::uint32_t, kFields> Values(const ListViewSettings& s) noexcept {
  return {s.sortKey,           s.ascending,      s.viewStyle,      s.lineSelect,
          s.hideHidden,        s.hideSystem,     s.hideRom,        s.columnWidth[0],
          s.columnWidth[1],    s.columnWidth[2], s.columnWidth[3], s.rememberLastFolder,
          s.noShortcutMention, s.hideExtensions, s.singleTap,      s.noColumnHeader,
          s.showUpLevel,       s.archiveKind,    s.extractInPlace, s.autoCreateFolder,
          s.openExtractFolder, s.openArchives};
}

std::uint32_t Flag(std::uint32_t v) noexcept { return v ? 1 : 0; }

}  // namespace

ListViewSettings ParseListViewSettings(std::span<const std::byte> bytes) noexcept {
  const ListViewSettings defaults;
  if (bytes.size() != kListViewSettingsBytes) return defaults;
  std::uint32_t v[kFields];
  for (std::size_t i = 0; i < kFields; ++i) {
    const std::byte* p = bytes.data() + i * 4;
    v[i] = std::to_integer<std::uint32_t>(p[0]) | std::to_integer<std::uint32_t>(p[1]) << 8 |
           std::to_integer<std::uint32_t>(p[2]) << 16 | std::to_integer<std::uint32_t>(p[3]) << 24;
  }
  ListViewSettings s;
  std::size_t i = 0;
  s.sortKey = v[i] <= 3 ? v[i] : defaults.sortKey;
  s.ascending = Flag(v[++i]);
  s.viewStyle = v[++i] <= 3 ? v[i] : defaults.viewStyle;
  s.lineSelect = v[++i] ? kLineSelectOn : 0;
  s.hideHidden = Flag(v[++i]);
  s.hideSystem = Flag(v[++i]);
  s.hideRom = Flag(v[++i]);
  for (int c = 0; c < 4; ++c) s.columnWidth[c] = v[++i] <= kMaxColumnWidth ? v[i] : defaults.columnWidth[c];
  s.rememberLastFolder = Flag(v[++i]);
  s.noShortcutMention = Flag(v[++i]);
  s.hideExtensions = Flag(v[++i]);
  s.singleTap = Flag(v[++i]);
  s.noColumnHeader = Flag(v[++i]);
  s.showUpLevel = Flag(v[++i]);
  s.archiveKind = (v[++i] == kArchiveLzh || v[i] == kArchiveZip) ? v[i] : defaults.archiveKind;
  s.extractInPlace = Flag(v[++i]);
  s.autoCreateFolder = Flag(v[++i]);
  s.openExtractFolder = Flag(v[++i]);
  s.openArchives = Flag(v[++i]);
  return s;
}

std::array<std::byte, kListViewSettingsBytes> SerializeListViewSettings(const ListViewSettings& s) noexcept {
  std::array<std::byte, kListViewSettingsBytes> out{};
  const auto v = Values(s);
  for (std::size_t i = 0; i < kFields; ++i)
    for (int b = 0; b < 4; ++b) out[i * 4 + b] = static_cast<std::byte>(v[i] >> (8 * b));
  return out;
}

void CycleListStyle(ListViewSettings& s) noexcept {
  switch (s.Style()) {
    case ViewStyle::Large:
      s.viewStyle = static_cast<std::uint32_t>(ViewStyle::Medium);
      return;
    case ViewStyle::Medium:
      s.viewStyle = static_cast<std::uint32_t>(ViewStyle::Small);
      return;
    case ViewStyle::Small:
      s.viewStyle = static_cast<std::uint32_t>(ViewStyle::Details);
      s.lineSelect = 0;
      return;
    case ViewStyle::Details:
      if (s.lineSelect == 0) {
        s.lineSelect = kLineSelectOn;
        return;
      }
      break;
  }
  s.viewStyle = static_cast<std::uint32_t>(ViewStyle::Large);
  s.lineSelect = 0;
}

void ApplyColumnClick(ListViewSettings& s, int column) noexcept {
  static constexpr SortKey kByColumn[4] = {SortKey::Name, SortKey::Size, SortKey::Type, SortKey::Date};
  if (column < 0 || column > 3) return;
  const SortKey key = kByColumn[column];
  if (s.Key() == key)
    ToggleSortDirection(s);
  else
    ApplySortKey(s, key);
}

void ApplySortKey(ListViewSettings& s, SortKey key) noexcept { s.sortKey = static_cast<std::uint32_t>(key); }

void ToggleSortDirection(ListViewSettings& s) noexcept { s.ascending = s.ascending ? 0 : 1; }

}  // namespace quintar::folderon::core

#include "filemanager/core/file_entry.h"

#include "filemanager/core/paths.h"
#include "filemanager/core/sorting.h"

namespace quintar::folderon::core {

FileEntry MakeUpLevelEntry() {
  FileEntry e;
  e.name = u"..";
  e.kind = EntryKind::UpLevel;
  return e;
}

std::size_t ExtensionStart(std::u16string_view name) noexcept {
  const std::size_t dot = name.rfind(u'.');
  return dot == 0 ? std::u16string_view::npos : dot;
}

std::u16string_view NameWithoutExtension(std::u16string_view name) noexcept {
  const std::size_t dot = ExtensionStart(name);
  return dot == std::u16string_view::npos ? name : name.substr(0, dot);
}

std::u16string_view ExtensionOf(std::u16string_view name) noexcept {
  const std::size_t dot = ExtensionStart(name);
  return dot == std::u16string_view::npos ? std::u16string_view{} : name.substr(dot + 1);
}

namespace {
bool IsDotEntry(std::u16string_view name) noexcept { return name == u"." || name == u".."; }
}  // namespace

bool IsListed(std::u16string_view name, std::uint32_t attributes, const ListingFilter& filter) noexcept {
  if (name.empty() || IsDotEntry(name)) return false;
  if (attributes & kAttrDirectory) {
    if (filter.hideFolders) return false;
    if ((attributes & kAttrHidden) && filter.hideHidden) return false;
    return !EqualsNoCase(name, kRecycled);
  }
  if ((attributes & kAttrHidden) && filter.hideHidden) return false;
  if ((attributes & kAttrSystem) && filter.hideSystem) return false;
  if ((attributes & kAttrInRom) && filter.hideRom) return false;
  return true;
}

bool IsTreeFolder(std::u16string_view name, std::uint32_t attributes) noexcept {
  if (name.empty() || IsDotEntry(name)) return false;
  if (!(attributes & (kAttrDirectory | kAttrTemporary))) return false;
  return !EqualsNoCase(name, kRecycled);
}

}  // namespace quintar::folderon::core

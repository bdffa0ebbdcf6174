#include "fileops/core/properties.h"

#include <string>

#include "fileops/core/fileops_core.h"

namespace quintar::fileops::core {
namespace {

namespace fc = folderon::core;

std::u16string Decimal(std::uint64_t value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// Bits SetFileAttributes takes on the device.
constexpr std::uint32_t kSettable = 0x0001 | 0x0002 | 0x0004 | 0x0020;

}  // namespace

std::u16string PropertySizeText(std::uint64_t bytes, const NumberFormat& format) {
  return fc::SizeText(bytes, format) + u" (" + fc::FormatCount(bytes, format) + u" bytes)";
}

std::u16string TotalSizeText(std::uint64_t bytes, const NumberFormat& format) { return fc::SizeText(bytes, format); }

std::u16string TotalBytesText(std::uint64_t bytes, const NumberFormat& format) {
  return u"(" + fc::FormatCount(bytes, format) + u" bytes)";
}

std::u16string FoldersText(std::uint64_t count) { return u"Folders : " + Decimal(count); }
std::u16string FilesText(std::uint64_t count) { return u"Files :     " + Decimal(count); }

std::u16string InRomTypeText(std::u16string_view typeName) { return std::u16string(typeName) + u" (in ROM)"; }

std::optional<std::uint32_t> AttributesToApply(std::uint32_t current, std::uint32_t atOpen, std::uint32_t edited) {
  const std::uint32_t changed = (atOpen ^ edited) & kEditableAttributes;
  if (!changed) return std::nullopt;
  return ((current & ~changed) | (edited & changed)) & kSettable;
}

NameCheck CheckNewName(std::u16string_view folder, std::u16string_view oldName, std::u16string_view newName) {
  if (newName.empty()) return NameCheck::Empty;
  if (newName == oldName) return NameCheck::Unchanged;
  if (!IsValidName(newName) || newName == u"." || newName == u"..") return NameCheck::Refused;
  if (newName.find(u'\0') != std::u16string_view::npos) return NameCheck::Refused;
  if (!FitsPath(folder.size() + 1 + newName.size())) return NameCheck::Refused;
  return NameCheck::Ok;
}

std::size_t NameLimit(std::u16string_view folder) {
  return folder.size() + 1 >= kMaxPath ? 0 : kMaxPath - folder.size() - 1;
}

std::optional<std::u16string> TemporaryShortcutPath(std::u16string_view folder, int n) {
  std::u16string path = JoinPath(folder, u"~lnk" + Decimal(static_cast<std::uint64_t>(n < 0 ? 0 : n)) + u".tmp");
  if (!FitsPath(path.size())) return std::nullopt;
  return path;
}

}  // namespace quintar::fileops::core

#include "fileops/core/fileops_core.h"

#include <string>

namespace quintar::fileops::core {
namespace {

bool HasAnyOf(std::u16string_view text, std::u16string_view forbidden) noexcept {
  return text.find_first_of(forbidden) != std::u16string_view::npos;
}

std::u16string Number(long long value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string Concat(std::initializer_list<std::u16string_view> parts) {
  std::size_t size = 0;
  for (auto p : parts) size += p.size();
  std::u16string out;
  out.reserve(size);
  for (auto p : parts) out.append(p);
  return out;
}

}  // namespace

bool IsValidName(std::u16string_view name) noexcept { return !HasAnyOf(name, u"\\/:,;*?<>|"); }

bool IsValidPathText(std::u16string_view path) noexcept { return !HasAnyOf(path, u"/:,;*?<>|"); }

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) { return Concat({folder, u"\\", name}); }

std::u16string_view LastComponent(std::u16string_view path, std::u16string_view whenNone) noexcept {
  auto slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos) return whenNone;
  return path.substr(slash + 1);
}

std::u16string_view ParentPath(std::u16string_view path) noexcept {
  auto slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos) return {};
  return path.substr(0, slash);
}

std::u16string NumberedCopyPath(std::u16string_view folder, std::u16string_view name, int n) {
  if (n <= 1) return Concat({folder, u"\\copy of ", name});
  return Concat({folder, u"\\copy (", Number(n), u") of ", name});
}

std::u16string NewFolderName(int n) {
  if (n <= 1) return u"New Folder";
  return Concat({u"New Folder(", Number(n), u")"});
}

std::u16string FoldAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = char16_t(c - 0x20);
  }
  return out;
}

bool IsSystemFolder(std::u16string_view path) noexcept {
  constexpr std::u16string_view kWindows = u"\\WINDOWS";
  if (path.size() != kWindows.size()) return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    char16_t c = path[i];
    if (c >= u'a' && c <= u'z') c = char16_t(c - 0x20);
    if (c != kWindows[i]) return false;
  }
  return true;
}

bool IsSameOrInside(std::u16string_view foldedPath, std::u16string_view foldedDestination) {
  std::u16string folder = Concat({foldedPath, u"\\"});
  std::u16string dest = Concat({foldedDestination, u"\\"});
  return dest.starts_with(folder);
}

std::u16string CounterText(long long processed, long long total) {
  return Concat({Number(processed), u"/", Number(total)});
}

std::u16string DeleteQuestion(int count, bool singleIsFolder, std::u16string_view singleName) {
  if (count >= 2) return Concat({u"Do you really want to delete ", Number(count), u" files ?"});
  if (singleIsFolder) return FolderDeleteQuestion(singleName);
  return Concat({u"Do you really want to delete '", singleName, u"' ?"});
}

std::u16string FolderDeleteQuestion(std::u16string_view name) {
  return Concat({u"'", name, u"' is a folder. Do you really want to delete it ?"});
}

std::u16string SystemFileDeleteQuestion(std::u16string_view name) {
  return Concat({u"'", name, u"' is a System file. Do you really want to delete it ?"});
}

std::u16string ReadOnlyFileDeleteQuestion(std::u16string_view name) {
  return Concat({u"The file '", name, u"' is READ-ONLY. Do you really want to delete it ?"});
}

std::u16string FileConflictText(std::u16string_view targetName, bool system, bool readOnly) {
  if (system) return Concat({u"SYSTEM file '", targetName, u"' already exists."});
  if (readOnly) return Concat({u"this READ-ONLY file '", targetName, u"' already exists."});
  return Concat({u"this file '", targetName, u"' already exists."});
}

std::u16string FolderConflictText(std::u16string_view existingFolder) {
  std::u16string_view parent = LastComponent(ParentPath(existingFolder), u"My Pocket PC");
  return Concat(
      {u"In '", parent, u"', a folder called '", LastComponent(existingFolder, existingFolder), u"' already exists."});
}

std::u16string CannotCopyText(std::u16string_view name) { return Concat({u"'", name, u"' cannot be copied."}); }

std::u16string CannotDeleteText(std::u16string_view name) { return Concat({u"'", name, u"' cannot be deleted."}); }

std::u16string TransferRouteText(std::u16string_view from, std::u16string_view to) {
  return Concat({u"'", LastComponent(from, u"\\"), u"' to '", LastComponent(to, u"\\"), u"'"});
}

std::u16string DeleteRouteText(std::u16string_view from) {
  return Concat({u"from '", LastComponent(from, u"\\"), u"'..."});
}

std::u16string GroupDigits(std::uint64_t value, std::u16string_view separator) {
  std::string digits = std::to_string(value);
  std::u16string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out.append(separator);
    out.push_back(char16_t(digits[i]));
  }
  return out;
}

std::u16string ToU16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace quintar::fileops::core

#include "shellext/menu_plan.h"

#include <cstring>

namespace quintar::menuvex::core {
namespace {

constexpr std::uint32_t kDirectory = 0x10;

bool EndsWith(std::u16string_view name, std::u16string_view tail) {
  return name.size() >= tail.size() && name.substr(name.size() - tail.size()) == tail;
}

std::uint32_t ReadU32(std::span<const std::byte> block, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(std::to_integer<unsigned>(block[at + i])) << (8 * i);
  return value;
}

}  // namespace

std::u16string_view OffsetCaption(int offset) noexcept {
  switch (offset) {
    case kAddToZip:
      return u"Add to ZIP File";
    case kEncrypt:
      return u"Encrypt File...";
    case kAddToToday:
      return u"Add to Today Screen";
    case kProperties:
      return u"Properties...";
    case kExtractHere:
      return u"Current Directory";
    case kExtractSpecify:
      return u"Specify Directory";
    case kDecrypt:
      return u"Decrypt File...";
    default:
      return {};
  }
}

std::u16string ExtractFolderText(std::u16string_view name) {
  std::u16string text(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
  text += u'\\';
  return text;
}

MenuPlan PlanMenu(std::u16string_view name, std::uint32_t attributes) {
  MenuPlan plan;
  const bool folder = (attributes & kDirectory) != 0;
  const bool zip = !folder && EndsWith(name, u"zip");
  int largest = -1;
  auto add = [&](int offset) {
    plan.topOffsets.push_back(offset);
    if (offset > largest) largest = offset;
  };
  if (zip) {
    plan.extractPopup = true;
    plan.extractFolderText = ExtractFolderText(name);
    largest = kExtractSpecify;
  } else {
    add(kAddToZip);
  }
  if (!folder) add(EndsWith(name, u"enf") ? kDecrypt : kEncrypt);
  add(kAddToToday);
  add(kProperties);
  plan.itemCount = largest + 1;
  return plan;
}

DropPath FirstDropPath(std::span<const std::byte> block) {
  DropPath result;
  if (block.size() < kDropFilesHeaderBytes) {
    result.error = DropError::Malformed;
    return result;
  }
  const std::uint32_t offset = ReadU32(block, 0);
  if (ReadU32(block, 16) == 0) {
    result.error = DropError::NotWide;
    return result;
  }
  if (offset < kDropFilesHeaderBytes || offset >= block.size() || offset % 2 != 0) {
    result.error = DropError::Malformed;
    return result;
  }
  const std::size_t units = (block.size() - offset) / 2;
  std::u16string path;
  for (std::size_t i = 0;; ++i) {
    if (i == units) {  // runs off the end of the block
      result.error = DropError::Malformed;
      return result;
    }
    char16_t c;
    std::memcpy(&c, block.data() + offset + 2 * i, 2);
    if (c == 0) break;
    if (c == u'*' || c == u'?') {  // a pattern would make the look-up find some other file
      result.error = DropError::Malformed;
      return result;
    }
    if (path.size() == kMaxPathChars) {
      result.error = DropError::TooLong;
      return result;
    }
    path += c;
  }
  if (path.empty()) {
    result.error = DropError::Empty;
    return result;
  }
  result.path = std::move(path);
  return result;
}

EntryCheck CheckEncryptionEntry(std::u16string_view password, std::u16string_view confirmation) {
  if (!password.empty() && password == confirmation)
    return password.size() > kMaxPasswordChars ? EntryCheck::TooLong : EntryCheck::Ok;
  if (!password.empty() && !confirmation.empty()) return EntryCheck::Mismatch;
  return EntryCheck::Empty;
}

ExtractFolders ExtractFoldersFor(std::u16string_view archivePath) {
  const std::size_t slash = archivePath.rfind(u'\\');
  const std::size_t cut = slash == std::u16string_view::npos ? 0 : slash + 1;
  ExtractFolders folders;
  folders.current = std::u16string(archivePath.substr(0, cut));
  const std::u16string_view name = archivePath.substr(cut);
  folders.named = folders.current + std::u16string(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
  return folders;
}

std::optional<std::u16string> DeviceFolder(std::u16string_view typed) {
  if (typed.empty() || typed.size() > kMaxPathChars || typed[0] != u'\\') return std::nullopt;
  if (typed.size() > 1 && typed[1] == u'\\') return std::nullopt;  // "\\server" or "\\?\"
  for (char16_t c : typed)
    if (c < 0x20 || std::u16string_view(u":*?\"<>|/").find(c) != std::u16string_view::npos) return std::nullopt;
  std::u16string folder(typed);
  while (folder.size() > 1 && folder.back() == u'\\') folder.pop_back();
  if (folder.find(u"\\\\") != std::u16string::npos) return std::nullopt;
  return folder;
}

}  // namespace quintar::menuvex::core

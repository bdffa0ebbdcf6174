#include "filemanager/core/browser_rules.h"

#include "filemanager/core/paths.h"
#include "filemanager/core/sorting.h"

namespace quintar::folderon::core {

IconChoice ChooseIcon(const FileEntry& entry, const IconOptions& o) {
  IconChoice c;
  if (entry.kind == EntryKind::UpLevel) {
    c.fixedImage = kImageFolder;
    return c;
  }
  if (entry.kind == EntryKind::Folder) {
    const std::u16string_view name = entry.name;
    if (!o.networkLeaf.empty() && EqualsNoCase(name, o.networkLeaf))
      c.fixedImage = kImageNetwork;
    else if (!o.myDocumentsLeaf.empty() && EqualsNoCase(name, o.myDocumentsLeaf))
      c.fixedImage = kImageMyDocuments;
    else if (!o.startMenuLeaf.empty() && EqualsNoCase(name, o.startMenuLeaf))
      c.fixedImage = kImageStartMenu;
    else if (entry.attributes & kAttrTemporary)
      c.fixedImage = kImageCard;
    else
      c.fixedImage = kImageFolder;
    return c;
  }
  if (o.romIcons && (entry.attributes & kAttrInRom)) {
    c.fixedImage = kImageRom;
    return c;
  }
  if (o.genericIcons) {
    c.fixedImage = kImageGeneric;
    return c;
  }
  const std::u16string_view ext = ExtensionOf(entry.name);
  if (o.zipIcons || o.openArchives) {
    if ((EqualsNoCase(ext, u"ZIP") && o.zipSupported) || (EqualsNoCase(ext, u"LZH") && o.lzhSupported)) {
      c.fixedImage = kImageArchive;
      return c;
    }
  }
  c.shortcut = EqualsNoCase(ext, u"LNK");
  if (c.shortcut || EqualsNoCase(ext, u"EXE")) {
    if (auto full = JoinPath(entry.folder, entry.name)) {
      c.key = std::move(*full);
      return c;
    }
    // A path too long to name the file: its own icon cannot be asked for.
    c.fixedImage = kImageGeneric;
    c.shortcut = false;
    return c;
  }
  if (ExtensionStart(entry.name) == std::u16string_view::npos) {
    c.key = kNoExtensionIconKey;
  } else {
    c.key = u".";
    for (char16_t ch : ext) c.key.push_back(FoldUpper(ch));
  }
  return c;
}

bool IsNetworkShareTarget(std::u16string_view target) noexcept {
  return target.size() > 2 && target.starts_with(u"\\\\") && target.find(u'\\', 2) == std::u16string_view::npos;
}

TreeImages TreeImageFor(std::u16string_view name, std::uint32_t attributes, std::u16string_view startMenuLeaf,
                        std::u16string_view networkLeaf, std::u16string_view myDocumentsLeaf) noexcept {
  if (!startMenuLeaf.empty() && EqualsNoCase(name, startMenuLeaf)) return {5, 5};
  if (!networkLeaf.empty() && EqualsNoCase(name, networkLeaf)) return {6, 6};
  if (attributes & kAttrTemporary) return {3, 3};
  if (!myDocumentsLeaf.empty() && EqualsNoCase(name, myDocumentsLeaf)) return {4, 4};
  return {1, 2};
}

bool IsHighResolution(int osVersion, int menuHeight, int w, int h) noexcept {
  return osVersion > 420 && menuHeight == 52 && ((w == 480 && h == 640) || (w == 640 && h == 480));
}

std::u16string WatchPathFor(std::u16string_view folder) {
  return folder.empty() ? std::u16string(u"\\") : std::u16string(folder);
}

int FontHeight(int logPixelsY, int points) noexcept {
  const long long h = static_cast<long long>(logPixelsY) * points / 72;
  return h > 0x7FFF ? 0x7FFF : (h < -0x7FFF ? -0x7FFF : static_cast<int>(h));
}

}  // namespace quintar::folderon::core

// Small decisions of the browser's panes that need no window: which image a row or tree item
// gets, when the device counts as high-resolution, what the watcher watches, the pane font size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "filemanager/core/file_entry.h"

namespace quintar::folderon::core {

// The list's first eight images, in image-list order.
enum ListImage : int {
  kImageFolder = 0,
  kImageCard = 1,
  kImageMyDocuments = 2,
  kImageStartMenu = 3,
  kImageGeneric = 4,
  kImageRom = 5,
  kImageNetwork = 6,
  kImageArchive = 7,
};

struct IconOptions {
  bool genericIcons = false;  // `FileImageList` 1
  bool romIcons = true;       // `FileImageList` 2
  bool zipIcons = true;       // `FileImageList` 3
  bool openArchives = false;  // ListViewSettings openArchives
  bool zipSupported = false;  // the archiver can do ZIP
  bool lzhSupported = false;  // ... and LZH
  std::u16string_view networkLeaf;
  std::u16string_view myDocumentsLeaf;
  std::u16string_view startMenuLeaf;
};

// Either a fixed image or a key of the icon cache. For a shortcut (".LNK", keyed by its full
// path) the caller first checks whether its target is a network share ("\\server" without a
// further backslash), which gives the network image.
struct IconChoice {
  int fixedImage = -1;  // >= 0: use this image, no cache look-up
  std::u16string key;   // otherwise: the cache key (extension, or the full path)
  bool shortcut = false;
};
inline constexpr std::u16string_view kNoExtensionIconKey = u"\\\\\\";
IconChoice ChooseIcon(const FileEntry& entry, const IconOptions& options);
// A shortcut target "\\server" (two backslashes, no further one) names a network share.
bool IsNetworkShareTarget(std::u16string_view target) noexcept;

// Tree item images: 0 device, 1 closed folder, 2 open folder, 3 card, 4 My Documents, 5 Start
// Menu, 6 network.
struct TreeImages {
  int normal;
  int selected;
  friend bool operator==(const TreeImages&, const TreeImages&) = default;
};
TreeImages TreeImageFor(std::u16string_view name, std::uint32_t attributes, std::u16string_view startMenuLeaf,
                        std::u16string_view networkLeaf, std::u16string_view myDocumentsLeaf) noexcept;

// OS version as major * 100 + minor; VGA when above 420 with a 52-pixel menu on 480 x 640 or
// 640 x 480.
bool IsHighResolution(int osVersion, int menuHeight, int screenWidth, int screenHeight) noexcept;

// The folder the watcher opens: the root is "\".
std::u16string WatchPathFor(std::u16string_view folder);

// Pane font height: LOGPIXELSY x points / 72 (integer division).
int FontHeight(int logPixelsY, int points) noexcept;

}  // namespace quintar::folderon::core

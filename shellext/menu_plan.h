// What Menuvex's context menu holds for one selected item, the selection's first path out of a
// file-drop block, and the checks of the encryption dialog: plain C++, shared by the DLL and the
// native tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::menuvex::core {

// Command offsets (identifier minus the first identifier of the menu).
enum Offset : int {
  kAddToZip = 0,
  kEncrypt = 1,
  kAddToToday = 2,
  kProperties = 3,
  kExtractHere = 4,
  kExtractToNamed = 5,
  kExtractSpecify = 6,
  kDecrypt = 7,
};
inline constexpr int kLastOffset = kDecrypt;

inline constexpr char16_t kExtractToText[] = u"Extract To";

// The fixed caption of an offset; offset 5 is named after the archive (ExtractFolderText).
std::u16string_view OffsetCaption(int offset) noexcept;

// "data.zip" gives "data\": the name up to four places from its end, then a backslash.
std::u16string ExtractFolderText(std::u16string_view name);

struct MenuPlan {
  bool extractPopup = false;         // "Extract To" with offsets 4, 5, 6, before topOffsets
  std::u16string extractFolderText;  // offset 5's caption
  std::vector<int> topOffsets;       // top-level items after the popup, in order
  int itemCount = 0;                 // the success code: the largest offset appended plus one
};

// The menu for an item with this file name and attribute word. The type is judged by the last
// three characters of the name, case-sensitively; any item with the directory bit is a folder.
MenuPlan PlanMenu(std::u16string_view name, std::uint32_t attributes);

// The path of the first item in a DROPFILES block (pFiles, pt, fNC, fWide). Only wide lists are
// read, and only a path that ends inside the block.
enum class DropError { None, Malformed, NotWide, Empty, TooLong };
struct DropPath {
  DropError error = DropError::None;
  std::u16string path;
};
inline constexpr std::size_t kDropFilesHeaderBytes = 20;
inline constexpr std::size_t kMaxPathChars = 259;
DropPath FirstDropPath(std::span<const std::byte> block);

// The folders "Extract To" offers for an archive: its own folder ("\My Documents\" for
// "\My Documents\Letters.zip"), and beside it a folder named after it without its last four
// characters ("\My Documents\Letters").
struct ExtractFolders {
  std::u16string current, named;
};
ExtractFolders ExtractFoldersFor(std::u16string_view archivePath);

// A folder typed by the user, accepted only as a path of the device: one leading "\", no drive
// letter or network name, no character a file name cannot hold, at most kMaxPathChars long.
// Trailing "\" are dropped (the root stays "\"); nothing when the text is no such path.
std::optional<std::u16string> DeviceFolder(std::u16string_view typed);

// The encryption dialog's judgement of what was typed, in the order the dialog checks it.
enum class EntryCheck { Ok, Empty, Mismatch, TooLong };
inline constexpr std::size_t kMaxPasswordChars = 32;  // one trailer byte per character
EntryCheck CheckEncryptionEntry(std::u16string_view password, std::u16string_view confirmation);

}  // namespace quintar::menuvex::core

// What a drop does and where it lands, the range the stylus draws with drag-and-drop mode off,
// and the command line that hands a file to the mail composer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "filemanager/core/file_entry.h"

namespace quintar::folderon::core {

// Items of the drop menu; None when it was dismissed.
enum class DropChoice { None, Copy, Move, Shortcut, Cancel };
enum class DropAction { Cancel, Copy, Move, Shortcut };

struct DropKeys {
  bool shift = false;  // either Shift key held
  bool shiftMode = false;
  bool ctrl = false;
  bool ctrlMode = false;
  bool alt = false;
  bool alwaysAsk = false;  // the ContextMenu setting
};

// The drop menu is shown before the transfer.
bool DropAsks(const DropKeys& keys) noexcept;

// With the menu shown, its choice decides alone (the keys may still be held from the drag);
// without it, Alt makes shortcuts, Ctrl (held or as mode) copies, and a plain drag moves.
DropAction DecideDrop(bool menuShown, DropChoice choice, const DropKeys& keys) noexcept;

// The folder a drop on the list goes into: the folder row under the stylus, else the list's own
// folder. The search hits are no folder: there only a folder row is a target.
std::optional<std::u16string> ListDropTarget(std::u16string_view listPath, const FileEntry* row);

struct RowRange {
  int first = 0;
  int last = 0;  // inclusive
};
// The rows selected between the anchor and the row under the stylus, in either direction;
// nothing when the stylus is on no row (the last range stays).
std::optional<RowRange> DragRange(int anchor, int current) noexcept;

// The mail composer's arguments for one attachment; nothing when the path does not fit.
std::optional<std::u16string> MailArguments(std::u16string_view folder, std::u16string_view name);

}  // namespace quintar::folderon::core

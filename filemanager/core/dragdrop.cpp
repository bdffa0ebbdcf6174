#include "filemanager/core/dragdrop.h"

#include <algorithm>

#include "filemanager/core/paths.h"

namespace quintar::folderon::core {

bool DropAsks(const DropKeys& keys) noexcept { return keys.shift || keys.shiftMode || keys.alwaysAsk; }

DropAction DecideDrop(bool menuShown, DropChoice choice, const DropKeys& keys) noexcept {
  if (menuShown) {
    switch (choice) {
      case DropChoice::Copy:
        return DropAction::Copy;
      case DropChoice::Move:
        return DropAction::Move;
      case DropChoice::Shortcut:
        return DropAction::Shortcut;
      default:
        return DropAction::Cancel;
    }
  }
  if (keys.alt) return DropAction::Shortcut;
  if (keys.ctrl || keys.ctrlMode) return DropAction::Copy;
  return DropAction::Move;
}

std::optional<std::u16string> ListDropTarget(std::u16string_view listPath, const FileEntry* row) {
  if (row && row->kind == EntryKind::Folder) return JoinPath(row->folder, row->name);
  if (IsSearchPath(listPath)) return std::nullopt;
  return std::u16string(listPath);
}

std::optional<RowRange> DragRange(int anchor, int current) noexcept {
  if (anchor < 0 || current < 0) return std::nullopt;
  return RowRange{std::min(anchor, current), std::max(anchor, current)};
}

std::optional<std::u16string> MailArguments(std::u16string_view folder, std::u16string_view name) {
  auto path = JoinPath(folder, name);
  if (!path) return std::nullopt;
  return u"-attach \"" + *path + u"\"  -transport \"email\"";
}

}  // namespace quintar::folderon::core

// Dragging entries with the stylus between and within the panes, dropping them into a folder
// through the program's clipboard, and the selection range drawn instead while drag-and-drop
// mode is off.
#include "filemanager/core/dragdrop.h"

#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "filemanager/core/paths.h"
#include "filemanager/mainframe.h"
#include "filemanager/winutil.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// The list row under a point in the list's client coordinates, or -1.
int RowAt(HWND list, POINT client) {
  LVHITTESTINFO hit{};
  hit.pt = client;
  return static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

bool Contains(HWND window, POINT screen) {
  if (!window || !IsWindowVisible(window)) return false;
  RECT rc{};
  GetWindowRect(window, &rc);
  return PtInRect(&rc, screen) != FALSE;
}

POINT ToScreen(HWND window, POINT pt) {
  ClientToScreen(window, &pt);
  return pt;
}

POINT ToClient(HWND window, POINT pt) {
  ScreenToClient(window, &pt);
  return pt;
}

}  // namespace

LRESULT MainFrame::OnListBeginDrag(const NMLISTVIEW* info) {
  if (Dragging()) return 0;
  HWND list = list_.Window();
  const int row = RowAt(list, info->ptAction);
  if (row < 0) return 0;
  if (!settings_.dragDrop) {
    if (SendMessageW(list, LVM_GETEDITCONTROL, 0, 0)) return 0;
    drag_.rectangle = true;
    drag_.anchor = row;
  } else {
    POINT origin{};
    drag_.image.reset(ListView_CreateDragImage(list, row, &origin));
    if (drag_.image) {
      POINT start = ToScreen(list, info->ptAction);
      ImageList_BeginDrag(drag_.image.get(), 0, start.x - ToScreen(list, origin).x, start.y - ToScreen(list, origin).y);
      POINT inFrame = ToClient(hwnd(), start);
      ImageList_DragEnter(hwnd(), inFrame.x, inFrame.y);
    }
  }
  drag_.source = list;
  SetCapture(hwnd());
  return 0;
}

LRESULT MainFrame::OnTreeBeginDrag(const NMTREEVIEWW* info) {
  if (Dragging() || !tree_.IsFolderItem(info->itemNew.hItem)) return 0;
  HWND tree = tree_.Window();
  drag_.treeFolder = tree_.PathOf(info->itemNew.hItem);
  drag_.image.reset(TreeView_CreateDragImage(tree, info->itemNew.hItem));
  if (drag_.image) {
    ImageList_BeginDrag(drag_.image.get(), 0, 0, 0);
    POINT inFrame = ToClient(hwnd(), ToScreen(tree, info->ptDrag));
    ImageList_DragEnter(hwnd(), inFrame.x, inFrame.y);
  }
  drag_.source = tree;
  SetCapture(hwnd());
  return 0;
}

void MainFrame::DragMove(POINT client) {
  const POINT screen = ToScreen(hwnd(), client);
  HWND list = list_.Window();
  if (drag_.rectangle) {
    auto range = qf::DragRange(drag_.anchor, RowAt(list, ToClient(list, screen)));
    if (!range) return;
    const int count = list_.RowCount();
    for (int row = 0; row < count; ++row) {
      const bool inside = row >= range->first && row <= range->last;
      const UINT selected = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED));
      if (inside == ((selected & LVIS_SELECTED) != 0)) continue;
      LVITEMW state{};
      state.stateMask = LVIS_SELECTED;
      state.state = inside ? LVIS_SELECTED : 0;
      SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
    return;
  }
  // The image is hidden while the panes repaint their highlights under it.
  if (drag_.image) ImageList_DragShowNolock(FALSE);
  ClearDropHighlights();
  if (HTREEITEM item = Contains(tree_.Window(), screen) ? tree_.ItemAt(screen) : nullptr) {
    if (!tree_.IsSearchItem(item)) TreeView_SelectDropTarget(tree_.Window(), item);
    UpdateWindow(tree_.Window());
  } else if (Contains(list, screen)) {
    const int row = RowAt(list, ToClient(list, screen));
    const qf::FileEntry* entry = list_.EntryOf(row);
    if (entry && entry->kind == qf::EntryKind::Folder) list_.SetDropRow(row);
    UpdateWindow(list);
  }
  if (drag_.image) {
    ImageList_DragMove(client.x, client.y);
    ImageList_DragShowNolock(TRUE);
  }
}

void MainFrame::ClearDropHighlights() {
  list_.SetDropRow(-1);
  if (tree_.Window()) TreeView_SelectDropTarget(tree_.Window(), nullptr);
}

void MainFrame::EndDrag() {
  if (drag_.image) {
    ImageList_DragLeave(hwnd());
    ImageList_EndDrag();
    drag_.image.reset();
  }
  // Cleared first: letting the capture go reports a capture change, which cancels a drag.
  drag_.source = nullptr;
  drag_.treeFolder.clear();
  drag_.rectangle = false;
  drag_.anchor = -1;
  if (GetCapture() == hwnd()) ReleaseCapture();
}

void MainFrame::CancelDrag() {
  if (!Dragging()) return;
  const bool rectangle = drag_.rectangle;
  EndDrag();
  if (!rectangle) ClearDropHighlights();
}

void MainFrame::DragRelease(POINT client, WPARAM keys) {
  const POINT screen = ToScreen(hwnd(), client);
  const bool fromTree = drag_.source == tree_.Window();
  const std::wstring dragged = drag_.treeFolder;
  if (drag_.rectangle) {
    EndDrag();
    return;
  }
  // The drag is over before any menu or transfer: those run their own loops.
  EndDrag();
  if (Contains(tree_.Window(), screen)) {
    HTREEITEM item = tree_.ItemAt(screen);
    if (!item || tree_.IsSearchItem(item)) {
      ClearDropHighlights();
      return;
    }
    const std::wstring target = tree_.PathOf(item);
    if (DropInto(target, screen, keys, fromTree, dragged)) {
      list_.Navigate(Wide(qf::NearestExisting(
          U16(target), [](std::u16string_view p) { return p.empty() || IsExistingFolder(Wide(p)); })));
    }
    return;
  }
  HWND list = list_.Window();
  if (!Contains(list, screen)) {
    ClearDropHighlights();
    return;
  }
  auto target = qf::ListDropTarget(U16(list_.Path()), list_.EntryOf(RowAt(list, ToClient(list, screen))));
  if (!target) {
    ClearDropHighlights();
    return;
  }
  DropInto(Wide(*target), screen, keys, fromTree, dragged);
}

bool MainFrame::DropInto(const std::wstring& target, POINT screen, WPARAM keys, bool fromTree,
                         const std::wstring& draggedFolder) {
  qf::DropKeys held;
  held.shift = (keys & MK_SHIFT) != 0 || KeyDown(VK_SHIFT);
  held.ctrl = (keys & MK_CONTROL) != 0 || KeyDown(VK_CONTROL);
  held.alt = KeyDown(VK_MENU);
  held.shiftMode = keyMode_ == KeyMode::Shift;
  held.ctrlMode = keyMode_ == KeyMode::Ctrl;
  held.alwaysAsk = settings_.contextMenu != 0;
  const bool ask = qf::DropAsks(held);
  qf::DropChoice choice = qf::DropChoice::None;
  if (ask) {
    HMENU popup = contextMenus_ ? GetSubMenu(contextMenus_.get(), CTX_DROP) : nullptr;
    UINT id = popup ? static_cast<UINT>(TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x,
                                                         screen.y, hwnd(), nullptr))
                    : 0;
    choice = id == IDM_DROP_COPY       ? qf::DropChoice::Copy
             : id == IDM_DROP_MOVE     ? qf::DropChoice::Move
             : id == IDM_DROP_SHORTCUT ? qf::DropChoice::Shortcut
             : id == IDM_DROP_CANCEL   ? qf::DropChoice::Cancel
                                       : qf::DropChoice::None;
  }
  ClearDropHighlights();
  const qf::DropAction action = qf::DecideDrop(ask, choice, held);
  if (action == qf::DropAction::Cancel) return false;

  std::vector<fileops::FileItem> items;
  std::wstring source;
  if (fromTree) {
    const std::wstring& path = draggedFolder;
    const size_t slash = path.rfind(L'\\');
    fileops::FileItem item;
    if (slash == std::wstring::npos ||
        !fileops::MakeFileItem(item, -1, fileops::kKindFolder, std::wstring_view(path).substr(0, slash),
                               std::wstring_view(path).substr(slash + 1))) {
      return false;
    }
    items.push_back(item);
    source = path.substr(0, slash);
  } else {
    items = list_.SelectedItems();
    source = list_.Path();
  }
  if (items.empty()) return false;

  // The drop borrows the program's clipboard; what the user cut or copied is there afterwards.
  FileClipboard saved = std::move(list_.Clipboard());
  FileClipboard& clipboard = list_.Clipboard();
  clipboard.Clear();
  clipboard.items = std::move(items);
  clipboard.source = source;
  clipboard.cut = action == qf::DropAction::Move;
  bool ran = false;
  if (action == qf::DropAction::Shortcut) {
    CreateShortcuts(clipboard.items, target);
    ran = true;
  } else {
    ran = PasteInto(target);
  }
  list_.Clipboard() = std::move(saved);
  list_.ShowCutRows();
  UpdateCommandStates();
  return ran;
}

}  // namespace quintar::folderon

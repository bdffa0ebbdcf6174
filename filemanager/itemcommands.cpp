// The commands that hand the selection to the file operations: the program's own clipboard
// (Cut, Copy, Paste; on the address box's text while it has the focus), Delete, Copy To and
// Move To.
#include <windows.h>

#include <commctrl.h>

#include "filemanager/core/paths.h"
#include "filemanager/mainframe.h"
#include "filemanager/winutil.h"
#include "win32/shell.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

constexpr wchar_t kSourceGone[] = L"You cannot paste this file. The source file may have been deleted.";

std::wstring PathOf(const fileops::FileItem& item) {
  std::wstring path(FieldText(item.folder));
  path.push_back(L'\\');
  path.append(FieldText(item.name));
  return path;
}

bool IsSearch(const std::wstring& path) { return qf::IsSearchPath(U16(path)); }

}  // namespace

std::vector<fileops::FileItem> MainFrame::TakeSelection() const {
  return TreeFocused() ? TreeFolderItem() : list_.SelectedItems();
}

std::vector<fileops::FileItem> MainFrame::TreeFolderItem() const {
  std::vector<fileops::FileItem> items;
  HTREEITEM selected = TreeView_GetSelection(tree_.Window());
  if (!tree_.IsFolderItem(selected)) return items;
  std::wstring path = tree_.PathOf(selected);
  size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos) return items;
  fileops::FileItem item;
  if (fileops::MakeFileItem(item, -1, fileops::kKindFolder, std::wstring_view(path).substr(0, slash),
                            std::wstring_view(path).substr(slash + 1))) {
    items.push_back(item);
  }
  return items;
}

bool MainFrame::CanUseSelection() const {
  if (TreeFocused()) return tree_.IsFolderItem(TreeView_GetSelection(tree_.Window()));
  return focusedPane_ == list_.Window() && list_.HasSelectedItem();
}

void MainFrame::Cut() {
  if (AddressFocused()) {
    SendMessageW(bands_.AddressEdit(), WM_CUT, 0, 0);
  } else {
    TakeIntoClipboard(true);
  }
}

void MainFrame::Copy() {
  if (AddressFocused()) {
    SendMessageW(bands_.AddressEdit(), WM_COPY, 0, 0);
  } else {
    TakeIntoClipboard(false);
  }
}

bool MainFrame::CanCutOrCopy() const { return AddressFocused() || CanUseSelection(); }

void MainFrame::TakeIntoClipboard(bool cut) {
  std::vector<fileops::FileItem> items = TakeSelection();
  if (items.empty()) return;
  FileClipboard& clipboard = list_.Clipboard();
  clipboard.items = std::move(items);
  clipboard.source = TreeFocused() ? std::wstring(FieldText(clipboard.items[0].folder)) : list_.Path();
  clipboard.cut = cut;
  list_.MarkCut(cut && !TreeFocused());
  UpdateCommandStates();
}

bool MainFrame::CanPaste() const {
  if (AddressFocused()) return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
  return CanPasteEntries();
}

bool MainFrame::CanPasteEntries() const {
  if (list_.Clipboard().Empty() || IsSearch(list_.Path())) return false;
  // Not while a name is being edited: the keys belong to the edit.
  return !tree_.Editing() && !SendMessageW(list_.Window(), LVM_GETEDITCONTROL, 0, 0);
}

void MainFrame::Paste() {
  if (AddressFocused()) {
    SendMessageW(bands_.AddressEdit(), WM_PASTE, 0, 0);
    return;
  }
  PasteInto(list_.Path());
}

bool MainFrame::PasteInto(const std::wstring& dest) {
  FileClipboard& clipboard = list_.Clipboard();
  if (clipboard.Empty()) return false;
  for (const fileops::FileItem& item : clipboard.items) {
    if (DeviceAttributes(PathOf(item)) == INVALID_FILE_ATTRIBUTES) {
      clipboard.Clear();
      list_.MarkCut(false);
      UpdateCommandStates();
      win32::ShowMessage(hwnd(), kSourceGone);
      return false;
    }
  }
  for (fileops::FileItem& item : clipboard.items) item.done = 0;
  // The run may re-read the list; work on copies of what the clipboard holds.
  std::vector<fileops::FileItem> items = clipboard.items;
  const std::wstring source = clipboard.source;
  const bool move = clipboard.cut;
  if (!Transfer(source, dest, items, move)) return false;
  if (move) {
    list_.Clipboard().Clear();
    list_.MarkCut(false);
    UpdateCommandStates();
  }
  return true;
}

fileops::Hooks MainFrame::RunHooks() {
  // A refresh due now would re-read the list under the run; the run's own re-read replaces it.
  KillTimer(hwnd(), kRefreshTimer);
  fileops::Hooks hooks;
  hooks.suspendWatching = [this] { watcher_.Suspend(); };
  hooks.resumeWatching = [this] { watcher_.Resume(); };
  return hooks;
}

bool MainFrame::Transfer(const std::wstring& source, const std::wstring& dest, std::span<fileops::FileItem> items,
                         bool move) {
  if (fileops::StartTransfer(hwnd(), source, dest, items, move, RunHooks()) != fileops::kRan) return false;
  if (move && IsSearch(source)) list_.RepointMovedHits(items, dest);
  for (const fileops::FileItem& item : items) {
    if (item.kind == fileops::kKindFolder) tree_.SelectPath(std::wstring(FieldText(item.folder)), true, false);
  }
  tree_.SelectPath(dest, true, false);
  list_.Navigate(list_.Path());
  return true;
}

void MainFrame::Delete() {
  std::vector<fileops::FileItem> items = TakeSelection();
  if (items.empty()) return;
  const bool fromTree = TreeFocused();
  if (fileops::StartDelete(hwnd(), list_.Path(), items, RunHooks()) != fileops::kRan) return;
  for (const fileops::FileItem& item : items) {
    if (item.done && item.kind == fileops::kKindFolder)
      tree_.SelectPath(std::wstring(FieldText(item.folder)), true, false);
  }
  if (fromTree) {
    // The shown folder may have been the one deleted; its parent is then what is left to show.
    std::wstring path = list_.Path();
    if (!IsSearch(path) && !IsExistingFolder(path)) path = std::wstring(FieldText(items[0].folder));
    list_.Navigate(path);
    return;
  }
  list_.RemoveDoneRows(items);
  ArrangeList();
}

void MainFrame::CopyTo() { SendTo(false); }
void MainFrame::MoveTo() { SendTo(true); }

void MainFrame::SendTo(bool move) {
  // Taken now: a folder made inside the chooser re-reads the list.
  std::vector<fileops::FileItem> items = TakeSelection();
  if (items.empty()) return;
  const std::wstring source = list_.Path();
  std::wstring chosen = IsSearch(source) ? std::wstring() : source;
  bool changed = false;
  int answer = fileops::ChooseFolder(hwnd(), move ? L"Move file to" : L"Copy file to", chosen, &changed);
  if (answer == 1 && Transfer(source, chosen, items, move)) {
    if (move && !IsSearch(source)) tree_.SelectPath(source, true, false);
    return;
  }
  if (changed) {
    tree_.SelectPath(chosen, true, false);
    list_.Navigate(list_.Path());
  }
}

}  // namespace quintar::folderon

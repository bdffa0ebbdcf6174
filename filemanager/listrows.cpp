// The list pane's selection as the file operations take it, the cut look of rows, and the rows
// an operation changed.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <unordered_set>

#include "filemanager/core/paths.h"
#include "filemanager/listpane.h"
#include "win32/text.h"

namespace quintar::folderon {

namespace qf = core;
using win32::U16View;
using win32::Wide;
using win32::WideView;

namespace {

bool IsItem(const qf::FileEntry& entry, const fileops::FileItem& item) {
  return entry.name == U16View(FieldText(item.name)) && entry.folder == U16View(FieldText(item.folder));
}

}  // namespace

std::vector<fileops::FileItem> ListPane::SelectedItems() const {
  std::vector<fileops::FileItem> items;
  for (int i = SelectedRow(); i >= 0; i = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
    const qf::FileEntry* e = EntryOf(i);
    if (!e || e->kind == qf::EntryKind::UpLevel) continue;
    fileops::FileItem item;
    if (fileops::MakeFileItem(item, i, static_cast<int>(e->kind), WideView(e->folder), WideView(e->name)))
      items.push_back(item);
  }
  return items;
}

const qf::FileEntry* ListPane::FirstSelectedEntry() const {
  for (int i = SelectedRow(); i >= 0; i = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
    const qf::FileEntry* e = EntryOf(i);
    if (e && e->kind != qf::EntryKind::UpLevel) return e;
  }
  return nullptr;
}

void ListPane::MarkCut(bool cutSelection) {
  if (!list_) return;
  for (qf::FileEntry* e : rows_) e->cut = false;
  if (cutSelection) {
    for (int i = SelectedRow(); i >= 0; i = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
      qf::FileEntry* e = RowEntry(i);
      if (e && e->kind != qf::EntryKind::UpLevel) e->cut = true;
    }
  }
  InvalidateRect(list_, nullptr, FALSE);
}

void ListPane::ShowCutRows(bool fresh) {
  if (!list_) return;
  if (!fresh) {
    for (qf::FileEntry* e : rows_) e->cut = false;
    InvalidateRect(list_, nullptr, FALSE);
  }
  if (!clipboard_.cut || clipboard_.Empty()) return;
  // By name among the clipboard's items of the listed folder: a set, as a Cut may take thousands.
  std::unordered_set<std::wstring_view> cut;
  for (const fileops::FileItem& item : clipboard_.items)
    if (FieldText(item.folder) == path_) cut.insert(FieldText(item.name));
  if (cut.empty()) return;
  for (qf::FileEntry* e : rows_)
    if (e->kind != qf::EntryKind::UpLevel && cut.contains(WideView(e->name))) e->cut = true;
  InvalidateRect(list_, nullptr, FALSE);
}

void ListPane::RemoveDoneRows(std::span<const fileops::FileItem> items) {
  if (!list_) return;
  bool any = std::any_of(items.begin(), items.end(), [](const fileops::FileItem& item) { return item.done != 0; });
  if (!any) return;
  // From the last row up, so that the rows still to look at keep their places.
  for (int row = RowCount() - 1; row >= 0; --row) {
    const qf::FileEntry* e = EntryOf(row);
    if (!e || e->kind == qf::EntryKind::UpLevel) continue;
    bool gone = std::any_of(items.begin(), items.end(),
                            [&](const fileops::FileItem& item) { return item.done && IsItem(*e, item); });
    if (!gone) continue;
    if (e->kind == qf::EntryKind::File) totalBytes_ -= std::min<unsigned long long>(totalBytes_, e->size);
    // The record stays with the others until the next listing; the row goes first, so that the
    // list view never asks for a row the pane no longer has.
    rows_.erase(rows_.begin() + row);
    dropRow_ = -1;
    SendMessageW(list_, LVM_DELETEITEM, row, 0);
  }
  ArrangeIcons();
  RewriteStatus();
}

void ListPane::RepointMovedHits(std::span<const fileops::FileItem> items, const std::wstring& destFolder) {
  for (const fileops::FileItem& item : items) {
    if (!item.done) continue;
    for (SearchResultNode& hit : hits_) {
      if (hit.folder == FieldText(item.folder) && hit.name == FieldText(item.name)) hit.folder = destFolder;
    }
  }
}

}  // namespace quintar::folderon

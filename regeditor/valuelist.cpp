// The value list: one row per value of the current key, in enumeration order, with the texts of
// each type; sorting by a column's text.
#include <algorithm>
#include <span>

#include "regeditor/browser.h"
#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"
#include "regeditor/registry.h"
#include "win32/scope.h"
#include "win32/text.h"

namespace quintar::tamsk {

namespace {

using win32::U16;
using win32::Wide;

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM column) {
  const auto* left = reinterpret_cast<const Row*>(a);
  const auto* right = reinterpret_cast<const Row*>(b);
  const std::wstring& l = column == 0 ? left->name : column == 1 ? left->data : left->type;
  const std::wstring& r = column == 0 ? right->name : column == 1 ? right->data : right->type;
  return lstrcmpiW(l.c_str(), r.c_str());
}

void InsertColumn(HWND list, int index, const wchar_t* title, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(title);
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void ValueList::SetupColumns() {
  InsertColumn(list_, 0, L"Name", 60);
  InsertColumn(list_, 1, L"Data", 60);
  InsertColumn(list_, 2, L"Type", 60);
}

void ValueList::ResizeColumns(int w) {
  ListView_SetColumnWidth(list_, 0, w / 3);
  ListView_SetColumnWidth(list_, 1, w - 2 * (w / 3));
  ListView_SetColumnWidth(list_, 2, w / 3 - 1);
}

void ValueList::Clear() {
  // Rows go before their records.
  if (list_) ListView_DeleteAllItems(list_);
  rows_.clear();
}

void ValueList::Fill(HKEY root, const std::wstring& path) {
  Clear();
  win32::RegKey key = CreateKey(root, path);
  if (!key) return;
  std::vector<ValueData> values = ReadValues(key.get());
  rows_.reserve(values.size());
  {
    win32::RedrawOff quiet(list_);
    ListView_SetItemCount(list_, static_cast<int>(values.size()));
    for (const ValueData& value : values) {
      auto row = std::make_unique<Row>();
      row->name = value.name;
      row->regType = value.type;
      row->data = Wide(core::ValueDataText(
          value.type, std::span<const std::uint8_t>(value.data.data(), value.data.size()), core::kRowDataChars));
      row->type = Wide(core::ValueTypeText(value.type));
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
      item.iItem = static_cast<int>(rows_.size());
      item.pszText = row->name.data();
      item.lParam = reinterpret_cast<LPARAM>(row.get());
      item.iImage = core::ValueImageIndex(value.type);
      int index = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      if (index < 0) continue;
      Row* record = row.get();
      rows_.push_back(std::move(row));
      ListView_SetItemText(list_, index, 1, record->data.data());
      ListView_SetItemText(list_, index, 2, record->type.data());
    }
  }
  InvalidateRect(list_, nullptr, TRUE);
}

void ValueList::Sort(int column) {
  if (column < 0 || column > 2) return;
  SendMessageW(list_, LVM_SORTITEMS, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(CompareRows));
}

Row* ValueList::RowAt(int index) const {
  if (index < 0) return nullptr;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<Row*>(item.lParam);
}

int ValueList::SelectedRow() const {
  return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int ValueList::FindRowByName(const std::wstring& name) const {
  int count = ListView_GetItemCount(list_);
  for (int i = 0; i < count; ++i) {
    if (Row* row = RowAt(i); row && core::NamesEqual(U16(row->name), U16(name))) return i;
  }
  return -1;
}

void ValueList::SelectRow(int index) {
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (index < 0) return;
  ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, index, FALSE);
}

void ValueList::DeleteRow(int index) {
  Row* row = RowAt(index);
  ListView_DeleteItem(list_, index);
  std::erase_if(rows_, [&](const auto& r) { return r.get() == row; });
}

}  // namespace quintar::tamsk

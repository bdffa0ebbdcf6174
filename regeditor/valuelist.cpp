// The value list: one row per value of the current key, in enumeration order, with the texts of
// each type; sorting by a column's text.
#include <span>

#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"
#include "tamsk.h"

namespace tamsk {

namespace {

namespace qt = quintar::tamsk;

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM column) {
  const auto* left = reinterpret_cast<const Row*>(a);
  const auto* right = reinterpret_cast<const Row*>(b);
  const std::wstring& l = column == 0 ? left->name : column == 1 ? left->data : left->type;
  const std::wstring& r = column == 0 ? right->name : column == 1 ? right->data : right->type;
  return lstrcmpiW(l.c_str(), r.c_str());
}

void InsertColumn(int index, const wchar_t* title, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(title);
  column.iSubItem = index;
  SendMessageW(TheApp().list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void SetupListColumns() {
  InsertColumn(0, L"Name", 60);
  InsertColumn(1, L"Data", 60);
  InsertColumn(2, L"Type", 60);
}

void ResizeListColumns(int w) {
  HWND list = TheApp().list;
  ListView_SetColumnWidth(list, 0, w / 3);
  ListView_SetColumnWidth(list, 1, w - 2 * (w / 3));
  ListView_SetColumnWidth(list, 2, w / 3 - 1);
}

void ClearList() {
  App& app = TheApp();
  // Rows go before their records.
  if (app.list) ListView_DeleteAllItems(app.list);
  app.rows.clear();
}

void FillList() {
  App& app = TheApp();
  ClearList();
  RegKey key;
  if (!key.Create(app.current.root, app.current.path)) return;
  std::vector<ValueData> values = ReadValues(key.get());
  app.rows.reserve(values.size());
  SendMessageW(app.list, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCount(app.list, static_cast<int>(values.size()));
  for (const ValueData& value : values) {
    auto row = std::make_unique<Row>();
    row->name = value.name;
    row->regType = value.type;
    row->data = Wide(qt::ValueDataText(value.type, std::span<const std::uint8_t>(value.data.data(), value.data.size()),
                                       qt::kRowDataChars));
    row->type = Wide(qt::ValueTypeText(value.type));
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = static_cast<int>(app.rows.size());
    item.pszText = row->name.data();
    item.lParam = reinterpret_cast<LPARAM>(row.get());
    item.iImage = qt::ValueImageIndex(value.type);
    int index = static_cast<int>(SendMessageW(app.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) continue;
    Row* record = row.get();
    app.rows.push_back(std::move(row));
    ListView_SetItemText(app.list, index, 1, record->data.data());
    ListView_SetItemText(app.list, index, 2, record->type.data());
  }
  SendMessageW(app.list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(app.list, nullptr, TRUE);
}

void SortList(int column) {
  if (column < 0 || column > 2) return;
  SendMessageW(TheApp().list, LVM_SORTITEMS, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(CompareRows));
}

Row* RowAt(int index) {
  if (index < 0) return nullptr;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!SendMessageW(TheApp().list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<Row*>(item.lParam);
}

int SelectedRow() {
  return static_cast<int>(SendMessageW(TheApp().list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int FindRowByName(const std::wstring& name) {
  int count = ListView_GetItemCount(TheApp().list);
  for (int i = 0; i < count; ++i) {
    if (Row* row = RowAt(i); row && qt::NamesEqual(U16(row->name), U16(name))) return i;
  }
  return -1;
}

void SelectRow(int index) {
  HWND list = TheApp().list;
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (index < 0) return;
  ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, index, FALSE);
}

}  // namespace tamsk

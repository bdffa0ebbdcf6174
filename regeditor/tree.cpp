// The key tree: the four roots, children read when an item expands and dropped when it
// collapses, and the current key following the selection.
#include <algorithm>
#include <memory>
#include <vector>

#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"
#include "tamsk.h"

namespace tamsk {

namespace {

namespace qt = quintar::tamsk;

constexpr int kKeyImage = 0;
constexpr int kOpenKeyImage = 1;

// What a tree item owns: its key's name, and for a root the root's handle. The item shows the
// name through TVN_GETDISPINFO, which spares the control measuring ten thousand texts when a
// big key expands.
struct KeyRecord {
  std::wstring name;
  HKEY root = nullptr;
};

KeyRecord* RecordOf(HTREEITEM item) {
  TVITEMW tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!item || !SendMessageW(TheApp().tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
  return reinterpret_cast<KeyRecord*>(tv.lParam);
}

HTREEITEM InsertItem(HTREEITEM parent, std::wstring name, int children, HKEY root) {
  auto record = std::make_unique<KeyRecord>(KeyRecord{std::move(name), root});
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = LPSTR_TEXTCALLBACKW;
  insert.item.cChildren = children;
  insert.item.lParam = reinterpret_cast<LPARAM>(record.get());
  insert.item.iImage = kKeyImage;
  insert.item.iSelectedImage = kOpenKeyImage;
  auto item =
      reinterpret_cast<HTREEITEM>(SendMessageW(TheApp().tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (item) record.release();  // the item owns it now; TVN_DELETEITEM frees it
  return item;
}

void SetChildrenMark(HTREEITEM item, int children) {
  TVITEMW tv{};
  tv.mask = TVIF_CHILDREN;
  tv.hItem = item;
  tv.cChildren = children;
  SendMessageW(TheApp().tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

void DeleteChildren(HTREEITEM item) {
  HWND tree = TheApp().tree;
  HTREEITEM child = TreeView_GetChild(tree, item);
  while (child) {
    HTREEITEM next = TreeView_GetNextSibling(tree, child);
    TreeView_DeleteItem(tree, child);
    child = next;
  }
}

// The subkeys of an item's key become its children, sorted by text; whether each has subkeys
// of its own is asked only when it is shown.
void Populate(HTREEITEM item) {
  HKEY root = nullptr;
  std::wstring rootName, path;
  DeleteChildren(item);
  if (!ItemKey(item, root, rootName, path)) return;
  RegKey key;
  std::vector<std::wstring> names;
  if (key.Open(root, path, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE)) {
    std::vector<wchar_t> buffer(512);
    for (DWORD index = 0;; ++index) {
      DWORD chars = static_cast<DWORD>(buffer.size());
      LONG rc = RegEnumKeyExW(key.get(), index, buffer.data(), &chars, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) continue;  // longer than any key name may be: not one of ours to show
      if (rc != ERROR_SUCCESS) break;
      names.emplace_back(buffer.data(), chars);
    }
  }
  if (names.empty()) {
    SetChildrenMark(item, 0);
    return;
  }
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  HWND tree = TheApp().tree;
  SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
  for (std::wstring& name : names) InsertItem(item, std::move(name), I_CHILDRENCALLBACK, nullptr);
  SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
}

void ExpandItem(HTREEITEM item) {
  HWND tree = TheApp().tree;
  if (!TreeView_GetChild(tree, item)) Populate(item);
  TreeView_Expand(tree, item, TVE_EXPAND);
}

// Selects `item`; when it is selected already, the list is refilled all the same.
void SelectAndFill(HTREEITEM item) {
  App& app = TheApp();
  if (!item) return;
  if (TreeView_GetSelection(app.tree) == item) {
    HKEY root = nullptr;
    std::wstring rootName, path;
    if (ItemKey(item, root, rootName, path)) {
      app.current = CurrentKey{root, rootName, path, item};
      FillList();
      UpdateMenuStates();
    }
    return;
  }
  TreeView_SelectItem(app.tree, item);
}

}  // namespace

std::wstring ItemText(HTREEITEM item) {
  const KeyRecord* record = RecordOf(item);
  return record ? record->name : std::wstring();
}

bool RenameItem(HTREEITEM item, const std::wstring& name) {
  KeyRecord* record = RecordOf(item);
  if (!record) return false;
  record->name = name;
  RECT rc;
  if (TreeView_GetItemRect(TheApp().tree, item, &rc, FALSE)) InvalidateRect(TheApp().tree, &rc, TRUE);
  return true;
}

void OnTreeDeleteItem(NMTREEVIEWW* info) { delete reinterpret_cast<KeyRecord*>(info->itemOld.lParam); }

bool ItemKey(HTREEITEM item, HKEY& root, std::wstring& rootName, std::wstring& path) {
  HWND tree = TheApp().tree;
  if (!item) return false;
  std::vector<HTREEITEM> chain;
  for (HTREEITEM at = item; at; at = TreeView_GetParent(tree, at)) chain.push_back(at);
  const KeyRecord* top = RecordOf(chain.back());
  if (!top) return false;
  root = top->root;
  rootName = top->name;
  path.clear();
  for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) path += L"\\" + ItemText(*it);
  return root != nullptr;
}

void InsertRoots() {
  for (qt::RegRoot root : qt::kAllRoots) {
    HKEY handle = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(qt::RootHandleValue(root))));
    InsertItem(TVI_ROOT, Wide(qt::RootName(root)), 1, handle);
  }
}

void RebuildTree() {
  App& app = TheApp();
  TreeView_DeleteAllItems(app.tree);
  app.current = CurrentKey{};
  ClearList();
  InsertRoots();
  UpdateMenuStates();
}

void OnTreeExpanding(NMTREEVIEWW* info) {
  if ((info->action & TVE_EXPAND) && !TreeView_GetChild(TheApp().tree, info->itemNew.hItem)) {
    Populate(info->itemNew.hItem);
  }
}

void OnTreeExpanded(NMTREEVIEWW* info) {
  if (!(info->action & TVE_COLLAPSE)) return;
  // Dropped now, read again at the next expansion.
  DeleteChildren(info->itemNew.hItem);
  SetChildrenMark(info->itemNew.hItem, I_CHILDRENCALLBACK);
}

void OnTreeGetDispInfo(NMTVDISPINFOW* info) {
  if ((info->item.mask & TVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
    const auto* record = reinterpret_cast<const KeyRecord*>(info->item.lParam);
    if (!record) record = RecordOf(info->item.hItem);
    std::wstring name = record ? record->name : std::wstring();
    size_t chars = std::min(name.size(), static_cast<size_t>(info->item.cchTextMax - 1));
    name.copy(info->item.pszText, chars);
    info->item.pszText[chars] = L'\0';
  }
  if (!(info->item.mask & TVIF_CHILDREN)) return;
  HKEY root = nullptr;
  std::wstring rootName, path;
  int children = 0;
  if (ItemKey(info->item.hItem, root, rootName, path)) {
    RegKey key;
    DWORD subkeys = 0;
    if (key.Open(root, path, KEY_QUERY_VALUE) &&
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS) {
      children = subkeys > 0 ? 1 : 0;
    }
  }
  info->item.cChildren = children;
  info->item.mask |= TVIF_DI_SETITEM;
}

void OnTreeSelChanged(NMTREEVIEWW* info) {
  App& app = TheApp();
  HTREEITEM item = info->itemNew.hItem;
  HKEY root = nullptr;
  std::wstring rootName, path;
  if (!item || !ItemKey(item, root, rootName, path)) {
    app.current = CurrentKey{};
    ClearList();
    UpdateMenuStates();
    return;
  }
  app.current = CurrentKey{root, rootName, path, item};
  FillList();
  UpdateMenuStates();
}

HTREEITEM FindChild(HTREEITEM parent, const std::wstring& text, bool caseSensitive) {
  HWND tree = TheApp().tree;
  HTREEITEM child = parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree);
  for (; child; child = TreeView_GetNextSibling(tree, child)) {
    std::wstring name = ItemText(child);
    bool same = caseSensitive ? name == text : qt::NamesEqual(U16(name), U16(text));
    if (same) return child;
  }
  return nullptr;
}

HTREEITEM SelectPath(const std::wstring& rootName, const std::wstring& path, bool caseSensitive) {
  HTREEITEM item = FindChild(nullptr, rootName, true);
  if (!item) return nullptr;
  const std::u16string components = U16(path);  // the views below point into it
  for (std::u16string_view component : qt::SplitKeyPath(components)) {
    ExpandItem(item);
    HTREEITEM child = FindChild(item, Wide(component), caseSensitive);
    if (!child) break;
    item = child;
  }
  SelectAndFill(item);
  TreeView_EnsureVisible(TheApp().tree, item);
  return item;
}

void RereadChildren(HTREEITEM item) {
  HWND tree = TheApp().tree;
  if (!item) return;
  TreeView_Expand(tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
  DeleteChildren(item);
  SetChildrenMark(item, I_CHILDRENCALLBACK);
  ExpandItem(item);
}

void ReselectCurrent() { SelectAndFill(TheApp().current.item); }

}  // namespace tamsk

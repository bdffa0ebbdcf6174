// The key tree: the four roots, children read when an item expands and dropped when it
// collapses, and the current key following the selection.
#include <algorithm>
#include <memory>
#include <vector>

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

constexpr int kKeyImage = 0;
constexpr int kOpenKeyImage = 1;

// What a tree item owns: its key's name, and for a root the root's handle. The item shows the
// name through TVN_GETDISPINFO, which spares the control measuring ten thousand texts when a
// big key expands.
struct KeyRecord {
  std::wstring name;
  HKEY root = nullptr;
};

KeyRecord* RecordOf(HWND tree, HTREEITEM item) {
  TVITEMW tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!item || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
  return reinterpret_cast<KeyRecord*>(tv.lParam);
}

HTREEITEM InsertItem(HWND tree, HTREEITEM parent, std::wstring name, int children, HKEY root) {
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
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (item) record.release();  // the item owns it now; TVN_DELETEITEM frees it
  return item;
}

void SetChildrenMark(HWND tree, HTREEITEM item, int children) {
  TVITEMW tv{};
  tv.mask = TVIF_CHILDREN;
  tv.hItem = item;
  tv.cChildren = children;
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

void DeleteChildren(HWND tree, HTREEITEM item) {
  HTREEITEM child = TreeView_GetChild(tree, item);
  while (child) {
    HTREEITEM next = TreeView_GetNextSibling(tree, child);
    TreeView_DeleteItem(tree, child);
    child = next;
  }
}

// The subkeys of a key, sorted by name as the tree shows them.
std::vector<std::wstring> SortedSubkeys(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  win32::RegKey key = OpenKey(root, path, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
  if (key) {
    std::vector<wchar_t> buffer(512);
    for (DWORD index = 0;; ++index) {
      DWORD chars = static_cast<DWORD>(buffer.size());
      LONG rc = RegEnumKeyExW(key.get(), index, buffer.data(), &chars, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) continue;  // longer than any key name may be: not one of ours to show
      if (rc != ERROR_SUCCESS) break;
      names.emplace_back(buffer.data(), chars);
    }
  }
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  return names;
}

}  // namespace

std::wstring Tree::ItemText(HTREEITEM item) const {
  const KeyRecord* record = RecordOf(tree_, item);
  return record ? record->name : std::wstring();
}

bool Tree::RenameItem(HTREEITEM item, const std::wstring& name) {
  KeyRecord* record = RecordOf(tree_, item);
  if (!record) return false;
  record->name = name;
  RECT rc;
  if (TreeView_GetItemRect(tree_, item, &rc, FALSE)) InvalidateRect(tree_, &rc, TRUE);
  return true;
}

void Tree::OnDeleteItem(const NMTREEVIEWW* info) { delete reinterpret_cast<KeyRecord*>(info->itemOld.lParam); }

bool Tree::ItemKey(HTREEITEM item, HKEY& root, std::wstring& rootName, std::wstring& path) const {
  if (!item) return false;
  std::vector<HTREEITEM> chain;
  for (HTREEITEM at = item; at; at = TreeView_GetParent(tree_, at)) chain.push_back(at);
  const KeyRecord* top = RecordOf(tree_, chain.back());
  if (!top) return false;
  root = top->root;
  rootName = top->name;
  path.clear();
  for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) path += L"\\" + ItemText(*it);
  return root != nullptr;
}

void Tree::InsertRoots() {
  for (core::RegRoot root : core::kAllRoots) {
    HKEY handle = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(core::RootHandleValue(root))));
    InsertItem(tree_, TVI_ROOT, Wide(core::RootName(root)), 1, handle);
  }
}

void Tree::Rebuild() {
  TreeView_DeleteAllItems(tree_);
  browser_.ShowKey(CurrentKey{});
  InsertRoots();
}

void Tree::OnExpanding(const NMTREEVIEWW* info) {
  if ((info->action & TVE_EXPAND) && !TreeView_GetChild(tree_, info->itemNew.hItem)) {
    Populate(info->itemNew.hItem);
  }
}

void Tree::OnExpanded(const NMTREEVIEWW* info) {
  if (!(info->action & TVE_COLLAPSE)) return;
  // Dropped now, read again at the next expansion.
  DeleteChildren(tree_, info->itemNew.hItem);
  SetChildrenMark(tree_, info->itemNew.hItem, I_CHILDRENCALLBACK);
}

void Tree::OnGetDispInfo(NMTVDISPINFOW* info) const {
  if ((info->item.mask & TVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
    const auto* record = reinterpret_cast<const KeyRecord*>(info->item.lParam);
    if (!record) record = RecordOf(tree_, info->item.hItem);
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
    DWORD subkeys = 0;
    win32::RegKey key = OpenKey(root, path, KEY_QUERY_VALUE);
    if (key && RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      children = subkeys > 0 ? 1 : 0;
    }
  }
  info->item.cChildren = children;
  info->item.mask |= TVIF_DI_SETITEM;
}

void Tree::OnSelChanged(const NMTREEVIEWW* info) {
  HTREEITEM item = info->itemNew.hItem;
  CurrentKey key;
  if (item && ItemKey(item, key.root, key.rootName, key.path)) key.item = item;
  browser_.ShowKey(key.item ? key : CurrentKey{});
}

HTREEITEM Tree::FindChild(HTREEITEM parent, const std::wstring& text, bool caseSensitive) const {
  HTREEITEM child = parent ? TreeView_GetChild(tree_, parent) : TreeView_GetRoot(tree_);
  for (; child; child = TreeView_GetNextSibling(tree_, child)) {
    std::wstring name = ItemText(child);
    bool same = caseSensitive ? name == text : core::NamesEqual(U16(name), U16(text));
    if (same) return child;
  }
  return nullptr;
}

HTREEITEM Tree::SelectPath(const std::wstring& rootName, const std::wstring& path, bool caseSensitive) {
  HTREEITEM item = FindChild(nullptr, rootName, true);
  if (!item) return nullptr;
  const std::u16string components = U16(path);  // the views below point into it
  for (std::u16string_view component : core::SplitKeyPath(components)) {
    ExpandItem(item);
    HTREEITEM child = FindChild(item, Wide(component), caseSensitive);
    if (!child) break;
    item = child;
  }
  SelectAndFill(item);
  TreeView_EnsureVisible(tree_, item);
  return item;
}

void Tree::RereadChildren(HTREEITEM item) {
  if (!item) return;
  TreeView_Expand(tree_, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
  DeleteChildren(tree_, item);
  SetChildrenMark(tree_, item, I_CHILDRENCALLBACK);
  ExpandItem(item);
}

void Tree::ReselectCurrent() { SelectAndFill(browser_.State().current.item); }

// The subkeys of an item's key become its children, sorted by text; whether each has subkeys
// of its own is asked only when it is shown.
void Tree::Populate(HTREEITEM item) {
  HKEY root = nullptr;
  std::wstring rootName, path;
  DeleteChildren(tree_, item);
  if (!ItemKey(item, root, rootName, path)) return;
  std::vector<std::wstring> names = SortedSubkeys(root, path);
  if (names.empty()) {
    SetChildrenMark(tree_, item, 0);
    return;
  }
  win32::RedrawOff quiet(tree_);
  for (std::wstring& name : names) InsertItem(tree_, item, std::move(name), I_CHILDRENCALLBACK, nullptr);
}

void Tree::ExpandItem(HTREEITEM item) {
  if (!TreeView_GetChild(tree_, item)) Populate(item);
  TreeView_Expand(tree_, item, TVE_EXPAND);
}

// Selects `item`; when it is selected already, the list is refilled all the same.
void Tree::SelectAndFill(HTREEITEM item) {
  if (!item) return;
  if (TreeView_GetSelection(tree_) == item) {
    CurrentKey key;
    if (ItemKey(item, key.root, key.rootName, key.path)) {
      key.item = item;
      browser_.ShowKey(key);
    }
    return;
  }
  TreeView_SelectItem(tree_, item);
}

}  // namespace quintar::tamsk

// Editing keys and values in place: Delete, in-place Rename, Copy and Paste of keys with the key
// copy. The dialogs that create and modify are in editdialogs.cpp.
#include <string>

#include "regeditor/commands.h"
#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"
#include "regeditor/registry.h"
#include "win32/shell.h"
#include "win32/text.h"

namespace quintar::tamsk {

namespace {

using win32::ShowMessage;
using win32::U16;
using win32::Wide;

bool CopyInto(HKEY source, HKEY target, int depth) {
  if (depth > 512) return false;  // deeper than the registry allows: something is looping
  std::vector<wchar_t> name(512), cls(512);
  for (DWORD index = 0;; ++index) {
    DWORD nameChars = static_cast<DWORD>(name.size()), classChars = static_cast<DWORD>(cls.size());
    LONG rc = RegEnumKeyExW(source, index, name.data(), &nameChars, nullptr, cls.data(), &classChars, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) return false;
    win32::RegKey from, to;
    if (RegOpenKeyExW(source, name.data(), 0, KEY_READ, from.put()) != ERROR_SUCCESS) return false;
    if (RegCreateKeyExW(target, name.data(), 0, classChars ? cls.data() : nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        to.put(), nullptr) != ERROR_SUCCESS) {
      return false;
    }
    if (!CopyInto(from.get(), to.get(), depth + 1)) return false;
  }
  for (const ValueData& value : ReadValues(source)) {
    if (WriteValue(target, value.name, value.type, Bytes(value.data)) != ERROR_SUCCESS) return false;
  }
  return true;
}

bool SameKey(HKEY rootA, const std::wstring& pathA, HKEY rootB, const std::wstring& pathB) {
  return rootA == rootB && core::NamesEqual(U16(pathA), U16(pathB));
}

// Whether `inner` is `outer` itself or lies below it.
bool Within(HKEY innerRoot, const std::wstring& inner, HKEY outerRoot, const std::wstring& outer) {
  if (innerRoot != outerRoot) return false;
  if (outer.empty()) return true;
  if (inner.size() < outer.size()) return false;
  if (!core::NamesEqual(U16(inner.substr(0, outer.size())), U16(outer))) return false;
  return inner.size() == outer.size() || inner[outer.size()] == L'\\';
}

bool KeyExists(HKEY root, const std::wstring& path) { return static_cast<bool>(OpenKey(root, path, KEY_READ)); }

}  // namespace

bool CopyKey(HKEY sourceRoot, const std::wstring& sourcePath, HKEY targetRoot, const std::wstring& targetPath) {
  // Copying a key into itself or below itself would feed on its own output.
  if (Within(targetRoot, targetPath, sourceRoot, sourcePath)) return false;
  win32::RegKey source = CreateKey(sourceRoot, sourcePath);
  if (!source) return false;
  win32::RegKey target = CreateKey(targetRoot, targetPath);
  if (!target) return false;
  return CopyInto(source.get(), target.get(), 0);
}

void Editing::Delete() {
  BrowserState& state = browser_.State();
  ValueList& list = browser_.Values();
  Tree& tree = browser_.Keys();
  HWND owner = browser_.Main();
  bool value = state.focusedPane == list.hwnd();
  const wchar_t* question =
      value ? L"Are you sure that you want to delete the value?" : L"Are you sure that you want to delete the key?";
  if (ShowMessage(owner, question, L"Confirm", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (value) {
    int index = list.SelectedRow();
    Row* row = list.RowAt(index);
    if (!row) return;
    std::wstring name = row->name;
    list.DeleteRow(index);
    win32::RegKey key = CreateKey(state.current.root, state.current.path);
    LONG rc = key ? RegDeleteValueW(key.get(), name.c_str()) : ERROR_INVALID_HANDLE;
    if (rc != ERROR_SUCCESS) ShowMessage(owner, L"Value deleted faild", L"Faild!", MB_OK | MB_ICONEXCLAMATION);
    tree.ReselectCurrent();
    return;
  }
  if (!state.current.root || !state.current.item) return;
  // A root is the whole hive: it is never deleted.
  LONG rc = state.current.path.empty() ? ERROR_ACCESS_DENIED
                                       : RegDeleteTreeW(state.current.root, SubkeyArg(state.current.path));
  if (rc != ERROR_SUCCESS) {
    ShowMessage(owner, L"Key deleted failed", L"Faild!", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  HTREEITEM item = state.current.item;
  HTREEITEM parent = TreeView_GetParent(tree.hwnd(), item);
  TreeView_DeleteItem(tree.hwnd(), item);
  if (parent) {
    tree.RereadChildren(parent);
    TreeView_SelectItem(tree.hwnd(), parent);
    tree.ReselectCurrent();
  }
}

void Editing::Rename() {
  BrowserState& state = browser_.State();
  HWND list = browser_.Values().hwnd();
  HWND tree = browser_.Keys().hwnd();
  int row = browser_.Values().SelectedRow();
  if (row >= 0) {
    state.focusedPane = list;
    SetFocus(list);
    ListView_EditLabel(list, row);
    return;
  }
  HTREEITEM item = TreeView_GetSelection(tree);
  if (!item) return;
  state.focusedPane = tree;
  SetFocus(tree);
  TreeView_EditLabel(tree, item);
}

BOOL Editing::OnListEndLabelEdit(const NMLVDISPINFOW* info) {
  if (!info->item.pszText) return FALSE;
  ValueList& list = browser_.Values();
  HWND main = browser_.Main();
  int index = info->item.iItem;
  Row* row = list.RowAt(index);
  if (!row) return FALSE;
  std::wstring newName = info->item.pszText;
  if (core::NamesEqual(U16(newName), U16(row->name))) return FALSE;
  if (newName.empty()) {
    ShowMessage(main, L"Please input value name", L"", MB_OK | MB_ICONHAND);
    PostMessageW(main, MSG_REOPEN_LIST_EDIT, static_cast<WPARAM>(index), 0);
    return FALSE;
  }
  if (list.FindRowByName(newName) >= 0) {
    ShowMessage(nullptr, kDuplicateValueText, L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  // The value is written under the new name from its real data, whatever its type or size.
  const CurrentKey& current = browser_.State().current;
  win32::RegKey key = CreateKey(current.root, current.path);
  ValueData value;
  if (!key || !ReadValue(key.get(), row->name, value)) return FALSE;
  if (WriteValue(key.get(), newName, value.type, Bytes(value.data)) != ERROR_SUCCESS) return FALSE;
  RegDeleteValueW(key.get(), row->name.c_str());
  row->name = newName;
  ListView_RedrawItems(list.hwnd(), index, index);
  return TRUE;
}

BOOL Editing::OnTreeEndLabelEdit(const NMTVDISPINFOW* info) {
  if (!info->item.pszText) return FALSE;
  Tree& tree = browser_.Keys();
  HWND main = browser_.Main();
  HKEY root = nullptr;
  std::wstring rootName, path;
  if (!tree.ItemKey(info->item.hItem, root, rootName, path)) return FALSE;
  if (path.empty()) {
    ShowMessage(main, L"Please select key again!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  std::wstring newName = info->item.pszText;
  if (newName.empty()) {
    ShowMessage(main, L"Input key name.", L"", MB_OK | MB_ICONHAND);
    PostMessageW(main, MSG_REOPEN_TREE_EDIT, 0, reinterpret_cast<LPARAM>(info->item.hItem));
    return FALSE;
  }
  // A name with "\" would place the new key below the old one, which is then copied into itself.
  if (newName.find(L'\\') != std::wstring::npos) {
    ShowMessage(main, L"Please enter a valid name!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  std::wstring parent = Wide(core::ParentKeyPath(U16(path)));
  std::wstring newPath = JoinPath(parent, newName);
  // Key names are compared without case: a rename that only changes case names the same key,
  // and copying it onto itself and deleting the old would delete it.
  if (core::NamesEqual(U16(newPath), U16(path))) return FALSE;
  bool existed = KeyExists(root, newPath);
  if (!CopyKey(root, path, root, newPath)) {
    if (!existed) RegDeleteTreeW(root, SubkeyArg(newPath));
    return FALSE;
  }
  if (RegDeleteTreeW(root, SubkeyArg(path)) != ERROR_SUCCESS) return FALSE;
  CurrentKey& current = browser_.State().current;
  if (current.item == info->item.hItem) current.path = newPath;
  // The item shows its record's name, so the record takes the new one (the control keeps
  // asking for it). Renamed onto an existing sibling, the two are one key now: the parent is
  // read again.
  tree.RenameItem(info->item.hItem, newName);
  PostMessageW(main, MSG_AFTER_KEY_RENAME, 0, reinterpret_cast<LPARAM>(info->item.hItem));
  return FALSE;
}

void Editing::Copy() {
  BrowserState& state = browser_.State();
  if (state.current.path.empty()) ShowMessage(browser_.Main(), L"Incorrect cpoy!", L"Stop!", MB_OK | MB_ICONHAND);
  state.copiedRoot = state.current.root;
  state.copiedPath = state.current.path;
  state.hasCopied = true;
  browser_.UpdateMenuStates();
}

void Editing::Paste() {
  BrowserState& state = browser_.State();
  HWND owner = browser_.Main();
  if (!state.hasCopied || state.copiedPath.empty()) {
    ShowMessage(owner, L"Incorrect paste!", L"Stop!", MB_OK | MB_ICONHAND);
    return;
  }
  const CurrentKey& current = state.current;
  if (!current.root) return;
  std::wstring target = JoinPath(current.path, Wide(core::LastKeyComponent(U16(state.copiedPath))));
  // The copied key itself, or a place inside it (which would copy the copy again and again).
  if (SameKey(current.root, current.path, state.copiedRoot, state.copiedPath) ||
      Within(current.root, target, state.copiedRoot, state.copiedPath)) {
    ShowMessage(owner, L"Incorrect paste", L"Stop!", MB_OK | MB_ICONHAND);
    return;
  }
  if (!CreateKey(current.root, target)) return;
  CopyKey(state.copiedRoot, state.copiedPath, current.root, target);
  Tree& tree = browser_.Keys();
  HTREEITEM item = current.item;
  tree.RereadChildren(item);
  TreeView_SelectItem(tree.hwnd(), item);
  tree.ReselectCurrent();
}

void Editing::ReopenListEdit(int row) {
  HWND list = browser_.Values().hwnd();
  SetFocus(list);
  ListView_EditLabel(list, row);
}

void Editing::ReopenTreeEdit(HTREEITEM item) {
  HWND tree = browser_.Keys().hwnd();
  SetFocus(tree);
  TreeView_EditLabel(tree, item);
}

void Editing::AfterKeyRename(HTREEITEM item) {
  Tree& tree = browser_.Keys();
  HTREEITEM parent = TreeView_GetParent(tree.hwnd(), item);
  std::wstring name = tree.ItemText(item);
  if (!parent) return;
  tree.RereadChildren(parent);
  if (HTREEITEM again = tree.FindChild(parent, name, false)) {
    TreeView_SelectItem(tree.hwnd(), again);
    tree.ReselectCurrent();
  }
}

}  // namespace quintar::tamsk

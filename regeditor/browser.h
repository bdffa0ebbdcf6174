// What the units of Tamsk's main window see of it: the browser's state, the key tree and the value
// list, and the window's interface. The units (tree, list, editing, files, find) depend on this;
// the main window implements it and depends on them, never the other way round.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace quintar::tamsk {

inline constexpr wchar_t kWindowClass[] = L"Zek Registry Editor";
inline constexpr wchar_t kWindowTitle[] = L"Zek RegEditor";

// Posted by the label-edit notifications, which must not start another edit or rebuild items
// while the tree or list is still ending the first one.
inline constexpr UINT MSG_REOPEN_LIST_EDIT = WM_USER + 20;  // wParam: the row
inline constexpr UINT MSG_REOPEN_TREE_EDIT = WM_USER + 21;  // lParam: the item
inline constexpr UINT MSG_AFTER_KEY_RENAME = WM_USER + 22;  // lParam: the item

struct CurrentKey {
  HKEY root = nullptr;       // one of the four predefined roots, or none yet
  std::wstring rootName;     // "HKEY_CURRENT_USER"
  std::wstring path;         // "" for the root, else "\Software\Apps"
  HTREEITEM item = nullptr;  // the selected tree item
};

// One row of the value list: its texts as shown (the data text cut to what a row keeps).
struct Row {
  std::wstring name;
  std::wstring data;
  std::wstring type;
  DWORD regType = 0;
};

struct BrowserState {
  CurrentKey current;
  HWND focusedPane = nullptr;
  int sortColumn = 0;  // the Arrange mark: 0 name, 1 data, 2 type

  HKEY copiedRoot = nullptr;  // Copy's key; Paste is greyed while there is none
  std::wstring copiedPath;
  bool hasCopied = false;
};

class Browser;

// The key tree: the four roots, children read when an item expands and dropped when it
// collapses, the current key following the selection (tree.cpp).
class Tree {
 public:
  explicit Tree(Browser& browser) noexcept : browser_(browser) {}
  HWND hwnd() const noexcept { return tree_; }
  void Attach(HWND tree) noexcept { tree_ = tree; }

  void InsertRoots();
  void Rebuild();  // every item deleted, the roots inserted again
  void OnExpanding(const NMTREEVIEWW* info);
  void OnExpanded(const NMTREEVIEWW* info);
  void OnGetDispInfo(NMTVDISPINFOW* info) const;
  void OnSelChanged(const NMTREEVIEWW* info);
  void OnDeleteItem(const NMTREEVIEWW* info);  // frees what the item owned

  // The root handle, root name and path of an item.
  bool ItemKey(HTREEITEM item, HKEY& root, std::wstring& rootName, std::wstring& path) const;
  std::wstring ItemText(HTREEITEM item) const;
  bool RenameItem(HTREEITEM item, const std::wstring& name);  // the name the item shows
  HTREEITEM FindChild(HTREEITEM parent, const std::wstring& text, bool caseSensitive) const;
  // Selects root + path as far as it exists; the deepest item reached. Case of the components as
  // the flag says.
  HTREEITEM SelectPath(const std::wstring& rootName, const std::wstring& path, bool caseSensitive);
  // Reads an item's children again (collapse, then expand).
  void RereadChildren(HTREEITEM item);
  void ReselectCurrent();  // select the current item again so the list is refilled

 private:
  void Populate(HTREEITEM item);
  void ExpandItem(HTREEITEM item);
  void SelectAndFill(HTREEITEM item);

  Browser& browser_;
  HWND tree_ = nullptr;
};

// The value list: one row per value of a key, in enumeration order, with the texts of each type;
// sorting by a column's text (valuelist.cpp).
class ValueList {
 public:
  HWND hwnd() const noexcept { return list_; }
  void Attach(HWND list) noexcept { list_ = list; }

  void SetupColumns();
  void ResizeColumns(int width);
  void Fill(HKEY root, const std::wstring& path);
  void Clear();
  void Sort(int column);
  int SelectedRow() const;  // the list index of the selected row, or -1
  Row* RowAt(int index) const;
  int FindRowByName(const std::wstring& name) const;  // name comparison; -1 when none
  void SelectRow(int index);
  void DeleteRow(int index);  // the row and its record

 private:
  HWND list_ = nullptr;
  std::vector<std::unique_ptr<Row>> rows_;
};

// The main window as its units see it.
class Browser {
 public:
  virtual HWND Main() const noexcept = 0;
  virtual HINSTANCE Instance() const noexcept = 0;
  virtual BrowserState& State() noexcept = 0;
  virtual Tree& Keys() noexcept = 0;
  virtual ValueList& Values() noexcept = 0;
  // `key` becomes the current key (none when its root is null) and the list shows its values.
  virtual void ShowKey(const CurrentKey& key) = 0;
  // Copy and Paste greyed as the state says.
  virtual void UpdateMenuStates() = 0;

 protected:
  ~Browser() = default;
};

}  // namespace quintar::tamsk

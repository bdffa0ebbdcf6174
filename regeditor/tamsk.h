// Tamsk's Win32 side: the main window's module-wide state and the units that act on it (tree,
// value list, editing commands and dialogs, files, search). One main window per process.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "regeditor/core/search.h"

namespace tamsk {

inline constexpr wchar_t kWindowClass[] = L"Zek Registry Editor";
inline constexpr wchar_t kWindowTitle[] = L"Zek RegEditor";

// ---- Text and registry helpers -----------------------------------------------------------

inline std::u16string U16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// A path below a root as the registry functions take it: without the leading "\".
inline const wchar_t* SubkeyArg(const std::wstring& path) {
  return path.empty() ? L"" : (path[0] == L'\\' ? path.c_str() + 1 : path.c_str());
}

// An open key; a predefined root handle is used as it is and never closed.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { Reset(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  // The root itself when `path` is empty, else RegOpenKeyExW.
  bool Open(HKEY root, const std::wstring& path, REGSAM access);
  // The root itself when `path` is empty, else RegCreateKeyExW with KEY_ALL_ACCESS.
  bool Create(HKEY root, const std::wstring& path);
  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  void Reset();

 private:
  HKEY key_ = nullptr;
  bool owned_ = false;
};

struct ValueData {
  std::wstring name;
  DWORD type = 0;
  std::vector<BYTE> data;
};
// Enumerates every value of `key` whatever its size (the buffer grows as needed).
std::vector<ValueData> ReadValues(HKEY key);
bool ReadValue(HKEY key, const std::wstring& name, ValueData& out);

// Message boxes of the program; every one goes through here.
int Message(HWND owner, const std::wstring& text, const wchar_t* caption, UINT style);
inline int Message(HWND owner, std::u16string_view text, std::u16string_view caption, UINT style) {
  return Message(owner, Wide(text), Wide(caption).c_str(), style);
}

// ---- Main window state ---------------------------------------------------------------------

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

struct SearchState {
  std::wstring text;
  unsigned kinds = 0;
  bool wholeString = false;
  quintar::tamsk::RegistrySearch search;
};

struct App {
  HINSTANCE instance = nullptr;
  HWND main = nullptr;
  HWND menuBar = nullptr;
  HWND tree = nullptr;
  HWND list = nullptr;
  HIMAGELIST images = nullptr;
  HWND focusedPane = nullptr;

  CurrentKey current;
  std::vector<std::unique_ptr<Row>> rows;

  int sortColumn = 0;  // the Arrange mark: 0 name, 1 data, 2 type

  HKEY copiedRoot = nullptr;  // Copy's key; Paste is greyed while there is none
  std::wstring copiedPath;
  bool hasCopied = false;

  bool dragging = false;  // the splitter between stacked panes
  bool stacked = true;

  SearchState find;
};

App& TheApp();

// Creates and shows the main window (class registered on first use). nullptr on failure.
HWND CreateMainWindow(HINSTANCE instance, int show);
// The main window's message loop until WM_QUIT; its exit code.
int RunMessageLoop();

// ---- Tree (tree.cpp) ---------------------------------------------------------------------

void InsertRoots();
void RebuildTree();                       // every item deleted, the roots inserted again
void OnTreeExpanding(NMTREEVIEWW* info);  // lazy expansion and collapse
void OnTreeExpanded(NMTREEVIEWW* info);
void OnTreeGetDispInfo(NMTVDISPINFOW* info);
void OnTreeSelChanged(NMTREEVIEWW* info);
// The root handle, root name and path of an item.
bool ItemKey(HTREEITEM item, HKEY& root, std::wstring& rootName, std::wstring& path);
std::wstring ItemText(HTREEITEM item);
bool RenameItem(HTREEITEM item, const std::wstring& name);  // the name the item shows
void OnTreeDeleteItem(NMTREEVIEWW* info);                   // frees what the item owned
HTREEITEM FindChild(HTREEITEM parent, const std::wstring& text, bool caseSensitive);
// Selects root + path as far as it exists; the deepest item reached. Case of the components as
// the flag says.
HTREEITEM SelectPath(const std::wstring& rootName, const std::wstring& path, bool caseSensitive);
// Reads an item's children again (collapse, then expand).
void RereadChildren(HTREEITEM item);
void ReselectCurrent();  // select the current item again so the list is refilled

// ---- Value list (valuelist.cpp) ------------------------------------------------------------

void SetupListColumns();
void ResizeListColumns(int width);
void FillList();
void ClearList();
void SortList(int column);
int SelectedRow();  // the list index of the selected row, or -1
Row* RowAt(int index);
int FindRowByName(const std::wstring& name);  // name comparison; -1 when none
void SelectRow(int index);

// ---- Commands (commands.cpp, editing.cpp, files.cpp, find.cpp) ------------------------------

void UpdateMenuStates();
void CheckArrange(int column);
void ShowContextMenu(HWND pane, POINT screen);
void ReturnFocus();

void CmdRefresh(HWND);
void CmdShowPath(HWND);
void CmdCopyPath(HWND);
void CmdAbout(HWND);
void CmdExit(HWND);

void CmdNewKey(HWND);
void CmdNewString(HWND);
void CmdNewMulti(HWND);
void CmdNewBinary(HWND);
void CmdNewDword(HWND);
void CmdDelete(HWND);
void CmdRename(HWND);
void CmdCopy(HWND);
void CmdPaste(HWND);
void CmdModify(HWND);
// Posted by the label-edit notifications, which must not start another edit or rebuild items
// while the tree or list is still ending the first one.
inline constexpr UINT kReopenListEdit = WM_APP + 20;
inline constexpr UINT kReopenTreeEdit = WM_APP + 21;
inline constexpr UINT kAfterKeyRename = WM_APP + 22;
LRESULT HandleEditingMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam);
// The end of an in-place label edit; TRUE accepts the new label.
BOOL OnListEndLabelEdit(NMLVDISPINFOW* info);
BOOL OnTreeEndLabelEdit(NMTVDISPINFOW* info);
// Source root\path copied below target root\path with every subkey and value; false on the
// first failure.
bool CopyKey(HKEY sourceRoot, const std::wstring& sourcePath, HKEY targetRoot, const std::wstring& targetPath);

// Asks for the file of Export, Export All (save) or Import (open); false when cancelled. The
// platform's file dialogs unless replaced (tests answer with a file of their own).
using FileChooser = bool (*)(HWND owner, bool save, std::wstring& file);
FileChooser SetFileChooser(FileChooser chooser);  // nullptr puts the platform's back

void CmdExport(HWND);
void CmdExportAll(HWND);
void CmdImport(HWND);

void CmdFind(HWND);
void CmdFindNext(HWND);

}  // namespace tamsk

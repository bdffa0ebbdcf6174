// ListPane: the list view that shows one folder of the device, or the search hits. The list view
// holds no rows of its own (owner data): the pane keeps one FileEntry per row in row order, and
// texts and icons are made when the list view first asks and are cached in the entry.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "filemanager/core/file_entry.h"
#include "filemanager/core/history.h"
#include "filemanager/core/list_settings.h"
#include "fileops/fileops.h"
#include "win32/handle.h"

namespace quintar::folderon {

class FolderWatcher;

// Shell icon look-ups (one per SHGetFileInfo icon call) made so far by every list pane: a cost
// figure for measuring, read before and after a navigation.
unsigned long ShellIconLookups();

// What the list needs from the window around it.
class ListHost {
 public:
  virtual FolderWatcher& Watcher() = 0;
  virtual bool AddressBarShown() const = 0;
  // A single "Loading..." part while a folder is read.
  virtual void ShowLoading() = 0;
  // The status parts for a listing.
  virtual void ShowStatus(const std::wstring& path, unsigned long long count, unsigned long long totalBytes) = 0;
  // After every listing (the status is written already): address box, tree, command states.
  virtual void Listed(const std::wstring& path) = 0;
  // A file row activated or a typed path naming a file: hand it to the shell's "open".
  virtual void OpenFile(const std::wstring& path) = 0;

 protected:
  ~ListHost() = default;
};

// The three `FileImageList` flags.
struct FileImageFlags {
  DWORD genericIcons = 0;
  DWORD romProgramIcons = 1;
  DWORD zipProgramIcons = 1;
};

// The list's values that the Options sheet edits.
struct ListOptions {
  core::ListViewSettings settings;
  FileImageFlags images;
  std::wstring compressFolder = L"\\Temp";
  DWORD timeStump = 0;
  DWORD hideFolder = 0;
};

// Leaf names of the special folders the icons tell apart (case-insensitive).
struct SpecialLeaves {
  std::wstring network = L"Network";
  std::wstring myDocuments = L"My Documents";
  std::wstring startMenu = L"Start Menu";
};

// One hit of a file search, shown under "File Search": where and what, as found.
struct SearchResultNode {
  std::wstring folder;
  std::wstring name;
  DWORD attributes = 0;
  FILETIME time{};  // files: last write (local); folders: creation time
  DWORD size = 0;
};

// A folder or name field of a FileItem as text (the fields may be full, without a terminator).
inline std::wstring_view FieldText(const wchar_t (&field)[260]) {
  return std::wstring_view(field, wcsnlen(field, 260));
}

// The program's own clipboard of files: what Cut or Copy took, from which folder.
struct FileClipboard {
  std::vector<fileops::FileItem> items;
  std::wstring source;  // "" when empty
  bool cut = false;

  bool Empty() const { return items.empty(); }
  void Clear() {
    items.clear();
    source.clear();
    cut = false;
  }
};

class ListPane {
 public:
  explicit ListPane(ListHost& host) : host_(host) {}
  ~ListPane();
  ListPane(const ListPane&) = delete;
  ListPane& operator=(const ListPane&) = delete;

  // Reads the list's settings, creates the list view and its columns, and picks the start folder
  // (the command line's when it is an existing folder; else `LastFolder` when remembered and
  // existing; else the root).
  bool Create(HWND parent, HINSTANCE instance, const std::wstring& commandLineFolder);
  void SaveSettingsAndDestroy();

  HWND Window() const { return list_; }
  const std::wstring& Path() const { return path_; }
  const std::wstring& StartFolder() const { return startFolder_; }
  const core::ListViewSettings& Settings() const { return settings_; }
  ListOptions Options() const { return {settings_, imageFlags_, compressFolder_, timeStump_, hideFolder_}; }
  void SetOptions(const ListOptions& options);
  // `CompressFolder`: where archives are extracted unless in place.
  const std::wstring& CompressFolder() const { return compressFolder_; }
  void SetCompressFolder(const std::wstring& folder) { compressFolder_ = folder; }
  // New, empty image lists; every row's icon is looked up again.
  void RebuildImageLists();
  void ReapplyViewStyle() { ApplyViewStyle(); }
  // `ListView` now, as the frame's values are written after a view or sort command.
  void SaveListView() const;
  // `NoExtShortcut`: new shortcuts are named without their target's extension.
  bool NoExtShortcut() const { return noExtShortcut_ != 0; }
  void SetSpecialLeaves(const SpecialLeaves& leaves) { leaves_ = leaves; }
  const core::History& History() const { return history_; }

  // Suspends watching, reads the folder, sorts, writes the status, sets the watched path and
  // resumes watching. A folder that cannot be read shows no rows.
  void Navigate(const std::wstring& path);
  // The common "Go to": root names, the search hits, an existing folder, or a file (opened
  // through the host); a missing path shows the not-found message and stays. True when it
  // navigated.
  bool GoTo(const std::wstring& text, HWND owner);
  void UpOneLevel();
  void Back();
  void Forward();

  // The search's hits, in the order found; "File Search" lists them. Hits whose file is gone
  // are dropped at the next listing.
  void SetSearchHits(std::vector<SearchResultNode> hits) { hits_ = std::move(hits); }
  const std::vector<SearchResultNode>& SearchHits() const { return hits_; }

  // After a row was renamed on disk: the record takes the new name, its texts (and a file's icon)
  // are made again, and a search hit for it follows.
  void RowRenamed(int row, const std::wstring& newName);
  // A file whose icon was looked up by its path (a shortcut, a program) changed: look it up again.
  void ForgetIcon(const std::wstring& path);

  int SelectedRow() const;
  const core::FileEntry* EntryOf(int row) const;
  int RowCount() const;
  // Open the row: up-level goes up, a folder is entered, a file is opened through the host.
  void OpenRow(int row);

  // ---- Selection and the rows an operation changed (listrows.cpp) ----
  // The selected rows from the top, the up-level row skipped.
  std::vector<fileops::FileItem> SelectedItems() const;
  // The first selected row that is not the up-level row, or null.
  const core::FileEntry* FirstSelectedEntry() const;
  bool HasSelectedItem() const { return FirstSelectedEntry() != nullptr; }
  FileClipboard& Clipboard() { return clipboard_; }
  const FileClipboard& Clipboard() const { return clipboard_; }
  // Every row loses the cut look; with `cutSelection` the selected rows take it.
  void MarkCut(bool cutSelection);
  // The rows of what is cut (the clipboard's items, while it holds a Cut) take the cut look, the
  // others lose it unless the rows are `fresh`: after a listing, and after a drop gave the
  // clipboard back.
  void ShowCutRows(bool fresh = false);
  // Drops the rows of the items marked done, found by folder and name (the rows may have been
  // listed again since the items were taken), and writes the status for what remains.
  void RemoveDoneRows(std::span<const fileops::FileItem> items);
  // After a move out of the search hits: the hits that moved now point into `destFolder`.
  void RepointMovedHits(std::span<const fileops::FileItem> items, const std::wstring& destFolder);

  void OnGetDispInfo(NMLVDISPINFOW* info);
  // Type-ahead and LVM_FINDITEM: the row whose shown name starts with (or is) the asked text.
  int OnFindItem(const NMLVFINDITEMW* find);
  // The folder row a drag hovers over shows highlighted; -1 for none.
  void SetDropRow(int row);
  void OnColumnClick(int column);
  void SetViewStyleCommand(int command);
  void CycleViewStyle();
  void SetSortCommand(int command);
  void SelectAll(bool select);
  void ReverseSelection();
  // Check marks of View Style and Arrange Icons By in `menu`.
  void UpdateMenuMarks(HMENU menu) const;
  // Status parts again (after the address bar was shown or hidden).
  void RewriteStatus();

 private:
  void LoadSettings();
  void ApplyViewStyle();
  void CreateImageLists();
  void ClearRows();
  // The records of a folder (or of the search hits), unsorted.
  void ReadRecords(const std::u16string& path16, bool search);
  // One row per record, in sorted order; the row named `reselect` is selected.
  void InsertRows(const std::optional<std::u16string>& reselect);
  // Sorts `rows_` by the current key; the selected and focused entries stay so.
  void Sort();
  core::FileEntry* RowEntry(int row) const;
  // In the icon views: every row gets its place in the grid.
  void ArrangeIcons();
  // The name as the row shows it, made once.
  const std::u16string& DisplayName(core::FileEntry& entry) const;
  int IconFor(core::FileEntry& entry, bool large);
  int CachedIcon(std::map<std::wstring, int>& cache, const std::wstring& key, const std::wstring& path,
                 bool byAttributesOnly);

  ListHost& host_;
  HWND list_ = nullptr;
  // The records behind the rows, kept by the pane: filled, then listed, then dropped together
  // when the list is cleared (they never move while rows point at them).
  std::vector<core::FileEntry> records_;
  // The rows in the order shown: rows_[i] is row i of the list view.
  std::vector<core::FileEntry*> rows_;
  int dropRow_ = -1;
  win32::ImageList large_;
  win32::ImageList small_;
  std::map<std::wstring, int> largeCache_;
  std::map<std::wstring, int> smallCache_;
  core::ListViewSettings settings_;
  FileImageFlags imageFlags_;
  SpecialLeaves leaves_;
  std::wstring lastFolder_;
  std::wstring compressFolder_ = L"\\Temp";
  DWORD timeStump_ = 0;
  DWORD hideFolder_ = 0;
  DWORD noExtShortcut_ = 1;
  std::wstring startFolder_;
  std::wstring path_;
  std::wstring previous_;
  bool listedOnce_ = false;
  bool upLevelShown_ = false;
  unsigned long long totalBytes_ = 0;
  core::History history_;
  std::vector<SearchResultNode> hits_;
  FileClipboard clipboard_;
};

}  // namespace quintar::folderon

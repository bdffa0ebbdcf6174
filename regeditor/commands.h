// The main window's commands beyond browsing: editing keys and values (editing.cpp), the registry
// files (files.cpp) and search (find.cpp). Each acts on the window through its Browser interface.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

#include "regeditor/browser.h"
#include "regeditor/core/search.h"

namespace quintar::tamsk {

inline constexpr wchar_t kDuplicateValueText[] = L"\nDestination value name already exists!";

class Editing {
 public:
  explicit Editing(Browser& browser) noexcept : browser_(browser) {}

  void NewKey();
  void NewString();
  void NewMulti();
  void NewBinary();
  void NewDword();
  void Modify();
  void Delete();
  void Rename();
  void Copy();
  void Paste();

  // The end of an in-place label edit; TRUE accepts the new label.
  BOOL OnListEndLabelEdit(const NMLVDISPINFOW* info);
  BOOL OnTreeEndLabelEdit(const NMTVDISPINFOW* info);
  // What the label edits post to the window, run once the control has ended the edit.
  void ReopenListEdit(int row);
  void ReopenTreeEdit(HTREEITEM item);
  void AfterKeyRename(HTREEITEM item);

 private:
  Browser& browser_;
};

// Source root\path copied below target root\path with every subkey and value; false on the first
// failure.
bool CopyKey(HKEY sourceRoot, const std::wstring& sourcePath, HKEY targetRoot, const std::wstring& targetPath);

// Asks for the file of Export, Export All (save) or Import (open); false when cancelled.
using FileChooser = bool (*)(HWND owner, bool save, std::wstring& file);

class Files {
 public:
  explicit Files(Browser& browser) noexcept;

  void Export();
  void ExportAll();
  void Import();
  void About();
  // The platform's file dialogs unless replaced (tests answer with a file of their own); nullptr
  // puts the platform's back.
  FileChooser SetChooser(FileChooser chooser) noexcept;

 private:
  Browser& browser_;
  FileChooser chooser_;
};

struct SearchState {
  std::wstring text;
  unsigned kinds = 0;
  bool wholeString = false;
  core::RegistrySearch search;
};

class Finder {
 public:
  explicit Finder(Browser& browser) noexcept : browser_(browser) {}

  void Find();
  void FindNext();

 private:
  friend class FindDialog;
  std::optional<core::SearchHit> Search();
  void GoToHit(const std::optional<core::SearchHit>& hit, bool fromFind);

  Browser& browser_;
  SearchState state_;
};

}  // namespace quintar::tamsk

// Properties of the selection and File Search, as the main window runs them.
#include <windows.h>

#include <string>
#include <vector>

#include "filemanager/core/paths.h"
#include "filemanager/mainframe.h"
#include "filemanager/properties.h"
#include "filemanager/searchdialog.h"
#include "filemanager/winutil.h"

namespace quintar::folderon {

void MainFrame::ShowItemProperties() {
  std::vector<fileops::FileItem> items = TakeSelection();
  if (items.empty()) return;
  const bool fromTree = TreeFocused();
  fileops::Hooks run = RunHooks();
  PropertiesHooks hooks;
  hooks.suspendWatching = run.suspendWatching;
  hooks.resumeWatching = run.resumeWatching;
  hooks.shortcutRetargeted = [this](const std::wstring& shortcut) { list_.ForgetIcon(shortcut); };
  PropertiesOutcome outcome;
  if (ShowProperties(hwnd(), items, hooks, outcome) != 1) return;
  const fileops::FileItem& item = items.front();
  const std::wstring folder(FieldText(item.folder));
  if (!outcome.newName.empty()) {
    if (!fromTree && item.listIndex >= 0) list_.RowRenamed(item.listIndex, outcome.newName);
    if (item.kind == fileops::kKindFolder) tree_.SelectPath(folder, true, false);
  }
  // The shown folder may be the one renamed from the tree: its parent is then what is left.
  std::wstring path = list_.Path();
  if (!core::IsSearchPath(U16(path)) && !IsExistingFolder(path)) path = folder;
  list_.Navigate(path);
}

void MainFrame::FileSearch() {
  std::vector<SearchResultNode> hits;
  if (RunSearch(hwnd(), list_.Path(), hits) != 1) return;
  list_.SetSearchHits(std::move(hits));
  list_.Navigate(Wide(core::kSearchPath));
}

}  // namespace quintar::folderon

// The Options command: the sheet over a copy of the settings, then what the applied values
// change in the panes, the menus and the list. And "Choose Program..." on a file row.
#include <windows.h>

#include "filemanager/core/paths.h"
#include "filemanager/mainframe.h"
#include "filemanager/optionssheet.h"
#include "filemanager/winutil.h"
#include "fileops/chooseprogram.h"

namespace quintar::folderon {

namespace {

// Which kinds the device's archiver library can handle: each entry point must be there.
void ProbeArchiver(OptionValues& values) {
  const fileops::ArchiverKinds kinds = fileops::ProbeArchiver();
  values.zipSupported = kinds.zip;
  values.lzhSupported = kinds.lzh;
}

std::wstring LeafOf(const std::wstring& path) { return Wide(core::LeafName(U16(path))); }

}  // namespace

void MainFrame::OpenOptions() {
  OptionValues values;
  values.frame = settings_;
  values.special = special_;
  values.list = list_.Options();
  ProbeArchiver(values);
  OptionsResult result = RunOptionsSheet(instance_, hwnd(), values);
  if (result.rebuildIcons) list_.RebuildImageLists();
  if (result.sheet != 1) return;
  settings_ = values.frame;
  special_ = values.special;
  list_.SetOptions(values.list);
  list_.SetSpecialLeaves(
      SpecialLeaves{LeafOf(special_.network), LeafOf(special_.myDocuments), LeafOf(special_.startMenu)});
  tree_.SetSpecialLeaves(LeafOf(special_.startMenu), LeafOf(special_.network), LeafOf(special_.myDocuments));
  if (result.fontChanged) ApplyFont();
  if (result.favoritesChanged) RebuildFavoritesMenu();
  RebuildOpenWithMenu();
  if (list_.Settings().Style() == core::ViewStyle::Details) list_.ReapplyViewStyle();
  tree_.RebuildRoots();
  list_.Navigate(list_.Path());
  UpdateCommandStates();
}

void MainFrame::ChooseProgramForFile() {
  const core::FileEntry* entry = FocusedFile();
  if (!entry) return;
  fileops::ChooseProgramRequest request;
  request.folder = Wide(entry->folder);
  request.name = Wide(entry->name);
  request.extension = fileops::ExtensionOf(request.name);
  request.openAfter = true;
  fileops::ChooseProgram(instance_, hwnd(), request);
}

bool MainFrame::CanChooseProgram() const {
  const core::FileEntry* entry = FocusedFile();
  return entry && !fileops::ExtensionOf(Wide(entry->name)).empty();
}

}  // namespace quintar::folderon

// The dialogs that edit the item's content: the tab name dialogs, the icon dialog with its picker,
// and the Add dialog with its Items, Files and Folders pages. Each works on the item's content
// through an EditContext and hands every change back through its `changed` call, which saves the
// data file and repaints the item.
#pragma once

#include <windows.h>

#include <functional>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/core/glancet_edit.h"
#include "todayplugin/draw.h"

namespace quintar::glancet {

// What the picker keeps between openings.
struct PickerMemory {
  core::IconSet set = core::IconSet::kSystem;
  int chosen = 0;
  int scroll = 0;
};

struct EditContext {
  HINSTANCE instance;
  core::State& state;
  const core::StripPaths& paths;
  const core::Metrics& metrics;
  Scene scene;
  std::function<void()> changed;
};

// "New Tab..." and "Rename Tab...".
void RunNewTabDialog(HWND owner, EditContext& context);
void RunRenameTabDialog(HWND owner, EditContext& context);
// "Change Icon": for the selected tab when `toTab`, else for the highlighted items.
void RunIconDialog(HWND owner, EditContext& context, PickerMemory& memory, bool toTab);
// The Add dialog on page 0 (items), 1 (files) or 2 (folders).
void RunAddDialog(HWND owner, EditContext& context, int page);

}  // namespace quintar::glancet

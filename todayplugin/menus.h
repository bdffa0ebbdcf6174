// The tap-and-hold menus: the tab menu, and the item menu with the entries of the pressed item's
// kind. Which entries are greyed is the item window's business (its commands' predicates).
#pragma once

#include <windows.h>

#include "todayplugin/core/glancet_core.h"
#include "win32/handle.h"

namespace quintar::glancet {

void OpenTabMenu(HWND owner, HINSTANCE resources, POINT at);
// Also notes in the settings whether the pressed launcher is a large one. A theme button's "Select
// Theme" submenu is kept in `themeMenu` after the menu closes.
void OpenItemMenu(HWND owner, HINSTANCE resources, core::State& state, const core::ItemRecord& item, POINT at,
                  win32::Menu& themeMenu);
// The radio and check marks of the settings, on a menu about to open.
void SetCheckMarks(HMENU menu, const core::State& state);

}  // namespace quintar::glancet

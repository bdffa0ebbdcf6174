// Today themes through the device's installer: the list in "\windows", applying one from the
// theme submenu or the theme-loop button, and the submenu itself.
#pragma once

#include <windows.h>

#include <vector>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/core/glancet_theme.h"

namespace quintar::glancet {

std::vector<core::ThemeFile> ListThemes();
// The submenu's entry `index`: that theme, or the first after it that is not in ROM; the applied
// one is then radio-marked in `submenu` (when there is one). False when nothing was applied (no
// Today key, no such theme). `owner` owns the shell's rename.
bool ApplyThemeFromMenu(HWND owner, core::State& state, int index, HMENU submenu);
// The theme-loop button: the theme after the applied one (only the index moves when that one is
// in ROM). False when nothing changed.
bool NextTheme(HWND owner, core::State& state, HMENU submenu);
// One entry per theme, the applied one marked.
void FillThemeSubmenu(HMENU submenu, const core::State& state);

}  // namespace quintar::glancet

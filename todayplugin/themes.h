// Today themes through the device's installer: the list in "\windows", applying one from the
// theme submenu or the theme-loop button, and the submenu itself.
#pragma once

#include <windows.h>

#include <vector>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/core/glancet_theme.h"

namespace quintar::glancet {

std::vector<core::ThemeFile> ListThemes();
// The submenu's entry `index`: that theme, or the first after it that is not in ROM. False when
// nothing was applied (no Today key, no such theme).
bool ApplyThemeFromMenu(core::State& state, int index);
// The theme-loop button: the theme after the applied one (only the index moves when that one is
// in ROM). False when nothing changed.
bool NextTheme(core::State& state);
// One entry per theme, the applied one marked.
void FillThemeSubmenu(HMENU submenu, const core::State& state);

}  // namespace quintar::glancet

// The Today themes the theme-loop button and the theme submenu step through: which files are
// themes, which one is applied next, and the names and command lines of applying one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quintar::glancet::core {

struct ThemeFile {
  std::u16string name;  // in "\windows"
  uint32_t attributes = 0;
};

// A theme file's name ends in ".tsk" exactly (a search for "*.tsk" also finds "x.tskx").
bool IsThemeFile(std::u16string_view name);
// A theme in ROM: the system bit, or the in-ROM bit the device gives ROM files.
bool IsRomTheme(uint32_t attributes);
// The stored applied index, or -1 when it names no theme of the list.
int ValidThemeIndex(int32_t stored, int count);
// The theme the loop button applies after `applied`; -1 when there is none.
int NextThemeIndex(int32_t applied, int count);
// The first theme from `start` on that is not in ROM; nothing when every later one is.
std::optional<int> FirstAppliable(std::span<const ThemeFile> themes, int start);
// The file name with every space made "_", as the installer takes it.
std::u16string PlainThemeName(std::u16string_view name);
// The submenu's text: the name without ".tsk".
std::u16string ThemeMenuText(std::u16string_view name);
inline constexpr char16_t kThemeFolder[] = u"\\windows\\";
inline constexpr char16_t kInstaller[] = u"\\Windows\\wceload.exe";
// The installer's command line for a theme file, the program's quoted path first.
std::u16string InstallerCommandLine(std::u16string_view themePath);

}  // namespace quintar::glancet::core

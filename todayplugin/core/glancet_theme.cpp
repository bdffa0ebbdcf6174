#include "todayplugin/core/glancet_theme.h"

namespace quintar::glancet::core {
namespace {

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EndsWithTsk(std::u16string_view name) {
  if (name.size() < 4) return false;
  std::u16string_view tail = name.substr(name.size() - 4);
  return tail[0] == u'.' && Lower(tail[1]) == u't' && Lower(tail[2]) == u's' && Lower(tail[3]) == u'k';
}

}  // namespace

bool IsThemeFile(std::u16string_view name) { return name.size() > 4 && EndsWithTsk(name); }

bool IsRomTheme(uint32_t attributes) { return (attributes & (0x4u | 0x40u)) != 0; }

int ValidThemeIndex(int32_t stored, int count) { return stored >= -1 && stored < count ? stored : -1; }

int NextThemeIndex(int32_t applied, int count) {
  if (count <= 0) return -1;
  return (ValidThemeIndex(applied, count) + 1) % count;
}

std::optional<int> FirstAppliable(std::span<const ThemeFile> themes, int start) {
  for (int i = start < 0 ? 0 : start; i < static_cast<int>(themes.size()); ++i)
    if (!IsRomTheme(themes[i].attributes)) return i;
  return std::nullopt;
}

std::u16string PlainThemeName(std::u16string_view name) {
  std::u16string plain(name);
  for (char16_t& c : plain)
    if (c == u' ') c = u'_';
  return plain;
}

std::u16string ThemeMenuText(std::u16string_view name) {
  return std::u16string(EndsWithTsk(name) ? name.substr(0, name.size() - 4) : name);
}

std::u16string InstallerCommandLine(std::u16string_view themePath) {
  return u"\"" + std::u16string(kInstaller) + u"\" /safe /noui /nouninstall /delete 0 " + std::u16string(themePath);
}

}  // namespace quintar::glancet::core

// The Favorites menu as data: built from the Favorites folder through an enumeration callback,
// so the Win32 side only turns the tree into menus and keeps the chain for the commands.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::folderon::core {

struct FolderItem {
  std::u16string name;
  bool folder = false;
};
// The entries of a folder in enumeration order ("." and ".." may be included; they are skipped).
using FolderLister = std::function<std::vector<FolderItem>(std::u16string_view folder)>;

struct FavoriteMenuItem {
  std::u16string caption;
  int command = 0;                         // files: 51000 + n; submenus 0
  std::vector<FavoriteMenuItem> children;  // submenus: their items
  bool IsSubmenu() const noexcept { return command == 0; }
};

struct FavoritesMenu {
  std::vector<FavoriteMenuItem> items;
  std::vector<std::u16string> paths;  // the chain: paths[n] belongs to command 51000 + n
};

// Within each level subfolders come first (as submenus, left out when they hold no favorite),
// then every file with an extension, in enumeration order; n counts the favorites as they are
// added across all levels. Command identifiers stay within 16 bits, so at most 14,535 favorites
// are taken; paths beyond 259 characters are skipped.
FavoritesMenu BuildFavoritesMenu(std::u16string_view favoritesFolder, const FolderLister& list);

}  // namespace quintar::folderon::core

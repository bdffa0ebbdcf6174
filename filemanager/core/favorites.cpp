#include "filemanager/core/favorites.h"

#include "filemanager/core/file_entry.h"
#include "filemanager/core/history.h"
#include "filemanager/core/paths.h"

namespace quintar::folderon::core {
namespace {

constexpr std::size_t kMaxFavorites = 65535 - kCmdFavoriteFirst;

bool IsDot(std::u16string_view name) noexcept { return name.empty() || name == u"." || name == u".."; }

void BuildLevel(std::u16string_view folder, const FolderLister& list, FavoritesMenu& menu,
                std::vector<FavoriteMenuItem>& out) {
  const std::vector<FolderItem> entries = list(folder);
  for (const FolderItem& e : entries) {
    if (!e.folder || IsDot(e.name)) continue;
    const auto path = JoinPath(folder, e.name);
    if (!path) continue;
    FavoriteMenuItem sub;
    sub.caption = e.name;
    BuildLevel(*path, list, menu, sub.children);
    if (!sub.children.empty()) out.push_back(std::move(sub));
  }
  for (const FolderItem& e : entries) {
    if (e.folder || IsDot(e.name) || ExtensionStart(e.name) == std::u16string_view::npos) continue;
    if (menu.paths.size() >= kMaxFavorites) return;
    auto path = JoinPath(folder, e.name);
    if (!path) continue;
    FavoriteMenuItem item;
    item.caption = e.name;
    item.command = kCmdFavoriteFirst + static_cast<int>(menu.paths.size());
    menu.paths.push_back(std::move(*path));
    out.push_back(std::move(item));
  }
}

}  // namespace

FavoritesMenu BuildFavoritesMenu(std::u16string_view favoritesFolder, const FolderLister& list) {
  FavoritesMenu menu;
  BuildLevel(favoritesFolder, list, menu, menu.items);
  return menu;
}

}  // namespace quintar::folderon::core

// The small shell icons the suite's folder trees show.
#include <windows.h>
// (these need windows.h first)
#include <shellapi.h>

#include "dialogs/dialogs.h"

namespace quintar::dialogs {

HICON SmallShellIcon(int shell32Index) noexcept {
  HICON small = nullptr;
  ExtractIconExW(L"shell32.dll", shell32Index, nullptr, &small, 1);
  return small;
}

HICON SmallFolderIcon(bool open) noexcept {
  SHFILEINFOW info{};
  SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                 SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0));
  return info.hIcon;
}

}  // namespace quintar::dialogs

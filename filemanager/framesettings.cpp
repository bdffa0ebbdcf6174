#include "filemanager/framesettings.h"

#include <aygshell.h>

#include <vector>

#include "filemanager/settings.h"
#include "filemanager/winutil.h"

namespace quintar::folderon {

namespace {

std::wstring SpecialFolder(int csidl, const wchar_t* fallback) {
  wchar_t buffer[MAX_PATH] = {};
  if (CeGetSpecialFolderPath(nullptr, buffer, csidl, FALSE) && buffer[0]) return buffer;
  return fallback;
}

}  // namespace

void SetSpecialFolderDefaults(SpecialFolders& special) {
  special.windows = L"\\Windows";
  special.network = L"\\Network";
  special.myDocuments = SpecialFolder(CSIDL_PERSONAL, L"\\My Documents");
  special.startMenu = SpecialFolder(CSIDL_STARTMENU, L"\\Windows\\Start Menu");
  special.favorites = SpecialFolder(CSIDL_FAVORITES, L"\\Windows\\Favorites");
}

void LoadFrameSettings(FrameSettings& settings, SpecialFolders& special, core::UserPaths& userPaths) {
  SettingsKey key(kSettingsKey);
  key.ReadDword(L"TreeViewWidth", settings.treeViewWidth);
  key.ReadDword(L"TreeViewHeight", settings.treeViewHeight);
  key.ReadDword(L"ShowStatusWnd", settings.showStatusWnd);
  key.ReadDword(L"ShowFolder", settings.showFolder);
  key.ReadDword(L"ViewSide", settings.viewSide);
  key.ReadDword(L"DragDrop", settings.dragDrop);
  key.ReadDword(L"CheckQAdd", settings.checkQAdd);
  key.ReadDword(L"OverLapped", settings.overLapped);
  key.ReadDword(L"ContextMenu", settings.contextMenu);
  key.ReadDword(L"FontChange", settings.fontChange);
  key.ReadDword(L"FontSize", settings.fontSize);
  key.ReadString(L"FontName", settings.fontName, 127);
  key.ReadString(L"FavoritesPath", special.favorites);
  key.ReadString(L"DesktopPath", special.desktop);
  key.ReadString(L"StartMenuPath", special.startMenu);
  key.ReadString(L"MyDocumentPath", special.myDocuments);
  key.ReadString(L"NetworkPath", special.network);
  key.ReadString(L"SendAppPath", settings.sendAppPath);
  DWORD count = 0;
  key.ReadDword(L"OpenPthInfoCount", count);
  std::vector<std::u16string> values;
  for (DWORD n = 0; n < count && n < core::kMaxUserPaths; ++n) {
    std::wstring value;
    key.ReadString(Wide(core::UserPathValueName(static_cast<int>(n))).c_str(), value);
    values.push_back(U16(value));
  }
  userPaths.Load(count, values);
}

void SaveFrameSettings(const FrameSettings& settings, const SpecialFolders& special, const core::UserPaths& userPaths) {
  SettingsKey key(kSettingsKey);
  key.WriteDword(L"TreeViewWidth", settings.treeViewWidth);
  key.WriteDword(L"TreeViewHeight", settings.treeViewHeight);
  key.WriteDword(L"ShowStatusWnd", settings.showStatusWnd);
  key.WriteDword(L"ShowFolder", settings.showFolder);
  key.WriteDword(L"ViewSide", settings.viewSide);
  key.WriteDword(L"DragDrop", settings.dragDrop);
  key.WriteDword(L"CheckQAdd", settings.checkQAdd);
  key.WriteDword(L"OverLapped", settings.overLapped);
  key.WriteDword(L"ContextMenu", settings.contextMenu);
  key.WriteDword(L"FontChange", settings.fontChange);
  key.WriteDword(L"FontSize", settings.fontSize);
  key.WriteString(L"FontName", settings.fontName);
  key.WriteString(L"FavoritesPath", special.favorites);
  key.WriteString(L"DesktopPath", special.desktop);
  key.WriteString(L"StartMenuPath", special.startMenu);
  key.WriteString(L"MyDocumentPath", special.myDocuments);
  key.WriteString(L"NetworkPath", special.network);
  key.WriteString(L"SendAppPath", settings.sendAppPath);
  const auto& paths = userPaths.Items();
  key.WriteDword(L"OpenPthInfoCount", static_cast<DWORD>(paths.size()));
  for (size_t n = 0; n < core::kMaxUserPaths; ++n) {
    std::wstring name = Wide(core::UserPathValueName(static_cast<int>(n)));
    if (n < paths.size()) {
      key.WriteString(name.c_str(), Wide(paths[n]));
    } else {
      key.DeleteValue(name.c_str());
    }
  }
}

void SaveProgramPath() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  SettingsKey program(kProgramKey);
  program.WriteFixedString(L"Path", self, 520);
}

}  // namespace quintar::folderon

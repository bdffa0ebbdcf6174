#include "filemanager/framesettings.h"

#include <aygshell.h>

#include <algorithm>
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

namespace {

// The view flags and paths in the order they are written.
struct DwordValue {
  const wchar_t* name;
  DWORD FrameSettings::*field;
};
constexpr DwordValue kDwords[] = {
    {L"TreeViewWidth", &FrameSettings::treeViewWidth}, {L"TreeViewHeight", &FrameSettings::treeViewHeight},
    {L"ShowStatusWnd", &FrameSettings::showStatusWnd}, {L"ShowFolder", &FrameSettings::showFolder},
    {L"ViewSide", &FrameSettings::viewSide},           {L"DragDrop", &FrameSettings::dragDrop},
    {L"CheckQAdd", &FrameSettings::checkQAdd},         {L"OverLapped", &FrameSettings::overLapped},
    {L"ContextMenu", &FrameSettings::contextMenu},     {L"FontChange", &FrameSettings::fontChange},
    {L"FontSize", &FrameSettings::fontSize},
};

// Each a view setting or a special folder.
struct StringValue {
  const wchar_t* name;
  std::wstring FrameSettings::*setting;
  std::wstring SpecialFolders::*folder;
  size_t maxChars = 259;
};
constexpr StringValue kStrings[] = {
    {L"FontName", &FrameSettings::fontName, nullptr, LF_FACESIZE - 1},      {L"FavoritesPath", nullptr, &SpecialFolders::favorites},
    {L"DesktopPath", nullptr, &SpecialFolders::desktop},        {L"StartMenuPath", nullptr, &SpecialFolders::startMenu},
    {L"MyDocumentPath", nullptr, &SpecialFolders::myDocuments}, {L"NetworkPath", nullptr, &SpecialFolders::network},
    {L"SendAppPath", &FrameSettings::sendAppPath, nullptr},
};

template <class Settings, class Folders>
auto& Field(const StringValue& value, Settings& settings, Folders& folders) {
  return value.setting ? settings.*value.setting : folders.*value.folder;
}

}  // namespace

void LoadFrameSettings(FrameSettings& settings, SpecialFolders& special, core::UserPaths& userPaths) {
  SettingsKey key(kSettingsKey);
  for (const auto& value : kDwords) key.ReadDword(value.name, settings.*value.field);
  for (const auto& value : kStrings) key.ReadString(value.name, Field(value, settings, special), value.maxChars);
  // Stored numbers that no window could use are brought into range.
  settings.fontSize = std::clamp<DWORD>(settings.fontSize, 1, 72);
  settings.treeViewWidth = std::min<DWORD>(settings.treeViewWidth, static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN)));
  settings.treeViewHeight = std::min<DWORD>(settings.treeViewHeight, static_cast<DWORD>(GetSystemMetrics(SM_CYSCREEN)));
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
  for (const auto& value : kDwords) key.WriteDword(value.name, settings.*value.field);
  for (const auto& value : kStrings) key.WriteString(value.name, Field(value, settings, special));
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

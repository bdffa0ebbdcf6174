// The main window's view flags, special folders and user paths as kept under the Settings key.
#pragma once

#include <windows.h>

#include <string>

#include "filemanager/core/history.h"

namespace quintar::folderon {

struct FrameSettings {
  DWORD showStatusWnd = 1;
  DWORD showFolder = 0;
  DWORD viewSide = 0;
  DWORD overLapped = 0;
  DWORD contextMenu = 0;
  DWORD fontChange = 0;
  DWORD dragDrop = 1;
  DWORD treeViewWidth = 100;
  DWORD treeViewHeight = 100;
  DWORD fontSize = 12;
  std::wstring fontName;
  std::wstring sendAppPath = L"\\Windows\\SendTo";
  DWORD checkQAdd = 1;
};

// Windows, Network, Favorites, Desktop, Start Menu, My Documents.
struct SpecialFolders {
  std::wstring windows = L"\\Windows";
  std::wstring network = L"\\Network";
  std::wstring favorites = L"\\Windows\\Favorites";
  std::wstring desktop;
  std::wstring startMenu = L"\\Windows\\Start Menu";
  std::wstring myDocuments = L"\\My Documents";
};

// The device's own places for the folders the registry does not name.
void SetSpecialFolderDefaults(SpecialFolders& special);
// Values missing or of the wrong shape leave what the structures hold.
void LoadFrameSettings(FrameSettings& settings, SpecialFolders& special, core::UserPaths& userPaths);
void SaveFrameSettings(const FrameSettings& settings, const SpecialFolders& special, const core::UserPaths& userPaths);
// The program's own path under the program key, as the device's other programs look for it.
void SaveProgramPath();

}  // namespace quintar::folderon

// The "Options" property sheet: nine pages over a copy of the settings. Each page copies its
// controls into the copy on PSN_APPLY only, so Cancel leaves the copy as it was given.
#pragma once

#include <windows.h>

#include <string>

#include "filemanager/core/list_settings.h"
#include "filemanager/framesettings.h"
#include "filemanager/listpane.h"

namespace quintar::folderon {

struct OptionValues {
  FrameSettings frame;
  SpecialFolders special;
  ListOptions list;
  // Which archive kinds the archiver on the device can handle.
  bool zipSupported = false;
  bool lzhSupported = false;
};

struct OptionsResult {
  INT_PTR sheet = 0;          // what the sheet returned: 1 after Done
  bool rebuildIcons = false;  // "Rebuild Icons cache" was pressed
  bool favoritesChanged = false;
  bool fontChanged = false;  // the Font page applied
};

// The answer the sheet callback gives to the platform's version query, so that the shell shows
// the sheet full-screen with the device's look.
inline constexpr int kOptionsSheetVersion = 526;
// The platform's version query to a sheet callback.
inline constexpr UINT kSheetGetVersion = 3;

OptionsResult RunOptionsSheet(HINSTANCE instance, HWND owner, OptionValues& values);

}  // namespace quintar::folderon

// The Properties sheet of the selected rows: one file, folder or shortcut, whose name,
// attributes and shortcut target can be changed, or several rows summed up.
#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <string>

#include "fileops/fileops.h"

namespace quintar::folderon {

struct PropertiesHooks {
  std::function<void()> suspendWatching;
  std::function<void()> resumeWatching;
  // A shortcut now leads elsewhere: its icon is to be looked up again.
  std::function<void(const std::wstring& shortcut)> shortcutRetargeted;
};

// What OK did to one row.
struct PropertiesOutcome {
  std::wstring newPath;  // "%s\%s" of the row's folder and new name, after a rename
  std::wstring newName;
};

// Shows the sheet, maximised and owned by `owner`; each row is taken from its own folder. For one
// row, OK applies the changes in order (target, attributes, name), each with its own message on
// failure, and the result is 1 when at least one change was made; otherwise 0.
int ShowProperties(HWND owner, std::span<const fileops::FileItem> items, const PropertiesHooks& hooks,
                   PropertiesOutcome& outcome);

namespace props_ids {
inline constexpr int kGeneralPortrait = 111;
inline constexpr int kCountPage = 112;
inline constexpr int kShortcutPage = 113;
inline constexpr int kGeneralLandscape = 175;
inline constexpr int kGeneralSquare = 176;
inline constexpr int kHeader = 1091;
inline constexpr int kIcon = 1061;
inline constexpr int kName = 1048;
inline constexpr int kType = 1065;
inline constexpr int kLocation = 1054;
inline constexpr int kSize = 1064;
inline constexpr int kCreated = 1060;
inline constexpr int kModified = 1066;
inline constexpr int kReadOnly = 1030;
inline constexpr int kHidden = 1019;
inline constexpr int kArchive = 1012;
inline constexpr int kRom = 1038;
inline constexpr int kFolders = 1068;
inline constexpr int kFiles = 1059;
inline constexpr int kTotal = 1088;
inline constexpr int kTotalBytes = 1087;
inline constexpr int kShortcutIcon = 1089;
inline constexpr int kShortcutName = 1086;
inline constexpr int kTarget = 1057;
inline constexpr int kShortcutType = 1090;
}  // namespace props_ids

}  // namespace quintar::folderon

// The File Search dialog: criteria for names, text, place, dates and sizes; Done walks the
// device at once and hands back the hits.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "filemanager/listpane.h"

namespace quintar::folderon {

// Shows the dialog over `owner`, starting at `currentFolder` ("File Search" and the root show as
// "My Pocket PC"). 1 when a search ran, with `hits` in the order found; 0 on Cancel (hits
// untouched).
int RunSearch(HWND owner, const std::wstring& currentFolder, std::vector<SearchResultNode>& hits);

namespace search_ids {
inline constexpr int kPortrait = 122;
inline constexpr int kLandscape = 163;
inline constexpr int kSquare = 164;
inline constexpr int kBrowse = 1004;
inline constexpr int kDate = 1014;
inline constexpr int kSize = 1035;
inline constexpr int kSubfolders = 1037;
inline constexpr int kCaseSensitive = 1039;
inline constexpr int kDateMode = 1040;
inline constexpr int kSizeMode = 1041;
inline constexpr int kFirstDay = 1043;
inline constexpr int kSecondDay = 1044;
inline constexpr int kName = 1050;
inline constexpr int kLocation = 1054;
inline constexpr int kSizeKB = 1055;
inline constexpr int kText = 1058;
}  // namespace search_ids

}  // namespace quintar::folderon

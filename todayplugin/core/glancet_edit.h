// Editing the item's content on the Today screen: tabs made, renamed, deleted and given icons;
// launchers, gauges and buttons added, removed, resized and closed up; and the icon picker's grid.
// Every operation leaves the state saveable as it is: never more than thirty items a tab, never an
// item outside rows 0 to 2, never a path longer than its field.
#pragma once

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "todayplugin/core/glancet_core.h"

namespace quintar::glancet::core {

// ---- Tabs ---------------------------------------------------------------------------------------

enum class NewTabResult { kAdded, kEmptyName, kTooMany };
// A new last tab named `name`, with the small settings strip; the page shows it when it has room.
NewTabResult NewTab(State& state, std::u16string_view name, const StripPaths& paths);
// Names the selected tab; an empty name changes nothing.
void RenameTab(State& state, std::u16string_view name);
enum class DeleteTabResult { kDeleted, kLastTab };
// Deletes the selected tab and its cells; the tab before it becomes the selected one.
DeleteTabResult DeleteSelectedTab(State& state);
// The number of tabs the current page shows, going back a page when the current one is empty.
void FixPage(State& state);

// ---- Icons --------------------------------------------------------------------------------------

enum class IconSet { kSystem = 0, kCustom = 1 };
int IconCount(IconSet set);
const std::u16string& SmallStrip(const StripPaths& paths, IconSet set);
const std::u16string& LargeStrip(const StripPaths& paths, IconSet set);
// The chosen icon for the selected tab, or for every highlighted item of it (gauges keep theirs).
// False, with nothing changed, for an index outside the set.
bool ApplyIcon(State& state, bool toTab, IconSet set, int index, const StripPaths& paths);

// The picker's grid of icons, in pixels of the page.
struct IconGrid {
  int count = 0;
  int columns = 5;
  int icon = 32;    // a large icon's square
  int pitch = 44;   // icon and spacing, down the page
  int pitchX = 44;  // and across it, closer where the page is too narrow for the columns
  int margin = 6;
  int height = 0;  // of the page

  int Rows() const { return (count + columns - 1) / columns; }
  int PageRows() const { return pitch > 0 ? std::max(1, height / pitch) : 1; }
  // The largest scroll position: never below 0 however few the rows.
  int MaxScroll() const { return std::max(0, Rows() - PageRows()); }
  int ClampScroll(int position) const { return std::clamp(position, 0, MaxScroll()); }
  Rect32 IconRect(int index, int scroll) const;
  // The icon under (x, y) at that scroll position, or -1.
  int IconAt(int x, int y, int scroll) const;
};
IconGrid MakeIconGrid(IconSet set, bool landscape, int scale, int pageHeight, int pageWidth = 1 << 20);

// ---- Items --------------------------------------------------------------------------------------

// A target the item can hold and open: a device path ("\..."; no drive, no "\\" share) of 1 to
// 99 characters with no NUL inside.
bool IsStorableTarget(std::u16string_view path);

// A small launcher for a target, or nothing when the target does not fit its field.
std::optional<ItemRecord> MakeLauncher(std::u16string_view target, std::u16string_view name);

// Adds items at the first empty cells of the selected tab, one cell each (a gauge in the first
// three empty cells side by side of a row), never at a cell that loading would skip; what finds no
// room, or would make the tab hold more than thirty items, is dropped. Returns the number added.
int AddItems(State& state, std::span<const ItemRecord> items);

// The settings applets the Add dialog offers, and what a row of them becomes.
struct Applet {
  const char16_t* name;
  int icon;
};
std::span<const Applet> SettingsApplets();
ItemRecord AppletItem(const Applet& applet, const StripPaths& paths);
// The "Custom" rows: their texts, and what each becomes.
std::span<const char16_t* const> CustomRows();
ItemRecord CustomItem(int row, const StripPaths& paths);

// A folder's entry as the Add dialog lists it.
struct ListedEntry {
  std::u16string name;     // the file name
  std::u16string display;  // the shell's display name
  bool folder = false;
};
// Folders first, then by display name without regard to case; "." and ".." are dropped.
void SortListed(std::vector<ListedEntry>& entries);
bool IsDotEntry(std::u16string_view name);

// Empties every highlighted cell of the selected tab, and closes the tab up behind the first one
// when Auto Arrange is on. Returns the number removed.
int RemoveHighlighted(State& state);

enum class LargeIconResult { kChanged, kFull, kNothing };
// Turns the highlighted launcher or theme button of the selected tab from small to large or back.
// Growing re-flows what follows on a copy first: if anything would leave rows 0 to 2, it answers
// kFull and changes nothing.
LargeIconResult ToggleLargeIcon(State& state, const StripPaths& paths);

// Closes up the selected tab from its first cell.
void ArrangeSelected(State& state);
// Toggles Auto Arrange; switching it on closes up the selected tab.
void ToggleAutoArrange(State& state);

}  // namespace quintar::glancet::core

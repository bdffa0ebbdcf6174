// The item window "MyToday" under the Today screen. It owns the item's content (loaded from the
// data file when the window is made), lays it out whenever the screen, the tab or the data change,
// and draws and hit-tests from that one layout.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/draw.h"
#include "todayplugin/editing.h"
#include "win32/handle.h"
#include "win32/window.h"

namespace quintar::glancet {

inline constexpr wchar_t kClassName[] = L"MyToday";
inline constexpr wchar_t kWindowTitle[] = L"MyTodayScreen";
// Names the selected tab of the current page; lParam is the name (const std::u16string*).
inline constexpr UINT MSG_RENAME_TAB = WM_USER + 1;

// The screen now: the scale from its dpi, and its size.
core::Metrics MeasureScreen();
// The display name the shell gives a file, worked out from the path alone: its name, with a
// shortcut's ".lnk" hidden. Safe under the loader lock.
std::u16string NameFromPath(std::u16string_view path);
// The shell's display name of a path (SHGetFileInfo's), or NameFromPath's when it has none. Not
// under the loader lock.
std::u16string ShellDisplayName(std::u16string_view path);

class Item final : public win32::Window<Item> {
 public:
  // An item window under `parent` with the content of the data file (or the defaults when there
  // is none); the window owns it. nullptr when it cannot be made.
  static HWND Open(HINSTANCE instance, HWND parent);

 private:
  friend Window;

  explicit Item(HINSTANCE instance);
  static std::span<const win32::MessageEntry<Item>> Messages();
  static std::span<const win32::CommandEntry<Item>> Commands();
  void OnFinalMessage() noexcept;

  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM);
  LRESULT OnPress(WPARAM, LPARAM lParam);
  LRESULT OnMove(WPARAM wParam, LPARAM lParam);
  LRESULT OnRelease(WPARAM, LPARAM lParam);
  LRESULT OnRightPress(WPARAM, LPARAM lParam);
  LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM);
  LRESULT OnCopyData(WPARAM, LPARAM lParam);
  LRESULT OnClearCache(WPARAM, LPARAM) { return 0; }
  LRESULT OnQueryRefresh(WPARAM wParam, LPARAM);
  LRESULT OnRenameTab(WPARAM, LPARAM lParam);

  void GaugeCommand(int id);
  void ThemeCommand(int id);

  // Editing: tabs, icons, the Add dialog, removing, resizing and closing up.
  EditContext Editing();
  void Changed();
  void NewTabCommand();
  void RenameTabCommand();
  void DeleteTabCommand();
  void ChangeIconCommand();
  void AddCommand(int id);
  void ArrangeCommand();
  void AutoArrangeCommand();
  void RemoveCommand();
  void LargeIconCommand();

  // Tap actions: launchers, the gauges' control-panel applets, power and resets.
  void TapAction(POINT at);
  void Launch(std::u16string_view target);

  Scene View() const { return {state_, metrics_, paths_, layout_}; }
  void LayOut();
  void FollowScreen();
  void Reload(const core::Metrics& m);
  bool Save();
  bool Held(POINT at) const;
  int TabAt(POINT at) const;
  bool InNextButton(POINT at) const;
  void PressCell(POINT at);
  bool OnBacklightBar(POINT at) const;
  void SetBacklightAt(int x, bool drag);
  void DrawBacklightHighlighted();

  HINSTANCE instance_;
  bool owned_ = false;  // by the window, once it exists
  core::Metrics metrics_;
  core::StripPaths paths_;
  core::State state_{};
  core::FileImage image_{};  // what was last read or written
  core::GaugeValues gauges_;
  core::Layout layout_;
  Drawing drawing_;
  int reportedHeight_ = 0;  // unscaled, as last handed to the Today screen
  bool laidOutLandscape_ = false;
  bool dragging_ = false;  // the stylus went down on the backlight bar
  bool iconOnTab_ = true;  // the last press was on a tab rather than an item
  int addPage_ = 0;        // the Add dialog's page last asked for
  PickerMemory picker_;
  win32::Menu themeMenu_;  // the last "Select Theme" submenu, marked as themes are applied
};

}  // namespace quintar::glancet

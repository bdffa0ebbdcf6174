// Tamsk's main window: the key tree above (or beside) the value list, the menu bar and the
// commands. It owns the browser's state and the units that act on it.
#pragma once

#include <windows.h>

#include <span>

#include "regeditor/browser.h"
#include "regeditor/commands.h"
#include "win32/handle.h"
#include "win32/window.h"

namespace quintar::tamsk {

class MainWindow final : public win32::Window<MainWindow>, public Browser {
 public:
  MainWindow() = default;
  ~MainWindow();

  // Creates and shows the window (class registered on first use). nullptr on failure.
  HWND Create(HINSTANCE instance, int show);

  // Browser
  HWND Main() const noexcept override { return hwnd(); }
  HINSTANCE Instance() const noexcept override { return instance_; }
  BrowserState& State() noexcept override { return state_; }
  Tree& Keys() noexcept override { return tree_; }
  ValueList& Values() noexcept override { return list_; }
  void ShowKey(const CurrentKey& key) override;
  void UpdateMenuStates() override;

  void ShowContextMenu(HWND pane, POINT screen);
  FileChooser SetFileChooser(FileChooser chooser) noexcept { return files_.SetChooser(chooser); }

 private:
  friend Window;
  static std::span<const win32::MessageEntry<MainWindow>> Messages();
  static std::span<const win32::CommandEntry<MainWindow>> Commands();
  static LRESULT CALLBACK PaneProc(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam);

  // Messages
  LRESULT OnCreate(WPARAM, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM lParam);
  LRESULT OnNotify(WPARAM, LPARAM lParam);
  LRESULT OnListNotify(NMHDR* header);
  LRESULT OnTreeNotify(NMHDR* header);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMove(WPARAM, LPARAM lParam);
  LRESULT OnLButtonDown(WPARAM, LPARAM lParam);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnCaptureChanged(WPARAM, LPARAM);
  LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
  LRESULT OnReopenListEdit(WPARAM wParam, LPARAM);
  LRESULT OnReopenTreeEdit(WPARAM, LPARAM lParam);
  LRESULT OnAfterKeyRename(WPARAM, LPARAM lParam);

  // Commands: each gives the focus back to the pane that had it.
  template <void (MainWindow::*Run)()>
  void Own();
  template <auto Unit, auto Run>
  void Via();
  void Refresh();
  void ShowPath();
  void CopyPath();
  void Exit();
  void Rename();
  void ArrangeBy(int id);
  void SuiteMenu(int id);

  // Layout and the splitter between stacked panes.
  void Layout(int width, int height);
  RECT ChildRect(HWND child) const;
  bool InSplitter(int y) const;
  void EndDrag();
  void DragTo(int y);
  LRESULT OnPaneTapAndHold(HWND pane, LPARAM lParam);
  LRESULT CallPane(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam) const;

  HMENU MainMenu() const;
  void CheckArrange(int column);
  void ReturnFocus();

  HINSTANCE instance_ = nullptr;
  HWND menuBar_ = nullptr;
  win32::ImageList images_;  // shared by both panes, which are gone before it
  WNDPROC treeProc_ = nullptr;
  WNDPROC listProc_ = nullptr;
  bool dragging_ = false;
  bool stacked_ = true;

  BrowserState state_;
  Tree tree_{*this};
  ValueList list_;
  Editing editing_{*this};
  Files files_{*this};
  Finder finder_{*this};
};

// The thread's message loop until WM_QUIT; its exit code.
int RunMessageLoop();

}  // namespace quintar::tamsk

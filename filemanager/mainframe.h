// MainFrame: Folderon's one main window ("FolderonPLUSUNI", titled "Folderon"): command bands,
// status pane, list pane; their layout with the soft input panel; focus cycling; the folder
// hand-over from a second start; the delayed refresh that follows FolderWatcher and device
// changes; settings at start and shutdown.
#pragma once

#include <windows.h>

#include <aygshell.h>

#include <string>
#include <vector>

#include "commandbands.h"
#include "fileops/fileops.h"
#include "filemanager/core/history.h"
#include "folderwatcher.h"
#include "listpane.h"
#include "treepane.h"

namespace folderon {

inline constexpr wchar_t kWindowClass[] = L"FolderonPLUSUNI";
inline constexpr wchar_t kWindowTitle[] = L"Folderon";
inline constexpr UINT_PTR kTreeKeyTimer = 2;
inline constexpr UINT_PTR kRefreshTimer = 5;
inline constexpr UINT kRefreshDelayMs = 2000;

// The view flags and paths kept under the Settings key.
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

class MainFrame final : public ListHost {
 public:
  MainFrame() : list_(*this) {}
  ~MainFrame();
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;

  // Startup from the locale read to the end of the message loop; returns the quit code.
  int Run(HINSTANCE instance, const std::wstring& startFolder);

  // ListHost
  FolderWatcher& Watcher() override { return watcher_; }
  bool AddressBarShown() const override { return bands_.AddressShown(); }
  void ShowLoading() override;
  void ShowStatus(const std::wstring& path, unsigned long long count, unsigned long long totalBytes) override;
  void Listed(const std::wstring& path) override;
  void OpenFile(const std::wstring& path) override;

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK PaneProc(HWND, UINT, WPARAM, LPARAM);
  // Tap and hold on the list: the row under the stylus is the one the menu is for.
  void ShowListContextMenuAt(POINT client, POINT screen);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(NMHDR* header);
  LRESULT OnTreeNotify(NMHDR* header);
  void OnTreeEndLabelEdit(const NMTVDISPINFOW* info);
  void OnListEndLabelEdit(const NMLVDISPINFOW* info);
  // The watcher and the list for New Folder and the rename of rows.
  quintar::fileops::ListHooks ListEditHooks();
  // The folder context menu for the tree item under `screen`; a tap selects the item first.
  void ShowTreeContextMenu(POINT screen, bool fromTap);
  void RunCommand(UINT id);
  // The user paths in the Go-to popup, before "User Path", each with its separator after.
  void RebuildUserPathMenu();
  // The Favorites submenu's entries from the Favorites folder, and their chain of paths.
  void RebuildFavoritesMenu();
  bool IsFavoriteCommand(int id) const;
  void OnCommand(int id, int code, HWND control);
  bool OnCopyData(const COPYDATASTRUCT* data);

  void LoadSettings();
  void SaveSettings() const;
  void SetSpecialFolderDefaults();
  bool CreateChildren();
  void ApplyFont();
  void Layout();
  void Shutdown();
  void StartDelayedRefresh(bool deviceChange);
  void DelayedRefresh();
  void CycleFocus(bool forward);
  void UpdateCommandStates();
  void UpdateMenuMarks();
  bool IsEnabled(int id) const;
  int ListKeyCommand(WORD key) const;
  void ShowContextMenu(POINT screen);
  void CopySelectedText(bool fullPath);
  void ShowGoToPopup();
  void ToggleTree();
  // Re-arranges the icons after the list changed size and keeps the focused row in view.
  void ArrangeList();
  void NavigateFromTree(const std::wstring& path);
  bool TreeShown() const { return tree_.Window() && settings_.showFolder; }
  void OnSplitter(UINT msg, LPARAM lParam);

  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  CommandBands bands_;
  HWND status_ = nullptr;
  ListPane list_;
  TreePane tree_;
  // The splitter between tree and list while the stylus holds it.
  bool splitting_ = false;
  int splitStartPos_ = 0;
  int splitStartSize_ = 0;
  FrameSettings settings_;
  SpecialFolders special_;
  FolderWatcher watcher_;
  HFONT paneFont_ = nullptr;
  HMENU contextMenus_ = nullptr;
  WNDPROC listProc_ = nullptr;  // the panes' own procedures under the gesture subclass
  WNDPROC treeProc_ = nullptr;
  HWND lastFocus_ = nullptr;
  HWND focusedPane_ = nullptr;
  DWORD lastSipFlags_ = 0;
  SHACTIVATEINFO activateInfo_{};
  int osVersion_ = 0;
  bool highResolution_ = false;
  bool deviceMode_ = false;
  int showState_ = 92;
  std::wstring startFolder_;
  quintar::folderon::UserPaths userPaths_;
  std::vector<std::wstring> favorites_;  // favorite n is command 51000 + n
  std::wstring treeEditAgain_;           // the folder whose refused name is edited again
};

}  // namespace folderon

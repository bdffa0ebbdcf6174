// MainFrame: Folderon's one main window ("FolderonPLUSUNI", titled "Folderon"): command bands,
// status pane, list pane; their layout with the soft input panel; focus cycling; the folder
// hand-over from a second start; the delayed refresh that follows FolderWatcher and device
// changes; settings at start and shutdown. Its units: mainframe.cpp (the window and its
// messages), commands.cpp (the command table), menus.cpp (menus and context menus), layout.cpp
// (panes, splitter, font, focus), framesettings.cpp (what the registry keeps) and launch.cpp
// (opening files, the open-with programs and shortcuts).
#pragma once

#include <windows.h>

#include <aygshell.h>

#include <span>
#include <string>
#include <vector>

#include "filemanager/commandbands.h"
#include "filemanager/core/history.h"
#include "filemanager/core/shortcuts.h"
#include "filemanager/folderwatcher.h"
#include "filemanager/framesettings.h"
#include "filemanager/listpane.h"
#include "filemanager/resource.h"
#include "filemanager/treepane.h"
#include "fileops/archiver.h"
#include "fileops/fileops.h"
#include "win32/handle.h"
#include "win32/window.h"

namespace quintar::folderon {

inline constexpr wchar_t kWindowClass[] = L"FolderonPLUSUNI";
inline constexpr wchar_t kWindowTitle[] = L"Folderon";
inline constexpr UINT_PTR kRefreshTimer = 5;
inline constexpr UINT kRefreshDelayMs = 2000;
// Posted by the main window to itself: start the tree's label edit again after a refused name.
inline constexpr UINT MSG_TREE_EDIT_AGAIN = WM_USER + 2;
static_assert(MSG_TREE_EDIT_AGAIN != MSG_FOLDER_CHANGED);

// Favorites run from IDM_FAVORITE_FIRST up to the first fixed command above them.
inline constexpr int kFavoriteLimit = IDM_VIEW_MEDIUM;
// The command code of Up One Level when it came from Backspace in the tree.
inline constexpr int kTreeBackspace = 2;

class MainFrame final : public win32::Window<MainFrame>, public ListHost {
 public:
  MainFrame() : list_(*this) {}
  ~MainFrame() = default;

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
  friend Window;
  static std::span<const win32::MessageEntry<MainFrame>> Messages();
  static std::span<const win32::CommandEntry<MainFrame>> Commands();

  // ---- The window (mainframe.cpp) ----
  HWND CreateFrame(HINSTANCE instance, const SIPINFO& sip);
  bool CreateChildren();
  void ShowFirstTime();
  int MessageLoop();
  LRESULT OnCreate(WPARAM, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM);
  LRESULT OnActivate(WPARAM, LPARAM);
  LRESULT OnSetFocus(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnSettingChange(WPARAM, LPARAM);
  LRESULT OnCopyData(WPARAM, LPARAM);
  LRESULT OnNotify(WPARAM, LPARAM);
  LRESULT OnInitMenuPopup(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnTreeEditAgain(WPARAM, LPARAM);
  LRESULT OnDeviceChange(WPARAM, LPARAM);
  LRESULT OnFolderChanged(WPARAM, LPARAM);
  bool OpenRequestedFolder(const COPYDATASTRUCT* data);
  LRESULT OnPaneNotify(NMHDR* header);
  LRESULT OnTreeNotify(NMHDR* header);
  void OnTreeEndLabelEdit(const NMTVDISPINFOW* info);
  void OnListEndLabelEdit(const NMLVDISPINFOW* info);
  // The watcher and the list for New Folder and the rename of rows.
  fileops::ListHooks ListEditHooks();
  void Shutdown();
  void StartDelayedRefresh(bool deviceChange);
  void DelayedRefresh();

  // ---- Commands (commands.cpp) ----
  // Runs `id` as a menu or key would: only while it is enabled.
  void Execute(int id, int code);
  int ListKeyCommand(WORD key) const;
  bool TreeFocused() const;
  bool TreeShown() const { return tree_.Window() && settings_.showFolder; }
  void OnAddressCombo(int id, int code);
  void GoToUserPath(int id);
  bool HasUserPath(int id) const;
  void OpenFavorite(int id);
  bool HasFavorite(int id) const;
  void Up(int id, int code);
  bool CanGoUp() const;
  void Back();
  bool CanGoBack() const;
  void Forward();
  bool CanGoForward() const;
  void ToggleTree();
  void Refresh();
  void ToggleAddressBar();
  void ToggleStatusBar();
  void ToggleVerticalLayout();
  void ToggleDragDropMode();
  void SetViewStyle(int id);
  void CycleListStyle();
  void SetSort(int id);
  void SelectAll();
  void ReleaseSelection();
  void ReverseSelection();
  void Open();
  bool CanOpen() const;
  void Rename();
  bool CanRename() const;
  void NewFolder();
  bool CanMakeFolder() const;
  void EditUserPaths();
  void OrganizeFavorites();
  void CopyName();
  void CopyPath();
  bool CanCopyText() const;
  void CopySelectedText(bool fullPath);
  void GoToRoot();
  void GoToMyDocuments();
  void GoToStartMenu();
  void GoToDesktop();
  bool HasDesktop() const;
  void FocusNext();
  void FocusPrevious();
  void Exit();
  void SuiteMenu(int id);
  // The Options sheet and what its applied values change (optionscommand.cpp).
  void OpenOptions();
  // "Choose Program..." on the focused file row, which must have an extension.
  void ChooseProgramForFile();
  bool CanChooseProgram() const;

  // ---- Commands on the selection (itemcommands.cpp) ----
  // The list's selected rows, or the tree's folder when the tree has the focus.
  std::vector<fileops::FileItem> TakeSelection() const;
  // The tree's selected folder as an item (none for the root and the search hits).
  std::vector<fileops::FileItem> TreeFolderItem() const;
  bool CanUseSelection() const;
  // The address box has the focus: Cut, Copy and Paste act on its text, item commands rest.
  bool AddressFocused() const { return focusedPane_ && focusedPane_ == bands_.AddressCombo(); }
  void Cut();
  void Copy();
  bool CanCutOrCopy() const;
  void TakeIntoClipboard(bool cut);
  void Paste();
  bool CanPaste() const;
  // Entries on the program's clipboard and a folder to put them in.
  bool CanPasteEntries() const;
  void Delete();
  void CopyTo();
  void MoveTo();
  void SendTo(bool move);
  // The engines' hooks: the watcher paused for the run, the delayed refresh stopped before it.
  fileops::Hooks RunHooks();
  // Copies or moves, then refreshes the tree nodes involved and re-reads the list; true when it ran.
  bool Transfer(const std::wstring& source, const std::wstring& dest, std::span<fileops::FileItem> items, bool move);

  // ---- Properties and File Search (propsearchcommands.cpp) ----
  void ShowItemProperties();
  void FileSearch();

  // ---- Opening, open-with programs and shortcuts (launch.cpp) ----
  // The first selected row when it is a file and the list has the focus (never the up-level
  // row, a folder or the search hits' pseudo-folder): what Parameters and open-with act on.
  const core::FileEntry* FocusedFile() const;
  bool HasFocusedFile() const { return FocusedFile() != nullptr; }
  void OpenWithParameters();
  void OpenWithProgram(int id);
  bool CanOpenWith(int id) const;
  core::ShortcutNaming Naming() const;
  // A shortcut to `item` in `dest` under the first free name; false when none was made (no free
  // name, a name or target that does not fit, a target off the device, or a failure).
  bool CreateShortcut(const std::wstring& dest, const fileops::FileItem& item);
  // One shortcut per item in `dest`, with the wait cursor; the list is re-read when `dest` is its
  // folder.
  void CreateShortcuts(std::span<const fileops::FileItem> items, const std::wstring& dest);
  void MakeShortcuts();
  bool CanMakeShortcuts() const;
  void PasteShortcut();
  void SendShortcutTo();
  void AddFavorites();
  bool CanAddFavorites() const;

  // ---- Archives through the device's archiver (archivecommands.cpp) ----
  void Compress();
  bool CanCompress() const;
  void ExtractSelected();
  bool CanExtract() const;
  void ExtractHere();
  bool CanExtractHere() const;
  // The kind the archiver takes `name` as (0: none it can handle now).
  int ArchiveKindFor(const std::wstring& name) const;
  // Extracts each archive file (folder, name); true when any was. The chooser comes first unless
  // the archives are extracted in place.
  bool ExtractFiles(const std::vector<std::pair<std::wstring, std::wstring>>& files);

  // ---- Ctrl and Shift modes (keymodes.cpp) ----
  void ToggleCtrlMode();
  void ToggleShiftMode();
  // An edit took or lost the focus (address box, label edits).
  void SetTextFocus(bool on);
  // Presses or lets up the synthetic key: down exactly while a mode is on, the program is active
  // and no edit has the focus.
  void SyncModeKey();
  // A command this build does not have: greyed in every menu and dropped when it comes anyway.
  void NotBuilt() {}
  bool Never() const { return false; }
  void NavigateFromTree(const std::wstring& path);

  // ---- Drag and drop (dragdrop.cpp) ----
  LRESULT OnListBeginDrag(const NMLISTVIEW* info);
  LRESULT OnTreeBeginDrag(const NMTREEVIEWW* info);
  bool Dragging() const { return drag_.source != nullptr; }
  // The stylus in the main window's client coordinates while it is captured for a drag.
  void DragMove(POINT client);
  void DragRelease(POINT client, WPARAM keys);
  // Esc in a pane or the window deactivated: no drop.
  void CancelDrag();
  // Removes the drag image and lets the stylus go; the drag is over.
  void EndDrag();
  void ClearDropHighlights();
  // Asks with the drop menu when the keys say so, then copies, moves or makes shortcuts of the
  // dragged entries in `target` through the program's clipboard, which the user's is kept from.
  bool DropInto(const std::wstring& target, POINT screen, WPARAM keys, bool fromTree,
                const std::wstring& draggedFolder);
  // Entries on the program's clipboard into `dest`; false when nothing ran.
  bool PasteInto(const std::wstring& dest);
  // The drop menu's items: read from the menu's answer, never run as commands.
  void DropMenuItem() {}

  // ---- Device commands (devicecommands.cpp) ----
  // Starts a program of the device through its shell, with the Windows folder as working folder.
  void StartDeviceProgram(const wchar_t* file, const std::wstring& parameters);
  const wchar_t* InfraredProgram() const;
  void SendViaInfrared();
  void ReceiveInfrared();
  void StartPcLink();
  void StartActiveSync();
  void MailFile();
  // The Network folder is on, or the user was asked to turn it on (then the command ends).
  bool NetworkFolderReady();
  void NetworkConnect();
  void NetworkDisconnect();

  // ---- Menus (menus.cpp) ----
  static LRESULT CALLBACK PaneProc(HWND, UINT, WPARAM, LPARAM);
  void SubclassPanes();
  void RestorePanes();
  // The user paths in the Go-to popup, before "User Path", each with its separator after.
  void RebuildUserPathMenu();
  // The Favorites submenu's entries from the Favorites folder, and their chain of paths.
  void RebuildFavoritesMenu();
  // The open-with table from `SendAppPath`, and its items in the menus that hold Parameters.
  void RebuildOpenWithMenu();
  void UpdateCommandStates();
  void UpdateMenuMarks();
  // Tracks `popup` and runs the command chosen in it.
  void TrackAndRun(HMENU popup, UINT align, POINT screen);
  void ShowContextMenu(POINT screen);
  // Tap and hold on the list: the row under the stylus is the one the menu is for.
  void ShowListContextMenuAt(POINT client, POINT screen);
  // The folder context menu for the tree item under `screen`; a tap selects the item first.
  void ShowTreeContextMenu(POINT screen, bool fromTap);
  void ShowGoToPopup();

  // ---- Layout (layout.cpp) ----
  void ApplyFont();
  void Layout();
  // Re-arranges the icons after the list changed size and keeps the focused row in view.
  void ArrangeList();
  void CycleFocus(bool forward);
  LRESULT OnSplitterDown(WPARAM, LPARAM);
  LRESULT OnSplitterMove(WPARAM, LPARAM);
  LRESULT OnSplitterUp(WPARAM, LPARAM);
  LRESULT OnCaptureChanged(WPARAM, LPARAM);

  HINSTANCE instance_ = nullptr;
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
  win32::Font paneFont_;
  win32::Menu contextMenus_;
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
  core::UserPaths userPaths_;
  std::vector<std::wstring> favorites_;        // favorite n is command 51000 + n
  std::vector<core::OpenWithEntry> openWith_;  // entry n is command 50000 + n
  std::wstring treeEditAgain_;                 // the folder whose refused name is edited again
  enum class KeyMode { None, Ctrl, Shift };
  KeyMode keyMode_ = KeyMode::None;
  BYTE heldKey_ = 0;  // the synthetic key now down, or 0
  struct DragState {
    HWND source = nullptr;         // the pane the drag started in; null when none runs
    win32::ImageList image;        // the dragged row's or item's picture
    std::wstring treeFolder;       // the dragged folder of a drag from the tree (items may go meanwhile)
    bool rectangle = false;        // drawing a selection instead of dragging
    int anchor = -1;               // the rectangle's first row
  };
  DragState drag_;
  win32::KernelHandle composer_;  // the last mail composer started
  bool active_ = true;
  bool textFocus_ = false;
  fileops::ArchiverKinds archiver_;  // what "UNZip.dll" offered at start
  std::wstring chosenFolder_;        // the last "Extract To" folder
};

}  // namespace quintar::folderon

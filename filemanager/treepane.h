// TreePane: the optional folder tree beside or above the list. One root ("My Pocket PC") with
// the device's folders, filled when an item first expands, and a "File Search" item last. It
// follows the list's folder, and a folder chosen in it is shown in the list.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "win32/handle.h"

namespace quintar::folderon {

// The main window's timer that ends a keyboard walk through the tree.
inline constexpr UINT_PTR kTreeKeyTimer = 2;

class TreePane {
 public:
  TreePane() = default;
  ~TreePane();
  TreePane(const TreePane&) = delete;
  TreePane& operator=(const TreePane&) = delete;

  // `specialLeaves`: Start Menu, Network and My Documents leaf names, for the images.
  bool Create(HWND parent, HINSTANCE instance, bool visible);
  void SetSpecialLeaves(std::wstring startMenu, std::wstring network, std::wstring myDocuments);
  void Destroy();
  HWND Window() const { return tree_; }

  // Hides the tree, deletes every item, inserts the root and "File Search", expands the root.
  void RebuildRoots();
  // Walks `path` from the root (case-sensitive component match) as far as it exists; with
  // `refresh` the last item's children are read again; with `select` it is selected. The change
  // of selection made here does not navigate the list.
  void SelectPath(const std::wstring& path, bool refresh, bool select);
  // The selected item's folder ("" for the root; "File Search" for the hits' item).
  std::wstring SelectedPath() const;
  std::wstring PathOf(HTREEITEM item) const;

  // Notifications (routed by the main window). A non-empty result is a folder to show in the
  // list now.
  bool OnSelChanged(const NMTREEVIEWW* info, std::wstring& navigateTo, HWND mainWindow);
  void OnItemExpanding(const NMTREEVIEWW* info);
  // Timer 2 or loss of focus: the keyboard's pending selection.
  bool TakePendingNavigation(std::wstring& navigateTo, HWND mainWindow);
  // Selects the parent of the selected item (Up One Level with the tree focused).
  void SelectParent();

  // A folder item: neither the root nor the search hits' item.
  bool IsFolderItem(HTREEITEM item) const { return item && item != root_ && item != searchItem_; }
  bool IsSearchItem(HTREEITEM item) const { return item && item == searchItem_; }
  // The item under a point in screen coordinates, or null.
  HTREEITEM ItemAt(POINT screen) const;
  // Selects `item` as a tap would, without navigating the list.
  void SelectQuietly(HTREEITEM item);
  // The centre of the selected item's text in screen coordinates, or (0, 0) with none selected.
  POINT SelectionCentre() const;

  // Renaming a folder in place. Begin answers whether the edit may start; the result of
  // ApplyRename is the renamed folder's new path, shown in the item and sorted among its
  // siblings, or nothing when the name was refused or the move failed (`message` says why).
  bool BeginLabelEdit(HTREEITEM item);
  void EndLabelEdit() { editing_ = false; }
  bool Editing() const { return editing_; }
  std::optional<std::wstring> ApplyRename(HTREEITEM item, const std::wstring& newName,
                                          const std::function<bool(const std::wstring&, const std::wstring&)>& move,
                                          std::u16string_view& message);
  // Starts the label edit again on the folder's item (after a refused name); false when the item
  // is gone.
  bool EditAgain(const std::wstring& path);

 private:
  void FillChildren(HTREEITEM item);
  HTREEITEM InsertChild(HTREEITEM parent, const std::wstring& name, DWORD attributes, bool hasChildren);
  HTREEITEM FindChild(HTREEITEM parent, const std::wstring& text) const;
  std::wstring ItemText(HTREEITEM item) const;
  int ImageFor(const std::wstring& name, DWORD attributes, bool selected) const;

  HWND tree_ = nullptr;
  win32::ImageList images_;
  HTREEITEM root_ = nullptr;
  HTREEITEM searchItem_ = nullptr;
  bool guard_ = false;    // false while the program itself moves the selection
  bool pending_ = false;  // a keyboard selection waits for timer 2
  bool editing_ = false;  // a label edit is open
  std::wstring startMenuLeaf_ = L"Start Menu";
  std::wstring networkLeaf_ = L"Network";
  std::wstring myDocumentsLeaf_ = L"My Documents";
};

}  // namespace quintar::folderon

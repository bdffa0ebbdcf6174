#include "filemanager/treepane.h"

#include <ceservices.h>
#include <shellapi.h>

#include <vector>

#include "dialogs/dialogs.h"
#include "filemanager/core/file_entry.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/sorting.h"
#include "filemanager/resource.h"
#include "filemanager/winutil.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

enum TreeImage { kDevice, kClosed, kOpen, kCard, kMyDocuments, kStartMenu, kNetwork };
constexpr UINT kTreeKeyDelayMs = 500;

std::wstring Pattern(const std::wstring& folder) {
  auto pattern = qf::FindPattern(U16(folder));
  return pattern ? Wide(*pattern) : std::wstring();
}

// A quick look for one subfolder other than "Recycled".
bool HasSubfolder(const std::wstring& folder) {
  std::wstring pattern = Pattern(folder);
  if (pattern.empty()) return false;
  WIN32_FIND_DATAW data{};
  DeviceFind find(CeFindFirstFile(pattern.c_str(), &data));
  if (!find) return false;
  do {
    if (qf::IsTreeFolder(U16(data.cFileName), data.dwFileAttributes)) return true;
  } while (CeFindNextFile(find.get(), &data));
  return false;
}

}  // namespace

TreePane::~TreePane() { Destroy(); }

void TreePane::Destroy() {
  if (tree_) {
    DestroyWindow(tree_);
    tree_ = nullptr;
  }
  images_.reset();
}

bool TreePane::Create(HWND parent, HINSTANCE instance, bool visible) {
  tree_ =
      CreateWindowExW(0, WC_TREEVIEWW, L"",
                      WS_CHILD | (visible ? WS_VISIBLE : 0) | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                          TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TREE)), instance, nullptr);
  if (!tree_) return false;
  const int size = 16 * quintar::dialogs::ScreenScale();
  images_.reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 7, 1));
  if (images_) {
    using quintar::dialogs::SmallFolderIcon, quintar::dialogs::SmallShellIcon;
    win32::Icon icons[] = {win32::Icon(SmallShellIcon(15)),     win32::Icon(SmallFolderIcon(false)),
                           win32::Icon(SmallFolderIcon(true)),  win32::Icon(SmallShellIcon(7)),
                           win32::Icon(SmallFolderIcon(false)), win32::Icon(SmallShellIcon(19)),
                           win32::Icon(SmallShellIcon(9))};
    for (win32::Icon& icon : icons) {
      if (!icon) icon.reset(SmallFolderIcon(false));
      ImageList_AddIcon(images_.get(), icon.get());
    }
    TreeView_SetImageList(tree_, images_.get(), TVSIL_NORMAL);
  }
  RebuildRoots();
  return true;
}

void TreePane::SetSpecialLeaves(std::wstring startMenu, std::wstring network, std::wstring myDocuments) {
  startMenuLeaf_ = std::move(startMenu);
  networkLeaf_ = std::move(network);
  myDocumentsLeaf_ = std::move(myDocuments);
}

int TreePane::ImageFor(const std::wstring& name, DWORD attributes, bool selected) const {
  std::u16string n = U16(name);
  if (qf::EqualsNoCase(n, U16(startMenuLeaf_))) return kStartMenu;
  if (qf::EqualsNoCase(n, U16(networkLeaf_))) return kNetwork;
  if (attributes & FILE_ATTRIBUTE_TEMPORARY) return kCard;
  if (qf::EqualsNoCase(n, U16(myDocumentsLeaf_))) return kMyDocuments;
  return selected ? kOpen : kClosed;
}

void TreePane::RebuildRoots() {
  if (!tree_) return;
  HWND focus = GetFocus();
  bool visible = IsWindowVisible(tree_) != FALSE;
  if (visible) ShowWindow(tree_, SW_HIDE);
  guard_ = false;
  TreeView_DeleteAllItems(tree_);
  std::wstring rootName = Wide(qf::kRootName);
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_SORT;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = rootName.data();
  insert.item.iImage = insert.item.iSelectedImage = kDevice;
  insert.item.cChildren = 1;
  root_ = TreeView_InsertItem(tree_, &insert);
  TreeView_Expand(tree_, root_, TVE_EXPAND);
  std::wstring searchName = Wide(qf::kSearchPath);
  insert.hInsertAfter = TVI_LAST;
  insert.item.pszText = searchName.data();
  insert.item.cChildren = 0;
  insert.item.iImage = insert.item.iSelectedImage = kClosed;
  searchItem_ = TreeView_InsertItem(tree_, &insert);
  if (visible) ShowWindow(tree_, SW_SHOW);
  if (focus && IsWindow(focus)) SetFocus(focus);
  guard_ = true;
}

std::wstring TreePane::ItemText(HTREEITEM item) const {
  wchar_t text[MAX_PATH] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  if (!TreeView_GetItem(tree_, &tv)) return {};
  return text;
}

std::wstring TreePane::PathOf(HTREEITEM item) const {
  if (!item) return {};
  if (item == searchItem_) return Wide(qf::kSearchPath);
  std::vector<std::wstring> parts;
  for (HTREEITEM i = item; i && i != root_; i = TreeView_GetParent(tree_, i)) parts.push_back(ItemText(i));
  std::wstring path;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) path += L"\\" + *it;
  return path;
}

std::wstring TreePane::SelectedPath() const { return tree_ ? PathOf(TreeView_GetSelection(tree_)) : std::wstring(); }

HTREEITEM TreePane::FindChild(HTREEITEM parent, const std::wstring& text) const {
  for (HTREEITEM child = TreeView_GetChild(tree_, parent); child; child = TreeView_GetNextSibling(tree_, child)) {
    if (ItemText(child) == text) return child;
  }
  return nullptr;
}

HTREEITEM TreePane::InsertChild(HTREEITEM parent, const std::wstring& name, DWORD attributes, bool hasChildren) {
  std::wstring text = name;
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_SORT;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = text.data();
  insert.item.iImage = ImageFor(name, attributes, false);
  insert.item.iSelectedImage = ImageFor(name, attributes, true);
  insert.item.cChildren = hasChildren ? 1 : 0;
  return TreeView_InsertItem(tree_, &insert);
}

void TreePane::FillChildren(HTREEITEM item) {
  if (!item || item == searchItem_) return;
  std::wstring path = PathOf(item);
  // Children whose folder vanished go first.
  for (HTREEITEM child = TreeView_GetChild(tree_, item); child;) {
    HTREEITEM next = TreeView_GetNextSibling(tree_, child);
    if (!IsExistingFolder(PathOf(child))) TreeView_DeleteItem(tree_, child);
    child = next;
  }
  std::wstring pattern = Pattern(path);
  if (!pattern.empty()) {
    WIN32_FIND_DATAW data{};
    DeviceFind find(CeFindFirstFile(pattern.c_str(), &data));
    if (find) {
      do {
        if (!qf::IsTreeFolder(U16(data.cFileName), data.dwFileAttributes)) continue;
        if (FindChild(item, data.cFileName)) continue;
        auto child = qf::JoinPath(U16(path), U16(data.cFileName));
        InsertChild(item, data.cFileName, data.dwFileAttributes, child && HasSubfolder(Wide(*child)));
      } while (CeFindNextFile(find.get(), &data));
    }
  }
  TVITEMW tv{};
  tv.mask = TVIF_CHILDREN;
  tv.hItem = item;
  tv.cChildren = TreeView_GetChild(tree_, item) ? 1 : 0;
  TreeView_SetItem(tree_, &tv);
  TreeView_SortChildren(tree_, item, FALSE);
}

void TreePane::OnItemExpanding(const NMTREEVIEWW* info) {
  if (info->action & TVE_EXPAND) FillChildren(info->itemNew.hItem);
}

void TreePane::SelectPath(const std::wstring& path, bool refresh, bool select) {
  if (!tree_ || !root_) return;
  guard_ = false;
  pending_ = false;
  KillTimer(GetParent(tree_), kTreeKeyTimer);
  HTREEITEM item = root_;
  if (path == Wide(qf::kSearchPath)) {
    TreeView_Expand(tree_, root_, TVE_EXPAND);
    TreeView_SelectItem(tree_, searchItem_);
    guard_ = true;
    return;
  }
  TreeView_Expand(tree_, root_, TVE_EXPAND);
  const std::u16string path16 = U16(path);  // the parts below are views into it
  const auto parts = qf::SplitPath(path16);
  for (size_t i = 0; i < parts.size(); ++i) {
    std::wstring name = Wide(parts[i]);
    HTREEITEM child = FindChild(item, name);
    if (!child) {
      // Made since the item was filled: read the folder again before giving up on it.
      FillChildren(item);
      child = FindChild(item, name);
      if (!child) break;
    }
    item = child;
    if (i + 1 < parts.size()) TreeView_Expand(tree_, item, TVE_EXPAND);
  }
  if (refresh) {
    bool wasExpanded = (TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    FillChildren(item);
    TreeView_Expand(tree_, item, (wasExpanded && TreeView_GetChild(tree_, item)) ? TVE_EXPAND : TVE_COLLAPSE);
  }
  if (select) {
    TreeView_SelectItem(tree_, item);
    // A hidden tree has no size to scroll to; it is scrolled when it is shown.
    if (IsWindowVisible(tree_)) TreeView_EnsureVisible(tree_, item);
  }
  guard_ = true;
}

bool TreePane::OnSelChanged(const NMTREEVIEWW* info, std::wstring& navigateTo, HWND mainWindow) {
  if (!guard_) return false;
  if (info->action == TVC_BYMOUSE) {
    navigateTo = PathOf(info->itemNew.hItem);
    return true;
  }
  if (info->action == TVC_BYKEYBOARD) {
    pending_ = true;
    SetTimer(mainWindow, kTreeKeyTimer, kTreeKeyDelayMs, nullptr);
  }
  return false;
}

bool TreePane::TakePendingNavigation(std::wstring& navigateTo, HWND mainWindow) {
  KillTimer(mainWindow, kTreeKeyTimer);
  if (!pending_) return false;
  pending_ = false;
  navigateTo = SelectedPath();
  return true;
}

void TreePane::SelectParent() {
  HTREEITEM selected = TreeView_GetSelection(tree_);
  HTREEITEM parent = selected ? TreeView_GetParent(tree_, selected) : nullptr;
  if (parent) {
    guard_ = false;
    TreeView_SelectItem(tree_, parent);
    guard_ = true;
  }
}

HTREEITEM TreePane::ItemAt(POINT screen) const {
  if (!tree_) return nullptr;
  TVHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(tree_, &hit.pt);
  HTREEITEM item = TreeView_HitTest(tree_, &hit);
  return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT | TVHT_ONITEMBUTTON)) ? item : nullptr;
}

void TreePane::SelectQuietly(HTREEITEM item) {
  guard_ = false;
  TreeView_SelectItem(tree_, item);
  guard_ = true;
}

POINT TreePane::SelectionCentre() const {
  POINT centre{0, 0};
  HTREEITEM selected = tree_ ? TreeView_GetSelection(tree_) : nullptr;
  RECT rc{};
  if (selected && TreeView_GetItemRect(tree_, selected, &rc, TRUE)) {
    centre = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(tree_, &centre);
  }
  return centre;
}

bool TreePane::BeginLabelEdit(HTREEITEM item) {
  if (!IsFolderItem(item)) return false;
  editing_ = true;
  return true;
}

std::optional<std::wstring> TreePane::ApplyRename(
    HTREEITEM item, const std::wstring& newName,
    const std::function<bool(const std::wstring&, const std::wstring&)>& move, std::u16string_view& message) {
  std::u16string name = U16(newName);
  switch (qf::CheckNewName(name)) {
    case qf::NameCheck::BadCharacters:
      message = qf::kForbiddenNameMessage;
      return std::nullopt;
    case qf::NameCheck::Empty:
      message = qf::kEmptyNameMessage;
      return std::nullopt;
    case qf::NameCheck::Ok:
      break;
  }
  message = qf::kRenameFailedMessage;
  if (!IsFolderItem(item)) return std::nullopt;
  std::u16string oldPath = U16(PathOf(item));
  auto newPath = qf::JoinPath(qf::ParentPath(oldPath), name);
  if (!newPath) return std::nullopt;  // beyond the longest path
  if (*newPath == oldPath) {
    message = {};
    return Wide(oldPath);
  }
  if (!move(Wide(oldPath), Wide(*newPath))) return std::nullopt;
  message = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_HANDLE;
  tv.hItem = item;
  tv.pszText = const_cast<wchar_t*>(newName.c_str());
  TreeView_SetItem(tree_, &tv);
  if (HTREEITEM parent = TreeView_GetParent(tree_, item)) TreeView_SortChildren(tree_, parent, FALSE);
  return Wide(*newPath);
}

bool TreePane::EditAgain(const std::wstring& path) {
  if (!tree_ || !root_) return false;
  HTREEITEM item = root_;
  std::u16string path16 = U16(path);
  for (std::u16string_view component : qf::SplitPath(path16)) {
    item = FindChild(item, Wide(component));
    if (!item) return false;
  }
  if (!IsFolderItem(item)) return false;
  SetFocus(tree_);
  return TreeView_EditLabel(tree_, item) != nullptr;
}

}  // namespace quintar::folderon

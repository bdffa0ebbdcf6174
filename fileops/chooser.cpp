// The folder chooser: a full-screen dialog with a lazily filled folder tree, where folders can
// also be created and renamed on the spot. Its messages name no caption: the platform's default
// shows.
#include <windows.h>
// (these need windows.h first)
#include <commctrl.h>
#include <shellapi.h>

#include <aygshell.h>
#include <ceservices.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "fileops/fileops.h"
#include "fileops/textdialog.h"
#include "fileops/winutil.h"
#include "win32/handle.h"
#include "win32/messagebox.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"

namespace quintar::fileops {
namespace {

using core::kMaxPath;

constexpr wchar_t kRootLabel[] = L"My Pocket PC";
enum Image { kDevice = 0, kFolder = 1, kFolderOpen = 2, kCard = 3, kMyDocuments = 4 };

dialogs::TemplateSet ChooserTemplates() {
  return dialogs::TemplatesById(ids::kChooserSquare, ids::kChooserPortrait, ids::kChooserLandscape);
}

std::wstring Label(HWND tree, HTREEITEM item) { return win32::TreeItemText(tree, item); }

// "" for the root, else "\" and the labels from the first level down.
std::wstring ItemPath(HWND tree, HTREEITEM item) {
  std::vector<std::wstring> parts;
  for (HTREEITEM at = item; at; at = TreeView_GetParent(tree, at)) {
    if (!TreeView_GetParent(tree, at)) break;  // the root adds nothing
    parts.push_back(Label(tree, at));
  }
  std::wstring path;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) path.append(L"\\").append(*it);
  return path;
}

bool HasSubfolder(const std::wstring& folder) {
  if (folder.size() + 4 > kMaxPath) return false;
  WIN32_FIND_DATAW fd;
  win32::FindHandle find(
      FindFirstFileExW((folder + L"\\*.*").c_str(), FindExInfoBasic, &fd, FindExSearchLimitToDirectories, nullptr, 0));
  if (!find) return false;
  do {
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDots(fd.cFileName)) return true;
  } while (FindNextFileW(find.get(), &fd));
  return false;
}

HTREEITEM InsertChild(HWND tree, HTREEITEM parent, const wchar_t* name, int image, int selectedImage, bool children) {
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_SORT;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  ins.item.pszText = const_cast<wchar_t*>(name);
  ins.item.iImage = image;
  ins.item.iSelectedImage = selectedImage;
  ins.item.cChildren = children ? 1 : 0;
  return TreeView_InsertItem(tree, &ins);
}

void SetHasChildren(HWND tree, HTREEITEM item, bool children) {
  TVITEMW tv{};
  tv.mask = TVIF_CHILDREN;
  tv.hItem = item;
  tv.cChildren = children ? 1 : 0;
  TreeView_SetItem(tree, &tv);
}

void DeleteChildren(HWND tree, HTREEITEM item) {
  for (HTREEITEM child = TreeView_GetChild(tree, item); child;) {
    HTREEITEM next = TreeView_GetNextSibling(tree, child);
    TreeView_DeleteItem(tree, child);
    child = next;
  }
}

void Fill(HWND tree, HTREEITEM item) {
  DeleteChildren(tree, item);
  std::wstring folder = ItemPath(tree, item);
  bool any = false;
  WIN32_FIND_DATAW fd;
  CeFindHandle find;
  if (folder.size() + 4 <= kMaxPath) find.reset(CeFindFirstFile((folder + L"\\*.*").c_str(), &fd));
  if (find) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDots(fd.cFileName)) continue;
      if (CompareStringOrdinal(fd.cFileName, -1, L"Recycled", -1, TRUE) == CSTR_EQUAL) continue;
      int image = kFolder, selected = kFolderOpen;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_TEMPORARY)
        image = selected = kCard;
      else if (CompareStringOrdinal(fd.cFileName, -1, L"My Documents", -1, TRUE) == CSTR_EQUAL)
        image = selected = kMyDocuments;
      std::wstring child = folder + L"\\" + fd.cFileName;
      InsertChild(tree, item, fd.cFileName, image, selected, HasSubfolder(child));
      any = true;
    } while (CeFindNextFile(find.get(), &fd));
  }
  SetHasChildren(tree, item, any);
  TreeView_SortChildren(tree, item, FALSE);
}

HTREEITEM FindChild(HWND tree, HTREEITEM parent, const std::wstring& label) {
  for (HTREEITEM child = TreeView_GetChild(tree, parent); child; child = TreeView_GetNextSibling(tree, child))
    if (Label(tree, child) == label) return child;
  return nullptr;
}

void SelectPath(HWND tree, HTREEITEM root, const std::wstring& path) {
  HTREEITEM at = root;
  std::size_t pos = 0;
  while (pos < path.size()) {
    std::size_t next = path.find(L'\\', pos);
    if (next == std::wstring::npos) next = path.size();
    std::wstring part = path.substr(pos, next - pos);
    pos = next + 1;
    if (part.empty()) continue;
    HTREEITEM child = FindChild(tree, at, part);
    if (!child) break;
    at = child;
    TreeView_Expand(tree, at, TVE_EXPAND);
  }
  TreeView_SelectItem(tree, at);
  TreeView_EnsureVisible(tree, at);
}

// The device, a folder, an open folder, a storage card, "My Documents"; 16 x 16 at 96 dpi,
// scaled with the screen as the text is.
win32::ImageList MakeImages() {
  const int size = 16 * dialogs::ScreenScale();
  win32::ImageList list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 5, 0));
  if (!list) return list;
  using dialogs::SmallFolderIcon, dialogs::SmallShellIcon;
  HICON icons[] = {SmallShellIcon(15), SmallFolderIcon(false), SmallFolderIcon(true), SmallShellIcon(7),
                   SmallFolderIcon(false)};
  for (HICON made : icons) {
    win32::Icon icon(made);
    if (!icon) icon.reset(SmallFolderIcon(false));
    if (!icon)
      icon.reset(static_cast<HICON>(CopyImage(LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, size, size, 0)));
    ImageList_AddIcon(list.get(), icon.get());  // the list keeps a copy
  }
  return list;
}

// ---- Folder chooser ------------------------------------------------------------------------

class FolderChooser : public win32::Dialog<FolderChooser> {
 public:
  FolderChooser(std::wstring_view title, const std::wstring& path) : title_(title), path_(path) {}

  INT_PTR Run(HWND owner, const dialogs::TemplateSet& templates) {
    return dialogs::DialogBoxForShape(ResourceModule(), templates, owner, Proc, Param());
  }
  const std::wstring& Path() const noexcept { return path_; }
  bool Changed() const noexcept { return changed_; }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<FolderChooser>> Messages() {
    static constexpr win32::DialogMessageEntry<FolderChooser> kTable[] = {
        win32::On<&FolderChooser::OnInit>(WM_INITDIALOG),
        win32::On<&FolderChooser::OnNotify>(WM_NOTIFY),
        win32::On<&FolderChooser::OnSize>(WM_SIZE),
        win32::On<&FolderChooser::OnDestroy>(WM_DESTROY),
    };
    return kTable;
  }
  static std::span<const win32::CommandEntry<FolderChooser>> Commands() {
    static constexpr win32::CommandEntry<FolderChooser> kTable[] = {
        win32::Command<&FolderChooser::Done>(IDOK),
        win32::Command<&FolderChooser::Cancel>(IDCANCEL),
        win32::Command<&FolderChooser::NewFolder>(ids::kCmdNewFolder),
        win32::Command<&FolderChooser::Rename>(ids::kCmdRename),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    HWND dlg = hwnd();
    win32::InitFullScreenDialog(dlg);
    dialogs::AttachRelayout(dlg, ResourceModule(), ChooserTemplates());
    if (!title_.empty()) {
      SetWindowTextW(dlg, title_.c_str());
      SetDlgItemTextW(dlg, ids::kChooserHeader, title_.c_str());
    }
    tree_ = GetDlgItem(dlg, ids::kChooserTree);
    Stretch(dlg, ids::kChooserHeader, 4, false);
    Stretch(dlg, ids::kChooserTree, 0, true);
    {
      win32::WaitCursor wait;
      images_ = MakeImages();
      TreeView_SetImageList(tree_, images_.get(), TVSIL_NORMAL);
      SetWindowSubclass(tree_, TreeProc, 1, reinterpret_cast<DWORD_PTR>(this));
      HTREEITEM root = InsertChild(tree_, TVI_ROOT, kRootLabel, kDevice, kDevice, true);
      TreeView_Expand(tree_, root, TVE_EXPAND);
      SelectPath(tree_, root, path_);
    }
    SetFocus(tree_);
    return FALSE;
  }

  INT_PTR OnNotify(WPARAM, LPARAM lParam) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->idFrom != ids::kChooserTree) return FALSE;
    auto* tv = reinterpret_cast<NMTREEVIEWW*>(lParam);
    if (hdr->code == TVN_ITEMEXPANDINGW) {
      if (tv->action & TVE_EXPAND) {
        win32::WaitCursor wait;
        Fill(hdr->hwndFrom, tv->itemNew.hItem);
      }
      return FALSE;
    }
    if (hdr->code == TVN_ITEMEXPANDEDW) {
      if (tv->action & TVE_COLLAPSE) {
        // Read again at the next expand; the button stays.
        DeleteChildren(hdr->hwndFrom, tv->itemNew.hItem);
        SetHasChildren(hdr->hwndFrom, tv->itemNew.hItem, true);
      }
      return FALSE;
    }
    if (hdr->code == NM_RCLICK && TreeView_GetSelection(hdr->hwndFrom)) {
      POINT pt;
      GetCursorPos(&pt);
      ShowMenu(pt);
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    return FALSE;
  }

  INT_PTR OnSize(WPARAM, LPARAM) {  // after the re-layout from the shape's template
    Stretch(hwnd(), ids::kChooserHeader, 4, false);
    Stretch(hwnd(), ids::kChooserTree, 0, true);
    return FALSE;
  }

  INT_PTR OnDestroy(WPARAM, LPARAM) {
    dialogs::DetachRelayout(hwnd());
    return FALSE;
  }

  void Done() {
    HTREEITEM item = TreeView_GetSelection(tree_);
    path_ = item ? ItemPath(tree_, item) : std::wstring();
    EndDialog(hwnd(), 1);
  }

  void Cancel() { EndDialog(hwnd(), 2); }

  void NewFolder() {
    HTREEITEM parent = TreeView_GetSelection(tree_);
    if (!parent) parent = TreeView_GetRoot(tree_);
    std::wstring folder = ItemPath(tree_, parent);
    std::wstring name;
    for (int n = 1; n <= core::kChooserNewFolderLimit; ++n) {
      std::wstring candidate = win32::Wide(core::NewFolderName(n));
      std::wstring full = folder + L"\\" + candidate;
      if (full.size() > kMaxPath) break;
      if (CreateDirectoryW(full.c_str(), nullptr)) {
        name = candidate;
        break;
      }
    }
    if (name.empty()) {
      win32::ScreenMessageBox(hwnd(), L"This folder cannot be created.", nullptr, MB_OK | MB_ICONSTOP);
      return;
    }
    HTREEITEM item = nullptr;
    if (TreeView_GetItemState(tree_, parent, TVIS_EXPANDED) & TVIS_EXPANDED) {
      item = InsertChild(tree_, parent, name.c_str(), kFolder, kFolder, false);
      SetHasChildren(tree_, parent, true);
    } else {
      SetHasChildren(tree_, parent, true);
      TreeView_Expand(tree_, parent, TVE_EXPAND);  // reads the folder, the new one with it
      item = FindChild(tree_, parent, name);
      if (item) {
        TVITEMW tv{};
        tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tv.hItem = item;
        tv.iImage = tv.iSelectedImage = kFolder;
        TreeView_SetItem(tree_, &tv);
      }
    }
    TreeView_Expand(tree_, parent, TVE_EXPAND);
    if (item) TreeView_SelectItem(tree_, item);
    SetFocus(tree_);
    changed_ = true;
  }

  void Rename() {
    HTREEITEM item = TreeView_GetSelection(tree_);
    if (!item) return;
    std::wstring oldName = Label(tree_, item);
    if (!TreeView_GetParent(tree_, item)) {
      win32::ScreenMessageBox(hwnd(), (oldName + L"\n\ncannot be renamed.").c_str(), nullptr,
                              MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    TextRequest request;
    request.templates = dialogs::TemplatesById(ids::kRenameFolder, ids::kRenameFolder, ids::kRenameFolder);
    request.shownId = ids::kOldName;
    request.shown = oldName;
    request.editId = ids::kNewName;
    request.initial = oldName;
    request.maxLength = static_cast<int>(kMaxPath);
    std::wstring newName;
    INT_PTR result = AskText(hwnd(), request, newName);
    if (result == IDOK && newName != oldName) {
      std::wstring parent = ItemPath(tree_, TreeView_GetParent(tree_, item)) + L"\\";
      std::wstring from = parent + oldName, to = parent + newName;
      if (to.size() <= kMaxPath && MoveFileW(from.c_str(), to.c_str())) {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = const_cast<wchar_t*>(newName.c_str());
        TreeView_SetItem(tree_, &tv);
        changed_ = true;
      } else {
        win32::ScreenMessageBox(hwnd(), L"This file cannot be renamed.", nullptr, MB_OK | MB_ICONSTOP);
      }
    }
    SetFocus(tree_);
  }

  void ShowMenu(POINT screen) {
    win32::Menu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING, ids::kCmdNewFolder, L"New Folder");
    AppendMenuW(menu.get(), MF_STRING, ids::kCmdRename, L"Rename");
    TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0, hwnd(), nullptr);
  }

  // The tree's tap-and-hold selects the folder under the stylus and opens the menu.
  static LRESULT CALLBACK TreeProc(HWND tree, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    if (msg == WM_LBUTTONDOWN) {
      POINT down = win32::PointOf(lParam);
      if (win32::IsTapAndHold(tree, down)) {
        TVHITTESTINFO hit{};
        hit.pt = down;
        if (HTREEITEM item = TreeView_HitTest(tree, &hit)) TreeView_SelectItem(tree, item);
        if (TreeView_GetSelection(tree)) {
          POINT screen = down;
          ClientToScreen(tree, &screen);
          reinterpret_cast<FolderChooser*>(self)->ShowMenu(screen);
        }
        return 0;
      }
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(tree, TreeProc, 1);
    return DefSubclassProc(tree, msg, wParam, lParam);
  }

  std::wstring title_;
  std::wstring path_;
  bool changed_ = false;
  win32::ImageList images_;
  HWND tree_ = nullptr;
};

}  // namespace

int ChooseFolder(HWND owner, std::wstring_view title, std::wstring& path, bool* changed) {
  if (changed) *changed = false;
  if (FolderChooser::IsOpen()) return 2;
  try {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    dialogs::TemplateSet templates = ChooserTemplates();
    if (dialogs::FindDialogTemplate(ResourceModule(), templates.For(dialogs::CurrentScreenShape())).empty()) return 0;
    FolderChooser chooser(title, path);
    INT_PTR result = chooser.Run(owner, templates);
    if (changed) *changed = chooser.Changed();
    if (result == -1) return 0;
    if (result == 1) path = chooser.Path();
    return result == 1 ? 1 : 2;
  } catch (...) {
    return 2;
  }
}

}  // namespace quintar::fileops

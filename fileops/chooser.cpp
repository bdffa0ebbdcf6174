// The folder chooser: a full-screen dialog with a lazily filled folder tree, where folders can
// also be created and renamed on the spot.
#include <windows.h>
// (these need windows.h first)
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "fileops/fileops.h"
#include "fileops/winutil.h"
#include "platform/include/aygshell.h"
#include "platform/include/ceservices.h"

namespace quintar::fileops {
namespace {

using namespace detail;

constexpr wchar_t kRootLabel[] = L"My Pocket PC";
enum Image { kDevice = 0, kFolder = 1, kFolderOpen = 2, kCard = 3, kMyDocuments = 4 };

struct Chooser {
  std::wstring title;
  std::wstring path;
  bool changed = false;
  HIMAGELIST images = nullptr;
  std::wstring renameText;
  HWND tree = nullptr;
};

Chooser* gChooser = nullptr;

dialogs::TemplateSet ChooserTemplates() {
  return dialogs::TemplatesById(ids::kChooserSquare, ids::kChooserPortrait, ids::kChooserLandscape);
}

std::wstring Label(HWND tree, HTREEITEM item) {
  wchar_t text[MAX_PATH] = L"";
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  TreeView_GetItem(tree, &tv);
  return text;
}

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
  UniqueFind find(
      FindFirstFileExW((folder + L"\\*.*").c_str(), FindExInfoBasic, &fd, FindExSearchLimitToDirectories, nullptr, 0));
  if (!find.valid()) return false;
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
  HANDLE h = folder.size() + 4 <= kMaxPath ? CeFindFirstFile((folder + L"\\*.*").c_str(), &fd) : INVALID_HANDLE_VALUE;
  if (h != INVALID_HANDLE_VALUE) {
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
    } while (CeFindNextFile(h, &fd));
    CeFindClose(h);
  }
  SetHasChildren(tree, item, any);
  TreeView_SortChildren(tree, item, FALSE);
}

HTREEITEM FindChild(HWND tree, HTREEITEM parent, const std::wstring& label) {
  for (HTREEITEM child = TreeView_GetChild(tree, parent); child; child = TreeView_GetNextSibling(tree, child))
    if (Label(tree, child) == label) return child;
  return nullptr;
}

// The device, a folder, an open folder, a storage card, "My Documents"; 16 x 16 at 96 dpi,
// scaled with the screen as the text is.
HIMAGELIST MakeImages() {
  const int size = 16 * dialogs::ScreenScale();
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 5, 0);
  if (!list) return nullptr;
  using dialogs::SmallFolderIcon, dialogs::SmallShellIcon;
  HICON icons[] = {SmallShellIcon(15), SmallFolderIcon(false), SmallFolderIcon(true), SmallShellIcon(7),
                   SmallFolderIcon(false)};
  for (HICON icon : icons) {
    if (!icon) icon = SmallFolderIcon(false);
    if (!icon) icon = static_cast<HICON>(CopyImage(LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, size, size, 0));
    ImageList_AddIcon(list, icon);
    if (icon) DestroyIcon(icon);
  }
  return list;
}

// Widens the control to the client's right edge (less `margin`) and, when `toBottom`, lengthens
// it to the bottom: the full-screen dialogs take whatever the screen gives.
void Stretch(HWND dlg, int id, int margin, bool toBottom) {
  HWND control = GetDlgItem(dlg, id);
  if (!control) return;
  RECT client, rc;
  GetClientRect(dlg, &client);
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
  int bottom = toBottom ? client.bottom : rc.bottom;
  SetWindowPos(control, nullptr, 0, 0, std::max(0, static_cast<int>(client.right - margin - rc.left)),
               std::max(0, static_cast<int>(bottom - rc.top)), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepTopRight(HWND dlg, int id, int margin) {
  HWND control = GetDlgItem(dlg, id);
  if (!control) return;
  RECT client, rc;
  GetClientRect(dlg, &client);
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
  SetWindowPos(control, nullptr, client.right - margin - (rc.right - rc.left), rc.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FitRename(HWND dlg) {
  KeepTopRight(dlg, IDCANCEL, 4);
  Stretch(dlg, ids::kOldName, 4, false);
  Stretch(dlg, ids::kNewName, 4, false);
}

// ---- Rename dialog -------------------------------------------------------------------------

struct RenameState {
  std::wstring oldName;
  std::wstring newName;
};

INT_PTR CALLBACK RenameProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      auto* state = reinterpret_cast<RenameState*>(lParam);
      SHINITDLGINFO init{SHIDIM_FLAGS, dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
      SHInitDialog(&init);
      FitRename(dlg);
      SetDlgItemTextW(dlg, ids::kOldName, state->oldName.c_str());
      HWND edit = GetDlgItem(dlg, ids::kNewName);
      SendMessageW(edit, EM_LIMITTEXT, kMaxPath, 0);
      SetWindowTextW(edit, state->oldName.c_str());
      SetFocus(edit);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* state = reinterpret_cast<RenameState*>(GetWindowLongPtrW(dlg, DWLP_USER));
        wchar_t text[261] = L"";
        GetDlgItemTextW(dlg, ids::kNewName, text, 261);
        try {
          state->newName = text;
        } catch (...) {
          EndDialog(dlg, IDCANCEL);
          return TRUE;
        }
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
    case WM_SIZE:
      FitRename(dlg);
      return FALSE;
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

// ---- Commands ------------------------------------------------------------------------------

void NewFolder(HWND dlg, Chooser& chooser) {
  HWND tree = chooser.tree;
  HTREEITEM parent = TreeView_GetSelection(tree);
  if (!parent) parent = TreeView_GetRoot(tree);
  std::wstring folder = ItemPath(tree, parent);
  std::wstring name;
  for (int n = 1; n <= kChooserNewFolderLimit; ++n) {
    std::wstring candidate = W(NewFolderName(n));
    std::wstring full = folder + L"\\" + candidate;
    if (full.size() > kMaxPath) break;
    if (CreateDirectoryW(full.c_str(), nullptr)) {
      name = candidate;
      break;
    }
  }
  if (name.empty()) {
    Box(dlg, L"This folder cannot be created.", MB_OK | MB_ICONSTOP);
    return;
  }
  HTREEITEM item = nullptr;
  if (TreeView_GetItemState(tree, parent, TVIS_EXPANDED) & TVIS_EXPANDED) {
    item = InsertChild(tree, parent, name.c_str(), kFolder, kFolder, false);
    SetHasChildren(tree, parent, true);
  } else {
    SetHasChildren(tree, parent, true);
    TreeView_Expand(tree, parent, TVE_EXPAND);  // reads the folder, the new one with it
    item = FindChild(tree, parent, name);
    if (item) {
      TVITEMW tv{};
      tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
      tv.hItem = item;
      tv.iImage = tv.iSelectedImage = kFolder;
      TreeView_SetItem(tree, &tv);
    }
  }
  TreeView_Expand(tree, parent, TVE_EXPAND);
  if (item) TreeView_SelectItem(tree, item);
  SetFocus(tree);
  chooser.changed = true;
}

void Rename(HWND dlg, Chooser& chooser) {
  HWND tree = chooser.tree;
  HTREEITEM item = TreeView_GetSelection(tree);
  if (!item) return;
  std::wstring oldName = Label(tree, item);
  if (!TreeView_GetParent(tree, item)) {
    Box(dlg, oldName + L"\n\ncannot be renamed.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  bool raised = !dialogs::IsSipShown() && dialogs::ShowSip(true);
  RenameState state{oldName, {}};
  INT_PTR result = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(ids::kRenameFolder), dlg, RenameProc,
                                   reinterpret_cast<LPARAM>(&state));
  if (raised) dialogs::ShowSip(false);
  chooser.renameText = state.newName;
  if (result == IDOK && state.newName != oldName) {
    std::wstring parent = ItemPath(tree, TreeView_GetParent(tree, item)) + L"\\";
    std::wstring from = parent + oldName, to = parent + state.newName;
    if (to.size() <= kMaxPath && MoveFileW(from.c_str(), to.c_str())) {
      TVITEMW tv{};
      tv.mask = TVIF_TEXT;
      tv.hItem = item;
      tv.pszText = state.newName.data();
      TreeView_SetItem(tree, &tv);
      chooser.changed = true;
    } else {
      Box(dlg, L"This file cannot be renamed.", MB_OK | MB_ICONSTOP);
    }
  }
  SetFocus(tree);
}

void ShowMenu(HWND dlg, POINT screen) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, ids::kCmdNewFolder, L"New Folder");
  AppendMenuW(menu, MF_STRING, ids::kCmdRename, L"Rename");
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0, dlg, nullptr);
  DestroyMenu(menu);
}

LRESULT CALLBACK TreeGestureProc(HWND tree, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
  if (msg == WM_LBUTTONDOWN) {
    SHRGINFO info{};
    info.cbSize = sizeof info;
    info.hwndClient = tree;
    info.ptDown = POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    info.dwFlags = SHRG_RETURNCMD;
    if (SHRecognizeGesture(&info) == GN_CONTEXTMENU) {
      TVHITTESTINFO hit{};
      hit.pt = info.ptDown;
      if (HTREEITEM item = TreeView_HitTest(tree, &hit)) TreeView_SelectItem(tree, item);
      if (TreeView_GetSelection(tree)) {
        POINT screen = info.ptDown;
        ClientToScreen(tree, &screen);
        ShowMenu(reinterpret_cast<HWND>(ref), screen);
      }
      return 0;
    }
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(tree, TreeGestureProc, 1);
  return DefSubclassProc(tree, msg, wParam, lParam);
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

INT_PTR CALLBACK ChooserProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chooser* chooser = gChooser;
  if (!chooser) return FALSE;
  try {
    switch (msg) {
      case WM_INITDIALOG: {
        SHINITDLGINFO init{SHIDIM_FLAGS, dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
        SHInitDialog(&init);
        dialogs::AttachRelayout(dlg, ResourceModule(), ChooserTemplates());
        if (!chooser->title.empty()) {
          SetWindowTextW(dlg, chooser->title.c_str());
          SetDlgItemTextW(dlg, ids::kChooserHeader, chooser->title.c_str());
        }
        HWND tree = chooser->tree = GetDlgItem(dlg, ids::kChooserTree);
        Stretch(dlg, ids::kChooserHeader, 4, false);
        Stretch(dlg, ids::kChooserTree, 0, true);
        HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        chooser->images = MakeImages();
        TreeView_SetImageList(tree, chooser->images, TVSIL_NORMAL);
        SetWindowSubclass(tree, TreeGestureProc, 1, reinterpret_cast<DWORD_PTR>(dlg));
        HTREEITEM root = InsertChild(tree, TVI_ROOT, kRootLabel, kDevice, kDevice, true);
        TreeView_Expand(tree, root, TVE_EXPAND);
        SelectPath(tree, root, chooser->path);
        SetCursor(old);
        SetFocus(tree);
        return FALSE;
      }
      case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->idFrom != ids::kChooserTree) break;
        if (hdr->code == TVN_ITEMEXPANDINGW) {
          auto* tv = reinterpret_cast<NMTREEVIEWW*>(lParam);
          if (tv->action & TVE_EXPAND) {
            HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            Fill(hdr->hwndFrom, tv->itemNew.hItem);
            SetCursor(old);
          }
          return FALSE;
        }
        if (hdr->code == TVN_ITEMEXPANDEDW) {
          auto* tv = reinterpret_cast<NMTREEVIEWW*>(lParam);
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
          ShowMenu(dlg, pt);
          SetWindowLongPtrW(dlg, DWLP_MSGRESULT, TRUE);
          return TRUE;
        }
        break;
      }
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case IDOK: {
            HTREEITEM item = TreeView_GetSelection(chooser->tree);
            chooser->path = item ? ItemPath(chooser->tree, item) : std::wstring();
            EndDialog(dlg, 1);
            return TRUE;
          }
          case IDCANCEL:
            EndDialog(dlg, 2);
            return TRUE;
          case ids::kCmdNewFolder:
            NewFolder(dlg, *chooser);
            return TRUE;
          case ids::kCmdRename:
            Rename(dlg, *chooser);
            return TRUE;
        }
        break;
      case WM_SIZE:  // after the re-layout from the shape's template
        Stretch(dlg, ids::kChooserHeader, 4, false);
        Stretch(dlg, ids::kChooserTree, 0, true);
        return FALSE;
      case WM_DESTROY:
        dialogs::DetachRelayout(dlg);
        break;
    }
  } catch (...) {  // out of memory: the dialog stays as it was
  }
  return FALSE;
}

}  // namespace

int ChooseFolder(HWND owner, std::wstring_view title, std::wstring& path, bool* changed) {
  if (changed) *changed = false;
  if (gChooser) return 2;
  try {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    dialogs::TemplateSet templates = ChooserTemplates();
    if (dialogs::FindDialogTemplate(ResourceModule(), templates.For(dialogs::CurrentScreenShape())).empty()) return 0;
    Chooser chooser;
    chooser.title.assign(title);
    chooser.path = path;
    gChooser = &chooser;
    INT_PTR result = dialogs::DialogBoxForShape(ResourceModule(), templates, owner, ChooserProc);
    gChooser = nullptr;
    if (chooser.images) ImageList_Destroy(chooser.images);
    if (changed) *changed = chooser.changed;
    if (result == -1) return 0;
    if (result == 1) path = chooser.path;
    return result == 1 ? 1 : 2;
  } catch (...) {
    gChooser = nullptr;
    return 2;
  }
}

}  // namespace quintar::fileops

#include "todayplugin/editing.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "todayplugin/item.h"
#include "todayplugin/resource.h"
#include "win32/handle.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"

namespace quintar::glancet {

using namespace core;
using win32::U16;
using win32::Wide;

namespace {

constexpr wchar_t kCaption[] = L"Zek Pellvane";

dialogs::TemplateSet OneTemplate(int id) { return dialogs::TemplatesById(id, id, id); }

bool Landscape() { return dialogs::CurrentScreenShape() == dialogs::ScreenShape::Landscape; }

// The small icons of the shell, shared by every list and tree (never destroyed by them).
HIMAGELIST SystemSmallIcons() {
  SHFILEINFOW info = {};
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

int SystemIconOf(const std::wstring& path) {
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) return -1;
  return info.iIcon;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  return folder.ends_with(L'\\') ? folder + name : folder + L'\\' + name;
}

// The entries of a folder, sorted as the lists show them.
std::vector<ListedEntry> ListFolder(const std::wstring& folder, bool foldersOnly) {
  std::vector<ListedEntry> entries;
  WIN32_FIND_DATAW fd;
  win32::FindHandle find(FindFirstFileW(Join(folder, L"*.*").c_str(), &fd));
  if (!find) return entries;
  do {
    const bool isFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (foldersOnly && !isFolder) continue;
    std::u16string name = U16(fd.cFileName);
    entries.push_back({name, ShellDisplayName(win32::U16(Join(folder, fd.cFileName))), isFolder});
  } while (FindNextFileW(find.get(), &fd));
  SortListed(entries);
  return entries;
}

// Whether a folder holds anything at all, so its node offers expansion.
bool HoldsAnything(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  win32::FindHandle find(FindFirstFileW(Join(folder, L"*.*").c_str(), &fd));
  if (!find) return false;
  do {
    if (!IsDotEntry(win32::U16View(fd.cFileName))) return true;
  } while (FindNextFileW(find.get(), &fd));
  return false;
}

// ---- The name dialogs ------------------------------------------------------------------------------

class NameDialog : public win32::Dialog<NameDialog> {
 public:
  NameDialog(EditContext& context, bool isNew) : c_(context), new_(isNew) {}

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<NameDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<NameDialog> kMessages[] = {
        win32::On<&NameDialog::OnInit>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<NameDialog>> Commands() {
    static constexpr win32::CommandEntry<NameDialog> kCommands[] = {
        win32::Command<&NameDialog::Ok>(IDC_NAME_OK),
        win32::Command<&NameDialog::Close>(IDOK, IDCANCEL),
        win32::Command<&NameDialog::Close>(IDC_NAME_CANCEL),
    };
    return kCommands;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    dialogs::AttachSipSwitch(hwnd());
    HWND edit = GetDlgItem(hwnd(), IDC_NAME);
    if (!new_) SetWindowTextW(edit, Wide(FieldText(c_.state.tabs[c_.state.SelectedTab()].name)).c_str());
    SetFocus(edit);
    return FALSE;
  }

  void Ok() {
    wchar_t text[kNameChars] = {};
    GetDlgItemTextW(hwnd(), IDC_NAME, text, kNameChars);
    const std::u16string name = U16(text);
    if (new_) {
      switch (NewTab(c_.state, name, c_.paths)) {
        case NewTabResult::kEmptyName:
          win32::ShowMessage(hwnd(), L"The Table name can not be void!", kCaption, MB_OK);
          return;
        case NewTabResult::kTooMany:
          win32::ShowMessage(hwnd(), L"You can not insert new table, It must less then twenty tables!", kCaption,
                             MB_OK);
          return;
        case NewTabResult::kAdded:
          break;
      }
    } else {
      RenameTab(c_.state, name);
    }
    c_.changed();
    EndDialog(hwnd(), IDC_NAME_OK);
  }

  void Close(int id) { EndDialog(hwnd(), id); }

  EditContext& c_;
  bool new_;
};

// ---- The icon picker --------------------------------------------------------------------------------

class IconPicker : public win32::Dialog<IconPicker> {
 public:
  IconPicker(EditContext& context, PickerMemory& memory) : c_(context), memory_(memory) {}

  void ShowSet(IconSet set) {
    if (set != memory_.set) memory_.scroll = 0;
    memory_.set = set;
    if (memory_.chosen >= IconCount(set)) memory_.chosen = 0;
    UpdateScroll();
    InvalidateRect(hwnd(), nullptr, FALSE);
  }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<IconPicker>> Messages() {
    static constexpr win32::DialogMessageEntry<IconPicker> kMessages[] = {
        win32::On<&IconPicker::OnInit>(WM_INITDIALOG),   win32::On<&IconPicker::OnPaint>(WM_PAINT),
        win32::On<&IconPicker::OnErase>(WM_ERASEBKGND),  win32::On<&IconPicker::OnScroll>(WM_VSCROLL),
        win32::On<&IconPicker::OnPress>(WM_LBUTTONDOWN), win32::On<&IconPicker::OnSize>(WM_SIZE),
    };
    return kMessages;
  }
  static std::span<const win32::CommandEntry<IconPicker>> Commands() {
    static constexpr win32::CommandEntry<IconPicker> kCommands[] = {
        win32::Command<&IconPicker::OnType>(IDM_TYPE_SYSTEM),
        win32::Command<&IconPicker::OnType>(IDM_TYPE_CUSTOM),
    };
    return kCommands;
  }

  IconGrid Grid() const {
    RECT rc = {};
    GetClientRect(hwnd(), &rc);
    return MakeIconGrid(memory_.set, Landscape(), c_.metrics.scale, rc.bottom, rc.right);
  }

  void UpdateScroll() {
    IconGrid g = Grid();
    memory_.scroll = g.ClampScroll(memory_.scroll);
    SCROLLINFO si = {sizeof si,
                     SIF_RANGE | SIF_PAGE | SIF_POS,
                     0,
                     std::max(0, g.Rows() - 1),
                     static_cast<UINT>(g.PageRows()),
                     memory_.scroll,
                     0};
    SetScrollInfo(hwnd(), SB_VERT, &si, TRUE);
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    UpdateScroll();
    return FALSE;
  }
  INT_PTR OnSize(WPARAM, LPARAM) {
    UpdateScroll();
    return TRUE;
  }
  INT_PTR OnErase(WPARAM, LPARAM) {
    SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 1);
    return TRUE;  // the paint covers everything
  }

  void OnType(int id) { ShowSet(id == IDM_TYPE_CUSTOM ? IconSet::kCustom : IconSet::kSystem); }

  INT_PTR OnScroll(WPARAM wParam, LPARAM) {
    IconGrid g = Grid();
    int pos = memory_.scroll;
    switch (LOWORD(wParam)) {
      case SB_LINEUP:
        --pos;
        break;
      case SB_LINEDOWN:
        ++pos;
        break;
      case SB_PAGEUP:
        pos -= g.PageRows();
        break;
      case SB_PAGEDOWN:
        pos += g.PageRows();
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        pos = HIWORD(wParam);
        break;
      case SB_TOP:
        pos = 0;
        break;
      case SB_BOTTOM:
        pos = g.MaxScroll();
        break;
      default:
        return TRUE;
    }
    memory_.scroll = g.ClampScroll(pos);
    UpdateScroll();
    InvalidateRect(hwnd(), nullptr, FALSE);
    return TRUE;
  }

  INT_PTR OnPress(WPARAM, LPARAM lParam) {
    POINT at = win32::PointOf(lParam);
    int index = Grid().IconAt(at.x, at.y, memory_.scroll);
    if (index >= 0) {
      memory_.chosen = index;
      InvalidateRect(hwnd(), nullptr, FALSE);
    }
    return TRUE;
  }

  INT_PTR OnPaint(WPARAM, LPARAM) {
    win32::PaintDc paint(hwnd());
    RECT rc = {};
    GetClientRect(hwnd(), &rc);
    win32::MemoryDc mem(CreateCompatibleDC(paint.get()));
    win32::Bitmap buffer(
        CreateCompatibleBitmap(paint.get(), std::max<LONG>(1, rc.right), std::max<LONG>(1, rc.bottom)));
    if (!mem || !buffer) return TRUE;
    {
      win32::Selection selected(mem.get(), buffer.get());
      FillRect(mem.get(), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      const std::wstring folder = Wide(c_.paths.folder);
      drawing_.Picture(mem.get(), c_.scene, folder + L"write.bmp", rc);
      const IconGrid g = Grid();
      const std::wstring strip = Wide(LargeStrip(c_.paths, memory_.set));
      const std::wstring back = folder + (c_.metrics.scale == 2 ? L"bk64.bmp" : L"bk32.bmp");
      for (int i = 0; i < g.count; ++i) {
        Rect32 r = g.IconRect(i, memory_.scroll);
        if (r.bottom <= 0 || r.top >= rc.bottom) continue;
        if (i == memory_.chosen) {
          const int pad = 4 * c_.metrics.scale;
          drawing_.StripIcon(mem.get(), c_.scene, back, 0, r.left - pad, r.top - pad, g.icon + 2 * pad);
        }
        drawing_.StripIcon(mem.get(), c_.scene, strip, i, r.left, r.top, g.icon);
      }
      BitBlt(paint.get(), 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
    }
    return TRUE;
  }

  EditContext& c_;
  PickerMemory& memory_;
  Drawing drawing_;
};

// ---- The icon dialog ---------------------------------------------------------------------------------

class IconDialog : public win32::Dialog<IconDialog> {
 public:
  IconDialog(EditContext& context, PickerMemory& memory, bool toTab)
      : c_(context), memory_(memory), toTab_(toTab), picker_(context, memory) {}

  static dialogs::TemplateSet Templates() {
    return dialogs::TemplatesById(IDD_ICON_SQUARE, IDD_ICON_PORTRAIT, IDD_ICON_LANDSCAPE);
  }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<IconDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<IconDialog> kMessages[] = {
        win32::On<&IconDialog::OnInit>(WM_INITDIALOG),
        win32::On<&IconDialog::OnSize>(WM_SIZE),
    };
    return kMessages;
  }
  static std::span<const win32::CommandEntry<IconDialog>> Commands() {
    static constexpr win32::CommandEntry<IconDialog> kCommands[] = {
        win32::Command<&IconDialog::Ok>(IDOK),
        win32::Command<&IconDialog::Cancel>(IDCANCEL),
        win32::Command<&IconDialog::OnSet>(IDC_CLASS),
    };
    return kCommands;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    win32::InitFullScreenDialog(hwnd());
    dialogs::AttachRelayout(hwnd(), c_.instance, Templates());
    HWND combo = GetDlgItem(hwnd(), IDC_CLASS);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"System"));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Custom"));
    SendMessageW(combo, CB_SETCURSEL, memory_.set == IconSet::kCustom ? 1 : 0, 0);
    page_ = dialogs::CreateDialogForShape(
        c_.instance, dialogs::TemplatesById(IDD_PICKER_SQUARE, IDD_PICKER_PORTRAIT, IDD_PICKER_LANDSCAPE), hwnd(),
        IconPicker::Proc, picker_.Param());
    PlacePage();
    if (page_) ShowWindow(page_, SW_SHOW);
    return TRUE;
  }

  INT_PTR OnSize(WPARAM, LPARAM) {
    PlacePage();
    return FALSE;
  }

  // Below the set's box: lower down in portrait and square, as the device has it; in landscape
  // that would leave no room for a single row, so the page starts under the box there.
  void PlacePage() {
    if (!page_) return;
    RECT rc = {};
    GetClientRect(hwnd(), &rc);
    const int s = c_.metrics.scale;
    const dialogs::ScreenShape shape = dialogs::CurrentScreenShape();
    int top = shape == dialogs::ScreenShape::Square ? 70 * s : 170 * s;
    if (shape == dialogs::ScreenShape::Landscape) top = 36 * s;
    SetWindowPos(page_, nullptr, 0, top, rc.right, std::max<LONG>(0, rc.bottom - top), SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void OnSet(int, int code) {
    if (code != CBN_CLOSEUP && code != CBN_SELCHANGE) return;
    LRESULT sel = SendDlgItemMessageW(hwnd(), IDC_CLASS, CB_GETCURSEL, 0, 0);
    if (page_) SendMessageW(page_, WM_COMMAND, sel == 1 ? IDM_TYPE_CUSTOM : IDM_TYPE_SYSTEM, 0);
  }

  void Ok() {
    if (ApplyIcon(c_.state, toTab_, memory_.set, memory_.chosen, c_.paths)) c_.changed();
    EndDialog(hwnd(), IDOK);
  }
  void Cancel() { EndDialog(hwnd(), IDCANCEL); }

  EditContext& c_;
  PickerMemory& memory_;
  bool toTab_;
  IconPicker picker_;
  HWND page_ = nullptr;
};

// ---- The Add dialog's pages ----------------------------------------------------------------------

// Adds what a page picked, saves and closes the whole Add dialog.
void FinishAdding(EditContext& c, HWND page, const std::vector<ItemRecord>& items) {
  AddItems(c.state, items);
  c.changed();
  EndDialog(GetParent(page), IDOK);
}

class ItemsPage : public win32::Dialog<ItemsPage> {
 public:
  explicit ItemsPage(EditContext& context) : c_(context) {}

  // The Add dialog's OK: every checked row.
  void Commit() {
    std::vector<ItemRecord> items;
    HWND list = List();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (!ListView_GetCheckState(list, static_cast<int>(i)) || !rows_[i].item) continue;
      if (rows_[i].mustExist && GetFileAttributesW(WidePtr(rows_[i].item->target)) == INVALID_FILE_ATTRIBUTES) continue;
      items.push_back(*rows_[i].item);
    }
    FinishAdding(c_, hwnd(), items);
  }

 private:
  friend Dialog;

  struct Row {
    std::optional<ItemRecord> item;  // none: a target that does not fit
    bool mustExist = false;
  };

  static const wchar_t* WidePtr(const char16_t* text) { return win32::WidePtr(text); }

  static std::span<const win32::DialogMessageEntry<ItemsPage>> Messages() {
    static constexpr win32::DialogMessageEntry<ItemsPage> kMessages[] = {win32::On<&ItemsPage::OnInit>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<ItemsPage>> Commands() {
    static constexpr win32::CommandEntry<ItemsPage> kCommands[] = {
        win32::Command<&ItemsPage::OnClass>(IDC_CLASS),
        win32::Command<&ItemsPage::SelectAll>(IDC_SELECT_ALL),
        win32::Command<&ItemsPage::UnselectAll>(IDC_UNSELECT_ALL),
    };
    return kCommands;
  }

  HWND List() const { return GetDlgItem(hwnd(), IDC_ITEM_LIST); }

  INT_PTR OnInit(WPARAM, LPARAM) {
    HWND combo = GetDlgItem(hwnd(), IDC_CLASS);
    for (const wchar_t* text : {L"Programs", L"Settings", L"My Documents", L"Custom"})
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    HWND list = List();
    SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 180 * c_.metrics.scale;
    column.pszText = const_cast<wchar_t*>(L"Name");
    ListView_InsertColumn(list, 0, &column);
    const bool two = c_.metrics.scale == 2;
    const int size = c_.metrics.SmallIcon();
    const std::wstring folder = Wide(c_.paths.folder);
    settingsIcons_.reset(ImageList_LoadImageW(nullptr, Wide(c_.paths.smallSettings).c_str(), size, 0, CLR_DEFAULT,
                                              IMAGE_BITMAP, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    customIcons_.reset(ImageList_LoadImageW(nullptr, (folder + (two ? L"itself32.bmp" : L"itself16.bmp")).c_str(), size,
                                            0, CLR_DEFAULT, IMAGE_BITMAP, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    Fill(0);
    return TRUE;
  }

  void OnClass(int, int code) {
    if (code != CBN_SELCHANGE && code != CBN_CLOSEUP) return;
    LRESULT sel = SendDlgItemMessageW(hwnd(), IDC_CLASS, CB_GETCURSEL, 0, 0);
    if (sel >= 0 && sel != shown_) Fill(static_cast<int>(sel));
  }

  void AddRow(const std::wstring& text, int image, Row row) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(rows_.size());
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    rows_.push_back(std::move(row));
    ListView_InsertItem(List(), &item);
  }

  void Fill(int which) {
    shown_ = which;
    HWND list = List();
    ListView_DeleteAllItems(list);
    rows_.clear();
    if (which == 0 || which == 2) {
      ListView_SetImageList(list, SystemSmallIcons(), LVSIL_SMALL);
      const std::wstring folder = which == 0 ? L"\\Windows\\Start Menu\\Programs" : L"\\My Documents";
      for (const ListedEntry& e : ListFolder(folder, false)) {
        const std::wstring path = Join(folder, Wide(e.name));
        AddRow(Wide(e.display), SystemIconOf(path), {MakeLauncher(win32::U16(path), e.display), true});
      }
    } else if (which == 1) {
      ListView_SetImageList(list, settingsIcons_.get(), LVSIL_SMALL);
      for (const Applet& a : SettingsApplets())
        AddRow(win32::WidePtr(a.name), a.icon, {AppletItem(a, c_.paths), false});
    } else {
      ListView_SetImageList(list, customIcons_.get(), LVSIL_SMALL);
      auto texts = CustomRows();
      for (std::size_t i = 0; i < texts.size(); ++i)
        AddRow(win32::WidePtr(texts[i]), static_cast<int>(i), {CustomItem(static_cast<int>(i), c_.paths), false});
    }
  }

  void Check(bool on) {
    for (std::size_t i = 0; i < rows_.size(); ++i) ListView_SetCheckState(List(), static_cast<int>(i), on);
  }
  void SelectAll() { Check(true); }
  void UnselectAll() { Check(false); }

  EditContext& c_;
  std::vector<Row> rows_;
  int shown_ = -1;
  win32::ImageList settingsIcons_, customIcons_;
};

// The Files and Folders pages: a tree of the device, filled level by level as it opens.
class TreePage : public win32::Dialog<TreePage> {
 public:
  TreePage(EditContext& context, bool foldersOnly) : c_(context), foldersOnly_(foldersOnly) {}

 private:
  friend Dialog;

  struct Node {
    std::wstring path;
    bool folder = false;
    bool filled = false;
  };

  static std::span<const win32::DialogMessageEntry<TreePage>> Messages() {
    static constexpr win32::DialogMessageEntry<TreePage> kMessages[] = {
        win32::On<&TreePage::OnInit>(WM_INITDIALOG),
        win32::On<&TreePage::OnNotify>(WM_NOTIFY),
    };
    return kMessages;
  }
  static std::span<const win32::CommandEntry<TreePage>> Commands() {
    static constexpr win32::CommandEntry<TreePage> kCommands[] = {
        win32::Command<&TreePage::Ok>(IDC_PAGE_OK),
        win32::Command<&TreePage::Cancel>(IDC_PAGE_CANCEL),
    };
    return kCommands;
  }

  int TreeId() const { return foldersOnly_ ? IDC_FOLDER_TREE : IDC_FILE_TREE; }
  HWND Tree() const { return GetDlgItem(hwnd(), TreeId()); }

  HTREEITEM Insert(HTREEITEM parent, const std::wstring& text, Node node) {
    TVINSERTSTRUCTW ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<wchar_t*>(text.c_str());
    ins.item.cChildren = node.folder && HoldsAnything(node.path) ? 1 : 0;
    ins.item.iImage = ins.item.iSelectedImage = SystemIconOf(node.path);
    ins.item.lParam = static_cast<LPARAM>(nodes_.size());
    nodes_.push_back(std::move(node));
    return TreeView_InsertItem(Tree(), &ins);
  }

  const Node* NodeOf(HTREEITEM item) const {
    TVITEMW tv = {};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!item || !TreeView_GetItem(Tree(), &tv)) return nullptr;
    auto index = static_cast<std::size_t>(tv.lParam);
    return index < nodes_.size() ? &nodes_[index] : nullptr;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    TreeView_SetImageList(Tree(), SystemSmallIcons(), TVSIL_NORMAL);
    HTREEITEM root = Insert(TVI_ROOT, L"\\", {L"\\", true, false});
    Fill(root);
    TreeView_SelectItem(Tree(), root);
    TreeView_Expand(Tree(), root, TVE_EXPAND);
    UpdateOk();
    return TRUE;
  }

  void Fill(HTREEITEM item) {
    TVITEMW tv = {};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!TreeView_GetItem(Tree(), &tv) || static_cast<std::size_t>(tv.lParam) >= nodes_.size()) return;
    const auto index = static_cast<std::size_t>(tv.lParam);
    if (nodes_[index].filled) return;
    nodes_[index].filled = true;
    const std::wstring folder = nodes_[index].path;
    for (const ListedEntry& e : ListFolder(folder, foldersOnly_)) {
      const std::wstring path = Join(folder, Wide(e.name));
      // Folders that are exactly directory, system and hidden are the device's own.
      DWORD attributes = GetFileAttributesW(path.c_str());
      if (e.folder && attributes == (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN))
        continue;
      Insert(item, Wide(e.name), {path, e.folder, false});
    }
  }

  void UpdateOk() {
    const Node* node = NodeOf(TreeView_GetSelection(Tree()));
    const bool usable = node && (foldersOnly_ ? node->folder : !node->folder);
    EnableWindow(GetDlgItem(hwnd(), IDC_PAGE_OK), usable);
  }

  INT_PTR OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->idFrom != static_cast<UINT_PTR>(TreeId())) return FALSE;
    if (header->code == TVN_ITEMEXPANDINGW) {
      const auto* tv = reinterpret_cast<const NMTREEVIEWW*>(lParam);
      if (!TreeView_GetSelection(Tree())) {
        win32::ShowMessage(hwnd(), L"No Items in TreeView", L"Error", MB_ICONINFORMATION);
        return FALSE;
      }
      if (tv->action & TVE_EXPAND) Fill(tv->itemNew.hItem);
    } else if (header->code == TVN_SELCHANGEDW) {
      // A chosen folder is read now, so that it opens at once.
      const auto* tv = reinterpret_cast<const NMTREEVIEWW*>(lParam);
      if (const Node* node = NodeOf(tv->itemNew.hItem); node && node->folder) Fill(tv->itemNew.hItem);
      UpdateOk();
    }
    return FALSE;
  }

  void Ok() {
    const Node* node = NodeOf(TreeView_GetSelection(Tree()));
    if (!node || node->folder != foldersOnly_) return;
    std::vector<ItemRecord> items;
    const std::u16string path = win32::U16(node->path);
    if (auto launcher = MakeLauncher(path, ShellDisplayName(path))) items.push_back(*launcher);
    FinishAdding(c_, hwnd(), items);
  }
  void Cancel() { EndDialog(GetParent(hwnd()), IDCANCEL); }

  EditContext& c_;
  bool foldersOnly_;
  std::vector<Node> nodes_;
};

// ---- The Add dialog ----------------------------------------------------------------------------

class AddDialog : public win32::Dialog<AddDialog> {
 public:
  AddDialog(EditContext& context, int page)
      : c_(context),
        first_(page < 0 || page > 2 ? 0 : page),
        items_(context),
        files_(context, false),
        folders_(context, true) {}

  static dialogs::TemplateSet Templates() {
    return dialogs::TemplatesById(IDD_ADD_SQUARE, IDD_ADD_PORTRAIT, IDD_ADD_LANDSCAPE);
  }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<AddDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<AddDialog> kMessages[] = {
        win32::On<&AddDialog::OnInit>(WM_INITDIALOG),
        win32::On<&AddDialog::OnNotify>(WM_NOTIFY),
        win32::On<&AddDialog::OnSize>(WM_SIZE),
    };
    return kMessages;
  }
  static std::span<const win32::CommandEntry<AddDialog>> Commands() {
    static constexpr win32::CommandEntry<AddDialog> kCommands[] = {
        win32::Command<&AddDialog::Ok>(IDOK),
        win32::Command<&AddDialog::Cancel>(IDCANCEL),
    };
    return kCommands;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    win32::InitFullScreenDialog(hwnd());
    dialogs::AttachRelayout(hwnd(), c_.instance, Templates());
    SetDlgItemTextW(hwnd(), IDC_TAB_OF, Wide(FieldText(c_.state.tabs[c_.state.SelectedTab()].name)).c_str());
    HWND tabs = GetDlgItem(hwnd(), IDC_ADD_TABS);
    const int s = c_.metrics.scale;
    // Three tabs of 80 (scaled) each, narrower where the screen has no room for them.
    RECT strip = {};
    GetClientRect(tabs, &strip);
    const int tabWidth = std::min<int>(80 * s, (strip.right - 6 * s) / 3);
    SendMessageW(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(tabWidth, 20 * s));
    SendMessageW(tabs, TCM_SETPADDING, 0, MAKELPARAM(10 * s, 3 * s));
    const wchar_t* names[] = {L"Items", L"Files", L"Folders"};
    for (int i = 0; i < 3; ++i) {
      TCITEMW tab = {};
      tab.mask = TCIF_TEXT;
      tab.pszText = const_cast<wchar_t*>(names[i]);
      TabCtrl_InsertItem(tabs, i, &tab);
    }
    TabCtrl_SetCurSel(tabs, first_);
    Show(first_);
    return TRUE;
  }

  static dialogs::TemplateSet PageTemplates(int page) {
    if (page == 1) return dialogs::TemplatesById(IDD_FILES_SQUARE, IDD_FILES_PORTRAIT, IDD_FILES_LANDSCAPE);
    if (page == 2) return dialogs::TemplatesById(IDD_FOLDERS_SQUARE, IDD_FOLDERS_PORTRAIT, IDD_FOLDERS_LANDSCAPE);
    return dialogs::TemplatesById(IDD_ITEMS_SQUARE, IDD_ITEMS_PORTRAIT, IDD_ITEMS_LANDSCAPE);
  }

  // Each page is made once per dialog, the first time it is shown.
  void Show(int page) {
    if (!pages_[page]) {
      DLGPROC proc = page == 0 ? &ItemsPage::Proc : &TreePage::Proc;
      LPARAM param = page == 0 ? items_.Param() : (page == 1 ? files_.Param() : folders_.Param());
      pages_[page] = dialogs::CreateDialogForShape(c_.instance, PageTemplates(page), hwnd(), proc, param);
      if (pages_[page]) dialogs::AttachRelayout(pages_[page], c_.instance, PageTemplates(page));
    }
    current_ = page;
    Place();
    for (int i = 0; i < 3; ++i)
      if (pages_[i]) ShowWindow(pages_[i], i == page ? SW_SHOW : SW_HIDE);
  }

  void Place() {
    const int s = c_.metrics.scale;
    SIZE size = {240 * s, 220 * s};
    switch (dialogs::CurrentScreenShape()) {
      case dialogs::ScreenShape::Landscape:
        size = {320 * s, 148 * s};
        break;
      case dialogs::ScreenShape::Square:
        size = {240 * s, 148 * s};
        break;
      case dialogs::ScreenShape::Portrait:
        break;
    }
    for (HWND page : pages_)
      if (page) SetWindowPos(page, HWND_TOP, 2 * s, 70 * s, size.cx, size.cy, SWP_NOACTIVATE);
  }

  INT_PTR OnSize(WPARAM, LPARAM) {
    Place();
    return FALSE;
  }

  INT_PTR OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_ADD_TABS && header->code == TCN_SELCHANGE) {
      int page = TabCtrl_GetCurSel(GetDlgItem(hwnd(), IDC_ADD_TABS));
      if (page >= 0 && page < 3) Show(page);
    }
    return FALSE;
  }

  void Ok() {
    if (current_ == 0 && pages_[0]) {
      items_.Commit();  // adds, saves and closes
      return;
    }
    EndDialog(hwnd(), IDOK);
  }
  void Cancel() { EndDialog(hwnd(), IDCANCEL); }

  EditContext& c_;
  int first_;
  int current_ = 0;
  HWND pages_[3] = {};
  ItemsPage items_;
  TreePage files_, folders_;
};

}  // namespace

void RunNewTabDialog(HWND owner, EditContext& context) {
  NameDialog dialog(context, true);
  dialogs::DialogBoxForShape(context.instance, OneTemplate(IDD_NEW_TAB), owner, NameDialog::Proc, dialog.Param());
}

void RunRenameTabDialog(HWND owner, EditContext& context) {
  NameDialog dialog(context, false);
  dialogs::DialogBoxForShape(context.instance, OneTemplate(IDD_TAB_NAME), owner, NameDialog::Proc, dialog.Param());
}

void RunIconDialog(HWND owner, EditContext& context, PickerMemory& memory, bool toTab) {
  IconDialog dialog(context, memory, toTab);
  dialogs::DialogBoxForShape(context.instance, IconDialog::Templates(), owner, IconDialog::Proc, dialog.Param());
}

void RunAddDialog(HWND owner, EditContext& context, int page) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  AddDialog dialog(context, page);
  dialogs::DialogBoxForShape(context.instance, AddDialog::Templates(), owner, AddDialog::Proc, dialog.Param());
}

}  // namespace quintar::glancet

// The device's file dialog library ("\Windows\getFiles.dll"): gsGetOpenFileName and
// gsGetSaveFileName take the platform's open-file-name record and show a full-screen dialog with
// the device's folder tree and a name box. Each request is recorded in the device's event log.
#include "device/getfiles/getfiles.h"

#include <windows.h>

#include <commctrl.h>

#include <span>
#include <string>

#include "device/shell/devicelog_dyn.h"
#include "win32/handle.h"
#include "win32/messagebox.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr wchar_t kRootText[] = L"My Pocket PC";

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.empty() ? L"\\" : path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first description of the record's filter ("ZIP Files(*.zip)").
std::wstring FirstFilter(const OPENFILENAMEW& ofn) {
  const wchar_t* filter = ofn.lpstrFilter;
  if (!filter) return {};
  for (DWORD n = 1; n < ofn.nFilterIndex && *filter; ++n) {
    filter += wcslen(filter) + 1;
    if (*filter) filter += wcslen(filter) + 1;
  }
  return *filter ? filter : ofn.lpstrFilter;
}

class FileDialog : public quintar::win32::Dialog<FileDialog> {
 public:
  FileDialog(OPENFILENAMEW& ofn, bool save) : ofn_(ofn), save_(save) {}

 private:
  friend Dialog;

  static std::span<const quintar::win32::DialogMessageEntry<FileDialog>> Messages() {
    static constexpr quintar::win32::DialogMessageEntry<FileDialog> kTable[] = {
        quintar::win32::On<&FileDialog::OnInit>(WM_INITDIALOG),
        quintar::win32::On<&FileDialog::OnSize>(WM_SIZE),
        quintar::win32::On<&FileDialog::OnNotify>(WM_NOTIFY),
        quintar::win32::On<&FileDialog::OnClose>(WM_CLOSE),
    };
    return kTable;
  }
  static std::span<const quintar::win32::CommandEntry<FileDialog>> Commands() {
    static constexpr quintar::win32::CommandEntry<FileDialog> kTable[] = {
        quintar::win32::Command<&FileDialog::Done>(IDOK),
        quintar::win32::Command<&FileDialog::Cancel>(IDCANCEL),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    HWND dlg = hwnd();
    quintar::win32::InitFullScreenDialog(dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN);
    SetWindowTextW(dlg, ofn_.lpstrTitle ? ofn_.lpstrTitle : (save_ ? L"Save As" : L"Open"));
    SetDlgItemTextW(dlg, IDC_GF_TYPE, FirstFilter(ofn_).c_str());
    tree_ = GetDlgItem(dlg, IDC_GF_FOLDERS);
    HTREEITEM root = Insert(TVI_ROOT, kRootText);
    // The start folder is opened down to its own item; the name box takes the record's name.
    std::wstring start = ofn_.lpstrInitialDir && IsFolder(ofn_.lpstrInitialDir) ? ofn_.lpstrInitialDir : L"";
    HTREEITEM at = root;
    for (size_t from = 1; at && from <= start.size();) {
      size_t end = start.find(L'\\', from);
      if (end == std::wstring::npos) end = start.size();
      TreeView_Expand(tree_, at, TVE_EXPAND);
      at = Child(at, start.substr(from, end - from));
      from = end + 1;
    }
    TreeView_SelectItem(tree_, at ? at : root);
    TreeView_Expand(tree_, at ? at : root, TVE_EXPAND);
    HWND name = GetDlgItem(dlg, IDC_GF_NAME);
    SendMessageW(name, EM_LIMITTEXT, MAX_PATH - 1, 0);
    if (ofn_.lpstrFile && ofn_.nMaxFile) {
      std::wstring initial(ofn_.lpstrFile, wcsnlen(ofn_.lpstrFile, ofn_.nMaxFile));
      SetWindowTextW(name, initial.substr(initial.rfind(L'\\') + 1).c_str());
    }
    Fit();
    SetFocus(name);
    return FALSE;
  }

  INT_PTR OnSize(WPARAM, LPARAM) {
    Fit();
    return FALSE;
  }

  INT_PTR OnClose(WPARAM, LPARAM) {
    Cancel();
    return TRUE;
  }

  // The tree fills the screen above the name row and the buttons.
  void Fit() {
    RECT client;
    GetClientRect(hwnd(), &client);
    RECT unit{0, 0, 4, 14};
    MapDialogRect(hwnd(), &unit);
    const int gap = unit.right, row = unit.bottom, width = client.right - 2 * gap;
    const int bottom = client.bottom - gap;
    auto place = [&](int id, int x, int y, int w, int h) {
      SetWindowPos(GetDlgItem(hwnd(), id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int buttonWidth = width / 4;
    place(IDCANCEL, client.right - gap - buttonWidth, bottom - row, buttonWidth, row);
    place(IDOK, client.right - 2 * (gap + buttonWidth), bottom - row, buttonWidth, row);
    place(IDC_GF_TYPE, gap, bottom - row, width - 2 * (gap + buttonWidth), row);
    const int nameTop = bottom - 2 * row - gap;
    const int labelWidth = width / 5;
    place(IDC_GF_NAME_LABEL, gap, nameTop + 2, labelWidth, row - 2);
    place(IDC_GF_NAME, gap + labelWidth, nameTop, width - labelWidth, row);
    place(IDC_GF_FOLDERS, gap, gap, width, nameTop - 2 * gap);
  }

  HTREEITEM Insert(HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.cChildren = 1;
    return TreeView_InsertItem(tree_, &insert);
  }

  std::wstring TextOf(HTREEITEM item) const { return quintar::win32::TreeItemText(tree_, item); }

  // "" for the root item, "\a\b" below it.
  std::wstring PathOf(HTREEITEM item) const {
    std::wstring path;
    for (HTREEITEM parent; item && (parent = TreeView_GetParent(tree_, item)) != nullptr; item = parent)
      path = L"\\" + TextOf(item) + path;
    return path;
  }

  HTREEITEM Child(HTREEITEM parent, const std::wstring& name) const {
    for (HTREEITEM child = TreeView_GetChild(tree_, parent); child; child = TreeView_GetNextSibling(tree_, child))
      if (lstrcmpiW(TextOf(child).c_str(), name.c_str()) == 0) return child;
    return nullptr;
  }

  // The folders below an item, read when it is first opened.
  void Fill(HTREEITEM item) {
    if (TreeView_GetChild(tree_, item)) return;
    const std::wstring folder = PathOf(item);
    WIN32_FIND_DATAW found;
    quintar::win32::FindHandle find(FindFirstFileW((folder + L"\\*.*").c_str(), &found));
    int count = 0;
    if (find) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || lstrcmpW(found.cFileName, L".") == 0 ||
            lstrcmpW(found.cFileName, L"..") == 0)
          continue;
        Insert(item, found.cFileName);
        ++count;
      } while (FindNextFileW(find.get(), &found));
    }
    if (count == 0) {
      TVITEMW tv{};
      tv.mask = TVIF_CHILDREN;
      tv.hItem = item;
      tv.cChildren = 0;
      TreeView_SetItem(tree_, &tv);
    } else {
      TreeView_SortChildren(tree_, item, FALSE);
    }
  }

  INT_PTR OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_GF_FOLDERS && header->code == TVN_ITEMEXPANDINGW) {
      const auto* view = reinterpret_cast<const NMTREEVIEWW*>(lParam);
      if (view->action & TVE_EXPAND) Fill(view->itemNew.hItem);
    }
    return FALSE;
  }

  void Complain(const wchar_t* text) { quintar::win32::ScreenMessageBox(hwnd(), text, nullptr, MB_OK | MB_ICONSTOP); }

  void Done() {
    wchar_t typed[MAX_PATH] = {};
    GetDlgItemTextW(hwnd(), IDC_GF_NAME, typed, MAX_PATH);
    std::wstring name = typed;
    while (!name.empty() && name.back() == L' ') name.pop_back();
    if (name.empty()) {
      MessageBeep(MB_ICONSTOP);
      return;
    }
    if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
      Complain(L"A filename cannot contain these characters:\n\n\\/:*?\"<>|");
      return;
    }
    if (name.find(L'.') == std::wstring::npos && ofn_.lpstrDefExt && *ofn_.lpstrDefExt)
      name += std::wstring(L".") + ofn_.lpstrDefExt;
    const std::wstring path = PathOf(TreeView_GetSelection(tree_)) + L"\\" + name;
    if (!ofn_.lpstrFile || path.size() >= ofn_.nMaxFile || path.size() >= MAX_PATH) {
      Complain(L"The path is too long.");
      return;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      Complain((path + L"\nis a folder.").c_str());
      return;
    }
    if (!save_ && (ofn_.Flags & OFN_FILEMUSTEXIST) && attributes == INVALID_FILE_ATTRIBUTES) {
      Complain((path + L"\nThis file could not be found.").c_str());
      return;
    }
    if (save_ && (ofn_.Flags & OFN_OVERWRITEPROMPT) && attributes != INVALID_FILE_ATTRIBUTES &&
        quintar::win32::ScreenMessageBox(hwnd(), (path + L" already exists.\nDo you want to replace it?").c_str(),
                                         ofn_.lpstrTitle, MB_YESNO | MB_ICONWARNING) != IDYES) {
      return;
    }
    path.copy(ofn_.lpstrFile, path.size());
    ofn_.lpstrFile[path.size()] = L'\0';
    const size_t slash = path.rfind(L'\\');
    const size_t dot = path.rfind(L'.');
    ofn_.nFileOffset = static_cast<WORD>(slash + 1);
    ofn_.nFileExtension = static_cast<WORD>(dot != std::wstring::npos && dot > slash ? dot + 1 : path.size());
    EndDialog(hwnd(), IDOK);
  }

  void Cancel() { EndDialog(hwnd(), IDCANCEL); }

  OPENFILENAMEW& ofn_;
  bool save_;
  HWND tree_ = nullptr;
};

BOOL Ask(OPENFILENAMEW* ofn, bool save) noexcept {
  if (!ofn || ofn->lStructSize < OPENFILENAME_SIZE_VERSION_400W || !ofn->lpstrFile) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    std::wstring request = std::wstring(L"getfiles.dll|") + (save ? L"save|" : L"open|") +
                           (ofn->lpstrTitle ? ofn->lpstrTitle : L"") + L"|" +
                           (ofn->lpstrInitialDir ? ofn->lpstrInitialDir : L"") + L"|" + FirstFilter(*ofn);
    quintar::device::LogEvent(request.c_str());
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    FileDialog dialog(*ofn, save);
    auto module = reinterpret_cast<HINSTANCE>(&__ImageBase);
    return DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_GETFILES), ofn->hwndOwner, FileDialog::Proc, dialog.Param()) ==
           IDOK;
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

extern "C" {

BOOL WINAPI gsGetOpenFileName(OPENFILENAMEW* ofn) { return Ask(ofn, false); }
BOOL WINAPI gsGetSaveFileName(OPENFILENAMEW* ofn) { return Ask(ofn, true); }

}  // extern "C"

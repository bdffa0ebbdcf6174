// Find and Find Next: the Find dialog, the walk over the current root's hive (the portable
// search over the real registry) and going to each hit in turn.
#include <optional>

#include "dialogbase.h"
#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"
#include "regeditor/core/search.h"
#include "resource.h"
#include "tamsk.h"

namespace tamsk {

namespace {

namespace qt = quintar::tamsk;

const quintar::dialogs::TemplateSet kFindTemplates =
    quintar::dialogs::TemplatesById(IDD_FIND_SQUARE, IDD_FIND_PORTRAIT, IDD_FIND_LANDSCAPE);

class RegistrySource : public qt::SearchSource {
 public:
  explicit RegistrySource(HKEY root) : root_(root) {}

  bool SubKeys(std::u16string_view path, std::vector<std::u16string>& names) override {
    names.clear();
    RegKey key;
    if (!key.Open(root_, Wide(path), KEY_READ)) return false;
    wchar_t buffer[512];
    for (DWORD index = 0;; ++index) {
      DWORD chars = static_cast<DWORD>(std::size(buffer));
      LONG rc = RegEnumKeyExW(key.get(), index, buffer, &chars, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) continue;
      if (rc != ERROR_SUCCESS) break;
      names.push_back(U16(std::wstring_view(buffer, chars)));
    }
    return true;
  }

  bool Values(std::u16string_view path, std::vector<qt::SearchValue>& values) override {
    values.clear();
    RegKey key;
    if (!key.Open(root_, Wide(path), KEY_READ)) return false;
    for (ValueData& value : ReadValues(key.get())) {
      qt::SearchValue out;
      out.name = U16(value.name);
      out.type = value.type;
      out.data.assign(value.data.begin(), value.data.end());
      values.push_back(std::move(out));
    }
    return true;
  }

 private:
  HKEY root_;
};

class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

std::optional<qt::SearchHit> RunSearch() {
  App& app = TheApp();
  WaitCursor wait;
  RegistrySource source(app.current.root);
  return app.find.search.Next(source, U16(app.find.text), app.find.kinds, app.find.wholeString);
}

// The dialog's answer: whether it searched, and what it found.
struct FindDialogResult {
  bool searched = false;
  std::optional<qt::SearchHit> hit;
};

INT_PTR CALLBACK FindProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    auto* result = reinterpret_cast<FindDialogResult*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      InitTamskDialog(dialog, kFindTemplates, IDR_DIALOG_BAR, true);
      CheckDlgButton(dialog, IDC_FIND_KEY, BST_CHECKED);
      CheckDlgButton(dialog, IDC_FIND_VALUE, BST_CHECKED);
      CheckDlgButton(dialog, IDC_FIND_DATA, BST_CHECKED);
      CheckDlgButton(dialog, IDC_FIND_WHOLE, BST_UNCHECKED);
      SetFocus(GetDlgItem(dialog, IDC_FIND_TEXT));
      return FALSE;
    }
    if (msg != WM_COMMAND || !result) return FALSE;
    switch (ClassifyCommand(wParam)) {
      case DialogCommand::None:
        return FALSE;
      case DialogCommand::Cancel:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      case DialogCommand::Accept:
        break;
    }
    std::wstring text = ControlText(dialog, IDC_FIND_TEXT);
    if (text.empty()) {
      Message(dialog, L"Please input a valid string to search for!", L"Warning!", MB_OK | MB_ICONEXCLAMATION);
      return TRUE;
    }
    unsigned kinds = 0;
    if (IsDlgButtonChecked(dialog, IDC_FIND_KEY) == BST_CHECKED) kinds |= qt::kSearchKey;
    if (IsDlgButtonChecked(dialog, IDC_FIND_VALUE) == BST_CHECKED) kinds |= qt::kSearchValue;
    if (IsDlgButtonChecked(dialog, IDC_FIND_DATA) == BST_CHECKED) kinds |= qt::kSearchData;
    if (!kinds) {
      Message(dialog, L"Please check at least one of the options (Key,Value & Data)! ", L"Waring!",
              MB_OK | MB_ICONEXCLAMATION);
      return TRUE;
    }
    App& app = TheApp();
    app.find.text = text;
    app.find.kinds = kinds;
    app.find.wholeString = IsDlgButtonChecked(dialog, IDC_FIND_WHOLE) == BST_CHECKED;
    result->searched = true;
    result->hit = RunSearch();
    EndDialog(dialog, IDOK);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

// Moves the browser to the hit: the tree rebuilt and walked to its key, and for a value or data
// hit the row of that value selected.
void GoToHit(const std::optional<qt::SearchHit>& hit, bool fromFind) {
  App& app = TheApp();
  if (!hit) {
    Message(app.main, qt::kSearchFinishedMessage, qt::kSearchFinishedCaption, MB_OK | MB_ICONINFORMATION);
    app.find.search.Clear();
    return;
  }
  std::wstring rootName = app.current.rootName;
  std::wstring path = Wide(hit->path);
  RebuildTree();
  SelectPath(rootName, path, true);
  if (hit->kind == qt::kSearchKey) return;
  int found = -1;
  int count = ListView_GetItemCount(app.list);
  for (int i = 0; i < count; ++i) {
    Row* row = RowAt(i);
    if (row && qt::TextMatches(U16(row->name), hit->valueName, app.find.wholeString)) found = i;
  }
  if (found >= 0) {
    SelectRow(found);
    app.focusedPane = app.list;
    return;
  }
  const wchar_t* text = hit->kind == qt::kSearchData ? L"Data has been found,but failed to navigated to the item in:\n"
                        : fromFind                   ? L"Have Found Value,but failed to navigated to the item in:\n"
                                   : L"Value has been found,but failed to navigated to the item in:\n";
  Message(app.main, std::wstring(text) + rootName + path, L"Fail to navigate!", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void CmdFind(HWND hwnd) {
  App& app = TheApp();
  if (!app.current.root) {
    Message(hwnd, L"Please select the root in which you want to find the results", L"Warning!",
            MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  app.find.search.Clear();
  app.find.wholeString = false;
  FindDialogResult result;
  RunDialog(kFindTemplates, FindProc, reinterpret_cast<LPARAM>(&result));
  if (!result.searched) return;
  GoToHit(result.hit, true);
}

void CmdFindNext(HWND hwnd) {
  App& app = TheApp();
  if (app.find.text.empty() || !app.current.root) {
    CmdFind(hwnd);
    return;
  }
  if (HTREEITEM selected = TreeView_GetSelection(app.tree)) TreeView_Expand(app.tree, selected, TVE_EXPAND);
  GoToHit(RunSearch(), false);
}

}  // namespace tamsk

// Find and Find Next: the Find dialog, the walk over the current root's hive (the portable
// search over the real registry) and going to each hit in turn.
#include <optional>
#include <span>

#include "regeditor/commands.h"
#include "regeditor/core/numbers.h"
#include "regeditor/core/registry_text.h"
#include "regeditor/core/search.h"
#include "regeditor/dialogbase.h"
#include "regeditor/registry.h"
#include "regeditor/resource.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/text.h"

namespace quintar::tamsk {

namespace {

using win32::U16;
using win32::Wide;

const dialogs::TemplateSet kFindTemplates =
    dialogs::TemplatesById(IDD_FIND_SQUARE, IDD_FIND_PORTRAIT, IDD_FIND_LANDSCAPE);

class RegistrySource : public core::SearchSource {
 public:
  explicit RegistrySource(HKEY root) : root_(root) {}

  bool SubKeys(std::u16string_view path, std::vector<std::u16string>& names) override {
    names.clear();
    win32::RegKey key = OpenKey(root_, Wide(path), KEY_READ);
    if (!key) return false;
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

  bool Values(std::u16string_view path, std::vector<core::SearchValue>& values) override {
    values.clear();
    win32::RegKey key = OpenKey(root_, Wide(path), KEY_READ);
    if (!key) return false;
    for (ValueData& value : ReadValues(key.get())) {
      core::SearchValue out;
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

}  // namespace

// The Find dialog: on Done it takes the options, searches, and keeps what it found.
class FindDialog : public TamskDialog<FindDialog> {
 public:
  FindDialog(Browser& browser, Finder& finder) noexcept : TamskDialog(browser), finder_(finder) {}

  bool searched = false;
  std::optional<core::SearchHit> hit;

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<FindDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<FindDialog> kMessages[] = {
        win32::On<&FindDialog::OnInitDialog>(WM_INITDIALOG)};
    return kMessages;
  }
  static std::span<const win32::CommandEntry<FindDialog>> Commands() {
    static constexpr win32::CommandEntry<FindDialog> kCommands[] = {
        win32::Command<&FindDialog::Accept>(IDOK), win32::Command<&FindDialog::Accept>(IDM_DONE),
        win32::Command<&FindDialog::Cancel>(IDCANCEL), win32::Command<&FindDialog::Cancel>(IDM_CANCEL)};
    return kCommands;
  }

  INT_PTR OnInitDialog(WPARAM, LPARAM) {
    HWND dialog = hwnd();
    Init(kFindTemplates, IDR_DIALOG_BAR, true);
    CheckDlgButton(dialog, IDC_FIND_KEY, BST_CHECKED);
    CheckDlgButton(dialog, IDC_FIND_VALUE, BST_CHECKED);
    CheckDlgButton(dialog, IDC_FIND_DATA, BST_CHECKED);
    CheckDlgButton(dialog, IDC_FIND_WHOLE, BST_UNCHECKED);
    SetFocus(GetDlgItem(dialog, IDC_FIND_TEXT));
    return FALSE;
  }
  void Cancel() { EndDialog(hwnd(), IDCANCEL); }
  void Accept() {
    HWND dialog = hwnd();
    std::wstring text = win32::ControlText(dialog, IDC_FIND_TEXT);
    if (text.empty()) {
      win32::ShowMessage(dialog, L"Please input a valid string to search for!", L"Warning!",
                         MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    unsigned kinds = 0;
    if (IsDlgButtonChecked(dialog, IDC_FIND_KEY) == BST_CHECKED) kinds |= core::kSearchKey;
    if (IsDlgButtonChecked(dialog, IDC_FIND_VALUE) == BST_CHECKED) kinds |= core::kSearchValue;
    if (IsDlgButtonChecked(dialog, IDC_FIND_DATA) == BST_CHECKED) kinds |= core::kSearchData;
    if (!kinds) {
      win32::ShowMessage(dialog, L"Please check at least one of the options (Key,Value & Data)! ", L"Waring!",
                         MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    SearchState& state = finder_.state_;
    state.text = text;
    state.kinds = kinds;
    state.wholeString = IsDlgButtonChecked(dialog, IDC_FIND_WHOLE) == BST_CHECKED;
    searched = true;
    hit = finder_.Search();
    EndDialog(dialog, IDOK);
  }

  Finder& finder_;
};

std::optional<core::SearchHit> Finder::Search() {
  win32::WaitCursor wait;
  RegistrySource source(browser_.State().current.root);
  return state_.search.Next(source, U16(state_.text), state_.kinds, state_.wholeString);
}

// Moves the browser to the hit: the tree rebuilt and walked to its key, and for a value or data
// hit the row of that value selected.
void Finder::GoToHit(const std::optional<core::SearchHit>& hit, bool fromFind) {
  HWND main = browser_.Main();
  if (!hit) {
    win32::ShowMessage(main, win32::WideView(core::kSearchFinishedMessage),
                       win32::WideView(core::kSearchFinishedCaption), MB_OK | MB_ICONINFORMATION);
    state_.search.Clear();
    return;
  }
  std::wstring rootName = browser_.State().current.rootName;
  std::wstring path = Wide(hit->path);
  browser_.Keys().Rebuild();
  browser_.Keys().SelectPath(rootName, path, true);
  if (hit->kind == core::kSearchKey) return;
  ValueList& list = browser_.Values();
  int found = -1;
  int count = ListView_GetItemCount(list.hwnd());
  for (int i = 0; i < count; ++i) {
    Row* row = list.RowAt(i);
    if (row && core::TextMatches(U16(row->name), hit->valueName, state_.wholeString)) found = i;
  }
  if (found >= 0) {
    list.SelectRow(found);
    browser_.State().focusedPane = list.hwnd();
    return;
  }
  const wchar_t* text = hit->kind == core::kSearchData ? L"Data has been found,but failed to navigated to the item in:\n"
                        : fromFind ? L"Have Found Value,but failed to navigated to the item in:\n"
                                   : L"Value has been found,but failed to navigated to the item in:\n";
  win32::ShowMessage(main, std::wstring(text) + rootName + path, L"Fail to navigate!", MB_OK | MB_ICONINFORMATION);
}

void Finder::Find() {
  if (!browser_.State().current.root) {
    win32::ShowMessage(browser_.Main(), L"Please select the root in which you want to find the results", L"Warning!",
                       MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  state_.search.Clear();
  state_.wholeString = false;
  FindDialog dialog(browser_, *this);
  dialog.Run(kFindTemplates);
  if (!dialog.searched) return;
  GoToHit(dialog.hit, true);
}

void Finder::FindNext() {
  if (state_.text.empty() || !browser_.State().current.root) {
    Find();
    return;
  }
  HWND tree = browser_.Keys().hwnd();
  if (HTREEITEM selected = TreeView_GetSelection(tree)) TreeView_Expand(tree, selected, TVE_EXPAND);
  GoToHit(Search(), false);
}

}  // namespace quintar::tamsk

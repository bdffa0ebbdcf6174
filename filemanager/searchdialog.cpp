#include "filemanager/searchdialog.h"

#include <windows.h>
// (these need windows.h first)
#include <commctrl.h>

#include <aygshell.h>

#include <span>
#include <string>

#include "dialogs/dialogs.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/shortcuts.h"
#include "filemanager/winutil.h"
#include "fileops/fileops.h"
#include "fileops/search.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/window.h"

namespace quintar::folderon {
namespace {

namespace ids = search_ids;
namespace qf = core;
namespace fc = fileops::core;

constexpr wchar_t kRootLabel[] = L"My Pocket PC";
constexpr int kPatternLimit = 260;

dialogs::TemplateSet Templates() { return dialogs::TemplatesById(ids::kSquare, ids::kPortrait, ids::kLandscape); }

std::wstring ItemText(HWND dlg, int id, int limit) {
  std::wstring text(static_cast<std::size_t>(limit) + 1, L'\0');
  int got = GetDlgItemTextW(dlg, id, text.data(), limit + 1);
  text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return text;
}

// A typed location as a folder to walk: an existing device folder, else the root. A drive letter,
// "\\?\" or a share would reach past the device.
std::wstring StartFolder(const std::wstring& typed) {
  if (typed == kRootLabel) return {};
  std::u16string text = U16(typed);
  if (!qf::IsDevicePath(text)) return {};
  auto folder = qf::NormalizeFolder(text);
  if (!folder) return {};
  std::wstring path = Wide(*folder);
  return IsExistingFolder(path) ? path : std::wstring();
}

std::u16string PickedDay(HWND dlg, int id) {
  SYSTEMTIME st{};
  if (SendDlgItemMessageW(dlg, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) GetLocalTime(&st);
  return fc::DayText(st.wYear, st.wMonth, st.wDay);
}

class SearchDialog : public win32::Dialog<SearchDialog> {
 public:
  SearchDialog(const std::wstring& currentFolder, std::vector<SearchResultNode>& hits)
      : current_(currentFolder), hits_(hits) {}

  INT_PTR Run(HWND owner) {
    return dialogs::DialogBoxForShape(GetModuleHandleW(nullptr), Templates(), owner, Proc, Param());
  }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<SearchDialog>> Messages() {
    static constexpr win32::DialogMessageEntry<SearchDialog> kTable[] = {
        win32::On<&SearchDialog::OnInit>(WM_INITDIALOG),
        win32::On<&SearchDialog::OnClose>(WM_CLOSE),
        win32::On<&SearchDialog::OnDestroy>(WM_DESTROY),
    };
    return kTable;
  }
  static std::span<const win32::CommandEntry<SearchDialog>> Commands() {
    static constexpr win32::CommandEntry<SearchDialog> kTable[] = {
        win32::Command<&SearchDialog::Done>(IDOK),           win32::Command<&SearchDialog::Cancel>(IDCANCEL),
        win32::Command<&SearchDialog::Browse>(ids::kBrowse), win32::Command<&SearchDialog::Toggled>(ids::kDate),
        win32::Command<&SearchDialog::Toggled>(ids::kSize),  win32::Command<&SearchDialog::Toggled>(ids::kDateMode),
    };
    return kTable;
  }

  INT_PTR OnInit(WPARAM, LPARAM) {
    HWND dlg = hwnd();
    win32::InitFullScreenDialog(dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN);
    dialogs::AttachRelayout(dlg, GetModuleHandleW(nullptr), Templates());
    dialogs::AttachSipSwitch(dlg, dialogs::SipOnClose::Restore);
    SendDlgItemMessageW(dlg, ids::kName, EM_LIMITTEXT, kPatternLimit, 0);
    SendDlgItemMessageW(dlg, ids::kText, EM_LIMITTEXT, kPatternLimit, 0);
    SendDlgItemMessageW(dlg, ids::kLocation, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SendDlgItemMessageW(dlg, ids::kSizeKB, EM_LIMITTEXT, 32, 0);
    CheckDlgButton(dlg, ids::kCaseSensitive, BST_CHECKED);
    CheckDlgButton(dlg, ids::kSubfolders, BST_CHECKED);
    const bool root = current_.empty() || qf::IsSearchPath(U16(current_));
    SetDlgItemTextW(dlg, ids::kLocation, root ? kRootLabel : current_.c_str());
    SetDlgItemTextW(dlg, ids::kSizeKB, L"0");
    for (const wchar_t* item : {L"", L"Area", L"Before", L"After"})
      SendDlgItemMessageW(dlg, ids::kDateMode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    for (const wchar_t* item : {L"", L"MIN", L"MAX"})
      SendDlgItemMessageW(dlg, ids::kSizeMode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    UpdateStates();
    SetFocus(GetDlgItem(dlg, ids::kName));
    return FALSE;
  }

  INT_PTR OnClose(WPARAM, LPARAM) {
    Cancel();
    return TRUE;
  }

  INT_PTR OnDestroy(WPARAM, LPARAM) {
    dialogs::DetachRelayout(hwnd());
    return FALSE;
  }

  void Toggled(int id, int code) {
    if ((id == ids::kDateMode && code == CBN_SELCHANGE) || (id != ids::kDateMode && code == BN_CLICKED)) UpdateStates();
  }

  void UpdateStates() {
    HWND dlg = hwnd();
    const bool date = IsDlgButtonChecked(dlg, ids::kDate) == BST_CHECKED;
    const bool size = IsDlgButtonChecked(dlg, ids::kSize) == BST_CHECKED;
    for (int id : {ids::kFirstDay, ids::kDateMode, ids::kSecondDay}) EnableWindow(GetDlgItem(dlg, id), date);
    for (int id : {ids::kSizeKB, ids::kSizeMode}) EnableWindow(GetDlgItem(dlg, id), size);
    const bool area = SendDlgItemMessageW(dlg, ids::kDateMode, CB_GETCURSEL, 0, 0) == 1;
    ShowWindow(GetDlgItem(dlg, ids::kSecondDay), area ? SW_SHOW : SW_HIDE);
  }

  void Browse() {
    std::wstring typed = ItemText(hwnd(), ids::kLocation, MAX_PATH);
    std::wstring path = StartFolder(typed);
    if (fileops::ChooseFolder(hwnd(), L"File Search", path, nullptr) == 1)
      SetDlgItemTextW(hwnd(), ids::kLocation, path.empty() ? kRootLabel : path.c_str());
  }

  static int Selection(HWND dlg, int id) {
    LRESULT at = SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0);
    return at == CB_ERR ? 0 : static_cast<int>(at);
  }

  void Done() {
    HWND dlg = hwnd();
    fc::SearchCriteria c;
    std::wstring pattern = ItemText(dlg, ids::kName, kPatternLimit);
    if (!pattern.empty()) CharUpperBuffW(pattern.data(), static_cast<DWORD>(pattern.size()));
    c.namePattern = U16(pattern);
    c.text = U16(ItemText(dlg, ids::kText, kPatternLimit));
    c.caseSensitive = IsDlgButtonChecked(dlg, ids::kCaseSensitive) == BST_CHECKED;
    const std::wstring start = StartFolder(ItemText(dlg, ids::kLocation, MAX_PATH));
    c.subfolders = IsDlgButtonChecked(dlg, ids::kSubfolders) == BST_CHECKED;
    if (IsDlgButtonChecked(dlg, ids::kDate) == BST_CHECKED) {
      c.dateMode = static_cast<fc::DateMode>(Selection(dlg, ids::kDateMode) + 1);
      c.firstDate = PickedDay(dlg, ids::kFirstDay);
      c.secondDate = PickedDay(dlg, ids::kSecondDay);
    }
    if (IsDlgButtonChecked(dlg, ids::kSize) == BST_CHECKED) {
      c.sizeMode = static_cast<fc::SizeMode>(Selection(dlg, ids::kSizeMode) + 1);
      c.sizeKB = fc::ParseSizeKB(U16(ItemText(dlg, ids::kSizeKB, 32)));
    }
    ShowWindow(dlg, SW_HIDE);
    {
      win32::WaitCursor wait;
      hits_.clear();
      fileops::SearchFiles(start, c, [this](fileops::SearchHit&& hit) {
        SearchResultNode node;
        node.folder = std::move(hit.folder);
        node.name = std::move(hit.name);
        node.attributes = hit.attributes;
        node.size = static_cast<DWORD>(hit.size);
        // The list shows a file's last write in local time, a folder's creation time as kept.
        if (hit.attributes & FILE_ATTRIBUTE_DIRECTORY || !FileTimeToLocalFileTime(&hit.time, &node.time))
          node.time = hit.time;
        hits_.push_back(std::move(node));
      });
    }
    EndDialog(dlg, 1);
  }

  void Cancel() { EndDialog(hwnd(), 0); }

  std::wstring current_;
  std::vector<SearchResultNode>& hits_;
};

}  // namespace

int RunSearch(HWND owner, const std::wstring& currentFolder, std::vector<SearchResultNode>& hits) {
  if (SearchDialog::IsOpen()) return 0;
  try {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    std::vector<SearchResultNode> found;
    SearchDialog dialog(currentFolder, found);
    if (dialog.Run(owner) != 1) return 0;
    hits = std::move(found);
    return 1;
  } catch (...) {
    return 0;
  }
}

}  // namespace quintar::folderon

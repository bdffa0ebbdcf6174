#include "filemanager/userpathdialog.h"

#include <aygshell.h>
#include <commctrl.h>

#include "dialogs/dialogs.h"
#include "filemanager/core/paths.h"
#include "filemanager/resource.h"
#include "filemanager/winutil.h"
#include "win32/shell.h"

namespace quintar::folderon {

namespace qf = core;
namespace qd = quintar::dialogs;

namespace {

// Posted to restart the edit of a refused entry once the list has closed the old one.
constexpr UINT MSG_EDIT_AGAIN = WM_USER + 100;

qd::TemplateSet Templates() { return qd::TemplatesById(IDD_USERPATH, IDD_USERPATH_PORTRAIT, IDD_USERPATH_LANDSCAPE); }

}  // namespace

std::span<const win32::DialogMessageEntry<UserPathDialog>> UserPathDialog::Messages() {
  static constexpr win32::DialogMessageEntry<UserPathDialog> kMessages[] = {
      win32::On<&UserPathDialog::OnInitDialog>(WM_INITDIALOG),
      win32::On<&UserPathDialog::OnSize>(WM_SIZE),
      win32::On<&UserPathDialog::OnEditAgain>(MSG_EDIT_AGAIN),
      win32::On<&UserPathDialog::OnNotify>(WM_NOTIFY),
  };
  return kMessages;
}

std::span<const win32::CommandEntry<UserPathDialog>> UserPathDialog::Commands() {
  // While an entry is edited, Add, Delete and Edit wait for the edit to end.
  static constexpr win32::CommandEntry<UserPathDialog> kCommands[] = {
      win32::Command<&UserPathDialog::Close>(IDOK),
      win32::Command<&UserPathDialog::Close>(IDCANCEL),
      win32::Command<&UserPathDialog::Add, &UserPathDialog::NotEditing>(IDC_USERPATH_ADD),
      win32::Command<&UserPathDialog::Delete, &UserPathDialog::NotEditing>(IDC_USERPATH_DELETE),
      win32::Command<&UserPathDialog::Edit, &UserPathDialog::NotEditing>(IDC_USERPATH_EDIT),
  };
  return kCommands;
}

void UserPathDialog::Show(HWND owner) { qd::DialogBoxForShape(instance_, Templates(), owner, Proc, Param()); }

HWND UserPathDialog::List() const { return GetDlgItem(hwnd(), IDC_USERPATH_LIST); }

void UserPathDialog::FitColumn() {
  RECT rc{};
  GetClientRect(List(), &rc);
  SendMessageW(List(), LVM_SETCOLUMNWIDTH, 0, rc.right - rc.left);
}

void UserPathDialog::UpdateButtons() {
  bool any = !paths_.Items().empty();
  EnableWindow(GetDlgItem(hwnd(), IDC_USERPATH_ADD), paths_.CanAdd());
  EnableWindow(GetDlgItem(hwnd(), IDC_USERPATH_DELETE), any);
  EnableWindow(GetDlgItem(hwnd(), IDC_USERPATH_EDIT), any);
}

void UserPathDialog::Fill(int select) {
  HWND list = List();
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  const auto& items = paths_.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    std::wstring text = Wide(items[i]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text.data();
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  if (select >= 0 && select < static_cast<int>(items.size())) {
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, select, reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_ENSUREVISIBLE, select, FALSE);
  }
  UpdateButtons();
}

int UserPathDialog::SelectedRow() const {
  return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void UserPathDialog::EditRow(int row) {
  if (row < 0) return;
  SetFocus(List());
  SendMessageW(List(), LVM_EDITLABELW, row, 0);
}

void UserPathDialog::Refuse(std::u16string_view message, int row) {
  win32::ShowMessage(hwnd(), win32::WideView(message));
  PostMessageW(hwnd(), MSG_EDIT_AGAIN, static_cast<WPARAM>(row), 0);
}

bool UserPathDialog::EndEdit(const NMLVDISPINFOW* info) {
  editing_ = false;
  if (!info->item.pszText) return false;  // cancelled
  int row = info->item.iItem;
  std::wstring text = info->item.pszText;
  switch (qf::CheckUserPathText(U16(text))) {
    case qf::UserPathCheck::BadCharacters:
      Refuse(qf::kForbiddenNameMessage, row);
      return false;
    case qf::UserPathCheck::Root:
      break;
    case qf::UserPathCheck::NeedsFolder: {
      // Folders are kept as the list shows them: without a trailing backslash.
      // A device folder: from the root, no share.
      auto folder = qf::NormalizeFolder(U16(text));
      bool device =
          folder && (folder->empty() || ((*folder)[0] == u'\\' && (folder->size() < 2 || (*folder)[1] != u'\\')));
      if (!device || !IsExistingFolder(Wide(*folder))) {
        Refuse(qf::kNotFoundMessage, row);
        return false;
      }
      text = Wide(*folder);
      break;
    }
  }
  if (!paths_.Replace(static_cast<size_t>(row), U16(text))) {
    Refuse(qf::kNotFoundMessage, row);
    return false;
  }
  Fill(row);
  return false;  // the row was rewritten with the stored text
}

INT_PTR UserPathDialog::OnInitDialog(WPARAM, LPARAM) {
  win32::InitFullScreenDialog(hwnd(), SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN);
  qd::AttachRelayout(hwnd(), instance_, Templates());
  qd::AttachSipSwitch(hwnd(), qd::SipOnClose::Restore);
  HWND list = List();
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<wchar_t*>(L"Path");
  column.cx = 100;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  FitColumn();
  Fill(0);
  return TRUE;
}

INT_PTR UserPathDialog::OnSize(WPARAM, LPARAM) {
  FitColumn();
  return FALSE;
}

INT_PTR UserPathDialog::OnEditAgain(WPARAM row, LPARAM) {
  EditRow(static_cast<int>(row));
  return TRUE;
}

INT_PTR UserPathDialog::OnNotify(WPARAM, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->idFrom != IDC_USERPATH_LIST) return FALSE;
  if (header->code == LVN_BEGINLABELEDITW) {
    editing_ = true;
    SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, FALSE);
    return TRUE;
  }
  if (header->code == LVN_ENDLABELEDITW) {
    bool take = EndEdit(reinterpret_cast<NMLVDISPINFOW*>(header));
    SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, take);
    return TRUE;
  }
  return FALSE;
}

void UserPathDialog::Close(int id) {
  // Closing with an edit open abandons that edit.
  if (editing_) SendMessageW(List(), LVM_CANCELEDITLABEL, 0, 0);
  EndDialog(hwnd(), id);
}

void UserPathDialog::Add() {
  if (auto added = paths_.Add(U16(currentFolder_))) {
    Fill(static_cast<int>(*added));
    EditRow(static_cast<int>(*added));
  }
}

void UserPathDialog::Delete() {
  int row = SelectedRow();
  if (row >= 0 && paths_.Remove(static_cast<size_t>(row))) {
    int count = static_cast<int>(paths_.Items().size());
    Fill(row < count ? row : count - 1);
  }
}

void UserPathDialog::Edit() { EditRow(SelectedRow()); }

}  // namespace quintar::folderon

#include "userpathdialog.h"

#include <aygshell.h>
#include <commctrl.h>

#include "dialogs/dialogs.h"
#include "filemanager/core/paths.h"
#include "resource.h"
#include "winutil.h"

namespace folderon {

namespace qf = quintar::folderon;
namespace qd = quintar::dialogs;

namespace {

// Posted to restart the edit of a refused entry once the list has closed the old one.
constexpr UINT kEditAgain = WM_APP + 1;

struct State {
  HINSTANCE instance = nullptr;
  qf::UserPaths* paths = nullptr;
  std::wstring currentFolder;
  bool editing = false;
};

State* StateOf(HWND dialog) { return reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_USERPATH_LIST); }

void FitColumn(HWND dialog) {
  RECT rc{};
  GetClientRect(List(dialog), &rc);
  SendMessageW(List(dialog), LVM_SETCOLUMNWIDTH, 0, rc.right - rc.left);
}

void UpdateButtons(HWND dialog, const State& state) {
  bool any = !state.paths->Items().empty();
  EnableWindow(GetDlgItem(dialog, IDC_USERPATH_ADD), state.paths->CanAdd());
  EnableWindow(GetDlgItem(dialog, IDC_USERPATH_DELETE), any);
  EnableWindow(GetDlgItem(dialog, IDC_USERPATH_EDIT), any);
}

void Fill(HWND dialog, const State& state, int select) {
  HWND list = List(dialog);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  const auto& items = state.paths->Items();
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
  UpdateButtons(dialog, state);
}

int SelectedRow(HWND dialog) {
  return static_cast<int>(SendMessageW(List(dialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Edit(HWND dialog, int row) {
  if (row < 0) return;
  SetFocus(List(dialog));
  SendMessageW(List(dialog), LVM_EDITLABELW, row, 0);
}

void Refuse(HWND dialog, std::u16string_view message, int row) {
  MessageBoxW(dialog, Wide(message).c_str(), L"", MB_OK | MB_ICONERROR);
  PostMessageW(dialog, kEditAgain, static_cast<WPARAM>(row), 0);
}

// The end of an edit; true when the list should take the text as typed.
bool EndEdit(HWND dialog, State& state, const NMLVDISPINFOW* info) {
  state.editing = false;
  if (!info->item.pszText) return false;  // cancelled
  int row = info->item.iItem;
  std::wstring text = info->item.pszText;
  switch (qf::CheckUserPathText(U16(text))) {
    case qf::UserPathCheck::BadCharacters:
      Refuse(dialog, qf::kForbiddenNameMessage, row);
      return false;
    case qf::UserPathCheck::Root:
      break;
    case qf::UserPathCheck::NeedsFolder: {
      // Folders are kept as the list shows them: without a trailing backslash.
      // A device folder: from the root, no share.
      auto folder = qf::NormalizeFolder(U16(text));
      bool device = folder && (folder->empty() || ((*folder)[0] == u'\\' && (folder->size() < 2 || (*folder)[1] != u'\\')));
      if (!device || !IsExistingFolder(Wide(*folder))) {
        Refuse(dialog, qf::kNotFoundMessage, row);
        return false;
      }
      text = Wide(*folder);
      break;
    }
  }
  if (!state.paths->Replace(static_cast<size_t>(row), U16(text))) {
    Refuse(dialog, qf::kNotFoundMessage, row);
    return false;
  }
  Fill(dialog, state, row);
  return false;  // the row was rewritten with the stored text
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  State* state = StateOf(dialog);
  switch (msg) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<State*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SHINITDLGINFO init{};
      init.dwMask = SHIDIM_FLAGS;
      init.hDlg = dialog;
      init.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN;
      SHInitDialog(&init);
      qd::AttachRelayout(dialog, state->instance, qd::TemplatesById(IDD_USERPATH, IDD_USERPATH_PORTRAIT,
                                                                     IDD_USERPATH_LANDSCAPE));
      qd::AttachSipSwitch(dialog, qd::SipOnClose::Restore);
      HWND list = List(dialog);
      SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = const_cast<wchar_t*>(L"Path");
      column.cx = 100;
      SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
      FitColumn(dialog);
      Fill(dialog, *state, 0);
      return TRUE;
    }
    case WM_SIZE:
      if (state) FitColumn(dialog);
      return FALSE;
    case kEditAgain:
      if (state) Edit(dialog, static_cast<int>(wParam));
      return TRUE;
    case WM_COMMAND:
      if (!state) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          // Closing with an edit open abandons that edit.
          if (state->editing) SendMessageW(List(dialog), LVM_CANCELEDITLABEL, 0, 0);
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case IDC_USERPATH_ADD:
          if (state->editing) return TRUE;
          if (auto added = state->paths->Add(U16(state->currentFolder))) {
            Fill(dialog, *state, static_cast<int>(*added));
            Edit(dialog, static_cast<int>(*added));
          }
          return TRUE;
        case IDC_USERPATH_DELETE: {
          if (state->editing) return TRUE;
          int row = SelectedRow(dialog);
          if (row >= 0 && state->paths->Remove(static_cast<size_t>(row))) {
            int count = static_cast<int>(state->paths->Items().size());
            Fill(dialog, *state, row < count ? row : count - 1);
          }
          return TRUE;
        }
        case IDC_USERPATH_EDIT:
          if (!state->editing) Edit(dialog, SelectedRow(dialog));
          return TRUE;
        default:
          return FALSE;
      }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (!state || header->idFrom != IDC_USERPATH_LIST) return FALSE;
      if (header->code == LVN_BEGINLABELEDITW) {
        state->editing = true;
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, FALSE);
        return TRUE;
      }
      if (header->code == LVN_ENDLABELEDITW) {
        bool take = false;
        try {
          take = EndEdit(dialog, *state, reinterpret_cast<NMLVDISPINFOW*>(header));
        } catch (...) {
        }
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, take);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

void ShowUserPathDialog(HINSTANCE instance, HWND owner, qf::UserPaths& paths, const std::wstring& currentFolder) {
  State state;
  state.instance = instance;
  state.paths = &paths;
  state.currentFolder = currentFolder;
  qd::DialogBoxForShape(instance, qd::TemplatesById(IDD_USERPATH, IDD_USERPATH_PORTRAIT, IDD_USERPATH_LANDSCAPE),
                        owner, DialogProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace folderon

// The list pane's New Folder and in-place rename, and the rule for typed names.
#include <windows.h>
// (these need windows.h first)
#include <commctrl.h>

#include <string>

#include "dialogs/dialogs.h"
#include "fileops/fileops.h"
#include "fileops/winutil.h"

namespace quintar::fileops {
namespace {

using namespace detail;

// A label editor to reopen once the list has finished closing the current one.
struct PendingEdit {
  HWND list = nullptr;
  int row = -1;
  std::wstring text;
};
PendingEdit gPending;
constexpr UINT_PTR kReopenTimer = 0x4F50;

void CALLBACK ReopenEdit(HWND list, UINT, UINT_PTR id, DWORD) {
  KillTimer(list, id);
  if (list != gPending.list || !IsWindow(list)) return;
  SetFocus(list);
  HWND edit = ListView_EditLabel(list, gPending.row);
  if (edit && !gPending.text.empty()) {
    SetWindowTextW(edit, gPending.text.c_str());
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }
  gPending = {};
}

void ReopenLater(HWND list, int row, std::wstring text) {
  gPending = PendingEdit{list, row, std::move(text)};
  SetTimer(list, kReopenTimer, 0, ReopenEdit);
}

void Call(const std::function<void()>& f) {
  if (f) f();
}

}  // namespace

bool ValidateName(HWND owner, std::wstring_view name, bool isPath) {
  bool ok = isPath ? IsValidPathText(U(name)) : IsValidName(U(name));
  if (!ok) Box(owner, W(kNameRuleMessage), MB_OK | MB_ICONSTOP);
  return ok;
}

std::wstring NewFolderInList(HWND owner, HWND list, std::wstring_view folder, const ListHooks& hooks) {
  try {
    Call(hooks.suspendWatching);
    std::wstring created;
    for (int n = 1; n <= kListNewFolderLimit; ++n) {
      std::wstring name = W(NewFolderName(n));
      std::wstring full = std::wstring(folder) + L"\\" + name;
      if (full.size() > kMaxPath) break;
      if (CreateDirectoryW(full.c_str(), nullptr)) {
        created = name;
        break;
      }
    }
    if (created.empty()) {
      Box(owner, L"This folder cannot be created.", MB_OK);
      Call(hooks.resumeWatching);
      return {};
    }
    Call(hooks.refreshList);
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = created.c_str();
    int row = list ? ListView_FindItem(list, -1, &find) : -1;
    if (row >= 0) {
      dialogs::ShowSip(true);
      SetFocus(list);
      ListView_EnsureVisible(list, row, FALSE);
      ListView_EditLabel(list, row);
    }
    Call(hooks.resumeWatching);
    return created;
  } catch (...) {
    Call(hooks.resumeWatching);
    return {};
  }
}

int EndLabelEdit(HWND owner, HWND list, const LabelEditRow& row, const wchar_t* text, const ListHooks& hooks,
                 std::wstring& newName) {
  try {
    if (!text) return 0;
    std::wstring typed(text, wcsnlen(text, 4096));
    if (!IsValidName(U(typed))) {
      Box(owner, W(kNameRuleMessage), MB_OK | MB_ICONSTOP);
      if (list) {
        SetFocus(list);
        ReopenLater(list, row.row, typed);
      }
      return 0;
    }
    if (row.kind != kKindFile && row.kind != kKindFolder) return 0;
    std::wstring name = typed;
    if (row.hideExtensions && row.kind == kKindFile) {
      auto dot = row.name.rfind(L'.');
      if (dot != std::wstring::npos) name += row.name.substr(dot);
    }
    if (typed.empty()) {
      Box(owner, L"Input file name.", MB_OK | MB_ICONSTOP);
      if (list) ReopenLater(list, row.row, {});
      return 0;
    }
    std::wstring from = row.folder + L"\\" + row.name, to = row.folder + L"\\" + name;
    Call(hooks.suspendWatching);
    bool ok = from.size() <= kMaxPath && to.size() <= kMaxPath && MoveFileW(from.c_str(), to.c_str());
    if (!ok) {
      Box(owner, L"Cannot rename file.", MB_OK | MB_ICONSTOP);
      Call(hooks.resumeWatching);
      if (list) ReopenLater(list, row.row, typed);
      return 0;
    }
    Call(hooks.resumeWatching);
    newName = name;
    return 1;
  } catch (...) {
    Call(hooks.resumeWatching);
    return 0;
  }
}

}  // namespace quintar::fileops

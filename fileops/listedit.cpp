// The list pane's New Folder and in-place rename, and the rule for typed names. Their messages
// name no caption: the platform's default shows.
#include <windows.h>
// (these need windows.h first)
#include <commctrl.h>

#include <memory>
#include <string>

#include "dialogs/dialogs.h"
#include "fileops/fileops.h"
#include "fileops/winutil.h"
#include "win32/messagebox.h"
#include "win32/scope.h"
#include "win32/text.h"

namespace quintar::fileops {
namespace {

using core::kMaxPath;
using win32::U16View;

// A label editor to reopen once the list has finished closing the current one. It waits on the
// list as a window property, so a later refusal replaces it.
struct PendingEdit {
  int row = -1;
  std::wstring text;
};
constexpr wchar_t kPendingProperty[] = L"Quintar.Fileops.PendingEdit";
constexpr UINT_PTR kReopenTimer = 0x4F50;

void CALLBACK ReopenEdit(HWND list, UINT, UINT_PTR id, DWORD) {
  KillTimer(list, id);
  std::unique_ptr<PendingEdit> pending(static_cast<PendingEdit*>(RemovePropW(list, kPendingProperty)));
  if (!pending || !IsWindow(list)) return;
  SetFocus(list);
  HWND edit = ListView_EditLabel(list, pending->row);
  if (edit && !pending->text.empty()) {
    SetWindowTextW(edit, pending->text.c_str());
    SendMessageW(edit, EM_SETSEL, 0, -1);
  }
}

void ReopenLater(HWND list, int row, std::wstring text) {
  auto pending = std::make_unique<PendingEdit>(PendingEdit{row, std::move(text)});
  std::unique_ptr<PendingEdit> replaced(static_cast<PendingEdit*>(RemovePropW(list, kPendingProperty)));
  if (!SetPropW(list, kPendingProperty, pending.get())) return;
  pending.release();  // the property holds it until the timer takes it back
  SetTimer(list, kReopenTimer, 0, ReopenEdit);
}

void Call(const std::function<void()>& f) {
  if (f) f();
}

// The watcher paused for a scope.
auto PauseWatching(const ListHooks& hooks) {
  return win32::Paired([&] { Call(hooks.suspendWatching); }, [&hooks] { Call(hooks.resumeWatching); });
}

}  // namespace

bool ValidateName(HWND owner, std::wstring_view name, bool isPath) {
  bool ok = isPath ? core::IsValidPathText(U16View(name)) : core::IsValidName(U16View(name));
  if (!ok) win32::ScreenMessageBox(owner, win32::Wide(core::kNameRuleMessage).c_str(), nullptr, MB_OK | MB_ICONSTOP);
  return ok;
}

std::wstring NewFolderInList(HWND owner, HWND list, std::wstring_view folder, const ListHooks& hooks) {
  try {
    auto paused = PauseWatching(hooks);
    std::wstring created;
    for (int n = 1; n <= core::kListNewFolderLimit; ++n) {
      std::wstring name = win32::Wide(core::NewFolderName(n));
      std::wstring full = std::wstring(folder) + L"\\" + name;
      if (full.size() > kMaxPath) break;
      if (CreateDirectoryW(full.c_str(), nullptr)) {
        created = name;
        break;
      }
    }
    if (created.empty()) {
      win32::ScreenMessageBox(owner, L"This folder cannot be created.", nullptr, MB_OK);
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
    return created;
  } catch (...) {
    return {};
  }
}

int EndLabelEdit(HWND owner, HWND list, const LabelEditRow& row, const wchar_t* text, const ListHooks& hooks,
                 std::wstring& newName) {
  try {
    if (!text) return 0;
    std::wstring typed(text, wcsnlen(text, 4096));
    if (!core::IsValidName(U16View(typed))) {
      win32::ScreenMessageBox(owner, win32::Wide(core::kNameRuleMessage).c_str(), nullptr, MB_OK | MB_ICONSTOP);
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
      win32::ScreenMessageBox(owner, L"Input file name.", nullptr, MB_OK | MB_ICONSTOP);
      if (list) ReopenLater(list, row.row, {});
      return 0;
    }
    std::wstring from = row.folder + L"\\" + row.name, to = row.folder + L"\\" + name;
    bool ok = false;
    {
      auto paused = PauseWatching(hooks);
      ok = from.size() <= kMaxPath && to.size() <= kMaxPath && MoveFileW(from.c_str(), to.c_str());
      if (!ok) win32::ScreenMessageBox(owner, L"Cannot rename file.", nullptr, MB_OK | MB_ICONSTOP);
    }
    if (!ok) {
      if (list) ReopenLater(list, row.row, typed);
      return 0;
    }
    newName = name;
    return 1;
  } catch (...) {
    return 0;
  }
}

}  // namespace quintar::fileops

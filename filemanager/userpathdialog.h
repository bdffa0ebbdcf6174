// The User Path dialog: the user's own folders for the Go-to menu, added, deleted and edited in
// place. Changes apply to the list as they are made; OK and Cancel only close.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "filemanager/core/history.h"
#include "win32/window.h"

namespace quintar::folderon {

class UserPathDialog : public win32::Dialog<UserPathDialog> {
 public:
  // `currentFolder` is what Add appends (the root and the search hits as "My Pocket PC").
  UserPathDialog(HINSTANCE instance, core::UserPaths& paths, std::wstring currentFolder)
      : instance_(instance), paths_(paths), currentFolder_(std::move(currentFolder)) {}
  void Show(HWND owner);

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<UserPathDialog>> Messages();
  static std::span<const win32::CommandEntry<UserPathDialog>> Commands();

  INT_PTR OnInitDialog(WPARAM, LPARAM);
  INT_PTR OnSize(WPARAM, LPARAM);
  INT_PTR OnEditAgain(WPARAM row, LPARAM);
  INT_PTR OnNotify(WPARAM, LPARAM header);
  void Close(int id);
  void Add();
  void Delete();
  void Edit();
  bool NotEditing() const { return !editing_; }

  HWND List() const;
  void FitColumn();
  void UpdateButtons();
  void Fill(int select);
  int SelectedRow() const;
  void EditRow(int row);
  void Refuse(std::u16string_view message, int row);
  // The end of an edit; true when the list should take the text as typed.
  bool EndEdit(const NMLVDISPINFOW* info);

  HINSTANCE instance_;
  core::UserPaths& paths_;
  std::wstring currentFolder_;
  bool editing_ = false;
};

}  // namespace quintar::folderon

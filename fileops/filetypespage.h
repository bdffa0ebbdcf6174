// The "File Types" page of the Options sheet: the registered extensions with their type names;
// New, Delete and Edit change HKEY_CLASSES_ROOT at once.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "win32/handle.h"
#include "win32/window.h"

namespace quintar::fileops {

class FileTypesPage : public win32::Dialog<FileTypesPage> {
 public:
  explicit FileTypesPage(HINSTANCE instance) : instance_(instance) {}
  // The page's templates (158, 179, 180) and the one for the current shape.
  static dialogs::TemplateSet Templates() { return dialogs::TemplatesById(158, 179, 180); }

  struct Entry {
    std::wstring ext;  // without its dot
    std::wstring className;
    std::wstring typeName;
    std::wstring program;
    std::wstring parameters;
    std::wstring iconFile;
    int iconIndex = 0;
  };

 private:
  friend Dialog;
  static std::span<const win32::DialogMessageEntry<FileTypesPage>> Messages();
  static std::span<const win32::CommandEntry<FileTypesPage>> Commands();

  INT_PTR OnInitDialog(WPARAM, LPARAM);
  INT_PTR OnSize(WPARAM, LPARAM);
  INT_PTR OnPaint(WPARAM, LPARAM);
  INT_PTR OnCtlColorStatic(WPARAM, LPARAM);
  INT_PTR OnNotify(WPARAM, LPARAM);
  void New();
  void Delete();
  void Edit();
  bool HasSelection() const { return Selected() != nullptr; }

  HWND List() const;
  void Fill();
  void Sort();
  void FitColumns();
  void UpdateButtons();
  const Entry* Selected() const;

  HINSTANCE instance_;
  std::vector<Entry> entries_;
  int sortColumn_ = 0;
  bool ascending_ = false;
};

// Reads the extension's entry from HKEY_CLASSES_ROOT: nothing unless its class has a readable
// command, type name and icon and its program exists.
bool ReadFileType(const std::wstring& ext, FileTypesPage::Entry& entry);

}  // namespace quintar::fileops

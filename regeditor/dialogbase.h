// What every Tamsk dialog shares: the template of the screen's shape, full-screen set-up with the
// Done button and a menu bar, re-layout on every WM_SIZE and the soft input panel while open.
#pragma once

#include <windows.h>

#include "dialogs/dialogs.h"
#include "regeditor/browser.h"
#include "win32/window.h"

namespace quintar::tamsk {

// Runs a modal dialog owned by the main window from the template of the current shape.
INT_PTR RunDialog(Browser& browser, const dialogs::TemplateSet& templates, DLGPROC proc, LPARAM param);

// Call from WM_INITDIALOG. `menuBar` is the SHMENUBAR resource; `typing` shows the input panel.
void InitTamskDialog(HWND dialog, HINSTANCE instance, const dialogs::TemplateSet& templates, int menuBar,
                     bool typing);

// A modal dialog of the main window: Done (or IDOK) accepts, Cancel (or IDCANCEL) closes; the
// derived class lists those in its command table.
template <class T>
class TamskDialog : public win32::Dialog<T> {
 public:
  INT_PTR Run(const dialogs::TemplateSet& templates) {
    return RunDialog(browser_, templates, &win32::Dialog<T>::Proc, this->Param());
  }

 protected:
  explicit TamskDialog(Browser& browser) noexcept : browser_(browser) {}
  void Init(const dialogs::TemplateSet& templates, int menuBar, bool typing) {
    InitTamskDialog(this->hwnd(), browser_.Instance(), templates, menuBar, typing);
  }

  Browser& browser_;
};

}  // namespace quintar::tamsk

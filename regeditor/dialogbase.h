// What every Tamsk dialog shares: the template of the screen's shape, full-screen set-up with the
// Done button and a menu bar, re-layout on every WM_SIZE and the soft input panel while open.
#pragma once

#include <windows.h>

#include <string>

#include "dialogs/dialogs.h"

namespace tamsk {

// Runs a modal dialog owned by the main window from the template of the current shape.
INT_PTR RunDialog(const quintar::dialogs::TemplateSet& templates, DLGPROC proc, LPARAM param);

// Call from WM_INITDIALOG. `menuBar` is the SHMENUBAR resource; `typing` shows the input panel.
void InitTamskDialog(HWND dialog, const quintar::dialogs::TemplateSet& templates, int menuBar, bool typing);

std::wstring ControlText(HWND dialog, int id);

// Which command ends a dialog: Done (or IDOK) accepts, Cancel (or IDCANCEL) closes.
enum class DialogCommand { None, Accept, Cancel };
DialogCommand ClassifyCommand(WPARAM wParam);

}  // namespace tamsk

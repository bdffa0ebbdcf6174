// The file operations' full-screen dialog that asks for one line of text: a text (or read-only
// field) above the edit, Cancel at the top right, Done in the title bar, the input panel raised
// while it is open. The rename of a folder in the chooser and "Specify parameter" are this dialog.
#pragma once

#include <windows.h>

#include <string>

#include "dialogs/dialogs.h"

namespace quintar::fileops {

struct TextRequest {
  dialogs::TemplateSet templates;  // one per screen shape (the same one thrice for a single shape)
  int shownId = 0;                 // the control above the edit, and what it shows
  std::wstring shown;
  int editId = 0;
  std::wstring initial;  // the edit's text at start, selected
  int maxLength = 259;
};

// IDOK with `text` set to what was typed (at most maxLength characters), IDCANCEL, or -1 when the
// template is missing. A second request while one is open is cancelled.
INT_PTR AskText(HWND owner, const TextRequest& request, std::wstring& text);

}  // namespace quintar::fileops

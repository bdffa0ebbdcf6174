#include "dialogbase.h"

#include <aygshell.h>

#include "resource.h"
#include "tamsk.h"

namespace tamsk {

INT_PTR RunDialog(const quintar::dialogs::TemplateSet& templates, DLGPROC proc, LPARAM param) {
  App& app = TheApp();
  return quintar::dialogs::DialogBoxForShape(app.instance, templates, app.main, proc, param);
}

void InitTamskDialog(HWND dialog, const quintar::dialogs::TemplateSet& templates, int menuBar, bool typing) {
  SHINITDLGINFO init{};
  init.dwMask = SHIDIM_FLAGS;
  init.hDlg = dialog;
  init.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
  SHInitDialog(&init);
  SHMENUBARINFO bar{};
  bar.cbSize = sizeof bar;
  bar.hwndParent = dialog;
  bar.nToolBarId = static_cast<UINT>(menuBar);
  bar.hInstRes = TheApp().instance;
  SHCreateMenuBar(&bar);
  quintar::dialogs::AttachRelayout(dialog, TheApp().instance, templates);
  // The size SHInitDialog gave may already be another shape's.
  quintar::dialogs::RelayoutForCurrentShape(dialog, TheApp().instance, templates);
  if (typing) quintar::dialogs::AttachSipSwitch(dialog);
}

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return {};
  int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(control, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

DialogCommand ClassifyCommand(WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDM_DONE:
      return DialogCommand::Accept;
    case IDCANCEL:
    case IDM_CANCEL:
      return DialogCommand::Cancel;
    default:
      return DialogCommand::None;
  }
}

}  // namespace tamsk

#include "regeditor/dialogbase.h"

#include "win32/shell.h"

namespace quintar::tamsk {

INT_PTR RunDialog(Browser& browser, const dialogs::TemplateSet& templates, DLGPROC proc, LPARAM param) {
  return dialogs::DialogBoxForShape(browser.Instance(), templates, browser.Main(), proc, param);
}

void InitTamskDialog(HWND dialog, HINSTANCE instance, const dialogs::TemplateSet& templates, int menuBar,
                     bool typing) {
  win32::InitFullScreenDialog(dialog);
  win32::CreateMenuBar(dialog, instance, menuBar);
  dialogs::AttachRelayout(dialog, instance, templates);
  // The size SHInitDialog gave may already be another shape's.
  dialogs::RelayoutForCurrentShape(dialog, instance, templates);
  if (typing) dialogs::AttachSipSwitch(dialog);
}

}  // namespace quintar::tamsk

// The Ctrl and Shift modes: a synthetic key held down so that every stylus tap acts as Ctrl+tap
// or Shift+tap. The key is let up whenever typed text could meet it (an edit has the focus, the
// program is not active, the program ends), so that typed letters never arrive as Ctrl+letter.
#include <windows.h>

#include "filemanager/mainframe.h"

namespace quintar::folderon {

void MainFrame::ToggleCtrlMode() {
  keyMode_ = keyMode_ == KeyMode::Ctrl ? KeyMode::None : KeyMode::Ctrl;
  SyncModeKey();
  UpdateMenuMarks();
}

void MainFrame::ToggleShiftMode() {
  keyMode_ = keyMode_ == KeyMode::Shift ? KeyMode::None : KeyMode::Shift;
  SyncModeKey();
  UpdateMenuMarks();
}

void MainFrame::SetTextFocus(bool on) {
  textFocus_ = on;
  SyncModeKey();
}

void MainFrame::SyncModeKey() {
  BYTE wanted = 0;
  if (keyMode_ != KeyMode::None && active_ && !textFocus_) wanted = keyMode_ == KeyMode::Ctrl ? VK_CONTROL : VK_SHIFT;
  if (wanted == heldKey_) return;
  // The other mode's key goes up before this one goes down: never both at once.
  if (heldKey_) keybd_event(heldKey_, 0, KEYEVENTF_KEYUP, 0);
  if (wanted) keybd_event(wanted, 0, 0, 0);
  heldKey_ = wanted;
}

}  // namespace quintar::folderon

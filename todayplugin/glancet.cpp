// Glancet is not built yet: the Today screen gets no item window and skips it, and there are
// no options to show.
#include <windows.h>

#include "platform/include/todaycmn.h"

extern "C" HWND APIENTRY InitializeCustomItem(TODAYLISTITEM*, HWND) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return nullptr;
}

extern "C" BOOL APIENTRY CustomItemOptionsDlgProc(HWND, UINT, UINT, LONG) { return FALSE; }

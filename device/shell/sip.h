// The soft input panel: a keyboard window of class "SipWndClass"; shown means the SIP is up.
#pragma once

#include <windows.h>

namespace quintar::device {

// Creates the panel hidden, docked on top of the menu-bar band.
HWND CreateSipWindow(HINSTANCE instance, HWND owner);

}  // namespace quintar::device

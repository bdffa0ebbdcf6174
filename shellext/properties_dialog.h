// "Add to Today Screen" and "Properties...": the selected item handed to the Today plug-in's
// window, and the dialog that shows the item, counts a folder's size and renames the item or
// changes three of its attributes.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::menuvex {

// Sends the path to the Today plug-in's window, with a time limit. S_OK whether or not the
// plug-in is on the Today screen.
HRESULT RunAddToToday(const std::wstring& path) noexcept;

// The properties dialog of the item; S_OK once it has closed, a failure's HRESULT when the item
// cannot be found or the dialog cannot be opened.
HRESULT RunProperties(HWND owner, const std::wstring& path) noexcept;

}  // namespace quintar::menuvex

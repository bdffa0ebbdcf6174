#pragma once

#include <windows.h>

#include <string>

namespace quintar::device {

// Appends one line to the log named by the profile value valueName. May throw std::bad_alloc.
bool AppendLogLine(const wchar_t* valueName, const std::wstring& text);

}  // namespace quintar::device

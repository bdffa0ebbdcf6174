#pragma once

#include <windows.h>

#include <string>

namespace quintar::coredll {

// Appends one line to the log named by the profile value valueName. May throw std::bad_alloc.
bool AppendLogLine(const wchar_t* valueName, const std::wstring& text);

}  // namespace quintar::coredll

// What the device's end-to-end tests need beyond testsupport: programs started by a whole
// command line, and where the device keeps its logs.
#pragma once

#include <windows.h>

#include <string>

#include "testsupport/testsupport.h"

namespace quintar::device::tests {

// Starts a program by its whole command line; empty when it cannot start.
testsupport::ChildProcess Start(const std::wstring& commandLine);

bool FileExists(const std::wstring& path);

// Where the device writes its event and launch logs.
std::wstring DeviceLogPath(const wchar_t* valueName, const wchar_t* fallback);

}  // namespace quintar::device::tests

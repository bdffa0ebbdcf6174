// The device's shortcut files and command lines, shared by the shortcut service and the shell's
// execute path.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quintar::coredll {

// A command line split as the device splits it: a leading quoted path runs to the next quote,
// an unquoted one to the first space; the parameters follow, leading spaces skipped.
struct CommandLine {
  std::wstring path;
  std::wstring parameters;
};
CommandLine SplitCommandLine(const std::wstring& line);

// ERROR_SUCCESS for a path on the device that fits MAX_PATH, else the reason it is refused.
DWORD CheckDevicePath(const std::wstring& path);

// The command line a shortcut file holds; nullopt with the last error set when it cannot be read.
std::optional<std::wstring> ReadShortcut(const std::wstring& path);

}  // namespace quintar::coredll

// The emulated device's logs (coredll.dll). Requests that would reset or switch off a real
// handheld, and programs started by name, are recorded here instead.
//
// Both logs are device files named by the registry values "EventLog" and "LaunchLog" under
// HKEY_LOCAL_MACHINE "Software\Quintar\Device", read at every call. Each call appends one UTF-8
// line ending in "\n" with a single write on a handle opened for FILE_APPEND_DATA only, under a
// device-wide named mutex, so concurrent writers (threads or processes of the device) never
// interleave or overwrite each other's lines; readers may keep the file open meanwhile.
// Carriage returns and line feeds inside the text become spaces; a line is cut at 8192 UTF-16
// units. A missing folder on the way to the log is created.
//
// Event lines: "reboot", "clean-reboot-flag", "power-state <name or -> 0x<state> 0x<options>"
// (lower-case hex without leading zeros), "power-off-key", "exit-windows 0x<flags>", ...
// Launch lines: "<program>|<command line>".
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// FALSE with GetLastError set when the log value is missing or empty (ERROR_FILE_NOT_FOUND),
// the text is NULL (ERROR_INVALID_PARAMETER) or the file cannot be written.
BOOL WINAPI QuintarLogEvent(LPCWSTR line);
// commandLine may be NULL (recorded as empty).
BOOL WINAPI QuintarLogLaunch(LPCWSTR program, LPCWSTR commandLine);

#ifdef __cplusplus
}
#endif

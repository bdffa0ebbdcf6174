// The device shell library's file operation (ceshell.dll, ordinal 14), called with the desktop's
// SHFILEOPSTRUCTW record and FO_* / FOF_* values from shellapi.h.
#pragma once

#include <windows.h>

#include <shellapi.h>

#ifdef __cplusplus
extern "C" {
#endif

// FO_RENAME: the first path of pFrom takes the first path of pTo (both device paths, lists ending
// in two zeros). An existing target is never replaced. The device keeps no recycle bin, so
// FOF_ALLOWUNDO changes nothing. Returns 0 on success, else a Win32 error code (also set as the
// last error): ERROR_ALREADY_EXISTS, ERROR_FILE_NOT_FOUND, ERROR_BAD_PATHNAME for a path outside
// the device, ERROR_INVALID_PARAMETER for an empty list. The emulated device does FO_RENAME only;
// other operations fail with ERROR_NOT_SUPPORTED and touch nothing.
int WINAPI CeSHFileOperation(LPSHFILEOPSTRUCTW lpFileOp);

#ifdef __cplusplus
}
#endif

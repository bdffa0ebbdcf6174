#include <ceshell.h>

#include "platform/coredll/profile.h"

namespace {

int Fail(DWORD error) {
  SetLastError(error);
  return static_cast<int>(error);
}

// One leading "\", no drive letter, no "\\" or "\\?\" form, and on the device's drive once resolved:
// a typed "C:\..." or "\\?\unix\..." would reach the host's files.
bool IsDevicePath(const wchar_t* path) {
  return path[0] == L'\\' && path[1] != L'\\' && quintar::coredll::ToDevicePath(path).has_value();
}

}  // namespace

extern "C" int WINAPI CeSHFileOperation(LPSHFILEOPSTRUCTW op) {
  if (!op) return Fail(ERROR_INVALID_PARAMETER);
  op->fAnyOperationsAborted = FALSE;
  if (op->wFunc != FO_RENAME) return Fail(ERROR_NOT_SUPPORTED);
  if (!op->pFrom || !op->pTo || !*op->pFrom || !*op->pTo) return Fail(ERROR_INVALID_PARAMETER);
  if (!IsDevicePath(op->pFrom) || !IsDevicePath(op->pTo)) return Fail(ERROR_BAD_PATHNAME);
  if (!MoveFileW(op->pFrom, op->pTo)) {
    DWORD error = GetLastError();
    return Fail(error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : (error ? error : ERROR_GEN_FAILURE));
  }
  return 0;
}

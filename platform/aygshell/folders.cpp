// The device's special folders, and the reset and power-off requests, which the emulated device
// records in its event log instead of stopping.
#include <cstdio>

#include "platform/aygshell/aygshell_internal.h"

using namespace quintar;

namespace {

struct Folder {
  int csidl;
  const wchar_t* path;
};

constexpr Folder kFolders[] = {
    {CSIDL_DESKTOP, L"\\Windows\\Desktop"},
    {CSIDL_PROGRAMS, L"\\Windows\\Start Menu\\Programs"},
    {CSIDL_PERSONAL, L"\\My Documents"},
    {CSIDL_FAVORITES, L"\\Windows\\Favorites"},
    {CSIDL_STARTUP, L"\\Windows\\StartUp"},
    {CSIDL_RECENT, L"\\Windows\\Recent"},
    {CSIDL_STARTMENU, L"\\Windows\\Start Menu"},
    {CSIDL_MYMUSIC, L"\\My Documents\\My Music"},
    {CSIDL_MYVIDEO, L"\\My Documents\\My Videos"},
    {CSIDL_DESKTOPDIRECTORY, L"\\Windows\\Desktop"},
    {CSIDL_FONTS, L"\\Windows\\Fonts"},
    {CSIDL_APPDATA, L"\\Application Data"},
    {CSIDL_WINDOWS, L"\\Windows"},
    {CSIDL_PROGRAM_FILES, L"\\Program Files"},
    {CSIDL_MYPICTURES, L"\\My Documents\\My Pictures"},
};

constexpr int kCsidlFlagCreate = 0x8000;
constexpr int kCsidlFlagMask = 0xFF00;

bool IsFolder(const wchar_t* path) {
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder and any missing parents, all below the device root.
bool CreateFolderTree(const wchar_t* path) {
  wchar_t partial[MAX_PATH];
  size_t length = wcslen(path);
  if (length >= MAX_PATH) return false;
  for (size_t i = 1; i <= length; ++i) {
    if (path[i] != L'\\' && path[i] != L'\0') continue;
    wcsncpy(partial, path, i);
    partial[i] = L'\0';
    if (!IsFolder(partial) && !CreateDirectoryW(partial, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
  }
  return IsFolder(path);
}

}  // namespace

extern "C" BOOL WINAPI CeGetSpecialFolderPath(HWND, LPWSTR path, int folder, BOOL create) {
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  path[0] = L'\0';
  if (folder & kCsidlFlagCreate) create = TRUE;
  int csidl = folder & ~kCsidlFlagMask;
  const wchar_t* found = nullptr;
  for (const Folder& entry : kFolders) {
    if (entry.csidl == csidl) found = entry.path;
  }
  if (!found) {
    // Virtual folders (My Computer, Recycle Bin, ...) have no path.
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!IsFolder(found) && !(create && CreateFolderTree(found))) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  lstrcpynW(path, found, MAX_PATH);
  return TRUE;
}

extern "C" BOOL WINAPI CeExitWindowsEx(UINT flags, DWORD) {
  if (flags != EWX_REBOOT && flags != EWX_POWEROFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  using LogEvent = BOOL(WINAPI*)(LPCWSTR);
  win32::Module core(LoadLibraryW(L"coredll.dll"));
  auto log = core ? reinterpret_cast<LogEvent>(reinterpret_cast<void*>(GetProcAddress(core.get(), "QuintarLogEvent")))
                  : nullptr;
  if (!log) {
    DWORD error = core ? ERROR_PROC_NOT_FOUND : GetLastError();
    core.reset();
    SetLastError(error ? error : ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  wchar_t line[32];
  swprintf(line, 32, L"exit-windows 0x%x", flags);
  BOOL logged = log(line);
  DWORD error = GetLastError();
  core.reset();
  if (!logged) SetLastError(error);
  return logged;
}

// Windows CE kernel-side services that desktop Windows lacks, as the device's coredll.dll and
// note_prj.dll provide them. Names, signatures, record layouts and flag values are the device's.
#pragma once

#include <windows.h>

#include <shellapi.h>

#ifdef __cplusplus
extern "C" {
#endif

// ---- File attributes the device keeps and Wine drops -------------------------------------------
// On the desktop these bits mean FILE_ATTRIBUTE_DEVICE and FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// on the device they mark files in ROM and ROM modules.
#define FILE_ATTRIBUTE_INROM 0x00000040
#define FILE_ATTRIBUTE_ROMMODULE 0x00002000

// ---- Battery -----------------------------------------------------------------------------------
// AC_LINE_*, BATTERY_FLAG_*, BATTERY_PERCENTAGE_UNKNOWN and BATTERY_LIFE_UNKNOWN come from winbase.h.
#define BATTERY_CHEMISTRY_ALKALINE 0x01
#define BATTERY_CHEMISTRY_NICD 0x02
#define BATTERY_CHEMISTRY_NIMH 0x03
#define BATTERY_CHEMISTRY_LION 0x04
#define BATTERY_CHEMISTRY_LIPOLY 0x05
#define BATTERY_CHEMISTRY_ZINCAIR 0x06
#define BATTERY_CHEMISTRY_UNKNOWN 0xFF

typedef struct _SYSTEM_POWER_STATUS_EX {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;
  DWORD BatteryFullLifeTime;
  BYTE Reserved2;
  BYTE BackupBatteryFlag;
  BYTE BackupBatteryLifePercent;
  BYTE Reserved3;
  DWORD BackupBatteryLifeTime;
  DWORD BackupBatteryFullLifeTime;
} SYSTEM_POWER_STATUS_EX, *PSYSTEM_POWER_STATUS_EX, *LPSYSTEM_POWER_STATUS_EX;

typedef struct _SYSTEM_POWER_STATUS_EX2 {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;
  DWORD BatteryFullLifeTime;
  BYTE Reserved2;
  BYTE BackupBatteryFlag;
  BYTE BackupBatteryLifePercent;
  BYTE Reserved3;
  DWORD BackupBatteryLifeTime;
  DWORD BackupBatteryFullLifeTime;
  DWORD BatteryVoltage;  // millivolts
  DWORD BatteryCurrent;  // milliamperes, signed, negative while discharging
  DWORD BatteryAverageCurrent;
  DWORD BatteryAverageInterval;  // milliseconds
  DWORD BatterymAHourConsumed;
  DWORD BatteryTemperature;  // tenths of a degree Celsius
  DWORD BackupBatteryVoltage;
  BYTE BatteryChemistry;
} SYSTEM_POWER_STATUS_EX2, *PSYSTEM_POWER_STATUS_EX2, *LPSYSTEM_POWER_STATUS_EX2;

// fUpdate is accepted for fidelity; the profile is read afresh on every call.
BOOL WINAPI GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX pstatus, BOOL fUpdate);
// Returns the number of bytes written (at most dwLen), 0 on failure.
DWORD WINAPI GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 pstatus, DWORD dwLen, BOOL fUpdate);

// ---- Object store ------------------------------------------------------------------------------
typedef struct STORE_INFORMATION {
  DWORD dwStoreSize;
  DWORD dwFreeSize;
} STORE_INFORMATION, *LPSTORE_INFORMATION;

BOOL WINAPI GetStoreInformation(LPSTORE_INFORMATION lpsi);

// ---- Program memory ----------------------------------------------------------------------------
// The device's GlobalMemoryStatus (exported under that name too): total and available program
// memory from the profile values "MemoryTotal" and "MemoryAvail" (bytes), dwMemoryLoad the used
// share in whole percent, no page file. Without those values the desktop's figures pass through.
void WINAPI CeGlobalMemoryStatus(LPMEMORYSTATUS lpBuffer);

// ---- Reset and power ---------------------------------------------------------------------------
#ifndef FILE_DEVICE_HAL
#define FILE_DEVICE_HAL 0x00000101
#endif
// CTL_CODE(FILE_DEVICE_HAL, 15, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_HAL_REBOOT 0x0101003C

// On the emulated device a reboot request is recorded in the event log ("reboot") and returns
// TRUE; other codes fail with ERROR_NOT_SUPPORTED.
BOOL WINAPI KernelIoControl(DWORD dwIoControlCode, LPVOID lpInBuf, DWORD nInBufSize, LPVOID lpOutBuf,
                            DWORD nOutBufSize, LPDWORD lpBytesReturned);
// Recorded as "clean-reboot-flag".
void WINAPI SetCleanRebootFlag(void);
// Recorded as "idle-timer-reset".
void WINAPI SystemIdleTimerReset(void);

// System power states (pm.h).
#define POWER_STATE_ON 0x00010000
#define POWER_STATE_OFF 0x00020000
#define POWER_STATE_CRITICAL 0x00040000
#define POWER_STATE_BOOT 0x00080000
#define POWER_STATE_IDLE 0x00100000
#define POWER_STATE_SUSPEND 0x00200000
#define POWER_STATE_UNATTENDED 0x00400000
#define POWER_STATE_RESET 0x00800000
#define POWER_STATE_USERIDLE 0x01000000
#define POWER_STATE_BACKLIGHTON 0x02000000
#define POWER_STATE_PASSWORD 0x10000000
#define POWER_FORCE 0x00001000

// coredll.dll exports the device's "SetSystemPowerState" by name. Desktop winbase.h declares a
// different SetSystemPowerState, so callers look the device's up with GetProcAddress:
//   DWORD SetSystemPowerState(LPCWSTR psState, DWORD StateFlags, DWORD Options);
// It returns ERROR_SUCCESS (0) once the request is recorded as
// "power-state <name or -> 0x<state hex> 0x<options hex>".
typedef DWORD(WINAPI* PFN_SetSystemPowerState)(LPCWSTR psState, DWORD StateFlags, DWORD Options);

// The device's power key as a virtual key (keybd_event down then up switches the device off).
#ifndef VK_OFF
#define VK_OFF 0xDF
#endif

// Display escapes for video power management (pwingdi.h).
#ifndef SETPOWERMANAGEMENT
#define SETPOWERMANAGEMENT 6147
#endif
#ifndef GETPOWERMANAGEMENT
#define GETPOWERMANAGEMENT 6148
#endif

// ---- Events ------------------------------------------------------------------------------------
#define EVENT_PULSE 1
#define EVENT_RESET 2
#define EVENT_SET 3

BOOL WINAPI EventModify(HANDLE hEvent, DWORD func);

// ---- Drawing -----------------------------------------------------------------------------------
// hSrc is a device context or a bitmap that is not selected into one. Stretches when the
// rectangles differ; pixels of TransparentColor leave the destination untouched.
BOOL WINAPI TransparentImage(HDC hdcDest, LONG DstX, LONG DstY, LONG DstCx, LONG DstCy, HANDLE hSrc,
                             LONG SrcX, LONG SrcY, LONG SrcCx, LONG SrcCy, COLORREF TransparentColor);

// ---- Finds and attributes with the device's attributes -----------------------------------------
// Same contracts as FindFirstFileW / FindNextFileW / GetFileAttributesW / GetFileAttributesExW,
// plus the attributes the device keeps: a storage-card folder at the root carries
// FILE_ATTRIBUTE_TEMPORARY, and a file the profile lists as in ROM carries FILE_ATTRIBUTE_INROM |
// FILE_ATTRIBUTE_ROMMODULE | FILE_ATTRIBUTE_READONLY. The search is closed with FindClose (or
// CeFindClose, which also drops the overlay's bookkeeping at once).
HANDLE WINAPI CeFindFirstFile(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
BOOL WINAPI CeFindNextFile(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
BOOL WINAPI CeFindClose(HANDLE hFindFile);
DWORD WINAPI CeGetFileAttributes(LPCWSTR lpFileName);
BOOL WINAPI CeGetFileAttributesEx(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId,
                                  LPVOID lpFileInformation);

// ---- The desktop window -----------------------------------------------------------------------
// The window the device's own programs call the desktop: the shell's Today screen ("DeskTop",
// class "DesktopExplorerWindow"), or the system's desktop window when no shell runs.
HWND WINAPI CeGetDesktopWindow(void);
// PostMessageW as the device does it: a message to GetDesktopWindow() goes to CeGetDesktopWindow(),
// and a message the system will not post across processes (WM_WININICHANGE and the like:
// ERROR_MESSAGE_SYNC_ONLY) is sent instead, with a 5 s limit for a hung receiver.
BOOL WINAPI CePostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// ---- Shortcuts (shellapi.h on the device) -------------------------------------------------------
// A shortcut file holds one command line: its length in UTF-16 units in decimal, '#', then the
// command line ("25#\"\\Windows\\Program.exe\" -x"), in UTF-8 without a line ending. The
// command line's path is quoted when it holds spaces and may be followed by parameters.
// Paths are device paths: one with a drive letter, "\\" or "\\?\" is outside the device and
// refused (ERROR_BAD_PATHNAME), as is a shortcut path or a target of MAX_PATH or more units
// (ERROR_FILENAME_EXCED_RANGE) and a target with control characters (ERROR_INVALID_PARAMETER).

// Writes a new shortcut; never overwrites: FALSE with ERROR_FILE_EXISTS when the file exists.
BOOL WINAPI SHCreateShortcut(LPWSTR szShortcut, LPWSTR szTarget);
// Reads a shortcut's command line into szTarget, at most cbMax characters with the terminating
// zero (ERROR_INSUFFICIENT_BUFFER when it does not fit). A file that is not a shortcut is
// ERROR_BAD_FORMAT.
BOOL WINAPI SHGetShortcutTarget(LPWSTR szShortcut, LPWSTR szTarget, int cbMax);

// ---- Opening files ------------------------------------------------------------------------------
// The device's ShellExecuteEx (exported under that name too; the desktop's ShellExecuteExW opens
// nothing of the device's). lpFile is a device path, or a program's name found in "\Windows".
// - a shortcut (".lnk") is followed: its command line's path opened with its parameters, the
//   caller's lpParameters after them;
// - a folder opens in File Explorer ("\Windows\fexplore.exe" "<folder>");
// - a program (".exe") starts with lpParameters;
// - another file opens through HKEY_CLASSES_ROOT: ".ext" names a class whose
//   "shell\<verb>\command" is the command line, "%1" (or "%L") standing for the file and "%*"
//   for lpParameters; without "%1" the quoted file is appended.
// The verb is lpVerb or "open". Programs start with lpDirectory, or the device root, as current
// folder. A program outside "\Windows" (whose programs record themselves) is recorded in the
// launch log as "<program file name in lower case>|<arguments>".
// Failures return FALSE with GetLastError (ERROR_FILE_NOT_FOUND, ERROR_NO_ASSOCIATION,
// ERROR_BAD_PATHNAME, ...) and hInstApp set to the matching SE_ERR_* value; the device tells the
// user in a message box owned by hwnd unless fMask has SEE_MASK_FLAG_NO_UI. With
// SEE_MASK_NOCLOSEPROCESS, hProcess is the started process (the caller closes it).
BOOL WINAPI CeShellExecuteEx(LPSHELLEXECUTEINFOW lpExecInfo);

// ---- Network shares -----------------------------------------------------------------------------
// coredll.dll exports the device's WNetConnectionDialog1W (a CONNECTDLGSTRUCTW whose resource is
// of disk type) and WNetDisconnectDialog(owner, type), as winnetwk.h declares them; link coredll,
// not mpr. The emulated device has no network: each shows a dialog owned by the caller's window,
// records "network-connect-dialog" / "network-disconnect-dialog" in the event log, and answers
// Cancel with 0xFFFFFFFF ("network-connect cancel") and OK with the profile's DWORD
// NetworkConnectResult / NetworkDisconnectResult (logged with the typed path), or without one
// ERROR_NO_NETWORK / ERROR_NOT_CONNECTED.

// ---- Storage cards (note_prj.dll: FindFirstFlashCard @7, FindNextFlashCard @8) -----------------
// Enumerates the profile's storage-card folders present at the device root, in the profile's
// order. cFileName is the card's folder name. The handle is a real find handle: close it with
// FindClose.
HANDLE WINAPI FindFirstFlashCard(LPWIN32_FIND_DATAW lpFindFlashData);
BOOL WINAPI FindNextFlashCard(HANDLE hFlashCard, LPWIN32_FIND_DATAW lpFindFlashData);

#ifdef __cplusplus
}
#endif

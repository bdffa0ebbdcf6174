// Reset and power requests: recorded in the device's event log; the emulator keeps running.
#include <ceservices.h>

#include <cwchar>
#include <string>

#include "platform/coredll/devicelog_internal.h"

namespace {

bool LogEvent(const wchar_t* line) {
  try {
    return quintar::coredll::AppendLogLine(L"EventLog", line);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

}  // namespace

extern "C" BOOL WINAPI KernelIoControl(DWORD dwIoControlCode, LPVOID /*lpInBuf*/, DWORD /*nInBufSize*/,
                                       LPVOID /*lpOutBuf*/, DWORD /*nOutBufSize*/, LPDWORD lpBytesReturned) {
  if (lpBytesReturned) *lpBytesReturned = 0;
  if (dwIoControlCode != IOCTL_HAL_REBOOT) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  return LogEvent(L"reboot") ? TRUE : FALSE;
}

extern "C" void WINAPI SetCleanRebootFlag(void) {
  DWORD saved = GetLastError();
  LogEvent(L"clean-reboot-flag");
  SetLastError(saved);
}

// Exported as "SetSystemPowerState"; the desktop's kernel32 function of that name differs.
extern "C" DWORD WINAPI CeSetSystemPowerState(LPCWSTR psState, DWORD StateFlags, DWORD Options) {
  try {
    std::wstring line = L"power-state ";
    line += (psState && *psState) ? psState : L"-";
    wchar_t numbers[40];
    swprintf(numbers, 40, L" 0x%lx 0x%lx", static_cast<unsigned long>(StateFlags), static_cast<unsigned long>(Options));
    line += numbers;
    if (LogEvent(line.c_str())) return ERROR_SUCCESS;
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

// Keeps the device from suspending during long work; recorded as "idle-timer-reset".
extern "C" void WINAPI SystemIdleTimerReset(void) {
  DWORD saved = GetLastError();
  LogEvent(L"idle-timer-reset");
  SetLastError(saved);
}

extern "C" BOOL WINAPI EventModify(HANDLE hEvent, DWORD func) {
  switch (func) {
    case EVENT_PULSE:
      return PulseEvent(hEvent);
    case EVENT_RESET:
      return ResetEvent(hEvent);
    case EVENT_SET:
      return SetEvent(hEvent);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

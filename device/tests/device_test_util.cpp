#include "device/tests/device_test_util.h"

namespace quintar::device::tests {

testsupport::ChildProcess Start(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
  return testsupport::ChildProcess(pi);
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring DeviceLogPath(const wchar_t* valueName, const wchar_t* fallback) {
  wchar_t value[MAX_PATH];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Quintar\\Device", valueName, RRF_RT_REG_SZ, nullptr, value, &size) ==
          ERROR_SUCCESS &&
      value[0]) {
    return value;
  }
  return fallback;
}

}  // namespace quintar::device::tests

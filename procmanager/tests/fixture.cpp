#include "fixture.h"

#include <fstream>
#include <sstream>

#include "testsupport/testsupport.h"

namespace vorrel_test {

namespace {
HKEY OpenDeviceKey() {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDeviceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}
}  // namespace

void SetProfileDword(const wchar_t* name, DWORD value) {
  HKEY key = OpenDeviceKey();
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

void SetProfileMultiString(const wchar_t* name, const std::vector<std::wstring>& items) {
  std::wstring data;
  for (const auto& item : items) data += item + L'\0';
  data += L'\0';
  HKEY key = OpenDeviceKey();
  RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                 static_cast<DWORD>(data.size() * sizeof(wchar_t)));
  RegCloseKey(key);
}

void DeleteProfileValue(const wchar_t* name) {
  HKEY key = OpenDeviceKey();
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

std::vector<std::string> EventLines() { return testsupport::DeviceEventLines(); }

Sleeper::Sleeper(const std::wstring& exeName, DWORD ms) {
  CreateDirectoryW(L"\\Temp", nullptr);
  CreateDirectoryW(L"\\Temp\\vorrel-test", nullptr);
  std::wstring path = L"\\Temp\\vorrel-test\\" + exeName;
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
      !CopyFileW(L"T:\\vorrel_sleeper.exe", path.c_str(), FALSE))
    return;
  std::wstring line = L"\"" + path + L"\" " + std::to_wstring(ms);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
}

Sleeper::~Sleeper() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 5000);
  CloseHandle(process_);
}

DWORD Sleeper::WaitExit(DWORD ms) const {
  DWORD code = STILL_ACTIVE;
  if (process_ && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
  return code;
}

}  // namespace vorrel_test

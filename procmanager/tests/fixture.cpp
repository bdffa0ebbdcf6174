#include "fixture.h"

#include <fstream>
#include <sstream>

#include "testsupport/testsupport.h"
#include "win32/handle.h"

namespace vorrel_test {

namespace {
quintar::win32::RegKey OpenDeviceKey() {
  quintar::win32::RegKey key;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDeviceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
  return key;
}
}  // namespace

void SetProfileDword(const wchar_t* name, DWORD value) {
  RegSetValueExW(OpenDeviceKey().get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void SetProfileMultiString(const wchar_t* name, const std::vector<std::wstring>& items) {
  std::wstring data;
  for (const auto& item : items) data += item + L'\0';
  data += L'\0';
  RegSetValueExW(OpenDeviceKey().get(), name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                 static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

void DeleteProfileValue(const wchar_t* name) { RegDeleteValueW(OpenDeviceKey().get(), name); }

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
  quintar::win32::KernelHandle thread(pi.hThread);
  process_.reset(pi.hProcess);
  pid_ = pi.dwProcessId;
}

Sleeper::~Sleeper() {
  if (!process_) return;
  if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 99);
  WaitForSingleObject(process_.get(), 5000);
}

DWORD Sleeper::WaitExit(DWORD ms) const {
  DWORD code = STILL_ACTIVE;
  if (process_ && WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0) GetExitCodeProcess(process_.get(), &code);
  return code;
}

}  // namespace vorrel_test

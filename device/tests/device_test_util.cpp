#include "device_test_util.h"

#include "testsupport/testsupport.h"

#include <vector>

namespace devicetest {

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Reset();
    process_ = other.process_;
    other.process_ = nullptr;
  }
  return *this;
}

Process::~Process() { Reset(); }

void Process::Reset() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
}

Process Start(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
  CloseHandle(pi.hThread);
  return Process(pi.hProcess);
}

int Run(const std::wstring& commandLine, std::string* output, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::wstring line = commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return -1;
  }
  CloseHandle(pi.hThread);
  Process process(pi.hProcess);
  // Read as it comes, so a full pipe never stalls the program; a program that outlives the time
  // limit is ended and reported as -1.
  std::string text;
  DWORD start = GetTickCount();
  bool ended = false;
  for (;;) {
    DWORD available = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[4096];
      DWORD got = 0;
      if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
      text.append(buffer, got);
    }
    if (ended) break;
    ended = WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0;
    if (!ended && GetTickCount() - start > timeoutMs) break;
  }
  CloseHandle(readEnd);
  if (output) *output = text;
  if (!ended) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
  return testsupport::PumpUntil(predicate, timeoutMs);
}

std::string ReadFileUtf8(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteTextFile(const std::wstring& path, const char* text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, lstrlenA(text), &written, nullptr);
  CloseHandle(file);
}

std::wstring DeviceLogPath(const wchar_t* valueName, const wchar_t* fallback) {
  wchar_t value[MAX_PATH];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Quintar\\Device", valueName, RRF_RT_REG_SZ, nullptr, value,
                   &size) == ERROR_SUCCESS && value[0]) {
    return value;
  }
  return fallback;
}

}  // namespace devicetest

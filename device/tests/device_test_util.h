// Helpers for the device's end-to-end tests: programs started from the test drive, waits, files.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace devicetest {

// A started program, terminated when the owner goes unless it ended by itself.
class Process {
 public:
  Process() = default;
  explicit Process(HANDLE process) : process_(process) {}
  Process(Process&& other) noexcept : process_(other.process_) { other.process_ = nullptr; }
  Process& operator=(Process&& other) noexcept;
  ~Process();
  HANDLE get() const { return process_; }
  explicit operator bool() const { return process_ != nullptr; }

 private:
  void Reset();
  HANDLE process_ = nullptr;
};

Process Start(const std::wstring& commandLine);

// Runs a program to its end (at most timeoutMs); returns its exit code, or -1. Its standard
// output, when wanted, is collected as UTF-8.
int Run(const std::wstring& commandLine, std::string* output = nullptr, DWORD timeoutMs = 20000);

// Polls (pumping this thread's messages) until the predicate holds or the time is up.
bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs = 10000);

std::string ReadFileUtf8(const std::wstring& path);
bool FileExists(const std::wstring& path);
void WriteTextFile(const std::wstring& path, const char* text);

// Where the device writes its event and launch logs.
std::wstring DeviceLogPath(const wchar_t* valueName, const wchar_t* fallback);

}  // namespace devicetest

// Shared pieces of Vorrel's Win32 tests: the device profile in the registry, the device's event
// log, and processes started under chosen names.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32/handle.h"

namespace vorrel_test {

constexpr wchar_t kDeviceKey[] = L"Software\\Quintar\\Device";

void SetProfileDword(const wchar_t* name, DWORD value);
void SetProfileMultiString(const wchar_t* name, const std::vector<std::wstring>& items);
void DeleteProfileValue(const wchar_t* name);

// The event log's lines (UTF-8 read as ASCII), and how many there are now.
std::vector<std::string> EventLines();

// A process started from a copy of the sleeper under `exeName` in "\Temp\vorrel-test".
class Sleeper {
 public:
  explicit Sleeper(const std::wstring& exeName, DWORD ms = 120000);
  ~Sleeper();
  Sleeper(const Sleeper&) = delete;
  Sleeper& operator=(const Sleeper&) = delete;
  bool ok() const { return static_cast<bool>(process_); }
  DWORD pid() const { return pid_; }
  bool Running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  // The exit code once ended within `ms`, STILL_ACTIVE otherwise.
  DWORD WaitExit(DWORD ms) const;

 private:
  quintar::win32::KernelHandle process_;
  DWORD pid_ = 0;
};

}  // namespace vorrel_test

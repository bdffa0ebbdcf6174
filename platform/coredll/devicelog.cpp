// The device's event and launch logs: one UTF-8 line per call, appended with one write.
#include <devicelog.h>

#include <string>

#include "platform/coredll/devicelog_internal.h"
#include "platform/coredll/profile.h"
#include "win32/handle.h"

namespace quintar::coredll {

namespace {

constexpr size_t kMaxLineUnits = 8192;

HANDLE OpenForAppend(const std::wstring& path) {
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the current end of file.
  return CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

void CreateParentFolders(const std::wstring& path) {
  for (size_t slash = path.find(L'\\', 1); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
    std::wstring folder = path.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') continue;
    CreateDirectoryW(folder.c_str(), nullptr);
  }
}

std::string ToUtf8Line(const std::wstring& text) {
  std::wstring line = text.substr(0, kMaxLineUnits);
  // Never end on the first half of a surrogate pair.
  if (!line.empty() && IS_HIGH_SURROGATE(line.back())) line.pop_back();
  for (auto& c : line) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  std::string out;
  if (!line.empty()) {
    int n = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    if (n > 0) {
      out.resize(static_cast<size_t>(n));
      WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), out.data(), n, nullptr, nullptr);
    }
  }
  out.push_back('\n');
  return out;
}

// Wine does not make FILE_APPEND_DATA writes from different handles atomic: two writers can
// land on the same end of file and one line is lost. Appends are serialised across the device's
// processes (one wineserver) by a named mutex.
class AppendLock {
 public:
  AppendLock() : mutex_(Mutex()) {
    if (!mutex_) return;
    DWORD wait = WaitForSingleObject(mutex_, kWaitMs);
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  ~AppendLock() {
    if (held_) ReleaseMutex(mutex_);
  }
  AppendLock(const AppendLock&) = delete;
  AppendLock& operator=(const AppendLock&) = delete;
  bool held() const { return held_; }

 private:
  static constexpr DWORD kWaitMs = 10000;
  static HANDLE Mutex() {
    static const HANDLE mutex = CreateMutexW(nullptr, FALSE, L"QuintarDeviceLogAppend");
    return mutex;
  }
  HANDLE mutex_;
  bool held_ = false;
};

}  // namespace

bool AppendLogLine(const wchar_t* valueName, const std::wstring& text) {
  std::wstring path;
  {
    ProfileKey profile;
    path = profile.String(valueName).value_or(std::wstring());
  }
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  const std::string bytes = ToUtf8Line(text);

  AppendLock lock;
  if (!lock.held()) {
    SetLastError(ERROR_TIMEOUT);
    return false;
  }
  win32::FileHandle file(OpenForAppend(path));
  if (!file && GetLastError() == ERROR_PATH_NOT_FOUND) {
    CreateParentFolders(path);
    file.reset(OpenForAppend(path));
  }
  if (!file) return false;
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return false;
  if (written != bytes.size()) {
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

}  // namespace quintar::coredll

extern "C" BOOL WINAPI QuintarLogEvent(LPCWSTR line) {
  if (!line) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    return quintar::coredll::AppendLogLine(L"EventLog", line) ? TRUE : FALSE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

extern "C" BOOL WINAPI QuintarLogLaunch(LPCWSTR program, LPCWSTR commandLine) {
  if (!program) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    std::wstring line = program;
    line += L'|';
    if (commandLine) line += commandLine;
    return quintar::coredll::AppendLogLine(L"LaunchLog", line) ? TRUE : FALSE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

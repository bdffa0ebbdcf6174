// The device log, reached through coredll.dll by name: the stand-ins must keep working on an
// image that does not carry it, and then simply record nothing.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::device {

inline FARPROC CoreDllExport(const char* name) {
  static HMODULE coredll = LoadLibraryW(L"coredll.dll");
  return coredll ? GetProcAddress(coredll, name) : nullptr;
}

inline bool LogEvent(const wchar_t* line) {
  using Fn = BOOL(WINAPI*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(CoreDllExport("QuintarLogEvent")));
  return fn && fn(line);
}

inline bool LogLaunch(const wchar_t* program, const wchar_t* commandLine) {
  using Fn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(CoreDllExport("QuintarLogLaunch")));
  return fn && fn(program, commandLine);
}

// The program's own file name, lower case ("ctlpnl.exe").
inline std::wstring OwnProgramName() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"unknown.exe";
  std::wstring name(path, length);
  name.erase(0, name.find_last_of(L"\\/") + 1);
  CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

// The command line after the program's own (possibly quoted) path.
inline std::wstring OwnArguments() {
  const wchar_t* p = GetCommandLineW();
  bool quoted = false;
  for (; *p; ++p) {
    if (*p == L'"')
      quoted = !quoted;
    else if (!quoted && (*p == L' ' || *p == L'\t'))
      break;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

// Records "<program>|<arguments>" as every device program started by name does.
inline bool LogOwnStart() { return LogLaunch(OwnProgramName().c_str(), OwnArguments().c_str()); }

}  // namespace quintar::device

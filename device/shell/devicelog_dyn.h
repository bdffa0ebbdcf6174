// The device log, reached through coredll.dll by name: the stand-ins must keep working on an
// image that does not carry it, and then simply record nothing.
#pragma once

#include <windows.h>

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

}  // namespace quintar::device

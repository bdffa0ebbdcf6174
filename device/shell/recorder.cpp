// The platform programs the suite starts by name (ctlpnl.exe, tmail.exe, beam.exe, ...): each
// records "<program>|<command line>" in the device's launch log and exits. Exit code 0 when the
// line was written, 2 when the device log is not available.
#include <windows.h>

#include <string>

#include "device/shell/devicelog_dyn.h"

namespace {

// The program's own file name, lower case ("ctlpnl.exe").
std::wstring ProgramName() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"unknown.exe";
  std::wstring name(path, length);
  name.erase(0, name.find_last_of(L"\\/") + 1);
  CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

// The command line after the program's own (possibly quoted) path.
std::wstring Arguments() {
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  return quintar::device::LogLaunch(ProgramName().c_str(), Arguments().c_str()) ? 0 : 2;
}

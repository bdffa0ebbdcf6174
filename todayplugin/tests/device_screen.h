// The screen of the device a Win32 test runs on: its profile's name and its display scale.
#pragma once

#include <windows.h>

#include <string>

#include "win32/handle.h"

namespace quintar::glancet::test {

inline std::wstring Profile() {
  wchar_t name[32] = L"unknown";
  DWORD size = sizeof name;
  RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Quintar\\Device", L"Profile", RRF_RT_REG_SZ, nullptr, name, &size);
  return name;
}

inline int Scale() {
  win32::WindowDc dc(nullptr);
  return GetDeviceCaps(dc.get(), LOGPIXELSX) > 96 ? 2 : 1;
}

}  // namespace quintar::glancet::test

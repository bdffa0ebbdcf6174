// What the test components saw, kept in HKEY_CURRENT_USER "Software\Quintar\Tests\..." where the
// tests (another process on the same device) read it.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::device::testitems {

inline std::wstring KeyPath(const wchar_t* component, const wchar_t* sub) {
  std::wstring path = std::wstring(L"Software\\Quintar\\Tests\\") + component;
  if (sub && *sub) path += std::wstring(L"\\") + sub;
  return path;
}

inline void SetDword(const std::wstring& key, const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

inline DWORD GetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD fallback) {
  DWORD value = 0, size = sizeof value;
  return RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS ? value
                                                                                                          : fallback;
}

inline void Increment(const std::wstring& key, const wchar_t* name) {
  SetDword(key, name, GetDword(HKEY_CURRENT_USER, key, name, 0) + 1);
}

inline void SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

inline std::wstring GetString(const std::wstring& key, const wchar_t* name) {
  wchar_t value[1024] = L"";
  DWORD size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size);
  return value;
}

inline void Append(const std::wstring& key, const wchar_t* name, const std::wstring& step) {
  std::wstring value = GetString(key, name);
  SetString(key, name, value.empty() ? step : value + L"," + step);
}

}  // namespace quintar::device::testitems

// Folderon's registry store: typed reads and writes on one key that leave the caller's value
// alone whenever the registry cannot give a value of the right shape.
#pragma once

#include <windows.h>

#include <string>

#include "win32/handle.h"

namespace quintar::folderon {

inline constexpr wchar_t kProgramKey[] = L"Software\\Olvenmark\\Folderon+";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Olvenmark\\Folderon+\\Settings";
inline constexpr wchar_t kRebarKey[] = L"Software\\Olvenmark\\Folderon+\\Settings\\Rebar";
inline constexpr wchar_t kRecentKey[] = L"Software\\Olvenmark\\Folderon+\\Settings\\Recent";

// A key under HKEY_CURRENT_USER, opened with create-if-missing and full access. An unopenable
// key reads nothing and writes nothing.
class SettingsKey {
 public:
  explicit SettingsKey(const wchar_t* subKey);
  explicit operator bool() const { return static_cast<bool>(key_); }

  void ReadDword(const wchar_t* name, DWORD& value) const;
  void ReadDword(const wchar_t* name, int& value) const;
  // Up to `maxChars` characters; a value without terminator is cut safely.
  void ReadString(const wchar_t* name, std::wstring& value, size_t maxChars = 259) const;
  // Taken only when exactly `size` bytes come back.
  bool ReadExact(const wchar_t* name, void* data, DWORD size) const;
  // Copies what was read, at most `size` bytes (shorter values leave the rest as it was).
  void ReadUpTo(const wchar_t* name, void* data, DWORD size) const;

  void WriteDword(const wchar_t* name, DWORD value) const;
  void WriteString(const wchar_t* name, const std::wstring& value) const;
  void WriteBinary(const wchar_t* name, const void* data, DWORD size) const;
  // A string value written as exactly `bytes` bytes (zero-padded), as the program path is.
  void WriteFixedString(const wchar_t* name, const std::wstring& value, DWORD bytes) const;
  void DeleteValue(const wchar_t* name) const;

 private:
  win32::RegKey key_;
};

}  // namespace quintar::folderon

// The device profile in the device registry and the device's path rules, shared by coredll.dll
// and note_prj.dll. Every read goes to the registry so a changed profile is seen at once.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "win32/handle.h"

namespace quintar::coredll {

inline constexpr wchar_t kProfileKey[] = L"Software\\Quintar\\Device";

// The profile key opened for reading; empty when the key is missing.
class ProfileKey {
 public:
  ProfileKey();

  bool IsOpen() const { return static_cast<bool>(key_); }
  std::optional<DWORD> Dword(const wchar_t* name) const;
  std::optional<std::wstring> String(const wchar_t* name) const;
  // The strings of a REG_MULTI_SZ value, empty strings dropped; empty when missing.
  std::vector<std::wstring> MultiString(const wchar_t* name) const;

 private:
  win32::RegKey key_;
};

// Ordinal, case-insensitive equality, as the device's file system compares names.
bool SameName(const std::wstring& a, const std::wstring& b);

// The device path ("\Windows\x", root "") of a path as the current process resolves it; nullopt
// when it lies outside the device drive (another drive letter, a UNC path) or cannot be resolved.
std::optional<std::wstring> ToDevicePath(const wchar_t* path);

// The folder part and the leaf of a device path: "\Windows\a.txt" -> "\Windows", "a.txt";
// "\Storage Card" -> "", "Storage Card".
void SplitDevicePath(const std::wstring& devicePath, std::wstring& folder, std::wstring& leaf);

// The profile's storage-card folder names (leaf names at the root).
std::vector<std::wstring> StorageCardNames(const ProfileKey& profile);
// The profile's files in ROM, as device paths.
std::vector<std::wstring> RomFilePaths(const ProfileKey& profile);

}  // namespace quintar::coredll

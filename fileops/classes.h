// Reading and writing default values under HKEY_CLASSES_ROOT for the file-type dialogs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quintar::fileops {

// The default value of `key`, when it is a string.
std::optional<std::wstring> ClassValue(const std::wstring& key);
bool WriteClassValue(const std::wstring& key, const std::wstring& value);
bool IsExistingFile(const std::wstring& path);

struct AppEntry {
  std::wstring className;
  std::wstring typeName;
  std::wstring program;  // full path
  std::wstring parameters;
};
// The class's program and parameters when its command and type name can be read and its
// program exists.
std::optional<AppEntry> ReadClass(const std::wstring& className);
// Writes the class whole: type name, open command and icon.
bool WriteClass(const AppEntry& entry, const std::wstring& iconFile, int iconIndex);

}  // namespace quintar::fileops

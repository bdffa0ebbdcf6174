// Keys and values of the real registry as the browser reads them: keys held by the shared owner
// (a predefined root is used as it is and never closed), values read whatever their size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "regeditor/core/registry_text.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::tamsk {

// A path below a root as the registry functions take it: without the leading "\".
inline const wchar_t* SubkeyArg(const std::wstring& path) {
  return path.empty() ? L"" : (path[0] == L'\\' ? path.c_str() + 1 : path.c_str());
}

// The path of `name` below `path`.
inline std::wstring JoinPath(const std::wstring& path, const std::wstring& name) {
  return win32::Wide(core::JoinKeyPath(win32::U16View(path), win32::U16View(name)));
}

// The root itself when `path` is empty, else the key opened with `access`; empty on failure.
win32::RegKey OpenKey(HKEY root, const std::wstring& path, REGSAM access);
// The root itself when `path` is empty, else the key created or opened with KEY_ALL_ACCESS.
win32::RegKey CreateKey(HKEY root, const std::wstring& path);

struct ValueData {
  std::wstring name;
  DWORD type = 0;
  std::vector<BYTE> data;
};
// Enumerates every value of `key` whatever its size (the buffer grows as needed).
std::vector<ValueData> ReadValues(HKEY key);
bool ReadValue(HKEY key, const std::wstring& name, ValueData& out);

inline std::span<const std::uint8_t> Bytes(const std::vector<std::uint8_t>& data) { return {data.data(), data.size()}; }

inline LONG WriteValue(HKEY key, const std::wstring& name, DWORD type, std::span<const std::uint8_t> data) {
  return RegSetValueExW(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                        static_cast<DWORD>(data.size()));
}

}  // namespace quintar::tamsk

#include <algorithm>
#include <new>

#include "regeditor/registry.h"

namespace quintar::tamsk {

win32::RegKey OpenKey(HKEY root, const std::wstring& path, REGSAM access) {
  if (!root || path.empty()) return win32::RegKey(root);
  win32::RegKey key;
  if (RegOpenKeyExW(root, SubkeyArg(path), 0, access, key.put()) != ERROR_SUCCESS) key.release();
  return key;
}

win32::RegKey CreateKey(HKEY root, const std::wstring& path) {
  if (!root || path.empty()) return win32::RegKey(root);
  win32::RegKey key;
  if (RegCreateKeyExW(root, SubkeyArg(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

namespace {

// One enumeration step with buffers that grow until the value fits.
LONG EnumOne(HKEY key, DWORD index, std::vector<wchar_t>& name, std::vector<BYTE>& data, ValueData& out) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD nameChars = static_cast<DWORD>(name.size());
    DWORD bytes = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LONG rc = RegEnumValueW(key, index, name.data(), &nameChars, nullptr, &type, data.data(), &bytes);
    if (rc == ERROR_SUCCESS) {
      out.name.assign(name.data(), nameChars);
      out.type = type;
      out.data.assign(data.begin(), data.begin() + bytes);
      return rc;
    }
    if (rc != ERROR_MORE_DATA) return rc;
    DWORD maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                         nullptr, nullptr) != ERROR_SUCCESS) {
      return rc;
    }
    // Another writer may have grown the value meanwhile: never shrink, always grow.
    name.resize(std::max<size_t>(name.size() * 2, maxName + 2));
    data.resize(std::max<size_t>(data.size() * 2, maxData + 2));
  }
  return ERROR_MORE_DATA;
}

}  // namespace

std::vector<ValueData> ReadValues(HKEY key) {
  std::vector<ValueData> values;
  if (!key) return values;
  std::vector<wchar_t> name(260);
  std::vector<BYTE> data(4096);
  for (DWORD index = 0;; ++index) {
    ValueData value;
    LONG rc = EnumOne(key, index, name, data, value);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) break;
    values.push_back(std::move(value));
  }
  return values;
}

bool ReadValue(HKEY key, const std::wstring& name, ValueData& out) {
  if (!key) return false;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
  for (int attempt = 0; attempt < 4; ++attempt) {
    out.data.resize(bytes);
    DWORD got = bytes;
    LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, out.data.empty() ? nullptr : out.data.data(), &got);
    if (rc == ERROR_SUCCESS) {
      out.data.resize(got);
      out.name = name;
      out.type = type;
      return true;
    }
    if (rc != ERROR_MORE_DATA) return false;
    bytes = got > bytes ? got : bytes * 2 + 16;
  }
  return false;
}


}  // namespace quintar::tamsk

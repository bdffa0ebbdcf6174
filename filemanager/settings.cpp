#include "filemanager/settings.h"

#include <algorithm>
#include <vector>

namespace quintar::folderon {

namespace {
constexpr DWORD kReadBuffer = 520;
}

SettingsKey::SettingsKey(const wchar_t* subKey) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    key_.reset(key);
  }
}

void SettingsKey::ReadDword(const wchar_t* name, DWORD& value) const {
  DWORD v = 0;
  if (ReadExact(name, &v, sizeof v)) value = v;
}

void SettingsKey::ReadDword(const wchar_t* name, int& value) const {
  DWORD v = static_cast<DWORD>(value);
  ReadDword(name, v);
  value = static_cast<int>(v);
}

void SettingsKey::ReadString(const wchar_t* name, std::wstring& value, size_t maxChars) const {
  if (!key_) return;
  BYTE buffer[kReadBuffer + sizeof(wchar_t)] = {};
  DWORD size = kReadBuffer;
  DWORD type = 0;
  if (RegQueryValueExW(key_.get(), name, nullptr, &type, buffer, &size) != ERROR_SUCCESS) return;
  if (type != REG_SZ) return;
  const auto* text = reinterpret_cast<const wchar_t*>(buffer);
  size_t chars = size / sizeof(wchar_t);
  size_t length = 0;
  while (length < chars && text[length] != L'\0') ++length;
  if (length > maxChars) length = maxChars;
  value.assign(text, length);
}

bool SettingsKey::ReadExact(const wchar_t* name, void* data, DWORD size) const {
  if (!key_ || size > kReadBuffer) return false;
  BYTE buffer[kReadBuffer] = {};
  DWORD got = kReadBuffer;
  if (RegQueryValueExW(key_.get(), name, nullptr, nullptr, buffer, &got) != ERROR_SUCCESS || got != size) return false;
  memcpy(data, buffer, size);
  return true;
}

void SettingsKey::ReadUpTo(const wchar_t* name, void* data, DWORD size) const {
  if (!key_) return;
  BYTE buffer[kReadBuffer] = {};
  DWORD got = kReadBuffer;
  if (RegQueryValueExW(key_.get(), name, nullptr, nullptr, buffer, &got) != ERROR_SUCCESS) return;
  memcpy(data, buffer, got < size ? got : size);
}

void SettingsKey::WriteDword(const wchar_t* name, DWORD value) const {
  if (key_) RegSetValueExW(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void SettingsKey::WriteString(const wchar_t* name, const std::wstring& value) const {
  if (!key_) return;
  RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void SettingsKey::WriteBinary(const wchar_t* name, const void* data, DWORD size) const {
  if (key_) RegSetValueExW(key_.get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

void SettingsKey::WriteFixedString(const wchar_t* name, const std::wstring& value, DWORD bytes) const {
  if (!key_) return;
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t), L'\0');
  size_t n = value.size() < buffer.size() - 1 ? value.size() : buffer.size() - 1;
  std::copy_n(value.begin(), n, buffer.begin());
  RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(buffer.data()), bytes);
}

void SettingsKey::DeleteValue(const wchar_t* name) const {
  if (key_) RegDeleteValueW(key_.get(), name);
}

}  // namespace quintar::folderon

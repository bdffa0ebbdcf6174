#include "platform/coredll/profile.h"

namespace quintar::coredll {

ProfileKey::ProfileKey() {
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileKey, 0, KEY_QUERY_VALUE, key_.put()) != ERROR_SUCCESS) key_.release();
}

std::optional<DWORD> ProfileKey::Dword(const wchar_t* name) const {
  if (!key_) return std::nullopt;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(key_.get(), nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

namespace {

// Reads a string-typed value whole, retrying while another writer makes it grow.
std::optional<std::wstring> ReadRaw(HKEY key, const wchar_t* name, DWORD flags) {
  if (!key) return std::nullopt;
  std::wstring buffer;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    LSTATUS status = RegGetValueW(key, nullptr, name, flags, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return std::nullopt;
    buffer.assign(size / sizeof(wchar_t) + 2, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    status = RegGetValueW(key, nullptr, name, flags, nullptr, buffer.data(), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return std::nullopt;
    buffer.resize(size / sizeof(wchar_t));
    return buffer;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> ProfileKey::String(const wchar_t* name) const {
  auto raw = ReadRaw(key_.get(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND);
  if (!raw) return std::nullopt;
  raw->resize(wcsnlen(raw->c_str(), raw->size()));
  return raw;
}

std::vector<std::wstring> ProfileKey::MultiString(const wchar_t* name) const {
  std::vector<std::wstring> out;
  auto raw = ReadRaw(key_.get(), name, RRF_RT_REG_MULTI_SZ);
  if (!raw) return out;
  // Tolerates a missing final terminator: whatever follows the last zero is one more string.
  size_t start = 0;
  for (size_t i = 0; i <= raw->size(); ++i) {
    if (i == raw->size() || (*raw)[i] == L'\0') {
      if (i > start) out.emplace_back(raw->data() + start, i - start);
      start = i + 1;
    }
  }
  return out;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                      static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

void TrimTrailingSeparators(std::wstring& path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
}

}  // namespace

std::optional<std::wstring> ToDevicePath(const wchar_t* path) {
  if (!path || !*path) return std::nullopt;
  // The device is the current drive.
  DWORD got = GetCurrentDirectoryW(0, nullptr);
  if (got == 0) return std::nullopt;
  std::wstring cwd(got, L'\0');
  got = GetCurrentDirectoryW(got, cwd.data());
  if (got < 2 || !IsDriveLetter(cwd[0]) || cwd[1] != L':') return std::nullopt;
  const wchar_t drive = cwd[0];

  DWORD need = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (need == 0) return std::nullopt;
  std::wstring full(need, L'\0');
  DWORD len = GetFullPathNameW(path, need, full.data(), nullptr);
  if (len == 0 || len >= need) return std::nullopt;
  full.resize(len);
  if (full.size() < 2 || full[1] != L':' || !IsDriveLetter(full[0])) return std::nullopt;
  if ((full[0] | 0x20) != (drive | 0x20)) return std::nullopt;
  std::wstring device = full.substr(2);
  for (auto& c : device) {
    if (c == L'/') c = L'\\';
  }
  TrimTrailingSeparators(device);
  return device;
}

void SplitDevicePath(const std::wstring& devicePath, std::wstring& folder, std::wstring& leaf) {
  size_t slash = devicePath.find_last_of(L'\\');
  if (slash == std::wstring::npos) {
    folder.clear();
    leaf = devicePath;
    return;
  }
  folder = devicePath.substr(0, slash);
  leaf = devicePath.substr(slash + 1);
}

std::vector<std::wstring> StorageCardNames(const ProfileKey& profile) {
  std::vector<std::wstring> names;
  for (auto& name : profile.MultiString(L"StorageCards")) {
    size_t first = name.find_first_not_of(L'\\');
    if (first == std::wstring::npos) continue;
    std::wstring leaf = name.substr(first);
    TrimTrailingSeparators(leaf);
    // A card is a folder at the root; anything deeper is not a card name.
    if (leaf.empty() || leaf.find(L'\\') != std::wstring::npos) continue;
    names.push_back(std::move(leaf));
  }
  return names;
}

std::vector<std::wstring> RomFilePaths(const ProfileKey& profile) {
  std::vector<std::wstring> paths;
  for (auto& path : profile.MultiString(L"RomFiles")) {
    std::wstring p = path;
    for (auto& c : p) {
      if (c == L'/') c = L'\\';
    }
    TrimTrailingSeparators(p);
    if (p.empty()) continue;
    if (p.front() != L'\\') p.insert(p.begin(), L'\\');
    paths.push_back(std::move(p));
  }
  return paths;
}

}  // namespace quintar::coredll

#include "platform/coredll/tests/test_util.h"

namespace quintar::coredll::tests {

namespace {
constexpr wchar_t kKey[] = L"Software\\Quintar\\Device";

void Write(const std::wstring& name, DWORD type, const void* data, DWORD size) {
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, name.c_str(), type, data, size);
}
}  // namespace

ProfileValue::ProfileValue(const wchar_t* name) : name_(name) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type_, nullptr, &size) ==
      ERROR_SUCCESS) {
    data_.resize(size);
    existed_ = RegGetValueW(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type_,
                            data_.empty() ? nullptr : data_.data(), &size) == ERROR_SUCCESS;
    data_.resize(size);
  }
}

ProfileValue::~ProfileValue() {
  if (existed_) {
    Write(name_, type_, data_.data(), static_cast<DWORD>(data_.size()));
  } else {
    Remove();
  }
}

void ProfileValue::SetDword(DWORD value) { Write(name_, REG_DWORD, &value, sizeof(value)); }

void ProfileValue::SetString(const std::wstring& value) {
  Write(name_, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void ProfileValue::SetMultiString(std::initializer_list<const wchar_t*> values) {
  std::wstring block;
  for (const wchar_t* v : values) {
    block += v;
    block += L'\0';
  }
  block += L'\0';
  Write(name_, REG_MULTI_SZ, block.data(), static_cast<DWORD>(block.size() * sizeof(wchar_t)));
}

void ProfileValue::Remove() { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, name_.c_str()); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', start)) {
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

void MakeFolders(const std::wstring& path) {
  for (size_t slash = path.find(L'\\', 1); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
    CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
}

void MakeFile(const std::wstring& path, const char* content) { testsupport::WriteFileBytes(path, content); }

void RemoveTree(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    return;
  }
  WIN32_FIND_DATAW data;
  if (const win32::FindHandle h(FindFirstFileW((path + L"\\*").c_str(), &data)); h) {
    do {
      std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(h.get(), &data));
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace quintar::coredll::tests

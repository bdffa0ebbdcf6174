// The device's shortcut files: "<length>#<command line>", written once and read back bounded.
#include "platform/coredll/shortcut.h"

#include <ceservices.h>

#include <string>

#include "win32/handle.h"

namespace quintar::coredll {

namespace {

// A shortcut is one short line; anything much longer is not one, and is not read whole.
constexpr DWORD kMaxFileBytes = 4 * MAX_PATH;

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

bool HasControlCharacter(const std::wstring& text) {
  for (wchar_t c : text)
    if (c < L' ') return true;
  return false;
}

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::optional<std::wstring> FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

// The command line of a shortcut file's text, or nullopt when the text is not "<n>#<n units>"
// (a line ending or spaces after it are tolerated: files edited by hand have them).
std::optional<std::wstring> ParseShortcut(const std::wstring& text) {
  size_t hash = 0;
  size_t length = 0;
  while (hash < text.size() && hash < 4 && text[hash] >= L'0' && text[hash] <= L'9') {
    length = length * 10 + static_cast<size_t>(text[hash] - L'0');
    ++hash;
  }
  if (hash == 0 || hash >= text.size() || text[hash] != L'#') return std::nullopt;
  if (length == 0 || length >= MAX_PATH || text.size() - hash - 1 < length) return std::nullopt;
  std::wstring target = text.substr(hash + 1, length);
  for (size_t i = hash + 1 + length; i < text.size(); ++i)
    if (!IsSpace(text[i])) return std::nullopt;
  if (HasControlCharacter(target)) return std::nullopt;
  return target;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

CommandLine SplitCommandLine(const std::wstring& line) {
  CommandLine result;
  size_t rest = 0;
  if (!line.empty() && line[0] == L'"') {
    size_t close = line.find(L'"', 1);
    result.path = line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    rest = close == std::wstring::npos ? line.size() : close + 1;
  } else {
    size_t space = line.find(L' ');
    result.path = line.substr(0, space);
    rest = space == std::wstring::npos ? line.size() : space;
  }
  while (rest < line.size() && line[rest] == L' ') ++rest;
  result.parameters = line.substr(rest);
  return result;
}

DWORD CheckDevicePath(const std::wstring& path) {
  if (path.empty()) return ERROR_INVALID_PARAMETER;
  if (path.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  // A drive letter, a UNC or device-namespace path ("\\server", "\\?\", "\\.\") is the host's.
  if (path.find(L':') != std::wstring::npos) return ERROR_BAD_PATHNAME;
  if (path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/'))
    return ERROR_BAD_PATHNAME;
  if (HasControlCharacter(path)) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

std::optional<std::wstring> ReadShortcut(const std::wstring& path) {
  if (DWORD error = CheckDevicePath(path); error != ERROR_SUCCESS) {
    SetLastError(error);
    return std::nullopt;
  }
  win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes(kMaxFileBytes + 1, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return std::nullopt;
  std::optional<std::wstring> target;
  if (read <= kMaxFileBytes) {
    bytes.resize(read);
    if (auto text = FromUtf8(bytes)) target = ParseShortcut(*text);
  }
  if (!target) SetLastError(ERROR_BAD_FORMAT);
  return target;
}

}  // namespace quintar::coredll

using quintar::coredll::CheckDevicePath;

extern "C" BOOL WINAPI SHCreateShortcut(LPWSTR szShortcut, LPWSTR szTarget) {
  if (!szShortcut || !szTarget) return quintar::coredll::Fail(ERROR_INVALID_PARAMETER);
  try {
    const std::wstring path(szShortcut, wcsnlen(szShortcut, MAX_PATH));
    const std::wstring target(szTarget, wcsnlen(szTarget, MAX_PATH));
    if (DWORD error = CheckDevicePath(path); error != ERROR_SUCCESS) return quintar::coredll::Fail(error);
    if (target.size() >= MAX_PATH) return quintar::coredll::Fail(ERROR_FILENAME_EXCED_RANGE);
    const std::wstring targetPath = quintar::coredll::SplitCommandLine(target).path;
    // A bare program name ("pword.exe") is found in \Windows; every other target is a device path.
    if (DWORD error = CheckDevicePath(targetPath); error != ERROR_SUCCESS) return quintar::coredll::Fail(error);
    if (quintar::coredll::HasControlCharacter(target)) return quintar::coredll::Fail(ERROR_INVALID_PARAMETER);

    const std::string bytes = std::to_string(target.size()) + "#" + quintar::coredll::ToUtf8(target);
    quintar::win32::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FALSE;  // ERROR_FILE_EXISTS when there is one: never overwritten
    DWORD written = 0;
    bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    DWORD error = ok ? ERROR_SUCCESS : (GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
    if (!file.Close() && ok) {
      ok = false;
      error = GetLastError();
    }
    if (!ok) {
      DeleteFileW(path.c_str());  // a half-written shortcut would read as malformed
      return quintar::coredll::Fail(error);
    }
    return TRUE;
  } catch (...) {
    return quintar::coredll::Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

extern "C" BOOL WINAPI SHGetShortcutTarget(LPWSTR szShortcut, LPWSTR szTarget, int cbMax) {
  if (!szShortcut || !szTarget || cbMax <= 0) return quintar::coredll::Fail(ERROR_INVALID_PARAMETER);
  try {
    szTarget[0] = L'\0';
    auto target = quintar::coredll::ReadShortcut(std::wstring(szShortcut, wcsnlen(szShortcut, MAX_PATH)));
    if (!target) return FALSE;
    if (target->size() >= static_cast<size_t>(cbMax)) return quintar::coredll::Fail(ERROR_INSUFFICIENT_BUFFER);
    target->copy(szTarget, target->size());
    szTarget[target->size()] = L'\0';
    return TRUE;
  } catch (...) {
    return quintar::coredll::Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

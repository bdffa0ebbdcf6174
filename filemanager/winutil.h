// Small bridges between the Win32 side and the portable core: UTF-16 text in both spellings,
// the user's number and date formats read once from the locale, and device file checks.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "filemanager/core/text_format.h"

namespace folderon {

// wchar_t and char16_t are both UTF-16 code units here.
inline std::u16string U16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// The user's formats, read on first use.
const quintar::folderon::NumberFormat& UserNumberFormat();
const quintar::folderon::DateTimeFormat& UserDateTimeFormat();
// The locale's decimal separator (up to 16 characters), read at start.
const std::wstring& DecimalSeparator();

// Device attributes (with the device's own bits); INVALID_FILE_ATTRIBUTES when missing.
DWORD DeviceAttributes(const std::wstring& path);
// The root (empty path) always exists.
bool IsExistingFolder(const std::wstring& path);

}  // namespace folderon

// Small bridges between the Win32 side and the portable core: UTF-16 text in both spellings,
// the user's number and date formats read once from the locale, and device file checks.
#pragma once

#include <windows.h>

#include <ceservices.h>

#include <string>

#include "filemanager/core/text_format.h"
#include "win32/device_find.h"
#include "win32/text.h"

namespace quintar::folderon {

using win32::U16;
using win32::Wide;

using DeviceFind = win32::DeviceFindHandle;

// The user's formats, read on first use.
const core::NumberFormat& UserNumberFormat();
const core::DateTimeFormat& UserDateTimeFormat();
// The locale's decimal separator (up to 16 characters), read at start.
const std::wstring& DecimalSeparator();

// Device attributes (with the device's own bits); INVALID_FILE_ATTRIBUTES when missing.
DWORD DeviceAttributes(const std::wstring& path);
// The root (empty path) always exists.
bool IsExistingFolder(const std::wstring& path);

}  // namespace quintar::folderon

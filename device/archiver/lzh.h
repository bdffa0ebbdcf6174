// LZH archives unpacked through lhasa for the device's archiver library.
#pragma once

#include <windows.h>

#include <string>

namespace quintar::device {

struct LzhResult {
  bool opened = false;          // the file held an LZH archive
  DWORD error = ERROR_SUCCESS;  // a write that failed ends the run
  int extracted = 0;
  int skipped = 0;  // unsafe or too long names, links, unknown methods, damaged data
};

// Unpacks `archive` below the existing folder `target` ("\" for the root). Each file is written to
// a temporary name beside its place, its length and CRC checked, then put in place, so a failure
// never leaves a half file over an old one.
LzhResult ExtractLzh(const std::wstring& archive, const std::wstring& target);

}  // namespace quintar::device

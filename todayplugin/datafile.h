// The data file on disk: read whole, written whole.
#pragma once

#include <windows.h>

#include "todayplugin/core/glancet_core.h"

namespace quintar::glancet {

inline constexpr wchar_t kDataFile[] = L"\\windows\\pellvane.dat";

// False when the file cannot be opened; a short file leaves the rest of the image zero.
bool ReadDataFile(core::FileImage& image);
// False when the file can be neither opened nor created.
bool WriteDataFile(const core::FileImage& image);
// Whether ReadDataFile would find a file to read.
bool DataFileOpens();

}  // namespace quintar::glancet

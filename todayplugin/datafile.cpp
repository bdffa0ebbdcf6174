#include "todayplugin/datafile.h"

#include "win32/handle.h"

namespace quintar::glancet {
namespace {

win32::FileHandle OpenForReading() {
  return win32::FileHandle(CreateFileW(kDataFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool DataFileOpens() { return static_cast<bool>(OpenForReading()); }

bool ReadDataFile(core::FileImage& image) {
  win32::FileHandle file = OpenForReading();
  if (!file) return false;
  image.fill(0);
  DWORD total = 0;
  while (total < image.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), image.data() + total, static_cast<DWORD>(image.size() - total), &got, nullptr) ||
        got == 0)
      break;
    total += got;
  }
  return true;
}

bool WriteDataFile(const core::FileImage& image) {
  win32::FileHandle file(CreateFileW(kDataFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), image.data(), static_cast<DWORD>(image.size()), &written, nullptr) &&
         written == image.size();
}

}  // namespace quintar::glancet

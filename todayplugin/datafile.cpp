// The data file on disk: read whole, written whole.
#include "todayplugin/glancet.h"

namespace glancet {
namespace {

class File {
 public:
  explicit File(HANDLE h) : h_(h) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (ok()) CloseHandle(h_);
  }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace

bool ReadDataFile(FileImage& image) {
  File file(CreateFileW(kDataFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  // A short file leaves the rest of the image zero.
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

bool WriteDataFile(const FileImage& image) {
  File file(CreateFileW(kDataFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  DWORD written = 0;
  if (!WriteFile(file.get(), image.data(), static_cast<DWORD>(image.size()), &written, nullptr) ||
      written != image.size())
    return false;
  return true;
}

}  // namespace glancet

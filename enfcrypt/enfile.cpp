// The file functions: data moves through one buffer of whole blocks, the output is always a new
// file, and an output we created is removed again when the work fails midway.
#include "enfcrypt/enfile.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <thread>

#include "enfcrypt/enfcrypt.h"

namespace quintar::enfcrypt {
namespace {

// A multiple of the block size and of every bit-sliced kernel's batch. Each read or write costs
// the system a fixed amount on top of the bytes, so chunks are large; a megabyte was fastest.
constexpr DWORD kChunkSize = 1024 * 1024;
static_assert(kChunkSize % (512 * kBlockSize) == 0);

struct HandleCloser {
  void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle Own(HANDLE h) noexcept { return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

// Reads or writes all of `size` bytes at `offset`, whatever the file pointer: the two workers
// of a pump share the handles.
bool ReadAt(HANDLE file, void* buffer, DWORD size, std::uint64_t offset) noexcept {
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(file, p, size, &got, &at) || got == 0) return false;
    p += got;
    size -= got;
    offset += got;
  }
  return true;
}

bool WriteAt(HANDLE file, const void* buffer, DWORD size, std::uint64_t offset) noexcept {
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  while (size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD put = 0;
    if (!WriteFile(file, p, size, &put, &at) || put == 0) return false;
    p += put;
    size -= put;
    offset += put;
  }
  return true;
}

// The output file while it is written: removed on destruction unless kept.
class NewOutput {
 public:
  // OutputExists / OutputUncreatable when the file cannot be made new.
  FileResult Create(const std::wstring& path) noexcept {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
                 ? FileResult::OutputExists
                 : FileResult::OutputUncreatable;
    }
    file_.reset(h);
    path_ = &path;  // only a file we made ourselves is ever removed
    return FileResult::Ok;
  }

  HANDLE get() const noexcept { return file_.get(); }

  // Closes the file; false when the close itself reports an error (data may not have landed).
  bool Finish() noexcept {
    const bool closed = CloseHandle(file_.release()) != 0;
    if (closed) path_ = nullptr;
    return closed;
  }

  ~NewOutput() {
    file_.reset();
    if (path_) DeleteFileW(path_->c_str());
  }

 private:
  FileHandle file_;
  const std::wstring* path_ = nullptr;
};

FileHandle OpenForReading(const std::wstring& path) noexcept {
  return Own(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool SizeOf(HANDLE file, std::uint64_t& size) noexcept {
  LARGE_INTEGER li;
  if (!GetFileSizeEx(file, &li) || li.QuadPart < 0) return false;
  size = static_cast<std::uint64_t>(li.QuadPart);
  return true;
}

// Moves the first `length` bytes (a multiple of 8) of `in` through the cipher to the same
// offsets of `out`. Two workers take alternate chunks, each reading, ciphering and writing its
// own, so that one's reading and writing overlaps the other's ciphering. The first failure
// stops both.
FileResult Pump(HANDLE in, HANDLE out, std::uint64_t length, std::string_view password,
                Direction d) noexcept {
  const std::uint64_t chunks = (length + kChunkSize - 1) / kChunkSize;
  std::atomic<FileResult> failure{FileResult::Ok};
  auto fail = [&failure](FileResult why) {
    FileResult none = FileResult::Ok;
    failure.compare_exchange_strong(none, why);
  };
  auto work = [&](std::uint64_t first, std::uint64_t step) noexcept {
    const std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kChunkSize]);
    if (!buffer) return fail(FileResult::WriteFailed);
    const DataStream stream(password, d);
    for (std::uint64_t i = first; i < chunks && failure.load() == FileResult::Ok; i += step) {
      const std::uint64_t offset = i * kChunkSize;
      const DWORD size = static_cast<DWORD>(std::min<std::uint64_t>(kChunkSize, length - offset));
      if (!ReadAt(in, buffer.get(), size, offset)) return fail(FileResult::SourceUnreadable);
      stream.Process(buffer.get(), size);
      if (!WriteAt(out, buffer.get(), size, offset)) return fail(FileResult::WriteFailed);
    }
  };
  std::thread helper;
  if (chunks > 1 && std::thread::hardware_concurrency() > 1) {
    try {
      helper = std::thread(work, 1, 2);
    } catch (...) {
      // No second thread: this one does every chunk.
    }
  }
  work(0, helper.joinable() ? 2 : 1);
  if (helper.joinable()) helper.join();
  return failure.load();
}

FileResult Encrypt(const std::wstring& sourcePath, std::string_view password) {
  if (password.size() > kMaxPasswordBytes) return FileResult::PasswordTooLong;
  // Read access is all the work needs, so a read-only source can be encrypted too.
  FileHandle source = OpenForReading(sourcePath);
  std::uint64_t size = 0;
  if (!source || !SizeOf(source.get(), size)) return FileResult::SourceUnreadable;
  const std::wstring outputPath = sourcePath + L".enf";
  NewOutput output;
  if (const FileResult created = output.Create(outputPath); created != FileResult::Ok)
    return created;

  const std::uint64_t whole = size / kBlockSize * kBlockSize;
  if (const FileResult pumped =
          Pump(source.get(), output.get(), whole, password, Direction::Encipher);
      pumped != FileResult::Ok)
    return pumped;

  char tail[kBlockSize];
  const DWORD tailSize = static_cast<DWORD>(size - whole);
  if (!ReadAt(source.get(), tail, tailSize, whole)) return FileResult::SourceUnreadable;
  const auto trailer = BuildTrailer(password, std::string_view(tail, tailSize));
  if (!trailer) return FileResult::PasswordTooLong;
  if (!WriteAt(output.get(), trailer->data(), kTrailerSize, whole)) return FileResult::WriteFailed;
  return output.Finish() ? FileResult::Ok : FileResult::WriteFailed;
}

FileResult Decrypt(const std::wstring& encryptedPath, std::string_view password) {
  // Whatever has no readable trailer counts as the wrong password, as the callers expect.
  FileHandle source = OpenForReading(encryptedPath);
  std::uint64_t size = 0;
  if (!source || !SizeOf(source.get(), size) || !PlausibleEncryptedSize(size))
    return FileResult::WrongPassword;

  const std::uint64_t dataSize = size - kTrailerSize;
  std::uint8_t raw[kTrailerSize];
  if (!ReadAt(source.get(), raw, kTrailerSize, dataSize)) return FileResult::WrongPassword;
  const auto trailer = ParseTrailer(raw);
  if (!trailer || !PasswordMatches(*trailer, password)) return FileResult::WrongPassword;

  const std::wstring outputPath =
      encryptedPath.size() > 4 ? encryptedPath.substr(0, encryptedPath.size() - 4) : std::wstring();
  if (outputPath.empty()) return FileResult::OutputUncreatable;
  NewOutput output;
  if (const FileResult created = output.Create(outputPath); created != FileResult::Ok)
    return created;

  if (const FileResult pumped =
          Pump(source.get(), output.get(), dataSize, password, Direction::Decipher);
      pumped != FileResult::Ok)
    return pumped;
  if (!WriteAt(output.get(), trailer->tail.data(), static_cast<DWORD>(trailer->tail.size()), dataSize))
    return FileResult::WriteFailed;
  return output.Finish() ? FileResult::Ok : FileResult::WriteFailed;
}

}  // namespace

// Out of memory for a path is the only thing that can throw; the output made so far is gone by
// then, and the callers (a dialog, a COM handler) get a result instead of an exception.
FileResult EncryptFile(const std::wstring& sourcePath, std::string_view password) {
  try {
    return Encrypt(sourcePath, password);
  } catch (...) {
    return FileResult::OutputUncreatable;
  }
}

FileResult DecryptFile(const std::wstring& encryptedPath, std::string_view password) {
  try {
    return Decrypt(encryptedPath, password);
  } catch (...) {
    return FileResult::OutputUncreatable;
  }
}

const wchar_t* FileResultText(FileResult result) noexcept {
  switch (result) {
    case FileResult::Ok:
      return L"The operation completed successfully.";
    case FileResult::WrongPassword:
      return L"The password is not valid.";
    case FileResult::PasswordTooLong:
      return L"The password is too long. Use at most 32 characters.";
    case FileResult::SourceUnreadable:
      return L"The file could not be read. Nothing was written.";
    case FileResult::OutputExists:
      return L"A file with the output name already exists. It was not overwritten.";
    case FileResult::OutputUncreatable:
      return L"The output file could not be created.";
    case FileResult::WriteFailed:
      return L"The output file could not be written completely, so it was removed.";
  }
  return L"Unknown error.";
}

}  // namespace quintar::enfcrypt

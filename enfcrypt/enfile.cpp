// The file functions: data moves through one buffer of whole blocks, the output is always a new
// file, and an output we created is removed again when the work fails midway.
#include "enfcrypt/enfile.h"

#include <windows.h>

#include <memory>

#include "enfcrypt/enfcrypt.h"

namespace quintar::enfcrypt {
namespace {

// A multiple of the block size, large enough for the cipher to share each buffer among cores.
constexpr DWORD kBufferSize = 1024 * 1024;

struct HandleCloser {
  void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle Own(HANDLE h) noexcept { return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

bool ReadExactly(HANDLE file, void* buffer, DWORD size) noexcept {
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (size) {
    DWORD got = 0;
    if (!ReadFile(file, p, size, &got, nullptr) || got == 0) return false;
    p += got;
    size -= got;
  }
  return true;
}

bool WriteExactly(HANDLE file, const void* buffer, DWORD size) noexcept {
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  while (size) {
    DWORD put = 0;
    if (!WriteFile(file, p, size, &put, nullptr) || put == 0) return false;
    p += put;
    size -= put;
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

struct Buffer {
  std::unique_ptr<std::uint8_t[]> bytes{new (std::nothrow) std::uint8_t[kBufferSize]};
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

// Moves `length` bytes (a multiple of 8) from `in` to `out` through the cipher.
FileResult Pump(HANDLE in, HANDLE out, std::uint64_t length, DataStream& stream,
                std::uint8_t* buffer) noexcept {
  while (length) {
    const DWORD chunk = length < kBufferSize ? static_cast<DWORD>(length) : kBufferSize;
    if (!ReadExactly(in, buffer, chunk)) return FileResult::SourceUnreadable;
    stream.Process(buffer, chunk);
    if (!WriteExactly(out, buffer, chunk)) return FileResult::WriteFailed;
    length -= chunk;
  }
  return FileResult::Ok;
}

FileResult Encrypt(const std::wstring& sourcePath, std::string_view password) {
  if (password.size() > kMaxPasswordBytes) return FileResult::PasswordTooLong;
  // Read access is all the work needs, so a read-only source can be encrypted too.
  FileHandle source = OpenForReading(sourcePath);
  std::uint64_t size = 0;
  if (!source || !SizeOf(source.get(), size)) return FileResult::SourceUnreadable;
  Buffer buffer;
  if (!buffer.bytes) return FileResult::OutputUncreatable;

  const std::wstring outputPath = sourcePath + L".enf";
  NewOutput output;
  if (const FileResult created = output.Create(outputPath); created != FileResult::Ok)
    return created;

  const std::uint64_t whole = size / kBlockSize * kBlockSize;
  DataStream stream(password, Direction::Encipher);
  if (const FileResult pumped = Pump(source.get(), output.get(), whole, stream, buffer.bytes.get());
      pumped != FileResult::Ok)
    return pumped;

  char tail[kBlockSize];
  const DWORD tailSize = static_cast<DWORD>(size - whole);
  if (!ReadExactly(source.get(), tail, tailSize)) return FileResult::SourceUnreadable;
  const auto trailer = BuildTrailer(password, std::string_view(tail, tailSize));
  if (!trailer) return FileResult::PasswordTooLong;
  if (!WriteExactly(output.get(), trailer->data(), kTrailerSize)) return FileResult::WriteFailed;
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
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(dataSize);
  if (!SetFilePointerEx(source.get(), at, nullptr, FILE_BEGIN) ||
      !ReadExactly(source.get(), raw, kTrailerSize))
    return FileResult::WrongPassword;
  const auto trailer = ParseTrailer(raw);
  if (!trailer || !PasswordMatches(*trailer, password)) return FileResult::WrongPassword;

  Buffer buffer;
  if (!buffer.bytes) return FileResult::OutputUncreatable;
  at.QuadPart = 0;
  if (!SetFilePointerEx(source.get(), at, nullptr, FILE_BEGIN)) return FileResult::SourceUnreadable;

  const std::wstring outputPath =
      encryptedPath.size() > 4 ? encryptedPath.substr(0, encryptedPath.size() - 4) : std::wstring();
  if (outputPath.empty()) return FileResult::OutputUncreatable;
  NewOutput output;
  if (const FileResult created = output.Create(outputPath); created != FileResult::Ok)
    return created;

  DataStream stream(password, Direction::Decipher);
  if (const FileResult pumped =
          Pump(source.get(), output.get(), dataSize, stream, buffer.bytes.get());
      pumped != FileResult::Ok)
    return pumped;
  if (!WriteExactly(output.get(), trailer->tail.data(), static_cast<DWORD>(trailer->tail.size())))
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

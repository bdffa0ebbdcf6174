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
#include "win32/handle.h"

namespace quintar::enfcrypt {
namespace {

// A multiple of the block size and of every bit-sliced kernel's batch; large enough that the
// hand-over between the threads costs little, small enough to stay in the processor's cache.
constexpr DWORD kChunkSize = 256 * 1024;
static_assert(kChunkSize % (512 * kBlockSize) == 0);

using win32::FileHandle;

// Reads or writes all of `size` bytes at `offset`. Only one thread ever moves a handle's file
// pointer. Plain reads and writes after a seek: under Wine an OVERLAPPED offset costs a round
// trip to the server on every call.
bool Seek(HANDLE file, std::uint64_t offset) noexcept {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

bool ReadAt(HANDLE file, void* buffer, DWORD size, std::uint64_t offset) noexcept {
  if (!Seek(file, offset)) return false;
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (size) {
    DWORD got = 0;
    if (!ReadFile(file, p, size, &got, nullptr) || got == 0) return false;
    p += got;
    size -= got;
  }
  return true;
}

bool WriteAt(HANDLE file, const void* buffer, DWORD size, std::uint64_t offset) noexcept {
  if (!Seek(file, offset)) return false;
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
    file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? FileResult::OutputExists
                                                                         : FileResult::OutputUncreatable;
    }
    path_ = &path;  // only a file we made ourselves is ever removed
    return FileResult::Ok;
  }

  HANDLE get() const noexcept { return file_.get(); }

  // Closes the file; false when the close itself reports an error (data may not have landed).
  bool Finish() noexcept {
    const bool closed = file_.Close();
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
  return FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool SizeOf(HANDLE file, std::uint64_t& size) noexcept {
  LARGE_INTEGER li;
  if (!GetFileSizeEx(file, &li) || li.QuadPart < 0) return false;
  size = static_cast<std::uint64_t>(li.QuadPart);
  return true;
}

// Moves the first `length` bytes (a multiple of 8) of `in` through the cipher to the same
// offsets of `out`. This thread reads and writes, in file order, through a ring of buffers; a
// helper enciphers the chunks read, and this thread enciphers too whenever it has nothing to
// move. The two only spin on counters while waiting: under Wine every blocking wait is a round
// trip to the server, which costs more than a chunk. Without a helper (one core, or one chunk)
// this thread does all.
FileResult Pump(HANDLE in, HANDLE out, std::uint64_t length, std::string_view password, Direction d) noexcept {
  const std::uint64_t chunks = (length + kChunkSize - 1) / kChunkSize;
  if (!chunks) return FileResult::Ok;
  const auto sizeOf = [&](std::uint64_t k) {
    return static_cast<DWORD>(std::min<std::uint64_t>(kChunkSize, length - k * kChunkSize));
  };
  const DataStream stream(password, d);
  constexpr std::uint64_t kRing = 8;
  const std::uint64_t slots = std::min(kRing, chunks);
  const std::unique_ptr<std::uint8_t[]> memory(new (std::nothrow) std::uint8_t[slots * kChunkSize]);
  if (!memory) return FileResult::WriteFailed;
  const auto buffer = [&](std::uint64_t k) { return memory.get() + k % slots * kChunkSize; };

  std::atomic<std::uint64_t> read{0};           // chunks read
  std::atomic<std::uint64_t> claimed{0};        // chunks taken for enciphering
  std::atomic<std::uint64_t> done[kRing] = {};  // chunk k's slot holds k + 1 once enciphered
  std::atomic<bool> stop{false};
  // Takes the next chunk read and not yet taken, if there is one, and enciphers it.
  const auto cipherOne = [&](const DataStream& with) noexcept {
    std::uint64_t k = claimed.load();
    if (k >= read.load(std::memory_order_acquire) || !claimed.compare_exchange_weak(k, k + 1)) return false;
    with.Process(buffer(k), sizeOf(k));
    done[k % kRing].store(k + 1, std::memory_order_release);
    return true;
  };
  // Waiting: a pause at first, then the processor for anyone else, and after a long wait (a slow
  // card) sleep, so that a spinning thread never holds a core for long.
  const auto idle = [](int& spins) {
    if (++spins < 64) {
      YieldProcessor();
    } else if (spins < 512) {
      SwitchToThread();
    } else {
      Sleep(1);
    }
  };
  const auto helperWork = [&]() noexcept {
    const DataStream own(password, d);
    for (int spins = 0; !stop.load() && claimed.load() < chunks;) {
      if (cipherOne(own))
        spins = 0;
      else
        idle(spins);
    }
  };
  std::thread helper;
  if (chunks > 1 && std::thread::hardware_concurrency() > 1) {
    try {
      helper = std::thread(helperWork);
    } catch (...) {
      // No second thread: this one enciphers every chunk between its reads and writes, as it
      // does with one core.
    }
  }

  FileResult result = FileResult::Ok;
  std::uint64_t next = 0, written = 0;
  for (int spins = 0; written < chunks;) {
    if (written < next && done[written % kRing].load(std::memory_order_acquire) == written + 1) {
      if (!WriteAt(out, buffer(written), sizeOf(written), written * kChunkSize)) {
        result = FileResult::WriteFailed;
        break;
      }
      ++written;
      spins = 0;
    } else if (next < chunks && next < written + slots) {
      if (!ReadAt(in, buffer(next), sizeOf(next), next * kChunkSize)) {
        result = FileResult::SourceUnreadable;
        break;
      }
      read.store(++next, std::memory_order_release);
      spins = 0;
    } else if (cipherOne(stream)) {
      spins = 0;
    } else {
      idle(spins);
    }
  }
  stop = true;
  if (helper.joinable()) helper.join();
  return result;
}

FileResult Encrypt(const std::wstring& sourcePath, std::string_view password) {
  if (password.size() > kMaxPasswordBytes) return FileResult::PasswordTooLong;
  // Read access is all the work needs, so a read-only source can be encrypted too.
  FileHandle source = OpenForReading(sourcePath);
  std::uint64_t size = 0;
  if (!source || !SizeOf(source.get(), size)) return FileResult::SourceUnreadable;
  const std::wstring outputPath = sourcePath + L".enf";
  NewOutput output;
  if (const FileResult created = output.Create(outputPath); created != FileResult::Ok) return created;

  const std::uint64_t whole = size / kBlockSize * kBlockSize;
  if (const FileResult pumped = Pump(source.get(), output.get(), whole, password, Direction::Encipher);
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
  if (!source || !SizeOf(source.get(), size) || !PlausibleEncryptedSize(size)) return FileResult::WrongPassword;

  const std::uint64_t dataSize = size - kTrailerSize;
  std::uint8_t raw[kTrailerSize];
  if (!ReadAt(source.get(), raw, kTrailerSize, dataSize)) return FileResult::WrongPassword;
  const auto trailer = ParseTrailer(raw);
  if (!trailer || !PasswordMatches(*trailer, password)) return FileResult::WrongPassword;

  const std::wstring outputPath =
      encryptedPath.size() > 4 ? encryptedPath.substr(0, encryptedPath.size() - 4) : std::wstring();
  if (outputPath.empty()) return FileResult::OutputUncreatable;
  NewOutput output;
  if (const FileResult created = output.Create(outputPath); created != FileResult::Ok) return created;

  if (const FileResult pumped = Pump(source.get(), output.get(), dataSize, password, Direction::Decipher);
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

// ZIP archives read and written through minizip over a stream the caller provides (a file on
// the device, memory in the fuzzer). The reader decodes and checks every entry, the writer
// deflates on its own (raw deflate handed to minizip) so that entries may be deflated apart from
// the archive's thread. No window, no file system: the callers own those.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::zip::core {

// What minizip reads and writes through. Failures are sticky: Failed() stays true.
class Stream {
 public:
  virtual ~Stream() = default;
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t size) = 0;
  enum class Origin { Begin, Current, End };
  virtual bool Seek(std::int64_t offset, Origin origin) = 0;
  virtual std::uint64_t Tell() = 0;
  virtual bool Failed() const = 0;
};

// An archive in memory (read-only unless created empty).
class MemoryStream final : public Stream {
 public:
  explicit MemoryStream(std::string bytes = {}) : bytes_(std::move(bytes)) {}
  std::size_t Read(void* buffer, std::size_t size) override;
  std::size_t Write(const void* buffer, std::size_t size) override;
  bool Seek(std::int64_t offset, Origin origin) override;
  std::uint64_t Tell() override { return at_; }
  bool Failed() const override { return false; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::uint64_t at_ = 0;
};

// How a run ended: everything done, stopped on request, or failed (and why).
enum class Outcome { Done, Stopped, ReadFailed, WriteFailed, Corrupt, Unsupported };

inline constexpr std::size_t kChunkBytes = 64 * 1024;  // the stop flag is looked at this often
inline constexpr std::uint64_t kZip64Bytes = 0xFFFFFFFFull;

// ---- Reading ---------------------------------------------------------------------------------

struct EntryInfo {
  std::u16string name;                    // decoded
  std::optional<std::u16string> safePath;  // where it may go below a target folder (see SafeRelativePath)
  bool folder = false;
  std::uint16_t method = 0;
  bool encrypted = false;
  std::uint64_t size = 0, compressedSize = 0;
  std::uint32_t crc = 0, dosTime = 0;
  std::uint32_t attributes = 0;  // restorable ones (RestoredAttributes)
  // Stored or deflated, not encrypted: what this reader can unpack.
  bool Extractable() const { return !encrypted && (method == 0 || method == 8); }
};

class Reader {
 public:
  Reader();
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // False when the stream holds no archive minizip can read.
  bool Open(Stream& stream);
  void Close();
  // The item count the central directory states.
  std::uint64_t Count() const;
  // Walks the entries in central-directory order; false at the end or on damage.
  bool First();
  bool Next();
  bool Current(EntryInfo& info);
  // Unpacks the current entry into `sink` (which returns false when it cannot take the bytes),
  // checking its length and CRC. Unsupported for other methods or encryption, before any byte.
  Outcome ReadCurrent(const std::function<bool(const void*, std::size_t)>& sink, const std::atomic<bool>* stop);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// ---- Writing ---------------------------------------------------------------------------------

struct EntryMeta {
  std::u16string name;  // as EntryName made it
  std::uint32_t dosTime = 0;
  std::uint32_t attributes = 0;  // file attributes; ExternalAttributes picks what is written
};

// A source of bytes: fills up to `size`, returns the count (0 at the end) or -1 on failure.
using Source = std::function<std::int64_t(void*, std::size_t)>;

// One entry deflated (or stored) apart from the archive, ready to be written as it is.
struct PackedEntry {
  EntryMeta meta;
  bool stored = false;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  std::string data;
};
inline constexpr int kLevel = 6;  // zlib's default, as "zip -6"
Outcome Pack(const Source& source, bool stored, PackedEntry& entry, const std::atomic<bool>* stop);

// A large entry is deflated in pieces that can be worked on at once. Each piece is deflated on
// its own, primed with the bytes before it (deflate looks back at most kWindowBytes), and ends on
// a byte boundary without closing the stream unless it is the last: laid end to end, the pieces
// are one deflate stream that every reader inflates.
inline constexpr std::size_t kWindowBytes = 32 * 1024;
class PieceDeflater {
 public:
  PieceDeflater();
  ~PieceDeflater();
  PieceDeflater(const PieceDeflater&) = delete;
  PieceDeflater& operator=(const PieceDeflater&) = delete;
  // Replaces `out` with the deflated `bytes`; `before` is what precedes them in the entry.
  Outcome Deflate(std::string_view before, std::string_view bytes, bool last, std::string& out,
                  const std::atomic<bool>* stop);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes);
// The CRC of two pieces one after the other, from the CRC of each (the second below 2 GiB).
std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::uint32_t secondLength);

class Writer {
 public:
  Writer();
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  bool Create(Stream& stream);
  bool AddFolder(const EntryMeta& meta);
  // Streams one file of `size` bytes (ZIP64 from kZip64Bytes on). A source that delivers another
  // length than announced is ReadFailed: the entry would not match what was meant.
  Outcome AddFile(const EntryMeta& meta, bool stored, std::uint64_t size, const Source& source,
                  const std::atomic<bool>* stop);
  bool AddPacked(const PackedEntry& entry);
  // One entry written as it comes, already deflated (or stored): begun with the size it will
  // have, its bytes appended piece by piece, ended with its size and CRC.
  bool Begin(const EntryMeta& meta, bool stored, std::uint64_t size);
  bool Append(const void* bytes, std::size_t size);
  bool End(std::uint64_t size, std::uint32_t crc);
  // Writes the central directory. False when anything written failed.
  bool Close();
  // Lets go of the stream without finishing the archive (after a stop or failure).
  void Abandon();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quintar::zip::core

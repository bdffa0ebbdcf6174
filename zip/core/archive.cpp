#include "zip/core/archive.h"

#include <unzip.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "zip/core/entry.h"

namespace quintar::zip::core {
namespace {

// ---- minizip's file functions over a Stream --------------------------------------------------

Stream* AsStream(voidpf stream) { return static_cast<Stream*>(stream); }

voidpf ZCALLBACK OpenStream(voidpf, const void* name, int) { return const_cast<void*>(name); }
uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(AsStream(stream)->Read(buffer, size));
}
uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void* buffer, uLong size) {
  return static_cast<uLong>(AsStream(stream)->Write(buffer, size));
}
ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) { return AsStream(stream)->Tell(); }
long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  Stream::Origin from = origin == ZLIB_FILEFUNC_SEEK_SET   ? Stream::Origin::Begin
                        : origin == ZLIB_FILEFUNC_SEEK_CUR ? Stream::Origin::Current
                                                           : Stream::Origin::End;
  // minizip hands negative moves from the end over as unsigned numbers.
  return AsStream(stream)->Seek(static_cast<std::int64_t>(offset), from) ? 0 : -1;
}
int ZCALLBACK CloseStream(voidpf, voidpf) { return 0; }  // the stream belongs to the caller
int ZCALLBACK StreamError(voidpf, voidpf stream) { return AsStream(stream)->Failed() ? 1 : 0; }

zlib_filefunc64_def Functions() {
  zlib_filefunc64_def f{};
  f.zopen64_file = OpenStream;
  f.zread_file = ReadStream;
  f.zwrite_file = WriteStream;
  f.ztell64_file = TellStream;
  f.zseek64_file = SeekStream;
  f.zclose_file = CloseStream;
  f.zerror_file = StreamError;
  return f;
}

constexpr uLong kVersionMadeBy = kHostDos << 8 | 20;

}  // namespace

// ---- MemoryStream ----------------------------------------------------------------------------

std::size_t MemoryStream::Read(void* buffer, std::size_t size) {
  if (at_ >= bytes_.size()) return 0;
  const std::size_t n = std::min<std::uint64_t>(size, bytes_.size() - at_);
  std::memcpy(buffer, bytes_.data() + at_, n);
  at_ += n;
  return n;
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t size) {
  if (at_ > bytes_.size()) bytes_.resize(at_);
  const std::size_t overlap = std::min<std::uint64_t>(size, bytes_.size() - at_);
  std::memcpy(bytes_.data() + at_, buffer, overlap);
  bytes_.append(static_cast<const char*>(buffer) + overlap, size - overlap);
  at_ += size;
  return size;
}

bool MemoryStream::Seek(std::int64_t offset, Origin origin) {
  const std::int64_t base = origin == Origin::Begin     ? 0
                            : origin == Origin::Current ? static_cast<std::int64_t>(at_)
                                                        : static_cast<std::int64_t>(bytes_.size());
  const std::int64_t to = base + offset;
  if (to < 0) return false;
  at_ = static_cast<std::uint64_t>(to);
  return true;
}

// ---- Reader ----------------------------------------------------------------------------------

namespace {

// An archive of no entries is its end record alone, at offset 0, where minizip takes a found
// record for none. Such an archive is read as empty, not as damaged.
bool IsEmptyArchive(Stream& stream) {
  unsigned char record[22];
  if (!stream.Seek(0, Stream::Origin::Begin) || stream.Read(record, sizeof record) != sizeof record) return false;
  static constexpr unsigned char kEnd[] = {'P', 'K', 5, 6};
  if (std::memcmp(record, kEnd, 4) != 0) return false;
  for (int i = 4; i < 20; ++i)
    if (record[i] != 0) return false;  // disks, counts, size and offset of an empty directory
  const std::uint64_t comment = record[20] | record[21] << 8;
  return stream.Seek(0, Stream::Origin::End) && stream.Tell() == sizeof record + comment;
}

}  // namespace

struct Reader::State {
  unzFile file = nullptr;
  Stream* stream = nullptr;
  std::uint64_t count = 0;
  std::vector<char> name = std::vector<char>(65536), extra = std::vector<char>(65536);
};

Reader::Reader() : state_(std::make_unique<State>()) {}
Reader::~Reader() { Close(); }

bool Reader::Open(Stream& stream) {
  Close();
  zlib_filefunc64_def f = Functions();
  state_->stream = &stream;
  state_->file = unzOpen2_64(&stream, &f);
  if (!state_->file) return IsEmptyArchive(stream);
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(state_->file, &global) != UNZ_OK) {
    Close();
    return false;
  }
  state_->count = global.number_entry;
  return true;
}

void Reader::Close() {
  if (state_->file) unzClose(state_->file);
  state_->file = nullptr;
  state_->count = 0;
}

std::uint64_t Reader::Count() const { return state_->count; }
bool Reader::First() { return state_->file && unzGoToFirstFile(state_->file) == UNZ_OK; }
bool Reader::Next() { return state_->file && unzGoToNextFile(state_->file) == UNZ_OK; }

bool Reader::Current(EntryInfo& info) {
  if (!state_->file) return false;
  unz_file_info64 raw{};
  State& s = *state_;
  if (unzGetCurrentFileInfo64(s.file, &raw, s.name.data(), static_cast<uLong>(s.name.size()), s.extra.data(),
                              static_cast<uLong>(s.extra.size()), nullptr, 0) != UNZ_OK)
    return false;
  const std::string_view stored(s.name.data(), std::min<std::size_t>(raw.size_filename, s.name.size()));
  const std::string_view extra(s.extra.data(), std::min<std::size_t>(raw.size_file_extra, s.extra.size()));
  const auto flags = static_cast<std::uint16_t>(raw.flag), madeBy = static_cast<std::uint16_t>(raw.version);
  info.name = DecodeName(stored, flags, madeBy, extra);
  info.safePath = SafeRelativePath(info.name);
  info.method = static_cast<std::uint16_t>(raw.compression_method);
  info.encrypted = (flags & kFlagEncrypted) != 0;
  info.size = raw.uncompressed_size;
  info.compressedSize = raw.compressed_size;
  info.crc = static_cast<std::uint32_t>(raw.crc);
  info.dosTime = static_cast<std::uint32_t>(raw.dosDate);
  info.attributes = RestoredAttributes(static_cast<std::uint32_t>(raw.external_fa), madeBy);
  const bool slash = !info.name.empty() && (info.name.back() == u'/' || info.name.back() == u'\\');
  info.folder = slash || ((info.attributes & kDirectory) && info.size == 0);
  if (info.folder) info.attributes |= kDirectory;
  else info.attributes &= ~kDirectory;
  return true;
}

Outcome Reader::ReadCurrent(const std::function<bool(const void*, std::size_t)>& sink, const std::atomic<bool>* stop) {
  EntryInfo info;
  if (!Current(info)) return Outcome::Corrupt;
  if (!info.Extractable()) return Outcome::Unsupported;
  if (unzOpenCurrentFile(state_->file) != UNZ_OK) return Outcome::Corrupt;
  std::vector<char> buffer(kChunkBytes);
  std::uint64_t total = 0;
  Outcome outcome = Outcome::Done;
  for (;;) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      outcome = Outcome::Stopped;
      break;
    }
    const int n = unzReadCurrentFile(state_->file, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (n < 0) {
      outcome = state_->stream->Failed() ? Outcome::ReadFailed : Outcome::Corrupt;
      break;
    }
    if (n == 0) break;
    total += static_cast<std::uint64_t>(n);
    if (!sink(buffer.data(), static_cast<std::size_t>(n))) {
      outcome = Outcome::WriteFailed;
      break;
    }
  }
  const int closed = unzCloseCurrentFile(state_->file);
  if (outcome == Outcome::Done && (closed != UNZ_OK || total != info.size)) outcome = Outcome::Corrupt;
  return outcome;
}

// ---- Writing ---------------------------------------------------------------------------------

namespace {

// Reads the whole source, handing each chunk and its place to `take`; deflates unless stored.
// Collects size and CRC.
Outcome Squeeze(const Source& source, bool stored, const std::atomic<bool>* stop, std::uint64_t& size,
                std::uint32_t& crc, const std::function<bool(const void*, std::size_t)>& take) {
  std::vector<unsigned char> in(kChunkBytes), out(kChunkBytes);
  z_stream z{};
  if (!stored && deflateInit2(&z, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return Outcome::WriteFailed;
  struct End {
    z_stream* z;
    bool on;
    ~End() {
      if (on) deflateEnd(z);
    }
  } end{&z, !stored};
  size = 0;
  uLong sum = crc32(0, nullptr, 0);
  for (;;) {
    if (stop && stop->load(std::memory_order_relaxed)) return Outcome::Stopped;
    const std::int64_t n = source(in.data(), in.size());
    if (n < 0) return Outcome::ReadFailed;
    size += static_cast<std::uint64_t>(n);
    sum = crc32(sum, in.data(), static_cast<uInt>(n));
    if (stored) {
      if (n == 0) break;
      if (!take(in.data(), static_cast<std::size_t>(n))) return Outcome::WriteFailed;
      continue;
    }
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(n);
    const int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
    int rc = Z_OK;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      rc = deflate(&z, flush);
      if (rc == Z_STREAM_ERROR) return Outcome::WriteFailed;
      const std::size_t produced = out.size() - z.avail_out;
      if (produced && !take(out.data(), produced)) return Outcome::WriteFailed;
    } while (z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    if (n == 0) break;
  }
  crc = static_cast<std::uint32_t>(sum);
  return Outcome::Done;
}

}  // namespace

Outcome Pack(const Source& source, bool stored, PackedEntry& entry, const std::atomic<bool>* stop) {
  entry.stored = stored;
  entry.data.clear();
  return Squeeze(source, stored, stop, entry.size, entry.crc, [&](const void* bytes, std::size_t n) {
    entry.data.append(static_cast<const char*>(bytes), n);
    return true;
  });
}

struct Writer::State {
  zipFile file = nullptr;
  Stream* stream = nullptr;
  bool failed = false;

  bool Open(const EntryMeta& meta, int method, bool zip64) {
    const EncodedName name = EncodeName(meta.name);
    zip_fileinfo info{};
    info.dosDate = meta.dosTime ? meta.dosTime : DosDateTime(CivilTime{});
    info.external_fa = ExternalAttributes(meta.attributes);
    const void* extra = name.extraField.empty() ? nullptr : name.extraField.data();
    const auto extraSize = static_cast<uInt>(name.extraField.size());
    const int rc = zipOpenNewFileInZip4_64(file, name.bytes.c_str(), &info, extra, extraSize, extra, extraSize,
                                           nullptr, method, method ? kLevel : 0, 1, -MAX_WBITS, 8,
                                           Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeBy,
                                           name.utf8 ? kFlagUtf8 : 0, zip64 ? 1 : 0);
    if (rc != ZIP_OK) failed = true;
    return rc == ZIP_OK;
  }
  bool Finish(std::uint64_t size, std::uint32_t crc) {
    if (zipCloseFileInZipRaw64(file, size, crc) != ZIP_OK || stream->Failed()) failed = true;
    return !failed;
  }
};

Writer::Writer() : state_(std::make_unique<State>()) {}
Writer::~Writer() { Abandon(); }

bool Writer::Create(Stream& stream) {
  Abandon();
  zlib_filefunc64_def f = Functions();
  state_->stream = &stream;
  state_->failed = false;
  state_->file = zipOpen2_64(&stream, APPEND_STATUS_CREATE, nullptr, &f);
  return state_->file != nullptr;
}

bool Writer::AddFolder(const EntryMeta& meta) {
  if (!state_->file || !state_->Open(meta, 0, false)) return false;
  return state_->Finish(0, 0);
}

Outcome Writer::AddFile(const EntryMeta& meta, bool stored, std::uint64_t size, const Source& source,
                        const std::atomic<bool>* stop) {
  // Deflate may grow incompressible data a little: ZIP64 from a margin below the limit.
  const bool zip64 = size >= kZip64Bytes - (kZip64Bytes >> 8);
  if (!state_->file || !state_->Open(meta, stored ? 0 : Z_DEFLATED, zip64)) return Outcome::WriteFailed;
  std::uint64_t read = 0;
  std::uint32_t crc = 0;
  const Outcome outcome = Squeeze(source, stored, stop, read, crc, [&](const void* bytes, std::size_t n) {
    return zipWriteInFileInZip(state_->file, bytes, static_cast<unsigned>(n)) == ZIP_OK;
  });
  if (outcome != Outcome::Done) {
    state_->failed = true;
    return outcome;
  }
  if (read != size) {
    state_->failed = true;
    return Outcome::ReadFailed;
  }
  return state_->Finish(read, crc) ? Outcome::Done : Outcome::WriteFailed;
}

bool Writer::AddPacked(const PackedEntry& entry) {
  return Begin(entry.meta, entry.stored, entry.size) && Append(entry.data.data(), entry.data.size()) &&
         End(entry.size, entry.crc);
}

bool Writer::Begin(const EntryMeta& meta, bool stored, std::uint64_t size) {
  // Deflate may grow incompressible data a little: ZIP64 from a margin below the limit.
  const bool zip64 = size >= kZip64Bytes - (kZip64Bytes >> 8);
  return state_->file && state_->Open(meta, stored ? 0 : Z_DEFLATED, zip64);
}

bool Writer::Append(const void* bytes, std::size_t size) {
  for (std::size_t at = 0; at < size; at += kChunkBytes) {
    const auto n = static_cast<unsigned>(std::min(kChunkBytes, size - at));
    if (zipWriteInFileInZip(state_->file, static_cast<const char*>(bytes) + at, n) != ZIP_OK) {
      state_->failed = true;
      return false;
    }
  }
  return true;
}

bool Writer::End(std::uint64_t size, std::uint32_t crc) { return state_->Finish(size, crc); }

// ---- Pieces ----------------------------------------------------------------------------------

struct PieceDeflater::State {
  z_stream z{};
  bool ready = false;
  ~State() {
    if (ready) deflateEnd(&z);
  }
};

PieceDeflater::PieceDeflater() : state_(std::make_unique<State>()) {}
PieceDeflater::~PieceDeflater() = default;

Outcome PieceDeflater::Deflate(std::string_view before, std::string_view bytes, bool last, std::string& out,
                               const std::atomic<bool>* stop) {
  z_stream& z = state_->z;
  if (!state_->ready) {
    if (deflateInit2(&z, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return Outcome::WriteFailed;
    state_->ready = true;
  } else if (deflateReset(&z) != Z_OK) {
    return Outcome::WriteFailed;
  }
  if (before.size() > kWindowBytes) before.remove_prefix(before.size() - kWindowBytes);
  if (!before.empty() &&
      deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(before.data()), static_cast<uInt>(before.size())) != Z_OK)
    return Outcome::WriteFailed;
  // Room for the worst case at once; the flush's empty block needs a few bytes more.
  out.resize(deflateBound(&z, static_cast<uLong>(bytes.size())) + 64);
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  std::size_t at = 0;
  for (;;) {
    if (stop && stop->load(std::memory_order_relaxed)) return Outcome::Stopped;
    const std::size_t n = std::min(kChunkBytes, bytes.size() - at);
    const bool final = at + n == bytes.size();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + at));
    z.avail_in = static_cast<uInt>(n);
    const int flush = !final ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
    const int rc = deflate(&z, flush);
    if (rc == Z_STREAM_ERROR || z.avail_in != 0 || z.avail_out == 0) return Outcome::WriteFailed;
    at += n;
    if (final) {
      if (last && rc != Z_STREAM_END) return Outcome::WriteFailed;
      break;
    }
  }
  out.resize(out.size() - z.avail_out);
  return Outcome::Done;
}

std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes) {
  uLong sum = crc;
  for (std::size_t at = 0; at < bytes.size(); at += 1u << 30) {  // uInt counts
    const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1u << 30);
    sum = crc32(sum, reinterpret_cast<const Bytef*>(bytes.data() + at), static_cast<uInt>(n));
  }
  return static_cast<std::uint32_t>(sum);
}

std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::uint32_t secondLength) {
  return static_cast<std::uint32_t>(crc32_combine(first, second, static_cast<z_off_t>(secondLength)));
}

bool Writer::Close() {
  if (!state_->file) return false;
  const bool closed = zipClose(state_->file, nullptr) == ZIP_OK;
  state_->file = nullptr;
  return closed && !state_->failed && !state_->stream->Failed();
}

void Writer::Abandon() {
  if (!state_->file) return;
  // minizip frees its state on close; what it writes of a central directory is deleted with the
  // file by the caller.
  zipClose(state_->file, nullptr);
  state_->file = nullptr;
}

}  // namespace quintar::zip::core

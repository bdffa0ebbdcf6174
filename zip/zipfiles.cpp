#include "zip/zipfiles.h"

#include <condition_variable>
#include <cwchar>
#include <tuple>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "win32/handle.h"
#include "zip/core/archive.h"
#include "zip/core/entry.h"

namespace quintar::zip {
namespace {

using core::Outcome;

std::u16string_view U16(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
std::wstring_view Wide(std::u16string_view text) { return {reinterpret_cast<const wchar_t*>(text.data()), text.size()}; }

bool IsFolder(DWORD attributes) { return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY); }
bool IsDots(const wchar_t* name) { return lstrcmpW(name, L".") == 0 || lstrcmpW(name, L"..") == 0; }

std::wstring Join(const std::wstring& folder, std::wstring_view name) {
  std::wstring path = folder;
  if (path.empty() || path.back() != L'\\') path.push_back(L'\\');
  return path.append(name);
}

DWORD ErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

// ---- A file as minizip's stream, buffered (every call to the file system costs under Wine) ----

class FileStream final : public core::Stream {
 public:
  explicit FileStream(HANDLE file) : file_(file), buffer_(256 * 1024) {}
  ~FileStream() override { Flush(); }

  std::size_t Read(void* out, std::size_t size) override {
    if (!Flush()) return 0;
    std::size_t done = 0;
    while (done < size) {
      if (readAt_ == readEnd_) {
        if (size - done >= buffer_.size()) {  // large reads go straight through
          DWORD got = 0;
          if (!ReadFile(file_, static_cast<char*>(out) + done, static_cast<DWORD>(size - done), &got, nullptr))
            return Fail(done);
          position_ += got;
          return done + got;
        }
        DWORD got = 0;
        if (!ReadFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr)) return Fail(done);
        readAt_ = 0;
        readEnd_ = got;
        if (got == 0) break;
      }
      const std::size_t n = std::min(size - done, readEnd_ - readAt_);
      std::memcpy(static_cast<char*>(out) + done, buffer_.data() + readAt_, n);
      readAt_ += n;
      done += n;
      position_ += n;
    }
    return done;
  }

  std::size_t Write(const void* bytes, std::size_t size) override {
    if (failed_ || !DropReadAhead()) return 0;
    if (pending_ + size > buffer_.size() && !Flush()) return 0;
    if (size >= buffer_.size()) {
      DWORD wrote = 0;
      if (!WriteFile(file_, bytes, static_cast<DWORD>(size), &wrote, nullptr) || wrote != size) return Fail(0);
    } else {
      std::memcpy(buffer_.data() + pending_, bytes, size);
      pending_ += size;
    }
    position_ += size;
    return size;
  }

  bool Seek(std::int64_t offset, Origin origin) override {
    if (!Flush()) return false;
    LARGE_INTEGER to;
    DWORD method = FILE_BEGIN;
    switch (origin) {
      case Origin::Begin:
        to.QuadPart = offset;
        break;
      case Origin::Current:
        to.QuadPart = static_cast<LONGLONG>(position_) + offset;
        break;
      case Origin::End:
        to.QuadPart = offset;
        method = FILE_END;
        break;
    }
    LARGE_INTEGER now;
    readAt_ = readEnd_ = 0;
    if (!SetFilePointerEx(file_, to, &now, method)) return false;
    position_ = static_cast<std::uint64_t>(now.QuadPart);
    return true;
  }
  std::uint64_t Tell() override { return position_; }
  bool Failed() const override { return failed_; }

  bool Flush() {
    if (pending_ == 0) return !failed_;
    DWORD wrote = 0;
    const bool ok = WriteFile(file_, buffer_.data(), static_cast<DWORD>(pending_), &wrote, nullptr) && wrote == pending_;
    pending_ = 0;
    if (!ok) failed_ = true;
    return ok;
  }

 private:
  // The file's own pointer runs ahead of what was handed out by the read buffer.
  bool DropReadAhead() {
    if (readAt_ == readEnd_) return true;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position_);
    readAt_ = readEnd_ = 0;
    return SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) != FALSE;
  }
  std::size_t Fail(std::size_t done) {
    failed_ = true;
    return done;
  }

  HANDLE file_;
  std::vector<char> buffer_;
  std::size_t pending_ = 0, readAt_ = 0, readEnd_ = 0;
  std::uint64_t position_ = 0;
  bool failed_ = false;
};

// ---- Times -----------------------------------------------------------------------------------

std::uint32_t DosTimeOf(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return core::DosDateTime({});
  return core::DosDateTime({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
}

bool FileTimeOf(std::uint32_t dos, FILETIME& utc) {
  const auto civil = core::FromDosDateTime(dos);
  if (!civil) return false;
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(civil->year);
  t.wMonth = static_cast<WORD>(civil->month);
  t.wDay = static_cast<WORD>(civil->day);
  t.wHour = static_cast<WORD>(civil->hour);
  t.wMinute = static_cast<WORD>(civil->minute);
  t.wSecond = static_cast<WORD>(civil->second);
  FILETIME local;
  return SystemTimeToFileTime(&t, &local) && LocalFileTimeToFileTime(&local, &utc);
}

// ---- Compression -----------------------------------------------------------------------------

// One entry to write, found by the walk before the first is written.
struct Item {
  std::wstring path, relative;
  WIN32_FIND_DATAW found;
  bool folder() const { return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  std::uint64_t size() const { return static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow; }
};

// Everything below `folder`, depth first, in the order the file system lists it.
void Collect(const std::wstring& folder, std::size_t baseLength, const std::wstring& archive, std::vector<Item>& items,
             const std::atomic<bool>& stop) {
  WIN32_FIND_DATAW found;
  win32::FindHandle find(FindFirstFileW(Join(folder, L"*.*").c_str(), &found));
  if (!find) return;
  do {
    if (IsDots(found.cFileName)) continue;
    std::wstring path = Join(folder, found.cFileName);
    if (path.size() > core::kMaxPathChars || lstrcmpiW(path.c_str(), archive.c_str()) == 0) continue;
    std::wstring relative = path.substr(baseLength);
    items.push_back({path, std::move(relative), found});
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Collect(path, baseLength, archive, items, stop);
  } while (!stop.load() && FindNextFileW(find.get(), &found));
}

core::EntryMeta MetaOf(const Item& item) {
  return {core::EntryName(U16(item.relative), item.folder()), DosTimeOf(item.found.ftLastWriteTime),
          item.found.dwFileAttributes};
}

// Entries are cut into pieces of this size so that both cores work on a large one; every thread
// takes the next piece in archive order and the archive's thread writes them in that order.
constexpr std::uint64_t kPieceBytes = 1u << 20;
constexpr std::size_t kAheadPieces = 256;           // pieces taken but not yet written
constexpr std::uint64_t kAheadBytes = 32ull << 20;  // their source bytes
constexpr std::uint64_t kEntryWeight = 4096;        // an entry's own cost, in bytes, for the progress

// A source file opened once for all its pieces; each reads its own part at its own offset.
struct OpenSource {
  win32::FileHandle file;
  std::uint64_t size = 0;
};

struct Piece {
  std::size_t item = 0;
  std::uint64_t offset = 0, length = 0, fileSize = 0;
  bool last = true, stored = false;
  bool ready = false, skipped = false;
  Outcome outcome = Outcome::Done;
  DWORD error = ERROR_SUCCESS;
  std::uint32_t crc = 0;
  std::string data;
  std::shared_ptr<OpenSource> source;
};

// What one thread keeps from piece to piece.
struct Bench {
  core::PieceDeflater deflater;
  std::string read;
};

// Reads `size` bytes at `offset`; fewer only at the file's end.
bool ReadAt(HANDLE file, std::uint64_t offset, char* out, std::size_t size, std::size_t& got) {
  got = 0;
  while (got < size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + got);
    at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
    DWORD n = 0;
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
    if (!ReadFile(file, out + got, ask, &n, &at)) return GetLastError() == ERROR_HANDLE_EOF;
    if (n == 0) return true;
    got += n;
  }
  return true;
}

class Packer {
 public:
  Packer(core::Writer& writer, Progress& progress, const std::atomic<bool>& stop, std::vector<Item>& items)
      : writer_(writer), progress_(progress), stop_(stop), items_(items), ends_(items.size()) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < items.size(); ++i) ends_[i] = sum += items[i].size() + kEntryWeight;
  }

  RunResult Run() {
    std::vector<std::thread> helpers;
    const unsigned cores = std::thread::hardware_concurrency();
    for (unsigned i = 1; i < cores && i < 8 && items_.size() > 0; ++i) helpers.emplace_back([this] { Help(); });
    try {
      WriteAll();
    } catch (...) {
      Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    {
      std::lock_guard hold(lock_);
      finished_ = true;
    }
    changed_.notify_all();
    for (auto& helper : helpers) helper.join();
    return run_;
  }

 private:
  bool Stopped() {
    if (stop_.load() && run_.result == Result::Done) run_.result = Result::Stopped;
    return run_.result != Result::Done;
  }
  void Fail(DWORD error) {
    if (run_.result == Result::Done) run_ = {Result::Failed, error, run_.skipped};
  }
  void Report(Outcome outcome, DWORD readError) {
    switch (outcome) {
      case Outcome::Done:
        break;
      case Outcome::Stopped:
        if (run_.result == Result::Done) run_.result = Result::Stopped;
        break;
      case Outcome::ReadFailed:  // or the file changed size while it was read
        Fail(readError != ERROR_SUCCESS ? readError : ERROR_READ_FAULT);
        break;
      default:
        Fail(ERROR_WRITE_FAULT);
        break;
    }
  }

  // Under the lock: whether another piece may be taken now.
  bool MayTake() const {
    return !finished_ && !stop_.load() && next_ < items_.size() && pieces_.size() < kAheadPieces &&
           ahead_ < kAheadBytes;
  }

  // Under the lock: the next piece in archive order, or null when what comes next needs no work
  // (a folder, a source that cannot be opened), which is queued ready instead.
  Piece* Take() {
    const Item& item = items_[next_];
    Piece& piece = pieces_.emplace_back();
    piece.item = next_;
    if (item.folder()) {
      piece.ready = true;
      ++next_;
      return nullptr;
    }
    if (!open_) {
      auto source = std::make_shared<OpenSource>();
      source->file.reset(CreateFileW(item.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
      LARGE_INTEGER size{};
      if (!source->file || !GetFileSizeEx(source->file.get(), &size)) {
        piece.ready = piece.skipped = true;  // locked or gone: left out before its entry is begun
        ++next_;
        return nullptr;
      }
      source->size = static_cast<std::uint64_t>(size.QuadPart);
      open_ = std::move(source);
      offset_ = 0;
    }
    piece.source = open_;
    piece.fileSize = open_->size;
    piece.offset = offset_;
    piece.length = std::min(kPieceBytes, open_->size - offset_);
    piece.last = offset_ + piece.length >= open_->size;
    piece.stored = core::IsStoredByName(U16(item.found.cFileName));
    ahead_ += piece.length;
    if (piece.last) {
      open_.reset();
      ++next_;
    } else {
      offset_ += piece.length;
    }
    return &piece;
  }

  // Outside the lock: reads and deflates one piece.
  void Work(Piece& piece, Bench& bench) {
    try {
      const std::uint64_t from = piece.offset - std::min<std::uint64_t>(piece.offset, core::kWindowBytes);
      const std::size_t before = static_cast<std::size_t>(piece.offset - from);
      const std::size_t length = static_cast<std::size_t>(piece.length);
      // The last piece asks for one byte more: getting it means the file grew since it was opened.
      bench.read.resize(before + length + 1);
      std::size_t got = 0;
      if (!ReadAt(piece.source->file.get(), from, bench.read.data(), before + length + (piece.last ? 1 : 0), got)) {
        piece.error = ErrorOr(ERROR_READ_FAULT);
        piece.outcome = Outcome::ReadFailed;
      } else if (got != before + length) {
        piece.outcome = Outcome::ReadFailed;
      } else {
        const std::string_view all(bench.read.data(), before + length);
        const std::string_view bytes = all.substr(before);
        piece.crc = core::Crc32(0, bytes);
        if (piece.stored)
          piece.data.assign(bytes);
        else
          piece.outcome = bench.deflater.Deflate(all.substr(0, before), bytes, piece.last, piece.data, &stop_);
      }
    } catch (...) {
      piece.outcome = Outcome::WriteFailed;
    }
    if (piece.last) piece.source.reset();
  }

  // The archive's thread: writes the pieces in order, working on the next ones while it waits.
  void WriteAll() {
    Bench bench;
    std::unique_lock hold(lock_);
    for (;;) {
      if (broken_) Fail(ERROR_NOT_ENOUGH_MEMORY);
      if (Stopped()) return;
      if (!pieces_.empty() && pieces_.front().ready) {
        Piece piece = std::move(pieces_.front());
        pieces_.pop_front();
        ahead_ -= piece.length;
        hold.unlock();
        changed_.notify_all();
        Write(piece);
        hold.lock();
      } else if (MayTake()) {
        if (Piece* piece = Take()) {
          hold.unlock();
          Work(*piece, bench);
          hold.lock();
          piece->ready = true;
        }
      } else if (pieces_.empty() && next_ >= items_.size()) {
        return;
      } else {
        changed_.wait(hold);
      }
    }
  }

  void Write(Piece& piece) {
    const Item& item = items_[piece.item];
    std::uint64_t done = ends_[piece.item];
    if (item.folder()) {
      if (!writer_.AddFolder(MetaOf(item))) Fail(ERROR_WRITE_FAULT);
    } else if (piece.skipped) {
      ++run_.skipped;
    } else if (piece.outcome != Outcome::Done) {
      Report(piece.outcome, piece.error);
    } else {
      if (piece.offset == 0 && !writer_.Begin(MetaOf(item), piece.stored, piece.fileSize)) Fail(ERROR_WRITE_FAULT);
      crc_ =
          piece.offset == 0 ? piece.crc : core::Crc32Combine(crc_, piece.crc, static_cast<std::uint32_t>(piece.length));
      if (!writer_.Append(piece.data.data(), piece.data.size())) Fail(ERROR_WRITE_FAULT);
      if (piece.last && !writer_.End(piece.fileSize, crc_)) Fail(ERROR_WRITE_FAULT);
      if (!piece.last)
        done = ends_[piece.item] - kEntryWeight - item.size() + std::min(item.size(), piece.offset + piece.length);
    }
    if (Stopped()) return;
    progress_.Entry(item.relative, core::Percent(done, ends_.back()));
  }

  // A further thread: works on the next pieces not yet taken, a bounded way ahead of the writer.
  void Help() {
    std::unique_lock hold(lock_);
    try {
      Bench bench;
      for (;;) {
        changed_.wait(hold, [&] { return finished_ || stop_.load() || next_ >= items_.size() || MayTake(); });
        if (!MayTake()) break;
        if (Piece* piece = Take()) {
          hold.unlock();
          Work(*piece, bench);
          hold.lock();
          piece->ready = true;
        }
        changed_.notify_all();
      }
    } catch (...) {
      broken_ = true;  // the writer gives up rather than wait for a piece nobody works on
    }
    hold.unlock();
    changed_.notify_all();
  }

  core::Writer& writer_;
  Progress& progress_;
  const std::atomic<bool>& stop_;
  std::vector<Item>& items_;
  std::vector<std::uint64_t> ends_;  // progress weight up to and with each entry
  RunResult run_{Result::Done};
  std::uint32_t crc_ = 0;  // of the entry being written, so far

  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Piece> pieces_;          // taken, in archive order; references stay valid while others are added
  std::size_t next_ = 0;              // the first entry not wholly taken
  std::shared_ptr<OpenSource> open_;  // that entry's source, when some of its pieces are taken
  std::uint64_t offset_ = 0;          // where its next piece begins
  std::uint64_t ahead_ = 0;
  bool finished_ = false, broken_ = false;
};

// ---- Extraction ------------------------------------------------------------------------------

// Creates every missing folder of `path` below `root` (which exists).
bool MakeFolders(const std::wstring& root, const std::wstring& path) {
  for (std::size_t at = path.find(L'\\', root.size() + 1); ; at = path.find(L'\\', at + 1)) {
    const std::wstring part = path.substr(0, at);
    if (!CreateDirectoryW(part.c_str(), nullptr) && !IsFolder(GetFileAttributesW(part.c_str()))) return false;
    if (at == std::wstring::npos) return true;
  }
}

void SetFolderTime(const std::wstring& path, std::uint32_t dos) {
  FILETIME when;
  if (!FileTimeOf(dos, when)) return;
  win32::FileHandle folder(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (folder) SetFileTime(folder.get(), nullptr, nullptr, &when);
}

DWORD FileAttributesOf(std::uint32_t restored) {
  const DWORD attributes = restored & (core::kReadOnly | core::kHidden | core::kSystem | core::kArchive);
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// A new file beside `parent`'s entries to unpack into, named so that it is seen as temporary.
std::pair<std::wstring, win32::FileHandle> CreateTemporary(const std::wstring& parent, std::uint64_t index) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[40];
    swprintf(name, 40, L"~zx%llx-%x.tmp", static_cast<unsigned long long>(index), attempt);
    std::wstring path = Join(parent, name);
    if (path.size() > core::kMaxPathChars) break;
    win32::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return {std::move(path), std::move(file)};
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return {};
}

struct FolderEntry {
  std::wstring path;
  std::uint32_t dosTime, attributes;
};

}  // namespace

std::wstring ArchiveNameFor(const std::wstring& source) {
  std::wstring base = source;
  while (base.size() > 1 && base.back() == L'\\') base.pop_back();
  if (!IsFolder(GetFileAttributesW(base.c_str()))) {
    const std::size_t slash = base.rfind(L'\\');
    const std::size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) base.erase(dot);
  }
  for (unsigned n = 0; n < 100000; ++n) {
    std::wstring candidate = base + (n ? L"(" + std::to_wstring(n) + L")" : L"") + L".zip";
    if (candidate.size() > core::kMaxPathChars) return {};
    WIN32_FIND_DATAW found;
    if (!win32::FindHandle(FindFirstFileW(candidate.c_str(), &found))) return candidate;
  }
  return {};
}

namespace {

// Writes `items` into the new `archive` held by `file`; on stop or failure the archive goes.
RunResult WriteArchive(win32::FileHandle& file, const std::wstring& archive, std::vector<Item>& items,
                       Progress& progress, const std::atomic<bool>& stop) {
  RunResult run;
  {
    FileStream stream(file.get());
    core::Writer writer;
    if (!writer.Create(stream)) {
      run = {Result::Failed, ERROR_WRITE_FAULT};
    } else {
      run = Packer(writer, progress, stop, items).Run();
      if (run.result == Result::Done && stop.load()) run.result = Result::Stopped;
    }
    if (run.result == Result::Done) {
      if (!writer.Close() || !stream.Flush()) run = {Result::Failed, ERROR_WRITE_FAULT, run.skipped};
    } else {
      writer.Abandon();
    }
  }
  if (run.result == Result::Done && !file.Close()) run = {Result::Failed, ErrorOr(ERROR_WRITE_FAULT), run.skipped};
  if (run.result != Result::Done) {
    // The archive is this run's own (CREATE_NEW made it). Marked for deletion through the handle
    // that still holds it exclusively, so no shell listing can open it between close and delete.
    FILE_DISPOSITION_INFO dispose{TRUE};
    const bool marked = SetFileInformationByHandle(file.get(), FileDispositionInfo, &dispose, sizeof dispose) != 0;
    file.reset();
    if (!marked) DeleteFileW(archive.c_str());
  }
  return run;
}

win32::FileHandle CreateArchive(const std::wstring& archive) {
  return win32::FileHandle(CreateFileW(archive.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

RunResult Compress(const std::wstring& source, const std::wstring& archive, Progress& progress,
                   const std::atomic<bool>& stop) {
  std::wstring from = source;
  while (from.size() > 1 && from.back() == L'\\') from.pop_back();
  WIN32_FIND_DATAW found;
  if (!win32::FindHandle(FindFirstFileW(from.c_str(), &found))) return {Result::Failed, ErrorOr(ERROR_FILE_NOT_FOUND)};
  const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;

  // Opened before the archive exists, so a source that cannot be read creates nothing.
  win32::FileHandle file = CreateArchive(archive);
  if (!file) return {Result::Failed, ErrorOr(ERROR_CANNOT_MAKE)};

  // The whole list first: its length is the progress total.
  std::vector<Item> items;
  items.push_back({from, {}, found});
  if (folder) {
    const std::size_t base = from.rfind(L'\\') + 1;  // entries begin with the folder's own name
    items.back().relative = from.substr(base);
    Collect(from, base, archive, items, stop);
  } else {
    items.back().relative = found.cFileName;
  }
  return WriteArchive(file, archive, items, progress, stop);
}

RunResult CompressBelow(const std::wstring& base, std::span<const std::wstring> sources, const std::wstring& archive,
                        Progress& progress, const std::atomic<bool>& stop) {
  const std::size_t baseLength = base.size() + 1;
  std::vector<Item> items;
  for (const std::wstring& source : sources) {
    WIN32_FIND_DATAW found;
    if (source.size() <= baseLength || !win32::FindHandle(FindFirstFileW(source.c_str(), &found)))
      return {Result::Failed, ErrorOr(ERROR_FILE_NOT_FOUND)};
    if (lstrcmpiW(source.c_str(), archive.c_str()) == 0) return {Result::Failed, ERROR_INVALID_PARAMETER};
    items.push_back({source, source.substr(baseLength), found});
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Collect(source, baseLength, archive, items, stop);
  }
  win32::FileHandle file = CreateArchive(archive);
  if (!file) return {Result::Failed, ErrorOr(ERROR_CANNOT_MAKE)};
  return WriteArchive(file, archive, items, progress, stop);
}

RunResult Extract(const std::wstring& archive, const std::wstring& target, Progress& progress,
                  const std::atomic<bool>& stop, bool refuseUnsafeNames) {
  win32::FileHandle file(CreateFileW(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {Result::Failed, ErrorOr(ERROR_FILE_NOT_FOUND)};
  FileStream stream(file.get());
  core::Reader reader;
  if (!reader.Open(stream)) return {Result::Failed, ERROR_BAD_FORMAT};
  std::wstring root = target;
  while (root.size() > 1 && root.back() == L'\\') root.pop_back();
  if (!IsFolder(GetFileAttributesW(root.c_str()))) return {Result::Failed, ERROR_PATH_NOT_FOUND};

  RunResult run{Result::Done};
  std::vector<FolderEntry> folders;
  const std::uint64_t count = reader.Count();
  std::uint64_t index = 0;
  std::vector<char> pending;
  std::wstring madeParent;
  for (bool more = reader.First(); more; more = reader.Next(), ++index) {
    if (stop.load()) {
      run.result = Result::Stopped;
      break;
    }
    core::EntryInfo info;
    if (!reader.Current(info)) break;
    progress.Entry(Wide(info.name), core::Percent(index, count));
    const std::wstring path = info.safePath ? Join(root == L"\\" ? L"" : root, Wide(*info.safePath)) : L"";
    if (path.empty() || path.size() > core::kMaxPathChars ||
        (refuseUnsafeNames && !core::IsPlainRelativeName(info.name))) {
      ++run.skipped;
      continue;
    }
    if (info.folder) {
      if (MakeFolders(root, path)) folders.push_back({path, info.dosTime, info.attributes});
      else ++run.skipped;
      continue;
    }
    std::wstring parent = path.substr(0, path.rfind(L'\\'));
    if (parent.empty()) parent = L"\\";
    // Folders already made for the entry before are not asked for again (each call costs).
    const bool parentMade = parent == madeParent || MakeFolders(root, parent);
    if (parentMade) madeParent = parent;
    std::wstring temporary;
    win32::FileHandle out;
    if (info.Extractable() && parentMade) std::tie(temporary, out) = CreateTemporary(parent, index);
    if (!out) {
      ++run.skipped;
      continue;
    }
    Outcome outcome = Outcome::WriteFailed;
    DWORD writeError = ERROR_SUCCESS;
    {
      pending.clear();
      const auto flush = [&] {
        DWORD wrote = 0;
        const bool ok = pending.empty() || (WriteFile(out.get(), pending.data(), static_cast<DWORD>(pending.size()),
                                                      &wrote, nullptr) &&
                                            wrote == pending.size());
        if (!ok) writeError = ErrorOr(ERROR_WRITE_FAULT);
        pending.clear();
        return ok;
      };
      outcome = reader.ReadCurrent(
          [&](const void* bytes, std::size_t n) {
            pending.insert(pending.end(), static_cast<const char*>(bytes), static_cast<const char*>(bytes) + n);
            return pending.size() < 1024 * 1024 || flush();
          },
          &stop);
      if (outcome == Outcome::Done && !flush()) outcome = Outcome::WriteFailed;
      FILETIME when;
      if (outcome == Outcome::Done && FileTimeOf(info.dosTime, when)) SetFileTime(out.get(), nullptr, nullptr, &when);
      if (!out.Close() && outcome == Outcome::Done) {
        writeError = ErrorOr(ERROR_WRITE_FAULT);
        outcome = Outcome::WriteFailed;
      }
    }
    if (outcome == Outcome::Done) {
      // A read-only file in the way is replaced like any other.
      const DWORD existing = GetFileAttributesW(path.c_str());
      if (existing != INVALID_FILE_ATTRIBUTES && !IsFolder(existing) && (existing & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), existing & ~FILE_ATTRIBUTE_READONLY);
      if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        // A new file has the archive bit alone; other bits are set when the entry has them.
        if (info.attributes & (core::kReadOnly | core::kHidden | core::kSystem))
          SetFileAttributesW(path.c_str(), FileAttributesOf(info.attributes));
        continue;
      }
      if (existing != INVALID_FILE_ATTRIBUTES && !IsFolder(existing)) SetFileAttributesW(path.c_str(), existing);
      ++run.skipped;  // a folder of that name, say
    }
    DeleteFileW(temporary.c_str());
    if (outcome == Outcome::Stopped) {
      run.result = Result::Stopped;
      break;
    }
    if (outcome == Outcome::WriteFailed) {  // a full card: the entries after it would fail too
      run = {Result::Failed, writeError != ERROR_SUCCESS ? writeError : ERROR_WRITE_FAULT, run.skipped + 1};
      break;
    }
    if (outcome != Outcome::Done) ++run.skipped;
  }
  // Folders last: writing their files changed their times.
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    SetFolderTime(it->path, it->dosTime);
    const DWORD attributes = it->attributes & (core::kReadOnly | core::kHidden | core::kSystem | core::kArchive);
    if (attributes) SetFileAttributesW(it->path.c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY);
  }
  return run;
}

}  // namespace quintar::zip

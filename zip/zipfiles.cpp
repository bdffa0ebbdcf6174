#include "zip/zipfiles.h"

#include <cstring>
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

struct Packer {
  core::Writer& writer;
  Progress& progress;
  const std::atomic<bool>& stop;
  std::wstring archive;
  std::uint64_t total = 0, done = 0;
  RunResult run{Result::Done};

  bool Stopped() {
    if (stop.load()) run.result = Result::Stopped;
    return run.result != Result::Done;
  }
  void Fail(DWORD error) {
    if (run.result == Result::Done) run = {Result::Failed, error, run.skipped};
  }
  void Advance(std::wstring_view name) {
    ++done;
    progress.Entry(name, core::Percent(done, total));
  }

  void AddFolder(const std::wstring& relative, const WIN32_FIND_DATAW& found) {
    const core::EntryMeta meta{core::EntryName(U16(relative), true), DosTimeOf(found.ftLastWriteTime),
                               found.dwFileAttributes};
    if (!writer.AddFolder(meta)) Fail(ERROR_WRITE_FAULT);
  }

  void AddFile(const std::wstring& path, const std::wstring& relative, const WIN32_FIND_DATAW& found) {
    win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
      ++run.skipped;  // locked or gone: left out before its entry is begun
      return;
    }
    const core::EntryMeta meta{core::EntryName(U16(relative), false), DosTimeOf(found.ftLastWriteTime),
                               found.dwFileAttributes};
    const HANDLE handle = file.get();
    DWORD readError = ERROR_SUCCESS;
    const core::Source source = [handle, &readError](void* buffer, std::size_t n) -> std::int64_t {
      DWORD got = 0;
      if (!ReadFile(handle, buffer, static_cast<DWORD>(n), &got, nullptr)) {
        readError = ErrorOr(ERROR_READ_FAULT);
        return -1;
      }
      return got;
    };
    switch (writer.AddFile(meta, core::IsStoredByName(U16(found.cFileName)), static_cast<std::uint64_t>(size.QuadPart),
                           source, &stop)) {
      case Outcome::Done:
        break;
      case Outcome::Stopped:
        run.result = Result::Stopped;
        break;
      case Outcome::ReadFailed:
        Fail(readError != ERROR_SUCCESS ? readError : ERROR_READ_FAULT);  // or it changed size meanwhile
        break;
      default:
        Fail(ERROR_WRITE_FAULT);
        break;
    }
  }

  // Everything below `folder`, depth first, in the order the file system lists it.
  void AddBelow(const std::wstring& folder, std::size_t baseLength) {
    WIN32_FIND_DATAW found;
    win32::FindHandle find(FindFirstFileW(Join(folder, L"*.*").c_str(), &found));
    if (!find) return;
    do {
      if (IsDots(found.cFileName)) continue;
      const std::wstring path = Join(folder, found.cFileName);
      if (path.size() > core::kMaxPathChars || lstrcmpiW(path.c_str(), archive.c_str()) == 0) continue;
      const std::wstring relative = path.substr(baseLength);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        AddFolder(relative, found);
        if (Stopped()) return;
        Advance(relative);
        AddBelow(path, baseLength);
      } else {
        AddFile(path, relative, found);
        if (Stopped()) return;
        Advance(relative);
      }
    } while (!Stopped() && FindNextFileW(find.get(), &found));
  }
};

std::uint64_t CountBelow(const std::wstring& folder, const std::atomic<bool>& stop) {
  std::uint64_t count = 0;
  WIN32_FIND_DATAW found;
  win32::FindHandle find(FindFirstFileW(Join(folder, L"*.*").c_str(), &found));
  if (!find) return 0;
  do {
    if (IsDots(found.cFileName)) continue;
    ++count;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) count += CountBelow(Join(folder, found.cFileName), stop);
  } while (!stop.load() && FindNextFileW(find.get(), &found));
  return count;
}

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

RunResult Compress(const std::wstring& source, const std::wstring& archive, Progress& progress,
                   const std::atomic<bool>& stop) {
  std::wstring from = source;
  while (from.size() > 1 && from.back() == L'\\') from.pop_back();
  WIN32_FIND_DATAW found;
  if (!win32::FindHandle(FindFirstFileW(from.c_str(), &found))) return {Result::Failed, ErrorOr(ERROR_FILE_NOT_FOUND)};
  const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;

  // Opened before the archive exists, so a source that cannot be read creates nothing.
  win32::FileHandle file(
      CreateFileW(archive.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {Result::Failed, ErrorOr(ERROR_CANNOT_MAKE)};

  RunResult run;
  {
    FileStream stream(file.get());
    core::Writer writer;
    Packer packer{writer, progress, stop, archive};
    if (!writer.Create(stream)) {
      packer.Fail(ERROR_WRITE_FAULT);
    } else if (folder) {
      packer.total = CountBelow(from, stop);
      const std::size_t base = from.rfind(L'\\') + 1;  // entries begin with the folder's own name
      const std::wstring name = from.substr(base);
      packer.AddFolder(name, found);
      if (!packer.Stopped()) packer.AddBelow(from, base);
    } else {
      const std::wstring name = found.cFileName;
      packer.AddFile(from, name, found);
      if (!packer.Stopped()) packer.Advance(name);
    }
    if (packer.run.result == Result::Done) {
      if (!writer.Close() || !stream.Flush()) packer.Fail(ERROR_WRITE_FAULT);
    } else {
      writer.Abandon();
    }
    run = packer.run;
  }
  if (run.result == Result::Done && !file.Close()) run = {Result::Failed, ErrorOr(ERROR_WRITE_FAULT), run.skipped};
  if (run.result != Result::Done) {
    file.reset();
    DeleteFileW(archive.c_str());  // the archive is this run's own: CREATE_NEW made it
  }
  return run;
}

RunResult Extract(const std::wstring& archive, const std::wstring& target, Progress& progress,
                  const std::atomic<bool>& stop) {
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
  for (bool more = reader.First(); more; more = reader.Next(), ++index) {
    if (stop.load()) {
      run.result = Result::Stopped;
      break;
    }
    core::EntryInfo info;
    if (!reader.Current(info)) break;
    progress.Entry(Wide(info.name), core::Percent(index, count));
    const std::wstring path = info.safePath ? Join(root == L"\\" ? L"" : root, Wide(*info.safePath)) : L"";
    if (path.empty() || path.size() > core::kMaxPathChars) {
      ++run.skipped;
      continue;
    }
    if (info.folder) {
      if (MakeFolders(root, path)) folders.push_back({path, info.dosTime, info.attributes});
      else ++run.skipped;
      continue;
    }
    const std::wstring parent = path.substr(0, path.rfind(L'\\'));
    wchar_t temporary[MAX_PATH];
    if (!info.Extractable() || !MakeFolders(root, parent) ||
        !GetTempFileNameW(parent.empty() ? L"\\" : parent.c_str(), L"~zx", 0, temporary)) {
      ++run.skipped;
      continue;
    }
    Outcome outcome = Outcome::WriteFailed;
    DWORD writeError = ERROR_SUCCESS;
    {
      win32::FileHandle out(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
      if (out) {
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
      } else {
        writeError = ErrorOr(ERROR_CANNOT_MAKE);
      }
    }
    if (outcome == Outcome::Done) {
      // A read-only file in the way is replaced like any other.
      const DWORD existing = GetFileAttributesW(path.c_str());
      if (existing != INVALID_FILE_ATTRIBUTES && !IsFolder(existing) && (existing & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), existing & ~FILE_ATTRIBUTE_READONLY);
      if (MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        SetFileAttributesW(path.c_str(), FileAttributesOf(info.attributes));
        continue;
      }
      if (existing != INVALID_FILE_ATTRIBUTES && !IsFolder(existing)) SetFileAttributesW(path.c_str(), existing);
      ++run.skipped;  // a folder of that name, say
    }
    DeleteFileW(temporary);
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

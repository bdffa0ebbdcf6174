#include "device/archiver/lzh.h"

#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include "lhasa.h"
// lhasa_reader.c: the decoder's own length and CRC of the file just read matched its header.
int quintar_lha_reader_verified(LHAReader* reader);
}

#include "win32/handle.h"
#include "zip/core/entry.h"

namespace quintar::device {

namespace {

namespace zc = zip::core;

int ReadInput(void* handle, void* buffer, size_t length) {
  DWORD got = 0;
  if (!ReadFile(static_cast<HANDLE>(handle), buffer, static_cast<DWORD>(length), &got, nullptr)) return -1;
  return static_cast<int>(got);
}

int SkipInput(void* handle, size_t bytes) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(bytes);
  return SetFilePointerEx(static_cast<HANDLE>(handle), distance, nullptr, FILE_CURRENT) ? 1 : 0;
}

void CloseInput(void*) {}  // the file's owner closes it

const LHAInputStreamType kInput = {ReadInput, SkipInput, CloseInput};

struct StreamFree {
  void operator()(LHAInputStream* stream) const { lha_input_stream_free(stream); }
};
struct ReaderFree {
  void operator()(LHAReader* reader) const { lha_reader_free(reader); }
};

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Each missing folder from below `root` down to `path`.
bool MakeFolders(const std::wstring& root, const std::wstring& path) {
  for (size_t at = path.find(L'\\', root.size() + 1);; at = path.find(L'\\', at + 1)) {
    const std::wstring folder = path.substr(0, at);
    if (!IsFolder(folder) && !CreateDirectoryW(folder.c_str(), nullptr)) return false;
    if (at == std::wstring::npos) return true;
  }
}

// The stored name as text: UTF-8 when it is valid UTF-8, else code page 437.
std::u16string NameOf(const LHAFileHeader& header) {
  std::string raw = header.path ? header.path : "";
  if (header.filename) raw += header.filename;
  if (auto utf8 = zc::FromUtf8(raw)) return *utf8;
  return zc::FromCp437(raw);
}

FILETIME TimeOf(const LHAFileHeader& header) {
  ULARGE_INTEGER when;
  when.QuadPart = (header.extra_flags & LHA_FILE_WINDOWS_TIMESTAMPS)
                      ? header.win_modification_time
                      : (static_cast<ULONGLONG>(header.timestamp) + 11644473600ull) * 10000000ull;
  return FILETIME{when.LowPart, when.HighPart};
}

}  // namespace

LzhResult ExtractLzh(const std::wstring& archive, const std::wstring& target) {
  LzhResult result;
  win32::FileHandle file(CreateFileW(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    result.error = GetLastError();
    return result;
  }
  std::unique_ptr<LHAInputStream, StreamFree> stream(lha_input_stream_new(&kInput, file.get()));
  std::unique_ptr<LHAReader, ReaderFree> reader(stream ? lha_reader_new(stream.get()) : nullptr);
  if (!reader) return result;
  const std::wstring root = target == L"\\" ? L"" : target;
  std::vector<unsigned char> buffer(64 * 1024);
  for (LHAFileHeader* header; (header = lha_reader_next_file(reader.get())) != nullptr;) {
    result.opened = true;
    if (lha_reader_current_is_fake(reader.get())) continue;
    const std::u16string name = NameOf(*header);
    const bool folder = std::strcmp(header->compress_method, LHA_COMPRESS_TYPE_DIR) == 0;
    auto safe = zc::IsPlainRelativeName(name) ? zc::SafeRelativePath(name) : std::nullopt;
    const std::wstring path =
        safe ? root + L"\\" + std::wstring(reinterpret_cast<const wchar_t*>(safe->data()), safe->size()) : L"";
    if (path.empty() || path.size() > zc::kMaxPathChars || header->symlink_target) {
      ++result.skipped;
      continue;
    }
    if (folder) {
      if (!MakeFolders(root, path)) ++result.skipped;
      continue;
    }
    const std::wstring parent = path.substr(0, path.rfind(L'\\'));
    if (!parent.empty() && !MakeFolders(root, parent)) {
      ++result.skipped;
      continue;
    }
    // A fresh name beside the place, never one that is there already.
    std::wstring temporary;
    win32::FileHandle out;
    for (int attempt = 0; attempt < 100 && !out; ++attempt) {
      temporary =
          parent + L"\\~lzh" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(attempt) + L".tmp";
      out.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!out) {
      ++result.skipped;
      continue;
    }
    bool wrote = true;
    for (size_t got; wrote && (got = lha_reader_read(reader.get(), buffer.data(), buffer.size())) > 0;) {
      DWORD put = 0;
      wrote = WriteFile(out.get(), buffer.data(), static_cast<DWORD>(got), &put, nullptr) && put == got;
    }
    const FILETIME when = TimeOf(*header);
    SetFileTime(out.get(), nullptr, nullptr, &when);
    if (!wrote || !out.Close()) {
      // A full card: what follows would fail too, and nothing already there is touched.
      result.error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
      DeleteFileW(temporary.c_str());
      return result;
    }
    if (!quintar_lha_reader_verified(reader.get())) {
      DeleteFileW(temporary.c_str());
      ++result.skipped;
      continue;
    }
    const DWORD existing = GetFileAttributesW(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY) &&
        (existing & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesW(path.c_str(), existing & ~FILE_ATTRIBUTE_READONLY);
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      DeleteFileW(temporary.c_str());
      ++result.skipped;
      continue;
    }
    ++result.extracted;
  }
  return result;
}

}  // namespace quintar::device

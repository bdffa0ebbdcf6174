#include "regeditor/regfile_io.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "regeditor/core/regfile.h"
#include "regeditor/core/registry_text.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::tamsk {

namespace {

using namespace core;
using Key = win32::RegKey;
const char16_t* U16(const wchar_t* s) { return win32::U16Ptr(s); }
const wchar_t* W(const char16_t* s) { return win32::WidePtr(s); }
std::u16string_view U16(const std::wstring& s) { return win32::U16View(s); }

// The export's output: bytes collect in memory and reach the file in large writes.
class BufferedOut {
 public:
  static constexpr std::size_t kFlushAt = 1 << 20;

  bool Open(const std::wstring& path, bool append) {
    file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return false;
    HANDLE h = file_.get();
    LARGE_INTEGER zero{};
    if (append && !SetFilePointerEx(h, zero, nullptr, FILE_END)) return false;
    buf_.reserve(kFlushAt + (64 << 10));
    return true;
  }
  std::string& buf() { return buf_; }
  void MaybeFlush() {
    if (buf_.size() >= kFlushAt) Flush();
  }
  bool Flush() {
    std::size_t done = 0;
    while (done < buf_.size() && ok_) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(buf_.size() - done, 1u << 30));
      DWORD wrote = 0;
      if (!WriteFile(file_.get(), buf_.data() + done, chunk, &wrote, nullptr) || wrote == 0) ok_ = false;
      done += wrote;
    }
    buf_.clear();
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  win32::FileHandle file_;
  std::string buf_;
  bool ok_ = true;
};

// Reusable buffers for reading a key's values.
struct ValueBuffers {
  std::vector<wchar_t> name;
  std::vector<BYTE> data;
};

// One query gives the counts and the longest name and data, so that neither enumeration needs a
// final call to learn that it is done (each registry call is a round trip to the wineserver).
struct KeyInfo {
  DWORD subkeys = 0, values = 0, maxName = 0, maxData = 0;
};
bool QueryInfo(HKEY key, KeyInfo& info) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &info.subkeys, nullptr, nullptr, &info.values, &info.maxName,
                          &info.maxData, nullptr, nullptr) == ERROR_SUCCESS;
}

// Where a part of the export goes: a string, flushed to the file when there is one.
struct Sink {
  std::string& buf;
  BufferedOut* file;  // nullptr for a part held in memory until its turn comes
  void MaybeFlush() {
    if (file) file->MaybeFlush();
  }
};

void WriteValues(Sink& out, HKEY key, const KeyInfo& info, ValueBuffers& b) {
  if (b.name.size() < info.maxName + 1u) b.name.resize(info.maxName + 1u);
  // Never a null data buffer: with one, the registry reports sizes instead of copying data.
  if (b.data.size() < std::max<DWORD>(info.maxData, 256)) b.data.resize(std::max<DWORD>(info.maxData, 256));
  for (DWORD index = 0; index < info.values;) {
    DWORD nameLen = static_cast<DWORD>(b.name.size());
    DWORD dataLen = static_cast<DWORD>(b.data.size());
    DWORD type = 0;
    LSTATUS rc = RegEnumValueW(key, index, b.name.data(), &nameLen, nullptr, &type, b.data.data(), &dataLen);
    if (rc == ERROR_MORE_DATA) {
      // The value grew since the key was measured: measure this one again.
      if (b.name.size() < 32768) b.name.resize(32768);
      nameLen = static_cast<DWORD>(b.name.size());
      DWORD need = 0;
      if (RegEnumValueW(key, index, b.name.data(), &nameLen, nullptr, nullptr, nullptr, &need) != ERROR_SUCCESS) break;
      b.data.resize(std::max<std::size_t>(need, b.data.size() * 2));
      continue;
    }
    if (rc != ERROR_SUCCESS) break;  // the key changed or went away
    AppendValueLine(out.buf, {U16(b.name.data()), nameLen}, type,
                    std::span<const std::uint8_t>(b.data.data(), dataLen));
    ++index;
  }
  out.MaybeFlush();
}

bool OpenForRead(HKEY parent, const wchar_t* sub, Key& key) {
  return RegOpenKeyExW(parent, sub, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// A subkey of `parent`: its key line and values, then everything below it, depth first, pre-order.
// A subkey that cannot be opened and queried gets neither key line nor values.
void WriteSubtree(Sink& out, HKEY parent, const std::wstring& childName, const std::wstring& rootName,
                  std::wstring path, ValueBuffers& b) {
  struct Level {
    Key key;
    DWORD index = 0;
    DWORD count = 0;
    std::size_t pathLen = 0;
  };
  std::vector<Level> stack;
  auto enter = [&](HKEY from, const wchar_t* name) {
    Key child;
    KeyInfo info;
    if (!OpenForRead(from, name, child) || !QueryInfo(child.get(), info)) return;
    AppendKeyLine(out.buf, U16(rootName), U16(path));
    WriteValues(out, child.get(), info, b);
    stack.push_back({std::move(child), 0, info.subkeys, path.size()});
  };
  enter(parent, childName.c_str());
  wchar_t name[512];
  while (!stack.empty()) {
    Level& level = stack.back();
    LSTATUS rc = ERROR_NO_MORE_ITEMS;
    DWORD len = static_cast<DWORD>(std::size(name));
    if (level.index < level.count)
      rc = RegEnumKeyExW(level.key.get(), level.index, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      ++level.index;  // longer than any key name the registry allows: not a key we can open
      continue;
    }
    if (rc != ERROR_SUCCESS) {
      if (rc == ERROR_INVALID_HANDLE) AppendErrorLine(out.buf);
      stack.pop_back();
      continue;
    }
    ++level.index;
    path.resize(level.pathLen);
    path += L'\\';
    path.append(name, len);
    enter(level.key.get(), name);
  }
}

// The subkeys of the exported key are written in parts of kPartKeys subkeys each. With more than
// one processor a second thread writes the next parts into memory while this one writes the file,
// so that two registry calls are in flight: each is a round trip to the wineserver, and that wait,
// not the formatting, is what an export costs. The file's bytes do not change: parts are written
// in order.
class PartWriter {
 public:
  static constexpr std::size_t kPartKeys = 64;
  static constexpr std::size_t kWindow = 8;  // parts held in memory at most

  PartWriter(BufferedOut& file, HKEY parent, const std::wstring& rootName, const std::wstring& path,
             std::vector<std::wstring> names)
      : file_(file),
        parent_(parent),
        rootName_(rootName),
        path_(path),
        names_(std::move(names)),
        parts_((names_.size() + kPartKeys - 1) / kPartKeys) {}

  bool Run() {
    std::thread helper;
    if (parts_.size() > 1 && std::thread::hardware_concurrency() > 1) {
      try {
        helper = std::thread([this] {
          try {
            Work(false);
          } catch (...) {
            Stop();
          }
        });
      } catch (...) {
        // No second thread: this one writes every part.
      }
    }
    try {
      Work(true);
    } catch (...) {
      Stop();
    }
    if (helper.joinable()) helper.join();
    return !failed_;
  }

 private:
  struct Part {
    bool done = false;
    std::string text;
  };

  void Stop() {
    std::lock_guard lock(mutex_);
    failed_ = stop_ = true;
    changed_.notify_all();
  }

  // Both threads take the parts in order; the writing thread also moves finished parts, in
  // order, into the file.
  void Work(bool writer) {
    ValueBuffers buffers;
    std::unique_lock lock(mutex_);
    for (;;) {
      while (writer && written_ < parts_.size() && parts_[written_].done) {
        std::string text = std::move(parts_[written_].text);
        ++written_;
        changed_.notify_all();
        lock.unlock();
        try {
          file_.buf() += text;
          file_.MaybeFlush();
        } catch (...) {
          lock.lock();
          failed_ = true;
          continue;
        }
        lock.lock();
      }
      if (stop_ || (writer ? written_ == parts_.size() : next_ == parts_.size())) return;
      if (next_ < parts_.size() && next_ < written_ + kWindow) {
        std::size_t index = next_++;
        lock.unlock();
        std::string text;
        bool ok = true;
        try {
          Sink sink{text, nullptr};
          WriteRange(sink, index, buffers);
        } catch (...) {  // out of memory: the export fails rather than ending the program
          ok = false;
          text = std::string();
        }
        lock.lock();
        if (!ok) failed_ = true;
        parts_[index].text = std::move(text);
        parts_[index].done = true;
        changed_.notify_all();
      } else {
        changed_.wait(lock);
      }
    }
  }

  void WriteRange(Sink& sink, std::size_t part, ValueBuffers& buffers) {
    std::size_t end = std::min(names_.size(), (part + 1) * kPartKeys);
    for (std::size_t i = part * kPartKeys; i < end; ++i)
      WriteSubtree(sink, parent_, names_[i], rootName_, path_ + L'\\' + names_[i], buffers);
  }

  BufferedOut& file_;
  HKEY parent_;
  const std::wstring& rootName_;
  const std::wstring& path_;
  std::vector<std::wstring> names_;
  std::vector<Part> parts_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;     // first part nobody has taken
  std::size_t written_ = 0;  // parts already in the file
  bool stop_ = false;
  bool failed_ = false;
};

// One tree: key line and values of root\path, then every key below it, depth first, pre-order.
bool WriteTree(BufferedOut& file, HKEY root, const std::wstring& rootName, const std::wstring& path, bool header) {
  Sink out{file.buf(), &file};
  if (header) AppendHeader(out.buf);
  AppendKeyLine(out.buf, U16(rootName), U16(path));
  Key top;
  const wchar_t* sub = path.empty() ? L"" : path.c_str() + (path[0] == L'\\' ? 1 : 0);
  KeyInfo info;
  if (!OpenForRead(root, sub, top) || !QueryInfo(top.get(), info)) return true;
  ValueBuffers buffers;
  WriteValues(out, top.get(), info, buffers);

  std::vector<std::wstring> names;
  names.reserve(info.subkeys);
  wchar_t name[512];
  bool lostHandle = false;
  for (DWORD index = 0; index < info.subkeys; ++index) {
    DWORD len = static_cast<DWORD>(std::size(name));
    LSTATUS rc = RegEnumKeyExW(top.get(), index, name, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) {
      lostHandle = rc == ERROR_INVALID_HANDLE;
      break;
    }
    names.emplace_back(name, len);
  }
  bool ok = PartWriter(file, top.get(), rootName, path, std::move(names)).Run();
  if (lostHandle) AppendErrorLine(file.buf());
  return ok;
}

const struct {
  HKEY handle;
  const wchar_t* name;
} kRoots[] = {{HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"},
              {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"},
              {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},
              {HKEY_USERS, L"HKEY_USERS"}};

bool Finish(BufferedOut& out, std::wstring* error) {
  if (out.Flush()) return true;
  if (error) *error = kWriteFileError;
  return false;
}

// Registry names compare without case, beyond ASCII too.
std::wstring FoldName(std::wstring_view name) {
  std::wstring s(name);
  if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

// Applies one value; `fresh` says the key was just created, so no value can exist yet unless
// the same block named it before.
void ApplyValue(HKEY key, const ParsedValue& v, bool fresh, std::unordered_set<std::wstring>& seen,
                std::vector<BYTE>& buf, ImportStats& stats) {
  if (v.type == ParsedType::BadNumber) return;
  const wchar_t* name = W(v.name.c_str());
  bool mustQuery = true;
  if (fresh) mustQuery = !seen.insert(FoldName(name)).second;
  ExistingValue existing;
  bool exists = false;
  if (mustQuery) {
    for (;;) {
      DWORD type = 0, size = static_cast<DWORD>(buf.size());
      LSTATUS rc = RegQueryValueExW(key, name, nullptr, &type, buf.data(), &size);
      if (rc == ERROR_MORE_DATA) {
        buf.resize(size);
        continue;
      }
      if (rc == ERROR_SUCCESS) {
        exists = true;
        existing.type = type;
        existing.data = std::span<const std::uint8_t>(buf.data(), size);
      } else if (rc != ERROR_FILE_NOT_FOUND) {
        ++stats.failures;
        return;  // unreadable: leave it alone rather than risk overwriting it
      }
      break;
    }
  }
  if (!ImportShouldWrite(v, exists ? &existing : nullptr)) {
    ++stats.valuesKept;
    return;
  }
  std::vector<std::uint8_t> data = ImportData(v);
  if (RegSetValueExW(key, name, 0, ImportType(v), data.data(), static_cast<DWORD>(data.size())) == ERROR_SUCCESS)
    ++stats.valuesWritten;
  else
    ++stats.failures;
}

bool Fail(std::wstring* error) {
  if (error) *error = L"Out of memory.";
  return false;
}

void ApplyKey(const ParsedKey& k, std::unordered_set<std::wstring>& seen, std::vector<BYTE>& buf, ImportStats& stats) {
  HKEY root = kRoots[static_cast<int>(k.root)].handle;
  Key key;
  DWORD disposition = REG_OPENED_EXISTING_KEY;
  HKEY target = root;
  if (!k.path.empty()) {
    const wchar_t* sub = W(k.path.c_str()) + (k.path[0] == u'\\' ? 1 : 0);
    if (RegCreateKeyExW(root, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), &disposition) != ERROR_SUCCESS) {
      ++stats.failures;
      return;
    }
    target = key.get();
  }
  ++stats.keys;
  seen.clear();
  bool fresh = disposition == REG_CREATED_NEW_KEY;
  for (const ParsedValue& v : k.values) ApplyValue(target, v, fresh, seen, buf, stats);
}

bool Import(const std::wstring& file, ImportStats* statsOut, std::wstring* error) {
  ImportStats stats;
  std::string bytes;
  {
    win32::FileHandle owner(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!owner) {
      if (error) *error = L"The file cannot be opened.";
      return false;
    }
    HANDLE h = owner.get();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size) || size.QuadPart > (1LL << 30)) {
      if (error) *error = L"The file is too large to import.";
      return false;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    while (got < bytes.size()) {
      DWORD n = 0;
      if (!ReadFile(h, bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &n, nullptr)) {
        if (error) *error = L"The file cannot be read.";
        return false;
      }
      if (n == 0) break;  // shorter than reported: read what is there
      got += n;
    }
    bytes.resize(got);
  }

  ParsedFile parsed = ParseRegFile(bytes);
  bytes = std::string();
  stats.ignored = parsed.unknownRoots + parsed.unknownTypes;
  stats.badNumbers = parsed.badNumbers;
  // Key blocks are independent unless a key appears twice (then the file's order decides which
  // text a value ends with), so without repeats two threads apply them: each registry call is a
  // round trip to the wineserver, and two can be in flight.
  std::unordered_set<std::wstring> paths;
  bool repeats = false;
  for (const ParsedKey& k : parsed.keys) {
    std::wstring folded = FoldName(W(k.path.c_str()));
    folded.insert(folded.begin(), static_cast<wchar_t>(L'0' + static_cast<int>(k.root)));
    if (!paths.insert(std::move(folded)).second) {
      repeats = true;
      break;
    }
  }
  paths.clear();
  std::atomic<std::size_t> next{0};
  constexpr std::size_t kPartKeys = 64;
  auto work = [&](ImportStats& st) {
    std::vector<BYTE> buf(4096);
    std::unordered_set<std::wstring> seen;
    for (;;) {
      std::size_t begin = next.fetch_add(kPartKeys);
      if (begin >= parsed.keys.size()) return;
      std::size_t end = std::min(parsed.keys.size(), begin + kPartKeys);
      for (std::size_t i = begin; i < end; ++i) ApplyKey(parsed.keys[i], seen, buf, st);
    }
  };
  ImportStats helperStats;
  std::thread helper;
  if (!repeats && parsed.keys.size() > kPartKeys && std::thread::hardware_concurrency() > 1) {
    try {
      helper = std::thread([&] {
        try {
          work(helperStats);
        } catch (...) {
          helperStats.failures = SIZE_MAX;  // out of memory: reported below
        }
      });
    } catch (...) {
      // No second thread: this one applies every key.
    }
  }
  std::exception_ptr failure;
  try {
    work(stats);
  } catch (...) {
    failure = std::current_exception();
  }
  if (helper.joinable()) helper.join();
  if (failure) std::rethrow_exception(failure);
  if (helperStats.failures == SIZE_MAX) throw std::bad_alloc();
  stats.keys += helperStats.keys;
  stats.valuesWritten += helperStats.valuesWritten;
  stats.valuesKept += helperStats.valuesKept;
  stats.failures += helperStats.failures;
  if (statsOut) *statsOut = stats;
  return true;
}

}  // namespace

HKEY RootHandleFromName(const std::wstring& rootName) {
  for (const auto& r : kRoots)
    if (rootName == r.name) return r.handle;
  return nullptr;
}

bool ExportKey(HKEY root, const std::wstring& rootName, const std::wstring& subkey, const std::wstring& file,
               bool append, std::wstring* error) {
  try {
    BufferedOut out;
    if (!out.Open(file, append)) {
      if (error) *error = kCreateFileError;
      return false;
    }
    std::wstring path = subkey;
    if (!path.empty() && path[0] != L'\\') path.insert(path.begin(), L'\\');
    bool ok = WriteTree(out, root, rootName, path, true);
    if (!Finish(out, error)) return false;
    return ok || Fail(error);
  } catch (...) {
    return Fail(error);
  }
}

bool ExportAll(const std::wstring& file, bool append, std::wstring* error) {
  try {
    BufferedOut out;
    if (!out.Open(file, append)) {
      if (error) *error = kCreateFileError;
      return false;
    }
    bool ok = true;
    bool first = true;
    for (const auto& r : kRoots) {
      ok = WriteTree(out, r.handle, r.name, L"", first) && ok;
      first = false;
    }
    if (!Finish(out, error)) return false;
    return ok || Fail(error);
  } catch (...) {
    return Fail(error);
  }
}

bool ImportFile(const std::wstring& file, ImportStats* statsOut, std::wstring* error) {
  try {
    return Import(file, statsOut, error);
  } catch (...) {
    return Fail(error);
  }
}

}  // namespace quintar::tamsk

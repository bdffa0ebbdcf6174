#include "regeditor/regfile_io.h"

#include <cwctype>
#include <memory>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "regeditor/core/regfile.h"
#include "regeditor/core/registry_text.h"

namespace quintar::tamsk {

namespace {

const char16_t* U16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
std::u16string_view U16(const std::wstring& s) { return {U16(s.c_str()), s.size()}; }

class Key {
 public:
  Key() = default;
  explicit Key(HKEY h) : h_(h) {}
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  Key(Key&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  Key& operator=(Key&& o) noexcept {
    if (this != &o) {
      Close();
      h_ = o.h_;
      o.h_ = nullptr;
    }
    return *this;
  }
  ~Key() { Close(); }
  HKEY get() const { return h_; }
  HKEY* out() {
    Close();
    return &h_;
  }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  void Close() {
    if (h_) RegCloseKey(h_);
    h_ = nullptr;
  }
  HKEY h_ = nullptr;
};

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using File = std::unique_ptr<void, HandleCloser>;

// The export's output: bytes collect in memory and reach the file in large writes.
class BufferedOut {
 public:
  static constexpr std::size_t kFlushAt = 1 << 20;

  bool Open(const std::wstring& path, bool append) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    file_.reset(h);
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
  File file_;
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

void WriteValues(BufferedOut& out, HKEY key, const KeyInfo& info, ValueBuffers& b) {
  if (b.name.size() < info.maxName + 1u) b.name.resize(info.maxName + 1u);
  if (b.data.size() < info.maxData) b.data.resize(info.maxData);
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
    AppendValueLine(out.buf(), {U16(b.name.data()), nameLen}, type, std::span<const std::uint8_t>(b.data.data(), dataLen));
    ++index;
  }
  out.MaybeFlush();
}

bool OpenForRead(HKEY parent, const wchar_t* sub, Key& key) {
  return RegOpenKeyExW(parent, sub, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

// One tree: key line and values of root\path, then every key below it, depth first, pre-order.
void WriteTree(BufferedOut& out, HKEY root, const std::wstring& rootName, const std::wstring& path, bool header) {
  if (header) AppendHeader(out.buf());
  AppendKeyLine(out.buf(), U16(rootName), U16(path));
  Key top;
  const wchar_t* sub = path.empty() ? L"" : path.c_str() + (path[0] == L'\\' ? 1 : 0);
  if (!OpenForRead(root, sub, top)) return;
  ValueBuffers buffers;
  KeyInfo info;
  if (!QueryInfo(top.get(), info)) return;
  WriteValues(out, top.get(), info, buffers);

  struct Level {
    Key key;
    DWORD index = 0;
    DWORD count = 0;
    std::size_t pathLen = 0;
  };
  std::vector<Level> stack;
  stack.push_back({std::move(top), 0, info.subkeys, path.size()});
  std::wstring current = path;
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
      if (rc == ERROR_INVALID_HANDLE) AppendErrorLine(out.buf());
      stack.pop_back();
      continue;
    }
    ++level.index;
    Key child;
    if (!OpenForRead(level.key.get(), name, child)) continue;
    current.resize(level.pathLen);
    current += L'\\';
    current.append(name, len);
    KeyInfo childInfo;
    if (!QueryInfo(child.get(), childInfo)) continue;  // unreadable: neither key line nor values
    AppendKeyLine(out.buf(), U16(rootName), U16(current));
    WriteValues(out, child.get(), childInfo, buffers);
    stack.push_back({std::move(child), 0, childInfo.subkeys, current.size()});
  }
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

std::wstring FoldName(std::wstring_view name) {
  std::wstring s(name);
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(c));
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

}  // namespace

HKEY RootHandleFromName(const std::wstring& rootName) {
  for (const auto& r : kRoots)
    if (rootName == r.name) return r.handle;
  return nullptr;
}

bool ExportKey(HKEY root, const std::wstring& rootName, const std::wstring& subkey, const std::wstring& file,
               bool append, std::wstring* error) {
  BufferedOut out;
  if (!out.Open(file, append)) {
    if (error) *error = kCreateFileError;
    return false;
  }
  std::wstring path = subkey;
  if (!path.empty() && path[0] != L'\\') path.insert(path.begin(), L'\\');
  WriteTree(out, root, rootName, path, true);
  return Finish(out, error);
}

bool ExportAll(const std::wstring& file, bool append, std::wstring* error) {
  BufferedOut out;
  if (!out.Open(file, append)) {
    if (error) *error = kCreateFileError;
    return false;
  }
  bool first = true;
  for (const auto& r : kRoots) {
    WriteTree(out, r.handle, r.name, L"", first);
    first = false;
  }
  return Finish(out, error);
}

bool ImportFile(const std::wstring& file, ImportStats* statsOut, std::wstring* error) {
  ImportStats stats;
  std::string bytes;
  {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      if (error) *error = L"The file cannot be opened.";
      return false;
    }
    File owner(h);
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
  std::vector<BYTE> buf(4096);
  std::unordered_set<std::wstring> seen;
  for (const ParsedKey& k : parsed.keys) {
    HKEY root = kRoots[static_cast<int>(k.root)].handle;
    Key key;
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    HKEY target = root;
    if (!k.path.empty()) {
      const wchar_t* sub = W(k.path.c_str()) + (k.path[0] == u'\\' ? 1 : 0);
      if (RegCreateKeyExW(root, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), &disposition) !=
          ERROR_SUCCESS) {
        ++stats.failures;
        continue;
      }
      target = key.get();
    }
    ++stats.keys;
    seen.clear();
    bool fresh = disposition == REG_CREATED_NEW_KEY;
    for (const ParsedValue& v : k.values) ApplyValue(target, v, fresh, seen, buf, stats);
  }
  if (statsOut) *statsOut = stats;
  return true;
}

}  // namespace quintar::tamsk

// The copy/move and delete engines: the checks before anything is touched, the progress dialog
// on the UI thread, and the worker thread that does the file system work and asks its questions
// through synchronous private messages.
#include <windows.h>
// (these need windows.h first)
#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "fileops/fileops.h"
#include "fileops/winutil.h"
#include "platform/include/ceservices.h"

namespace quintar::fileops {
namespace {

using namespace detail;

constexpr UINT MSG_SHOW_STOP = WM_USER + 500;    // wParam: text; a stop box over the dialog
constexpr UINT MSG_TOTAL_KNOWN = WM_USER + 501;  // the counting walk is done
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT_PTR kRefreshTimer = 2;
constexpr UINT kRefreshMs = 100;
constexpr DWORD kCopyBlock = 1 << 20;
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

struct Listed {
  std::wstring name;
  DWORD attributes = 0;
  std::size_t first = 0, count = 0;  // the entries inside, when listed
  bool listed = false;
};

struct Operation {
  bool isDelete = false;
  bool isMove = false;
  std::span<FileItem> items;
  std::wstring destFolder;
  const Hooks* hooks = nullptr;

  HWND owner = nullptr;
  HWND dialog = nullptr;
  UniqueHandle thread;
  std::atomic<bool> cancel{false};
  std::atomic<long long> processed{0};
  std::atomic<long long> total{0};    // written by the worker's counting walk
  bool counted = false;               // UI thread: the range and counter are set
  std::vector<long long> itemTotals;  // what the counting walk found below each item
  std::vector<Listed> listing;        // the folders the counting walk read (see CountBelow)
  std::vector<std::size_t> itemListings;

  // Written by the worker, shown by the UI thread's refresh timer.
  std::mutex textLock;
  std::wstring status, route;
  bool textDirty = false;
  bool canceling = false;  // the UI shows "Canceling..." until the final status
  bool finalStatus = false;

  // The prompt being shown.
  std::wstring firstPath, secondPath, promptText;
  ReplaceMode answer = ReplaceMode::No;
  bool merge = false;  // the folder prompt's answer
  std::atomic<bool> promptClosed{true};

  bool canceled = false;
  std::vector<char> buffer;  // the worker's copy buffer
  unsigned tempSerial = 0;
};

std::atomic<Operation*> gRunning{nullptr};

std::wstring Join(std::wstring_view folder, std::wstring_view name) {
  std::wstring out;
  out.reserve(folder.size() + 1 + name.size());
  out.append(folder).push_back(L'\\');
  out.append(name);
  return out;
}

std::wstring_view NameOf(std::wstring_view path) {
  auto slash = path.rfind(L'\\');
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

std::wstring_view FieldText(const wchar_t (&field)[260]) { return std::wstring_view(field, wcsnlen(field, 260)); }
bool FieldTerminated(const wchar_t (&field)[260]) { return wcsnlen(field, 260) < 260; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// ---- Text updates from the worker ----------------------------------------------------------

void SetStatus(Operation& op, std::wstring_view text, bool final = false) {
  std::lock_guard lock(op.textLock);
  if (op.canceling && !final) return;
  op.status.assign(text);
  op.finalStatus = final;
  op.textDirty = true;
}

void SetRoute(Operation& op, std::wstring text) {
  std::lock_guard lock(op.textLock);
  op.route = std::move(text);
  op.textDirty = true;
}

void FlushTexts(Operation& op) {
  HWND dlg = op.dialog;
  {
    std::lock_guard lock(op.textLock);
    if (op.textDirty) {
      if (!op.canceling || op.finalStatus) SetDlgItemTextW(dlg, ids::kStatus, op.status.c_str());
      SetDlgItemTextW(dlg, ids::kRoute, op.route.c_str());
      op.textDirty = false;
    }
  }
  if (!op.counted) return;  // the counter starts once the total is known
  long long done = op.processed.load();
  SendDlgItemMessageW(dlg, ids::kProgress, PBM_SETPOS, static_cast<WPARAM>(done), 0);
  SetDlgItemTextW(dlg, ids::kCounter, W(CounterText(done, op.total)).c_str());
}

void Step(Operation& op) { op.processed.fetch_add(1, std::memory_order_relaxed); }

// ---- Counting ------------------------------------------------------------------------------

// The counting walk keeps the listings it reads, so that a move or a delete after it walks memory
// instead of enumerating every folder a second time. What appears after the walk is still taken:
// a folder that will not go away is read again from the file system. Past a limit the walk stops
// keeping listings and the folders it did not keep are read live.
constexpr std::size_t kNotListed = static_cast<std::size_t>(-1);
constexpr std::size_t kListingLimit = 250000;

long long CountBelow(Operation& op, const std::wstring& folder, std::size_t at) {
  long long count = 0;
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW(Join(folder, L"*.*").c_str(), &fd));
  if (!find.valid()) return 0;
  std::vector<Listed>& listing = op.listing;
  const std::size_t first = listing.size();
  bool keep = at != kNotListed;
  // Stops keeping this folder's listing, counting below what was kept of it so far.
  auto drop = [&] {
    for (std::size_t i = first; i < listing.size(); ++i)
      if (listing[i].attributes & FILE_ATTRIBUTE_DIRECTORY)
        count += CountBelow(op, Join(folder, listing[i].name), kNotListed);
    listing.resize(first);
    keep = false;
  };
  do {
    if (IsDots(fd.cFileName)) continue;
    ++count;
    if (keep && listing.size() >= kListingLimit) drop();
    if (keep) {
      listing.push_back(Listed{fd.cFileName, fd.dwFileAttributes});
    } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      count += CountBelow(op, Join(folder, fd.cFileName), kNotListed);
    }
  } while (FindNextFileW(find.get(), &fd));
  // A listing cut short by an error is not trusted.
  if (keep && GetLastError() != ERROR_NO_MORE_FILES) drop();
  if (!keep) return count;
  const std::size_t end = listing.size();
  listing[at].first = first;
  listing[at].count = end - first;
  listing[at].listed = true;
  for (std::size_t i = first; i < end; ++i)
    if (listing[i].attributes & FILE_ATTRIBUTE_DIRECTORY) count += CountBelow(op, Join(folder, listing[i].name), i);
  return count;
}

void CountItems(Operation& op) {
  op.itemTotals.assign(op.items.size(), 0);
  op.itemListings.assign(op.items.size(), kNotListed);
  // A copy reads its folders live, so that what arrives while it runs is copied too.
  const bool keep = op.isMove || op.isDelete;
  long long total = 0;
  for (std::size_t i = 0; i < op.items.size(); ++i) {
    const FileItem& item = op.items[i];
    long long n = 0;
    if (item.kind == kKindFile) n = 1;
    if (item.kind == kKindFolder) {
      std::size_t at = kNotListed;
      if (keep && op.listing.size() < kListingLimit) {
        at = op.listing.size();
        op.listing.push_back(Listed{std::wstring(FieldText(item.name)), FILE_ATTRIBUTE_DIRECTORY});
        op.itemListings[i] = at;
      }
      n = 1 + CountBelow(op, Join(FieldText(item.folder), FieldText(item.name)), at);
    }
    op.itemTotals[i] = n;
    total += n;
  }
  op.total = total;
}

enum class Walk { Finished, Stopped, Failed, Unreadable };

// Calls visit(name, attributes, listing) for each entry of `folder`, from the counting walk's
// listing `at` when it kept one, else from the file system; `listing` is the entry's own kept
// listing or kNotListed. visit answers Walk::Finished to go on, Stopped or Failed to end there.
template <class Visit>
Walk ForEachEntry(Operation& op, const std::wstring& folder, std::size_t at, Visit&& visit) {
  if (at != kNotListed && op.listing[at].listed) {
    const std::size_t first = op.listing[at].first, end = first + op.listing[at].count;
    for (std::size_t i = first; i < end; ++i) {
      const Listed& entry = op.listing[i];
      Walk next = visit(entry.name.c_str(), entry.attributes, entry.listed ? i : kNotListed);
      if (next != Walk::Finished) return next;
    }
    return Walk::Finished;
  }
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileW(Join(folder, L"*.*").c_str(), &fd));
  if (!find.valid()) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ? Walk::Finished : Walk::Unreadable;
  }
  do {
    if (IsDots(fd.cFileName)) continue;
    Walk next = visit(fd.cFileName, fd.dwFileAttributes, kNotListed);
    if (next != Walk::Finished) return next;
  } while (FindNextFileW(find.get(), &fd));
  return GetLastError() == ERROR_NO_MORE_FILES ? Walk::Finished : Walk::Unreadable;
}

// The entries of `folder` that its kept listing `at` does not name: those that arrived after the
// counting walk. Entries the work left in place (a conflict answered No) are not visited again.
template <class Visit>
Walk ForEachNewEntry(Operation& op, const std::wstring& folder, std::size_t at, Visit&& visit) {
  std::unordered_set<std::wstring> known;
  const std::size_t first = op.listing[at].first, end = first + op.listing[at].count;
  for (std::size_t i = first; i < end; ++i) known.insert(FoldCase(op.listing[i].name));
  return ForEachEntry(op, folder, kNotListed, [&](const wchar_t* name, DWORD attributes, std::size_t) {
    return known.count(FoldCase(name)) ? Walk::Finished : visit(name, attributes, kNotListed);
  });
}

// ---- Questions through the dialog ----------------------------------------------------------

ReplaceMode AskFile(Operation& op, const std::wstring& target, const std::wstring& source) {
  op.firstPath = target;
  op.secondPath = source;
  SendMessageW(op.dialog, MSG_ASK_REPLACE, reinterpret_cast<WPARAM>(op.firstPath.c_str()),
               reinterpret_cast<LPARAM>(op.secondPath.c_str()));
  return op.answer;
}

bool AskMerge(Operation& op, const std::wstring& folder) {
  op.firstPath = folder;
  SendMessageW(op.dialog, MSG_ASK_MERGE_FOLDER, reinterpret_cast<WPARAM>(op.firstPath.c_str()), 0);
  return op.merge;
}

ReplaceMode AskDelete(Operation& op, std::u16string question) {
  op.promptText = W(question);
  SendMessageW(op.dialog, MSG_ASK_REPLACE, reinterpret_cast<WPARAM>(op.promptText.c_str()), 0);
  return op.answer;
}

// ---- Copying data --------------------------------------------------------------------------

// Copies the bytes, times and kept attributes of `source` into `target`, which the caller found
// absent (it is created new, so nothing there is ever overwritten). On failure the partial target
// is removed and the last error is that of the failing call.
bool CopyData(Operation& op, const std::wstring& source, const std::wstring& target) {
  if (!op.hooks->beforeWrite) {
    // The platform's copy, told never to overwrite; what it leaves of a failed copy is ours.
    if (CopyFileW(source.c_str(), target.c_str(), TRUE)) return true;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(target.c_str());
    }
    SetLastError(error);
    return false;
  }
  UniqueHandle in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(in.get(), &info)) return false;
  UniqueHandle out(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!out) return false;
  auto fail = [&] {
    DWORD error = GetLastError();
    out.reset();
    DeleteFileW(target.c_str());
    SetLastError(error);
    return false;
  };
  unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (op.buffer.empty()) op.buffer.resize(kCopyBlock);
  unsigned long long offset = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in.get(), op.buffer.data(), kCopyBlock, &got, nullptr)) return fail();
    if (got == 0) break;
    if (op.hooks->beforeWrite && !op.hooks->beforeWrite(target, offset)) {
      SetLastError(ERROR_DISK_FULL);
      return fail();
    }
    DWORD put = 0;
    if (!WriteFile(out.get(), op.buffer.data(), got, &put, nullptr)) return fail();
    if (put != got) {
      SetLastError(ERROR_DISK_FULL);
      return fail();
    }
    offset += got;
  }
  if (offset != size) {  // the source changed under us
    SetLastError(ERROR_READ_FAULT);
    return fail();
  }
  SetFileTime(out.get(), &info.ftCreationTime, &info.ftLastAccessTime, &info.ftLastWriteTime);
  if (!CloseHandle(out.release())) {
    DWORD error = GetLastError();
    DeleteFileW(target.c_str());
    SetLastError(error);
    return false;
  }
  DWORD kept = info.dwFileAttributes & kKeptAttributes;
  if (kept) SetFileAttributesW(target.c_str(), kept | (info.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE));
  return true;
}

// A rename of `source`, which a storage boundary may refuse (ERROR_NOT_SAME_DEVICE).
bool Rename(const Operation& op, const std::wstring& source, const std::wstring& target, DWORD flags) {
  if (op.hooks->renameAcrossStorage && op.hooks->renameAcrossStorage(source, target)) {
    SetLastError(ERROR_NOT_SAME_DEVICE);
    return false;
  }
  return MoveFileExW(source.c_str(), target.c_str(), flags) != FALSE;
}

unsigned long long SizeOf(const std::wstring& path, bool& ok) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  ok = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
  return ok ? (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow : 0;
}

// A name for a file being written beside `target`; "" when none fits the path limit.
std::wstring TempBeside(Operation& op, const std::wstring& target) {
  std::wstring folder(target.substr(0, target.rfind(L'\\')));
  for (int tries = 0; tries < 100; ++tries) {
    wchar_t name[40];
    swprintf(name, 40, L"~fo%lx-%x.tmp", GetCurrentProcessId(), ++op.tempSerial);
    std::wstring candidate = Join(folder, name);
    if (candidate.size() > kMaxPath) return {};
    if (!Exists(candidate)) return candidate;
  }
  return {};
}

// Copies `source` into a new file `target` and checks what arrived.
bool CopyVerified(Operation& op, const std::wstring& source, const std::wstring& target) {
  if (!CopyData(op, source, target)) return false;
  bool okSource = false, okTarget = false;
  unsigned long long want = SizeOf(source, okSource), got = SizeOf(target, okTarget);
  if (okSource && okTarget && want == got) return true;
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(target.c_str());
  SetLastError(ERROR_WRITE_FAULT);
  return false;
}

bool RemoveSource(const std::wstring& source) {
  if (DeleteFileW(source.c_str())) return true;
  DWORD attributes = GetFileAttributesW(source.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
  SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileW(source.c_str())) return true;
  SetFileAttributesW(source.c_str(), attributes);
  return false;
}

// Puts `source` where nothing is yet: a rename, or where the file system refuses one (another
// storage location), a verified copy and then the source removed.
bool MoveNew(Operation& op, const std::wstring& source, const std::wstring& target) {
  if (Rename(op, source, target, 0)) return true;
  if (GetLastError() != ERROR_NOT_SAME_DEVICE) return false;
  if (!CopyVerified(op, source, target)) return false;
  return RemoveSource(source);  // on failure both copies remain: nothing is lost
}

// Replaces the existing `target` (attributes `targetAttributes`) by `source`. The target is never
// removed before its replacement is complete: new data goes to a name beside it first and takes
// its place in one rename; on any failure the target keeps its data and attributes.
bool Replace(Operation& op, const std::wstring& source, const std::wstring& target, DWORD targetAttributes) {
  bool cleared = false;
  auto clear = [&] {
    if (targetAttributes & kKeptAttributes) {
      SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
      cleared = true;
    }
  };
  auto restore = [&] {
    DWORD error = GetLastError();
    if (cleared) SetFileAttributesW(target.c_str(), targetAttributes);
    SetLastError(error);
  };
  if (op.isMove) {
    clear();
    if (Rename(op, source, target, MOVEFILE_REPLACE_EXISTING)) return true;
    if (GetLastError() != ERROR_NOT_SAME_DEVICE) {
      restore();
      return false;
    }
  }
  std::wstring temp = TempBeside(op, target);
  if (temp.empty()) {
    restore();
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (!CopyVerified(op, source, temp)) {
    restore();
    return false;
  }
  clear();
  if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DWORD error = GetLastError();
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
    SetLastError(error);
    restore();
    return false;
  }
  if (op.isMove) return RemoveSource(source);
  return true;
}

// ---- Transfer procedures -------------------------------------------------------------------

bool TransferFile(Operation& op, const std::wstring& source, const std::wstring& target, ReplaceMode& mode) {
  SetStatus(op, NameOf(source));
  if (source.size() > kMaxPath || target.size() > kMaxPath) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  if (op.isMove) {
    // A rename never replaces, so the common case costs one call.
    if (MoveNew(op, source, target)) {
      Step(op);
      return true;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  } else {
    // Known to be absent, so whatever a failed copy leaves there is its own and is removed.
    attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (!CopyData(op, source, target)) return false;
      Step(op);
      return true;
    }
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;  // a folder is in the way
  if (MustAsk(mode)) mode = AskFile(op, target, source);
  if (Proceeds(mode) && !Replace(op, source, target, attributes)) return false;
  Step(op);
  return true;
}

bool TransferFolder(Operation& op, const std::wstring& source, const std::wstring& target, ReplaceMode& mode,
                    std::size_t listed) {
  SetStatus(op, NameOf(source));
  if (source.size() > kMaxPath || target.size() > kMaxPath) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  DWORD sourceAttributes = GetFileAttributesW(source.c_str());
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES || !(sourceAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (!CreateDirectoryW(target.c_str(), nullptr)) {
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    bool merge = mode == ReplaceMode::All || (MustAsk(mode) && AskMerge(op, target));
    if (!merge) return true;
  }
  auto transfer = [&](const wchar_t* name, DWORD attributes, std::size_t inner) {
    if (op.cancel.load()) return Walk::Stopped;
    std::wstring from = Join(source, name), to = Join(target, name);
    bool ok = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? TransferFolder(op, from, to, mode, inner)
                                                      : TransferFile(op, from, to, mode);
    return ok ? Walk::Finished : Walk::Failed;
  };
  Walk walk = ForEachEntry(op, source, listed, transfer);
  if (op.isMove && walk == Walk::Finished && !RemoveDirectoryW(source.c_str()) && listed != kNotListed &&
      GetLastError() == ERROR_DIR_NOT_EMPTY) {
    walk = ForEachNewEntry(op, source, listed, transfer);
    if (walk == Walk::Finished) RemoveDirectoryW(source.c_str());
  }
  if (walk == Walk::Stopped) return true;
  if (walk != Walk::Finished) return false;
  Step(op);
  return true;
}

// Moving a whole folder to where nothing of its name is yet is one rename on the same storage.
bool MoveFolderWhole(Operation& op, const std::wstring& source, const std::wstring& target, long long count) {
  if (source.size() > kMaxPath || target.size() > kMaxPath) return false;
  if (Exists(target) || !Rename(op, source, target, 0)) return false;
  op.processed.fetch_add(count);
  return true;
}

std::wstring TransferTarget(const Operation& op, const FileItem& item) {
  std::wstring_view folder = FieldText(item.folder), name = FieldText(item.name);
  if (folder != op.destFolder) return Join(op.destFolder, name);
  std::wstring candidate;
  for (int n = 1; n <= kLastCopyNumber; ++n) {
    candidate = W(NumberedCopyPath(U(op.destFolder), U(name), n));
    if (candidate.size() > kMaxPath || !Exists(candidate)) break;
  }
  return candidate;
}

enum class ItemResult { Done, Failed, Ended };  // Ended: stopped with its own final status

// The loop both engines share: the items in order, cancel between them, the failure message
// naming the top-level item, and the final status.
template <class Run>
void RunItems(Operation& op, ReplaceMode mode, Run&& run) {
  bool canceled = false;
  for (std::size_t i = 0; i < op.items.size(); ++i) {
    if (op.cancel.load()) {
      canceled = true;
      break;
    }
    FileItem& item = op.items[i];
    if (item.kind != kKindFile && item.kind != kKindFolder) continue;
    ItemResult result = run(i, item, mode);
    if (result == ItemResult::Ended) return;
    if (result == ItemResult::Failed) {
      SendMessageW(op.dialog, MSG_ITEM_FAILED, reinterpret_cast<WPARAM>(item.name), 0);
      canceled = true;
      break;
    }
    if (mode == ReplaceMode::Cancel) {
      canceled = true;
      break;
    }
  }
  op.canceled = canceled || op.cancel.load();
  SetStatus(op, op.canceled ? L"Canceled" : L"Done", true);
}

void RunTransfer(Operation& op) {
  RunItems(op, ReplaceMode::Yes, [&](std::size_t i, const FileItem& item, ReplaceMode& mode) {
    std::wstring folder(FieldText(item.folder));
    SetRoute(op, W(TransferRouteText(U(folder), U(op.destFolder))));
    std::wstring source = Join(folder, FieldText(item.name));
    std::wstring target = TransferTarget(op, item);
    bool ok;
    if (item.kind == kKindFolder) {
      SetStatus(op, FieldText(item.name));
      ok = (op.isMove && MoveFolderWhole(op, source, target, op.itemTotals[i])) ||
           TransferFolder(op, source, target, mode, op.itemListings[i]);
    } else {
      ok = TransferFile(op, source, target, mode);
    }
    return ok ? ItemResult::Done : ItemResult::Failed;
  });
}

// ---- Delete procedures ---------------------------------------------------------------------

bool DeleteOneFile(Operation& op, const std::wstring& path, DWORD attributes, ReplaceMode& mode, FileItem* top) {
  SetStatus(op, NameOf(path));
  if (MustAsk(mode)) {
    attributes = CeGetFileAttributes(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    attributes &= ~(FILE_ATTRIBUTE_INROM | FILE_ATTRIBUTE_ROMMODULE);
    std::u16string_view name = U(NameOf(path));
    if (attributes & FILE_ATTRIBUTE_SYSTEM) {
      mode = AskDelete(op, SystemFileDeleteQuestion(name));
      if (!Proceeds(mode)) return true;
    } else if (attributes & FILE_ATTRIBUTE_READONLY) {
      mode = AskDelete(op, ReadOnlyFileDeleteQuestion(name));
      if (!Proceeds(mode)) return true;
    }
  } else if (attributes == INVALID_FILE_ATTRIBUTES) {
    attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  }
  bool cleared = false;
  if (attributes & kKeptAttributes) cleared = SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
  bool deleted = DeleteFileW(path.c_str()) != FALSE;
  if (!deleted && !cleared && GetLastError() == ERROR_ACCESS_DENIED) {
    // The attributes came from the counting walk and may have changed since.
    DWORD now = GetFileAttributesW(path.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes)) {
      attributes = now;
      cleared = SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
      deleted = DeleteFileW(path.c_str()) != FALSE;
    }
  }
  if (!deleted) {
    DWORD error = GetLastError();
    if (cleared) SetFileAttributesW(path.c_str(), attributes);
    SetLastError(error);
    return false;
  }
  Step(op);
  if (top) top->done = 1;
  return true;
}

bool DeleteFolder(Operation& op, const std::wstring& path, DWORD attributes, ReplaceMode& mode, FileItem* top,
                  std::size_t listed) {
  SetStatus(op, NameOf(path));
  if (MustAsk(mode)) {
    mode = AskDelete(op, FolderDeleteQuestion(U(NameOf(path))));
    if (!Proceeds(mode)) return true;
  }
  if (path.size() > kMaxPath) return false;
  // A read-only folder keeps its entries on some file systems; once confirmed, it goes whole.
  if (attributes == INVALID_FILE_ATTRIBUTES) attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  bool cleared = (attributes & kKeptAttributes) && SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  auto remove = [&](const wchar_t* name, DWORD entryAttributes, std::size_t inner) {
    if (op.cancel.load()) return Walk::Stopped;
    ReplaceMode innerMode = ReplaceMode::All;
    std::wstring child = Join(path, name);
    bool ok = (entryAttributes & FILE_ATTRIBUTE_DIRECTORY)
                  ? DeleteFolder(op, child, entryAttributes, innerMode, nullptr, inner)
                  : DeleteOneFile(op, child, entryAttributes, innerMode, nullptr);
    return ok ? Walk::Finished : Walk::Failed;
  };
  // An unreadable folder is left to the removal below, which fails if anything is inside.
  Walk walk = ForEachEntry(op, path, listed, remove);
  bool removed = false;
  if (walk == Walk::Finished || walk == Walk::Unreadable) {
    removed = RemoveDirectoryW(path.c_str()) != FALSE;
    if (!removed && listed != kNotListed && GetLastError() == ERROR_DIR_NOT_EMPTY) {
      walk = ForEachNewEntry(op, path, listed, remove);
      if (walk == Walk::Finished || walk == Walk::Unreadable) removed = RemoveDirectoryW(path.c_str()) != FALSE;
    }
  }
  if (walk == Walk::Stopped) return true;
  if (!removed && cleared) SetFileAttributesW(path.c_str(), attributes);
  if (walk == Walk::Failed) return false;
  Step(op);
  if (top) top->done = removed ? 1 : 0;
  return removed;
}

void RunDelete(Operation& op) {
  for (FileItem& item : op.items) item.done = 0;
  ReplaceMode first = op.items.size() >= 2 ? ReplaceMode::Yes : ReplaceMode::All;
  RunItems(op, first, [&](std::size_t i, FileItem& item, ReplaceMode& mode) {
    std::wstring folder(FieldText(item.folder));
    SetRoute(op, W(DeleteRouteText(U(folder))));
    std::wstring path = Join(folder, FieldText(item.name));
    if (item.kind == kKindFile) {
      return DeleteOneFile(op, path, INVALID_FILE_ATTRIBUTES, mode, &item) ? ItemResult::Done : ItemResult::Failed;
    }
    if (IsSystemFolder(U(path))) {
      static constexpr wchar_t kText[] = L"'Windows' is a system folder and cannot be moved nor deleted.";
      SendMessageW(op.dialog, MSG_SHOW_STOP, reinterpret_cast<WPARAM>(kText), 0);
      op.canceled = true;
      SetStatus(op, kText, true);
      return ItemResult::Ended;
    }
    return DeleteFolder(op, path, INVALID_FILE_ATTRIBUTES, mode, &item, op.itemListings[i]) ? ItemResult::Done
                                                                                            : ItemResult::Failed;
  });
}

DWORD WINAPI Worker(LPVOID param) {
  Operation& op = *static_cast<Operation*>(param);
  try {
    // Counted here rather than before the dialog shows, so the dialog is up at once and the walk
    // overlaps its creation.
    CountItems(op);
    SendMessageW(op.dialog, MSG_TOTAL_KNOWN, 0, 0);
    if (op.isDelete)
      RunDelete(op);
    else
      RunTransfer(op);
  } catch (...) {  // out of memory: end as canceled, what is done stays done
    op.canceled = true;
    SetStatus(op, L"Canceled", true);
  }
  SendMessageW(op.dialog, MSG_OP_FINISHED, 0, 0);
  return 0;
}

// ---- Prompts -------------------------------------------------------------------------------

std::wstring SizeText(unsigned long long size) {
  wchar_t separator[8] = L",";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  return L"Size : " + W(GroupDigits(size, U(separator))) + L" bytes";
}

std::wstring ModifiedText(const FILETIME& written) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &st)) return L"Modified : ";
  wchar_t date[80] = L"", time[80] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 80);
  return std::wstring(L"Modified : ") + date + L" " + time;
}

// One side of the file conflict prompt: the file's shell icon, size and date.
void ShowFileFacts(HWND dlg, const wchar_t* path, int iconId, int sizeId, int dateId) {
  SHFILEINFOW info{};
  // By the file itself, or else by its type.
  if (!SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON) || !info.hIcon)
    SHGetFileInfoW(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES);
  if (info.hIcon) {
    HICON old =
        reinterpret_cast<HICON>(SendDlgItemMessageW(dlg, iconId, STM_SETICON, reinterpret_cast<WPARAM>(info.hIcon), 0));
    if (old) DestroyIcon(old);
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
    SetDlgItemTextW(dlg, sizeId,
                    SizeText((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow).c_str());
    SetDlgItemTextW(dlg, dateId, ModifiedText(data.ftLastWriteTime).c_str());
  }
}

void DestroyStaticIcon(HWND dlg, int id) {
  HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageW(dlg, id, STM_SETICON, 0, 0));
  if (icon) DestroyIcon(icon);
}

void BringUp(HWND dlg, HWND over) {
  CentreOver(dlg, over);
  SetForegroundWindow(dlg);
}

INT_PTR CALLBACK FileConflictProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Operation* op = gRunning.load();
  switch (msg) {
    case WM_INITDIALOG: {
      if (!op) return TRUE;
      DWORD attributes = CeGetFileAttributes(op->firstPath.c_str());
      bool system = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
      bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
      SetDlgItemTextW(dlg, ids::kStatus, W(FileConflictText(U(NameOf(op->firstPath)), system, readOnly)).c_str());
      ShowFileFacts(dlg, op->firstPath.c_str(), ids::kTargetIcon, ids::kTargetSize, ids::kTargetDate);
      ShowFileFacts(dlg, op->secondPath.c_str(), ids::kSourceIcon, ids::kSourceSize, ids::kSourceDate);
      BringUp(dlg, GetParent(dlg));
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case ids::kYes:
          EndDialog(dlg, static_cast<INT_PTR>(ReplaceMode::Yes));
          return TRUE;
        case ids::kNo:
          EndDialog(dlg, static_cast<INT_PTR>(ReplaceMode::No));
          return TRUE;
        case ids::kAll:
          EndDialog(dlg, static_cast<INT_PTR>(ReplaceMode::All));
          return TRUE;
        case ids::kPromptCancel:
          EndDialog(dlg, static_cast<INT_PTR>(ReplaceMode::Cancel));
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, static_cast<INT_PTR>(ReplaceMode::No));
          return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dlg, static_cast<INT_PTR>(ReplaceMode::No));
      return TRUE;
    case WM_DESTROY:
      DestroyStaticIcon(dlg, ids::kTargetIcon);
      DestroyStaticIcon(dlg, ids::kSourceIcon);
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK FolderConflictProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Operation* op = gRunning.load();
  switch (msg) {
    case WM_INITDIALOG:
      if (op) SetDlgItemTextW(dlg, ids::kFolderConflictText, W(FolderConflictText(U(op->firstPath))).c_str());
      SendDlgItemMessageW(dlg, ids::kPicture, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)),
                          0);
      BringUp(dlg, GetParent(dlg));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDYES) EndDialog(dlg, 1);
      if (LOWORD(wParam) == IDNO || LOWORD(wParam) == IDCANCEL) EndDialog(dlg, 2);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, 2);
      return TRUE;
  }
  return FALSE;
}

// The delete question, opening (two buttons) or during the run (four).
struct Question {
  std::wstring text;
  bool opening = false;
};

INT_PTR CALLBACK DeleteQuestionProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* q = reinterpret_cast<Question*>(lParam);
      SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      SetDlgItemTextW(dlg, ids::kQuestionText, q->text.c_str());
      SendDlgItemMessageW(dlg, ids::kPicture, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)),
                          0);
      if (q->opening) {
        ShowWindow(GetDlgItem(dlg, ids::kAll), SW_HIDE);
        ShowWindow(GetDlgItem(dlg, ids::kPromptCancel), SW_HIDE);
        RECT rc;
        GetWindowRect(dlg, &rc);
        SetWindowPos(dlg, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top - 22,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      BringUp(dlg, GetParent(dlg));
      return TRUE;
    }
    case WM_COMMAND: {
      auto* q = reinterpret_cast<Question*>(GetWindowLongPtrW(dlg, DWLP_USER));
      bool opening = q && q->opening;
      switch (LOWORD(wParam)) {
        case ids::kYes:
          EndDialog(dlg, opening ? 1 : static_cast<INT_PTR>(ReplaceMode::Yes));
          return TRUE;
        case ids::kNo:
        case IDCANCEL:
          EndDialog(dlg, opening ? 2 : static_cast<INT_PTR>(ReplaceMode::No));
          return TRUE;
        case ids::kAll:
          if (!opening) EndDialog(dlg, static_cast<INT_PTR>(ReplaceMode::All));
          return TRUE;
        case ids::kPromptCancel:
          if (!opening) EndDialog(dlg, static_cast<INT_PTR>(ReplaceMode::Cancel));
          return TRUE;
      }
      break;
    }
    case WM_CLOSE: {
      auto* q = reinterpret_cast<Question*>(GetWindowLongPtrW(dlg, DWLP_USER));
      EndDialog(dlg, q && q->opening ? 2 : static_cast<INT_PTR>(ReplaceMode::No));
      return TRUE;
    }
  }
  return FALSE;
}

ReplaceMode ToMode(INT_PTR answer, ReplaceMode whenOther) {
  if (answer >= 0 && answer <= 3) return static_cast<ReplaceMode>(answer);
  return whenOther;
}

// ---- Progress dialog -----------------------------------------------------------------------

INT_PTR CALLBACK ProgressProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  Operation* op = gRunning.load();
  if (!op) return FALSE;
  switch (msg) {
    case WM_INITDIALOG: {
      op->dialog = dlg;
      op->cancel = false;
      op->processed = 0;
      CentreOver(dlg, op->owner, 26);
      if (!op->isDelete) SetWindowTextW(dlg, op->isMove ? L"Move Files" : L"Copy Files");
      SetDlgItemTextW(dlg, ids::kStatus, L"Processing...");
      SendDlgItemMessageW(dlg, ids::kPicture, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconW(nullptr, op->isDelete ? IDI_WARNING : IDI_INFORMATION)),
                          0);
      ShowWindow(dlg, SW_SHOW);
      DWORD threadId = 0;
      op->thread.reset(CreateThread(nullptr, 0, Worker, op, 0, &threadId));
      if (!op->thread) {
        op->canceled = true;
        EndDialog(dlg, 0);
        return TRUE;
      }
      SetTimer(dlg, kIdleTimer, op->hooks->idleResetMs, nullptr);
      SetTimer(dlg, kRefreshTimer, kRefreshMs, nullptr);
      return TRUE;
    }
    case WM_TIMER:
      if (wParam == kIdleTimer && op->promptClosed.load()) SystemIdleTimerReset();
      if (wParam == kRefreshTimer) FlushTexts(*op);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == ids::kCancel || LOWORD(wParam) == IDCANCEL) {
        op->cancel = true;
        EnableWindow(GetDlgItem(dlg, ids::kCancel), FALSE);
        {
          std::lock_guard lock(op->textLock);
          op->canceling = true;
        }
        SetDlgItemTextW(dlg, ids::kStatus, L"Canceling...");
      }
      return TRUE;
    case WM_CLOSE:
      return TRUE;  // only the worker ends the dialog
    case MSG_ASK_REPLACE: {
      FlushTexts(*op);
      op->promptClosed = false;
      if (op->isDelete) {
        Question q{reinterpret_cast<const wchar_t*>(wParam), false};
        op->answer = ToMode(DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(ids::kDeleteQuestion), dlg,
                                            DeleteQuestionProc, reinterpret_cast<LPARAM>(&q)),
                            ReplaceMode::No);
      } else {
        op->answer =
            ToMode(DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(ids::kFileConflict), dlg, FileConflictProc, 0),
                   ReplaceMode::No);
      }
      op->promptClosed = true;
      return TRUE;
    }
    case MSG_ASK_MERGE_FOLDER: {
      FlushTexts(*op);
      op->promptClosed = false;
      INT_PTR answer =
          DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(ids::kFolderConflict), dlg, FolderConflictProc, 0);
      op->merge = answer == 1;
      op->promptClosed = true;
      return TRUE;
    }
    case MSG_ITEM_FAILED: {
      FlushTexts(*op);
      std::wstring name(reinterpret_cast<const wchar_t*>(wParam),
                        wcsnlen(reinterpret_cast<const wchar_t*>(wParam), 260));
      Box(dlg, W(op->isDelete ? CannotDeleteText(U(name)) : CannotCopyText(U(name))), MB_OK | MB_ICONSTOP);
      return TRUE;
    }
    case MSG_SHOW_STOP:
      FlushTexts(*op);
      Box(dlg, reinterpret_cast<const wchar_t*>(wParam), MB_OK | MB_ICONSTOP);
      return TRUE;
    case MSG_TOTAL_KNOWN:
      op->counted = true;
      SendDlgItemMessageW(dlg, ids::kProgress, PBM_SETRANGE32, 0, static_cast<LPARAM>(op->total));
      SendDlgItemMessageW(dlg, ids::kProgress, PBM_SETPOS, 0, 0);
      SetDlgItemTextW(dlg, ids::kCounter, W(CounterText(0, op->total)).c_str());
      return TRUE;
    case MSG_OP_FINISHED:
      KillTimer(dlg, kIdleTimer);
      KillTimer(dlg, kRefreshTimer);
      FlushTexts(*op);
      EndDialog(dlg, 0);
      return TRUE;
  }
  return FALSE;
}

// Runs the progress dialog with the worker and waits for the worker to end.
void RunProgress(Operation& op, int templateId) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  const Hooks& hooks = *op.hooks;
  if (hooks.suspendWatching) hooks.suspendWatching();
  gRunning = &op;
  INT_PTR result = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), op.owner, ProgressProc, 0);
  if (result == -1) op.canceled = true;
  if (op.thread) WaitForSingleObject(op.thread.get(), INFINITE);
  op.thread.reset();
  gRunning = nullptr;
  if (hooks.resumeWatching) hooks.resumeWatching();
  if (hooks.report) *hooks.report = RunReport{op.canceled, op.processed.load(), op.total};
}

bool ItemsReadable(std::span<FileItem> items) {
  for (const FileItem& item : items)
    if (!FieldTerminated(item.folder) || !FieldTerminated(item.name)) return false;
  return true;
}

}  // namespace

int StartTransfer(HWND owner, std::wstring_view sourceFolder, std::wstring_view destFolder, std::span<FileItem> items,
                  bool move, const Hooks& hooks) {
  (void)sourceFolder;  // each item names its own folder, which is what is read
  try {
    if (gRunning.load() || items.empty()) return kRefused;
    const wchar_t* illegal = move ? L"Illegal move operation." : L"Illegal copy operation.";
    if (!ItemsReadable(items) || destFolder.size() > kMaxPath) {
      Box(owner, illegal, MB_OK | MB_ICONSTOP);
      return kRefused;
    }
    if (move) {
      for (const FileItem& item : items) {
        if (FieldText(item.folder) == destFolder) {
          Box(owner, L"Illegal move operation.", MB_OK | MB_ICONSTOP);
          return kRefused;
        }
      }
    }
    std::wstring foldedDest = FoldCase(destFolder);
    for (const FileItem& item : items) {
      std::wstring path = Join(FieldText(item.folder), FieldText(item.name));
      if (item.kind == kKindFolder) {
        if (IsSystemFolder(U(path))) {
          Box(owner, L"'Windows' is a system folder and cannot be moved nor deleted.", MB_OK | MB_ICONSTOP);
          return kRefused;
        }
        if (IsSameOrInside(U(FoldCase(path)), U(foldedDest))) {
          Box(owner, illegal, MB_OK | MB_ICONSTOP);
          return kRefused;
        }
      }
      // A target the device cannot name is refused before anything is touched.
      if (item.kind == kKindFolder || item.kind == kKindFile) {
        std::size_t targetLength = FieldText(item.folder) == destFolder
                                       ? NumberedCopyPath(U(destFolder), U(FieldText(item.name)), 1).size()
                                       : destFolder.size() + 1 + FieldText(item.name).size();
        if (path.size() > kMaxPath || targetLength > kMaxPath) {
          Box(owner, W(CannotCopyText(U(FieldText(item.name)))), MB_OK | MB_ICONSTOP);
          return kRefused;
        }
      }
    }
    Operation op;
    op.isMove = move;
    op.items = items;
    op.destFolder.assign(destFolder);
    op.hooks = &hooks;
    op.owner = owner;
    RunProgress(op, ids::kCopyProgress);
    return kRan;
  } catch (...) {
    return kRefused;
  }
}

int StartDelete(HWND owner, std::wstring_view currentFolder, std::span<FileItem> items, const Hooks& hooks) {
  (void)currentFolder;  // each item names its own folder, which is what is read
  try {
    if (gRunning.load() || items.empty()) return kRefused;
    if (!ItemsReadable(items)) return kRefused;
    for (const FileItem& item : items) {
      if (FieldText(item.folder).size() + 1 + FieldText(item.name).size() > kMaxPath) {
        Box(owner, W(CannotDeleteText(U(FieldText(item.name)))), MB_OK | MB_ICONSTOP);
        return kRefused;
      }
    }
    Question q;
    q.opening = true;
    q.text =
        W(DeleteQuestion(static_cast<int>(items.size()), items[0].kind == kKindFolder, U(FieldText(items[0].name))));
    INT_PTR answer = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(ids::kDeleteQuestion), owner,
                                     DeleteQuestionProc, reinterpret_cast<LPARAM>(&q));
    if (answer != 1) return kRefused;
    Operation op;
    op.isDelete = true;
    op.items = items;
    op.hooks = &hooks;
    op.owner = owner;
    RunProgress(op, ids::kDeleteProgress);
    return kRan;
  } catch (...) {
    return kRefused;
  }
}

}  // namespace quintar::fileops

#include "fileops/engine.h"

#include <ceservices.h>

#include <unordered_set>

#include "fileops/winutil.h"
#include "win32/handle.h"
#include "win32/text.h"

namespace quintar::fileops {

using core::kMaxPath;
using core::ReplaceMode;
using win32::U16View;
using win32::Wide;

namespace {

constexpr DWORD kCopyBlock = 1 << 20;
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The counting walk keeps the listings it reads, so that a move or a delete after it walks memory
// instead of enumerating every folder a second time. What appears after the walk is still taken:
// a folder that will not go away is read again from the file system. Past a limit the walk stops
// keeping listings and the folders it did not keep are read live.
constexpr std::size_t kNotListed = static_cast<std::size_t>(-1);
constexpr std::size_t kListingLimit = 250000;

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

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

unsigned long long SizeOf(const std::wstring& path, bool& ok) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  ok = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
  return ok ? (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow : 0;
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

}  // namespace

Engine::Engine(RunKind kind, std::span<FileItem> items, std::wstring_view destFolder, const Hooks& hooks)
    : kind_(kind), items_(items), destFolder_(destFolder), hooks_(hooks) {}

void Engine::Run(RunView& view) noexcept {
  view_ = &view;
  try {
    CountItems();
    view.TotalKnown(total_);
    if (kind_ == RunKind::Delete)
      RunDelete();
    else
      RunTransfer();
  } catch (...) {  // out of memory: end as canceled, what is done stays done
    canceled_ = true;
    try {
      view.Status(L"Canceled", true);
    } catch (...) {
    }
  }
  view_ = nullptr;
}

// ---- Counting ------------------------------------------------------------------------------

long long Engine::CountBelow(const std::wstring& folder, std::size_t at) {
  long long count = 0;
  WIN32_FIND_DATAW fd;
  win32::FindHandle find(FindFirstFileW(Join(folder, L"*.*").c_str(), &fd));
  if (!find) return 0;
  std::vector<Listed>& listing = listing_;
  const std::size_t first = listing.size();
  bool keep = at != kNotListed;
  // Stops keeping this folder's listing, counting below what was kept of it so far.
  auto drop = [&] {
    for (std::size_t i = first; i < listing.size(); ++i)
      if (listing[i].attributes & FILE_ATTRIBUTE_DIRECTORY)
        count += CountBelow(Join(folder, listing[i].name), kNotListed);
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
      count += CountBelow(Join(folder, fd.cFileName), kNotListed);
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
    if (listing[i].attributes & FILE_ATTRIBUTE_DIRECTORY) count += CountBelow(Join(folder, listing[i].name), i);
  return count;
}

void Engine::CountItems() {
  itemTotals_.assign(items_.size(), 0);
  itemListings_.assign(items_.size(), kNotListed);
  // A copy reads its folders live, so that what arrives while it runs is copied too.
  const bool keep = kind_ != RunKind::Copy;
  long long total = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const FileItem& item = items_[i];
    long long n = 0;
    if (item.kind == kKindFile) n = 1;
    if (item.kind == kKindFolder) {
      std::size_t at = kNotListed;
      if (keep && listing_.size() < kListingLimit) {
        at = listing_.size();
        listing_.push_back(Listed{std::wstring(FieldText(item.name)), FILE_ATTRIBUTE_DIRECTORY});
        itemListings_[i] = at;
      }
      n = 1 + CountBelow(Join(FieldText(item.folder), FieldText(item.name)), at);
    }
    itemTotals_[i] = n;
    total += n;
  }
  total_ = total;
}

// Calls visit(name, attributes, listing) for each entry of `folder`, from the counting walk's
// listing `at` when it kept one, else from the file system; `listing` is the entry's own kept
// listing or kNotListed. visit answers Walk::Finished to go on, Stopped or Failed to end there.
template <class Visit>
Engine::Walk Engine::ForEachEntry(const std::wstring& folder, std::size_t at, Visit&& visit) {
  if (at != kNotListed && listing_[at].listed) {
    const std::size_t first = listing_[at].first, end = first + listing_[at].count;
    for (std::size_t i = first; i < end; ++i) {
      const Listed& entry = listing_[i];
      Walk next = visit(entry.name.c_str(), entry.attributes, entry.listed ? i : kNotListed);
      if (next != Walk::Finished) return next;
    }
    return Walk::Finished;
  }
  WIN32_FIND_DATAW fd;
  win32::FindHandle find(FindFirstFileW(Join(folder, L"*.*").c_str(), &fd));
  if (!find) {
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
Engine::Walk Engine::ForEachNewEntry(const std::wstring& folder, std::size_t at, Visit&& visit) {
  std::unordered_set<std::wstring> known;
  const std::size_t first = listing_[at].first, end = first + listing_[at].count;
  for (std::size_t i = first; i < end; ++i) known.insert(FoldCase(listing_[i].name));
  return ForEachEntry(folder, kNotListed, [&](const wchar_t* name, DWORD attributes, std::size_t) {
    return known.count(FoldCase(name)) ? Walk::Finished : visit(name, attributes, kNotListed);
  });
}

// ---- Copying data --------------------------------------------------------------------------

// Copies the bytes, times and kept attributes of `source` into `target`, which the caller found
// absent (it is created new, so nothing there is ever overwritten). On failure the partial target
// is removed and the last error is that of the failing call.
bool Engine::CopyData(const std::wstring& source, const std::wstring& target) {
  if (!hooks_.beforeWrite) {
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
  win32::FileHandle in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(in.get(), &info)) return false;
  win32::FileHandle out(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
  if (buffer_.empty()) buffer_.resize(kCopyBlock);
  unsigned long long offset = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in.get(), buffer_.data(), kCopyBlock, &got, nullptr)) return fail();
    if (got == 0) break;
    if (hooks_.beforeWrite && !hooks_.beforeWrite(target, offset)) {
      SetLastError(ERROR_DISK_FULL);
      return fail();
    }
    DWORD put = 0;
    if (!WriteFile(out.get(), buffer_.data(), got, &put, nullptr)) return fail();
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
  if (!out.Close()) {
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
bool Engine::Rename(const std::wstring& source, const std::wstring& target, DWORD flags) const {
  if (hooks_.renameAcrossStorage && hooks_.renameAcrossStorage(source, target)) {
    SetLastError(ERROR_NOT_SAME_DEVICE);
    return false;
  }
  return MoveFileExW(source.c_str(), target.c_str(), flags) != FALSE;
}

// A name for a file being written beside `target`; "" when none fits the path limit.
std::wstring Engine::TempBeside(const std::wstring& target) {
  std::wstring folder(target.substr(0, target.rfind(L'\\')));
  for (int tries = 0; tries < 100; ++tries) {
    wchar_t name[40];
    swprintf(name, 40, L"~fo%lx-%x.tmp", GetCurrentProcessId(), ++tempSerial_);
    std::wstring candidate = Join(folder, name);
    if (candidate.size() > kMaxPath) return {};
    if (!Exists(candidate)) return candidate;
  }
  return {};
}

// Copies `source` into a new file `target` and checks what arrived.
bool Engine::CopyVerified(const std::wstring& source, const std::wstring& target) {
  if (!CopyData(source, target)) return false;
  bool okSource = false, okTarget = false;
  unsigned long long want = SizeOf(source, okSource), got = SizeOf(target, okTarget);
  if (okSource && okTarget && want == got) return true;
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(target.c_str());
  SetLastError(ERROR_WRITE_FAULT);
  return false;
}

// Puts `source` where nothing is yet: a rename, or where the file system refuses one (another
// storage location), a verified copy and then the source removed.
bool Engine::MoveNew(const std::wstring& source, const std::wstring& target) {
  if (Rename(source, target, 0)) return true;
  if (GetLastError() != ERROR_NOT_SAME_DEVICE) return false;
  if (!CopyVerified(source, target)) return false;
  return RemoveSource(source);  // on failure both copies remain: nothing is lost
}

// Replaces the existing `target` (attributes `targetAttributes`) by `source`. The target is never
// removed before its replacement is complete: new data goes to a name beside it first and takes
// its place in one rename; on any failure the target keeps its data and attributes.
bool Engine::Replace(const std::wstring& source, const std::wstring& target, DWORD targetAttributes) {
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
  if (IsMove()) {
    clear();
    if (Rename(source, target, MOVEFILE_REPLACE_EXISTING)) return true;
    if (GetLastError() != ERROR_NOT_SAME_DEVICE) {
      restore();
      return false;
    }
  }
  std::wstring temp = TempBeside(target);
  if (temp.empty()) {
    restore();
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (!CopyVerified(source, temp)) {
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
  if (IsMove()) return RemoveSource(source);
  return true;
}

// ---- Copy and move -------------------------------------------------------------------------

bool Engine::TransferFile(const std::wstring& source, const std::wstring& target, ReplaceMode& mode) {
  view_->Status(NameOf(source), false);
  if (source.size() > kMaxPath || target.size() > kMaxPath) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  if (IsMove()) {
    // A rename never replaces, so the common case costs one call.
    if (MoveNew(source, target)) {
      view_->Advance(1);
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
      if (!CopyData(source, target)) return false;
      view_->Advance(1);
      return true;
    }
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;  // a folder is in the way
  if (core::MustAsk(mode)) mode = view_->AskFileConflict(target, source);
  if (core::Proceeds(mode) && !Replace(source, target, attributes)) return false;
  view_->Advance(1);
  return true;
}

bool Engine::TransferFolder(const std::wstring& source, const std::wstring& target, ReplaceMode& mode,
                            std::size_t listed) {
  view_->Status(NameOf(source), false);
  if (source.size() > kMaxPath || target.size() > kMaxPath) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  DWORD sourceAttributes = GetFileAttributesW(source.c_str());
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES || !(sourceAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (!CreateDirectoryW(target.c_str(), nullptr)) {
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    bool merge = mode == ReplaceMode::All || (core::MustAsk(mode) && view_->AskFolderMerge(target));
    if (!merge) return true;
  }
  auto transfer = [&](const wchar_t* name, DWORD attributes, std::size_t inner) {
    if (view_->CancelRequested()) return Walk::Stopped;
    std::wstring from = Join(source, name), to = Join(target, name);
    bool ok =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) ? TransferFolder(from, to, mode, inner) : TransferFile(from, to, mode);
    return ok ? Walk::Finished : Walk::Failed;
  };
  Walk walk = ForEachEntry(source, listed, transfer);
  if (IsMove() && walk == Walk::Finished && !RemoveDirectoryW(source.c_str()) && listed != kNotListed &&
      GetLastError() == ERROR_DIR_NOT_EMPTY) {
    walk = ForEachNewEntry(source, listed, transfer);
    if (walk == Walk::Finished) RemoveDirectoryW(source.c_str());
  }
  if (walk == Walk::Stopped) return true;
  if (walk != Walk::Finished) return false;
  view_->Advance(1);
  return true;
}

// Moving a whole folder to where nothing of its name is yet is one rename on the same storage.
bool Engine::MoveFolderWhole(const std::wstring& source, const std::wstring& target, long long count) {
  if (source.size() > kMaxPath || target.size() > kMaxPath) return false;
  if (Exists(target) || !Rename(source, target, 0)) return false;
  view_->Advance(count);
  return true;
}

std::wstring Engine::TransferTarget(const FileItem& item) const {
  std::wstring_view folder = FieldText(item.folder), name = FieldText(item.name);
  if (folder != destFolder_) return Join(destFolder_, name);
  std::wstring candidate;
  for (int n = 1; n <= core::kLastCopyNumber; ++n) {
    candidate = Wide(core::NumberedCopyPath(U16View(destFolder_), U16View(name), n));
    if (candidate.size() > kMaxPath || !Exists(candidate)) break;
  }
  return candidate;
}

// The loop both engines share: the items in order, cancel between them, the failure message
// naming the top-level item, and the final status.
template <class RunItem>
void Engine::RunItems(ReplaceMode mode, RunItem&& run) {
  bool canceled = false;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (view_->CancelRequested()) {
      canceled = true;
      break;
    }
    FileItem& item = items_[i];
    if (item.kind != kKindFile && item.kind != kKindFolder) continue;
    ItemResult result = run(i, item, mode);
    if (result == ItemResult::Ended) return;
    if (result == ItemResult::Failed) {
      std::u16string_view name = U16View(FieldText(item.name));
      view_->ShowStop(Wide(kind_ == RunKind::Delete ? core::CannotDeleteText(name) : core::CannotCopyText(name)));
      canceled = true;
      break;
    }
    if (mode == ReplaceMode::Cancel) {
      canceled = true;
      break;
    }
  }
  canceled_ = canceled || view_->CancelRequested();
  view_->Status(canceled_ ? L"Canceled" : L"Done", true);
}

void Engine::RunTransfer() {
  RunItems(ReplaceMode::Yes, [&](std::size_t i, const FileItem& item, ReplaceMode& mode) {
    std::wstring folder(FieldText(item.folder));
    view_->Route(Wide(core::TransferRouteText(U16View(folder), U16View(destFolder_))));
    std::wstring source = Join(folder, FieldText(item.name));
    std::wstring target = TransferTarget(item);
    bool ok;
    if (item.kind == kKindFolder) {
      view_->Status(FieldText(item.name), false);
      ok = (IsMove() && MoveFolderWhole(source, target, itemTotals_[i])) ||
           TransferFolder(source, target, mode, itemListings_[i]);
    } else {
      ok = TransferFile(source, target, mode);
    }
    return ok ? ItemResult::Done : ItemResult::Failed;
  });
}

// ---- Delete --------------------------------------------------------------------------------

bool Engine::DeleteOneFile(const std::wstring& path, DWORD attributes, ReplaceMode& mode, FileItem* top) {
  view_->Status(NameOf(path), false);
  if (core::MustAsk(mode)) {
    attributes = CeGetFileAttributes(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    attributes &= ~(FILE_ATTRIBUTE_INROM | FILE_ATTRIBUTE_ROMMODULE);
    std::u16string_view name = U16View(NameOf(path));
    if (attributes & FILE_ATTRIBUTE_SYSTEM) {
      mode = view_->AskDeleteItem(Wide(core::SystemFileDeleteQuestion(name)));
      if (!core::Proceeds(mode)) return true;
    } else if (attributes & FILE_ATTRIBUTE_READONLY) {
      mode = view_->AskDeleteItem(Wide(core::ReadOnlyFileDeleteQuestion(name)));
      if (!core::Proceeds(mode)) return true;
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
  view_->Advance(1);
  if (top) top->done = 1;
  return true;
}

bool Engine::DeleteFolder(const std::wstring& path, DWORD attributes, ReplaceMode& mode, FileItem* top,
                          std::size_t listed) {
  view_->Status(NameOf(path), false);
  if (core::MustAsk(mode)) {
    mode = view_->AskDeleteItem(Wide(core::FolderDeleteQuestion(U16View(NameOf(path)))));
    if (!core::Proceeds(mode)) return true;
  }
  if (path.size() > kMaxPath) return false;
  // A read-only folder keeps its entries on some file systems; once confirmed, it goes whole.
  if (attributes == INVALID_FILE_ATTRIBUTES) attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  bool cleared = (attributes & kKeptAttributes) && SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  auto remove = [&](const wchar_t* name, DWORD entryAttributes, std::size_t inner) {
    if (view_->CancelRequested()) return Walk::Stopped;
    ReplaceMode innerMode = ReplaceMode::All;
    std::wstring child = Join(path, name);
    bool ok = (entryAttributes & FILE_ATTRIBUTE_DIRECTORY)
                  ? DeleteFolder(child, entryAttributes, innerMode, nullptr, inner)
                  : DeleteOneFile(child, entryAttributes, innerMode, nullptr);
    return ok ? Walk::Finished : Walk::Failed;
  };
  // An unreadable folder is left to the removal below, which fails if anything is inside.
  Walk walk = ForEachEntry(path, listed, remove);
  bool removed = false;
  if (walk == Walk::Finished || walk == Walk::Unreadable) {
    removed = RemoveDirectoryW(path.c_str()) != FALSE;
    if (!removed && listed != kNotListed && GetLastError() == ERROR_DIR_NOT_EMPTY) {
      walk = ForEachNewEntry(path, listed, remove);
      if (walk == Walk::Finished || walk == Walk::Unreadable) removed = RemoveDirectoryW(path.c_str()) != FALSE;
    }
  }
  if (walk == Walk::Stopped) return true;
  if (!removed && cleared) SetFileAttributesW(path.c_str(), attributes);
  if (walk == Walk::Failed) return false;
  view_->Advance(1);
  if (top) top->done = removed ? 1 : 0;
  return removed;
}

void Engine::RunDelete() {
  for (FileItem& item : items_) item.done = 0;
  ReplaceMode first = items_.size() >= 2 ? ReplaceMode::Yes : ReplaceMode::All;
  RunItems(first, [&](std::size_t i, FileItem& item, ReplaceMode& mode) {
    std::wstring folder(FieldText(item.folder));
    view_->Route(Wide(core::DeleteRouteText(U16View(folder))));
    std::wstring path = Join(folder, FieldText(item.name));
    if (item.kind == kKindFile) {
      return DeleteOneFile(path, INVALID_FILE_ATTRIBUTES, mode, &item) ? ItemResult::Done : ItemResult::Failed;
    }
    if (core::IsSystemFolder(U16View(path))) {
      const std::wstring text = L"'Windows' is a system folder and cannot be moved nor deleted.";
      view_->ShowStop(text);
      canceled_ = true;
      view_->Status(text, true);
      return ItemResult::Ended;
    }
    return DeleteFolder(path, INVALID_FILE_ATTRIBUTES, mode, &item, itemListings_[i]) ? ItemResult::Done
                                                                                      : ItemResult::Failed;
  });
}

}  // namespace quintar::fileops

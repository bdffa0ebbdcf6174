// The ZIP engine on the device's file system: a file or folder packed into a new archive, an
// archive unpacked into a folder. Runs on a worker thread; reports through Progress and looks at
// the stop flag between entries and every 64 KiB. Holds no window.
#pragma once

#include <windows.h>

#include <atomic>
#include <span>
#include <string>
#include <string_view>

namespace quintar::zip {

class Progress {
 public:
  // The entry now being worked on (its name as in the archive) and how far the run is.
  virtual void Entry(std::wstring_view name, unsigned percent) = 0;

 protected:
  ~Progress() = default;
};

// The archive a source is packed into, beside it: a file loses its extension ("report.doc" gives
// "report.zip"), a folder keeps its name; the first of base.zip, base(1).zip, base(2).zip, ...
// that does not exist. Empty when no such name fits in a path.
std::wstring ArchiveNameFor(const std::wstring& source);

enum class Result { Done, Stopped, Failed };
struct RunResult {
  Result result = Result::Failed;
  DWORD error = ERROR_SUCCESS;  // why it failed
  int skipped = 0;              // entries left out (unreadable sources; unsafe, foreign or damaged entries)
};

// Packs `source` into `archive`, which must not exist yet (it is created anew, never replaced).
// A folder becomes its own entry followed by everything below it; a file one entry. A source
// file that cannot be opened is left out; a read failure inside one fails the run. On stop or
// failure the archive is deleted: nothing of the run is left.
RunResult Compress(const std::wstring& source, const std::wstring& archive, Progress& progress,
                   const std::atomic<bool>& stop);

// Packs `sources` (files and folders, each below the folder `base`, "" for the root) into
// `archive`, which must not exist yet; each entry is named by its path below `base`, a folder
// followed by everything below it. A source that is missing fails the run before the archive is
// created; otherwise as Compress.
RunResult CompressBelow(const std::wstring& base, std::span<const std::wstring> sources, const std::wstring& archive,
                        Progress& progress, const std::atomic<bool>& stop);

// Unpacks `archive` below the folder `target` (which must exist), creating folders and replacing
// files. Each file is written to a temporary name beside its place, checked, then put in place;
// entries that are unsafe, encrypted, of another method or damaged are left out and touch
// nothing. On stop what was unpacked stays.
// With `refuseUnsafeNames`, entries whose names are not plainly relative (IsPlainRelativeName)
// are left out too instead of being mapped below the target.
RunResult Extract(const std::wstring& archive, const std::wstring& target, Progress& progress,
                  const std::atomic<bool>& stop, bool refuseUnsafeNames = false);

}  // namespace quintar::zip

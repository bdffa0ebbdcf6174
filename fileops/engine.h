// The copy/move and delete engines without a window: they count, then work through the items on
// the thread that runs them, and ask their questions and show their progress through RunView.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fileops/core/fileops_core.h"
#include "fileops/fileops.h"

namespace quintar::fileops {

// What a run needs from whatever shows it. Called on the run's thread; a question returns once
// it is answered.
class RunView {
 public:
  // The existing `target` and the incoming `source`.
  virtual core::ReplaceMode AskFileConflict(const std::wstring& target, const std::wstring& source) = 0;
  // True merges into the existing `folder`, false skips it.
  virtual bool AskFolderMerge(const std::wstring& folder) = 0;
  virtual core::ReplaceMode AskDeleteItem(const std::wstring& question) = 0;
  // A message with the stop icon; the run goes on once it is closed.
  virtual void ShowStop(const std::wstring& text) = 0;

  // The counting walk is done: `total` entries are to be processed.
  virtual void TotalKnown(long long total) = 0;
  // The entry being worked on; the final status ("Done", "Canceled" or why the run stopped).
  virtual void Status(std::wstring_view text, bool final) = 0;
  // The line naming the folders of the item being worked on.
  virtual void Route(std::wstring text) = 0;
  // `count` more entries are processed.
  virtual void Advance(long long count) = 0;
  // Polled between entries; a file being copied is finished first.
  virtual bool CancelRequested() const = 0;

 protected:
  ~RunView() = default;
};

enum class RunKind { Copy, Move, Delete };

class Engine {
 public:
  // `items` and `hooks` must outlive the engine; `destFolder` is unused for a delete.
  Engine(RunKind kind, std::span<FileItem> items, std::wstring_view destFolder, const Hooks& hooks);

  // Counts the entries, then does the work. Out of memory ends the run as canceled; what is done
  // stays done.
  void Run(RunView& view) noexcept;

  RunKind Kind() const noexcept { return kind_; }
  bool Canceled() const noexcept { return canceled_; }
  long long Total() const noexcept { return total_; }

 private:
  // A folder entry read by the counting walk (see CountBelow).
  struct Listed {
    std::wstring name;
    DWORD attributes = 0;
    std::size_t first = 0, count = 0;  // the entries inside, when listed
    bool listed = false;
  };
  enum class Walk { Finished, Stopped, Failed, Unreadable };
  enum class ItemResult { Done, Failed, Ended };  // Ended: stopped with its own final status

  bool IsMove() const noexcept { return kind_ == RunKind::Move; }

  long long CountBelow(const std::wstring& folder, std::size_t at);
  void CountItems();
  template <class Visit>
  Walk ForEachEntry(const std::wstring& folder, std::size_t at, Visit&& visit);
  template <class Visit>
  Walk ForEachNewEntry(const std::wstring& folder, std::size_t at, Visit&& visit);

  bool CopyData(const std::wstring& source, const std::wstring& target);
  bool Rename(const std::wstring& source, const std::wstring& target, DWORD flags) const;
  std::wstring TempBeside(const std::wstring& target);
  bool CopyVerified(const std::wstring& source, const std::wstring& target);
  bool MoveNew(const std::wstring& source, const std::wstring& target);
  bool Replace(const std::wstring& source, const std::wstring& target, DWORD targetAttributes);

  bool TransferFile(const std::wstring& source, const std::wstring& target, core::ReplaceMode& mode);
  bool TransferFolder(const std::wstring& source, const std::wstring& target, core::ReplaceMode& mode,
                      std::size_t listed);
  bool MoveFolderWhole(const std::wstring& source, const std::wstring& target, long long count);
  std::wstring TransferTarget(const FileItem& item) const;
  void RunTransfer();

  bool DeleteOneFile(const std::wstring& path, DWORD attributes, core::ReplaceMode& mode, FileItem* top);
  bool DeleteFolder(const std::wstring& path, DWORD attributes, core::ReplaceMode& mode, FileItem* top,
                    std::size_t listed);
  void RunDelete();

  template <class RunItem>
  void RunItems(core::ReplaceMode mode, RunItem&& run);

  RunKind kind_;
  std::span<FileItem> items_;
  std::wstring destFolder_;
  const Hooks& hooks_;
  RunView* view_ = nullptr;  // while Run runs

  long long total_ = 0;
  std::vector<long long> itemTotals_;  // what the counting walk found below each item
  std::vector<Listed> listing_;        // the folders the counting walk read
  std::vector<std::size_t> itemListings_;
  bool canceled_ = false;
  std::vector<char> buffer_;  // the copy buffer
  unsigned tempSerial_ = 0;
};

}  // namespace quintar::fileops

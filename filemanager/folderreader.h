// FolderReader: reads the listed entries of one device folder on a thread of its own and hands
// them over in batches, so that the list inserts the rows of one batch while the next is read
// (the enumeration waits on the file system, the inserts on the list view).
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "filemanager/core/file_entry.h"
#include "win32/handle.h"

namespace quintar::folderon {

class FolderReader {
 public:
  // `pattern` is the device find pattern of `folder`.
  FolderReader(std::u16string folder, std::wstring pattern, const core::ListingFilter& filter);
  // Stops the reading at its next entry and waits for the thread.
  ~FolderReader();
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;

  // Starts reading; without a thread the whole folder is read here and now.
  void Start();
  // The next batch, waiting for it while it is read; false once every batch was taken.
  bool Next(std::vector<core::FileEntry>& batch);

  // Entries of the first batch; each later one is twice the one before, so that the first rows
  // go in early and a big folder takes few hand-overs (on a busy machine each may wait for the
  // taking thread to be scheduled).
  static constexpr std::size_t kFirstBatch = 256;
  static constexpr std::size_t kLargestBatch = 16384;

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  void Read();
  // Queues `batch` (then empty) for the taker; false when the reading is to stop.
  bool Hand(std::vector<core::FileEntry>& batch);

  const std::u16string folder_;
  const std::wstring pattern_;
  const core::ListingFilter filter_;
  std::mutex lock_;
  std::deque<std::vector<core::FileEntry>> ready_;  // under lock_
  bool done_ = false;                               // under lock_
  bool stop_ = false;                               // under lock_
  win32::KernelHandle handed_;                      // auto reset: a batch was queued or the end came
  win32::KernelHandle thread_;
};

}  // namespace quintar::folderon

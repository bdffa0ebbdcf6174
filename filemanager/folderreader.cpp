#include "filemanager/folderreader.h"

#include <ceservices.h>

#include <algorithm>

#include "filemanager/winutil.h"

namespace quintar::folderon {

namespace qf = core;

namespace {

std::uint64_t Ticks(const FILETIME& ft) {
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

FolderReader::FolderReader(std::u16string folder, std::wstring pattern, const qf::ListingFilter& filter)
    : folder_(std::move(folder)), pattern_(std::move(pattern)), filter_(filter) {}

FolderReader::~FolderReader() {
  if (!thread_) return;
  {
    std::lock_guard hold(lock_);
    stop_ = true;
  }
  WaitForSingleObject(thread_.get(), INFINITE);
}

void FolderReader::Start() {
  handed_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (handed_) thread_.reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  if (!thread_) Read();
}

DWORD WINAPI FolderReader::ThreadMain(LPVOID self) {
  static_cast<FolderReader*>(self)->Read();
  return 0;
}

bool FolderReader::Hand(std::vector<qf::FileEntry>& batch) {
  bool stop;
  {
    std::lock_guard hold(lock_);
    ready_.push_back(std::move(batch));
    stop = stop_;
  }
  batch = {};
  if (handed_) SetEvent(handed_.get());
  return !stop;
}

void FolderReader::Read() {
  try {
    // Local time with the zone's current bias, as the platform's conversion gives it: taken once
    // for the listing rather than asked for every file.
    std::uint64_t localBias = 0;
    {
      FILETIME utc{0, 0x01000000}, local{};
      if (FileTimeToLocalFileTime(&utc, &local)) localBias = Ticks(local) - Ticks(utc);
    }
    std::size_t size = kFirstBatch;
    std::vector<qf::FileEntry> batch;
    batch.reserve(size);
    WIN32_FIND_DATAW data{};
    DeviceFind find(CeFindFirstFile(pattern_.c_str(), &data));
    if (find) {
      do {
        std::u16string_view name(win32::U16Ptr(data.cFileName));
        if (!qf::IsListed(name, data.dwFileAttributes, filter_)) continue;
        qf::FileEntry& entry = batch.emplace_back();
        entry.folder = folder_;
        entry.name = name;
        entry.attributes = data.dwFileAttributes;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          entry.kind = qf::EntryKind::Folder;
          entry.time = Ticks(data.ftCreationTime);
        } else {
          entry.kind = qf::EntryKind::File;
          entry.time = Ticks(data.ftLastWriteTime) + localBias;
          entry.size = data.nFileSizeLow;
        }
        if (batch.size() == size) {
          if (!Hand(batch)) break;
          size = std::min(size * 2, kLargestBatch);
          batch.reserve(size);
        }
      } while (CeFindNextFile(find.get(), &data));
    }
    if (!batch.empty()) Hand(batch);
  } catch (...) {
    // Out of memory: the listing ends with the entries read so far.
  }
  {
    std::lock_guard hold(lock_);
    done_ = true;
  }
  if (handed_) SetEvent(handed_.get());
}

bool FolderReader::Next(std::vector<qf::FileEntry>& batch) {
  for (;;) {
    {
      std::lock_guard hold(lock_);
      if (!ready_.empty()) {
        batch = std::move(ready_.front());
        ready_.pop_front();
        return true;
      }
      if (done_) return false;
    }
    WaitForSingleObject(handed_.get(), INFINITE);
  }
}

}  // namespace quintar::folderon

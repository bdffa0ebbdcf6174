#include "filemanager/folderwatcher.h"

namespace quintar::folderon {

namespace {

class Locked {
 public:
  explicit Locked(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
  ~Locked() { LeaveCriticalSection(&cs_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION& cs_;
};

}  // namespace

FolderWatcher::~FolderWatcher() { Stop(); }

bool FolderWatcher::Start() {
  if (thread_) return true;
  if (!lockReady_) {
    InitializeCriticalSection(&lock_);
    lockReady_ = true;
  }
  if (!event_) event_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!released_) released_.reset(CreateEventW(nullptr, TRUE, TRUE, nullptr));
  if (!event_ || !released_) return false;
  stop_ = false;
  thread_.reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  return static_cast<bool>(thread_);
}

void FolderWatcher::Stop() {
  if (thread_) {
    {
      Locked hold(lock_);
      stop_ = true;
      SetEvent(event_.get());
    }
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
  }
  event_.reset();
  released_.reset();
  if (lockReady_) {
    DeleteCriticalSection(&lock_);
    lockReady_ = false;
  }
}

void FolderWatcher::SetTarget(HWND window) {
  if (!lockReady_) {
    target_ = window;
    return;
  }
  Locked hold(lock_);
  target_ = window;
}

void FolderWatcher::SetPath(const std::wstring& path) {
  if (!lockReady_) return;
  Locked hold(lock_);
  std::wstring next = path.empty() ? L"\\" : path;
  if (CompareStringOrdinal(next.c_str(), -1, path_.c_str(), -1, TRUE) == CSTR_EQUAL) return;
  path_ = std::move(next);
  SetEvent(event_.get());
}

void FolderWatcher::Suspend() {
  if (!lockReady_) return;
  {
    Locked hold(lock_);
    watching_ = false;
    RemoveQueuedChanges();
    SetEvent(event_.get());
  }
  // The thread only posts, never sends, so waiting here cannot deadlock; the bound keeps the UI
  // alive should a file system hang in closing.
  if (thread_) WaitForSingleObject(released_.get(), 2000);
}

void FolderWatcher::Resume() {
  if (!lockReady_) return;
  Locked hold(lock_);
  watching_ = true;
  RemoveQueuedChanges();
  SetEvent(event_.get());
}

bool FolderWatcher::Watching() const {
  if (!lockReady_) return false;
  Locked hold(lock_);
  return watching_;
}

std::wstring FolderWatcher::Path() const {
  if (!lockReady_) return path_;
  Locked hold(lock_);
  return path_;
}

void FolderWatcher::RemoveQueuedChanges() {
  // Only the window's own thread can take messages out of its queue.
  if (!target_ || GetWindowThreadProcessId(target_, nullptr) != GetCurrentThreadId()) return;
  MSG msg;
  while (PeekMessageW(&msg, target_, MSG_FOLDER_CHANGED, MSG_FOLDER_CHANGED, PM_REMOVE)) {
  }
}

DWORD WINAPI FolderWatcher::ThreadMain(LPVOID self) {
  static_cast<FolderWatcher*>(self)->Run();
  return 0;
}

void FolderWatcher::Run() {
  constexpr DWORD kQuietMs = 5000;
  for (;;) {
    win32::ChangeHandle change;
    {
      Locked hold(lock_);
      if (stop_) return;
      if (watching_) {
        ResetEvent(released_.get());
        change.reset(FindFirstChangeNotificationW(path_.c_str(), FALSE,
                                                  FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME));
        if (!change) SetEvent(released_.get());
      }
    }
    if (!change) {
      WaitForSingleObject(event_.get(), INFINITE);
      ResetEvent(event_.get());
      continue;
    }
    // A control call wakes the thread through the event; until one comes, the folder is watched.
    DWORD first = WaitForSingleObject(event_.get(), kQuietMs);
    if (first == WAIT_TIMEOUT) {
      HANDLE both[2] = {event_.get(), change.get()};
      DWORD which = WaitForMultipleObjects(2, both, FALSE, INFINITE);
      if (which == WAIT_OBJECT_0 + 1) {
        Locked hold(lock_);
        if (watching_ && !stop_ && target_) PostMessageW(target_, MSG_FOLDER_CHANGED, 0, 0);
      } else if (which == WAIT_OBJECT_0) {
        ResetEvent(event_.get());
      }
    } else {
      ResetEvent(event_.get());
    }
    change.reset();  // before the release is signalled: the folder is free once it is
    SetEvent(released_.get());
  }
}

}  // namespace quintar::folderon

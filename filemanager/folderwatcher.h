// FolderWatcher: a thread that watches the shown folder for added, removed and renamed entries
// and tells the main window by posting MSG_FOLDER_CHANGED. It touches no window otherwise.
#pragma once

#include <windows.h>

#include <string>

#include "win32/handle.h"

namespace quintar::folderon {

inline constexpr UINT MSG_FOLDER_CHANGED = WM_USER + 1;

class FolderWatcher {
 public:
  FolderWatcher() = default;
  ~FolderWatcher();
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;

  // Starts the thread (watching disabled, path "\"); false when it cannot be started.
  bool Start();
  // Sets the stop flag, wakes the thread and waits for it to end.
  void Stop();
  // Where MSG_FOLDER_CHANGED goes; until set, changes are noticed but not reported.
  void SetTarget(HWND window);

  // Each ends by waking the thread, so the change takes effect at once.
  void SetPath(const std::wstring& path);  // ignored when equal to the current one (any case)
  // Returns once the thread holds no handle on the folder any more, so the folder can be
  // deleted or renamed at once (a file system may keep an open folder until its last handle goes).
  void Suspend();
  void Resume();

  bool Watching() const;
  std::wstring Path() const;

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  void Run();
  void RemoveQueuedChanges();

  mutable CRITICAL_SECTION lock_{};
  bool lockReady_ = false;
  win32::KernelHandle event_;     // manual reset
  win32::KernelHandle released_;  // manual reset: set while the thread holds no notification
  win32::KernelHandle thread_;
  HWND target_ = nullptr;
  std::wstring path_ = L"\\";
  bool watching_ = false;
  bool stop_ = false;
};

}  // namespace quintar::folderon

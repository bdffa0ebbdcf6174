// The progress dialog of a copy/move or delete run: it starts the engine on a worker thread,
// shows what the engine reports, asks its questions and ends when the worker is done.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "fileops/engine.h"
#include "win32/handle.h"
#include "win32/window.h"

namespace quintar::fileops {

class ProgressDialog : public win32::Dialog<ProgressDialog>, public RunView {
 public:
  ProgressDialog(Engine& engine, HWND owner, unsigned idleResetMs) noexcept
      : engine_(engine), owner_(owner), idleResetMs_(idleResetMs) {}

  // Runs the engine behind the modal dialog `templateId` over the owner and returns once the
  // worker has ended. False when the dialog or the worker could not be started.
  bool Run(int templateId);

  long long Processed() const noexcept { return processed_.load(); }

 private:
  friend Dialog;

  static std::span<const win32::DialogMessageEntry<ProgressDialog>> Messages();
  static std::span<const win32::CommandEntry<ProgressDialog>> Commands();

  INT_PTR OnInit(WPARAM, LPARAM);
  INT_PTR OnTimer(WPARAM timer, LPARAM);
  INT_PTR OnPositionChanging(WPARAM, LPARAM position);
  INT_PTR OnOtherCommand(WPARAM, LPARAM) { return TRUE; }  // taken and dropped
  INT_PTR OnClose(WPARAM, LPARAM) { return TRUE; }         // only the worker ends the dialog
  INT_PTR OnAskFile(WPARAM, LPARAM question);
  INT_PTR OnAskMerge(WPARAM, LPARAM question);
  INT_PTR OnAskDelete(WPARAM, LPARAM question);
  INT_PTR OnShowStop(WPARAM, LPARAM text);
  INT_PTR OnTotalKnown(WPARAM, LPARAM total);
  INT_PTR OnFinished(WPARAM, LPARAM);
  void Cancel();
  void Show();
  void FlushTexts();
  template <class Ask>
  void Prompt(Ask&& ask);

  // RunView, on the worker thread.
  core::ReplaceMode AskFileConflict(const std::wstring& target, const std::wstring& source) override;
  bool AskFolderMerge(const std::wstring& folder) override;
  core::ReplaceMode AskDeleteItem(const std::wstring& question) override;
  void ShowStop(const std::wstring& text) override;
  void TotalKnown(long long total) override;
  void Status(std::wstring_view text, bool final) override;
  void Route(std::wstring text) override;
  void Advance(long long count) override { processed_.fetch_add(count, std::memory_order_relaxed); }
  bool CancelRequested() const override { return cancel_.load(); }

  static DWORD WINAPI Worker(LPVOID self);

  Engine& engine_;
  HWND owner_;
  unsigned idleResetMs_;
  win32::KernelHandle thread_;
  std::atomic<bool> cancel_{false};
  std::atomic<long long> processed_{0};
  std::atomic<bool> promptClosed_{true};
  long long total_ = 0;
  bool counted_ = false;  // the range and counter are set
  bool shown_ = false;

  // Written by the worker, shown by the refresh timer.
  std::mutex textLock_;
  std::wstring status_, route_;
  bool textDirty_ = false;
  bool canceling_ = false;  // "Canceling..." shows until the final status
  bool finalStatus_ = false;
};

}  // namespace quintar::fileops

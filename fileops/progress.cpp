#include "fileops/progress.h"

#include <commctrl.h>

#include <ceservices.h>

#include "fileops/prompts.h"
#include "fileops/winutil.h"
#include "win32/messagebox.h"
#include "win32/scope.h"
#include "win32/text.h"

namespace quintar::fileops {

namespace {

// The worker's synchronous messages; lParam points to the worker's question or text.
constexpr UINT MSG_OP_FINISHED = WM_USER + 100;
constexpr UINT MSG_ASK_REPLACE = WM_USER + 200;
constexpr UINT MSG_ASK_MERGE_FOLDER = WM_USER + 400;
constexpr UINT MSG_ASK_DELETE = WM_USER + 201;
constexpr UINT MSG_SHOW_STOP = WM_USER + 500;
constexpr UINT MSG_TOTAL_KNOWN = WM_USER + 501;  // lParam: the total

constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT_PTR kRefreshTimer = 2;
constexpr UINT kRefreshMs = 100;
// A run is shown only once it has lasted this long (or asks something): a short one never maps,
// paints and tears down a window, which took longer than deleting a few files.
constexpr UINT_PTR kShowTimer = 3;
constexpr UINT kShowDelayMs = 500;

struct FileQuestion {
  const std::wstring& target;
  const std::wstring& source;
  core::ReplaceMode answer = core::ReplaceMode::No;
};

struct TextQuestion {
  const std::wstring& text;
  core::ReplaceMode answer = core::ReplaceMode::No;
  bool merge = false;
};

}  // namespace

std::span<const win32::DialogMessageEntry<ProgressDialog>> ProgressDialog::Messages() {
  // clang-format off
  static constexpr win32::DialogMessageEntry<ProgressDialog> kTable[] = {
      win32::On<&ProgressDialog::OnInit>(WM_INITDIALOG),
      win32::On<&ProgressDialog::OnTimer>(WM_TIMER),
      win32::On<&ProgressDialog::OnPositionChanging>(WM_WINDOWPOSCHANGING),
      win32::On<&ProgressDialog::OnOtherCommand>(WM_COMMAND),
      win32::On<&ProgressDialog::OnClose>(WM_CLOSE),
      win32::On<&ProgressDialog::OnAskFile>(MSG_ASK_REPLACE),
      win32::On<&ProgressDialog::OnAskMerge>(MSG_ASK_MERGE_FOLDER),
      win32::On<&ProgressDialog::OnAskDelete>(MSG_ASK_DELETE),
      win32::On<&ProgressDialog::OnShowStop>(MSG_SHOW_STOP),
      win32::On<&ProgressDialog::OnTotalKnown>(MSG_TOTAL_KNOWN),
      win32::On<&ProgressDialog::OnFinished>(MSG_OP_FINISHED),
  };
  // clang-format on
  return kTable;
}

std::span<const win32::CommandEntry<ProgressDialog>> ProgressDialog::Commands() {
  static constexpr win32::CommandEntry<ProgressDialog> kTable[] = {
      win32::Command<&ProgressDialog::Cancel>(ids::kCancel),
      win32::Command<&ProgressDialog::Cancel>(IDCANCEL),
  };
  return kTable;
}

bool ProgressDialog::Run(int templateId) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  INT_PTR result = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(templateId), owner_, Proc, Param());
  if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
  const bool started = result != -1 && thread_;
  thread_.reset();
  return started;
}

DWORD WINAPI ProgressDialog::Worker(LPVOID param) {
  auto& self = *static_cast<ProgressDialog*>(param);
  self.engine_.Run(self);
  SendMessageW(self.hwnd(), MSG_OP_FINISHED, 0, 0);
  return 0;
}

INT_PTR ProgressDialog::OnInit(WPARAM, LPARAM) {
  HWND dlg = hwnd();
  cancel_ = false;
  processed_ = 0;
  CentreOver(dlg, owner_, 26);
  if (engine_.Kind() != RunKind::Delete)
    SetWindowTextW(dlg, engine_.Kind() == RunKind::Move ? L"Move Files" : L"Copy Files");
  SetDlgItemTextW(dlg, ids::kStatus, L"Processing...");
  const bool isDelete = engine_.Kind() == RunKind::Delete;
  SendDlgItemMessageW(dlg, ids::kPicture, STM_SETICON,
                      reinterpret_cast<WPARAM>(LoadIconW(nullptr, isDelete ? IDI_WARNING : IDI_INFORMATION)), 0);
  DWORD threadId = 0;
  thread_.reset(CreateThread(nullptr, 0, Worker, this, 0, &threadId));
  if (!thread_) {
    EndDialog(dlg, 0);
    return TRUE;
  }
  SetTimer(dlg, kIdleTimer, idleResetMs_, nullptr);
  SetTimer(dlg, kRefreshTimer, kRefreshMs, nullptr);
  SetTimer(dlg, kShowTimer, kShowDelayMs, nullptr);
  return TRUE;
}

// The modal loop shows the dialog when it first goes idle; until its time has come it stays hidden.
INT_PTR ProgressDialog::OnPositionChanging(WPARAM, LPARAM position) {
  if (!shown_) reinterpret_cast<WINDOWPOS*>(position)->flags &= ~SWP_SHOWWINDOW;
  return FALSE;
}

void ProgressDialog::Show() {
  if (shown_) return;
  shown_ = true;
  KillTimer(hwnd(), kShowTimer);
  ShowWindow(hwnd(), SW_SHOW);
}

INT_PTR ProgressDialog::OnTimer(WPARAM timer, LPARAM) {
  if (timer == kIdleTimer && promptClosed_.load()) SystemIdleTimerReset();
  if (timer == kRefreshTimer) FlushTexts();
  if (timer == kShowTimer) Show();
  return TRUE;
}

void ProgressDialog::Cancel() {
  cancel_ = true;
  EnableWindow(GetDlgItem(hwnd(), ids::kCancel), FALSE);
  {
    std::lock_guard lock(textLock_);
    canceling_ = true;
  }
  SetDlgItemTextW(hwnd(), ids::kStatus, L"Canceling...");
}

void ProgressDialog::FlushTexts() {
  HWND dlg = hwnd();
  {
    std::lock_guard lock(textLock_);
    if (textDirty_) {
      if (!canceling_ || finalStatus_) SetDlgItemTextW(dlg, ids::kStatus, status_.c_str());
      SetDlgItemTextW(dlg, ids::kRoute, route_.c_str());
      textDirty_ = false;
    }
  }
  if (!counted_) return;  // the counter starts once the total is known
  long long done = processed_.load();
  SendDlgItemMessageW(dlg, ids::kProgress, PBM_SETPOS, static_cast<WPARAM>(done), 0);
  SetDlgItemTextW(dlg, ids::kCounter, win32::Wide(core::CounterText(done, total_)).c_str());
}

// ---- The worker's messages, on the dialog's thread --------------------------------------------

// A question of the worker: the texts are brought up to date first, and the device may sleep
// while it waits for the answer.
template <class Ask>
void ProgressDialog::Prompt(Ask&& ask) {
  Show();
  FlushTexts();
  promptClosed_ = false;
  win32::ScopeGuard closed([this] { promptClosed_ = true; });
  ask();
}

INT_PTR ProgressDialog::OnAskFile(WPARAM, LPARAM param) {
  auto& question = *reinterpret_cast<FileQuestion*>(param);
  Prompt([&] { question.answer = fileops::AskFileConflict(hwnd(), question.target, question.source); });
  return TRUE;
}

INT_PTR ProgressDialog::OnAskMerge(WPARAM, LPARAM param) {
  auto& question = *reinterpret_cast<TextQuestion*>(param);
  Prompt([&] { question.merge = fileops::AskFolderMerge(hwnd(), question.text); });
  return TRUE;
}

INT_PTR ProgressDialog::OnAskDelete(WPARAM, LPARAM param) {
  auto& question = *reinterpret_cast<TextQuestion*>(param);
  Prompt([&] { question.answer = fileops::AskDeleteItem(hwnd(), question.text); });
  return TRUE;
}

INT_PTR ProgressDialog::OnShowStop(WPARAM, LPARAM text) {
  Show();
  FlushTexts();
  // No caption given: the platform's default, as every message of the file operations.
  win32::ScreenMessageBox(hwnd(), reinterpret_cast<const std::wstring*>(text)->c_str(), nullptr, MB_OK | MB_ICONSTOP);
  return TRUE;
}

INT_PTR ProgressDialog::OnTotalKnown(WPARAM, LPARAM total) {
  total_ = static_cast<long long>(total);
  counted_ = true;
  SendDlgItemMessageW(hwnd(), ids::kProgress, PBM_SETRANGE32, 0, total);
  SendDlgItemMessageW(hwnd(), ids::kProgress, PBM_SETPOS, 0, 0);
  SetDlgItemTextW(hwnd(), ids::kCounter, win32::Wide(core::CounterText(0, total_)).c_str());
  return TRUE;
}

INT_PTR ProgressDialog::OnFinished(WPARAM, LPARAM) {
  KillTimer(hwnd(), kIdleTimer);
  KillTimer(hwnd(), kRefreshTimer);
  KillTimer(hwnd(), kShowTimer);
  FlushTexts();
  EndDialog(hwnd(), 0);
  return TRUE;
}

// ---- RunView, on the worker thread ---------------------------------------------------------------

core::ReplaceMode ProgressDialog::AskFileConflict(const std::wstring& target, const std::wstring& source) {
  FileQuestion question{target, source};
  SendMessageW(hwnd(), MSG_ASK_REPLACE, 0, reinterpret_cast<LPARAM>(&question));
  return question.answer;
}

bool ProgressDialog::AskFolderMerge(const std::wstring& folder) {
  TextQuestion question{folder};
  SendMessageW(hwnd(), MSG_ASK_MERGE_FOLDER, 0, reinterpret_cast<LPARAM>(&question));
  return question.merge;
}

core::ReplaceMode ProgressDialog::AskDeleteItem(const std::wstring& text) {
  TextQuestion question{text};
  SendMessageW(hwnd(), MSG_ASK_DELETE, 0, reinterpret_cast<LPARAM>(&question));
  return question.answer;
}

void ProgressDialog::ShowStop(const std::wstring& text) {
  SendMessageW(hwnd(), MSG_SHOW_STOP, 0, reinterpret_cast<LPARAM>(&text));
}

void ProgressDialog::TotalKnown(long long total) {
  SendMessageW(hwnd(), MSG_TOTAL_KNOWN, 0, static_cast<LPARAM>(total));
}

void ProgressDialog::Status(std::wstring_view text, bool final) {
  std::lock_guard lock(textLock_);
  if (canceling_ && !final) return;
  status_.assign(text);
  finalStatus_ = final;
  textDirty_ = true;
}

void ProgressDialog::Route(std::wstring text) {
  std::lock_guard lock(textLock_);
  route_ = std::move(text);
  textDirty_ = true;
}

}  // namespace quintar::fileops

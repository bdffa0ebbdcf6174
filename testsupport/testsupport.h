// Helpers for the suite's Win32 tests: a responder that answers message boxes and dialogs on the
// test's thread and records every message box, message pumps with a time limit, programs started
// and files read the way the device tests need them.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win32/handle.h"
#include "win32/text.h"

namespace testsupport {

// ---- Message pumps -------------------------------------------------------------------------

// Dispatches this thread's messages until `done` holds or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Dispatches this thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);
// Pumps until a top-level window of that class and title exists (either may be null).
HWND WaitForWindow(LPCWSTR className, LPCWSTR title, DWORD timeoutMs);

// ---- Dialog responder ----------------------------------------------------------------------

enum class Match { Exact, Substring };

// One message box as it was asked for.
struct MessageBoxRecord {
  HWND owner = nullptr;
  std::wstring text;
  std::wstring caption;
  UINT style = 0;           // the MB_* flags of the call
  bool styleKnown = false;  // false: the box bypassed MessageBoxW/ExW; style then holds the
                            // buttons and icon read off the box itself
  int answer = 0;           // the button pressed (the call's return value)
  bool expected = false;    // a rule answered it; false: the default policy did
};

// Any other dialog seen on the thread.
struct DialogRecord {
  std::wstring caption;
  int answer = 0;
  bool expected = false;
  bool forced = false;  // still open after the answer: ended with EndDialog
};

struct Rule {
  enum class On { Caption, Text } on = On::Caption;
  std::wstring pattern;
  Match match = Match::Exact;
  int button = IDOK;
  std::vector<std::pair<int, std::wstring>> fills;  // edit controls set before the press
  int times = -1;                                   // how often the rule may fire; -1 always
};

class DialogResponder;

// Added rules are refined in place: responder.OnCaption(L"Vorrel", IDYES).Fill(1005, L"x").Once();
class RuleRef {
 public:
  RuleRef& Fill(int controlId, std::wstring text);
  RuleRef& Times(int n);
  RuleRef& Once() { return Times(1); }

 private:
  friend class DialogResponder;
  RuleRef(DialogResponder& owner, std::size_t index) : owner_(owner), index_(index) {}
  DialogResponder& owner_;
  std::size_t index_;
};

// Installed on the calling thread for its lifetime (one at a time per thread). Message boxes are
// answered by their caption or text, dialogs (class "#32770") by their caption or the text of
// any of their controls; the first matching rule wins. A box or dialog no rule answers gets the
// default policy: Cancel (or No, or OK, whichever button the box has) and it is recorded as
// unexpected. A dialog still open `stuckTimeoutMs` after its answer is ended with EndDialog, so
// a test never hangs on a window it forgot.
class DialogResponder {
 public:
  DialogResponder();
  ~DialogResponder();
  DialogResponder(const DialogResponder&) = delete;
  DialogResponder& operator=(const DialogResponder&) = delete;

  RuleRef OnCaption(std::wstring caption, int button, Match match = Match::Exact);
  RuleRef OnText(std::wstring text, int button, Match match = Match::Exact);
  void ClearRules();

  // Unanswered windows are left alone instead (the test drives them itself).
  void SetLeaveUnmatched(bool leave) { leaveUnmatched_ = leave; }
  // How long after its answer an open dialog is taken as stuck (0: never).
  void SetStuckTimeout(DWORD ms) { stuckTimeoutMs_ = ms; }
  // The delay between a dialog's initialisation and the answer, so it is on screen by then.
  void SetAnswerDelay(DWORD ms) { answerDelayMs_ = ms; }

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return boxes_; }
  const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
  // Boxes and dialogs the default policy answered, and dialogs that had to be ended.
  int UnexpectedCount() const;
  void ClearRecords();

  // False when MessageBoxW/ExW could not be redirected: boxes are then still answered and
  // recorded, but with the style read off the box (styleKnown false).
  static bool InterceptsMessageBoxes();

  // The hook's inner workings; not for tests.
  struct Pending;
  struct Impl;

 private:
  friend class RuleRef;
  friend struct Impl;
  RuleRef Add(Rule::On on, std::wstring pattern, int button, Match match);

  std::vector<Rule> rules_;
  std::vector<MessageBoxRecord> boxes_;
  std::vector<DialogRecord> dialogs_;
  bool leaveUnmatched_ = false;
  DWORD stuckTimeoutMs_ = 3000;
  DWORD answerDelayMs_ = 20;
  DialogResponder* previous_ = nullptr;
  std::unique_ptr<Impl> impl_;
};

// ---- RAII owners ---------------------------------------------------------------------------

// A window, destroyed unless something else destroyed it first.
struct WindowTraits {
  using Handle = HWND;
  static Handle Invalid() noexcept { return nullptr; }
  static bool Close(Handle h) noexcept { return !IsWindow(h) || DestroyWindow(h); }
};
using UniqueWindow = quintar::win32::Owner<WindowTraits>;

// A registered window class, unregistered on scope exit.
class ScopedWindowClass {
 public:
  ScopedWindowClass(LPCWSTR name, WNDPROC proc = DefWindowProcW);
  ~ScopedWindowClass();
  ScopedWindowClass(const ScopedWindowClass&) = delete;
  ScopedWindowClass& operator=(const ScopedWindowClass&) = delete;
  LPCWSTR name() const { return name_.c_str(); }
  bool ok() const { return atom_ != 0; }

 private:
  std::wstring name_;
  ATOM atom_ = 0;
};

// A program a test started; ended on scope exit (or reassignment) if it still runs.
class ChildProcess {
 public:
  ChildProcess() = default;
  explicit ChildProcess(const PROCESS_INFORMATION& pi) : process_(pi.hProcess) {
    quintar::win32::KernelHandle thread(pi.hThread);
  }
  ~ChildProcess() { Kill(); }
  ChildProcess(ChildProcess&& o) noexcept = default;
  ChildProcess& operator=(ChildProcess&& o) noexcept;
  HANDLE get() const { return process_.get(); }
  explicit operator bool() const { return static_cast<bool>(process_); }
  // The exit code once it ended within `ms`, else STILL_ACTIVE.
  DWORD Wait(DWORD ms) const;
  // The same, running this thread's messages meanwhile (for a program that talks to its windows).
  DWORD WaitPumping(DWORD ms) const;
  void Kill();

 private:
  quintar::win32::KernelHandle process_;
};

// Starts `program` (quoted) with `arguments`; empty when it cannot start. With `verbatim` the
// command line is `arguments` exactly as given, for programs that take it whole.
ChildProcess StartProgram(const std::wstring& program, const std::wstring& arguments = L"", bool verbatim = false);

// Runs `commandLine` to its end (at most `timeoutMs`) and returns its exit code, or -1 when it
// could not start or was ended for running too long. Its standard output and error, when
// wanted, are collected as bytes.
int RunProgram(const std::wstring& commandLine, std::string* output = nullptr, DWORD timeoutMs = 20000);

// A whole file's bytes ("" when it cannot be read); a file written whole (false on failure).
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);

// Writes what the screen shows to a 24-bit BMP file at `path`, for pictures reviewed by hand.
bool SaveScreenBitmap(const std::wstring& path);

// The lines of the emulated device's event log ("\Windows\device-events.log"), where the
// platform records resets, power requests and the like.
std::vector<std::string> DeviceEventLines();

// How many top-level windows of class `cls` there are.
int CountTopWindows(LPCWSTR cls);

// Turns the screen to width x height; true once the system reports the new size.
bool SetScreen(int width, int height);

// A plain top-level window (class "QuintarTestWindow"), e.g. the owner of boxes under test.
UniqueWindow CreateTestWindow(LPCWSTR title = L"Test", DWORD style = WS_OVERLAPPEDWINDOW);

// The text of a window or of a dialog control.
using quintar::win32::WindowText;
inline std::wstring DlgItemText(HWND dialog, int id) { return quintar::win32::ControlText(dialog, id); }

}  // namespace testsupport

#include "testsupport/testsupport.h"

#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace testsupport {

// ---- Message pumps -------------------------------------------------------------------------

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return done();
    const DWORD wait = static_cast<DWORD>(deadline - now < 10 ? deadline - now : 10);
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

HWND WaitForWindow(LPCWSTR className, LPCWSTR title, DWORD timeoutMs) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = FindWindowW(className, title)) != nullptr; }, timeoutMs);
  return found;
}

// ---- Dialog responder ----------------------------------------------------------------------

namespace {

constexpr UINT_PTR kAnswerTimer = 0x7E57A001;
constexpr UINT_PTR kStuckTimer = 0x7E57A002;
constexpr int kMessageBoxTextId = 0xFFFF;  // the static holding a message box's text

thread_local DialogResponder* tlsResponder = nullptr;

bool Matches(const Rule& rule, const std::wstring& subject) {
  return rule.match == Match::Exact ? subject == rule.pattern : subject.find(rule.pattern) != std::wstring::npos;
}

bool IsDialogWindow(HWND hwnd) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  return std::wcscmp(cls, L"#32770") == 0 && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) == 0;
}

// The buttons and icon of a box that did not come through MessageBoxW/ExW, read off the box.
UINT InferMessageBoxStyle(HWND box) {
  const auto has = [box](int id) { return GetDlgItem(box, id) != nullptr; };
  UINT style = MB_OK;
  if (has(IDYES) && has(IDNO)) {
    style = has(IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
  } else if (has(IDABORT)) {
    style = MB_ABORTRETRYIGNORE;
  } else if (has(IDTRYAGAIN)) {
    style = MB_CANCELTRYCONTINUE;
  } else if (has(IDRETRY)) {
    style = MB_RETRYCANCEL;
  } else if (has(IDOK) && has(IDCANCEL)) {
    style = MB_OKCANCEL;
  }
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    const struct {
      LPCWSTR id;
      UINT flag;
    } icons[] = {{IDI_HAND, MB_ICONHAND},
                 {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_ASTERISK, MB_ICONASTERISK}};
    for (const auto& i : icons) {
      if (icon != nullptr && icon == LoadIconW(nullptr, i.id)) style |= i.flag;
    }
  }
  return style;
}

}  // namespace

struct DialogResponder::Pending {
  std::size_t record;  // index into boxes_
  HWND hwnd = nullptr;
};

struct DialogResponder::Impl {
  struct Tracked {
    bool isBox = false;
    std::size_t record = 0;
  };

  DialogResponder& self;
  HHOOK hook = nullptr;
  std::vector<Pending> pending;  // message boxes being shown through the patched calls
  std::map<HWND, Tracked> tracked;

  explicit Impl(DialogResponder& r) : self(r) {}

  static int ShowBoxFor(DialogResponder& r, const MSGBOXPARAMSW& params);

  static LRESULT CALLBACK CallWndRetProc(int code, WPARAM wp, LPARAM lp) {
    DialogResponder* r = tlsResponder;
    if (code == HC_ACTION && r != nullptr) {
      const auto* msg = reinterpret_cast<const CWPRETSTRUCT*>(lp);
      try {
        if (msg->message == WM_INITDIALOG && IsDialogWindow(msg->hwnd)) {
          // A nested responder's hook sees the same message: the first call tracks it.
          if (r->impl_->tracked.count(msg->hwnd) == 0) r->impl_->Track(msg->hwnd);
        } else if (msg->message == WM_NCDESTROY) {
          r->impl_->tracked.erase(msg->hwnd);  // handles are reused
        }
      } catch (...) {
      }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  void Track(HWND hwnd) {
    Tracked t;
    // A box is made by user32 (Wine gives it no instance); a dialog of a module may have an
    // unnamed static too.
    const auto instance = reinterpret_cast<HMODULE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    const bool looksLikeBox = GetDlgItem(hwnd, kMessageBoxTextId) != nullptr &&
                              (instance == nullptr || instance == GetModuleHandleW(L"user32.dll"));
    const bool pendingBox = !pending.empty() && pending.back().hwnd == nullptr;
    if (pendingBox && looksLikeBox) {
      pending.back().hwnd = hwnd;
      t.isBox = true;
      t.record = pending.back().record;
    } else if (looksLikeBox) {
      MessageBoxRecord rec;
      rec.owner = GetWindow(hwnd, GW_OWNER);
      rec.text = DlgItemText(hwnd, kMessageBoxTextId);
      rec.caption = WindowText(hwnd);
      rec.style = InferMessageBoxStyle(hwnd);
      self.boxes_.push_back(std::move(rec));
      t.isBox = true;
      t.record = self.boxes_.size() - 1;
    } else {
      DialogRecord rec;
      rec.caption = WindowText(hwnd);
      self.dialogs_.push_back(std::move(rec));
      t.record = self.dialogs_.size() - 1;
    }
    tracked[hwnd] = t;
    SetTimer(hwnd, kAnswerTimer, self.answerDelayMs_, AnswerTimerProc);
  }

  const Rule* FindRule(HWND hwnd, const Tracked& t) {
    std::wstring caption, text;
    std::vector<std::wstring> texts;
    if (t.isBox && t.record < self.boxes_.size()) {
      texts.push_back(self.boxes_[t.record].text);
      caption = self.boxes_[t.record].caption;
    } else {
      caption = WindowText(hwnd);
      for (HWND c = GetWindow(hwnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        texts.push_back(WindowText(c));
    }
    for (Rule& rule : self.rules_) {
      if (rule.times == 0) continue;
      bool hit = false;
      if (rule.on == Rule::On::Caption) {
        hit = Matches(rule, caption);
      } else {
        for (const auto& s : texts) hit = hit || Matches(rule, s);
      }
      if (hit) {
        if (rule.times > 0) --rule.times;
        return &rule;
      }
    }
    return nullptr;
  }

  void Answer(HWND hwnd) {
    auto it = tracked.find(hwnd);
    if (it == tracked.end()) {
      Track(hwnd);  // records were cleared meanwhile; start over
      return;
    }
    const Tracked t = it->second;
    const Rule* rule = FindRule(hwnd, t);
    if (rule == nullptr && self.leaveUnmatched_) return;

    int button = IDCANCEL;
    if (rule != nullptr) {
      button = rule->button;
      for (const auto& [id, text] : rule->fills) SetDlgItemTextW(hwnd, id, text.c_str());
    } else if (t.isBox) {
      for (int id : {IDCANCEL, IDNO, IDABORT, IDOK, IDCONTINUE}) {
        if (GetDlgItem(hwnd, id) != nullptr) {
          button = id;
          break;
        }
      }
    }
    if (t.isBox && t.record < self.boxes_.size()) {
      self.boxes_[t.record].answer = button;
      self.boxes_[t.record].expected = rule != nullptr;
    } else if (!t.isBox && t.record < self.dialogs_.size()) {
      self.dialogs_[t.record].answer = button;
      self.dialogs_[t.record].expected = rule != nullptr;
    }
    if (self.stuckTimeoutMs_ != 0) SetTimer(hwnd, kStuckTimer, self.stuckTimeoutMs_, StuckTimerProc);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, button)));
  }

  void Stuck(HWND hwnd) {
    auto it = tracked.find(hwnd);
    if (it != tracked.end()) {
      const Tracked t = it->second;
      if (t.isBox && t.record < self.boxes_.size()) {
        self.boxes_[t.record].expected = false;
      } else if (!t.isBox && t.record < self.dialogs_.size()) {
        self.dialogs_[t.record].expected = false;
        self.dialogs_[t.record].forced = true;
      }
    }
    EndDialog(hwnd, IDCANCEL);
  }

  static void CALLBACK AnswerTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    if (DialogResponder* r = tlsResponder) {
      try {
        r->impl_->Answer(hwnd);
      } catch (...) {
      }
    }
  }

  static void CALLBACK StuckTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    if (DialogResponder* r = tlsResponder) {
      try {
        r->impl_->Stuck(hwnd);
      } catch (...) {
      }
    }
  }

  // Called by the patched MessageBoxW/ExW on this thread.
  int ShowBox(const MSGBOXPARAMSW& params) {
    std::size_t index = 0;
    bool recorded = false;
    try {
      MessageBoxRecord rec;
      rec.owner = params.hwndOwner;
      rec.text = params.lpszText != nullptr ? params.lpszText : L"";
      rec.caption = params.lpszCaption != nullptr ? params.lpszCaption : L"";
      rec.style = params.dwStyle;
      rec.styleKnown = true;
      self.boxes_.push_back(std::move(rec));
      index = self.boxes_.size() - 1;
      pending.push_back({index, nullptr});
      recorded = true;
    } catch (...) {
    }
    MSGBOXPARAMSW copy = params;
    const int result = MessageBoxIndirectW(&copy);
    if (recorded) {
      if (!pending.empty()) {
        tracked.erase(pending.back().hwnd);
        pending.pop_back();
      }
      if (index < self.boxes_.size()) self.boxes_[index].answer = result;
    }
    return result;
  }
};

// ---- MessageBoxW / MessageBoxExW interception --------------------------------------------
//
// A box's style is only known to its caller, so the two calls are redirected process-wide to
// functions that record the call on the thread's responder and show the box through
// MessageBoxIndirectW. Patching the functions themselves, rather than import tables, also
// catches modules loaded later and callers that use GetProcAddress.

namespace {

int ForwardToIndirect(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, WORD language) {
  MSGBOXPARAMSW params{};
  params.cbSize = sizeof params;
  params.hwndOwner = owner;
  params.lpszText = text;
  params.lpszCaption = caption;
  params.dwStyle = type;
  params.dwLanguageId = language;
  if (DialogResponder* r = tlsResponder) return DialogResponder::Impl::ShowBoxFor(*r, params);
  return MessageBoxIndirectW(&params);
}

int WINAPI HookMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return ForwardToIndirect(owner, text, caption, type, 0);
}

int WINAPI HookMessageBoxExW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, WORD language) {
  return ForwardToIndirect(owner, text, caption, type, language);
}

// mov rax, imm64; jmp rax (rax is free at a function's entry on x64).
bool PatchJump(void* target, const void* hook) {
  if (target == nullptr) return false;
  unsigned char code[12] = {0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xE0};
  std::memcpy(code + 2, &hook, sizeof hook);
  DWORD old = 0;
  if (!VirtualProtect(target, sizeof code, PAGE_EXECUTE_READWRITE, &old)) return false;
  std::memcpy(target, code, sizeof code);
  VirtualProtect(target, sizeof code, old, &old);
  FlushInstructionCache(GetCurrentProcess(), target, sizeof code);
  return true;
}

bool g_intercepting = false;

void InstallInterception() {
  static std::once_flag once;
  std::call_once(once, [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return;
    auto* boxW = reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxW"));
    auto* boxExW = reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxExW"));
    if (boxW == nullptr || boxExW == nullptr) return;
    g_intercepting = PatchJump(boxW, reinterpret_cast<const void*>(&HookMessageBoxW)) &&
                     PatchJump(boxExW, reinterpret_cast<const void*>(&HookMessageBoxExW));
  });
}

}  // namespace

int DialogResponder::Impl::ShowBoxFor(DialogResponder& r, const MSGBOXPARAMSW& params) {
  return r.impl_->ShowBox(params);
}

bool DialogResponder::InterceptsMessageBoxes() { return g_intercepting; }

DialogResponder::DialogResponder() : impl_(std::make_unique<Impl>(*this)) {
  InstallInterception();
  previous_ = tlsResponder;
  tlsResponder = this;
  impl_->hook = SetWindowsHookExW(WH_CALLWNDPROCRET, Impl::CallWndRetProc, nullptr, GetCurrentThreadId());
}

DialogResponder::~DialogResponder() {
  if (impl_->hook != nullptr) UnhookWindowsHookEx(impl_->hook);
  for (const auto& [hwnd, t] : impl_->tracked) {
    if (IsWindow(hwnd)) {
      KillTimer(hwnd, kAnswerTimer);
      KillTimer(hwnd, kStuckTimer);
    }
  }
  tlsResponder = previous_;
}

RuleRef DialogResponder::Add(Rule::On on, std::wstring pattern, int button, Match match) {
  Rule rule;
  rule.on = on;
  rule.pattern = std::move(pattern);
  rule.button = button;
  rule.match = match;
  rules_.push_back(std::move(rule));
  return RuleRef(*this, rules_.size() - 1);
}

RuleRef DialogResponder::OnCaption(std::wstring caption, int button, Match match) {
  return Add(Rule::On::Caption, std::move(caption), button, match);
}

RuleRef DialogResponder::OnText(std::wstring text, int button, Match match) {
  return Add(Rule::On::Text, std::move(text), button, match);
}

void DialogResponder::ClearRules() { rules_.clear(); }

int DialogResponder::UnexpectedCount() const {
  int n = 0;
  for (const auto& b : boxes_) n += !b.expected;
  for (const auto& d : dialogs_) n += !d.expected;
  return n;
}

void DialogResponder::ClearRecords() {
  boxes_.clear();
  dialogs_.clear();
  impl_->tracked.clear();
  impl_->pending.clear();
}

RuleRef& RuleRef::Fill(int controlId, std::wstring text) {
  owner_.rules_[index_].fills.emplace_back(controlId, std::move(text));
  return *this;
}

RuleRef& RuleRef::Times(int n) {
  owner_.rules_[index_].times = n;
  return *this;
}

// ---- RAII helpers --------------------------------------------------------------------------

ScopedWindowClass::ScopedWindowClass(LPCWSTR name, WNDPROC proc) : name_(name) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name_.c_str();
  atom_ = RegisterClassW(&wc);
}

ScopedWindowClass::~ScopedWindowClass() {
  if (atom_ != 0) UnregisterClassW(name_.c_str(), GetModuleHandleW(nullptr));
}

UniqueWindow CreateTestWindow(LPCWSTR title, DWORD style) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"QuintarTestWindow";
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered) return UniqueWindow();
  return UniqueWindow(CreateWindowExW(0, L"QuintarTestWindow", title, style, 0, 0, 200, 150, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
}

ChildProcess& ChildProcess::operator=(ChildProcess&& o) noexcept {
  if (this != &o) {
    Kill();
    process_ = std::move(o.process_);
  }
  return *this;
}

DWORD ChildProcess::Wait(DWORD ms) const {
  DWORD code = STILL_ACTIVE;
  if (process_ && WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0) GetExitCodeProcess(process_.get(), &code);
  return code;
}

DWORD ChildProcess::WaitPumping(DWORD ms) const {
  DWORD code = STILL_ACTIVE;
  if (process_ && PumpUntil([&] { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, ms))
    GetExitCodeProcess(process_.get(), &code);
  return code;
}

void ChildProcess::Kill() {
  if (!process_) return;
  if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 5000);
  }
  process_.reset();
}

ChildProcess StartProgram(const std::wstring& program, const std::wstring& arguments, bool verbatim) {
  std::wstring line = verbatim ? arguments : L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(verbatim ? program.c_str() : nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    return {};
  return ChildProcess(pi);
}

int RunProgram(const std::wstring& commandLine, std::string* output, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  quintar::win32::KernelHandle readEnd, writeEnd;
  if (!CreatePipe(readEnd.put(), writeEnd.put(), &sa, 0)) return -1;
  SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  std::wstring line = commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd.get();
  si.hStdError = writeEnd.get();
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  writeEnd.reset();  // the child's copy alone keeps the pipe open, so its end is seen
  if (!started) return -1;
  ChildProcess process(pi);
  // Read as it comes, so a full pipe never stalls the program; a program that outlives the time
  // limit is ended and reported as -1.
  std::string text;
  const DWORD start = GetTickCount();
  bool ended = false;
  for (;;) {
    DWORD available = 0;
    while (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[4096];
      DWORD got = 0;
      if (!ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) || got == 0) break;
      text.append(buffer, got);
    }
    if (ended) break;
    ended = WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0;
    if (!ended && GetTickCount() - start > timeoutMs) break;
  }
  if (output) *output = text;
  if (!ended) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

std::string ReadFileBytes(const std::wstring& path) {
  const quintar::win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  std::string text;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return text;
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
  quintar::win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  const bool wrote = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size();
  return file.Close() && wrote;
}

int CountTopWindows(LPCWSTR cls) {
  int count = 0;
  for (HWND w = FindWindowW(cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr)) ++count;
  return count;
}

bool SaveScreenBitmap(const std::wstring& path) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  const quintar::win32::WindowDc screenDc(nullptr);
  const HDC screen = screenDc.get();
  const quintar::win32::MemoryDc memoryDc(CreateCompatibleDC(screen));
  const HDC memory = memoryDc.get();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const quintar::win32::Bitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bool ok = static_cast<bool>(bitmap);
  if (ok) {
    {
      const quintar::win32::Selection selected(memory, bitmap.get());
      BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    }
    const DWORD imageBytes = ((static_cast<DWORD>(w) * 3 + 3) & ~3u) * static_cast<DWORD>(h);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    const quintar::win32::FileHandle out(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ok = static_cast<bool>(out);
    if (ok) {
      DWORD written = 0;
      ok = WriteFile(out.get(), &file, sizeof file, &written, nullptr) &&
           WriteFile(out.get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
           WriteFile(out.get(), bits, imageBytes, &written, nullptr);
    }
  }
  return ok;
}

std::vector<std::string> DeviceEventLines() {
  std::vector<std::string> lines;
  const std::string text = ReadFileBytes(L"\\Windows\\device-events.log");
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

bool SetScreen(int width, int height) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL &&
         GetSystemMetrics(SM_CXSCREEN) == width && GetSystemMetrics(SM_CYSCREEN) == height;
}

}  // namespace testsupport

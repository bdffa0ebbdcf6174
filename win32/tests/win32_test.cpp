// The building blocks' rules: which handles each owner closes, guards on every path, and the
// dispatch tables' enabled rule.
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "win32/handle.h"
#include "win32/messagebox.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/text.h"
#include "win32/window.h"

namespace win32 = quintar::win32;

namespace {

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

bool IsOpenKey(HKEY key) { return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; }

TEST(Owner, ClosesOnceAndOnlyWhatItOwns) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(raw);
  {
    win32::KernelHandle first(raw);
    win32::KernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    win32::KernelHandle third;
    third = std::move(second);
    EXPECT_TRUE(IsOpenHandle(raw));  // a move closes nothing
  }
  EXPECT_FALSE(IsOpenHandle(raw));

  HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    win32::KernelHandle owner(kept);
    EXPECT_EQ(owner.release(), kept);
  }
  EXPECT_TRUE(IsOpenHandle(kept));
  win32::KernelHandle(kept).reset();
  EXPECT_FALSE(IsOpenHandle(kept));

  // A file's failure value is INVALID_HANDLE_VALUE, never closed; Close() reports the result.
  win32::FileHandle missing(CreateFileW(L"\\no such folder\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(missing);
  EXPECT_TRUE(missing.Close());
  win32::FileHandle written(CreateFileW(L"\\owner.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  ASSERT_TRUE(written);
  EXPECT_TRUE(written.Close());
  EXPECT_FALSE(written);
}

TEST(Owner, RegistryRootsAreNeverClosed) {
  {
    win32::RegKey root(HKEY_CURRENT_USER);
  }
  EXPECT_TRUE(IsOpenKey(HKEY_CURRENT_USER));
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &opened), ERROR_SUCCESS);
  win32::RegKey key(opened);
  EXPECT_TRUE(IsOpenKey(opened));
  key.reset();
  EXPECT_FALSE(IsOpenKey(opened));
  EXPECT_TRUE(win32::IsPredefinedKey(HKEY_LOCAL_MACHINE));
  EXPECT_TRUE(win32::IsPredefinedKey(HKEY_CLASSES_ROOT));
  EXPECT_FALSE(win32::IsPredefinedKey(nullptr));
}

TEST(ScopeGuard, RunsOnEveryPathUnlessDismissed) {
  std::vector<int> calls;
  try {
    auto guard = win32::Paired([&] { calls.push_back(1); }, [&] { calls.push_back(2); });
    throw std::runtime_error("midway");
  } catch (const std::runtime_error&) {
  }
  {
    win32::ScopeGuard dismissed([&] { calls.push_back(3); });
    dismissed.Dismiss();
  }
  EXPECT_EQ(calls, (std::vector<int>{1, 2}));
}

TEST(Text, ConvertsWithoutLoss) {
  const std::wstring text = L"Caf\u00e9 \xD83D\xDE00";
  EXPECT_EQ(win32::Wide(win32::U16(text)), text);
  EXPECT_EQ(win32::Utf8(text), "Caf\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(win32::Utf8(L""), "");
}

// ---- Dispatch --------------------------------------------------------------------------------

constexpr int kCopy = 100, kPaste = 101, kRecentFirst = 110, kRecentLast = 119, kThrow = 120;

class Probe : public win32::Window<Probe> {
 public:
  HWND Open() {
    WNDCLASSW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Win32TestProbe";
    if (!RegisterClass(wc)) return nullptr;
    return Create(0, L"Win32TestProbe", L"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 100, 100}, nullptr, wc.hInstance);
  }
  ~Probe() {
    if (hwnd()) DestroyWindow(hwnd());
  }

  bool canPaste = false;
  std::vector<int> ran;
  int sized = 0;
  bool finished = false;

 private:
  friend Window;
  static std::span<const win32::CommandEntry<Probe>> Commands() noexcept {
    static constexpr win32::CommandEntry<Probe> kTable[] = {
        win32::Command<&Probe::Copy>(kCopy),
        win32::Command<&Probe::Paste, &Probe::CanPaste>(kPaste),
        win32::Command<&Probe::OpenRecent, &Probe::HasRecent>(kRecentFirst, kRecentLast),
        win32::Command<&Probe::Throw>(kThrow),
    };
    return kTable;
  }
  static std::span<const win32::MessageEntry<Probe>> Messages() noexcept {
    static constexpr win32::MessageEntry<Probe> kTable[] = {win32::On<&Probe::OnSize>(WM_SIZE)};
    return kTable;
  }
  void Copy() { ran.push_back(kCopy); }
  void Paste() { ran.push_back(kPaste); }
  bool CanPaste() const { return canPaste; }
  void OpenRecent(int id) { ran.push_back(id); }
  bool HasRecent(int id) const { return id < kRecentFirst + 2; }
  void Throw() { throw std::runtime_error("handler failed"); }
  LRESULT OnSize(WPARAM, LPARAM) {
    ++sized;
    return 0;
  }
  void OnFinalMessage() noexcept { finished = true; }
};

TEST(WindowBase, ACommandThatIsNotEnabledIsGreyedAndIgnored) {
  Probe probe;
  HWND window = probe.Open();
  ASSERT_TRUE(window) << "CreateWindowExW failed with " << GetLastError();
  auto command = [&](int id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); };
  command(kCopy);
  command(kPaste);  // not enabled: ignored
  probe.canPaste = true;
  command(kPaste);
  command(kRecentFirst + 1);
  command(kRecentFirst + 5);  // inside the range, not enabled
  command(kThrow);            // the exception stays inside the window procedure
  EXPECT_EQ(probe.ran, (std::vector<int>{kCopy, kPaste, kRecentFirst + 1}));
  EXPECT_TRUE(IsWindow(window));

  win32::Menu menu(CreatePopupMenu());
  for (int id : {kCopy, kPaste, kRecentFirst, kRecentFirst + 5}) AppendMenuW(menu.get(), MF_STRING, id, L"x");
  probe.canPaste = false;
  SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.get()), 0);
  auto greyed = [&](int id) { return (GetMenuState(menu.get(), id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
  EXPECT_FALSE(greyed(kCopy));
  EXPECT_TRUE(greyed(kPaste));
  EXPECT_FALSE(greyed(kRecentFirst));
  EXPECT_TRUE(greyed(kRecentFirst + 5));

  SendMessageW(window, WM_SIZE, 0, 0);
  EXPECT_EQ(probe.sized, 1);
  DestroyWindow(window);
  EXPECT_TRUE(probe.finished);
  EXPECT_EQ(probe.hwnd(), nullptr);
}

class Prompt : public win32::Dialog<Prompt> {
 public:
  std::vector<int> ran;
  bool initialised = false;

 private:
  friend Dialog;
  static std::span<const win32::CommandEntry<Prompt>> Commands() noexcept {
    static constexpr win32::CommandEntry<Prompt> kTable[] = {
        win32::Command<&Prompt::Ok>(IDOK),
        win32::Command<&Prompt::Retry, &Prompt::Never>(IDRETRY),
    };
    return kTable;
  }
  static std::span<const win32::DialogMessageEntry<Prompt>> Messages() noexcept {
    static constexpr win32::DialogMessageEntry<Prompt> kTable[] = {win32::On<&Prompt::OnInit>(WM_INITDIALOG)};
    return kTable;
  }
  INT_PTR OnInit(WPARAM, LPARAM) {
    initialised = true;
    return TRUE;
  }
  void Ok() {
    ran.push_back(IDOK);
    DestroyWindow(hwnd());
  }
  void Retry() { ran.push_back(IDRETRY); }
  bool Never() const { return false; }
};

TEST(DialogBase, KeepsThisAndAppliesTheSameRule) {
  alignas(4) WORD templ[16] = {};
  auto* header = reinterpret_cast<DLGTEMPLATE*>(templ);
  header->style = WS_POPUP;
  header->cx = 50;
  header->cy = 20;
  Prompt prompt;
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), header, nullptr, Prompt::Proc, prompt.Param());
  ASSERT_TRUE(dialog) << "CreateDialogIndirectParamW failed with " << GetLastError();
  EXPECT_TRUE(prompt.initialised);
  EXPECT_EQ(prompt.hwnd(), dialog);
  SendMessageW(dialog, WM_COMMAND, IDRETRY, 0);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(prompt.ran, (std::vector<int>{IDOK}));
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(prompt.hwnd(), nullptr);
}

// A long text on the small device screen, from worker threads: the box lies within the screen,
// its text is the one given (runs of spaces too) with room for every wrapped line, and Yes and No
// follow it side by side.
constexpr wchar_t kLongText[] =
    L"You are installing Zek Quintar on a storage card.Zek Quintar is a system application,so it will install "
    L"Zek Quintar using the default application install directory.                          Do you wish to "
    L"continue setup?";

bool Within(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

TEST(ScreenMessageBox, ALongTextWrapsToTheScreenOnEveryThread) {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  ASSERT_LT(screen.right, 600) << "the device's screen is a small one";
  for (const wchar_t* caption : {L"Box of a worker", L"Box of another worker"}) {
    int answer = 0;
    std::thread shower([&] { answer = win32::ScreenMessageBox(nullptr, kLongText, caption, MB_YESNO | MB_ICONHAND); });
    HWND box = nullptr;
    for (int i = 0; i < 100 && !(box && IsWindowVisible(box)); ++i, Sleep(50)) box = FindWindowW(L"#32770", caption);
    ASSERT_TRUE(box);
    Sleep(300);
    HWND text = GetDlgItem(box, 0xFFFF);
    wchar_t shown[512]{};
    GetWindowTextW(text, shown, 512);
    const RECT boxRect = RectOf(box), textRect = RectOf(text);
    const RECT yes = RectOf(GetDlgItem(box, IDYES)), no = RectOf(GetDlgItem(box, IDNO));
    win32::WindowDc dc(text);
    win32::Selection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(text, WM_GETFONT, 0, 0)));
    RECT wrapped{0, 0, textRect.right - textRect.left, 0};
    DrawTextW(dc.get(), shown, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    shower.join();

    EXPECT_EQ(answer, IDNO);
    EXPECT_TRUE(Within(boxRect, screen));
    EXPECT_TRUE(Within(textRect, boxRect) && Within(yes, boxRect) && Within(no, boxRect));
    EXPECT_STREQ(shown, kLongText);
    EXPECT_GE(textRect.bottom - textRect.top, wrapped.bottom);
    EXPECT_LT(yes.right, no.left);
    EXPECT_GE(yes.top, textRect.bottom);
  }
}

}  // namespace

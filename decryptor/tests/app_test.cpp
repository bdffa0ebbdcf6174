// decryptor.exe started for real on the device: its dialog, its messages, what it writes and
// deletes, and its exit code.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "enfcrypt/enfile.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

namespace {

constexpr wchar_t kProgram[] = L"T:\\decryptor.exe";
constexpr wchar_t kWrongPassword[] = L"Sorry Your Decryption Password Is Wrong !!!";
constexpr wchar_t kErrorCaption[] = L"Error Decryption File";

using Process = testsupport::ChildProcess;

// `arguments` is appended after the program's name and one space, or nothing when empty.
Process Start(const std::wstring& arguments) {
  std::wstring line = std::wstring(L"\"") + kProgram + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  return testsupport::StartProgram(kProgram, line, true);
}

std::wstring Text(HWND window) {
  wchar_t buffer[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

// The text of a message box: its static control that is not the icon.
std::wstring BoxText(HWND box) {
  for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
       child = FindWindowExW(box, child, L"Static", nullptr)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON && !Text(child).empty()) return Text(child);
  }
  return {};
}

bool HasIcon(HWND box) {
  for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
       child = FindWindowExW(box, child, L"Static", nullptr))
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return true;
  return false;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Read(const std::wstring& path) {
  quintar::win32::FileHandle h(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) return "<missing>";
  std::string data(1 << 16, '\0');
  DWORD got = 0;
  ReadFile(h.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
  data.resize(got);
  return data;
}

bool Write(const std::wstring& path, const std::string& data) {
  quintar::win32::FileHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!h) return false;
  DWORD put = 0;
  return data.empty() || WriteFile(h.get(), data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
}

std::vector<std::wstring> Listing(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  quintar::win32::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
  if (!find) return names;
  do names.push_back(fd.cFileName);
  while (FindNextFileW(find.get(), &fd));
  return names;
}

// A stand-in soft input panel, so the program's SIP switch can be watched.
class FakeSip {
 public:
  FakeSip() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SipWndClass";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"SipWndClass", L"", WS_POPUP, 0, 200, 240, 80, nullptr, nullptr,
                              wc.hInstance, nullptr);
  }
  ~FakeSip() { DestroyWindow(window_); }
  bool Shown() const { return IsWindowVisible(window_) != FALSE; }
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

class DecryptorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = L"\\dectest" + std::to_wstring(++counter_);
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    plain_ = folder_ + L"\\report.txt";
    encrypted_ = plain_ + L".enf";
    ASSERT_TRUE(Write(plain_, content_));
    ASSERT_EQ(quintar::enfcrypt::EncryptFile(plain_, "letmein"), quintar::enfcrypt::FileResult::Ok);
    ASSERT_TRUE(DeleteFileW(plain_.c_str()));
  }

  HWND WaitForDialog() {
    HWND dialog = testsupport::WaitForWindow(L"#32770", L"Decryption File", 15000);
    if (dialog) testsupport::PumpUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5000);
    return dialog;
  }

  // Types the password, sets the box, presses Decrypt; returns the error box's text if one
  // came (and closes it), or empty.
  std::wstring Decrypt(HWND dialog, const wchar_t* password, bool deleteFile, std::wstring* caption = nullptr,
                       bool* icon = nullptr) {
    SendMessageW(GetDlgItem(dialog, 1001), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password));
    SendMessageW(GetDlgItem(dialog, 1003), BM_SETCHECK, deleteFile ? BST_CHECKED : BST_UNCHECKED, 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1000)));
    HWND box = nullptr;
    testsupport::PumpUntil(
        [&] {
          box = FindWindowW(L"#32770", kErrorCaption);
          return box != nullptr || !IsWindow(dialog);
        },
        15000);
    if (!box) {
      testsupport::PumpFor(100);
      box = FindWindowW(L"#32770", kErrorCaption);
    }
    if (!box) return {};
    testsupport::PumpUntil([&] { return IsWindowVisible(box) != FALSE; }, 5000);
    if (caption) *caption = Text(box);
    if (icon) *icon = HasIcon(box);
    const std::wstring text = BoxText(box);
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "the box has no owner";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return text;
  }

  const std::string content_ = "Quarterly figures, 37 bytes of text.\n";
  std::wstring folder_, plain_, encrypted_;
  static inline int counter_ = 0;
};

TEST_F(DecryptorTest, DialogShowsThePathAndSwitchesTheSoftInputPanel) {
  FakeSip sip;
  ASSERT_FALSE(sip.Shown());
  Process p = Start(encrypted_);
  ASSERT_TRUE(p);
  HWND dialog = WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Text(GetDlgItem(dialog, 1005)), encrypted_);
  EXPECT_EQ(Text(GetDlgItem(dialog, 1002)), L"Decryption Password For :");
  EXPECT_EQ(Text(GetDlgItem(dialog, 1003)), L"Delete Decryption File");
  EXPECT_EQ(Text(GetDlgItem(dialog, 1000)), L"Decrypt");
  EXPECT_EQ(Text(GetDlgItem(dialog, 1004)), L"Cancel");
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, 1001), GWL_STYLE) & ES_PASSWORD);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return sip.Shown(); }, 5000));
  // The focus is in the password box.
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
  EXPECT_EQ(gui.hwndFocus, GetDlgItem(dialog, 1001));

  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
  EXPECT_EQ(p.WaitPumping(15000), 0u);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !sip.Shown(); }, 5000));
  EXPECT_TRUE(Exists(encrypted_));
  EXPECT_FALSE(Exists(plain_));
}

TEST_F(DecryptorTest, RightPasswordWithTheDeleteBoxWritesThePlainFileAndRemovesTheEncryptedOne) {
  Process p = Start(encrypted_);
  HWND dialog = WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Decrypt(dialog, L"letmein", true), L"");
  EXPECT_EQ(p.WaitPumping(15000), 0u);
  EXPECT_EQ(Read(plain_), content_);
  EXPECT_FALSE(Exists(encrypted_));
}

// Enter and Esc are no buttons of this dialog: with the right password typed and the delete box
// ticked, neither decrypts, deletes or ends anything; the buttons still work afterwards.
TEST_F(DecryptorTest, EnterAndEscNeitherDecryptNorEndTheDialog) {
  Process p = Start(encrypted_);
  HWND dialog = WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  const HWND password = GetDlgItem(dialog, 1001);
  SendMessageW(password, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"letmein"));
  SendMessageW(GetDlgItem(dialog, 1003), BM_SETCHECK, BST_CHECKED, 0);
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    PostMessageW(password, WM_KEYDOWN, key, 1);
    PostMessageW(password, WM_KEYUP, key, 0xC0000001);
  }
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);  // what the dialog manager makes of the keys
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  testsupport::PumpFor(1000);
  EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays";
  EXPECT_FALSE(Exists(plain_)) << "nothing written";
  EXPECT_TRUE(Exists(encrypted_)) << "nothing deleted";
  EXPECT_EQ(Decrypt(dialog, L"letmein", true), L"");
  EXPECT_EQ(p.WaitPumping(15000), 0u);
  EXPECT_EQ(Read(plain_), content_);
  EXPECT_FALSE(Exists(encrypted_));
}

TEST_F(DecryptorTest, RightPasswordWithoutTheDeleteBoxKeepsTheEncryptedFile) {
  Process p = Start(encrypted_);
  HWND dialog = WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Decrypt(dialog, L"letmein", false), L"");
  EXPECT_EQ(p.WaitPumping(15000), 0u);
  EXPECT_EQ(Read(plain_), content_);
  EXPECT_TRUE(Exists(encrypted_));
}

TEST_F(DecryptorTest, WrongPasswordWithTheDeleteBoxKeepsEverythingAndSaysSo) {
  for (const wchar_t* wrong : {L"letmein!", L"letme", L""}) {
    Process p = Start(encrypted_);
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    std::wstring caption;
    bool icon = false;
    EXPECT_EQ(Decrypt(dialog, wrong, true, &caption, &icon), kWrongPassword) << wrong;
    EXPECT_EQ(caption, kErrorCaption);
    EXPECT_TRUE(icon);
    EXPECT_EQ(p.WaitPumping(15000), 0u);
    EXPECT_TRUE(Exists(encrypted_));
    EXPECT_FALSE(Exists(plain_));
  }
}

TEST_F(DecryptorTest, EmptyAndQuotedCommandLinesNameNoFile) {
  const auto before = Listing(L"");
  {
    Process p = Start(L"");
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(GetDlgItem(dialog, 1005)), L"");
    EXPECT_EQ(Decrypt(dialog, L"letmein", true), kWrongPassword);
    EXPECT_EQ(p.WaitPumping(15000), 0u);
  }
  EXPECT_EQ(Listing(L""), before) << "nothing is written for an empty command line";
  {
    const std::wstring quoted = L"\"" + encrypted_ + L"\"";
    Process p = Start(quoted);
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(GetDlgItem(dialog, 1005)), quoted) << "the quotes are kept";
    EXPECT_EQ(Decrypt(dialog, L"letmein", true), kWrongPassword);
    EXPECT_EQ(p.WaitPumping(15000), 0u);
  }
  EXPECT_TRUE(Exists(encrypted_));
  EXPECT_FALSE(Exists(plain_));
}

TEST_F(DecryptorTest, AnExistingOutputIsReportedAndNothingIsOverwrittenOrDeleted) {
  ASSERT_TRUE(Write(plain_, "someone else's file"));
  Process p = Start(encrypted_);
  HWND dialog = WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Decrypt(dialog, L"letmein", true),
            quintar::enfcrypt::FileResultText(quintar::enfcrypt::FileResult::OutputExists));
  EXPECT_EQ(p.WaitPumping(15000), 0u);
  EXPECT_EQ(Read(plain_), "someone else's file");
  EXPECT_TRUE(Exists(encrypted_));
}

}  // namespace

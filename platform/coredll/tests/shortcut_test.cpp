// The device's shortcut files and its ShellExecuteEx, checked through the files written and the
// launch log of the programs started.
#include <ceservices.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/coredll/tests/test_util.h"

using namespace quintar::coredll::tests;
namespace win32 = quintar::win32;

namespace {

constexpr wchar_t kFolder[] = L"\\ShortcutTest";

bool Create(const std::wstring& shortcut, const std::wstring& target) {
  return SHCreateShortcut(const_cast<wchar_t*>(shortcut.c_str()), const_cast<wchar_t*>(target.c_str())) != FALSE;
}

// The target read back, or "error <code>".
std::wstring Read(const std::wstring& shortcut, int cbMax = MAX_PATH) {
  wchar_t buffer[MAX_PATH + 1];
  buffer[cbMax] = L'!';
  if (!SHGetShortcutTarget(const_cast<wchar_t*>(shortcut.c_str()), buffer, cbMax))
    return L"error " + std::to_wstring(GetLastError()) + (buffer[cbMax] == L'!' ? L"" : L" overrun");
  return buffer[cbMax] == L'!' ? buffer : L"overrun";
}

DWORD CreateError(const std::wstring& shortcut, const std::wstring& target) {
  SetLastError(0);
  return Create(shortcut, target) ? ERROR_SUCCESS : GetLastError();
}

class ShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(kFolder);
    MakeFolders(kFolder);
  }
  void TearDown() override { RemoveTree(kFolder); }
  static std::wstring In(const std::wstring& name) { return std::wstring(kFolder) + L"\\" + name; }
};

TEST_F(ShortcutTest, WritesTheDeviceFormatOnceAndReadsItBackBounded) {
  const std::wstring target = L"\"\\Program Files\\Zek\\Quintar\\Tamsk.exe\" -x";
  ASSERT_TRUE(Create(In(L"Tamsk.lnk"), target));
  EXPECT_EQ(ReadFileBytes(In(L"Tamsk.lnk")), "41#" + Utf8(target));
  EXPECT_EQ(Read(In(L"Tamsk.lnk")), target);

  // Never overwritten.
  EXPECT_EQ(CreateError(In(L"Tamsk.lnk"), L"\\Windows\\x.exe"), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(Read(In(L"Tamsk.lnk")), target);

  // Bounded by characters, terminating zero included; nothing is written past the buffer.
  EXPECT_EQ(Read(In(L"Tamsk.lnk"), 41), L"error " + std::to_wstring(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(Read(In(L"Tamsk.lnk"), 42), target);

  // The length counts UTF-16 units; the image's files (and hand-edited ones) read as well.
  const std::wstring accented = L"\"\\My Documents\\Caf\u00e9 \u00e0.txt\"";
  ASSERT_TRUE(Create(In(L"Cafe.lnk"), accented));
  EXPECT_EQ(ReadFileBytes(In(L"Cafe.lnk")).substr(0, 3), "26#");
  EXPECT_EQ(Read(In(L"Cafe.lnk")), accented);
  MakeFile(In(L"Image.lnk"), "21#\\Windows\\fexplore.exe\r\n");
  EXPECT_EQ(Read(In(L"Image.lnk")), L"\\Windows\\fexplore.exe");

  const std::wstring malformed = L"error " + std::to_wstring(ERROR_BAD_FORMAT);
  for (const char* text : {"", "#abc", "x#abc", "5#abc", "3#abcdef", "0#", "99999#abc",
                           "3#a\x01"
                           "b"}) {
    MakeFile(In(L"Bad.lnk"), text);
    EXPECT_EQ(Read(In(L"Bad.lnk")), malformed) << text;
  }
  MakeFile(In(L"Big.lnk"), ("3#abc" + std::string(5000, ' ')).c_str());
  EXPECT_EQ(Read(In(L"Big.lnk")), malformed);
  EXPECT_EQ(Read(In(L"Missing.lnk")), L"error " + std::to_wstring(ERROR_FILE_NOT_FOUND));
}

TEST_F(ShortcutTest, RefusesPathsAndTargetsOutsideTheDeviceOrTooLong) {
  const DWORD outside = ERROR_BAD_PATHNAME, tooLong = ERROR_FILENAME_EXCED_RANGE;
  EXPECT_EQ(CreateError(L"C:\\a.lnk", L"\\Windows\\x.exe"), outside);
  EXPECT_EQ(CreateError(L"\\\\server\\share\\a.lnk", L"\\Windows\\x.exe"), outside);
  EXPECT_EQ(CreateError(L"\\\\?\\C:\\a.lnk", L"\\Windows\\x.exe"), outside);
  for (const wchar_t* target :
       {L"C:\\windows\\notepad.exe", L"\"Q:\\Windows\\x.exe\" -a", L"\\\\host\\s\\x.exe", L"\"\\\\?\\C:\\x.exe\""}) {
    EXPECT_EQ(CreateError(In(L"Out.lnk"), target), outside) << target;
  }
  EXPECT_EQ(CreateError(In(std::wstring(300, L'n') + L".lnk"), L"\\Windows\\x.exe"), tooLong);
  EXPECT_EQ(CreateError(In(L"Long.lnk"), L"\\" + std::wstring(MAX_PATH, L't')), tooLong);
  EXPECT_EQ(CreateError(In(L"Ctrl.lnk"), L"\\Windows\\x.exe\r\n-y"), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CreateError(In(L"Empty.lnk"), L""), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SHCreateShortcut(nullptr, const_cast<wchar_t*>(L"\\x")));
  EXPECT_FALSE(SHGetShortcutTarget(const_cast<wchar_t*>(L"\\x.lnk"), nullptr, 10));
  EXPECT_EQ(Read(L"C:\\windows\\win.ini"), L"error " + std::to_wstring(outside));
  // Nothing was left behind by a refusal; the longest target that fits is kept whole.
  EXPECT_FALSE(GetFileAttributesW(In(L"Out.lnk").c_str()) != INVALID_FILE_ATTRIBUTES);
  const std::wstring longest = L"\\" + std::wstring(MAX_PATH - 2, L't');
  ASSERT_TRUE(Create(In(L"Longest.lnk"), longest));
  EXPECT_EQ(Read(In(L"Longest.lnk")), longest);
}

// ---- Opening through the device's shell ----

// Copies a built program from the test drive into the device.
void Install(const wchar_t* built, const std::wstring& devicePath) {
  ASSERT_TRUE(CopyFileW((std::wstring(L"T:\\") + built).c_str(), devicePath.c_str(), FALSE)) << built;
}

class ExecuteTest : public ShortcutTest {
 protected:
  void SetUp() override {
    ShortcutTest::SetUp();
    launches_.SetString(In(L"launch.log"));
    MakeFolders(L"\\Windows");
    MakeFolders(In(L"Test App"));
    // The device's own programs, as the image carries them; they record their own starts.
    for (const wchar_t* dll : {L"coredll.dll", L"aygshell.dll"}) Install(dll, std::wstring(L"\\Windows\\") + dll);
    Install(L"fexplore.exe", L"\\Windows\\fexplore.exe");
    Install(L"tmail.exe", L"\\Windows\\pword.exe");
    // A program that does not record itself: the launcher records it.
    Install(L"coredll_test.exe", In(L"Test App\\tool.exe"));
  }

  static BOOL Execute(SHELLEXECUTEINFOW& info, const std::wstring& file, const wchar_t* parameters = nullptr) {
    info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters;
    info.nShow = SW_SHOW;
    return CeShellExecuteEx(&info);
  }

  // Waits for the launch log to hold `line`; the log as read last.
  std::string WaitForLaunch(const std::string& line) {
    std::string log;
    for (int i = 0; i < 200; ++i) {
      log = ReadFileBytes(In(L"launch.log"));
      if (log.find(line + "\n") != std::string::npos) break;
      Sleep(50);
    }
    return log;
  }

  ProfileValue launches_{L"LaunchLog"};
};

TEST_F(ExecuteTest, FollowsShortcutsToProgramsAndFoldersAndOpensDocumentsByAssociation) {
  SHELLEXECUTEINFOW info;
  // A shortcut to a program with parameters: the caller's parameters follow the shortcut's.
  ASSERT_TRUE(Create(In(L"Tool.lnk"), L"\"" + In(L"Test App\\tool.exe") + L"\" --gtest_filter=None -x"));
  ASSERT_TRUE(Execute(info, In(L"Tool.lnk"), L"extra")) << GetLastError();
  EXPECT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
  ASSERT_NE(info.hProcess, nullptr);
  const win32::KernelHandle tool(info.hProcess);
  EXPECT_EQ(WaitForSingleObject(tool.get(), 20000), WAIT_OBJECT_0);
  EXPECT_NE(WaitForLaunch("tool.exe|--gtest_filter=None -x extra").find("tool.exe|--gtest_filter=None -x extra\n"),
            std::string::npos);

  // A shortcut to a folder shows the folder in File Explorer.
  MakeFolders(In(L"My Docs"));
  ASSERT_TRUE(Create(In(L"Docs.lnk"), L"\"" + In(L"My Docs") + L"\""));
  ASSERT_TRUE(Execute(info, In(L"Docs.lnk"))) << GetLastError();
  const win32::KernelHandle explorer(info.hProcess);
  const std::string explored = "fexplore.exe|\"" + Utf8(In(L"My Docs")) + "\"";
  std::string log = WaitForLaunch(explored);
  EXPECT_NE(log.find(explored + "\n"), std::string::npos) << log;
  TerminateProcess(explorer.get(), 0);

  // A document opens with the program its class names, "%1" replaced; a shortcut may name it.
  MakeFile(In(L"a b.txt"), "text");
  ASSERT_TRUE(Create(In(L"Doc.lnk"), L"\"" + In(L"a b.txt") + L"\""));
  ASSERT_TRUE(Execute(info, In(L"Doc.lnk"))) << GetLastError();
  const win32::KernelHandle word(info.hProcess);
  const std::string opened = "pword.exe|\"" + Utf8(In(L"a b.txt")) + "\"";
  log = WaitForLaunch(opened);
  EXPECT_NE(log.find(opened + "\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("|pword.exe"), std::string::npos) << "\\Windows programs record themselves, once";

  // Honest failures, without a box when the caller asks for none.
  MakeFile(In(L"data.qqq"));
  EXPECT_FALSE(Execute(info, In(L"data.qqq")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
  EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hInstApp), SE_ERR_NOASSOC);
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_FALSE(Execute(info, In(L"missing.txt")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(Execute(info, L"C:\\windows\\notepad.exe"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_PATHNAME));
  MakeFile(In(L"Bad.lnk"), "12#short");
  EXPECT_FALSE(Execute(info, In(L"Bad.lnk")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT));
}

}  // namespace

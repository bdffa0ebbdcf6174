// Folderon started for real from the test drive: single instance, the folder hand-over from a
// second start, refusal of malformed hand-overs, and the menu bar's soft keys.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport/testsupport.h"

namespace {

using testsupport::PumpFor;
using testsupport::PumpUntil;
using testsupport::WaitForWindow;
using testsupport::WindowText;

constexpr wchar_t kClass[] = L"FolderonPLUSUNI";
constexpr wchar_t kProgram[] = L"T:\\Folderon.exe";
constexpr ULONG_PTR kOpenFolder = 563;
constexpr int kAddressCombo = 1001;
constexpr int kStatus = 1002;
constexpr int kList = 1003;

class Process {
 public:
  Process() = default;
  explicit Process(PROCESS_INFORMATION pi) : process_(pi.hProcess) { CloseHandle(pi.hThread); }
  ~Process() { Kill(); }
  Process(Process&& o) noexcept : process_(o.process_) { o.process_ = nullptr; }
  Process& operator=(Process&& o) noexcept {
    if (this != &o) {
      Kill();
      process_ = o.process_;
      o.process_ = nullptr;
    }
    return *this;
  }
  HANDLE get() const { return process_; }
  explicit operator bool() const { return process_ != nullptr; }
  // Exit code once ended within the time, else STILL_ACTIVE.
  DWORD Wait(DWORD ms) const {
    DWORD code = STILL_ACTIVE;
    if (process_ && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
    return code;
  }
  void Kill() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
  }

 private:
  HANDLE process_ = nullptr;
};

Process Start(const std::wstring& arguments) {
  std::wstring line = std::wstring(L"\"") + kProgram + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
  return Process(pi);
}

HWND FindMain() { return FindWindowW(kClass, nullptr); }

HWND WaitForMain() { return WaitForWindow(kClass, L"Folderon", 15000); }

std::wstring AddressText(HWND main) {
  HWND band = nullptr;
  HWND combo = nullptr;
  // The combo box sits inside the address band.
  while ((band = FindWindowExW(main, band, nullptr, nullptr)) != nullptr) {
    combo = GetDlgItem(band, kAddressCombo);
    if (combo) break;
  }
  if (!combo) return L"<no address box>";
  // GetWindowText does not ask another process's controls; WM_GETTEXT does.
  wchar_t buffer[300] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(combo, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &result);
  return buffer;
}

// The status pane's first part (a status window answers WM_GETTEXT with it).
std::wstring StatusText(HWND main) {
  HWND status = GetDlgItem(main, kStatus);
  if (!status) return {};
  wchar_t buffer[256] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(status, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &result);
  return buffer;
}

// Memory inside another process, for control messages that carry a pointer (the system does
// not copy those across processes).
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool ok() const { return address_ != nullptr; }
  char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T bytes) const {
    return offset + bytes <= size_ && WriteProcessMemory(process_, at(offset), data, bytes, nullptr);
  }
  bool Read(SIZE_T offset, void* data, SIZE_T bytes) const {
    return offset + bytes <= size_ && ReadProcessMemory(process_, at(offset), data, bytes, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  SIZE_T size_;
};

bool SendCopyData(HWND target, ULONG_PTR tag, const void* data, DWORD bytes) {
  COPYDATASTRUCT cds{};
  cds.dwData = tag;
  cds.cbData = bytes;
  cds.lpData = const_cast<void*>(data);
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000,
                             &result) != 0;
}

void Close(Process& process, HWND main) {
  if (main && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.Wait(10000), 0u);
  PumpUntil([] { return FindMain() == nullptr; }, 5000);
}

class FolderonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindMain(), nullptr) << "a Folderon window was left over";
    first_ = Start(L"");
    ASSERT_TRUE(first_);
    main_ = WaitForMain();
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"My Pocket PC"; }, 10000))
        << "address: " << testing::PrintToString(AddressText(main_));
  }
  void TearDown() override { Close(first_, main_); }

  Process first_;
  HWND main_ = nullptr;
};

TEST_F(FolderonTest, MainWindowHasClassTitleAndPanes) {
  EXPECT_EQ(WindowText(main_), L"Folderon");
  EXPECT_TRUE(IsWindowVisible(main_));
  HWND list = GetDlgItem(main_, kList);
  ASSERT_NE(list, nullptr);
  wchar_t cls[64] = {};
  GetClassNameW(list, cls, 64);
  EXPECT_STREQ(cls, L"SysListView32");
  // The root lists the device's top folders and no up-level row.
  EXPECT_GE(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_NE(StatusText(main_).find(L" files"), std::wstring::npos) << testing::PrintToString(StatusText(main_));
}

TEST_F(FolderonTest, SecondStartHandsOverItsFolderAndExits) {
  Process second = Start(L"/FOLDER:\\My Documents");
  ASSERT_TRUE(second);
  EXPECT_EQ(second.Wait(15000), 0u);
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\My Documents"; }, 10000))
      << testing::PrintToString(AddressText(main_));
  // Still one window.
  EXPECT_EQ(FindWindowExW(nullptr, main_, kClass, nullptr), nullptr);

  // A quoted folder: only the text up to the next quote counts.
  Process third = Start(L"\"\\Windows\" ignored");
  ASSERT_TRUE(third);
  EXPECT_EQ(third.Wait(15000), 0u);
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Windows"; }, 10000))
      << testing::PrintToString(AddressText(main_));

  // A second start without a folder just ends, leaving the shown folder alone.
  Process fourth = Start(L"");
  EXPECT_EQ(fourth.Wait(15000), 0u);
  PumpFor(300);
  EXPECT_EQ(AddressText(main_), L"\\Windows");

  // A folder that does not exist is ignored.
  Process fifth = Start(L"/FOLDER:\\No Such Folder");
  EXPECT_EQ(fifth.Wait(15000), 0u);
  PumpFor(300);
  EXPECT_EQ(AddressText(main_), L"\\Windows");
}

TEST_F(FolderonTest, MalformedHandOversAreIgnored) {
  const std::wstring good = L"\\Temp";
  std::vector<wchar_t> payload(good.begin(), good.end());
  payload.push_back(L'\0');
  DWORD bytes = static_cast<DWORD>(payload.size() * sizeof(wchar_t));

  EXPECT_TRUE(SendCopyData(main_, 564, payload.data(), bytes));                 // wrong tag
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, payload.data(), bytes - 1));     // odd length
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, payload.data(), 0));             // empty
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, nullptr, 0));                    // no data
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, payload.data(), bytes - 2));     // no terminator
  std::vector<wchar_t> huge(4096, L'a');
  huge[0] = L'\\';
  huge.back() = L'\0';
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, huge.data(), static_cast<DWORD>(huge.size() * sizeof(wchar_t))));
  std::vector<wchar_t> long300(301, L'a');
  long300[0] = L'\\';
  long300.back() = L'\0';
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, long300.data(), static_cast<DWORD>(long300.size() * 2)));
  // Paths that leave the device: a drive letter, a share.
  const wchar_t drive[] = L"C:\\windows";
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, drive, sizeof drive));
  const wchar_t share[] = L"\\\\host\\share";
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, share, sizeof share));
  // A file is not a folder.
  const wchar_t file[] = L"\\My Documents\\Letters.zip";
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, file, sizeof file));

  PumpFor(300);
  ASSERT_TRUE(IsWindow(main_));
  EXPECT_EQ(AddressText(main_), L"My Pocket PC");

  // The window still takes a good request afterwards.
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, payload.data(), bytes));
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp"; }, 5000))
      << testing::PrintToString(AddressText(main_));
}

TEST_F(FolderonTest, MenuBarHasUpAndMenuSoftKeys) {
  HWND bar = nullptr;
  // The menu bar is a popup window owned by the main window.
  PumpUntil([&] {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr) {
      if (GetWindow(w, GW_OWNER) == main_ && SendMessageW(w, TB_BUTTONCOUNT, 0, 0) == 2) {
        bar = w;
        return true;
      }
    }
    return false;
  }, 5000);
  ASSERT_NE(bar, nullptr);
  RemoteBuffer remote(bar, 4096);
  ASSERT_TRUE(remote.ok());
  std::vector<std::wstring> texts;
  for (int i = 0; i < 2; ++i) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT | TBIF_BYINDEX | TBIF_COMMAND;
    info.pszText = reinterpret_cast<LPWSTR>(remote.at(1024));
    info.cchText = 64;
    const wchar_t blank[64] = {};
    ASSERT_TRUE(remote.Write(0, &info, sizeof info));
    ASSERT_TRUE(remote.Write(1024, blank, sizeof blank));
    DWORD_PTR index = 0;
    ASSERT_TRUE(SendMessageTimeoutW(bar, TB_GETBUTTONINFOW, i, reinterpret_cast<LPARAM>(remote.at(0)),
                                    SMTO_ABORTIFHUNG, 2000, &index));
    wchar_t text[64] = {};
    ASSERT_TRUE(remote.Read(0, &info, sizeof info));
    ASSERT_TRUE(remote.Read(1024, text, sizeof text));
    text[63] = L'\0';
    texts.push_back(text);
    if (i == 0) {
      EXPECT_EQ(info.idCommand, 40073);
    }
  }
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"Up", L"Menu"}));
}

TEST(FolderonStart, SecondStartWithNoneRunningStartsNormally) {
  ASSERT_EQ(FindMain(), nullptr);
  Process process = Start(L"/FOLDER:\\My Documents");
  ASSERT_TRUE(process);
  HWND main = WaitForMain();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main) == L"\\My Documents"; }, 10000))
      << testing::PrintToString(AddressText(main));
  EXPECT_EQ(process.Wait(0), STILL_ACTIVE);
  Close(process, main);
}

}  // namespace

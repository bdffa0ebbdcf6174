// Folderon started for real from the test drive: single instance, the folder hand-over from a
// second start, refusal of malformed hand-overs, and the menu bar's soft keys.
#include <windows.h>

#include <commctrl.h>

#include <ceservices.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testsupport/keycolour.h"
#include "testsupport/testsupport.h"
#include "win32/handle.h"

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
constexpr int kTree = 1004;

using Process = testsupport::ChildProcess;

Process Start(const std::wstring& arguments) { return testsupport::StartProgram(kProgram, arguments); }

constexpr wchar_t kSettings[] = L"Software\\Olvenmark\\Folderon+\\Settings";
constexpr wchar_t kRebar[] = L"Software\\Olvenmark\\Folderon+\\Settings\\Rebar";

void ClearSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Olvenmark\\Folderon+"); }

void WriteBinary(const wchar_t* key, const wchar_t* name, const void* data, DWORD bytes) {
  quintar::win32::RegKey k;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(k.get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), bytes);
}

// The value's bytes, or nothing when it is missing.
std::vector<BYTE> ReadValue(const wchar_t* key, const wchar_t* name, DWORD* type = nullptr) {
  std::vector<BYTE> data(4096);
  DWORD size = static_cast<DWORD>(data.size());
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, type, data.data(), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  data.resize(size);
  return data;
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
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_) {
      address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool ok() const { return address_ != nullptr; }
  char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T bytes) const {
    return offset + bytes <= size_ && WriteProcessMemory(process_.get(), at(offset), data, bytes, nullptr);
  }
  bool Read(SIZE_T offset, void* data, SIZE_T bytes) const {
    return offset + bytes <= size_ && ReadProcessMemory(process_.get(), at(offset), data, bytes, nullptr);
  }

 private:
  quintar::win32::KernelHandle process_;
  void* address_ = nullptr;
  SIZE_T size_;
};

bool SendCopyData(HWND target, ULONG_PTR tag, const void* data, DWORD bytes) {
  COPYDATASTRUCT cds{};
  cds.dwData = tag;
  cds.cbData = bytes;
  cds.lpData = const_cast<void*>(data);
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000, &result) !=
         0;
}

// The text of the tree's selected item.
std::wstring TreeSelection(HWND tree) {
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return L"<none>";
  RemoteBuffer remote(tree, 2048);
  if (!remote.ok()) return L"<no buffer>";
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = reinterpret_cast<LPWSTR>(remote.at(512));
  tv.cchTextMax = 260;
  remote.Write(0, &tv, sizeof tv);
  DWORD_PTR ok = 0;
  SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(0)), SMTO_ABORTIFHUNG, 2000, &ok);
  wchar_t text[260] = {};
  remote.Read(512, text, sizeof text);
  text[259] = L'\0';
  return text;
}

void Close(Process& process, HWND main) {
  if (main && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.Wait(10000), 0u);
  PumpUntil([] { return FindMain() == nullptr; }, 5000);
}

int ListCount(HWND main) { return static_cast<int>(SendMessageW(GetDlgItem(main, kList), LVM_GETITEMCOUNT, 0, 0)); }

class FolderonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindMain(), nullptr) << "a Folderon window was left over";
    ClearSettings();
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

  EXPECT_TRUE(SendCopyData(main_, 564, payload.data(), bytes));              // wrong tag
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, payload.data(), bytes - 1));  // odd length
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, payload.data(), 0));          // empty
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, nullptr, 0));                 // no data
  EXPECT_TRUE(SendCopyData(main_, kOpenFolder, payload.data(), bytes - 2));  // no terminator
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

HWND AddressEdit(HWND main) {
  HWND band = nullptr;
  while ((band = FindWindowExW(main, band, nullptr, nullptr)) != nullptr) {
    if (HWND combo = GetDlgItem(band, kAddressCombo)) return FindWindowExW(combo, nullptr, L"Edit", nullptr);
  }
  return nullptr;
}

std::wstring RemoteText(HWND hwnd) {
  wchar_t buffer[300] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &result);
  return buffer;
}

void TypeAddress(HWND main, const wchar_t* text) {
  HWND edit = AddressEdit(main);
  ASSERT_NE(edit, nullptr);
  DWORD_PTR result = 0;
  // Typed text reaches the edit through its combo box.
  LRESULT sent = SendMessageTimeoutW(GetParent(edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                     2000, &result);
  EXPECT_NE(sent, 0) << GetLastError();
  EXPECT_EQ(RemoteText(edit), text);
  EXPECT_TRUE(PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1)) << GetLastError();
}

TEST_F(FolderonTest, AddressBarUpBackAndForwardNavigate) {
  TypeAddress(main_, L"\\Windows\\");
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Windows"; }, 5000))
      << testing::PrintToString(AddressText(main_));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40073, 0), 0);  // "Up"
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"My Pocket PC"; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40036, 0), 0);  // Back
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Windows"; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40037, 0), 0);  // Forward
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"My Pocket PC"; }, 5000));
  // "Up" on the root does nothing.
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40073, 0), 0);
  PumpFor(300);
  EXPECT_EQ(AddressText(main_), L"My Pocket PC");
  TypeAddress(main_, L"/");
  PumpFor(300);
  EXPECT_EQ(AddressText(main_), L"My Pocket PC");
}

// A message box or dialog owned by `owner` whose caption is `caption` (any caption when null).
HWND WaitForOwnedDialog(HWND owner, const wchar_t* caption, DWORD ms = 5000) {
  HWND found = nullptr;
  PumpUntil(
      [&] {
        HWND w = nullptr;
        while ((w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr) {
          if (GetWindow(w, GW_OWNER) == owner && (!caption || RemoteText(w) == caption) && IsWindowVisible(w)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      ms);
  return found;
}

// Answers the error box owned by `owner` after checking its text; false when none came. The
// browser's own boxes have no caption; the file operations' have the platform's default one.
bool DismissError(HWND owner, const std::wstring& text, const wchar_t* caption = L"") {
  HWND box = WaitForOwnedDialog(owner, caption);
  if (!box) return false;
  bool same = PumpUntil([&] { return RemoteText(GetDlgItem(box, 0xFFFF)) == text; }, 3000);
  EXPECT_TRUE(same) << testing::PrintToString(RemoteText(GetDlgItem(box, 0xFFFF)));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  PumpUntil([&] { return !IsWindow(box); }, 5000);
  return same;
}

TEST_F(FolderonTest, TypedPathThatDoesNotExistIsReported) {
  const std::wstring notFound = L"This folder or file could not be found. Check the path or file name.";
  TypeAddress(main_, L"\\No Such Folder");
  EXPECT_TRUE(DismissError(main_, notFound));
  // The list stays where it was; a drive letter does not reach the host either.
  TypeAddress(main_, L"C:\\windows");
  EXPECT_TRUE(DismissError(main_, notFound));
  EXPECT_EQ(ListCount(main_), 5);
}

HWND FocusOf(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ? info.hwndFocus : nullptr;
}

TEST_F(FolderonTest, TabCyclesThroughTheShownPanes) {
  HWND list = GetDlgItem(main_, kList);
  HWND edit = AddressEdit(main_);
  ASSERT_TRUE(PumpUntil([&] { return FocusOf(main_) == list; }, 5000));
  PostMessageW(list, WM_KEYDOWN, VK_TAB, 1);
  EXPECT_TRUE(PumpUntil([&] { return FocusOf(main_) == edit; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40040, 0), 0);  // Tab from the address box, no tree
  EXPECT_TRUE(PumpUntil([&] { return FocusOf(main_) == list; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40039, 0), 0);  // Shift+Tab from the list
  EXPECT_TRUE(PumpUntil([&] { return FocusOf(main_) == edit; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40039, 0), 0);  // Shift+Tab from the address box
  EXPECT_TRUE(PumpUntil([&] { return FocusOf(main_) == list; }, 5000));
  // With the tree shown, Tab goes from the address box to the tree, and from the tree to the list.
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40061, 0), 0);
  HWND tree = GetDlgItem(main_, kTree);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tree) != FALSE; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40040, 0), 0);
  EXPECT_TRUE(PumpUntil([&] { return FocusOf(main_) == edit; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40040, 0), 0);
  EXPECT_TRUE(PumpUntil([&] { return FocusOf(main_) == tree; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40040, 0), 0);
  EXPECT_TRUE(PumpUntil([&] { return FocusOf(main_) == list; }, 5000));
  // Tree and address bar hidden: Tab leaves the focus on the list.
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40061, 0), 0);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40060, 0), 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(tree) && !IsWindowVisible(GetParent(GetParent(edit))); }, 5000));
  PostMessageW(list, WM_KEYDOWN, VK_TAB, 1);
  PumpFor(300);
  EXPECT_EQ(FocusOf(main_), list);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40060, 0), 0);  // the address bar back for the next start
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(GetParent(GetParent(edit))) != FALSE; }, 5000));
}

TEST_F(FolderonTest, SplitterResizesTheTreeWithinItsBounds) {
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40061, 0), 0);
  HWND tree = GetDlgItem(main_, kTree);
  HWND list = GetDlgItem(main_, kList);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tree) != FALSE; }, 5000));
  auto height = [&] {
    RECT rc{};
    GetWindowRect(tree, &rc);
    return static_cast<int>(rc.bottom - rc.top);
  };
  ASSERT_TRUE(PumpUntil([&] { return height() == 100; }, 3000));
  RECT treeRect{}, listRect{};
  GetWindowRect(tree, &treeRect);
  GetWindowRect(list, &listRect);
  POINT gap{10, treeRect.bottom + 2};
  ScreenToClient(main_, &gap);
  PostMessageW(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(gap.x, gap.y));
  PostMessageW(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(gap.x, gap.y + 30));
  EXPECT_TRUE(PumpUntil([&] { return height() == 130; }, 3000)) << height();
  // Within 20 pixels of the list's bottom: ignored, the last accepted size stays.
  POINT bottom{10, listRect.bottom - 5};
  ScreenToClient(main_, &bottom);
  PostMessageW(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(bottom.x, bottom.y));
  PostMessageW(main_, WM_LBUTTONUP, 0, MAKELPARAM(bottom.x, bottom.y));
  PumpFor(300);
  EXPECT_EQ(height(), 130);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40061, 0), 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(tree); }, 5000));
}

std::wstring ClipboardText() {
  std::wstring text;
  for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(50);
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void SelectOnly(HWND list, int row) {
  RemoteBuffer remote(list, sizeof(LVITEMW));
  ASSERT_TRUE(remote.ok());
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  remote.Write(0, &item, sizeof item);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.at(0)),
                      SMTO_ABORTIFHUNG, 2000, &r);
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(0, &item, sizeof item);
  SendMessageTimeoutW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.at(0)), SMTO_ABORTIFHUNG, 2000, &r);
}

TEST_F(FolderonTest, CopyNameAndPathAndBackspace) {
  ASSERT_TRUE(SendCopyData(main_, kOpenFolder, L"\\My Documents", sizeof L"\\My Documents"));
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\My Documents"; }, 5000));
  HWND list = GetDlgItem(main_, kList);
  // Sorted by name: "..", then the folders; row 1 is "Business".
  SelectOnly(list, 1);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40008, 0), 0);
  EXPECT_TRUE(PumpUntil([] { return ClipboardText() == L"Business"; }, 3000))
      << testing::PrintToString(ClipboardText());
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40009, 0), 0);
  EXPECT_TRUE(PumpUntil([] { return ClipboardText() == L"\\My Documents\\Business"; }, 3000))
      << testing::PrintToString(ClipboardText());
  // The up-level row alone gives nothing to copy.
  SelectOnly(list, 0);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40008, 0), 0);
  PumpFor(300);
  EXPECT_EQ(ClipboardText(), L"\\My Documents\\Business");
  // Backspace in the list goes up and selects the folder one came from: "\\Windows" is the
  // fifth of the root's folders (My Documents, Program Files, Storage Card, Temp, Windows).
  ASSERT_TRUE(SendCopyData(main_, kOpenFolder, L"\\Windows", sizeof L"\\Windows"));
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Windows"; }, 5000));
  PostMessageW(list, WM_KEYDOWN, VK_BACK, 1);
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"My Pocket PC"; }, 5000));
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 4);
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
}

TEST_F(FolderonTest, MenuBarHasUpAndMenuSoftKeys) {
  HWND bar = nullptr;
  // The menu bar is a popup window owned by the main window.
  PumpUntil(
      [&] {
        HWND w = nullptr;
        while ((w = FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr) {
          if (GetWindow(w, GW_OWNER) == main_ && SendMessageW(w, TB_BUTTONCOUNT, 0, 0) == 2) {
            bar = w;
            return true;
          }
        }
        return false;
      },
      5000);
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
    ASSERT_TRUE(SendMessageTimeoutW(bar, TB_GETBUTTONINFOW, i, reinterpret_cast<LPARAM>(remote.at(0)), SMTO_ABORTIFHUNG,
                                    2000, &index));
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

TEST(FolderonStart, ChangesInTheShownFolderRefreshTheList) {
  ClearSettings();
  CreateDirectoryW(L"\\Temp\\Watched", nullptr);
  Process process = Start(L"/FOLDER:\\Temp\\Watched");
  HWND main = WaitForMain();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main) == L"\\Temp\\Watched"; }, 10000));
  EXPECT_EQ(ListCount(main), 1);  // the up-level row
  // A burst of changes: watching waits five quiet seconds, then the refresh two more.
  for (int i = 0; i < 5; ++i) {
    CreateDirectoryW((L"\\Temp\\Watched\\n" + std::to_wstring(i)).c_str(), nullptr);
  }
  EXPECT_TRUE(PumpUntil([&] { return ListCount(main) == 6; }, 15000)) << ListCount(main);

  // The shown folder vanishes (a card taken out): the list moves to the nearest existing parent.
  ASSERT_TRUE(PumpUntil(
      [&] {
        return SendCopyData(main, kOpenFolder, L"\\Temp\\Watched\\n4", sizeof L"\\Temp\\Watched\\n4") &&
               AddressText(main) == L"\\Temp\\Watched\\n4";
      },
      5000));
  PumpFor(200);
  bool removed = RemoveDirectoryW(L"\\Temp\\Watched\\n4") != 0;
  if (removed) {
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutW(main, WM_DEVICECHANGE, 0x0007 /* DBT_DEVNODES_CHANGED */, 0, SMTO_ABORTIFHUNG, 2000,
                                  &result),
              0)
        << GetLastError();
    EXPECT_EQ(result, static_cast<DWORD_PTR>(TRUE));
    EXPECT_TRUE(PumpUntil([&] { return AddressText(main) == L"\\Temp\\Watched"; }, 8000))
        << testing::PrintToString(AddressText(main));
  } else {
    ADD_FAILURE() << "the shown folder could not be removed: " << GetLastError();
  }
  Close(process, main);
}

TEST(FolderonSettings, ShutdownWritesTheSettingsAndStartReadsThem) {
  ClearSettings();
  {
    Process process = Start(L"");
    HWND main = WaitForMain();
    ASSERT_NE(main, nullptr);
    Close(process, main);
  }
  DWORD type = 0;
  auto path = ReadValue(L"Software\\Olvenmark\\Folderon+", L"Path", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(path.size(), 520u);
  auto list = ReadValue(kSettings, L"ListView");
  ASSERT_EQ(list.size(), 88u);
  const auto* fields = reinterpret_cast<const DWORD*>(list.data());
  EXPECT_EQ(fields[0], 0u);    // by name
  EXPECT_EQ(fields[1], 1u);    // ascending
  EXPECT_EQ(fields[2], 0u);    // large icons
  EXPECT_EQ(fields[7], 145u);  // Name column
  EXPECT_EQ(fields[16], 1u);   // up-level row shown
  auto bands = ReadValue(kRebar, L"CmdBands");
  ASSERT_EQ(bands.size(), 8u);
  EXPECT_EQ(reinterpret_cast<const DWORD*>(bands.data())[0], 0u);
  EXPECT_EQ(reinterpret_cast<const DWORD*>(bands.data())[1], 1u);
  auto status = ReadValue(kSettings, L"ShowStatusWnd");
  ASSERT_EQ(status.size(), 4u);
  EXPECT_EQ(*reinterpret_cast<const DWORD*>(status.data()), 1u);
  EXPECT_EQ(ReadValue(L"Software\\Olvenmark\\Folderon+\\Settings\\Recent", L"Recent1").size(), sizeof L"My Pocket PC");

  // Details view and a hidden address bar are taken from the registry at the next start...
  DWORD details[22] = {0, 1, 1, 0, 1, 0, 0, 145, 75, 75, 75, 0, 0, 1, 1, 0, 1, 2, 0, 0, 0, 0};
  WriteBinary(kSettings, L"ListView", details, sizeof details);
  DWORD hidden[2] = {0, 0};
  WriteBinary(kRebar, L"CmdBands", hidden, sizeof hidden);
  {
    Process process = Start(L"");
    HWND main = WaitForMain();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(PumpUntil(
        [&] { return (GetWindowLongW(GetDlgItem(main, kList), GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT; }, 5000));
    // Without the address bar the status shows the folder's name first.
    EXPECT_TRUE(PumpUntil([&] { return StatusText(main) == L"My Pocket PC"; }, 5000))
        << testing::PrintToString(StatusText(main));
    Close(process, main);
  }
  // ...but a ListView value of any other length than 88 bytes is ignored.
  WriteBinary(kSettings, L"ListView", details, 87);
  {
    Process process = Start(L"");
    HWND main = WaitForMain();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return AddressText(main) == L"My Pocket PC"; }, 10000));
    // Rows go in while the list is briefly in report view, so the view is awaited, not sampled.
    EXPECT_TRUE(PumpUntil(
        [&] { return (GetWindowLongW(GetDlgItem(main, kList), GWL_STYLE) & LVS_TYPEMASK) == LVS_ICON; }, 5000));
    Close(process, main);
  }
  ClearSettings();
}

TEST(FolderonStart, FolderCommandShowsTheTreeFollowingTheList) {
  ClearSettings();
  Process process = Start(L"/FOLDER:\\My Documents");
  HWND main = WaitForMain();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main) == L"\\My Documents"; }, 10000));
  HWND tree = GetDlgItem(main, kTree);
  ASSERT_NE(tree, nullptr);
  EXPECT_FALSE(IsWindowVisible(tree));  // hidden by default
  RECT before{};
  GetWindowRect(GetDlgItem(main, kList), &before);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(40061, 0), 0);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tree) != FALSE; }, 5000));
  // Stacked: the tree takes 100 pixels at the top and the list starts 4 below it.
  RECT treeRect{}, listRect{};
  PumpUntil(
      [&] {
        GetWindowRect(tree, &treeRect);
        GetWindowRect(GetDlgItem(main, kList), &listRect);
        return listRect.top == treeRect.bottom + 4;
      },
      3000);
  EXPECT_EQ(treeRect.bottom - treeRect.top, 100);
  EXPECT_EQ(listRect.top, treeRect.bottom + 4);
  EXPECT_EQ(listRect.bottom, before.bottom);
  // The tree holds the root, its folders and "File Search", and shows the list's folder.
  EXPECT_GE(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 7);
  EXPECT_EQ(TreeSelection(tree), L"My Documents");
  // Going to another folder moves the tree's selection along.
  ASSERT_TRUE(SendCopyData(main, kOpenFolder, L"\\Windows", sizeof L"\\Windows"));
  EXPECT_TRUE(PumpUntil([&] { return TreeSelection(tree) == L"Windows"; }, 5000))
      << testing::PrintToString(TreeSelection(tree)) << testing::PrintToString(AddressText(main))
      << SendMessageW(tree, TVM_GETCOUNT, 0, 0);
  // Hiding it gives the list the whole pane area back.
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(40061, 0), 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(tree); }, 5000));
  PumpUntil(
      [&] {
        GetWindowRect(GetDlgItem(main, kList), &listRect);
        return listRect.top == before.top;
      },
      3000);
  EXPECT_EQ(listRect.top, before.top);
  Close(process, main);
  // The choice is kept.
  auto shown = ReadValue(kSettings, L"ShowFolder");
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(*reinterpret_cast<const DWORD*>(shown.data()), 0u);
}

// For looking at the window: runs only when asked for (--gtest_also_run_disabled_tests) and
// keeps the window up for a screenshot. FOLDERON_LOOK lists commands to send first.
std::string ReadDeviceFile(const wchar_t* path) {
  quintar::win32::FileHandle file(
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
  return text;
}

bool LaunchLogHas(const std::string& text) {
  return ReadDeviceFile(L"\\Windows\\device-launch.log").find(text) != std::string::npos;
}

// Ends a label edit as Enter does, with `text` typed into it.
void TypeIntoEdit(HWND edit, const wchar_t* text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &result);
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
}

TEST_F(FolderonTest, FilesOpenThroughTheShell) {
  ASSERT_TRUE(SendCopyData(main_, kOpenFolder, L"\\Temp", sizeof L"\\Temp"));
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp"; }, 5000));
  // Row 0 is the up-level row, row 1 "readme.txt"; a text document opens in pword.
  SelectOnly(GetDlgItem(main_, kList), 1);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(59414, 0), 0);
  EXPECT_TRUE(PumpUntil([] { return LaunchLogHas("readme.txt"); }, 10000))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");
  EXPECT_TRUE(LaunchLogHas("pword.exe|"));
  // A typed path that names a file opens it and leaves the list where it was.
  TypeAddress(main_, L"\\My Documents\\Welcome.txt");
  EXPECT_TRUE(PumpUntil([] { return LaunchLogHas("Welcome.txt"); }, 10000));
  EXPECT_EQ(ListCount(main_), 2);
}

// A command that may not run now, or that this build does not have, does nothing when it
// arrives anyway; each of the first three would leave "\\Temp" if it ran.
TEST_F(FolderonTest, CommandsThatMayNotRunAreDroppedWhenTheyArrive) {
  ASSERT_TRUE(SendCopyData(main_, kOpenFolder, L"\\Temp", sizeof L"\\Temp"));
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp"; }, 5000));
  auto send = [&](int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_ABORTIFHUNG, 5000, &result);
  };
  // Go to Desktop without a Desktop path, user path 16 of none, a favorite that is not there.
  for (int id : {40049, 50100 + 15, 51000 + 900}) {
    send(id);
    EXPECT_EQ(AddressText(main_), L"\\Temp") << id;
  }
  // Extract Here may not run on the up-level row: nothing opens, nothing is extracted.
  SelectOnly(GetDlgItem(main_, kList), 0);
  send(4130);
  EXPECT_EQ(WaitForOwnedDialog(main_, nullptr, 500), nullptr);
  EXPECT_FALSE(LaunchLogHas("unzip.dll|"));
  EXPECT_EQ(ListCount(main_), 2);
  // Go to Root may run, and does.
  send(40051);
  EXPECT_EQ(AddressText(main_), L"My Pocket PC");
}

TEST_F(FolderonTest, UserPathsGoThereAndAreEditedInTheirDialog) {
  Close(first_, main_);
  const wchar_t business[] = L"\\My Documents\\Business";
  const wchar_t gone[] = L"\\Gone";
  {
    quintar::win32::RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    DWORD two = 2;
    RegSetValueExW(key.get(), L"OpenPthInfoCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), sizeof two);
    RegSetValueExW(key.get(), L"OpenPthInfo0", 0, REG_SZ, reinterpret_cast<const BYTE*>(business), sizeof business);
    RegSetValueExW(key.get(), L"OpenPthInfo1", 0, REG_SZ, reinterpret_cast<const BYTE*>(gone), sizeof gone);
  }
  first_ = Start(L"");
  main_ = WaitForMain();
  ASSERT_NE(main_, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"My Pocket PC"; }, 10000));

  // User path n is command 50100 + n; one that vanished reports it and stays.
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(50100, 0), 0);
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == business; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(50101, 0), 0);
  EXPECT_TRUE(DismissError(main_, L"This folder or file could not be found. Check the path or file name."));
  EXPECT_EQ(AddressText(main_), business);
  // Beyond the list: nothing.
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(50102, 0), 0);
  PumpFor(300);
  EXPECT_EQ(AddressText(main_), business);

  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40058, 0), 0);
  HWND dialog = WaitForOwnedDialog(main_, L"User Path");
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, 1010);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, 3000));
  // Delete the vanished one, then Add the shown folder and change it in the edit that opens.
  SelectOnly(list, 1);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1012, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1012)));
  EXPECT_TRUE(PumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; }, 3000));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1011)));
  HWND edit = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 3000));
  EXPECT_EQ(RemoteText(edit), business);
  TypeIntoEdit(edit, L"\\Te*mp");
  EXPECT_TRUE(DismissError(dialog, L"A filename cannot contain these characters:\n\n\\/:,;*?<>|"));
  // The edit opens again on the same row.
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 3000));
  TypeIntoEdit(edit, L"\\Nowhere");
  EXPECT_TRUE(DismissError(dialog, L"This folder or file could not be found. Check the path or file name."));
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 3000));
  TypeIntoEdit(edit, L"\\Temp\\");
  EXPECT_TRUE(PumpUntil([&] { return SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) == 0; }, 3000));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));

  // Changes apply at once: the second user path is now "\Temp" (as a folder: no trailing backslash).
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(50101, 0), 0);
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp"; }, 5000));
  Close(first_, main_);
  auto count = ReadValue(kSettings, L"OpenPthInfoCount");
  ASSERT_EQ(count.size(), 4u);
  EXPECT_EQ(count[0], 2);
  auto second = ReadValue(kSettings, L"OpenPthInfo1");
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(second.data())), L"\\Temp");
  first_ = Start(L"");
  main_ = WaitForMain();
}

TEST_F(FolderonTest, TreeRenamesAFolderInPlace) {
  ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Old", nullptr));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40061, 0), 0);  // show the tree
  HWND tree = GetDlgItem(main_, kTree);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tree); }, 5000));
  ASSERT_TRUE(SendCopyData(main_, kOpenFolder, L"\\Temp\\Old", sizeof L"\\Temp\\Old"));
  ASSERT_TRUE(PumpUntil([&] { return TreeSelection(tree) == L"Old"; }, 5000))
      << testing::PrintToString(TreeSelection(tree));
  // Shift+Tab from the list reaches the tree; Rename there edits the selected folder's label.
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40039, 1), 0);
  ASSERT_TRUE(PumpUntil([&] { return FocusOf(main_) == tree; }, 3000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40031, 0), 0);
  HWND edit = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 3000));
  TypeIntoEdit(edit, L"Ne/w");
  EXPECT_TRUE(DismissError(main_, L"A filename cannot contain these characters:\n\n\\/:,;*?<>|"));
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 3000));
  TypeIntoEdit(edit, L"");
  EXPECT_TRUE(DismissError(main_, L"Input file name."));
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 3000));
  TypeIntoEdit(edit, L"New");
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp\\New"; }, 5000))
      << testing::PrintToString(AddressText(main_));
  EXPECT_EQ(TreeSelection(tree), L"New");
  DWORD attributes = GetFileAttributesW(L"\\Temp\\New");
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesW(L"\\Temp\\Old"), INVALID_FILE_ATTRIBUTES);
  // A name that is taken fails the move and keeps the folder.
  ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Taken", nullptr));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40031, 0), 0);
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 3000));
  TypeIntoEdit(edit, L"Taken");
  EXPECT_TRUE(DismissError(main_, L"Cannot rename file."));
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 3000));
  PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(PumpUntil([&] { return SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0) == 0; }, 3000));
  EXPECT_NE(GetFileAttributesW(L"\\Temp\\New"), INVALID_FILE_ATTRIBUTES);
  RemoveDirectoryW(L"\\Temp\\New");
  RemoveDirectoryW(L"\\Temp\\Taken");
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40061, 0), 0);  // hide the tree again for the next start
}

TEST_F(FolderonTest, NewFolderOpensItsNameForEditingAndRowsRenameInPlace) {
  ASSERT_TRUE(SendCopyData(main_, kOpenFolder, L"\\Temp", sizeof L"\\Temp"));
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp"; }, 5000));
  HWND list = GetDlgItem(main_, kList);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40023, 0), 0);  // New Folder
  HWND edit = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 5000));
  EXPECT_NE(GetFileAttributesW(L"\\Temp\\New Folder"), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(PumpUntil([&] { return RemoteText(edit) == L"New Folder"; }, 3000))
      << testing::PrintToString(RemoteText(edit));
  TypeIntoEdit(edit, L"Fresh");
  EXPECT_TRUE(PumpUntil([] { return GetFileAttributesW(L"\\Temp\\Fresh") != INVALID_FILE_ATTRIBUTES; }, 5000));
  EXPECT_EQ(GetFileAttributesW(L"\\Temp\\New Folder"), INVALID_FILE_ATTRIBUTES);

  // With extensions hidden, a file keeps its extension: "readme" (readme.txt) becomes notes.txt.
  // Rows: "..", "Fresh", "readme.txt".
  SelectOnly(list, 2);
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40031, 0), 0);  // Rename
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 5000));
  TypeIntoEdit(edit, L"no;tes");
  EXPECT_TRUE(DismissError(main_, L"A filename cannot contain these characters:\n\n\\/:,;*?<>|", nullptr));
  ASSERT_TRUE(PumpUntil(
      [&] { return (edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0))) != nullptr; }, 5000));
  TypeIntoEdit(edit, L"notes");
  EXPECT_TRUE(PumpUntil([] { return GetFileAttributesW(L"\\Temp\\notes.txt") != INVALID_FILE_ATTRIBUTES; }, 5000));
  EXPECT_EQ(GetFileAttributesW(L"\\Temp\\readme.txt"), INVALID_FILE_ATTRIBUTES);
  // Put the device back for the tests after this one.
  MoveFileW(L"\\Temp\\notes.txt", L"\\Temp\\readme.txt");
  RemoveDirectoryW(L"\\Temp\\Fresh");
}

bool KeyHeld(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

// The modes hold their key down for stylus taps, but never while text is typed into the address
// box; one mode ends the other; the key goes up at exit.
TEST_F(FolderonTest, CtrlAndShiftModesHoldTheirKeyOutsideTheAddressBox) {
  HWND list = GetDlgItem(main_, kList);
  ASSERT_TRUE(PumpUntil([&] { return FocusOf(main_) == list; }, 5000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40007, 0), 0);  // Ctrl Key
  EXPECT_TRUE(PumpUntil([] { return KeyHeld(VK_CONTROL); }, 3000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40040, 0), 0);  // Tab: to the address box
  ASSERT_TRUE(PumpUntil([&] { return FocusOf(main_) == AddressEdit(main_); }, 5000));
  EXPECT_TRUE(PumpUntil([] { return !KeyHeld(VK_CONTROL); }, 3000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40040, 0), 0);  // back to the list
  ASSERT_TRUE(PumpUntil([&] { return FocusOf(main_) == list; }, 5000));
  EXPECT_TRUE(PumpUntil([] { return KeyHeld(VK_CONTROL); }, 3000));
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40015, 0), 0);  // Shift Key On
  EXPECT_TRUE(PumpUntil([] { return KeyHeld(VK_SHIFT) && !KeyHeld(VK_CONTROL); }, 3000));
  // Another window taking the foreground lets the key up.
  {
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(PumpUntil([] { return !KeyHeld(VK_SHIFT); }, 3000)) << "the key stays down while inactive";
    DestroyWindow(other);
    SetForegroundWindow(main_);
  }
  Close(first_, main_);
  EXPECT_FALSE(KeyHeld(VK_SHIFT));
  EXPECT_FALSE(KeyHeld(VK_CONTROL));
  first_ = Start(L"");
  main_ = WaitForMain();
}

// ---- Commands on the selection ----------------------------------------------------------------

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  quintar::win32::FindHandle find(FindFirstFileW((path + L"\\*").c_str(), &data));
  if (find) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find.get(), &data));
  }
  find.reset();
  RemoveDirectoryW(path.c_str());
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The text of a list row (the list view of another process).
std::wstring RowText(HWND list, int row) {
  RemoteBuffer remote(list, 2048);
  if (!remote.ok()) return L"<no buffer>";
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = reinterpret_cast<LPWSTR>(remote.at(512));
  item.cchTextMax = 260;
  remote.Write(0, &item, sizeof item);
  DWORD_PTR got = 0;
  SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.at(0)), SMTO_ABORTIFHUNG, 2000,
                      &got);
  wchar_t text[260] = {};
  remote.Read(512, text, sizeof text);
  text[259] = L'\0';
  return text;
}

// The row of the file `name`, shown with or without its extension.
int RowNamed(HWND list, const std::wstring& name) {
  const std::wstring bare = name.substr(0, name.rfind(L'.'));
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring text = RowText(list, i);
    if (text == name || text == bare) return i;
  }
  return -1;
}

// Selects the rows named, and only those.
void SelectNamed(HWND list, std::initializer_list<const wchar_t*> names) {
  bool first = true;
  for (const wchar_t* name : names) {
    int row = RowNamed(list, name);
    ASSERT_GE(row, 0) << testing::PrintToString(std::wstring(name));
    if (first) {
      SelectOnly(list, row);
      first = false;
      continue;
    }
    RemoteBuffer remote(list, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    remote.Write(0, &item, sizeof item);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.at(0)), SMTO_ABORTIFHUNG, 2000,
                        &r);
  }
}

bool IsCut(HWND list, const std::wstring& name) {
  int row = RowNamed(list, name);
  return row >= 0 && (SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_CUT) & LVIS_CUT) != 0;
}

class FolderonItems : public FolderonTest {
 protected:
  void SetUp() override {
    RemoveWork();
    ASSERT_TRUE(CreateDirectoryW(kRoot, nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Work\\A", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Work\\B", nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\x.txt", "original"));
    ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\y.txt", "second"));
    FolderonTest::SetUp();
    list_ = GetDlgItem(main_, kList);
    Go(L"\\Temp\\Work\\A");
  }
  void TearDown() override {
    FolderonTest::TearDown();
    RemoveWork();
  }
  // A program started from the folder holds its file until it has ended, a moment after it logged.
  static void RemoveWork() {
    PumpUntil(
        [] {
          RemoveTree(kRoot);
          return !Exists(kRoot);
        },
        10000);
  }
  void Go(const std::wstring& folder) {
    ASSERT_TRUE(SendCopyData(main_, kOpenFolder, folder.c_str(), static_cast<DWORD>((folder.size() + 1) * 2)));
    ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == folder; }, 5000));
  }
  void Command(int id) { PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // Runs a command that opens nothing before the test goes on (sent messages overtake posted ones).
  void SendCommand(int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_ABORTIFHUNG, 5000, &result);
  }

  static constexpr wchar_t kRoot[] = L"\\Temp\\Work";
  HWND list_ = nullptr;
};

// The list holds no rows of its own: typing a name's first letter asks Folderon for the row.
TEST_F(FolderonItems, TypingALetterGoesToTheRowItStarts) {
  SelectNamed(list_, {L"x.txt"});
  SetForegroundWindow(main_);
  SetFocus(list_);
  PostMessageW(list_, WM_CHAR, L'Y', 1);
  EXPECT_TRUE(PumpUntil(
      [&] {
        return SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) == RowNamed(list_, L"y.txt");
      },
      3000));
}

TEST_F(FolderonItems, CopyPasteNumbersTheCopiesAndCutPasteMovesOnce) {
  SelectNamed(list_, {L"x.txt"});
  Command(59411);  // Copy
  Command(59413);  // Paste
  ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\copy of x.txt"); }, 10000));
  EXPECT_TRUE(PumpUntil([&] { return ListCount(main_) == 4; }, 5000)) << ListCount(main_);
  Command(59413);  // the same clipboard again
  ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\copy (2) of x.txt"); }, 10000));
  EXPECT_TRUE(PumpUntil([&] { return ListCount(main_) == 5; }, 5000)) << ListCount(main_);
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\A\\x.txt"), "original");
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\A\\copy (2) of x.txt"), "original");

  // Cut ghosts the rows it took; any later change of the clipboard clears every row.
  SelectNamed(list_, {L"x.txt"});
  Command(59412);
  EXPECT_TRUE(PumpUntil([&] { return IsCut(list_, L"x.txt"); }, 3000));
  SelectNamed(list_, {L"y.txt"});
  Command(59411);
  EXPECT_TRUE(PumpUntil([&] { return !IsCut(list_, L"x.txt"); }, 3000));
  EXPECT_FALSE(IsCut(list_, L"y.txt"));
  SelectNamed(list_, {L"x.txt"});
  Command(59412);
  ASSERT_TRUE(PumpUntil([&] { return IsCut(list_, L"x.txt"); }, 3000));

  Go(L"\\Temp\\Work\\B");
  Command(59413);
  ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\x.txt"); }, 10000));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\x.txt"));
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\B\\x.txt"), "original");
  EXPECT_TRUE(PumpUntil([&] { return RowNamed(list_, L"x.txt") >= 0; }, 5000));
  // A move empties the clipboard: the second Paste does nothing.
  Command(59413);
  PumpFor(500);
  EXPECT_EQ(ListCount(main_), 2);
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\B\\copy of x.txt"));
  EXPECT_EQ(WaitForOwnedDialog(main_, nullptr, 300), nullptr);
}

TEST_F(FolderonItems, PasteOfAVanishedSourceSaysSoAndEmptiesTheClipboard) {
  SelectNamed(list_, {L"y.txt"});
  Command(59412);  // Cut
  ASSERT_TRUE(PumpUntil([&] { return IsCut(list_, L"y.txt"); }, 3000));
  Go(L"\\Temp\\Work\\B");
  ASSERT_TRUE(DeleteFileW(L"\\Temp\\Work\\A\\y.txt"));
  Command(59413);
  EXPECT_TRUE(DismissError(main_, L"You cannot paste this file. The source file may have been deleted."));
  Command(59413);
  EXPECT_EQ(WaitForOwnedDialog(main_, nullptr, 500), nullptr);
  EXPECT_EQ(ListCount(main_), 1);
}

TEST_F(FolderonItems, DeleteRemovesTheSelectedFilesAndTheirRows) {
  ASSERT_EQ(ListCount(main_), 3);
  SelectNamed(list_, {L"x.txt", L"y.txt"});
  Command(40024);
  HWND question = WaitForOwnedDialog(main_, L"Confirm File Delete");
  ASSERT_NE(question, nullptr);
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(1008, BN_CLICKED), 0);  // Yes
  EXPECT_TRUE(
      PumpUntil([] { return !Exists(L"\\Temp\\Work\\A\\x.txt") && !Exists(L"\\Temp\\Work\\A\\y.txt"); }, 10000));
  EXPECT_TRUE(PumpUntil([&] { return ListCount(main_) == 1; }, 5000)) << ListCount(main_);
  EXPECT_EQ(RowText(list_, 0), L"..");
}

// In the chooser (which opens at the list's folder): selects the sibling folder `name` and
// answers Done.
void ChooseSibling(HWND main, const wchar_t* caption, const std::wstring& name) {
  HWND chooser = WaitForOwnedDialog(main, caption);
  ASSERT_NE(chooser, nullptr) << testing::PrintToString(std::wstring(caption));
  HWND tree = GetDlgItem(chooser, 1094);
  ASSERT_TRUE(PumpUntil([&] { return TreeSelection(tree) == L"A"; }, 5000))
      << testing::PrintToString(TreeSelection(tree));
  auto next = [&](LPARAM item, WPARAM how) {
    return static_cast<LPARAM>(SendMessageW(tree, TVM_GETNEXTITEM, how, item));
  };
  LPARAM parent = next(next(0, TVGN_CARET), TVGN_PARENT);
  LPARAM found = 0;
  for (LPARAM child = next(parent, TVGN_CHILD); child && !found; child = next(child, TVGN_NEXT)) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, child);
    if (TreeSelection(tree) == name) found = child;
  }
  ASSERT_NE(found, 0);
  PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(chooser); }, 5000);
}

TEST_F(FolderonItems, CopyToAndMoveToGoThroughTheFolderChooser) {
  SelectNamed(list_, {L"x.txt"});
  Command(40021);  // Copy To
  ChooseSibling(main_, L"Copy file to", L"B");
  ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\x.txt"); }, 10000));
  EXPECT_TRUE(Exists(L"\\Temp\\Work\\A\\x.txt"));

  SelectNamed(list_, {L"y.txt"});
  Command(40028);  // Move To
  ChooseSibling(main_, L"Move file to", L"B");
  ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\y.txt"); }, 10000));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\y.txt"));
  EXPECT_TRUE(PumpUntil([&] { return ListCount(main_) == 2; }, 5000)) << ListCount(main_);
  EXPECT_EQ(RowNamed(list_, L"x.txt"), 1);
}

// ---- Opening, open-with programs and shortcuts -------------------------------------------------

// The command line a device shortcut holds, as the device's shortcut service reads it back.
std::wstring ShortcutTarget(const std::wstring& shortcut) {
  std::wstring path = shortcut;
  wchar_t target[MAX_PATH] = {};
  if (!SHGetShortcutTarget(path.data(), target, MAX_PATH))
    return L"<unreadable " + std::to_wstring(GetLastError()) + L">";
  return target;
}

bool MakeShortcut(const std::wstring& shortcut, const std::wstring& target) {
  std::wstring path = shortcut, line = target;
  return SHCreateShortcut(path.data(), line.data()) != FALSE;
}

TEST_F(FolderonItems, ShortcutsAreNumberedNeverOverwrittenAndPastedFromTheClipboard) {
  const std::wstring first = L"\\Temp\\Work\\A\\Shortcut to x.lnk";
  const std::wstring second = L"\\Temp\\Work\\A\\Shortcut to x (2).lnk";
  SelectNamed(list_, {L"x.txt"});
  Command(40022);  // Shortcut
  ASSERT_TRUE(PumpUntil([&] { return Exists(first); }, 5000));
  EXPECT_TRUE(PumpUntil([&] { return ListCount(main_) == 4; }, 5000)) << ListCount(main_);
  SelectNamed(list_, {L"x.txt"});
  Command(40022);
  ASSERT_TRUE(PumpUntil([&] { return Exists(second); }, 5000));
  EXPECT_EQ(ShortcutTarget(first), L"\"\\Temp\\Work\\A\\x.txt\"");
  EXPECT_EQ(ShortcutTarget(second), L"\"\\Temp\\Work\\A\\x.txt\"");
  EXPECT_TRUE(PumpUntil([&] { return RowNamed(list_, L"Shortcut to x (2).lnk") >= 0; }, 5000));

  // Paste Shortcut makes one per clipboard entry in the shown folder and keeps the clipboard.
  SelectNamed(list_, {L"x.txt", L"y.txt"});
  SendCommand(59411);  // Copy
  Go(L"\\Temp\\Work\\B");
  Command(40012);
  ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\Shortcut to y.lnk"); }, 5000));
  EXPECT_EQ(ShortcutTarget(L"\\Temp\\Work\\B\\Shortcut to x.lnk"), L"\"\\Temp\\Work\\A\\x.txt\"");
  EXPECT_TRUE(PumpUntil([&] { return ListCount(main_) == 3; }, 5000)) << ListCount(main_);
  Command(40012);
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\Shortcut to y (2).lnk"); }, 5000));

  // Send Shortcut To asks for the folder; a folder keeps its whole name.
  Go(L"\\Temp\\Work\\A");
  ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Work\\A\\v1.2", nullptr));
  Command(40072);  // Refresh
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"v1.2") >= 0; }, 5000));
  SelectNamed(list_, {L"v1.2"});
  Command(40032);
  ChooseSibling(main_, L"Create shortcut to", L"B");
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\Shortcut to v1.2.lnk"); }, 5000));
  EXPECT_EQ(ShortcutTarget(L"\\Temp\\Work\\B\\Shortcut to v1.2.lnk"), L"\"\\Temp\\Work\\A\\v1.2\"");
}

// Favorites > Add puts shortcuts in the Favorites folder and leaves the program's clipboard alone.
TEST_F(FolderonItems, FavoritesAddKeepsTheClipboard) {
  const std::wstring favorite = L"\\Windows\\Favorites\\Shortcut to x.lnk";
  DeleteFileW(favorite.c_str());
  SelectNamed(list_, {L"y.txt"});
  SendCommand(59411);  // Copy
  SelectNamed(list_, {L"x.txt"});
  Command(40016);
  ASSERT_TRUE(PumpUntil([&] { return Exists(favorite); }, 5000));
  EXPECT_EQ(ShortcutTarget(favorite), L"\"\\Temp\\Work\\A\\x.txt\"");
  EXPECT_TRUE(PumpUntil([&] { return SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0) == 0; }, 3000));
  Command(59413);  // Paste: still y.txt
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\copy of y.txt"); }, 10000));
  EXPECT_TRUE(PumpUntil([&] { return RowNamed(list_, L"copy of y.txt") >= 0; }, 5000));  // the run has ended
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\copy of x.txt"));
  DeleteFileW(favorite.c_str());
}

TEST_F(FolderonItems, OpeningAShortcutFollowsItToItsFolderOrProgram) {
  ASSERT_TRUE(MakeShortcut(L"\\Temp\\Work\\A\\to b.lnk", L"\"\\Temp\\Work\\B\""));
  // A program outside \Windows with a space in its path: the shell records it, and so does it.
  ASSERT_TRUE(CopyFileW(L"\\Windows\\tmail.exe", L"\\Temp\\Work\\My Tool.exe", FALSE));
  ASSERT_TRUE(MakeShortcut(L"\\Temp\\Work\\A\\tool.LNK", L"\"\\Temp\\Work\\My Tool.exe\"  -x followed"));
  Command(40072);  // Refresh
  ASSERT_TRUE(PumpUntil([&] { return ListCount(main_) == 5; }, 5000)) << ListCount(main_);

  SelectNamed(list_, {L"tool.LNK"});
  Command(59414);  // Open
  EXPECT_TRUE(PumpUntil([] { return LaunchLogHas("my tool.exe|-x followed"); }, 10000))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");
  EXPECT_EQ(AddressText(main_), L"\\Temp\\Work\\A");

  SelectNamed(list_, {L"to b.lnk"});
  Command(59414);
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp\\Work\\B"; }, 5000))
      << testing::PrintToString(AddressText(main_));
}

TEST_F(FolderonItems, ParametersStartTheFileWithTheTypedTextOnlyForAFileRow) {
  ASSERT_TRUE(CopyFileW(L"\\Windows\\tmail.exe", L"\\Temp\\Work\\A\\rec.exe", FALSE));
  ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Work\\A\\Sub", nullptr));
  Command(40072);
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"rec.exe") >= 0 && RowNamed(list_, L"Sub") >= 0; }, 5000));

  // Neither the up-level row nor a folder opens the dialog.
  for (const wchar_t* row : {L"..", L"Sub"}) {
    SelectNamed(list_, {row});
    Command(40029);
    EXPECT_EQ(WaitForOwnedDialog(main_, nullptr, 500), nullptr) << testing::PrintToString(std::wstring(row));
  }

  // The input panel (a stand-in of its class, hidden) comes up for the typing and goes back as it
  // was found when the dialog ends.
  WNDCLASSW sipClass{};
  sipClass.lpfnWndProc = DefWindowProcW;
  sipClass.hInstance = GetModuleHandleW(nullptr);
  sipClass.lpszClassName = L"SipWndClass";
  RegisterClassW(&sipClass);
  HWND sip = CreateWindowExW(WS_EX_TOOLWINDOW, L"SipWndClass", L"", WS_POPUP, 0, 200, 240, 80, nullptr, nullptr,
                             sipClass.hInstance, nullptr);
  ASSERT_NE(sip, nullptr);
  auto sipShown = [&] { return IsWindowVisible(sip) != FALSE; };
  const bool sipBefore = sipShown();
  ASSERT_FALSE(sipBefore);
  SelectNamed(list_, {L"rec.exe"});
  Command(40029);
  HWND dialog = WaitForOwnedDialog(main_, L"Specify parameter");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(RemoteText(GetDlgItem(dialog, 1074)), L"Input parameter to open file 'rec.exe'.");
  EXPECT_TRUE(PumpUntil(sipShown, 3000)) << "the panel is up while the dialog is open";
  // Cancel starts nothing.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_TRUE(PumpUntil([&] { return sipShown() == sipBefore; }, 3000)) << "the panel's state is put back";
  DestroyWindow(sip);
  EXPECT_FALSE(LaunchLogHas("rec.exe|"));

  Command(40029);
  dialog = WaitForOwnedDialog(main_, L"Specify parameter");
  ASSERT_NE(dialog, nullptr);
  HWND edit = GetDlgItem(dialog, 1054);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-p \"typed text\""), SMTO_ABORTIFHUNG, 2000,
                      &result);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_TRUE(PumpUntil([] { return LaunchLogHas("rec.exe|-p \"typed text\""); }, 10000))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");
}

// The open-with programs are the shortcuts of "\Windows\SendTo" by name: "Mail Recipient" (50000),
// "Storage Card" (50001, a folder) and what Refresh finds there later.
TEST_F(FolderonItems, OpenWithProgramsGetTheQuotedFileOrAShortcutInTheirFolder) {
  ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\a b.txt", "spaced"));
  Command(40072);
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"a b.txt") >= 0; }, 5000));
  SelectNamed(list_, {L"a b.txt"});
  Command(50000);
  EXPECT_TRUE(PumpUntil([] { return LaunchLogHas("tmail.exe|\"\\Temp\\Work\\A\\a b.txt\""); }, 10000))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");

  // Ctrl with a digit runs the program of that place: Ctrl+1 the first.
  auto starts = [] {
    std::string log = ReadDeviceFile(L"\\Windows\\device-launch.log");
    size_t count = 0;
    for (size_t at = log.find("tmail.exe|"); at != std::string::npos; at = log.find("tmail.exe|", at + 1)) ++count;
    return count;
  };
  const size_t byMenu = starts();
  SendCommand(40007);  // Ctrl Key: held down as a held Ctrl key would be
  ASSERT_TRUE(PumpUntil([] { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }, 3000));
  // Folderon sees the key once it has read that input, and a posted key would overtake it.
  PumpFor(500);
  PostMessageW(list_, WM_KEYDOWN, '1', 1);
  PostMessageW(list_, WM_KEYUP, '1', 0xC0000001);
  EXPECT_TRUE(PumpUntil([&] { return starts() == byMenu + 1; }, 10000))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");
  // A digit without a program in its place runs nothing.
  PostMessageW(list_, WM_KEYDOWN, '9', 1);
  PostMessageW(list_, WM_KEYUP, '9', 0xC0000001);
  PumpFor(1000);
  EXPECT_EQ(starts(), byMenu + 1);
  SendCommand(40007);
  ASSERT_TRUE(PumpUntil([] { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) == 0; }, 3000));

  Command(50001);
  const std::wstring onCard = L"\\Storage Card\\Shortcut to a b.lnk";
  EXPECT_TRUE(PumpUntil([&] { return Exists(onCard); }, 5000));
  EXPECT_EQ(ShortcutTarget(onCard), L"\"\\Temp\\Work\\A\\a b.txt\"");
  DeleteFileW(onCard.c_str());

  // Refresh reads the folder again; a program's own parameters come before the file.
  const std::wstring word = L"\\Windows\\SendTo\\Word.lnk";
  ASSERT_TRUE(MakeShortcut(word, L"\\Windows\\pword.exe -w"));
  Command(40072);
  PumpFor(500);
  SelectNamed(list_, {L"x.txt"});
  Command(50002);
  EXPECT_TRUE(PumpUntil([] { return LaunchLogHas("pword.exe|-w \"\\Temp\\Work\\A\\x.txt\""); }, 10000))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");
  DeleteFileW(word.c_str());
  // Not for the up-level row.
  const size_t before = starts();
  SelectNamed(list_, {L".."});
  SendCommand(50000);
  PumpFor(1000);
  EXPECT_EQ(starts(), before);
}

HWND OpenOptions(HWND main);
HWND ShowPage(HWND sheet, int index);
void SetText(HWND page, int id, const wchar_t* text);
void EndSheet(HWND sheet, int button);

std::wstring ClassesValue(const wchar_t* key) {
  wchar_t buffer[300] = {};
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
  return buffer;
}

TEST_F(FolderonItems, ChooseProgramOpensTheFileAndCanBecomeTheDefault) {
  // Not for a name without an extension.
  ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\README", "plain"));
  Command(40072);
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"README") >= 0; }, 5000));
  SelectNamed(list_, {L"README"});
  Command(40033);
  EXPECT_EQ(WaitForOwnedDialog(main_, nullptr, 800), nullptr);

  SelectNamed(list_, {L"x.txt"});
  Command(40033);
  HWND dialog = WaitForOwnedDialog(main_, L"Choose Program (x.txt)");
  ASSERT_NE(dialog, nullptr);
  HWND programs = GetDlgItem(dialog, 1098);
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(programs, L"Note") >= 0; }, 3000));
  // The extension's current class is selected first.
  EXPECT_EQ(SendMessageW(programs, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED),
            RowNamed(programs, L"Text Document"));
  SelectNamed(programs, {L"Note"});
  DWORD_PTR r = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, 1099), BM_SETCHECK, BST_CHECKED, 0, SMTO_ABORTIFHUNG, 2000, &r);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_TRUE(PumpUntil([] { return LaunchLogHas("notes.exe|\"\\Temp\\Work\\A\\x.txt\""); }, 10000))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");
  EXPECT_EQ(ClassesValue(L".txt"), L"notesfile");

  // Cancel neither starts nor associates anything.
  quintar::win32::RegKey txt;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L".txt", 0, KEY_ALL_ACCESS, txt.put()), ERROR_SUCCESS);
  RegSetValueExW(txt.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"txtfile"), sizeof L"txtfile");
  Command(40033);
  dialog = WaitForOwnedDialog(main_, L"Choose Program (x.txt)");
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_EQ(ClassesValue(L".txt"), L"txtfile");
}

void SetClassesValue(const wchar_t* key, const wchar_t* value) {
  quintar::win32::RegKey k;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

void Click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST_F(FolderonItems, FileTypesPageCreatesEditsAndRemovesExtensions) {
  HWND sheet = OpenOptions(main_);
  ASSERT_NE(sheet, nullptr);
  HWND page = ShowPage(sheet, 7);
  ASSERT_NE(page, nullptr);
  HWND types = GetDlgItem(page, 1100);
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(types, L"doc") >= 0; }, 3000));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1102)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1104)));

  // New: "txt2" becomes ".txt2", then its program is chosen and made the default.
  Click(page, 1101);
  HWND create = WaitForOwnedDialog(sheet, L"New File Type");
  ASSERT_NE(create, nullptr);
  SetText(create, 1105, L"txt2");
  PostMessageW(create, WM_COMMAND, IDOK, 0);
  HWND choose = WaitForOwnedDialog(sheet, L"Choose Program (.txt2)");
  ASSERT_NE(choose, nullptr);
  HWND programs = GetDlgItem(choose, 1098);
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(programs, L"Note") >= 0; }, 3000));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(choose, 1099)));
  SelectNamed(programs, {L"Note"});
  PostMessageW(choose, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(types, L"txt2") >= 0; }, 5000));
  EXPECT_EQ(ClassesValue(L".txt2"), L"notesfile");

  // Edit: an empty type name is refused and put back; then both fields are written.
  SelectNamed(types, {L"txt2"});
  EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(GetDlgItem(page, 1104)) != FALSE; }, 2000));
  Click(page, 1104);
  HWND edit = WaitForOwnedDialog(sheet, L"Edit settings");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(RemoteText(GetDlgItem(edit, 1105)), L".txt2");
  EXPECT_EQ(RemoteText(GetDlgItem(edit, 1108)), L"\\Windows\\notes.exe");
  SetText(edit, 1106, L"");
  PostMessageW(edit, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(DismissError(edit, L"This folder or file could not be found. Check the path or file name."));
  EXPECT_EQ(RemoteText(GetDlgItem(edit, 1106)), L"Note");
  SetText(edit, 1106, L"Quick Note");
  SetText(edit, 1107, L"-q %1");
  PostMessageW(edit, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(edit); }, 5000));
  EXPECT_EQ(ClassesValue(L"notesfile"), L"Quick Note");
  EXPECT_EQ(ClassesValue(L"notesfile\\Shell\\Open\\Command"), L"notes.exe -q %1");

  // Delete asks, then removes the extension key and keeps the class.
  SelectNamed(types, {L"txt2"});
  Click(page, 1102);
  HWND ask = WaitForOwnedDialog(sheet, L"File Types");
  ASSERT_NE(ask, nullptr);
  PostMessageW(ask, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(PumpUntil([&] { return RowNamed(types, L"txt2") < 0; }, 5000));
  HKEY gone = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L".txt2", 0, KEY_READ, &gone), ERROR_SUCCESS);
  if (gone) RegCloseKey(gone);
  EXPECT_EQ(ClassesValue(L"notesfile"), L"Quick Note");
  EndSheet(sheet, IDCANCEL);
  SetClassesValue(L"notesfile", L"Note");
  SetClassesValue(L"notesfile\\Shell\\Open\\Command", L"notes.exe \"%1\"");
}

// With the address box focused, Cut, Copy and Paste work on its text and the item commands rest.
// ---- Properties and File Search ----------------------------------------------------------------

// The sheet's page now shown, after `index` was chosen when given.
HWND SheetPage(HWND sheet, int index = -1) {
  if (index >= 0) SendMessageW(sheet, PSM_SETCURSEL, index, 0);
  HWND page = nullptr;
  PumpUntil(
      [&] { return (page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))) != nullptr; },
      3000);
  return page;
}

void SetText(HWND control, const wchar_t* text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &result);
}

// Ticks a check box as a tap would, so the dialog hears of it.
void Tick(HWND dialog, int id, bool on = true) {
  HWND box = GetDlgItem(dialog, id);
  SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box));
}

void PressOk(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(dialog); }, 5000);
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

class FolderonProperties : public FolderonItems {
 protected:
  // Opens the sheet for the rows named and returns it.
  HWND Open(std::initializer_list<const wchar_t*> rows, const std::wstring& caption) {
    SelectNamed(list_, rows);
    Command(40030);
    HWND sheet = WaitForOwnedDialog(main_, caption.c_str());
    EXPECT_NE(sheet, nullptr) << testing::PrintToString(caption);
    return sheet;
  }
};

TEST_F(FolderonProperties, SizesShowKilobytesUpTo1023999BytesAndOkRenamesWithReadOnly) {
  ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\big.bin", std::string(1024000, 'b')));
  ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\small.bin", std::string(1023999, 's')));
  SendCommand(40072);  // Refresh
  HWND sheet = Open({L"big.bin"}, L"Properties of big.bin");
  ASSERT_NE(sheet, nullptr);
  HWND page = SheetPage(sheet);
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1064)), L"0.98 MB (1,024,000 bytes)");
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1091)), L"Properties of big.bin");
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1054)), L"\\Temp\\Work\\A");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1038)));
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(sheet); }, 5000);

  sheet = Open({L"small.bin"}, L"Properties of small.bin");
  ASSERT_NE(sheet, nullptr);
  page = SheetPage(sheet);
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1064)), L"1,000.00 KB (1,023,999 bytes)");
  SetText(GetDlgItem(page, 1048), L"renamed.bin");
  Tick(page, 1030);
  PressOk(sheet);
  ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\renamed.bin"); }, 5000));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\small.bin"));
  EXPECT_TRUE(Attributes(L"\\Temp\\Work\\A\\renamed.bin") & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(PumpUntil([&] { return RowNamed(list_, L"renamed.bin") >= 0; }, 5000));

  // An empty name and a path are refused with the same message, and nothing moves; the
  // attribute changed alongside is still applied.
  for (const wchar_t* name : {L"..\\esc", L""}) {
    sheet = Open({L"x.txt"}, L"Properties of x.txt");
    ASSERT_NE(sheet, nullptr);
    page = SheetPage(sheet);
    SetText(GetDlgItem(page, 1048), name);
    if (!*name) Tick(page, 1019);  // Hidden
    PressOk(sheet);
    EXPECT_TRUE(DismissError(main_, L"This file cannot be renamed.", nullptr)) << testing::PrintToString(name);
    // The sheet has closed by then; the attributes are applied once the box is answered.
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(sheet); }, 5000));
    EXPECT_TRUE(Exists(L"\\Temp\\Work\\A\\x.txt"));
    EXPECT_FALSE(Exists(L"\\Temp\\Work\\esc"));
  }
  EXPECT_TRUE(PumpUntil([] { return (Attributes(L"\\Temp\\Work\\A\\x.txt") & FILE_ATTRIBUTE_HIDDEN) != 0; }, 5000));
  SetFileAttributesW(L"\\Temp\\Work\\A\\renamed.bin", FILE_ATTRIBUTE_NORMAL);

  // A program in ROM says so after its type and shows it read only.
  Go(L"\\Windows");
  sheet = Open({L"calc.exe"}, L"Properties of calc.exe");
  ASSERT_NE(sheet, nullptr);
  page = SheetPage(sheet);
  EXPECT_TRUE(RemoteText(GetDlgItem(page, 1065)).ends_with(L" (in ROM)"))
      << testing::PrintToString(RemoteText(GetDlgItem(page, 1065)));
  EXPECT_EQ(SendMessageW(GetDlgItem(page, 1030), BM_GETCHECK, 0, 0), BST_CHECKED);
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(sheet); }, 5000);
}

TEST_F(FolderonProperties, ContentsCountAFolderAndAFolderWithAFile) {
  for (const wchar_t* folder : {L"\\Temp\\Work\\B\\S1", L"\\Temp\\Work\\B\\S2"})
    ASSERT_TRUE(CreateDirectoryW(folder, nullptr));
  for (const wchar_t* file : {L"\\Temp\\Work\\B\\b1", L"\\Temp\\Work\\B\\b2", L"\\Temp\\Work\\B\\b3",
                              L"\\Temp\\Work\\B\\S1\\c1", L"\\Temp\\Work\\B\\S2\\c2"})
    ASSERT_TRUE(testsupport::WriteFileBytes(file, std::string(1000, 'c')));
  ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\w.txt", std::string(2000, 'w')));
  Go(L"\\Temp\\Work");
  HWND sheet = Open({L"B"}, L"Properties of B");
  ASSERT_NE(sheet, nullptr);
  HWND general = SheetPage(sheet);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(general, 1030)));
  HWND page = SheetPage(sheet, 1);
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1068)), L"Folders : 2");
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1059)), L"Files :     5");
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1087)), L"(5,000 bytes)");
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1088)), L"4.88 KB");
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(sheet); }, 5000);

  sheet = Open({L"B", L"w.txt"}, L"Files Properties");
  ASSERT_NE(sheet, nullptr);
  page = SheetPage(sheet);
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1068)), L"Folders : 3");
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1059)), L"Files :     6");
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1087)), L"(7,000 bytes)");
  PressOk(sheet);
}

TEST_F(FolderonProperties, AReadOnlyShortcutIsRetargetedAndStaysReadOnly) {
  const std::wstring link = L"\\Temp\\Work\\A\\s.lnk";
  ASSERT_TRUE(MakeShortcut(link, L"\"\\Temp\\Work\\A\\x.txt\""));
  ASSERT_TRUE(SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_READONLY));
  SendCommand(40072);
  // An empty target is refused and the shortcut stays.
  HWND sheet = Open({L"s.lnk"}, L"Properties of s.lnk");
  ASSERT_NE(sheet, nullptr);
  HWND page = SheetPage(sheet, 1);
  EXPECT_EQ(RemoteText(GetDlgItem(page, 1057)), L"\"\\Temp\\Work\\A\\x.txt\"");
  SetText(GetDlgItem(page, 1057), L"");
  PressOk(sheet);
  EXPECT_TRUE(DismissError(main_, L"No Link-Target.", nullptr));
  EXPECT_EQ(ShortcutTarget(link), L"\"\\Temp\\Work\\A\\x.txt\"");

  sheet = Open({L"s.lnk"}, L"Properties of s.lnk");
  ASSERT_NE(sheet, nullptr);
  page = SheetPage(sheet, 1);
  SetText(GetDlgItem(page, 1057), L"\"\\Temp\\Work\\A\\y.txt\" -p");
  PressOk(sheet);
  EXPECT_TRUE(PumpUntil([&] { return ShortcutTarget(link) == L"\"\\Temp\\Work\\A\\y.txt\" -p"; }, 5000))
      << testing::PrintToString(ShortcutTarget(link));
  EXPECT_TRUE(Attributes(link) & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\~lnk1.tmp"));
  SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_NORMAL);
}

class FolderonSearch : public FolderonItems {
 protected:
  // Runs a search from the dialog; `fill` sets its controls.
  void Search(const std::function<void(HWND)>& fill) {
    Command(40010);
    HWND dialog = WaitForOwnedDialog(main_, L"File Search");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(RemoteText(GetDlgItem(dialog, 1055)), L"0");
    fill(dialog);
    PressOk(dialog);
    ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"File Search"; }, 10000));
  }
  // The names listed under "File Search" (extensions hidden), sorted.
  std::vector<std::wstring> Hits() {
    std::vector<std::wstring> names;
    for (int i = 0; i < ListCount(main_); ++i) names.push_back(RowText(list_, i));
    std::sort(names.begin(), names.end());
    return names;
  }
  static void SetDay(HWND dialog, int id, WORD year, WORD month, WORD day) {
    HWND picker = GetDlgItem(dialog, id);
    RemoteBuffer remote(picker, sizeof(SYSTEMTIME));
    SYSTEMTIME st{};
    st.wYear = year, st.wMonth = month, st.wDay = day;
    remote.Write(0, &st, sizeof st);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(remote.at(0)), SMTO_ABORTIFHUNG,
                        2000, &r);
  }
  static void SetLocalWriteTime(const std::wstring& path, WORD year, WORD month, WORD day, WORD h, WORD m, WORD s) {
    SYSTEMTIME local{};
    local.wYear = year, local.wMonth = month, local.wDay = day, local.wHour = h, local.wMinute = m, local.wSecond = s;
    FILETIME lft{}, utc{};
    SystemTimeToFileTime(&local, &lft);
    LocalFileTimeToFileTime(&lft, &utc);
    quintar::win32::FileHandle file(
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    SetFileTime(file.get(), nullptr, nullptr, &utc);
  }
};

TEST_F(FolderonSearch, ByNameTextDateAndSizeWithTheHitsListedAndOpened) {
  const std::wstring s = L"\\Temp\\Work\\S";
  ASSERT_TRUE(CreateDirectoryW(s.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((s + L"\\Alphas").c_str(), nullptr));
  // "needle" across the 4096-byte and the 256 KiB read boundaries; its first bytes alone at one.
  std::string across(300000, 'a');
  across.replace(262144 - 3, 6, "needle");
  std::string head(8192, 'a');
  head.replace(4096 - 3, 3, "nee");
  std::string early(5000, 'a');
  early.replace(4096 - 2, 6, "NEEDLE");
  ASSERT_TRUE(testsupport::WriteFileBytes(s + L"\\alpha.txt", across));
  ASSERT_TRUE(testsupport::WriteFileBytes(s + L"\\Alphas\\head.txt", head));
  ASSERT_TRUE(testsupport::WriteFileBytes(s + L"\\upper.txt", early));
  ASSERT_TRUE(testsupport::WriteFileBytes(s + L"\\wide.txt", std::string("n\0e\0e\0d\0l\0e\0", 12)));
  ASSERT_TRUE(testsupport::WriteFileBytes(s + L"\\k1.bin", std::string(1500, 'k')));
  ASSERT_TRUE(testsupport::WriteFileBytes(s + L"\\k2.bin", std::string(2048, 'k')));
  const std::wstring d = L"\\Temp\\Work\\D";
  ASSERT_TRUE(CreateDirectoryW(d.c_str(), nullptr));
  ASSERT_TRUE(testsupport::WriteFileBytes(d + L"\\last.txt", "x"));
  ASSERT_TRUE(testsupport::WriteFileBytes(d + L"\\next.txt", "x"));
  SetLocalWriteTime(d + L"\\last.txt", 2020, 5, 10, 23, 59, 59);
  SetLocalWriteTime(d + L"\\next.txt", 2020, 5, 11, 0, 0, 0);

  // By name: files and folders whose name holds the pattern in any case.
  Search([&](HWND dlg) {
    SetText(GetDlgItem(dlg, 1054), s.c_str());
    SetText(GetDlgItem(dlg, 1050), L"ALPHA");
  });
  EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"Alphas", L"alpha"}));
  // Opened from there, and its properties name its own folder.
  SelectNamed(list_, {L"alpha"});
  Command(59414);
  EXPECT_TRUE(PumpUntil([] { return LaunchLogHas("alpha.txt"); }, 10000));
  Command(40030);
  HWND sheet = WaitForOwnedDialog(main_, L"Properties of alpha.txt");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(RemoteText(GetDlgItem(SheetPage(sheet), 1054)), s);
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(sheet); }, 5000);

  // A location that is not a device folder searches the whole device.
  for (const wchar_t* place : {L"C:\\Temp\\Work\\S", L"\\", L"\\No Such Folder"}) {
    Search([&](HWND dlg) {
      SetText(GetDlgItem(dlg, 1054), place);
      SetText(GetDlgItem(dlg, 1050), L"alpha");
    });
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"Alphas", L"alpha"})) << testing::PrintToString(place);
  }

  // By text, case-sensitive: across both boundaries; not the prefix alone, not UTF-16, no folder.
  Search([&](HWND dlg) {
    SetText(GetDlgItem(dlg, 1054), s.c_str());
    SetText(GetDlgItem(dlg, 1058), L"needle");
  });
  EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"alpha"}));
  // Without case: the upper-case copy too.
  Search([&](HWND dlg) {
    SetText(GetDlgItem(dlg, 1054), s.c_str());
    SetText(GetDlgItem(dlg, 1058), L"Needle");
    Tick(dlg, 1039, false);
  });
  EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"alpha", L"upper"}));

  // Cancel keeps the hits.
  Command(40010);
  HWND dialog = WaitForOwnedDialog(main_, L"File Search");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(RemoteText(GetDlgItem(dialog, 1054)), L"My Pocket PC");
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(dialog); }, 5000);
  EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"alpha", L"upper"}));

  // By date: "Before" a day takes its last second and not the next day's first.
  Search([&](HWND dlg) {
    SetText(GetDlgItem(dlg, 1054), d.c_str());
    Tick(dlg, 1014);
    SendMessageW(GetDlgItem(dlg, 1040), CB_SETCURSEL, 2, 0);
    SetDay(dlg, 1043, 2020, 5, 10);
  });
  EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"last"}));
  Search([&](HWND dlg) {
    SetText(GetDlgItem(dlg, 1054), d.c_str());
    Tick(dlg, 1014);
    SendMessageW(GetDlgItem(dlg, 1040), CB_SETCURSEL, 1, 0);  // Area
    SetDay(dlg, 1043, 2020, 5, 11);
    SetDay(dlg, 1044, 2020, 5, 12);
  });
  EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"next"}));

  // By size in whole KB: exactly 1, at least 2, at most 1 (files only).
  auto bySize = [&](int mode, const wchar_t* kb) {
    Search([&](HWND dlg) {
      SetText(GetDlgItem(dlg, 1054), s.c_str());
      SetText(GetDlgItem(dlg, 1050), L".bin");
      Tick(dlg, 1035);
      SetText(GetDlgItem(dlg, 1055), kb);
      SendMessageW(GetDlgItem(dlg, 1041), CB_SETCURSEL, mode, 0);
    });
    return Hits();
  };
  EXPECT_EQ(bySize(0, L"1"), (std::vector<std::wstring>{L"k1"}));
  EXPECT_EQ(bySize(1, L"2"), (std::vector<std::wstring>{L"k2"}));
  EXPECT_EQ(bySize(2, L"1"), (std::vector<std::wstring>{L"k1"}));
  EXPECT_EQ(bySize(1, L"99999999999999999999999999"), (std::vector<std::wstring>{}));
}

TEST_F(FolderonItems, AddressBoxTakesCutCopyAndPaste) {
  HWND edit = AddressEdit(main_);
  ASSERT_NE(edit, nullptr);
  SelectNamed(list_, {L"x.txt"});
  PostMessageW(main_, WM_COMMAND, MAKEWPARAM(40040, 0), 0);  // Tab: to the address box
  ASSERT_TRUE(PumpUntil([&] { return FocusOf(main_) == edit; }, 5000));
  DWORD_PTR result = 0;
  SendMessageTimeoutW(edit, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 2000, &result);
  // Sent, not posted: the edit gives up at once if the clipboard is open, and the check below
  // opens it.
  SendCommand(59411);  // Copy: the box's text
  EXPECT_EQ(ClipboardText(), L"\\Temp\\Work\\A");
  SendCommand(59412);  // Cut
  EXPECT_TRUE(PumpUntil([&] { return RemoteText(edit).empty(); }, 3000)) << testing::PrintToString(RemoteText(edit));
  SendCommand(59413);  // Paste it back
  EXPECT_TRUE(PumpUntil([&] { return RemoteText(edit) == L"\\Temp\\Work\\A"; }, 3000))
      << testing::PrintToString(RemoteText(edit));
  // Delete and Shortcut are item commands: nothing happens to the selected file.
  Command(40024);
  Command(40022);
  EXPECT_EQ(WaitForOwnedDialog(main_, nullptr, 500), nullptr);
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\Shortcut to x.lnk"));
  EXPECT_TRUE(Exists(L"\\Temp\\Work\\A\\x.txt"));
  EXPECT_FALSE(IsCut(list_, L"x.txt"));
}

TEST(FolderonLook, DISABLED_KeepWindowUp) {
  ClearSettings();
  Process process = Start(L"/FOLDER:\\My Documents");
  HWND main = WaitForMain();
  ASSERT_NE(main, nullptr);
  wchar_t commands[256] = {};
  GetEnvironmentVariableW(L"FOLDERON_LOOK", commands, 256);
  for (wchar_t* p = commands; *p;) {
    int id = static_cast<int>(wcstol(p, &p, 10));
    if (id) PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    while (*p == L',' || *p == L' ') ++p;
    if (!id && *p) ++p;
  }
  if (GetEnvironmentVariableW(L"FOLDERON_LOOK_MENU", nullptr, 0)) {
    PumpFor(1500);
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, nullptr, nullptr)) != nullptr) {
      if (GetWindow(w, GW_OWNER) == main && SendMessageW(w, TB_BUTTONCOUNT, 0, 0) == 2) {
        RECT rc{};
        GetClientRect(w, &rc);
        PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right * 3 / 4, rc.bottom / 2));
      }
    }
  }
  PumpFor(12000);
  RECT area;
  GetWindowRect(main, &area);
  const auto keyed = testsupport::CountKeyColourOnScreen(area);
  EXPECT_EQ(keyed.Total(), 0) << keyed.Describe();
  Close(process, main);
}

// Folders, files and the tree drawn through image lists show no image strip's key colour.
TEST_F(FolderonTest, IconsShowNoKeyColour) {
  RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpFor(500);
  RECT area;
  GetWindowRect(main_, &area);
  const auto keyed = testsupport::CountKeyColourOnScreen(area);
  EXPECT_EQ(keyed.Total(), 0) << keyed.Describe();
}


// ---- The Options sheet ---------------------------------------------------------------------------

// The text of tab `index` of a tab control in the program.
std::wstring TabText(HWND tab, int index) {
  RemoteBuffer remote(tab, 1024);
  if (!remote.ok()) return L"<no buffer>";
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = reinterpret_cast<LPWSTR>(remote.at(256));
  item.cchTextMax = 100;
  remote.Write(0, &item, sizeof item);
  DWORD_PTR ok = 0;
  SendMessageTimeoutW(tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(remote.at(0)), SMTO_ABORTIFHUNG, 2000, &ok);
  wchar_t text[100] = {};
  remote.Read(256, text, sizeof text);
  text[99] = L'\0';
  return text;
}

// The page at `index`, made current (and so created) first.
HWND ShowPage(HWND sheet, int index) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(sheet, PSM_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 3000, &r);
  HWND page = nullptr;
  PumpUntil([&] {
    SendMessageTimeoutW(sheet, PSM_INDEXTOHWND, index, 0, SMTO_ABORTIFHUNG, 2000, reinterpret_cast<DWORD_PTR*>(&page));
    return page != nullptr;
  }, 3000);
  return page;
}

void SetCheck(HWND page, int id, bool on) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(GetDlgItem(page, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, 2000, &r);
}

void SetText(HWND page, int id, const wchar_t* text) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &r);
}

HWND OpenOptions(HWND main) {
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(40055, 0), 0);
  return WaitForOwnedDialog(main, L"Options");
}

void EndSheet(HWND sheet, int button) {
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(sheet); }, 5000));
}

DWORD DwordValue(const wchar_t* name) {
  auto v = ReadValue(kSettings, name);
  return v.size() == 4 ? *reinterpret_cast<const DWORD*>(v.data()) : 0xFFFFFFFF;
}

std::wstring StringValue(const wchar_t* name) {
  auto v = ReadValue(kSettings, name);
  v.resize(v.size() + 2);
  return reinterpret_cast<const wchar_t*>(v.data());
}

TEST_F(FolderonTest, OptionsPagesApplyTheirValuesOnDoneAndCancelChangesNothing) {
  HWND sheet = OpenOptions(main_);
  ASSERT_NE(sheet, nullptr);
  HWND tab = nullptr;
  SendMessageTimeoutW(sheet, PSM_GETTABCONTROL, 0, 0, SMTO_ABORTIFHUNG, 2000, reinterpret_cast<DWORD_PTR*>(&tab));
  ASSERT_NE(tab, nullptr);
  EXPECT_NE(GetWindowLongW(tab, GWL_STYLE) & TCS_BOTTOM, 0);
  const wchar_t* const titles[] = {L"View",        L"Icons",       L"Font",       L"Controls", L"Shell options",
                                   L"Compression", L"System Path", L"File Types", L"About"};
  ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(TabText(tab, i), titles[i]) << i;

  HWND view = ShowPage(sheet, 0);
  SetCheck(view, 1202, true);   // ROM Files
  SetCheck(view, 1204, false);  // No extension
  HWND icons = ShowPage(sheet, 1);
  SetCheck(icons, 1210, true);
  HWND font = ShowPage(sheet, 2);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(font, 1221)));  // lists wait for the check box
  SetCheck(font, 1220, true);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(GetDlgItem(font, 1222), LB_SETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &r);  // 1 point
  HWND controls = ShowPage(sheet, 3);
  SetCheck(controls, 1231, true);  // Double Tap Activation
  SetCheck(controls, 1233, true);  // context menu after a drag
  HWND shell = ShowPage(sheet, 4);
  EXPECT_EQ(RemoteText(GetDlgItem(shell, 1240)), L"\\Windows\\SendTo");
  SetText(shell, 1240, L"\\Temp\\Apps\\");
  SetCheck(shell, 1241, false);
  HWND compression = ShowPage(sheet, 5);
  // The device's archiver does ZIP: its kind may be chosen.
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(compression, 1250)));
  SetText(compression, 1251, L"C:\\Host");
  HWND paths = ShowPage(sheet, 6);
  SetText(paths, 1260, L"");
  SetText(paths, 1262, L"\\Net2");
  EndSheet(sheet, IDOK);
  Close(first_, main_);

  auto list = ReadValue(kSettings, L"ListView");
  ASSERT_EQ(list.size(), 88u);
  const auto* fields = reinterpret_cast<const DWORD*>(list.data());
  EXPECT_EQ(fields[4], 1u);   // hidden entries still hidden
  EXPECT_EQ(fields[6], 1u);   // ROM files hidden
  EXPECT_EQ(fields[13], 0u);  // extensions shown
  EXPECT_EQ(fields[14], 0u);  // double tap
  auto images = ReadValue(kSettings, L"FileImageList");
  ASSERT_EQ(images.size(), 12u);
  EXPECT_EQ(reinterpret_cast<const DWORD*>(images.data())[0], 1u);
  EXPECT_EQ(DwordValue(L"FontChange"), 1u);
  EXPECT_EQ(DwordValue(L"FontSize"), 1u);
  EXPECT_EQ(StringValue(L"FontName"), L"System");
  EXPECT_EQ(DwordValue(L"ContextMenu"), 1u);
  EXPECT_EQ(StringValue(L"SendAppPath"), L"\\Temp\\Apps");
  EXPECT_EQ(DwordValue(L"CheckQAdd"), 0u);
  EXPECT_EQ(StringValue(L"CompressFolder"), L"\\Temp");  // not a device path: kept
  EXPECT_EQ(StringValue(L"StartMenuPath"), L"\\Windows\\Start Menu");  // empty: kept
  EXPECT_EQ(StringValue(L"NetworkPath"), L"\\Net2");

  // Cancel: every page changed, nothing taken.
  first_ = Start(L"");
  main_ = WaitForMain();
  ASSERT_NE(main_, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"My Pocket PC"; }, 10000));
  sheet = OpenOptions(main_);
  ASSERT_NE(sheet, nullptr);
  SetCheck(ShowPage(sheet, 0), 1201, false);
  SetCheck(ShowPage(sheet, 3), 1233, false);
  SetText(ShowPage(sheet, 4), 1240, L"\\Other");
  SetText(ShowPage(sheet, 6), 1262, L"\\Net3");
  EndSheet(sheet, IDCANCEL);
  Close(first_, main_);
  EXPECT_EQ(ReadValue(kSettings, L"ListView"), list);
  EXPECT_EQ(DwordValue(L"ContextMenu"), 1u);
  EXPECT_EQ(StringValue(L"SendAppPath"), L"\\Temp\\Apps");
  EXPECT_EQ(StringValue(L"NetworkPath"), L"\\Net2");
  first_ = Start(L"");
  main_ = WaitForMain();
  ASSERT_NE(main_, nullptr);
}

// ---- Dragging in the list, and the device's programs -------------------------------------------

void SetDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD value) {
  RegSetKeyValueW(root, key, name, REG_DWORD, &value, sizeof value);
}

// The window that holds the stylus in the thread of `window`.
HWND CaptureOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndCapture : nullptr;
}

// The centre of a list row's label (LVM_GETITEMRECT) or a tree item's text (TVM_GETITEMRECT).
POINT CentreOf(HWND control, UINT message, WPARAM which, LPARAM first) {
  RemoteBuffer remote(control, sizeof(RECT));
  RECT rc{};
  std::memcpy(&rc, &first, sizeof first);
  remote.Write(0, &rc, sizeof rc);
  SendMessageTimeoutW(control, message, which, reinterpret_cast<LPARAM>(remote.at(0)), SMTO_ABORTIFHUNG, 2000, nullptr);
  remote.Read(0, &rc, sizeof rc);
  return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

class FolderonDrag : public FolderonItems {
 protected:
  void SetUp() override {
    FolderonItems::SetUp();
    ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Work\\A\\Sub", nullptr));
    Command(40072);  // Refresh
    ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"Sub") >= 0 && ListCount(main_) == 4; }, 5000));
  }
  POINT Row(const wchar_t* name) { return CentreOf(list_, LVM_GETITEMRECT, RowNamed(list_, name), LVIR_LABEL); }
  POINT Row(int row) { return CentreOf(list_, LVM_GETITEMRECT, row, LVIR_LABEL); }
  // Stylus messages to the main window, which holds the stylus during a drag.
  void Stylus(UINT message, POINT pt, WPARAM keys, HWND from) {
    MapWindowPoints(from, main_, &pt, 1);
    PostMessageW(main_, message, keys, MAKELPARAM(pt.x, pt.y));
  }
  // The stylus goes down on `from` and moves onto `to`; true once the drag (or range) began.
  bool Press(POINT from, POINT to) {
    PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    PostMessageW(list_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    if (!PumpUntil([&] { return CaptureOf(main_) == main_; }, 5000)) return false;
    Stylus(WM_MOUSEMOVE, to, MK_LBUTTON, list_);
    return true;
  }
  void DragOntoSub(const wchar_t* name, WPARAM keys) {
    SelectNamed(list_, {name});
    ASSERT_TRUE(Press(Row(name), Row(L"Sub")));
    Stylus(WM_LBUTTONUP, Row(L"Sub"), keys, list_);
  }
  LRESULT Selected() { return SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0); }
};

TEST_F(FolderonDrag, ADropOnAFolderRowMovesWithCtrlCopiesAndEscCancels) {
  DragOntoSub(L"x.txt", 0);
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\Sub\\x.txt"); }, 10000));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\x.txt"));
  EXPECT_TRUE(PumpUntil([&] { return ListCount(main_) == 3; }, 5000));
  DragOntoSub(L"y.txt", MK_CONTROL);
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\Sub\\y.txt"); }, 10000));
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\A\\y.txt"), "second");
  // Esc in the list ends the drag: the release after it drops nothing.
  ASSERT_TRUE(PumpUntil([&] { return ListCount(main_) == 3; }, 5000));
  ASSERT_TRUE(Press(Row(L"y.txt"), Row(L"Sub")));
  PostMessageW(list_, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(PumpUntil([&] { return CaptureOf(main_) == nullptr; }, 5000));
  Stylus(WM_LBUTTONUP, Row(L"Sub"), 0, list_);
  PumpFor(500);
  EXPECT_TRUE(Exists(L"\\Temp\\Work\\A\\y.txt"));
}

TEST_F(FolderonDrag, ADropOnATreeFolderMovesIntoItAndTheListGoesThere) {
  HWND tree = GetDlgItem(main_, kTree);
  Command(40061);  // Folder: the tree above the list
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tree) && TreeSelection(tree) == L"A"; }, 5000));
  LPARAM a = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  POINT b = CentreOf(tree, TVM_GETITEMRECT, TRUE, SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, a));
  SelectNamed(list_, {L"x.txt"});
  ASSERT_TRUE(Press(Row(L"x.txt"), Row(L"Sub")));
  Stylus(WM_MOUSEMOVE, b, MK_LBUTTON, tree);
  Stylus(WM_LBUTTONUP, b, 0, tree);
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\x.txt"); }, 10000));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\x.txt"));
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp\\Work\\B"; }, 5000));
  // The tree's folder A dragged onto the list's empty space goes into the list's folder.
  POINT from = CentreOf(tree, TVM_GETITEMRECT, TRUE, a);
  POINT to = Row(0);
  to.y += 60;  // below the rows of B: "..", x.txt
  PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  PostMessageW(tree, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + 20, from.y + 20));
  ASSERT_TRUE(PumpUntil([&] { return CaptureOf(main_) == main_; }, 5000));
  Stylus(WM_LBUTTONUP, to, 0, list_);
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\A\\Sub"); }, 10000));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A"));
  Command(40061);
}

TEST_F(FolderonDrag, WithContextMenuEveryDropAsksAndCancelChangesNothing) {
  Close(first_, main_);
  SetDword(HKEY_CURRENT_USER, kSettings, L"ContextMenu", 1);
  first_ = Start(L"");
  main_ = WaitForMain();
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"My Pocket PC"; }, 10000));
  list_ = GetDlgItem(main_, kList);
  Go(L"\\Temp\\Work\\A");
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"Sub") >= 0; }, 5000));
  // The user's pending Cut survives the drops.
  SelectNamed(list_, {L"y.txt"});
  Command(59412);
  ASSERT_TRUE(PumpUntil([&] { return IsCut(list_, L"y.txt"); }, 3000));
  // "Copy", "Move", "Shortcut", "Cancel": going up from none reaches "Cancel" first.
  for (UINT ups : {1u, 4u}) {
    DragOntoSub(L"x.txt", 0);
    HWND popup = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (popup = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(popup); }, 5000));
    for (UINT i = 0; i < ups; ++i) PostMessageW(popup, WM_KEYDOWN, VK_UP, 1);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 1);
    PumpUntil([&] { return !IsWindowVisible(popup); }, 5000);
    if (ups == 1) {
      PumpFor(500);
      EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\Sub\\x.txt"));
      EXPECT_EQ(ListCount(main_), 4);
    }
  }
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\Sub\\x.txt"); }, 10000));  // Copy
  EXPECT_TRUE(Exists(L"\\Temp\\Work\\A\\x.txt"));
  EXPECT_TRUE(PumpUntil([&] { return IsCut(list_, L"y.txt"); }, 3000)) << "still drawn as cut";
  // The drop's copy may still be ending its run, which takes no other folder meanwhile.
  const std::wstring b = L"\\Temp\\Work\\B";
  ASSERT_TRUE(PumpUntil(
      [&] {
        SendCopyData(main_, kOpenFolder, b.c_str(), static_cast<DWORD>((b.size() + 1) * 2));
        return PumpUntil([&] { return AddressText(main_) == b; }, 1000);
      },
      15000));
  Command(59413);  // the Cut from before the drops
  EXPECT_TRUE(PumpUntil([&] { return Exists(L"\\Temp\\Work\\B\\y.txt") && RowNamed(list_, L"y.txt") >= 0; }, 10000));
}

TEST_F(FolderonDrag, WithDragAndDropModeOffADragSelectsTheRange) {
  Command(4076);  // Drag-And-Drop Mode off; rows "..", Sub, x.txt, y.txt
  SelectOnly(list_, 0);
  ASSERT_TRUE(Press(Row(0), Row(2)));
  EXPECT_TRUE(PumpUntil([&] { return Selected() == 3; }, 3000));
  Stylus(WM_MOUSEMOVE, Row(3), MK_LBUTTON, list_);
  EXPECT_TRUE(PumpUntil([&] { return Selected() == 4; }, 3000));
  // Off the rows the range stays as it was.
  RECT client{};
  GetClientRect(list_, &client);
  Stylus(WM_MOUSEMOVE, POINT{client.right - 2, client.bottom - 2}, MK_LBUTTON, list_);
  PumpFor(300);
  EXPECT_EQ(Selected(), 4);
  Stylus(WM_MOUSEMOVE, Row(1), MK_LBUTTON, list_);
  EXPECT_TRUE(PumpUntil([&] { return Selected() == 2; }, 3000));
  Stylus(WM_LBUTTONUP, Row(1), 0, list_);
  PumpFor(300);
  EXPECT_TRUE(Exists(L"\\Temp\\Work\\A\\x.txt") && Exists(L"\\Temp\\Work\\A\\y.txt"));
  Command(4076);
}

TEST_F(FolderonItems, DeviceProgramsGetTheirCommandLines) {
  auto logged = [](const char* line) { return PumpUntil([&] { return LaunchLogHas(line); }, 10000); };
  SelectNamed(list_, {L"x.txt"});
  Command(40026);  // Send Via IR
  EXPECT_TRUE(logged("beam.exe|\\Temp\\Work\\A\\x.txt\n")) << ReadDeviceFile(L"\\Windows\\device-launch.log");
  Command(4100);  // Outlook E-Mail
  EXPECT_TRUE(logged("tmail.exe|-attach \"\\Temp\\Work\\A\\x.txt\"  -transport \"email\"\n"));
  Command(40056);  // PC Link
  EXPECT_TRUE(logged("repllog.exe|\n"));
  Command(40048);  // ActiveSync
  EXPECT_TRUE(logged("repllog.exe|\"\\Windows\\async.asy\"\n"));
  Command(40027);  // IR Receive
  EXPECT_TRUE(logged("beam.exe|\n"));
  // Without beam.exe (deleted once the one started has ended) the older infrared program takes over.
  ASSERT_TRUE(PumpUntil([] { return DeleteFileW(L"\\Windows\\beam.exe") != FALSE; }, 10000));
  Command(40027);
  EXPECT_TRUE(logged("irsquirt.exe|\n"));
  // A folder row is neither mailed nor beamed.
  Go(L"\\Temp\\Work");
  SelectNamed(list_, {L"B"});
  Command(4100);
  Command(40026);
  PumpFor(800);
  EXPECT_FALSE(LaunchLogHas("Work\\B"));
}

// Answers the owned box or dialog captioned `caption` with `button`; returns its text.
std::wstring Answer(HWND owner, const wchar_t* caption, int button) {
  HWND box = WaitForOwnedDialog(owner, caption);
  if (!box) return L"<no dialog>";
  std::wstring text = RemoteText(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  PumpUntil([&] { return !IsWindow(box); }, 5000);
  return text;
}

TEST_F(FolderonItems, NetworkFolderIsAskedForAndTheDevicesDialogsAnswer) {
  constexpr wchar_t kRedir[] = L"Comm\\Redir";
  constexpr wchar_t kDevice[] = L"Software\\Quintar\\Device";
  auto fsRoot = [&] {
    DWORD value = 0xDEAD, size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, kRedir, L"RegisterFSRoot", RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
  };
  auto noBox = [&] { return WaitForOwnedDialog(main_, nullptr, 400) == nullptr; };
  const std::wstring question = L"The 'Network' folder is not enabled :\ndo you want to enable it?";
  Command(40053);
  EXPECT_EQ(Answer(main_, L"Network Folder", IDNO), question);
  EXPECT_TRUE(noBox());
  EXPECT_EQ(fsRoot(), 0xDEADu);
  Command(40053);
  EXPECT_EQ(Answer(main_, L"Network Folder", IDYES), question);
  EXPECT_TRUE(DismissError(main_,
                           L"Soft-reset your device to activate the changes.\nAfter reset, run this command again.",
                           L"Network Folder"));
  EXPECT_EQ(fsRoot(), 1u);

  // With the folder on, the device's dialog opens: Cancel says nothing, a failure says so.
  Command(40053);
  Answer(main_, L"Map Network Drive", IDCANCEL);
  EXPECT_TRUE(noBox());
  Command(40053);
  Answer(main_, L"Map Network Drive", IDOK);
  EXPECT_TRUE(DismissError(main_, L"Network Connection failed."));
  SetDword(HKEY_LOCAL_MACHINE, kDevice, L"NetworkConnectResult", 0);
  Command(40053);
  Answer(main_, L"Map Network Drive", IDOK);
  EXPECT_TRUE(noBox());
  const auto events = testsupport::DeviceEventLines();
  EXPECT_TRUE(!events.empty() && events.back() == "network-connect \"\" 0");

  Command(40054);
  Answer(main_, L"Disconnect Network Drive", IDOK);
  EXPECT_TRUE(DismissError(main_, L"Network Disconnection failed."));
  SetDword(HKEY_LOCAL_MACHINE, kDevice, L"NetworkDisconnectResult", 0);
  Command(40054);
  Answer(main_, L"Disconnect Network Drive", IDOK);
  EXPECT_TRUE(noBox());
  EXPECT_EQ(AddressText(main_), L"\\Temp\\Work\\A");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRedir);
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kDevice, L"NetworkConnectResult");
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kDevice, L"NetworkDisconnectResult");
}

// ---- Archives through the device's archiver ----------------------------------------------------

constexpr int kCompress = 40020, kExtractTo = 40034, kExtractHere = 4130;
constexpr int kNameBox = 1003;  // the device file dialog's name box

bool EventLogHas(const std::string& text) {
  return ReadDeviceFile(L"\\Windows\\device-events.log").find(text) != std::string::npos;
}

// Answers "Compress Filename" with `name` typed into the device's file dialog, in the folder
// the dialog opened at.
void NameArchive(HWND main, const wchar_t* name) {
  HWND dialog = WaitForOwnedDialog(main, L"Compress Filename");
  ASSERT_NE(dialog, nullptr);
  SetText(GetDlgItem(dialog, kNameBox), name);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

class FolderonArchives : public FolderonItems {
 protected:
  void SetUp() override {
    FolderonItems::SetUp();
    ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Work\\A\\Sub", nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\Sub\\deep.txt", "deep"));
    Refresh();
  }
  void Refresh() {
    SendCommand(40072);
    ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"Sub") >= 0; }, 5000));
  }
  // Sets the Compression page's boxes and applies them.
  void SetArchiveOptions(bool inPlace, bool makeFolder, bool openFolder, bool openArchives) {
    HWND sheet = OpenOptions(main_);
    ASSERT_NE(sheet, nullptr);
    HWND page = ShowPage(sheet, 5);
    SetCheck(page, 1252, inPlace);
    SetCheck(page, 1253, makeFolder);
    SetCheck(page, 1254, openFolder);
    SetCheck(page, 1255, openArchives);
    EndSheet(sheet, IDOK);
  }
  // Packs the folder Sub and x.txt of A into A\pack.zip.
  void Pack() {
    SelectNamed(list_, {L"Sub", L"x.txt"});
    Command(kCompress);
    NameArchive(main_, L"pack");
    ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\pack.zip"); }, 10000));
    ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"pack.zip") >= 0; }, 5000));
  }
};

TEST_F(FolderonArchives, CompressThenExtractToAndExtractHereRoundTrip) {
  Pack();
  // The command string names the base folder and each row, a folder standing for its contents.
  EXPECT_TRUE(
      LaunchLogHas("unzip.dll|a \"\\Temp\\Work\\A\\pack.zip\" \"\\Temp\\Work\\A\\\" "
                   "\"\\Temp\\Work\\A\\Sub\\*\" \"\\Temp\\Work\\A\\x.txt\" "))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");
  EXPECT_TRUE(EventLogHas("getfiles.dll|save|Compress Filename|\\Temp\\Work\\A|ZIP Files(*.zip)"))
      << ReadDeviceFile(L"\\Windows\\device-events.log");

  // Extract To: the chooser's folder receives the archive's tree and is shown afterwards.
  SelectNamed(list_, {L"pack.zip"});
  Command(kExtractTo);
  ChooseSibling(main_, L"Extract To", L"B");
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp\\Work\\B"; }, 10000))
      << testing::PrintToString(AddressText(main_));
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\B\\x.txt"), "original");
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\B\\Sub\\deep.txt"), "deep");
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\B\\y.txt"));
  EXPECT_TRUE(LaunchLogHas("unzip.dll|e \"\\Temp\\Work\\A\\pack.zip\" \"\\Temp\\Work\\B\\\""));

  // Extract Here: beside the archive, into no new folder.
  Go(L"\\Temp\\Work\\A");
  ASSERT_TRUE(DeleteFileW(L"\\Temp\\Work\\A\\x.txt"));
  Refresh();
  SelectNamed(list_, {L"pack.zip"});
  Command(kExtractHere);
  EXPECT_TRUE(PumpUntil([&] { return RowNamed(list_, L"x.txt") >= 0; }, 10000));
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\A\\x.txt"), "original");
  // Never for the up-level row or a folder.
  const std::string log = ReadDeviceFile(L"\\Windows\\device-launch.log");
  for (const wchar_t* row : {L"..", L"Sub"}) {
    SelectNamed(list_, {row});
    SendCommand(kExtractHere);
  }
  PumpFor(500);
  EXPECT_EQ(ReadDeviceFile(L"\\Windows\\device-launch.log"), log);
}

TEST_F(FolderonArchives, FolderCreationOpeningAndOneFailureNotStoppingTheRest) {
  Pack();
  ASSERT_TRUE(CopyFileW(L"\\Temp\\Work\\A\\pack.zip", L"\\Temp\\Work\\A\\my.pack.zip", FALSE));
  ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\broken.zip", "not an archive"));
  SetArchiveOptions(true, true, true, false);
  Refresh();
  ASSERT_TRUE(PumpUntil([&] { return RowNamed(list_, L"broken.zip") >= 0; }, 5000));
  SelectNamed(list_, {L"broken.zip", L"my.pack.zip"});
  Command(kExtractTo);
  // In place: no chooser. The damaged archive says so; the other is still extracted, into a
  // folder named by the file name's stem, which is then shown.
  EXPECT_TRUE(DismissError(main_, L"Not a ZIP archive: \\Temp\\Work\\A\\broken.zip", L"Error"));
  EXPECT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp\\Work\\A\\my.pack"; }, 10000))
      << testing::PrintToString(AddressText(main_));
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\A\\my.pack\\Sub\\deep.txt"), "deep");

  // "Open archives with Folderon": opening the archive (the first selected row) extracts it and
  // no other row; the list stays.
  Go(L"\\Temp\\Work\\A");
  RemoveTree(L"\\Temp\\Work\\A\\my.pack");
  SetArchiveOptions(true, true, false, true);
  Refresh();
  SelectNamed(list_, {L"my.pack.zip", L"pack.zip"});
  Command(59414);  // Open
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\my.pack\\x.txt"); }, 10000));
  PumpFor(500);
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\pack"));
  EXPECT_EQ(AddressText(main_), L"\\Temp\\Work\\A");
}

TEST_F(FolderonArchives, ReplacingAnArchiveNeverMergesAndSelfContainingOnesAndAMissingLibraryAreRefused) {
  Pack();
  // Replacing after the question: the new archive holds only the new selection.
  SelectNamed(list_, {L"y.txt"});
  Command(kCompress);
  NameArchive(main_, L"pack.zip");
  HWND dialog = WaitForOwnedDialog(main_, L"Compress Filename");
  ASSERT_NE(dialog, nullptr);
  HWND question = WaitForOwnedDialog(dialog, L"Compress Filename");
  ASSERT_NE(question, nullptr);
  PostMessageW(question, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  PumpFor(500);
  RemoveTree(L"\\Temp\\Work\\B");
  ASSERT_TRUE(CreateDirectoryW(L"\\Temp\\Work\\B", nullptr));
  SetArchiveOptions(false, false, true, false);
  Refresh();
  SelectNamed(list_, {L"pack.zip"});
  Command(kExtractTo);
  ChooseSibling(main_, L"Extract To", L"B");
  ASSERT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\B\\y.txt"); }, 10000));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\B\\x.txt"));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\B\\Sub"));
  // The extract folder opens once the extraction has ended; only then may the test go elsewhere.
  ASSERT_TRUE(PumpUntil([&] { return AddressText(main_) == L"\\Temp\\Work\\B"; }, 10000));

  // An archive inside a folder it would compress is refused before anything is written.
  Go(L"\\Temp\\Work\\A");
  SelectNamed(list_, {L"Sub"});
  Command(kCompress);
  dialog = WaitForOwnedDialog(main_, L"Compress Filename");
  ASSERT_NE(dialog, nullptr);
  HWND folders = GetDlgItem(dialog, 1001);
  ASSERT_TRUE(PumpUntil([&] { return TreeSelection(folders) == L"A"; }, 5000));
  auto caret = static_cast<LPARAM>(SendMessageW(folders, TVM_GETNEXTITEM, TVGN_CARET, 0));
  for (auto child = static_cast<LPARAM>(SendMessageW(folders, TVM_GETNEXTITEM, TVGN_CHILD, caret)); child;
       child = static_cast<LPARAM>(SendMessageW(folders, TVM_GETNEXTITEM, TVGN_NEXT, child))) {
    SendMessageW(folders, TVM_SELECTITEM, TVGN_CARET, child);
    if (TreeSelection(folders) == L"Sub") break;
  }
  ASSERT_EQ(TreeSelection(folders), L"Sub");
  SetText(GetDlgItem(dialog, kNameBox), L"inside");
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(DismissError(main_, L"The archive cannot be written into what it compresses.", L"Error"));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\Sub\\inside.zip"));

  // The library gone after start: the name is still asked, then the not-found message, nothing
  // written.
  ASSERT_TRUE(MoveFileW(L"\\Windows\\UNZip.dll", L"\\Windows\\UNZip.away"));
  SelectNamed(list_, {L"x.txt"});
  Command(kCompress);
  NameArchive(main_, L"gone");
  EXPECT_TRUE(DismissError(main_, L"UNZip.dll is not found.", L"Error"));
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\gone.zip"));
  ASSERT_TRUE(MoveFileW(L"\\Windows\\UNZip.away", L"\\Windows\\UNZip.dll"));
}

// A level-0 LZH archive holding `name` stored (-lh0-) with `content`.
std::string StoredLzh(const std::string& name, const std::string& content) {
  std::uint16_t crc = 0;  // CRC-16/ARC, as LHA keeps it
  for (unsigned char c : content) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
  }
  auto le = [](std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
  };
  std::string header = "-lh0-";
  le(header, static_cast<std::uint32_t>(content.size()), 4);
  le(header, static_cast<std::uint32_t>(content.size()), 4);
  le(header, 0x34E05A00, 4);  // 2006-07-00 11:16
  header.push_back(0x20);     // archive attribute
  header.push_back(0);        // level 0
  header.push_back(static_cast<char>(name.size()));
  header += name;
  le(header, crc, 2);
  unsigned char sum = 0;
  for (unsigned char c : header) sum = static_cast<unsigned char>(sum + c);
  std::string archive;
  archive.push_back(static_cast<char>(header.size()));
  archive.push_back(static_cast<char>(sum));
  return archive + header + content + std::string(1, '\0');
}

TEST_F(FolderonArchives, LzhArchivesGoToUnlhaOnlyWhileTheLibraryHasIt) {
  ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\Work\\A\\notes.LZH", StoredLzh("hello.txt", "from an LZH")));
  SetArchiveOptions(true, true, false, false);
  Refresh();
  SelectNamed(list_, {L"notes.LZH"});
  Command(kExtractTo);
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\notes\\hello.txt"); }, 10000));
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\Temp\\Work\\A\\notes\\hello.txt"), "from an LZH");
  EXPECT_TRUE(LaunchLogHas("unzip.dll!unlha|e \"\\Temp\\Work\\A\\notes.LZH\" \"\\Temp\\Work\\A\\notes\\\""))
      << ReadDeviceFile(L"\\Windows\\device-launch.log");

  // A library without the LZH entry, found at start: LZH rows are passed over, ZIP still works.
  RemoveTree(L"\\Temp\\Work\\A\\notes");
  ASSERT_TRUE(CopyFileW(L"\\Windows\\UNZip.dll", L"\\Windows\\UNZip.keep", FALSE));
  ASSERT_TRUE(CopyFileW(L"T:\\UNZipNoLha.dll", L"\\Windows\\UNZip.dll", FALSE));
  Close(first_, main_);
  first_ = Start(L"");
  main_ = WaitForMain();
  ASSERT_NE(main_, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return !AddressText(main_).empty(); }, 10000));
  PumpFor(1000);
  list_ = GetDlgItem(main_, kList);
  Go(L"\\Temp");
  Go(L"\\Temp\\Work\\A");
  Refresh();
  Pack();
  SelectNamed(list_, {L"notes.LZH", L"pack.zip"});
  Command(kExtractTo);
  EXPECT_TRUE(PumpUntil([] { return Exists(L"\\Temp\\Work\\A\\pack\\x.txt"); }, 10000));
  PumpFor(500);
  EXPECT_FALSE(Exists(L"\\Temp\\Work\\A\\notes"));
  EXPECT_EQ(WaitForOwnedDialog(main_, nullptr, 300), nullptr) << "no message for a kind the library lacks";
  Close(first_, main_);
  ASSERT_TRUE(MoveFileExW(L"\\Windows\\UNZip.keep", L"\\Windows\\UNZip.dll", MOVEFILE_REPLACE_EXISTING));
  first_ = Start(L"");
  main_ = WaitForMain();
  ASSERT_NE(main_, nullptr);
}

TEST_F(FolderonItems, ChooseProgramBrowsesThroughTheDeviceFileDialog) {
  SelectNamed(list_, {L"x.txt"});
  Command(40033);
  HWND dialog = WaitForOwnedDialog(main_, L"Choose Program (x.txt)");
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1004, BN_CLICKED), 0);
  HWND files = WaitForOwnedDialog(dialog, L"Select Program");
  ASSERT_NE(files, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return TreeSelection(GetDlgItem(files, 1001)) == L"Windows"; }, 5000));
  SetText(GetDlgItem(files, kNameBox), L"solitare.exe");
  PostMessageW(files, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  // The chosen program is registered under a class of its name, written bare from \Windows.
  EXPECT_TRUE(PumpUntil([] { return ClassesValue(L"solitare\\Shell\\Open\\Command") == L"solitare.exe \"%1\""; }, 5000))
      << testing::PrintToString(ClassesValue(L"solitare\\Shell\\Open\\Command"));
  EXPECT_TRUE(EventLogHas("getfiles.dll|open|Select Program|\\Windows|Executable (*.exe)"))
      << ReadDeviceFile(L"\\Windows\\device-events.log");
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"solitare");
}

}  // namespace

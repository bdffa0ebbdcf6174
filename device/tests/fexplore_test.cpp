// The File Explorer stand-in as a context-menu host: the test handler's items appear, the chosen
// one runs, and the host keeps the device's order of calls.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/shell/menu_host.h"
#include "device/testitems/testmenu.h"
#include "device/tests/device_test_util.h"
#include "win32/handle.h"

using namespace quintar::device::tests;
namespace win32 = quintar::win32;

namespace {

constexpr wchar_t kRecords[] = L"Software\\Quintar\\Tests\\TestMenu";
constexpr wchar_t kHandlers[] = L"*\\Shellex\\ContextMenuHandlers";

std::wstring Recorded(const wchar_t* name) {
  wchar_t value[1024] = L"";
  DWORD size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kRecords, name, RRF_RT_REG_SZ, nullptr, value, &size);
  return value;
}

DWORD RecordedDword(const wchar_t* name) {
  DWORD value = 0xFFFFFFFF, size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kRecords, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class FileExplorerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kRecords);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kHandlers);
    const win32::Module handler(LoadLibraryW(L"T:\\testmenu.dll"));
    ASSERT_TRUE(handler);
    using Register = HRESULT(WINAPI*)();
    auto reg =
        reinterpret_cast<Register>(reinterpret_cast<void (*)()>(GetProcAddress(handler.get(), "DllRegisterServer")));
    ASSERT_NE(reg, nullptr);
    ASSERT_EQ(reg(), S_OK);
    CreateDirectoryW(L"\\My Documents", nullptr);
    testsupport::WriteFileBytes(L"\\My Documents\\report.txt", "quarterly");
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CLASSES_ROOT, kHandlers); }
};

TEST_F(FileExplorerTest, ListsTheHandlersItemsForAFile) {
  std::string out;
  ASSERT_EQ(testsupport::RunProgram(L"T:\\fexplore.exe /list-menu \"\\My Documents\\report.txt\"", &out), 0) << out;
  EXPECT_NE(out.find("item: Open\n"), std::string::npos) << out;
  EXPECT_NE(out.find("item: Test One\n"), std::string::npos) << out;
  EXPECT_NE(out.find("item: Test Two\n"), std::string::npos) << out;
  EXPECT_EQ(Recorded(L"Selection"), L"\\My Documents\\report.txt") << "a device path, no drive letter";
  EXPECT_EQ(Recorded(L"Calls"), L"SetSite,QueryContextMenu,SetSite(null)");
  EXPECT_EQ(Recorded(L"Command"), L"") << "listing invokes nothing";
}

TEST_F(FileExplorerTest, InvokesTheChosenItemInTheDevicesOrderOfCalls) {
  std::string out;
  ASSERT_EQ(testsupport::RunProgram(L"T:\\fexplore.exe /invoke report.txt \"Test Two\"", &out), 0) << out;
  EXPECT_NE(out.find("invoked: Test Two -> 0x00000000"), std::string::npos) << out;
  EXPECT_EQ(Recorded(L"Calls"), L"SetSite,QueryContextMenu,GetCommandString,InvokeCommand,SetSite(null)");
  EXPECT_EQ(Recorded(L"Command"), L"Test Two") << "found through GetCommandString's identifier";
  EXPECT_EQ(Recorded(L"File"), L"\\My Documents\\report.txt");
  EXPECT_EQ(RecordedDword(L"VerbOffset"), 1u);
  EXPECT_EQ(Recorded(L"InvokeOwner"), L"Explore");
}

TEST_F(FileExplorerTest, RefusesUnknownItemsFilesAndUsage) {
  std::string out;
  EXPECT_EQ(testsupport::RunProgram(L"T:\\fexplore.exe /invoke report.txt \"Test Three\"", &out), 2);
  EXPECT_NE(out.find("error: no menu item: Test Three"), std::string::npos) << out;
  EXPECT_EQ(testsupport::RunProgram(L"T:\\fexplore.exe /invoke nothing-here.txt \"Test One\"", &out), 1);
  EXPECT_EQ(testsupport::RunProgram(L"T:\\fexplore.exe /invoke report.txt", &out), 1);
  EXPECT_EQ(testsupport::RunProgram(L"T:\\fexplore.exe /list-menu \"" + std::wstring(400, L'x') + L"\"", &out), 1);
  EXPECT_EQ(Recorded(L"Command"), L"");
}

TEST_F(FileExplorerTest, AcceptsHandlersKeyedByClassIdAndSkipsBrokenRegistrations) {
  // The suite's handler names its key after its CLSID, with "Free" as the default value.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(kHandlers) + L"\\" TESTMENU_HANDLER_NAME).c_str());
  auto setDefault = [](const std::wstring& sub, const wchar_t* value) {
    std::wstring key = std::wstring(kHandlers) + L"\\" + sub;
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value,
                    static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(wchar_t)));
  };
  setDefault(TESTMENU_CLSID_TEXT, L"Free");
  setDefault(L"Unregistered", L"{00000000-1111-2222-3333-444444444444}");
  setDefault(L"Garbage", L"not a class id");
  setDefault(L"Again", TESTMENU_CLSID_TEXT);
  std::string out;
  ASSERT_EQ(testsupport::RunProgram(L"T:\\fexplore.exe /list-menu \"\\My Documents\\report.txt\"", &out), 0) << out;
  EXPECT_EQ(Count(out, "item: Test One\n"), 1u) << out;
  EXPECT_EQ(Count(out, "item: Test Two\n"), 1u) << out;
}

TEST_F(FileExplorerTest, ShowsTheFolderInAListView) {
  CreateDirectoryW(L"\\My Documents\\Sub", nullptr);
  testsupport::ChildProcess explorer = Start(L"T:\\fexplore.exe \"\\My Documents\"");
  ASSERT_TRUE(explorer);
  // The frame is visible to FindWindow before it has made its list, so wait for both.
  HWND list = nullptr;
  ASSERT_TRUE(testsupport::PumpUntil([&] {
    HWND window = FindWindowW(L"Explore", nullptr);
    return window && (list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr)) != nullptr;
  }));
  int entries = 0;
  WIN32_FIND_DATAW fd;
  const win32::FindHandle find(FindFirstFileW(L"\\My Documents\\*.*", &fd));
  ASSERT_TRUE(find);
  do {
    if (lstrcmpW(fd.cFileName, L".") && lstrcmpW(fd.cFileName, L"..")) ++entries;
  } while (FindNextFileW(find.get(), &fd));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == entries; }));
}

// The selection object itself: what every handler reads.
TEST(DropData, OffersTheSelectionAsAFixedWideDropList) {
  auto data = quintar::device::CreateDropData({L"\\My Documents\\a.txt", L"\\Temp\\b.zip"});
  ASSERT_TRUE(data);
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  ASSERT_EQ(data->GetData(&format, &medium), S_OK);
  ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  auto* drop = static_cast<const DROPFILES*>(static_cast<void*>(medium.hGlobal));  // fixed: handle is the block
  EXPECT_TRUE(drop->fWide);
  auto* first = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(drop) + drop->pFiles);
  EXPECT_STREQ(first, L"\\My Documents\\a.txt");
  const wchar_t* second = first + lstrlenW(first) + 1;
  EXPECT_STREQ(second, L"\\Temp\\b.zip");
  EXPECT_EQ(second[lstrlenW(second) + 1], L'\0');
  EXPECT_EQ(LocalFree(medium.hGlobal), nullptr) << "handlers free it with LocalFree";

  FORMATETC text = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->GetData(&text, &medium), DV_E_FORMATETC);
  FORMATETC stream = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
  EXPECT_EQ(data->QueryGetData(&stream), DV_E_TYMED);
  EXPECT_EQ(data->GetData(nullptr, &medium), E_INVALIDARG);
}

}  // namespace

// ---- The suite's own handler, as the device installs it ----

namespace {

constexpr wchar_t kMenuvexKey[] = L"*\\Shellex\\ContextMenuHandlers\\{359BDB2D-B31D-41F9-9CD3-E136B4843987}";
constexpr wchar_t kInstalled[] = L"\\Program Files\\Zek\\Quintar\\Menuvex.dll";

class MenuvexOnTheDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FileExists(kInstalled)) GTEST_SKIP() << "the device image carries no Menuvex.dll";
    // The tests above clear the handlers; put back what installation registered.
    win32::RegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kMenuvexKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
      const win32::Module menuvex(LoadLibraryW(kInstalled));
      ASSERT_TRUE(menuvex);
      using Register = HRESULT(WINAPI*)();
      auto reg =
          reinterpret_cast<Register>(reinterpret_cast<void (*)()>(GetProcAddress(menuvex.get(), "DllRegisterServer")));
      ASSERT_NE(reg, nullptr);
      ASSERT_EQ(reg(), S_OK);
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(kHandlers) + L"\\" TESTMENU_HANDLER_NAME).c_str());
    CreateDirectoryW(L"\\My Documents", nullptr);
    testsupport::WriteFileBytes(L"\\My Documents\\report.txt", "quarterly");
    DeleteFileW(L"\\My Documents\\report.txt.enf");
  }
};

TEST_F(MenuvexOnTheDevice, FileExplorerListsMenuvexItemsForAFileAndAnArchive) {
  std::string out;
  ASSERT_EQ(testsupport::RunProgram(L"\\Windows\\fexplore.exe /list-menu \"\\My Documents\\report.txt\"", &out), 0)
      << out;
  EXPECT_NE(out.find("item: Open\nitem: Add to ZIP File\nitem: Encrypt File...\nitem: Add to Today Screen\n"
                     "item: Properties...\n"),
            std::string::npos)
      << out;
  ASSERT_EQ(testsupport::RunProgram(L"\\Windows\\fexplore.exe /list-menu \"\\My Documents\\Letters.zip\"", &out), 0)
      << out;
  EXPECT_NE(out.find("item: Extract To>Current Directory\nitem: Extract To>Letters\\\n"
                     "item: Extract To>Specify Directory\nitem: Encrypt File...\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("Add to ZIP File"), std::string::npos) << out;
}

// A control's text as its own process holds it (an edit keeps its text where only WM_GETTEXT
// reaches it).
std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

HWND WaitWindow(const wchar_t* caption, int control) {
  HWND found = nullptr;
  testsupport::PumpUntil([&] {
    found = FindWindowW(L"#32770", caption);
    return found && IsWindowVisible(found) && (control == 0 || GetDlgItem(found, control));
  });
  return found;
}

// Waits for File Explorer to end; its exit code, or 99 when it is still running.
DWORD Ended(const testsupport::ChildProcess& explorer, DWORD ms = 15000) {
  if (!testsupport::PumpUntil([&] { return WaitForSingleObject(explorer.get(), 0) == WAIT_OBJECT_0; }, ms)) return 99;
  DWORD code = 99;
  GetExitCodeProcess(explorer.get(), &code);
  return code;
}

TEST_F(MenuvexOnTheDevice, PropertiesShowsTheFileAndRenamesItAndSetsItsAttributes) {
  const std::wstring renamed = L"\\My Documents\\report 2.txt";
  SetFileAttributesW(renamed.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(renamed.c_str());
  testsupport::ChildProcess explorer =
      Start(L"\\Windows\\fexplore.exe /invoke \"\\My Documents\\report.txt\" \"Properties...\"");
  ASSERT_TRUE(explorer);
  const HWND dialog = WaitWindow(L"Properties", 1003);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 1003)), L"report.txt");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 1006)), L"\\My Documents");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 1008)), L"9 B");
  const std::pair<int, const wchar_t*> labels[] = {
      {1002, L"Type:"},     {1005, L"Location:"}, {1007, L"Size:"},   {1011, L"Created:"}, {1013, L"Updated:"},
      {1009, L"Read_Only"}, {1016, L"Hidden"},    {1017, L"Archive"}, {1018, L"System"},   {1019, L"ROM File"}};
  for (const auto& [id, text] : labels) EXPECT_EQ(TextOf(GetDlgItem(dialog, id)), text) << id;
  const std::wstring updated = TextOf(GetDlgItem(dialog, 1014));
  EXPECT_TRUE(updated.ends_with(L" AM") || updated.ends_with(L" PM")) << updated;
  SendMessageW(GetDlgItem(dialog, 1009), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(dialog, 1003), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"report 2.txt"));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Ended(explorer), 0u);
  EXPECT_FALSE(FileExists(L"\\My Documents\\report.txt"));
  EXPECT_EQ(testsupport::ReadFileBytes(renamed), "quarterly");
  EXPECT_TRUE(GetFileAttributesW(renamed.c_str()) & FILE_ATTRIBUTE_READONLY);

  // The file goes behind the dialog's back: the exact box, and the dialog stays for another try.
  testsupport::ChildProcess again = Start(L"\\Windows\\fexplore.exe /invoke \"" + renamed + L"\" \"Properties...\"");
  ASSERT_TRUE(again);
  const HWND second = WaitWindow(L"Properties", 1003);
  ASSERT_TRUE(second);
  SetFileAttributesW(renamed.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(DeleteFileW(renamed.c_str()));
  SendMessageW(GetDlgItem(second, 1016), BM_CLICK, 0, 0);
  PostMessageW(second, WM_COMMAND, IDOK, 0);
  const HWND box = WaitWindow(L"Zek TOOLS", 0);
  ASSERT_TRUE(box);
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)),
            L"  Can't to set new attributes for                  < report 2.txt >        The system can't find the "
            L"file specified.                 Make sure memory is not full or write-protected and the file is not "
            L"currently in use.");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  testsupport::PumpFor(500);
  EXPECT_TRUE(IsWindowVisible(second)) << "the dialog stays open";
  PostMessageW(second, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(Ended(again), 0u);
}

TEST_F(MenuvexOnTheDevice, AddToTodayScreenAddsALauncherToTheRunningGlancet) {
  if (!FileExists(L"\\Program Files\\Zek\\Quintar\\Glancet.dll")) GTEST_SKIP() << "no Glancet.dll in the image";
  constexpr wchar_t kData[] = L"\\windows\\pellvane.dat";
  const std::wstring target = L"\\My Documents\\report.txt";
  const std::string wide(reinterpret_cast<const char*>(target.c_str()), target.size() * sizeof(wchar_t));
  std::string out;
  // No Today screen: nothing happens, and nothing is said.
  EXPECT_EQ(
      testsupport::RunProgram(L"\\Windows\\fexplore.exe /invoke \"" + target + L"\" \"Add to Today Screen\"", &out), 0)
      << out;
  EXPECT_NE(out.find("-> 0x00000000"), std::string::npos) << out;

  DeleteFileW(kData);
  testsupport::ChildProcess shell = testsupport::StartProgram(L"T:\\shell.exe", L"/refresh-ms 500");
  ASSERT_TRUE(shell);
  ASSERT_TRUE(testsupport::PumpUntil(
      [&] {
        HWND desktop = FindWindowW(L"DesktopExplorerWindow", L"DeskTop");
        return desktop && FindWindowExW(desktop, nullptr, L"MyToday", L"MyTodayScreen");
      },
      15000));
  testsupport::PumpUntil([&] { return FileExists(kData); }, 5000);
  EXPECT_EQ(testsupport::ReadFileBytes(kData).find(wide), std::string::npos) << "not there before";
  ASSERT_EQ(
      testsupport::RunProgram(L"\\Windows\\fexplore.exe /invoke \"" + target + L"\" \"Add to Today Screen\"", &out), 0)
      << out;
  EXPECT_NE(out.find("invoked: Add to Today Screen -> 0x00000000"), std::string::npos) << out;
  EXPECT_TRUE(
      testsupport::PumpUntil([&] { return testsupport::ReadFileBytes(kData).find(wide) != std::string::npos; }, 5000))
      << "the launcher is saved in Glancet's data file";
}

TEST_F(MenuvexOnTheDevice, CancelDuringALargeCompressionLeavesNothingBehind) {
  const std::wstring folder = L"\\My Documents\\Large";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring big = folder + L"\\big.bin";
  {
    // 400 MB that deflate cannot shrink, so the run lasts.
    win32::FileHandle file(CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    std::string chunk(8 << 20, '\0');
    std::uint32_t x = 2463534242u;
    for (int i = 0; i < 50; ++i) {
      for (std::size_t at = 0; at < chunk.size(); at += 4) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        std::memcpy(&chunk[at], &x, 4);
      }
      DWORD written = 0;
      ASSERT_TRUE(WriteFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr));
    }
  }
  auto names = [&] {
    std::vector<std::wstring> all;
    WIN32_FIND_DATAW found;
    win32::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (find) do {
        if (lstrcmpW(found.cFileName, L".") && lstrcmpW(found.cFileName, L"..")) all.push_back(found.cFileName);
      } while (FindNextFileW(find.get(), &found));
    return all;
  };
  testsupport::ChildProcess explorer = Start(L"\\Windows\\fexplore.exe /invoke \"" + big + L"\" \"Add to ZIP File\"");
  ASSERT_TRUE(explorer);
  const HWND dialog = WaitWindow(L"Compressing", 1011);
  ASSERT_TRUE(dialog);
  // Under way: the archive has some megabytes of the file in it.
  EXPECT_TRUE(testsupport::PumpUntil(
      [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return GetFileAttributesExW((folder + L"\\big.zip").c_str(), GetFileExInfoStandard, &data) &&
               data.nFileSizeLow > (4u << 20);
      },
      30000));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1011, BN_CLICKED), 0);
  EXPECT_EQ(Ended(explorer, 60000), 0u);
  EXPECT_EQ(names(), std::vector<std::wstring>{L"big.bin"}) << "no archive and no temporary file";
  DeleteFileW(big.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(MenuvexOnTheDevice, EncryptsThroughTheDialogInFileExplorer) {
  testsupport::ChildProcess explorer =
      Start(L"\\Windows\\fexplore.exe /invoke \"\\My Documents\\report.txt\" \"Encrypt File...\"");
  ASSERT_TRUE(explorer);
  HWND dialog = nullptr;
  // Typed into once it is on the screen, as a user would.
  ASSERT_TRUE(testsupport::PumpUntil([&] {
    dialog = FindWindowW(L"#32770", L"Encrypt File");
    return dialog && IsWindowVisible(dialog) && GetDlgItem(dialog, 1028);
  }));
  ASSERT_TRUE(SetDlgItemTextW(dialog, 1026, L"device"));
  ASSERT_TRUE(SetDlgItemTextW(dialog, 1028, L"device"));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1023, BN_CLICKED), 0);
  const bool ended =
      testsupport::PumpUntil([&] { return WaitForSingleObject(explorer.get(), 0) == WAIT_OBJECT_0; }, 15000);
  if (!ended) {
    HWND box = FindWindowW(L"#32770", L"Error Encrypting File");
    FAIL() << "File Explorer still runs" << (box ? ", showing an error box" : "");
  }
  DWORD code = 99;
  GetExitCodeProcess(explorer.get(), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(FileExists(L"\\My Documents\\report.txt.enf"));
  EXPECT_EQ(testsupport::ReadFileBytes(L"\\My Documents\\report.txt"), "quarterly") << "the original stays";
}

}  // namespace

// The File Explorer stand-in as a context-menu host: the test handler's items appear, the chosen
// one runs, and the host keeps the device's order of calls.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <string>

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

TEST_F(MenuvexOnTheDevice, CommandsNotBuiltYetAreRefusedHonestly) {
  std::string out;
  EXPECT_EQ(testsupport::RunProgram(
                L"\\Windows\\fexplore.exe /invoke \"\\My Documents\\report.txt\" \"Properties...\"", &out),
            3);
  EXPECT_NE(out.find("-> 0x80004001"), std::string::npos) << out;
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

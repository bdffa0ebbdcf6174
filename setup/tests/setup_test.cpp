// setup.dll as the device's installer calls it, and the whole suite removed and installed again
// through the installer (wceload.exe) beside a running Today screen.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "device/tests/device_test_util.h"

using namespace quintar::device::tests;
using testsupport::PumpUntil;

namespace {

constexpr wchar_t kItem[] = L"SOFTWARE\\Microsoft\\Today\\Items\\Glancet";
constexpr wchar_t kCounter[] = L"SOFTWARE\\Microsoft\\Today\\Items\\Counter";
constexpr wchar_t kRecords[] = L"Software\\Quintar\\Tests\\TestToday\\Counter";
constexpr wchar_t kSuite[] = L"\\Program Files\\Zek\\Quintar";
constexpr wchar_t kCaption[] = L"Zek Quintar Installation";
constexpr wchar_t kText[] =
    L"You are installing Zek Quintar on a storage card.Zek Quintar is a system application,so it will install Zek "
    L"Quintar using the default application install directory.                          Do you wish to continue "
    L"setup?";

using InstallInit = DWORD(WINAPI*)(HWND, BOOL, BOOL, LPCWSTR);
using InstallExit = DWORD(WINAPI*)(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD);
using UninstallInit = DWORD(WINAPI*)(HWND, LPCWSTR);
using UninstallExit = DWORD(WINAPI*)(HWND);

bool KeyExists(const std::wstring& key) {
  quintar::win32::RegKey k;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

std::wstring ReadString(const std::wstring& key, const wchar_t* name, HKEY root = HKEY_LOCAL_MACHINE) {
  wchar_t value[MAX_PATH] = L"";
  DWORD size = sizeof value;
  RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size);
  return value;
}

constexpr wchar_t kMenuvexClass[] = L"CLSID\\{359BDB2D-B31D-41F9-9CD3-E136B4843987}";

bool MenuvexRegistered() {
  quintar::win32::RegKey k;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, kMenuvexClass, 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

// How often the Today screen has loaded its test item: once at start, once per reload.
DWORD Reloads() {
  DWORD value = 0, size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kRecords, L"Inits", RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

template <class Fn>
Fn Export(HMODULE dll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kRecords);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kCounter, L"DLL", REG_SZ, L"T:\\testtoday.dll", 17 * sizeof(wchar_t));
    for (auto [name, data] : {std::pair{L"Enabled", DWORD{1}}, std::pair{L"Type", DWORD{4}}})
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, kCounter, name, REG_DWORD, &data, sizeof data);
    shell_ = Start(L"T:\\shell.exe /refresh-ms 100");
    ASSERT_TRUE(PumpUntil([] { return FindWindowW(L"DesktopExplorerWindow", L"DeskTop") && Reloads() == 1; }));
  }
  void TearDown() override { shell_ = {}; }

  testsupport::ChildProcess shell_;
};

// The installer run on the device; its exit code once it ends.
DWORD RunInstaller(const std::wstring& arguments, HWND* box = nullptr, int answer = 0) {
  testsupport::ChildProcess installer = Start(L"\\Windows\\wceload.exe " + arguments);
  if (!installer) return 0xFFFF;
  if (box) {
    *box = testsupport::WaitForWindow(L"#32770", kCaption, 15000);
    if (*box) PostMessageW(*box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
  }
  return installer.WaitPumping(30000);
}

TEST_F(SetupTest, TheSuiteIsRemovedAndInstalledThroughTheInstaller) {
  const std::wstring folderon = std::wstring(kSuite) + L"\\Folderon.exe";
  const std::wstring link = L"\\Windows\\Start Menu\\Programs\\Tamsk.lnk";
  ASSERT_TRUE(FileExists(folderon));
  ASSERT_TRUE(KeyExists(kItem));

  // Removal: the Today screen lets go of the plug-in first, then every file of the package goes.
  EXPECT_EQ(RunInstaller(L"/noui /remove \"Zek Quintar\""), 0u);
  EXPECT_FALSE(KeyExists(kItem));
  EXPECT_TRUE(KeyExists(kCounter));
  EXPECT_TRUE(PumpUntil([] { return Reloads() >= 2; }, 5000));
  EXPECT_FALSE(FileExists(folderon));
  EXPECT_FALSE(FileExists(std::wstring(kSuite) + L"\\Glancet.dll"));
  EXPECT_FALSE(FileExists(kSuite));
  EXPECT_FALSE(FileExists(link));
  EXPECT_FALSE(KeyExists(L"SOFTWARE\\Apps\\Zek Quintar"));
  EXPECT_FALSE(MenuvexRegistered()) << "the class key goes with its subkey";
  EXPECT_EQ(RunInstaller(L"/noui /remove \"Zek Quintar\""), 3u) << "no longer installed";

  // Installation from the package: the files, the shortcuts and the item are back, and the Today
  // screen loads the plug-in.
  const DWORD reloads = Reloads();
  EXPECT_EQ(RunInstaller(L"/noui \"\\Windows\\AppMgr\\Zek Quintar.zip\""), 0u);
  EXPECT_TRUE(FileExists(folderon));
  EXPECT_TRUE(FileExists(std::wstring(kSuite) + L"\\Contents.htm"));
  const std::string target = "\"\\Program Files\\Zek\\Quintar\\Tamsk.exe\"";
  EXPECT_EQ(testsupport::ReadFileBytes(link), std::to_string(target.size()) + "#" + target);
  EXPECT_EQ(ReadString(kItem, L"DLL"), std::wstring(kSuite) + L"\\Glancet.dll");
  EXPECT_EQ(ReadString(std::wstring(kMenuvexClass) + L"\\InprocServer32", nullptr, HKEY_CLASSES_ROOT),
            std::wstring(kSuite) + L"\\Menuvex.dll");
  EXPECT_TRUE(PumpUntil([&] { return Reloads() > reloads; }, 5000));
  WIN32_FIND_DATAW found;
  quintar::win32::FindHandle staging(FindFirstFileW(L"\\Temp\\wceload.*", &found));
  EXPECT_FALSE(staging) << "nothing unpacked is left";

  // Another folder asks first: No cancels before anything is copied; Yes installs there.
  HWND box = nullptr;
  EXPECT_EQ(RunInstaller(L"/noui /dest \"\\Storage Card\\Quintar\" \"\\Windows\\AppMgr\\Zek Quintar.zip\"", &box, IDNO),
            1u);
  EXPECT_NE(box, nullptr);
  EXPECT_FALSE(FileExists(L"\\Storage Card\\Quintar"));
  EXPECT_EQ(
      RunInstaller(L"/noui /dest \"\\Storage Card\\Quintar\" \"\\Windows\\AppMgr\\Zek Quintar.zip\"", &box, IDYES), 0u);
  EXPECT_TRUE(FileExists(L"\\Storage Card\\Quintar\\Vorrel.exe"));
  EXPECT_EQ(ReadString(kItem, L"DLL"), L"\\Storage Card\\Quintar\\Glancet.dll");
  // The copy in the old folder went first: one copy, everything pointing at it.
  EXPECT_FALSE(FileExists(kSuite));
  EXPECT_EQ(ReadString(L"SOFTWARE\\Apps\\Zek Quintar", L"InstallDir"), L"\\Storage Card\\Quintar");
  EXPECT_NE(testsupport::ReadFileBytes(link).find("Storage Card\\Quintar\\Tamsk.exe"), std::string::npos);
  const std::wstring server = ReadString(std::wstring(kMenuvexClass) + L"\\InprocServer32", nullptr, HKEY_CLASSES_ROOT);
  EXPECT_EQ(server, L"\\Storage Card\\Quintar\\Menuvex.dll");
  HMODULE menuvex = LoadLibraryW(server.c_str());
  EXPECT_NE(menuvex ? GetProcAddress(menuvex, "DllGetClassObject") : nullptr, nullptr) << "the registered server loads";
  if (menuvex) FreeLibrary(menuvex);

  // A theme is only recorded, as before.
  EXPECT_EQ(RunInstaller(L"/safe /noui /nouninstall /delete 0 \\windows\\My_Theme.tsk"), 0u);
  // A damaged package is refused.
  ASSERT_TRUE(testsupport::WriteFileBytes(L"\\Temp\\bad.zip", "not a zip"));
  EXPECT_EQ(RunInstaller(L"/noui \\Temp\\bad.zip"), 3u);
}

TEST_F(SetupTest, HooksCheckTheFolderReloadTheTodayScreenAndRemoveTheItem) {
  quintar::win32::Module dll(LoadLibraryW(L"T:\\setup.dll"));
  ASSERT_TRUE(dll);
  auto init = Export<InstallInit>(dll.get(), "Install_Init");
  auto exit = Export<InstallExit>(dll.get(), "Install_Exit");
  auto uninit = Export<UninstallInit>(dll.get(), "Uninstall_Init");
  auto unexit = Export<UninstallExit>(dll.get(), "Uninstall_Exit");
  ASSERT_TRUE(init && exit && uninit && unexit);
  testsupport::UniqueWindow owner = testsupport::CreateTestWindow(L"Installer");

  // The suite's own folder: no box. Any other, even by letter case or none at all: the box.
  testsupport::DialogResponder responder;
  EXPECT_EQ(init(owner.get(), TRUE, FALSE, kSuite), 0u);
  EXPECT_TRUE(responder.MessageBoxes().empty());
  responder.OnCaption(kCaption, IDYES).Once();
  EXPECT_EQ(init(owner.get(), TRUE, FALSE, L"\\Storage Card\\Program Files\\Zek\\Quintar"), 0u);
  responder.OnCaption(kCaption, IDNO).Once();
  EXPECT_EQ(init(owner.get(), TRUE, FALSE, L"\\program files\\zek\\quintar"), 1u);
  responder.OnCaption(kCaption, IDNO).Once();
  EXPECT_EQ(init(owner.get(), TRUE, TRUE, nullptr), 1u);
  ASSERT_EQ(responder.MessageBoxes().size(), 3u);
  for (const auto& box : responder.MessageBoxes()) {
    EXPECT_EQ(box.owner, owner.get());
    EXPECT_EQ(box.text, kText);
    EXPECT_EQ(box.caption, kCaption);
    if (box.styleKnown) {
      EXPECT_EQ(box.style, UINT(MB_YESNO | MB_ICONHAND));
    }
  }
  EXPECT_EQ(responder.UnexpectedCount(), 0);
  // A box that cannot be shown (its owner is gone) cancels nothing.
  EXPECT_EQ(init(reinterpret_cast<HWND>(0x7FFF0001), TRUE, FALSE, L"\\Storage Card"), 0u);

  // The end of an installation reloads the Today screen.
  EXPECT_EQ(exit(owner.get(), kSuite, 0, 0, 0, 0, 0), 0u);
  EXPECT_TRUE(PumpUntil([] { return Reloads() == 2; }, 5000));

  // Removal takes the item's key with what is below it, leaves the other items and reloads.
  const DWORD tab = 1;
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, (std::wstring(kItem) + L"\\Settings").c_str(), L"Tab", REG_DWORD, &tab, 4);
  EXPECT_EQ(uninit(owner.get(), kSuite), 0u);
  EXPECT_FALSE(KeyExists(kItem));
  EXPECT_TRUE(KeyExists(kCounter));
  EXPECT_TRUE(PumpUntil([] { return Reloads() == 3; }, 5000));
  // Nothing left to remove is no failure either.
  EXPECT_EQ(uninit(owner.get(), nullptr), 0u);
  EXPECT_EQ(unexit(owner.get()), 0u);
}

}  // namespace

// The suite menu of Folderon, Tamsk and Vorrel, driven from outside on the device: the installed
// programs beside the Today screen, whose test item counts its reloads.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <string>

#include <gtest/gtest.h>

#include "device/tests/device_test_util.h"

using namespace quintar::device::tests;
using testsupport::PumpUntil;

namespace {

constexpr wchar_t kItems[] = L"SOFTWARE\\Microsoft\\Today\\Items";
constexpr wchar_t kItem[] = L"SOFTWARE\\Microsoft\\Today\\Items\\Glancet";
constexpr wchar_t kRecords[] = L"Software\\Quintar\\Tests\\TestToday\\";

struct Program {
  const wchar_t* exe;
  const wchar_t* windowClass;  // the top-level window that shows it runs
  const wchar_t* title;
};
constexpr Program kFolderon = {L"Folderon.exe", L"FolderonPLUSUNI", nullptr};
constexpr Program kTamsk = {L"Tamsk.exe", L"Zek Registry Editor", nullptr};
constexpr Program kVorrel = {L"Vorrel.exe", L"#32770", L"Vorrel"};

DWORD ReadDword(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  return RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS ? value
                                                                                                          : 0xFFFF;
}
DWORD Recorded(const wchar_t* item, const wchar_t* name) {
  return ReadDword(HKEY_CURRENT_USER, std::wstring(kRecords) + item, name);
}
DWORD Reloads() { return Recorded(L"Counter", L"Inits"); }

// A test item under the Today screen's items (the reload counter, or Glancet's key).
void AddItem(const wchar_t* name, DWORD enabled) {
  std::wstring key = std::wstring(kItems) + L"\\" + name;
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"DLL", REG_SZ, L"T:\\testtoday.dll", 17 * sizeof(wchar_t));
  for (auto [value, data] : {std::pair{L"Enabled", enabled}, std::pair{L"Type", DWORD{4}}})
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), value, REG_DWORD, &data, sizeof data);
}

std::string LaunchLog() {
  return testsupport::ReadFileBytes(DeviceLogPath(L"LaunchLog", L"\\Windows\\device-launch.log"));
}

HWND Find(const Program& p) { return FindWindowW(p.windowClass, p.title); }

// The command as the user gives it: a menu command, or a button on Vorrel's Other Software page.
void Choose(const Program& p, int id) {
  HWND window = Find(p), page = nullptr;
  ASSERT_NE(window, nullptr);
  if (&p != &kVorrel) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    return;
  }
  PostMessageW(window, PSM_SETCURSEL, 5, 0);
  ASSERT_TRUE(PumpUntil([&] {
    page = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
    return page && GetDlgItem(page, 1051);
  }));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, id)));
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

class SuiteMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItems);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRecords);
  }
  void TearDown() override {
    // Siblings were started by the programs, not by the test.
    for (const Program* p : {&kFolderon, &kTamsk, &kVorrel}) {
      DWORD pid = 0;
      while (HWND w = Find(*p)) {
        GetWindowThreadProcessId(w, &pid);
        quintar::win32::KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (!process || !TerminateProcess(process.get(), 1)) break;
        WaitForSingleObject(process.get(), 5000);
      }
    }
    shell_ = {};
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItems);
  }

  HWND StartShell() {
    AddItem(L"Counter", 1);
    shell_ = Start(L"T:\\shell.exe /refresh-ms 100");
    HWND desktop = nullptr;
    PumpUntil([&] { return (desktop = FindWindowW(L"DesktopExplorerWindow", L"DeskTop")) && Reloads() == 1; });
    return desktop;
  }

  // The installed program, started as the Start menu starts it; its window once it shows.
  HWND Launch(const Program& p) {
    program_ = Start(L"\"\\Program Files\\Zek\\Quintar\\" + std::wstring(p.exe) + L"\"");
    return testsupport::WaitForWindow(p.windowClass, p.title, 15000);
  }

  testsupport::ChildProcess shell_, program_;
};

TEST_F(SuiteMenuTest, PellvaneSwitchesTheTodayItemOnReloadsAndCloses) {
  AddItem(L"Glancet", 0);
  HWND desktop = StartShell();
  ASSERT_NE(desktop, nullptr);
  ASSERT_NE(Launch(kFolderon), nullptr);
  Choose(kFolderon, 4141);
  EXPECT_EQ(program_.WaitPumping(15000), 0u) << "Folderon closes as after Exit";
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kItem, L"Enabled"), 1u);
  EXPECT_TRUE(PumpUntil([] { return Reloads() == 2 && Recorded(L"Glancet", L"Enabled") == 1; }, 5000))
      << "the Today screen reloads with the item on";
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == desktop; }, 3000)) << GetForegroundWindow();
}

TEST_F(SuiteMenuTest, AnEnabledItemIsLeftAloneAndAMissingKeyIsNotCreated) {
  AddItem(L"Glancet", 1);
  HWND desktop = StartShell();
  ASSERT_NE(desktop, nullptr);
  auto lastWrite = [] {
    FILETIME at = {};
    quintar::win32::RegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItem, 0, KEY_READ, key.put());
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, &at);
    return at;
  };
  const FILETIME before = lastWrite();
  // Tamsk's entry, with the item already on: nothing written, no reload; Tamsk still closes.
  ASSERT_NE(Launch(kTamsk), nullptr);
  Choose(kTamsk, 40080);
  EXPECT_EQ(program_.WaitPumping(15000), 0u);
  const FILETIME after = lastWrite();
  EXPECT_EQ(CompareFileTime(&before, &after), 0);
  testsupport::PumpFor(500);
  EXPECT_EQ(Reloads(), 1u);
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == desktop; }, 3000)) << GetForegroundWindow();

  // Vorrel's button, with no item key at all: none is made, and Vorrel still closes.
  ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItem), ERROR_SUCCESS);
  ASSERT_NE(Launch(kVorrel), nullptr);
  Choose(kVorrel, 1043);
  EXPECT_EQ(program_.WaitPumping(15000), 0u);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kItem, L"Enabled"), 0xFFFFu);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, kItem), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Reloads(), 1u);
}

// Each program's entries start their siblings from the install folder and close the caller:
// Folderon > Tamsk > Vorrel > Folderon > Vorrel > Tamsk > Folderon.
TEST_F(SuiteMenuTest, EveryProgramStartsItsSiblingsAndCloses) {
  ASSERT_NE(Launch(kFolderon), nullptr);
  struct Step {
    const Program& from;
    int id;
    const Program& to;
    const char* logged;
  } steps[] = {
      {kFolderon, 4142, kTamsk, "tamsk.exe|\n"},     {kTamsk, 40082, kVorrel, "vorrel.exe|\n"},
      {kVorrel, 1051, kFolderon, "folderon.exe|\n"}, {kFolderon, 4143, kVorrel, "vorrel.exe|\n"},
      {kVorrel, 1044, kTamsk, "tamsk.exe|\n"},       {kTamsk, 40081, kFolderon, "folderon.exe|\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "command " << step.id);
    HWND from = Find(step.from);
    const std::string log = LaunchLog();
    Choose(step.from, step.id);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(from) && Find(step.to); }, 15000));
    EXPECT_EQ(LaunchLog().substr(log.size()), step.logged);
    // Only the one sibling runs.
    for (const Program* p : {&kFolderon, &kTamsk, &kVorrel}) EXPECT_EQ(Find(*p) != nullptr, p == &step.to);
  }
}

TEST_F(SuiteMenuTest, ManualsOpenInTheBrowserOrThePromptTellsWhereTheyAre) {
  HWND folderon = Launch(kFolderon);
  ASSERT_NE(folderon, nullptr);
  std::string log = LaunchLog();
  Choose(kFolderon, 4099);
  ASSERT_TRUE(PumpUntil([&] { return LaunchLog().size() > log.size(); }, 10000));
  EXPECT_EQ(LaunchLog().substr(log.size()),
            "iexplore.exe|\"\\Program Files\\Zek\\Quintar\\Folderon_user_manual.htm\"\n");
  testsupport::PumpFor(300);
  EXPECT_TRUE(IsWindow(folderon)) << "Folderon stays open";

  // Tamsk's manual is gone: only the suite's own box, and Tamsk stays.
  ASSERT_TRUE(DeleteFileW(L"\\Program Files\\Zek\\Quintar\\Contents.htm"));
  HWND tamsk = Launch(kTamsk);
  ASSERT_NE(tamsk, nullptr);
  log = LaunchLog();
  Choose(kTamsk, 40052);
  HWND box = testsupport::WaitForWindow(L"#32770", L"Prompt", 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(box) != FALSE; }, 5000));
  testsupport::PumpFor(300);
  EXPECT_EQ(GetWindow(box, GW_OWNER), tamsk);
  EXPECT_EQ(testsupport::DlgItemText(box, 0xFFFF),
            L"If you can't open user manual, please open it under installation directory.");
  EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
  int boxes = 0;  // the shell's own "cannot open" box stays away
  for (HWND w = FindWindowW(L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr))
    boxes += IsWindowVisible(w) ? 1 : 0;
  EXPECT_EQ(boxes, 1);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 5000));
  testsupport::PumpFor(300);
  EXPECT_TRUE(IsWindow(tamsk));
  EXPECT_EQ(LaunchLog(), log);
}

}  // namespace

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
constexpr wchar_t kCounter[] = L"SOFTWARE\\Microsoft\\Today\\Items\\Counter";
constexpr wchar_t kRecords[] = L"Software\\Quintar\\Tests\\TestToday";
constexpr wchar_t kFolder[] = L"\\Program Files\\Zek\\Quintar\\";

struct Program {
  const wchar_t* exe;
  const wchar_t* windowClass;  // the top-level window that shows it runs
  const wchar_t* title;
};
constexpr Program kFolderon = {L"Folderon.exe", L"FolderonPLUSUNI", nullptr};
constexpr Program kTamsk = {L"Tamsk.exe", L"Zek Registry Editor", nullptr};
constexpr Program kVorrel = {L"Vorrel.exe", L"#32770", L"Vorrel"};

void SetDword(const wchar_t* key, const wchar_t* name, DWORD value) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
}

DWORD ReadDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD fallback = 0xFFFFFFFF) {
  DWORD value = 0, size = sizeof value;
  return RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS ? value
                                                                                                          : fallback;
}

DWORD Reloads() { return ReadDword(HKEY_CURRENT_USER, std::wstring(kRecords) + L"\\Counter", L"Inits", 0); }

std::string LaunchLog() {
  return testsupport::ReadFileBytes(DeviceLogPath(L"LaunchLog", L"\\Windows\\device-launch.log"));
}

HWND Find(const Program& p) { return FindWindowW(p.windowClass, p.title); }

// Ends a program the test did not start itself (started by another program of the suite).
void End(const Program& p) {
  while (HWND w = Find(p)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    quintar::win32::KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) return;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 5000);
  }
}

class SuiteMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItems);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRecords);
  }
  void TearDown() override {
    for (const Program* p : {&kFolderon, &kTamsk, &kVorrel}) End(*p);
    shell_ = {};
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItems);
  }

  // The Glancet item (a test item, so that its loading is seen) and the reload counter.
  void AddItems(bool glancet, DWORD enabled) {
    if (glancet) {
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, kItem, L"DLL", REG_SZ, L"T:\\testtoday.dll", 17 * sizeof(wchar_t));
      SetDword(kItem, L"Enabled", enabled);
      SetDword(kItem, L"Type", 4);
    }
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kCounter, L"DLL", REG_SZ, L"T:\\testtoday.dll", 17 * sizeof(wchar_t));
    SetDword(kCounter, L"Enabled", 1);
    SetDword(kCounter, L"Type", 4);
  }

  HWND StartShell() {
    shell_ = Start(L"T:\\shell.exe /refresh-ms 100");
    HWND desktop = nullptr;
    PumpUntil([&] {
      desktop = FindWindowW(L"DesktopExplorerWindow", L"DeskTop");
      return desktop && Reloads() == 1;
    });
    return desktop;
  }

  // The installed program, started as the Start menu starts it; its window once it shows.
  HWND Launch(const Program& p) {
    program_ = Start(L"\"" + std::wstring(kFolder) + p.exe + L"\"");
    EXPECT_TRUE(program_) << p.exe;
    return testsupport::WaitForWindow(p.windowClass, p.title, 15000);
  }

  testsupport::ChildProcess shell_, program_;
};

// The Vorrel page that carries the "Other Software" buttons, opened.
HWND OtherSoftwarePage(HWND sheet) {
  PostMessageW(sheet, PSM_SETCURSEL, 5, 0);
  HWND page = nullptr;
  PumpUntil([&] {
    page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    return page && GetDlgItem(page, 1051);
  });
  return page;
}

void Click(HWND page, int id) {
  HWND button = GetDlgItem(page, id);
  ASSERT_NE(button, nullptr) << id;
  EXPECT_TRUE(IsWindowEnabled(button)) << id;
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

TEST_F(SuiteMenuTest, PellvaneSwitchesTheTodayItemOnReloadsAndCloses) {
  AddItems(true, 0);
  HWND desktop = StartShell();
  ASSERT_NE(desktop, nullptr);
  HWND folderon = Launch(kFolderon);
  ASSERT_NE(folderon, nullptr);
  PostMessageW(folderon, WM_COMMAND, MAKEWPARAM(4141, 0), 0);
  EXPECT_EQ(program_.WaitPumping(15000), 0u) << "Folderon closes as after Exit";
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kItem, L"Enabled"), 1u);
  EXPECT_TRUE(PumpUntil([] { return Reloads() == 2; }, 5000)) << Reloads();
  EXPECT_TRUE(PumpUntil(
      [] { return ReadDword(HKEY_CURRENT_USER, std::wstring(kRecords) + L"\\Glancet", L"Enabled", 0) == 1; }, 5000))
      << "the switched-on item is loaded";
  EXPECT_EQ(GetForegroundWindow(), desktop);
}

TEST_F(SuiteMenuTest, AnEnabledItemIsLeftAloneAndAMissingKeyIsNotCreated) {
  AddItems(true, 1);
  HWND desktop = StartShell();
  ASSERT_NE(desktop, nullptr);
  FILETIME before = {}, after = {};
  auto written = [](FILETIME& at) {
    quintar::win32::RegKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItem, 0, KEY_READ, key.put());
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, &at);
  };
  written(before);
  // Tamsk's entry, with the item already on: nothing written, no reload; Tamsk still closes.
  HWND tamsk = Launch(kTamsk);
  ASSERT_NE(tamsk, nullptr);
  PostMessageW(tamsk, WM_COMMAND, MAKEWPARAM(40080, 0), 0);
  EXPECT_EQ(program_.WaitPumping(15000), 0u);
  written(after);
  EXPECT_EQ(CompareFileTime(&before, &after), 0);
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kItem, L"Enabled"), 1u);
  testsupport::PumpFor(500);
  EXPECT_EQ(Reloads(), 1u);
  EXPECT_EQ(GetForegroundWindow(), desktop);

  // Vorrel's button, with no item key at all: none is made, and Vorrel still closes.
  ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kItem), ERROR_SUCCESS);
  HWND sheet = Launch(kVorrel);
  ASSERT_NE(sheet, nullptr);
  HWND page = OtherSoftwarePage(sheet);
  ASSERT_NE(page, nullptr);
  Click(page, 1043);
  EXPECT_EQ(program_.WaitPumping(15000), 0u);
  quintar::win32::RegKey key;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItem, 0, KEY_READ, key.put()), ERROR_SUCCESS);
  EXPECT_EQ(Reloads(), 1u);
}

// Each program's entries start their siblings from the install folder and close the caller:
// Folderon > Tamsk > Vorrel > Folderon > Vorrel > Tamsk > Folderon.
TEST_F(SuiteMenuTest, EveryProgramStartsItsSiblingsAndCloses) {
  HWND folderon = Launch(kFolderon);
  ASSERT_NE(folderon, nullptr);
  struct Step {
    const Program& from;
    int id;
    const Program& to;
    const char* logged;
  } steps[] = {
      {kFolderon, 4142, kTamsk, "tamsk.exe|"},     {kTamsk, 40082, kVorrel, "vorrel.exe|"},
      {kVorrel, 1051, kFolderon, "folderon.exe|"}, {kFolderon, 4143, kVorrel, "vorrel.exe|"},
      {kVorrel, 1044, kTamsk, "tamsk.exe|"},       {kTamsk, 40081, kFolderon, "folderon.exe|"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "command " << step.id);
    HWND from = Find(step.from);
    ASSERT_NE(from, nullptr);
    std::string log = LaunchLog();
    if (&step.from == &kVorrel) {
      HWND page = OtherSoftwarePage(from);
      ASSERT_NE(page, nullptr);
      Click(page, step.id);
    } else {
      PostMessageW(from, WM_COMMAND, MAKEWPARAM(step.id, 0), 0);
    }
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(from) && Find(step.to); }, 15000));
    std::string added = LaunchLog().substr(log.size());
    EXPECT_EQ(added, std::string(step.logged) + "\n") << added;
    // Only the one sibling runs.
    for (const Program* p : {&kFolderon, &kTamsk, &kVorrel}) {
      if (p != &step.to) {
        EXPECT_EQ(Find(*p), nullptr);
      }
    }
  }
}

TEST_F(SuiteMenuTest, ManualsOpenInTheBrowserOrThePromptTellsWhereTheyAre) {
  HWND folderon = Launch(kFolderon);
  ASSERT_NE(folderon, nullptr);
  std::string log = LaunchLog();
  PostMessageW(folderon, WM_COMMAND, MAKEWPARAM(4099, 0), 0);
  ASSERT_TRUE(PumpUntil([&] { return LaunchLog().size() > log.size(); }, 10000));
  EXPECT_EQ(LaunchLog().substr(log.size()),
            "iexplore.exe|\"\\Program Files\\Zek\\Quintar\\Folderon_user_manual.htm\"\n");
  testsupport::PumpFor(300);
  EXPECT_TRUE(IsWindow(folderon)) << "Folderon stays open";
  End(kFolderon);

  // Tamsk's manual is gone: only the suite's own box, and Tamsk stays.
  ASSERT_TRUE(DeleteFileW(L"\\Program Files\\Zek\\Quintar\\Contents.htm"));
  HWND tamsk = Launch(kTamsk);
  ASSERT_NE(tamsk, nullptr);
  log = LaunchLog();
  PostMessageW(tamsk, WM_COMMAND, MAKEWPARAM(40052, 0), 0);
  HWND box = testsupport::WaitForWindow(L"#32770", L"Prompt", 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(box) != FALSE; }, 5000));
  testsupport::PumpFor(300);
  EXPECT_EQ(GetWindow(box, GW_OWNER), tamsk);
  EXPECT_EQ(testsupport::DlgItemText(box, 0xFFFF),
            L"If you can't open user manual, please open it under installation directory.");
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
  // No other box: the shell's own "cannot open" report stays away.
  int boxes = 0;
  EnumWindows(
      [](HWND w, LPARAM count) {
        wchar_t cls[16] = L"";
        GetClassNameW(w, cls, 16);
        if (IsWindowVisible(w) && std::wstring(cls) == L"#32770") ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&boxes));
  EXPECT_EQ(boxes, 1);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 5000));
  testsupport::PumpFor(300);
  EXPECT_TRUE(IsWindow(tamsk));
  EXPECT_EQ(LaunchLog(), log);
}

}  // namespace

// The Main and SD Card pages following the device profile, Release Memory, the device actions
// and the named dialogs.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <thread>

#include "fixture.h"
#include "procmanager/resource.h"
#include "sheet_fixture.h"

namespace vorrel_test {
namespace {

using vorrel::kActionsPage;
using vorrel::kCardPage;
using vorrel::kMainPage;
using vorrel::kProcessesPage;
using vorrel::kProgramsPage;

int Gauge(HWND page, int id) { return static_cast<int>(SendDlgItemMessageW(page, id, PBM_GETPOS, 0, 0)); }

std::vector<std::string> NewEvents(size_t before) {
  auto lines = EventLines();
  return before < lines.size() ? std::vector<std::string>(lines.begin() + before, lines.end())
                               : std::vector<std::string>{};
}

class StatusTest : public SheetTest {
 protected:
  void TearDown() override {
    SheetTest::TearDown();
    SetProfileDword(L"BatteryLifePercent", 85);
    SetProfileDword(L"MemoryTotal", 50 << 20);
    SetProfileDword(L"MemoryAvail", 30 << 20);
    SetProfileMultiString(L"StorageCards", {L"Storage Card"});
  }
};

TEST_F(StatusTest, MainPageShowsTheProfilesBatteryMemoryAndStore) {
  SetProfileDword(L"BatteryLifePercent", 255);
  SetProfileDword(L"MemoryTotal", 50 << 20);
  SetProfileDword(L"MemoryAvail", 12800 << 10);  // 12.5 MB
  HWND page = Open(kMainPage);
  vorrel::FillMainPage(page);
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_BATTERY_LABEL), L"Battery: Unknown");
  EXPECT_EQ(Gauge(page, IDC_BATTERY_GAUGE), 0);
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_MEMORY_LABEL), L"Memory: 25%");
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_MEMORY_TEXT), L"[12.50 MB/50.00 MB]");
  EXPECT_EQ(Gauge(page, IDC_MEMORY_GAUGE), 25);
  // The profile's object store: 20 MB free of 32 MB.
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_STORE_LABEL), L"Int. Memo: 62%");
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_STORE_TEXT), L"[20.00 MB/32.00 MB]");
  EXPECT_EQ(Gauge(page, IDC_STORE_GAUGE), 62);

  // The page follows the profile on its next refresh.
  SetProfileDword(L"BatteryLifePercent", 40);
  vorrel::FillMainPage(page);
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_BATTERY_LABEL), L"Battery: 40%");
  EXPECT_EQ(Gauge(page, IDC_BATTERY_GAUGE), 40);
}

TEST_F(StatusTest, CardPageWithNoCardAndWithOne) {
  SetProfileMultiString(L"StorageCards", {});
  HWND page = Open(kCardPage);
  vorrel::FillCardPage(page);
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_CARD1_LABEL), L"Storage Card: Not Installed");
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_CARD2_LABEL), L"Flash Disk: Not Installed");
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_CARD1_TEXT), L"[000 MB/000 MB]");
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_CARD2_TEXT), L"[000 MB/000 MB]");
  EXPECT_EQ(Gauge(page, IDC_CARD1_GAUGE), 0);
  EXPECT_EQ(Gauge(page, IDC_CARD2_GAUGE), 0);

  CreateDirectoryW(L"\\Storage Card", nullptr);
  SetProfileMultiString(L"StorageCards", {L"Storage Card"});
  vorrel::FillCardPage(page);
  std::wstring label = testsupport::DlgItemText(page, IDC_CARD1_LABEL);
  EXPECT_EQ(label.rfind(L"Storage Card: ", 0), 0u) << label;
  EXPECT_EQ(label.back(), L'%');
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_CARD1_TEXT).front(), L'[');
  EXPECT_NE(testsupport::DlgItemText(page, IDC_CARD1_TEXT), L"[000 MB/000 MB]");
  EXPECT_EQ(testsupport::DlgItemText(page, IDC_CARD2_LABEL), L"Flash Disk: Not Installed");
}

TEST_F(StatusTest, ReleaseMemoryReportsNothingFreedOrWhatWasFreed) {
  SetProfileDword(L"MemoryAvail", 1024 << 10);  // 1024 KB
  responder_->OnCaption(L"Release Memory", IDOK);
  Command(kProcessesPage, IDM_RELEASE_MEMORY);
  ASSERT_EQ(responder_->MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_->MessageBoxes()[0].text, L"There is no need to release memory.");
  EXPECT_EQ(responder_->MessageBoxes()[0].style & MB_ICONMASK, UINT(MB_ICONINFORMATION));

  // Memory comes back while Vorrel waits for the programs to give it.
  std::thread freer([] {
    Sleep(300);
    SetProfileDword(L"MemoryAvail", 1536 << 10);
  });
  Command(kProgramsPage, IDM_RELEASE_MEMORY);
  freer.join();
  ASSERT_EQ(responder_->MessageBoxes().size(), 2u);
  EXPECT_EQ(responder_->MessageBoxes()[1].text,
            L"Memory Free:\n  Before Release: 1024.00 KB\n  After Release: 1536.00 KB\n  Released: 512.00 KB\n");
}

TEST_F(StatusTest, HardResetAnsweredNoDoesNothingAndYesResets) {
  size_t before = EventLines().size();
  responder_->OnCaption(L"Vorrel", IDNO).Once();
  Command(kActionsPage, IDC_HARD_RESET);
  ASSERT_EQ(responder_->MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_->MessageBoxes()[0].text, L"Are you sure you want to hard reset your Pocket PC?");
  EXPECT_EQ(responder_->MessageBoxes()[0].style & (MB_TYPEMASK | MB_ICONMASK), UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(NewEvents(before).empty());

  responder_->OnCaption(L"Vorrel", IDYES).Once();
  Command(kActionsPage, IDC_HARD_RESET);
  EXPECT_EQ(NewEvents(before), (std::vector<std::string>{"clean-reboot-flag", "reboot"}));
}

TEST_F(StatusTest, SoftResetTakesTheRouteOfTheVersion) {
  size_t before = EventLines().size();
  Command(kActionsPage, IDC_SOFT_RESET);  // the system reports 6.1: the shell's ExitWindowsEx
  vorrel::SoftResetBy(vorrel::SoftResetRoute::SystemPowerState);
  vorrel::SoftResetBy(vorrel::SoftResetRoute::KernelReboot);
  EXPECT_EQ(NewEvents(before), (std::vector<std::string>{"exit-windows 0x2", "power-state - 0x800000 0x0", "reboot"}));
}

TEST_F(StatusTest, ScreenOffWithoutDisplaySupportSaysSo) {
  responder_->OnCaption(L"Vorrel", IDOK);
  Command(kActionsPage, IDC_SCREEN_OFF);
  ASSERT_EQ(responder_->MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_->MessageBoxes()[0].text, L"Sorry, your Pocket PC does not support this feature!");
  EXPECT_EQ(responder_->MessageBoxes()[0].style & MB_ICONMASK, UINT(MB_ICONINFORMATION));
}

TEST_F(StatusTest, HelpOpensFromEveryPageAndAMissingTemplateIsReported) {
  for (auto page : {kMainPage, kProgramsPage, kProcessesPage, kActionsPage}) Open(page);
  responder_->ClearRecords();
  responder_->OnCaption(L"Help", IDOK);
  for (auto page : {kMainPage, kProgramsPage, kProcessesPage, kActionsPage}) Command(page, IDM_HELP);
  EXPECT_EQ(responder_->Dialogs().size(), 4u);
  for (const auto& dialog : responder_->Dialogs()) EXPECT_TRUE(dialog.expected) << dialog.caption;

  responder_->OnCaption(L"ScktDialgoBox()", IDOK);
  EXPECT_EQ(frame_->ShowNamedDialog(frame_->PageWindow(kMainPage), L"IDD_MISSING", nullptr), -1);
  ASSERT_EQ(responder_->MessageBoxes().size(), 1u);
  EXPECT_EQ(responder_->MessageBoxes()[0].text,
            L"Attempted to open dialog resource IDD_MISSING_P, but failed with error 1814.");
  EXPECT_EQ(responder_->MessageBoxes()[0].style & (MB_ICONMASK | MB_TOPMOST), UINT(MB_ICONSTOP | MB_TOPMOST));
}

TEST_F(StatusTest, EveryPageHasItsTemplateAndTheOtherSoftwareButtonsWork) {
  for (int i = 0; i < vorrel::kPageCount; ++i) EXPECT_NE(Open(static_cast<vorrel::Page>(i)), nullptr) << i;
  HWND other = frame_->PageWindow(vorrel::kOtherPage);
  for (int id : {IDC_OTHER_FOLDERON, IDC_OTHER_PELLVANE, IDC_OTHER_REGEDIT}) {
    ASSERT_NE(GetDlgItem(other, id), nullptr);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(other, id)));
  }
  // Done ends the sheet.
  PostMessageW(frame_->sheet(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(
      testsupport::PumpUntil([this] { return PropSheet_GetCurrentPageHwnd(frame_->sheet()) == nullptr; }, 3000));
}

}  // namespace
}  // namespace vorrel_test

namespace vorrel_test {
namespace {

bool g_menuShown = false;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (menu && IsWindowVisible(menu)) {
    g_menuShown = true;
    KillTimer(nullptr, id);
    EndMenu();
  }
}

bool TapOpensMenu(HWND page, int y) {
  g_menuShown = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenu);
  SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, y));
  testsupport::PumpFor(200);
  KillTimer(nullptr, timer);
  return g_menuShown;
}

TEST_F(StatusTest, ATapOnThePageOpensItsToolsMenuButNotOnTheHeader) {
  HWND page = Open(kActionsPage);
  RECT client;
  GetClientRect(page, &client);
  EXPECT_TRUE(TapOpensMenu(page, client.bottom - 3));
  EXPECT_FALSE(TapOpensMenu(page, 3));
  // Each page has its popup: the list pages their own, the others the general Tools.
  EXPECT_EQ(frame_->resources().PopupFor(kProgramsPage), frame_->resources().programsPopup());
  EXPECT_EQ(frame_->resources().PopupFor(kProcessesPage), frame_->resources().processesPopup());
  EXPECT_EQ(frame_->resources().PopupFor(kMainPage), frame_->resources().toolsPopup());
  EXPECT_EQ(GetMenuItemCount(frame_->resources().programsPopup()), 7);
  EXPECT_EQ(GetMenuItemCount(frame_->resources().processesPopup()), 6);
  EXPECT_EQ(GetMenuItemCount(frame_->resources().toolsPopup()), 5);
}

}  // namespace
}  // namespace vorrel_test

namespace vorrel_test {
namespace {

TEST_F(StatusTest, ResourcesComeFromTheLibraryBesideTheProgram) {
  // vorrel_ui_testRes.dll lies beside the test as VorrelRes.dll lies beside Vorrel.exe.
  EXPECT_NE(frame_->resources().library(), nullptr);
  EXPECT_EQ(reinterpret_cast<HMODULE>(frame_->resources().module()), frame_->resources().library());
  EXPECT_EQ(frame_->resources().String(IDS_TITLE, L""), L"Vorrel");
  EXPECT_EQ(frame_->resources().String(IDS_CLASS, L""), L"VORREL");
}

}  // namespace
}  // namespace vorrel_test

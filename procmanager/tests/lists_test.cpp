// The Programs and Processes pages: which windows and processes get rows, and what their
// commands do to them.
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>

#include "fixture.h"
#include "procmanager/resource.h"
#include "sheet_fixture.h"

namespace vorrel_test {
namespace {

using vorrel::kProcessesPage;
using vorrel::kProgramsPage;

bool Has(const std::vector<std::wstring>& rows, const std::wstring& text) {
  return std::find(rows.begin(), rows.end(), text) != rows.end();
}

// A window of the test's own class that records the messages it is sent.
std::vector<UINT> g_seen;
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == 0x03FF || msg == WM_CLOSE) g_seen.push_back(msg);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeWindow(LPCWSTR cls, LPCWSTR title, DWORD style = WS_OVERLAPPED | WS_VISIBLE, HWND owner = nullptr,
                DWORD exStyle = 0) {
  return CreateWindowExW(exStyle, cls, title, style, 0, 0, 50, 50, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}

class ProgramsTest : public SheetTest {
 protected:
  void SetUp() override {
    SheetTest::SetUp();
    g_seen.clear();
  }
  testsupport::ScopedWindowClass plain_{L"VorrelTestProgram", RecordingProc};
  testsupport::ScopedWindowClass explore_{L"Explore"};
  testsupport::ScopedWindowClass today_{L"DesktopExplorerWindow"};
};

TEST_F(ProgramsTest, ListsTitledTopLevelWindowsByTheirTopmostOwner) {
  testsupport::UniqueWindow shown(MakeWindow(plain_.name(), L"Shown Program"));
  testsupport::UniqueWindow untitled(MakeWindow(plain_.name(), L""));
  testsupport::UniqueWindow hidden(MakeWindow(plain_.name(), L"Hidden Program", WS_OVERLAPPED));
  testsupport::UniqueWindow disabled(
      MakeWindow(plain_.name(), L"Disabled Program", WS_OVERLAPPED | WS_VISIBLE | WS_DISABLED));
  testsupport::UniqueWindow inert(
      MakeWindow(plain_.name(), L"Inert Program", WS_OVERLAPPED | WS_VISIBLE, nullptr, WS_EX_NOACTIVATE));
  testsupport::UniqueWindow owner(MakeWindow(plain_.name(), L"Owner Program", WS_OVERLAPPED));  // hidden itself
  testsupport::UniqueWindow owned1(MakeWindow(plain_.name(), L"Owned One", WS_POPUP | WS_VISIBLE, owner.get()));
  testsupport::UniqueWindow owned2(MakeWindow(plain_.name(), L"Owned Two", WS_POPUP | WS_VISIBLE, owned1.get()));
  testsupport::UniqueWindow blankOwner(MakeWindow(plain_.name(), L""));
  testsupport::UniqueWindow orphan(
      MakeWindow(plain_.name(), L"Owned By Untitled", WS_POPUP | WS_VISIBLE, blankOwner.get()));
  testsupport::UniqueWindow explorer(MakeWindow(explore_.name(), L"File Explorer"));
  testsupport::UniqueWindow today(MakeWindow(today_.name(), L"Desktop"));

  Open(kProgramsPage);
  frame_->FillProgramsList();
  auto rows = Column(kProgramsPage, 0);
  EXPECT_TRUE(Has(rows, L"Shown Program"));
  EXPECT_EQ(std::count(rows.begin(), rows.end(), L"Owner Program"), 1) << "one row per topmost owner";
  for (const wchar_t* absent : {L"", L"Hidden Program", L"Disabled Program", L"Inert Program", L"Owned One",
                                L"Owned Two", L"Owned By Untitled", L"File Explorer", L"Desktop", L"Vorrel"})
    EXPECT_FALSE(Has(rows, absent)) << absent;
  EXPECT_EQ(frame_->programs().count(), static_cast<int>(rows.size()));
  // Each row carries its window.
  HWND list = GetDlgItem(frame_->PageWindow(kProgramsPage), IDC_LIST);
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = RowOf(kProgramsPage, 0, L"Owner Program");
  ASSERT_TRUE(ListView_GetItem(list, &item));
  EXPECT_EQ(reinterpret_cast<HWND>(item.lParam), owner.get());
}

TEST_F(ProgramsTest, CommandsOnNoSelectionDoNothing) {
  testsupport::UniqueWindow shown(MakeWindow(plain_.name(), L"Shown Program"));
  Open(kProgramsPage);
  frame_->FillProgramsList();
  Select(kProgramsPage, -1);
  for (int command : {IDM_ACTIVATE, IDM_STOP, IDM_DETAILS, IDC_ACTIVATE, IDC_STOP}) Command(kProgramsPage, command);
  EXPECT_TRUE(IsWindow(shown.get()));
  EXPECT_TRUE(g_seen.empty());
  EXPECT_TRUE(responder_->MessageBoxes().empty());

  Open(kProcessesPage);
  Select(kProcessesPage, -1);
  for (int command : {IDM_STOP, IDM_DETAILS, IDC_PROCESS_DETAILS}) Command(kProcessesPage, command);
  EXPECT_TRUE(responder_->MessageBoxes().empty());
}

TEST_F(ProgramsTest, StopAsksForMemoryThenClosesAndRefills) {
  testsupport::UniqueWindow first(MakeWindow(plain_.name(), L"First Program"));
  testsupport::UniqueWindow second(MakeWindow(plain_.name(), L"Second Program"));
  Open(kProgramsPage);
  frame_->FillProgramsList();
  Select(kProgramsPage, RowOf(kProgramsPage, 0, L"First Program"));
  Command(kProgramsPage, IDC_STOP);
  EXPECT_EQ(g_seen, (std::vector<UINT>{0x03FF, WM_CLOSE}));
  EXPECT_FALSE(IsWindow(first.get()));
  EXPECT_EQ(RowOf(kProgramsPage, 0, L"First Program"), -1);
  EXPECT_NE(RowOf(kProgramsPage, 0, L"Second Program"), -1);

  // Stop All closes every listed program; Vorrel's own windows survive it.
  Command(kProgramsPage, IDM_STOP_ALL);
  EXPECT_FALSE(IsWindow(second.get()));
  EXPECT_TRUE(IsWindow(frame_->sheet()));
  EXPECT_TRUE(IsWindow(frame_->hwnd()));
}

TEST_F(ProgramsTest, MoreDetailsDescribesTheWindowInABoxCaptionedWithItsClass) {
  testsupport::UniqueWindow shown(MakeWindow(plain_.name(), L"Detailed Program"));
  responder_->OnCaption(L"VorrelTestProgram", IDOK);
  Open(kProgramsPage);
  frame_->FillProgramsList();
  Select(kProgramsPage, RowOf(kProgramsPage, 0, L"Detailed Program"));
  Command(kProgramsPage, IDM_DETAILS);
  ASSERT_EQ(responder_->MessageBoxes().size(), 1u);
  const auto& box = responder_->MessageBoxes()[0];
  EXPECT_EQ(box.owner, shown.get());
  wchar_t expected[512];
  swprintf(expected, 512,
           L"Caption: Detailed Program\nHandle: %08X\nStyle: %08X\nExtended Style: %08X\nClass: VorrelTestProgram\n"
           L"Class Style: %08X\nProcess: %08X\nName: vorrel_ui_test.exe\n",
           static_cast<unsigned>(reinterpret_cast<UINT_PTR>(shown.get())),
           static_cast<unsigned>(GetWindowLongW(shown.get(), GWL_STYLE)),
           static_cast<unsigned>(GetWindowLongW(shown.get(), GWL_EXSTYLE)),
           static_cast<unsigned>(GetClassLongW(shown.get(), GCL_STYLE)), static_cast<unsigned>(GetCurrentProcessId()));
  EXPECT_EQ(box.text, expected);
}

TEST_F(ProgramsTest, ActivateBringsTheProgramForwardAndReleaseMemoryOnlyAsks) {
  testsupport::UniqueWindow shown(MakeWindow(plain_.name(), L"Front Program"));
  Open(kProgramsPage);
  frame_->FillProgramsList();
  SetForegroundWindow(frame_->sheet());
  Select(kProgramsPage, RowOf(kProgramsPage, 0, L"Front Program"));
  Command(kProgramsPage, IDC_ACTIVATE);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return GetForegroundWindow() == shown.get(); }, 2000));

  // Release Memory asks every listed program to give memory back, and closes none.
  responder_->OnCaption(L"Release Memory", IDOK);
  Command(kProgramsPage, IDM_RELEASE_MEMORY);
  EXPECT_EQ(g_seen, (std::vector<UINT>{0x03FF}));
  EXPECT_TRUE(IsWindow(shown.get()));
  EXPECT_NE(RowOf(kProgramsPage, 0, L"Front Program"), -1);
}

class ProcessesTest : public SheetTest {};

TEST_F(ProcessesTest, ListsProcessesButNotSystemOnesUnlessShownNorVorrel) {
  Sleeper ordinary(L"tmailish.exe"), system(L"cprog.exe"), vorrel(L"Vorrel.exe");
  ASSERT_TRUE(ordinary.ok() && system.ok() && vorrel.ok());
  Open(kProcessesPage);
  frame_->FillProcessesList();
  auto names = Column(kProcessesPage, 1);
  EXPECT_TRUE(Has(names, L"tmailish.exe"));
  EXPECT_TRUE(Has(names, L"vorrel_ui_test.exe"));
  EXPECT_FALSE(Has(names, L"cprog.exe"));
  EXPECT_FALSE(Has(names, L"services.exe"));  // Wine's, and one of the device's names
  EXPECT_FALSE(Has(names, L"Vorrel.exe"));
  // The id column is the process id in eight hex digits.
  wchar_t id[16];
  swprintf(id, 16, L"%08X", static_cast<unsigned>(ordinary.pid()));
  int row = RowOf(kProcessesPage, 1, L"tmailish.exe");
  ASSERT_GE(row, 0);
  EXPECT_EQ(Column(kProcessesPage, 0)[row], id);

  Command(kProcessesPage, IDM_SHOW_ALL);
  names = Column(kProcessesPage, 1);
  EXPECT_TRUE(Has(names, L"cprog.exe"));
  EXPECT_FALSE(Has(names, L"Vorrel.exe"));
  EXPECT_EQ(GetMenuState(frame_->resources().processesPopup(), IDM_SHOW_ALL, MF_BYCOMMAND) & MF_CHECKED,
            UINT(MF_CHECKED));
  Command(kProcessesPage, IDM_SHOW_ALL);
  EXPECT_FALSE(Has(Column(kProcessesPage, 1), L"cprog.exe"));
}

TEST_F(ProcessesTest, StopEndsEveryProcessContainingTheNameButNeverVorrel) {
  Sleeper foo(L"foo.exe"), myfoo(L"myfoo.exe"), bar(L"bar.exe");
  ASSERT_TRUE(foo.ok() && myfoo.ok() && bar.ok());
  Open(kProcessesPage);
  frame_->FillProcessesList();
  Select(kProcessesPage, RowOf(kProcessesPage, 1, L"foo.exe"));
  Command(kProcessesPage, IDC_STOP);
  EXPECT_EQ(foo.WaitExit(5000), 1u);
  EXPECT_EQ(myfoo.WaitExit(5000), 1u);
  EXPECT_TRUE(bar.Running());
  EXPECT_EQ(RowOf(kProcessesPage, 1, L"foo.exe"), -1);
  EXPECT_TRUE(responder_->MessageBoxes().empty());

  // Vorrel's own process is left alone even when its row is chosen (here: the test's).
  Select(kProcessesPage, RowOf(kProcessesPage, 1, L"vorrel_ui_test.exe"));
  Command(kProcessesPage, IDM_STOP);
  EXPECT_TRUE(IsWindow(frame_->sheet()));
}

TEST_F(ProcessesTest, ASystemProcessIsStoppedOnlyAfterYes) {
  Sleeper system(L"cprog.exe");
  ASSERT_TRUE(system.ok());
  Open(kProcessesPage);
  Command(kProcessesPage, IDM_SHOW_ALL);
  responder_->OnCaption(L"Warning", IDNO).Once();
  Select(kProcessesPage, RowOf(kProcessesPage, 1, L"cprog.exe"));
  Command(kProcessesPage, IDC_STOP);
  ASSERT_EQ(responder_->MessageBoxes().size(), 1u);
  const auto& box = responder_->MessageBoxes()[0];
  EXPECT_EQ(box.text, L"This is a system process. Are you sure you want to close it?");
  EXPECT_EQ(box.style & (MB_TYPEMASK | MB_ICONMASK), UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(system.Running());

  responder_->OnCaption(L"Warning", IDYES).Once();
  Select(kProcessesPage, RowOf(kProcessesPage, 1, L"cprog.exe"));
  Command(kProcessesPage, IDC_STOP);
  EXPECT_EQ(system.WaitExit(5000), 1u);
}

TEST_F(ProcessesTest, MoreDetailsShowsTheSnapshotRecord) {
  Sleeper sleeper(L"detailed.exe");
  ASSERT_TRUE(sleeper.ok());
  responder_->OnCaption(L"Process Information", IDOK);
  Open(kProcessesPage);
  frame_->FillProcessesList();
  Select(kProcessesPage, RowOf(kProcessesPage, 1, L"detailed.exe"));
  Command(kProcessesPage, IDC_PROCESS_DETAILS);
  ASSERT_EQ(responder_->MessageBoxes().size(), 1u);
  const auto& box = responder_->MessageBoxes()[0];
  wchar_t expected[256];
  swprintf(expected, 256, L"Process: %08X\nName: detailed.exe\nSize: %08X bytes\nThreads: 00000001\n",
           static_cast<unsigned>(sleeper.pid()), static_cast<unsigned>(sizeof(PROCESSENTRY32W)));
  EXPECT_EQ(box.text, expected);
  EXPECT_EQ(box.style & MB_ICONMASK, UINT(MB_ICONINFORMATION));
}

}  // namespace
}  // namespace vorrel_test

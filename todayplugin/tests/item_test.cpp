// Glancet.dll loaded in the test's own process under a stand-in Today screen: attach, the item
// window, the refresh queries, the add-a-launcher message, the gauge commands and the backlight.
#include <windows.h>

#include <todaycmn.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testsupport/testsupport.h"
#include "todayplugin/core/glancet_core.h"
#include "todayplugin/tests/device_screen.h"
#include "todayplugin/tests/image_records.h"
#include "win32/handle.h"

namespace {

using quintar::glancet::test::Scale;
using namespace quintar::glancet::core;
using namespace quintar::win32;

constexpr wchar_t kFile[] = L"\\windows\\pellvane.dat";
constexpr wchar_t kProfile[] = L"Software\\Quintar\\Device";
constexpr COLORREF kWatermark = RGB(200, 220, 240);

int g_watermarks = 0;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TODAYM_GETCOLOR:
      return RGB(0, 0, 0);
    case TODAYM_DRAWWATERMARK: {
      ++g_watermarks;
      auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
      Brush brush(CreateSolidBrush(kWatermark));
      FillRect(info->hdc, &info->rc, brush.get());
      return TRUE;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::unique_ptr<FileImage> ReadFileImage(DWORD* size = nullptr) {
  auto image = std::make_unique<FileImage>();
  FileHandle f(
      CreateFileW(kFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) return nullptr;
  DWORD got = 0;
  ReadFile(f.get(), image->data(), static_cast<DWORD>(image->size()), &got, nullptr);
  if (size) *size = GetFileSize(f.get(), nullptr);
  return image;
}

void SetCards(const std::vector<std::wstring>& cards) {
  std::wstring multi;
  for (const auto& c : cards) multi += c + L'\0';
  multi += L'\0';
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProfile, L"StorageCards", REG_MULTI_SZ, multi.c_str(),
                  static_cast<DWORD>(multi.size() * sizeof(wchar_t)));
  for (const auto& c : cards) CreateDirectoryW((L"\\" + c).c_str(), nullptr);
}

DWORD ReadDword(HKEY root, const wchar_t* key, const wchar_t* name) {
  DWORD v = 0xFFFFFFFF, size = sizeof v;
  RegGetValueW(root, key, name, RRF_RT_REG_DWORD, nullptr, &v, &size);
  return v;
}

// The DLL loaded afresh (its state is per process, so each test reloads it) under a host window.
class ItemTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CreateDirectoryW(L"\\windows", nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GlancetTestHost";
    RegisterClassW(&wc);
  }

  void SetUp() override {
    DeleteFileW(kFile);
    SetCards({L"Storage Card"});
    host_ =
        CreateWindowExW(0, L"GlancetTestHost", L"DeskTop", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                        300 * Scale(), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
  }

  void TearDown() override {
    Unload();
    DestroyWindow(host_);
  }

  void Load() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll(path);
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"Glancet.dll";
    module_.reset(LoadLibraryW(dll.c_str()));
    ASSERT_TRUE(module_);
    init_ = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(240))));
    ASSERT_NE(init_, nullptr);
    record_ = {};
    record_.fEnabled = TRUE;
    record_.hinstDLL = module_.get();
  }

  HWND Start() {
    Load();
    if (!module_) return nullptr;
    item_ = init_(&record_, host_);
    return item_;
  }

  void Unload() {
    if (item_ && IsWindow(item_)) DestroyWindow(item_);
    item_ = nullptr;
    if (module_) {
      UnregisterClassW(L"MyToday", module_.get());
      module_.reset();
    }
  }

  LRESULT Query(bool withRecord = true) {
    return SendMessageW(item_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, withRecord ? reinterpret_cast<WPARAM>(&record_) : 0,
                        0);
  }

  // Lays the item out as the Today screen does and paints it once.
  void Show() {
    Query();
    SetWindowPos(item_, nullptr, 0, 20, GetSystemMetrics(SM_CXSCREEN), static_cast<int>(record_.cyp), SWP_NOZORDER);
    RedrawWindow(item_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }

  LRESULT CopyPath(const std::wstring& path, DWORD bytes) {
    std::vector<wchar_t> buffer(path.begin(), path.end());
    buffer.push_back(L'\0');  // a sender may count its terminator
    COPYDATASTRUCT cds = {0, bytes, buffer.empty() ? nullptr : buffer.data()};
    return SendMessageW(item_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
  }

  void Tap(int x, int y) {
    PostMessageW(item_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(item_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    testsupport::PumpFor(100);
  }

  HWND host_ = nullptr;
  HWND item_ = nullptr;
  Module module_;
  PFNCUSTOMINITIALIZEITEM init_ = nullptr;
  TODAYLISTITEM record_{};
};

// ---- Attach and the window ---------------------------------------------------------------------

TEST_F(ItemTest, AttachWritesTheDefaultFileWhenThereIsNone) {
  Load();
  DWORD size = 0;
  auto image = ReadFileImage(&size);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(size, 287344u);
  EXPECT_EQ(At<int32_t>(*image, offsets::kTabCount), 3);
  auto tab0 = At<TabRecord>(*image, offsets::kTabs);
  EXPECT_EQ(FieldText(tab0.name), u"System");
  EXPECT_EQ(tab0.selected, 1);
  EXPECT_EQ(FieldText(Record(*image, 0, 2).name), u"Calculator");
  EXPECT_EQ(FieldText(At<TabRecord>(*image, offsets::kLogo).bitmap),
            Scale() == 2 ? u"\\Program Files\\Zek\\Pellvane\\image\\zek32.bmp"
                         : u"\\Program Files\\Zek\\Pellvane\\image\\zek16.bmp");
}

TEST_F(ItemTest, DisabledItemGetsNoWindowAndAnEnabledOneTheClassAndTitle) {
  Load();
  record_.fEnabled = FALSE;
  EXPECT_EQ(init_(&record_, host_), nullptr);
  EXPECT_EQ(FindWindowExW(host_, nullptr, L"MyToday", nullptr), nullptr);

  record_.fEnabled = TRUE;
  item_ = init_(&record_, host_);
  ASSERT_NE(item_, nullptr);
  EXPECT_EQ(FindWindowExW(host_, nullptr, L"MyToday", L"MyTodayScreen"), item_);
  EXPECT_TRUE(IsWindowVisible(item_));
  EXPECT_EQ(GetWindowLongW(item_, GWL_STYLE) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
  // A second item in the same process registers the class again: that failure is ignored.
  HWND second = init_(&record_, host_);
  EXPECT_NE(second, nullptr);
  DestroyWindow(second);
  EXPECT_EQ(GetProcAddress(module_.get(), "InitializeCustomItem"), nullptr) << "exported by ordinal only";
}

TEST_F(ItemTest, RefreshQueriesNegotiateTheTallestTabOnce) {
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(Query(false), 1) << "no record: a refresh is wanted";
  EXPECT_EQ(Query(), 1) << "cyp was 0";
  EXPECT_EQ(record_.cyp, static_cast<DWORD>(100 * Scale())) << "the Program tab fills three rows";
  EXPECT_EQ(Query(), 0) << "nothing changed";
  record_.cyp = 0;
  EXPECT_EQ(Query(), 1);
}

TEST_F(ItemTest, WithoutAStorageCardTheRefreshStopsButTheHeightIsStillGiven) {
  SetCards({});
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(Query(false), 0);
  EXPECT_EQ(Query(), 1);
  EXPECT_EQ(record_.cyp, static_cast<DWORD>(100 * Scale()));
}

TEST_F(ItemTest, PaintsThroughTheTodayBackground) {
  ASSERT_NE(Start(), nullptr);
  g_watermarks = 0;
  Show();
  EXPECT_GE(g_watermarks, 1);
  WindowDc dc(item_);
  // Below the tab bar, left of the grid: nothing of the item's own, so the watermark shows.
  EXPECT_EQ(GetPixel(dc.get(), 2, 30 * Scale()), kWatermark);
}

// ---- Adding a launcher from another program ---------------------------------------------------

TEST_F(ItemTest, CopyDataAddsASmallLauncherToTheFirstEmptyCell) {
  ASSERT_NE(Start(), nullptr);
  std::wstring path = L"\\My Documents\\Letters.zip";
  EXPECT_EQ(CopyPath(path, static_cast<DWORD>(path.size() * sizeof(wchar_t))), 0);
  auto image = ReadFileImage();
  ASSERT_NE(image, nullptr);
  // Tab 0 held twelve items; the thirteenth is the new one.
  ASSERT_EQ(CountRecords(*image, 0), 13);
  ItemRecord r = Record(*image, 0, 12);
  EXPECT_EQ(r.kind, kSmall);
  EXPECT_EQ(FieldText(r.target), u"\\My Documents\\Letters.zip");
  EXPECT_FALSE(FieldText(r.name).empty());
  EXPECT_EQ(FieldText(r.iconPath), u"");
}

TEST_F(ItemTest, CopyDataTakesOnlyAWholeDevicePathThatFits) {
  ASSERT_NE(Start(), nullptr);
  // Odd lengths, a 3-byte message among them: nothing, not a nameless launcher for "\".
  CopyPath(L"\\abcdef", 7);
  CopyPath(L"\\", 3);
  // Longer than the field: refused rather than cut into another target.
  std::wstring longPath = L"\\" + std::wstring(99, L'x');
  CopyPath(longPath, static_cast<DWORD>(longPath.size() * sizeof(wchar_t)));
  // Not a device path, a NUL inside, zero bytes, no buffer, no structure.
  CopyPath(L"C:\\x.txt", 16);
  CopyPath(std::wstring(L"\\a\0b.txt", 8), 16);
  CopyPath(L"\\zero", 0);
  COPYDATASTRUCT none = {0, 40, nullptr};
  SendMessageW(item_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&none));
  SendMessageW(item_, WM_COPYDATA, 0, 0);
  // The longest that fits, sent with its terminator counted.
  std::wstring longest = L"\\" + std::wstring(98, L'y');
  CopyPath(longest, static_cast<DWORD>((longest.size() + 1) * sizeof(wchar_t)));
  auto image = ReadFileImage();
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(CountRecords(*image, 0), 13);
  EXPECT_EQ(FieldText(Record(*image, 0, 12).target), quintar::win32::U16(longest));
}

TEST_F(ItemTest, CopyDataIntoAFullTabChangesNothingButStillSaves) {
  ASSERT_NE(Start(), nullptr);
  for (int i = 0; i < 4; ++i) CopyPath(L"\\a.txt", 12);  // fills row 2
  auto before = ReadFileImage();
  ASSERT_NE(before, nullptr);
  ASSERT_EQ(CountRecords(*before, 0), 16);
  DeleteFileW(kFile);
  CopyPath(L"\\b.txt", 12);
  auto after = ReadFileImage();
  ASSERT_NE(after, nullptr) << "saved although nothing was added";
  EXPECT_EQ(CountRecords(*after, 0), 16);
  EXPECT_EQ(std::memcmp(before->data() + offsets::kItems, after->data() + offsets::kItems,
                        offsets::kSettings - offsets::kItems),
            0);
}

TEST_F(ItemTest, TappingATabSendsNewLaunchersThere) {
  ASSERT_NE(Start(), nullptr);
  Show();
  // The third tab sits at the right end of the bar.
  Tap(GetSystemMetrics(SM_CXSCREEN) - 10 * Scale(), 9 * Scale());
  CopyPath(L"\\c.txt", 12);
  auto image = ReadFileImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CountRecords(*image, 2), 11);
  EXPECT_EQ(FieldText(Record(*image, 2, 10).target), u"\\c.txt");
  EXPECT_EQ(CountRecords(*image, 0), 12);
}

// ---- Gauges ---------------------------------------------------------------------------------------

TEST_F(ItemTest, GaugeCommandsChangeAndSaveTheModes) {
  SetCards({L"Storage Card", L"Card2"});
  ASSERT_NE(Start(), nullptr);
  Query();
  SendMessageW(item_, WM_COMMAND, 40051, 0);
  auto image = ReadFileImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(At<Settings>(*image, offsets::kSettings).memoryMode, 12);

  SendMessageW(item_, WM_COMMAND, 40060, 0);  // the second card
  SendMessageW(item_, WM_COMMAND, 40054, 0);  // free space
  image = ReadFileImage();
  Settings s = At<Settings>(*image, offsets::kSettings);
  EXPECT_EQ(s.showFree, 8);
  EXPECT_EQ(s.showUsed, 0);
  auto card0 = At<CardSlot>(*image, offsets::kCards), card1 = At<CardSlot>(*image, offsets::kCards + 64);
  EXPECT_EQ(card0.flag, 0);
  EXPECT_EQ(card1.flag, 8);
  EXPECT_EQ(FieldText(card1.name), u"Card2");
  EXPECT_EQ(card1.usedPercent + card1.freePercent, 100u);

  // A menu's title entry is no command: the file is left alone.
  DeleteFileW(kFile);
  SendMessageW(item_, WM_COMMAND, 40045, 0);
  EXPECT_EQ(ReadFileImage(), nullptr);
}

TEST_F(ItemTest, BacklightBarSetsTheLevelAndSignalsTheDriver) {
  const wchar_t* key = L"ControlPanel\\Backlight";
  {
    RegKey k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
              ERROR_SUCCESS);
  }
  KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, L"BackLightChangeEvent"));
  ASSERT_TRUE(event);
  ASSERT_NE(Start(), nullptr);
  Show();
  int s = Scale();
  // Portrait System tab: the backlight gauge is in row 1, column 0, so its origin is (26, 40) × s.
  int x0 = 26 * s, y = 50 * s;
  struct Case {
    int d;
    DWORD onOff, level;
  } cases[] = {{18, 0, 1}, {25, 1, 1}, {33, 1, 2}, {49, 1, 4}};
  for (const Case& c : cases) {
    Tap(x0 + c.d * s, y);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, L"OnOff"), c.onOff) << c.d;
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, L"Brightness"), c.level) << c.d;
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, L"BacklightLuminanceLevel"), c.level) << c.d;
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0) << c.d;
  }
  // Dragging along the bar sets the level at every move.
  PostMessageW(item_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0 + 20 * s, y));
  PostMessageW(item_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x0 + 37 * s, y));
  testsupport::PumpFor(100);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, L"Brightness"), 3u) << "after the drag";
  PostMessageW(item_, WM_LBUTTONUP, 0, MAKELPARAM(x0 + 37 * s, y));
  PostMessageW(item_, WM_MOUSEMOVE, 0, MAKELPARAM(x0 + 45 * s, y));
  testsupport::PumpFor(100);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, L"Brightness"), 3u) << "a move after the release changes nothing";

  // A press on the gauge's icon is not on the bar.
  RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"OnOff");
  Tap(x0 + 2 * s, y);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, L"OnOff"), 0xFFFFFFFFu);
}

// ---- Tap and hold menus ---------------------------------------------------------------------------

// The states of some entries of the popup menu that a hold at (x, y) opens; the menu is then closed.
std::vector<UINT> g_wanted, g_states;
void CALLBACK ReadMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  g_states.clear();
  for (UINT wanted : g_wanted) g_states.push_back(GetMenuState(menu, wanted, MF_BYCOMMAND));
  KillTimer(nullptr, id);
  EndMenu();
}

std::vector<UINT> HoldAndRead(HWND item, int x, int y, std::vector<UINT> ids) {
  g_wanted = std::move(ids);
  g_states.clear();
  UINT_PTR timer = SetTimer(nullptr, 0, 100, ReadMenu);
  PostMessageW(item, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  testsupport::PumpUntil([] { return !g_states.empty(); }, 5000);
  KillTimer(nullptr, timer);
  PostMessageW(item, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  testsupport::PumpFor(100);
  return g_states;
}

TEST_F(ItemTest, HoldOnTheMemoryGaugeShowsItsModesWithTheCurrentOneMarked) {
  ASSERT_NE(Start(), nullptr);
  Show();
  SendMessageW(item_, WM_COMMAND, 40052, 0);
  int s = Scale();
  // Row 0, column 3: the band starts at 81 and the gauge origin is at 86.
  auto states = HoldAndRead(item_, 100 * s, 30 * s, {40049, 40050, 40052, 40042, 40031});
  ASSERT_EQ(states.size(), 5u) << "no menu opened";
  EXPECT_NE(states[0], 0xFFFFFFFFu) << "the title entry";
  EXPECT_FALSE(states[1] & MF_CHECKED);
  EXPECT_TRUE(states[2] & MF_CHECKED) << "Total Used";
  EXPECT_FALSE(states[2] & MF_GRAYED);
  EXPECT_FALSE(states[3] & MF_GRAYED) << "Remove Item";
  EXPECT_FALSE(states[4] & MF_GRAYED) << "Arrange Items";
}

TEST_F(ItemTest, HoldOnATabOpensTheTabMenu) {
  ASSERT_NE(Start(), nullptr);
  Show();
  auto states = HoldAndRead(item_, 60 * Scale(), 9 * Scale(), {40004, 40006, 40027});
  ASSERT_EQ(states.size(), 3u) << "no menu opened";
  for (UINT state : states) EXPECT_FALSE(state & (MF_GRAYED | MF_DISABLED));
}

// ---- The theme submenu -----------------------------------------------------------------------------

// The submenu of the item menu that a hold opens; the item keeps it after the menu closes.
HMENU g_submenu = nullptr;
void CALLBACK ReadSubmenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
    if (HMENU sub = GetSubMenu(menu, i)) g_submenu = sub;
  KillTimer(nullptr, id);
  EndMenu();
}

TEST_F(ItemTest, AnAppliedThemeIsMarkedInTheSubmenuAtOnce) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  if (FindHandle find(FindFirstFileW(L"\\windows\\*.tsk", &fd)); find) {
    do names.push_back(fd.cFileName);
    while (FindNextFileW(find.get(), &fd));
  }
  int plain = -1, spaced = -1;
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    if (names[i] == L"Plain.tsk") plain = i;
    if (names[i] == L"My Theme.tsk") spaced = i;
  }
  if (plain < 0 || spaced < 0) GTEST_SKIP() << "no device image with its themes";
  RegKey today;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Today", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, today.put(),
                  nullptr);

  ASSERT_NE(Start(), nullptr);
  Show();
  // Hold on the small theme button of the first tab, released where nothing is.
  auto image = ReadFileImage();
  ASSERT_NE(image, nullptr);
  const Metrics m{Scale(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  auto state = std::make_unique<State>();
  quintar::glancet::core::Load(*image, m, *state);
  POINT button = {-1, -1};
  for (int r = 0; r < kShownRows; ++r)
    for (int c = 0; c < state->columns; ++c)
      if (state->grid[0][r][c].kind == kThemeSmall) button = {m.CellX(c) + m.Cell() / 2, m.CellY(r) + m.Cell() / 2};
  ASSERT_GE(button.x, 0);
  g_submenu = nullptr;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, ReadSubmenu);
  PostMessageW(item_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
  testsupport::PumpUntil([] { return g_submenu != nullptr; }, 5000);
  KillTimer(nullptr, timer);
  PostMessageW(item_, WM_LBUTTONUP, 0, MAKELPARAM(1, 19 * Scale()));
  testsupport::PumpFor(100);
  ASSERT_NE(g_submenu, nullptr) << "no Select Theme submenu";
  ASSERT_EQ(GetMenuItemCount(g_submenu), static_cast<int>(names.size()));

  // Each theme applied from the submenu takes the mark from the one before, without a new menu.
  for (int applied : {plain, spaced}) {
    SendMessageW(item_, WM_COMMAND, 50000 + applied, 0);
    for (int i = 0; i < static_cast<int>(names.size()); ++i)
      EXPECT_EQ((GetMenuState(g_submenu, i, MF_BYPOSITION) & MF_CHECKED) != 0, i == applied) << applied << " " << i;
  }
}

// ---- The options-dialog slot ---------------------------------------------------------------------

// A dialog template in memory: one edit control 1000.
std::vector<WORD> NameDialogTemplate() {
  std::vector<WORD> t(64, 0);
  auto* dlg = reinterpret_cast<DLGTEMPLATE*>(t.data());
  dlg->style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  dlg->cdit = 1;
  dlg->cx = 100;
  dlg->cy = 40;
  std::size_t at = sizeof(DLGTEMPLATE) / sizeof(WORD) + 3;  // no menu, default class, empty title
  at = (at + 1) & ~std::size_t{1};                          // items are DWORD aligned
  auto* edit = reinterpret_cast<DLGITEMTEMPLATE*>(t.data() + at);
  edit->style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
  edit->x = 5;
  edit->y = 5;
  edit->cx = 80;
  edit->cy = 12;
  edit->id = 1000;
  at += sizeof(DLGITEMTEMPLATE) / sizeof(WORD);
  t[at++] = 0xFFFF;
  t[at++] = 0x0081;  // edit class
  t[at++] = 0;       // no text
  t[at++] = 0;       // no creation data
  return t;
}

HWND g_dialog = nullptr;
void CALLBACK NameTheTab(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowW(nullptr, L"new name");
  if (!dialog) return;
  KillTimer(nullptr, id);
  g_dialog = dialog;
  SetDlgItemTextW(dialog, 1000, L"A name far longer than a tab takes");
  SendMessageW(dialog, WM_COMMAND, 1001, 0);
}

TEST_F(ItemTest, OptionsSlotRenamesTheSelectedTabUntilTheNextSave) {
  ASSERT_NE(Start(), nullptr);
  auto proc =
      reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(241))));
  ASSERT_NE(proc, nullptr);
  std::vector<WORD> dialog = NameDialogTemplate();
  g_dialog = nullptr;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, NameTheTab);
  INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(dialog.data()), host_, proc, 0);
  KillTimer(nullptr, timer);
  EXPECT_EQ(result, 1001);
  EXPECT_NE(g_dialog, nullptr) << "captioned \"new name\"";
  auto image = ReadFileImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(FieldText(At<TabRecord>(*image, offsets::kTabs).name), u"System") << "not saved by the dialog";
  SendMessageW(item_, WM_COMMAND, 40050, 0);  // any later change saves it
  image = ReadFileImage();
  EXPECT_EQ(FieldText(At<TabRecord>(*image, offsets::kTabs).name), u"A name far longer t");
}

// ---- Bad files -----------------------------------------------------------------------------------

TEST_F(ItemTest, AShortOrGarbledFileLoadsAndDraws) {
  std::vector<uint8_t> junk(5000);
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 131 + 7);
  {
    FileHandle f(CreateFileW(kFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f);
    DWORD written = 0;
    WriteFile(f.get(), junk.data(), static_cast<DWORD>(junk.size()), &written, nullptr);
  }
  ASSERT_NE(Start(), nullptr);
  Show();
  EXPECT_GE(record_.cyp, static_cast<DWORD>(20 * Scale()));
  CopyPath(L"\\d.txt", 12);
  DWORD size = 0;
  auto image = ReadFileImage(&size);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(size, 287344u) << "the next save writes the whole image";
  int32_t count = At<int32_t>(*image, offsets::kTabCount);
  EXPECT_TRUE(count >= 1 && count <= 20);
}

}  // namespace

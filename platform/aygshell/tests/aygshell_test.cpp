// Full-screen dialogs, the soft-key menu bar, special folders and the exports by CE name.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/aygshell/tests/test_util.h"

using namespace quintar::aygshell::tests;
namespace win32 = quintar::win32;

namespace {

constexpr int kSoftKeyBar = 100;  // SHMENUBAR: "Up" (40073) and "Menu" (40100, popup of MENU 100)
constexpr int kPlainMenu = 110;   // MENU: "Done" (40034) and the "Edit" popup
constexpr int kDialog = 120;

HMODULE Ayg() { return GetModuleHandleW(L"aygshell.dll"); }

TEST(AygExports, CeNamesAndOrdinals) {
  ASSERT_NE(Ayg(), nullptr);
  FARPROC byOrdinal = GetProcAddress(Ayg(), MAKEINTRESOURCEA(56));
  EXPECT_NE(byOrdinal, nullptr);
  EXPECT_EQ(byOrdinal, GetProcAddress(Ayg(), "SHInitDialog"));
  EXPECT_EQ(GetProcAddress(Ayg(), MAKEINTRESOURCEA(83)), GetProcAddress(Ayg(), "SHHandleWMSettingChange"));
  EXPECT_EQ(GetProcAddress(Ayg(), MAKEINTRESOURCEA(84)), GetProcAddress(Ayg(), "SHHandleWMActivate"));
  for (const char* name : {"ExitWindowsEx", "SHGetSpecialFolderPath", "SHCreateMenuBar", "SHRecognizeGesture",
                           "SipGetInfo", "SipShowIM", "SHSipPreference", "SHFullScreen", "SHFindMenuBar"}) {
    EXPECT_NE(GetProcAddress(Ayg(), name), nullptr) << name;
  }
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(Ayg(), "SHGetSpecialFolderPath")),
            reinterpret_cast<void*>(&CeGetSpecialFolderPath));
}

// ---- SHInitDialog ----

struct DialogRecord {
  DWORD flags = 0;
  BOOL initResult = FALSE;
  std::vector<int> commands;
};

INT_PTR CALLBACK RecordingDialog(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* record = reinterpret_cast<DialogRecord*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      record = reinterpret_cast<DialogRecord*>(lParam);
      SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      SHINITDLGINFO info{SHIDIM_FLAGS, dlg, record->flags};
      record->initResult = SHInitDialog(&info);
      return TRUE;
    }
    case WM_COMMAND:
      if (record && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) record->commands.push_back(LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

HWND OpenDialog(DialogRecord& record) {
  HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDialog), nullptr, RecordingDialog,
                                reinterpret_cast<LPARAM>(&record));
  if (dlg) ShowWindow(dlg, SW_SHOW);
  return dlg;
}

TEST(SHInitDialog, RefusesBadArguments) {
  EXPECT_FALSE(SHInitDialog(nullptr));
  SHINITDLGINFO noWindow{SHIDIM_FLAGS, nullptr, SHIDIF_DONEBUTTON};
  EXPECT_FALSE(SHInitDialog(&noWindow));
  DialogRecord record;
  UniqueWindow dlg(OpenDialog(record));
  ASSERT_NE(dlg.get(), nullptr);
  RECT before;
  GetWindowRect(dlg.get(), &before);
  SHINITDLGINFO badMask{0x2, dlg.get(), SHIDIF_SIZEDLGFULLSCREEN};
  EXPECT_FALSE(SHInitDialog(&badMask));
  SHINITDLGINFO noMask{0, dlg.get(), SHIDIF_SIZEDLGFULLSCREEN};
  EXPECT_TRUE(SHInitDialog(&noMask));  // flags ignored without SHIDIM_FLAGS
  RECT after;
  GetWindowRect(dlg.get(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST(SHInitDialog, SizesFullScreenAboveTheMenuBandAndDoneSendsIdok) {
  DialogRecord record;
  record.flags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
  ASSERT_EQ(record.flags, 13u);
  UniqueWindow dlg(OpenDialog(record));
  ASSERT_NE(dlg.get(), nullptr);
  EXPECT_TRUE(record.initResult);
  RECT rc;
  GetWindowRect(dlg.get(), &rc);
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.top, 0);
  EXPECT_EQ(rc.right, ScreenW());
  EXPECT_EQ(rc.bottom, ScreenH() - Band());
  LONG style = GetWindowLongW(dlg.get(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);

  // The caption's box is the Done button: OK, never Cancel.
  SendMessageW(dlg.get(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_EQ(record.commands, std::vector<int>{IDOK});
  EXPECT_TRUE(IsWindow(dlg.get()));

  // Hidden, it does nothing; shown again, it works again.
  EXPECT_TRUE(SHDoneButton(dlg.get(), SHDB_HIDE));
  SendMessageW(dlg.get(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(record.commands.size(), 1u);
  EXPECT_TRUE(SHDoneButton(dlg.get(), SHDB_SHOW));
  SendMessageW(dlg.get(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(record.commands, (std::vector<int>{IDOK, IDOK}));
}

TEST(SHInitDialog, DoneBoxIsWhereTheStylusTaps) {
  DialogRecord record;
  record.flags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN;
  UniqueWindow dlg(OpenDialog(record));
  ASSERT_NE(dlg.get(), nullptr);
  SetForegroundWindow(dlg.get());
  PumpFor(100);
  // Find the caption's box the way the stylus does: where the window answers HTCLOSE.
  RECT win;
  GetWindowRect(dlg.get(), &win);
  POINT pt{-1, -1};
  for (int y = win.top; y < win.top + 40 && pt.x < 0; ++y) {
    for (int x = win.right - 1; x > win.left; --x) {
      if (SendMessageW(dlg.get(), WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
        pt = POINT{x - 3, y + 3};
        break;
      }
    }
  }
  ASSERT_GE(pt.x, 0);
  ASSERT_EQ(SendMessageW(dlg.get(), WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), HTCLOSE);
  // A synthetic click is not used here: when Wine loses the release, the system's caption
  // tracking waits for it forever. A tap on the box ends, after that tracking, in this command.
  SendMessageW(dlg.get(), WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(pt.x, pt.y));
  EXPECT_TRUE(PumpUntil([&] { return !record.commands.empty(); }));
  EXPECT_EQ(record.commands, std::vector<int>{IDOK});
}

TEST(SHInitDialog, NoMenuBarAndSipSizedVariants) {
  DialogRecord full;
  full.flags = SHIDIF_FULLSCREENNOMENUBAR;
  UniqueWindow dlg(OpenDialog(full));
  ASSERT_NE(dlg.get(), nullptr);
  RECT rc;
  GetWindowRect(dlg.get(), &rc);
  EXPECT_EQ(rc.bottom, ScreenH());
  EXPECT_EQ(rc.right, ScreenW());
  EXPECT_FALSE(GetWindowLongW(dlg.get(), GWL_STYLE) & WS_CAPTION);  // no Done asked, no caption added

  UniqueWindow sip(CreateSipStandIn());
  ASSERT_TRUE(SipShowIM(SIPF_ON));
  DialogRecord sized;
  sized.flags = SHIDIF_SIZEDLG;
  UniqueWindow dlg2(OpenDialog(sized));
  GetWindowRect(dlg2.get(), &rc);
  EXPECT_EQ(rc.bottom, ScreenH() - Band() - SipH());

  // SIPDOWN lowers a raised SIP.
  DialogRecord down;
  down.flags = SHIDIF_SIPDOWN | SHIDIF_SIZEDLGFULLSCREEN;
  UniqueWindow dlg3(OpenDialog(down));
  EXPECT_FALSE(IsWindowVisible(sip.get()));
  GetWindowRect(dlg3.get(), &rc);
  EXPECT_EQ(rc.bottom, ScreenH() - Band());
}

// ---- Menu bar ----

struct OwnerLog {
  std::vector<int> commands;
  std::vector<HMENU> popups;
  bool chooseFirstItem = false;
};

Handler OwnerHandler(OwnerLog& log) {
  return [&log](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, bool& handled) -> LRESULT {
    if (msg == WM_COMMAND) {
      log.commands.push_back(LOWORD(wParam));
      handled = true;
    } else if (msg == WM_INITMENUPOPUP) {
      log.popups.push_back(reinterpret_cast<HMENU>(wParam));
      if (log.chooseFirstItem) {
        // The menu's loop reads these as the user's keys: first item, then Enter.
        PostMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
      }
    }
    return 0;
  };
}

void Tap(HWND bar, int index) {
  RECT key{};
  ASSERT_TRUE(SendMessageW(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&key)));
  LPARAM at = MAKELPARAM((key.left + key.right) / 2, (key.top + key.bottom) / 2);
  PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(bar, WM_LBUTTONUP, 0, at);
}

std::wstring KeyText(HWND bar, int index) {
  wchar_t text[64] = {};
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
  info.pszText = text;
  info.cchText = 64;
  return SendMessageW(bar, TB_GETBUTTONINFOW, index, reinterpret_cast<LPARAM>(&info)) == index ? text : L"?";
}

SHMENUBARINFO BarInfo(HWND owner, UINT id, DWORD flags = 0) {
  SHMENUBARINFO mb{};
  mb.cbSize = sizeof mb;
  mb.hwndParent = owner;
  mb.dwFlags = flags;
  mb.nToolBarId = id;
  mb.hInstRes = GetModuleHandleW(nullptr);
  return mb;
}

TEST(SHCreateMenuBar, SoftKeysAlongTheBottomSendCommandsToTheOwner) {
  OwnerLog log;
  Handler handler = OwnerHandler(log);
  UniqueWindow owner(CreateTestWindow(&handler));
  SHMENUBARINFO mb = BarInfo(owner.get(), kSoftKeyBar);
  ASSERT_TRUE(SHCreateMenuBar(&mb));
  HWND bar = mb.hwndMB;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(SHFindMenuBar(owner.get()), bar);
  EXPECT_TRUE(IsWindowVisible(bar));
  RECT rc;
  GetWindowRect(bar, &rc);
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.right, ScreenW());
  EXPECT_EQ(rc.bottom, ScreenH());
  EXPECT_EQ(rc.bottom - rc.top, Band());
  EXPECT_EQ(GetWindow(bar, GW_OWNER), owner.get());

  ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 2);
  EXPECT_EQ(KeyText(bar, 0), L"Up");
  EXPECT_EQ(KeyText(bar, 1), L"Menu");
  RECT left{}, right{};
  SendMessageW(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&left));
  SendMessageW(bar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&right));
  EXPECT_EQ(left.left, 0);
  EXPECT_EQ(left.right, right.left);
  EXPECT_EQ(right.right, ScreenW());

  Tap(bar, 0);
  EXPECT_TRUE(PumpUntil([&] { return !log.commands.empty(); }));
  EXPECT_EQ(log.commands, std::vector<int>{40073});

  HMENU sub = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 40100));
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(GetMenuItemID(sub, 0), 40072u);
  HMENU whole = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(GetSubMenu(whole, 0), sub);
  EXPECT_EQ(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 40073), 0);  // a key without popup

  // A disabled key, or a disabled owner (a modal dialog over it), sends nothing.
  EXPECT_TRUE(SendMessageW(bar, TB_ENABLEBUTTON, 40073, FALSE));
  EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONENABLED, 40073, 0));
  Tap(bar, 0);
  PumpFor(100);
  EXPECT_EQ(log.commands.size(), 1u);
  SendMessageW(bar, TB_ENABLEBUTTON, 40073, TRUE);
  EnableWindow(owner.get(), FALSE);
  Tap(bar, 0);
  PumpFor(100);
  EXPECT_EQ(log.commands.size(), 1u);
  EnableWindow(owner.get(), TRUE);

  // A program renames a soft key.
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT;
  info.pszText = const_cast<wchar_t*>(L"Back");
  EXPECT_TRUE(SendMessageW(bar, TB_SETBUTTONINFOW, 40073, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(KeyText(bar, 0), L"Back");

  // The bar goes with its owner.
  DestroyWindow(owner.get());
  EXPECT_FALSE(IsWindow(bar));
}

TEST(SHCreateMenuBar, RightKeyOpensItsPopupAndTheChoiceReachesTheOwner) {
  OwnerLog log;
  log.chooseFirstItem = true;
  Handler handler = OwnerHandler(log);
  UniqueWindow owner(CreateTestWindow(&handler));
  SetForegroundWindow(owner.get());
  SHMENUBARINFO mb = BarInfo(owner.get(), kSoftKeyBar);
  ASSERT_TRUE(SHCreateMenuBar(&mb));
  HMENU sub = reinterpret_cast<HMENU>(SendMessageW(mb.hwndMB, SHCMBM_GETSUBMENU, 0, 40100));
  Tap(mb.hwndMB, 1);
  EXPECT_TRUE(PumpUntil([&] { return !log.commands.empty(); }));
  ASSERT_FALSE(log.popups.empty());
  EXPECT_EQ(log.popups.front(), sub);
  EXPECT_EQ(log.commands, std::vector<int>{40072});
}

TEST(SHCreateMenuBar, MenuResourceGivesCommandAndPopupKeys) {
  OwnerLog log;
  Handler handler = OwnerHandler(log);
  UniqueWindow owner(CreateTestWindow(&handler));
  SHMENUBARINFO mb = BarInfo(owner.get(), kPlainMenu, SHCMBF_HMENU);
  ASSERT_TRUE(SHCreateMenuBar(&mb));
  ASSERT_EQ(SendMessageW(mb.hwndMB, TB_BUTTONCOUNT, 0, 0), 2);
  EXPECT_EQ(KeyText(mb.hwndMB, 0), L"Done");
  EXPECT_EQ(KeyText(mb.hwndMB, 1), L"Edit");
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_LPARAM | TBIF_COMMAND | TBIF_BYINDEX;
  ASSERT_EQ(SendMessageW(mb.hwndMB, TB_GETBUTTONINFOW, 1, reinterpret_cast<LPARAM>(&info)), 1);
  HMENU edit = reinterpret_cast<HMENU>(info.lParam);
  ASSERT_TRUE(IsMenu(edit));
  EXPECT_EQ(GetMenuItemID(edit, 1), 40044u);
  // Programs grey items of a soft key's menu through the handle.
  EXPECT_NE(EnableMenuItem(edit, 40044, MF_BYCOMMAND | MF_GRAYED), -1);

  Tap(mb.hwndMB, 0);
  EXPECT_TRUE(PumpUntil([&] { return !log.commands.empty(); }));
  EXPECT_EQ(log.commands, std::vector<int>{40034});

  // Without SHCMBF_HMENU a MENU resource serves too when no SHMENUBAR resource has the id.
  SHMENUBARINFO again = BarInfo(owner.get(), kPlainMenu);
  ASSERT_TRUE(SHCreateMenuBar(&again));
  EXPECT_EQ(SendMessageW(again.hwndMB, TB_BUTTONCOUNT, 0, 0), 2);
  EXPECT_EQ(SHFindMenuBar(owner.get()), again.hwndMB);
}

TEST(SHCreateMenuBar, EmptyHiddenAndRefusedBars) {
  UniqueWindow owner(CreateTestWindow(nullptr));
  EXPECT_FALSE(SHCreateMenuBar(nullptr));
  SHMENUBARINFO small = BarInfo(owner.get(), kSoftKeyBar);
  small.cbSize = 8;
  EXPECT_FALSE(SHCreateMenuBar(&small));
  SHMENUBARINFO noOwner = BarInfo(nullptr, kSoftKeyBar);
  EXPECT_FALSE(SHCreateMenuBar(&noOwner));
  SHMENUBARINFO missing = BarInfo(owner.get(), 999);
  EXPECT_FALSE(SHCreateMenuBar(&missing));
  EXPECT_EQ(missing.hwndMB, nullptr);
  EXPECT_EQ(SHFindMenuBar(owner.get()), nullptr);

  SHMENUBARINFO empty = BarInfo(owner.get(), 0, SHCMBF_EMPTYBAR | SHCMBF_HIDDEN | SHCMBF_COLORBK);
  empty.clrBk = RGB(1, 2, 3);
  ASSERT_TRUE(SHCreateMenuBar(&empty));
  EXPECT_EQ(SendMessageW(empty.hwndMB, TB_BUTTONCOUNT, 0, 0), 0);
  EXPECT_FALSE(IsWindowVisible(empty.hwndMB));
  EXPECT_EQ(SendMessageW(empty.hwndMB, SHCMBM_GETMENU, 0, 0), 0);
  EXPECT_EQ(SHEnableSoftkey(empty.hwndMB, 0, TRUE, FALSE), E_INVALIDARG);
  EXPECT_EQ(SHEnableSoftkey(owner.get(), 0, TRUE, FALSE), E_INVALIDARG);
}

// ---- Special folders and the reset request ----

TEST(SpecialFolders, DevicePathsWithoutDriveLetters) {
  struct Case {
    int csidl;
    const wchar_t* path;
  };
  const Case cases[] = {{CSIDL_PERSONAL, L"\\My Documents"},
                        {CSIDL_PROGRAMS, L"\\Windows\\Start Menu\\Programs"},
                        {CSIDL_STARTMENU, L"\\Windows\\Start Menu"},
                        {CSIDL_FAVORITES, L"\\Windows\\Favorites"},
                        {CSIDL_WINDOWS, L"\\Windows"},
                        {CSIDL_PROGRAM_FILES, L"\\Program Files"},
                        {CSIDL_DESKTOPDIRECTORY, L"\\Windows\\Desktop"}};
  for (const Case& c : cases) {
    wchar_t path[MAX_PATH] = L"x";
    ASSERT_TRUE(CeGetSpecialFolderPath(nullptr, path, c.csidl, TRUE)) << c.path;
    EXPECT_STREQ(path, c.path);
    DWORD attributes = GetFileAttributesW(path);
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << c.path;
  }
  // Looked up by its CE name, as device code does.
  using Fn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
  auto byName = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(Ayg(), "SHGetSpecialFolderPath")));
  wchar_t path[MAX_PATH] = {};
  ASSERT_TRUE(byName(nullptr, path, CSIDL_PERSONAL, FALSE));
  EXPECT_STREQ(path, L"\\My Documents");
}

TEST(SpecialFolders, MissingVirtualAndBadRequests) {
  wchar_t path[MAX_PATH] = L"x";
  RemoveDirectoryW(L"\\My Documents\\My Videos");
  EXPECT_FALSE(CeGetSpecialFolderPath(nullptr, path, CSIDL_MYVIDEO, FALSE));
  EXPECT_STREQ(path, L"");
  EXPECT_TRUE(CeGetSpecialFolderPath(nullptr, path, CSIDL_MYVIDEO | 0x8000, FALSE));  // CSIDL_FLAG_CREATE
  EXPECT_STREQ(path, L"\\My Documents\\My Videos");
  EXPECT_FALSE(CeGetSpecialFolderPath(nullptr, path, 0x0011, TRUE));  // CSIDL_DRIVES: virtual
  EXPECT_FALSE(CeGetSpecialFolderPath(nullptr, nullptr, CSIDL_PERSONAL, TRUE));
}

std::string ReadEventLog() { return testsupport::ReadFileBytes(L"\\Windows\\device-events.log"); }

TEST(ExitWindowsEx, RecordsTheRequestInsteadOfStopping) {
  using Fn = BOOL(WINAPI*)(UINT, DWORD);
  const win32::Module lib(LoadLibraryW(L"aygshell.dll"));
  ASSERT_TRUE(lib);
  auto exitWindows = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib.get(), "ExitWindowsEx")));
  ASSERT_NE(exitWindows, nullptr);
  SetLastError(0);
  EXPECT_FALSE(exitWindows(EWX_LOGOFF, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  const win32::Module core(LoadLibraryW(L"coredll.dll"));
  bool logAvailable = core && GetProcAddress(core.get(), "QuintarLogEvent");
  BOOL result = exitWindows(EWX_REBOOT, 0);
  if (logAvailable) {
    EXPECT_TRUE(result);
    EXPECT_NE(ReadEventLog().find("exit-windows 0x2"), std::string::npos);
  } else {
    // Without the device's event log the request is refused, not silently dropped.
    EXPECT_FALSE(result);
    EXPECT_NE(GetLastError(), 0u);
  }
}

}  // namespace

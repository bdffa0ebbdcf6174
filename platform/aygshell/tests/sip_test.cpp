// The SIP through the shell's "SipWndClass" window, and the helpers that follow it.
#include <gtest/gtest.h>

#include "platform/aygshell/tests/test_util.h"

using namespace quintar::aygshell::tests;

namespace {

SIPINFO Info() {
  SIPINFO info{};
  info.cbSize = sizeof info;
  EXPECT_TRUE(SipGetInfo(&info));
  return info;
}

TEST(Sip, WithoutTheShellWindowTheSipIsDownAndCannotRise) {
  ASSERT_EQ(FindWindowW(L"SipWndClass", nullptr), nullptr);
  SIPINFO info = Info();
  EXPECT_EQ(info.fdwFlags, static_cast<DWORD>(SIPF_DOCKED));
  EXPECT_EQ(info.rcVisibleDesktop.bottom, ScreenH());
  EXPECT_EQ(info.rcVisibleDesktop.right, ScreenW());
  EXPECT_EQ(info.rcSipRect.bottom, ScreenH() - Band());
  EXPECT_EQ(info.rcSipRect.top, ScreenH() - Band() - SipH());
  EXPECT_FALSE(SipShowIM(SIPF_ON));
  EXPECT_FALSE(SHSipPreference(nullptr, SIP_UP));
  EXPECT_TRUE(SHSipPreference(nullptr, SIP_DOWN));
}

TEST(Sip, RefusesBadRequests) {
  EXPECT_FALSE(SipGetInfo(nullptr));
  SIPINFO small{};
  small.cbSize = 8;
  EXPECT_FALSE(SipGetInfo(&small));
  SIPINFO imData{};
  imData.cbSize = sizeof imData;
  imData.dwImDataSize = 16;
  EXPECT_FALSE(SipGetInfo(&imData));
  EXPECT_FALSE(SipShowIM(7));
  EXPECT_FALSE(SHSipPreference(nullptr, static_cast<SIPSTATE>(42)));
}

TEST(Sip, ShowsHidesAndReportsTheShellWindow) {
  UniqueWindow sip(CreateSipStandIn());
  ASSERT_NE(sip.get(), nullptr);
  EXPECT_EQ(Info().fdwFlags & SIPF_ON, 0u);

  ASSERT_TRUE(SipShowIM(SIPF_ON));
  EXPECT_TRUE(IsWindowVisible(sip.get()));
  SIPINFO up = Info();
  EXPECT_EQ(up.fdwFlags, static_cast<DWORD>(SIPF_ON | SIPF_DOCKED));
  RECT expected;
  GetWindowRect(sip.get(), &expected);
  EXPECT_TRUE(EqualRect(&up.rcSipRect, &expected));
  EXPECT_EQ(up.rcVisibleDesktop.bottom, expected.top);

  SIPINFO query{};
  query.cbSize = sizeof query;
  ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &query, 0));
  EXPECT_EQ(query.fdwFlags, up.fdwFlags);

  ASSERT_TRUE(SipShowIM(SIPF_OFF));
  EXPECT_FALSE(IsWindowVisible(sip.get()));
  EXPECT_EQ(Info().rcVisibleDesktop.bottom, ScreenH());

  // An input dialog keeps the panel up against plain SIP_DOWN, not against SIP_FORCEDOWN.
  UniqueWindow dlg(CreateTestWindow(nullptr));
  ASSERT_TRUE(SHSipPreference(dlg.get(), SIP_INPUTDIALOG));
  ASSERT_TRUE(SHSipPreference(dlg.get(), SIP_UP));
  EXPECT_TRUE(SHSipPreference(dlg.get(), SIP_DOWN));
  EXPECT_TRUE(IsWindowVisible(sip.get()));
  EXPECT_TRUE(SHSipPreference(dlg.get(), SIP_FORCEDOWN));
  EXPECT_FALSE(IsWindowVisible(sip.get()));
  EXPECT_TRUE(SHSipPreference(dlg.get(), SIP_UNCHANGED));
}

TEST(SHHandleWMSettingChange, FullScreenWindowFollowsTheSip) {
  UniqueWindow sip(CreateSipStandIn());
  UniqueWindow main(CreateTestWindow(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, ScreenW(), ScreenH() - Band()}));
  SHMENUBARINFO mb{};
  mb.cbSize = sizeof mb;
  mb.hwndParent = main.get();
  mb.dwFlags = SHCMBF_EMPTYBAR;
  ASSERT_TRUE(SHCreateMenuBar(&mb));
  SHACTIVATEINFO sai{};
  sai.cbSize = sizeof sai;
  EXPECT_FALSE(SHHandleWMSettingChange(main.get(), SPI_SETSIPINFO, 0, nullptr));

  SipShowIM(SIPF_ON);
  ASSERT_TRUE(SHHandleWMSettingChange(main.get(), SPI_SETSIPINFO, 0, &sai));
  RECT rc;
  GetWindowRect(main.get(), &rc);
  EXPECT_EQ(rc.bottom, ScreenH() - Band() - SipH());
  EXPECT_TRUE(sai.fSipUp);

  SipShowIM(SIPF_OFF);
  ASSERT_TRUE(SHHandleWMSettingChange(main.get(), SPI_SETSIPINFO, 0, &sai));
  GetWindowRect(main.get(), &rc);
  EXPECT_EQ(rc.bottom, ScreenH() - Band());  // its menu bar stays uncovered
  EXPECT_FALSE(sai.fSipUp);

  // Other settings leave the window alone.
  SetWindowPos(main.get(), nullptr, 0, 0, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(SHHandleWMSettingChange(main.get(), SPI_SETWORKAREA, 0, &sai));
  GetWindowRect(main.get(), &rc);
  EXPECT_EQ(rc.bottom, 100);
}

TEST(SHHandleWMActivate, RestoresTheSipStateOfTheWindow) {
  UniqueWindow sip(CreateSipStandIn());
  UniqueWindow main(CreateTestWindow(nullptr));
  SHACTIVATEINFO sai{};
  sai.cbSize = sizeof sai;
  EXPECT_FALSE(SHHandleWMActivate(main.get(), WA_ACTIVE, 0, nullptr, 0));

  // First activation of a fresh window changes nothing.
  SipShowIM(SIPF_ON);
  ASSERT_TRUE(SHHandleWMActivate(main.get(), WA_ACTIVE, 0, &sai, 0));
  EXPECT_TRUE(IsWindowVisible(sip.get()));
  EXPECT_TRUE(sai.fActive);

  ASSERT_TRUE(SHHandleWMActivate(main.get(), WA_INACTIVE, 0, &sai, 0));
  EXPECT_TRUE(sai.fSipOnDeactivation);
  EXPECT_FALSE(sai.fActive);
  SipShowIM(SIPF_OFF);  // another program lowered it meanwhile
  ASSERT_TRUE(SHHandleWMActivate(main.get(), WA_ACTIVE, 0, &sai, 0));
  EXPECT_TRUE(IsWindowVisible(sip.get()));
  EXPECT_TRUE(sai.fSipUp);

  ASSERT_TRUE(SHHandleWMActivate(main.get(), WA_INACTIVE, 0, &sai, 0));
  SipShowIM(SIPF_OFF);
  ASSERT_TRUE(SHHandleWMActivate(main.get(), WA_INACTIVE, 0, &sai, 0));
  SipShowIM(SIPF_ON);
  ASSERT_TRUE(SHHandleWMActivate(main.get(), WA_CLICKACTIVE, 0, &sai, 0));
  EXPECT_FALSE(IsWindowVisible(sip.get()));
}

TEST(SHFullScreen, GrantsTaskBarRequestsAndRefusesNonsense) {
  UniqueWindow main(CreateTestWindow(nullptr));
  EXPECT_TRUE(SHFullScreen(main.get(), SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON));
  EXPECT_TRUE(SHFullScreen(main.get(), SHFS_SHOWTASKBAR));
  EXPECT_FALSE(SHFullScreen(main.get(), SHFS_SHOWTASKBAR | SHFS_HIDETASKBAR));
  EXPECT_FALSE(SHFullScreen(main.get(), 0x100));
  EXPECT_FALSE(SHFullScreen(nullptr, SHFS_HIDETASKBAR));
}

}  // namespace

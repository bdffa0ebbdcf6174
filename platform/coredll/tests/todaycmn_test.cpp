// The Today item interface keeps the device's record layout and message numbers.
#include <todaycmn.h>
#include <gtest/gtest.h>

#include <cstddef>

// Members in the documented order, each after the previous one.
static_assert(offsetof(TODAYLISTITEM, szName) == 0);
static_assert(sizeof(TODAYLISTITEM::szName) == MAX_ITEMNAME * sizeof(WCHAR));
static_assert(MAX_ITEMNAME == 32);
static_assert(offsetof(TODAYLISTITEM, tlit) == sizeof(TODAYLISTITEM::szName));
static_assert(offsetof(TODAYLISTITEM, dwOrder) == offsetof(TODAYLISTITEM, tlit) + 4);
static_assert(offsetof(TODAYLISTITEM, cyp) == offsetof(TODAYLISTITEM, dwOrder) + 4);
static_assert(offsetof(TODAYLISTITEM, fEnabled) == offsetof(TODAYLISTITEM, cyp) + 4);
static_assert(offsetof(TODAYLISTITEM, fOptions) == offsetof(TODAYLISTITEM, fEnabled) + 4);
static_assert(offsetof(TODAYLISTITEM, grfFlags) == offsetof(TODAYLISTITEM, fOptions) + 4);
static_assert(offsetof(TODAYLISTITEM, szDLLPath) == offsetof(TODAYLISTITEM, grfFlags) + 4);
static_assert(sizeof(TODAYLISTITEM::szDLLPath) == MAX_PATH * sizeof(WCHAR));
static_assert(offsetof(TODAYLISTITEM, hinstDLL) >= offsetof(TODAYLISTITEM, szDLLPath) + MAX_PATH * sizeof(WCHAR));
static_assert(offsetof(TODAYLISTITEM, hwndCustom) == offsetof(TODAYLISTITEM, hinstDLL) + sizeof(HINSTANCE));
static_assert(offsetof(TODAYLISTITEM, fSizeOnDraw) == offsetof(TODAYLISTITEM, hwndCustom) + sizeof(HWND));
static_assert(offsetof(TODAYLISTITEM, prgbCachedData) >= offsetof(TODAYLISTITEM, fSizeOnDraw) + sizeof(BOOL));
static_assert(offsetof(TODAYLISTITEM, cbCachedData) == offsetof(TODAYLISTITEM, prgbCachedData) + sizeof(BYTE*));

static_assert(offsetof(TODAYDRAWWATERMARKINFO, hdc) == 0);
static_assert(offsetof(TODAYDRAWWATERMARKINFO, rc) == sizeof(HDC));
static_assert(offsetof(TODAYDRAWWATERMARKINFO, hwnd) >= sizeof(HDC) + sizeof(RECT));

static_assert(tlitOwnerInfo == 0 && tlitAppointments == 1 && tlitMail == 2 && tlitTasks == 3 && tlitCustom == 4 &&
              tlitNil == 5);

static_assert(WM_TODAYCUSTOM_CLEARCACHE == WM_USER + 242);
static_assert(WM_TODAYCUSTOM_QUERYREFRESHCACHE == WM_USER + 243);
static_assert(WM_TODAYCUSTOM_RECEIVEDSELECTION == WM_USER + 244);
static_assert(WM_TODAYCUSTOM_LOSTSELECTION == WM_USER + 245);
static_assert(WM_TODAYCUSTOM_USERNAVIGATION == WM_USER + 246);
static_assert(WM_TODAYCUSTOM_ACTION == WM_USER + 247);
static_assert(TODAYM_GETCOLOR == WM_USER + 100);
static_assert(TODAYM_DRAWWATERMARK == WM_USER + 101);
static_assert(TODAYM_TOOKSELECTION == WM_USER + 102);
static_assert(TODAYCOLOR_TEXT == 0x10000004);
static_assert(TODAYCOLOR_HIGHLIGHT == 0x10000022);
static_assert(TODAYCOLOR_HIGHLIGHTEDTEXT == 0x10000023);
static_assert(ORDINAL_INITIALIZEITEM == 240 && ORDINAL_OPTIONSDIALOGPROC == 241);

TEST(TodayInterface, RecordSizesFollowTheBuild) {
  // On x86-64 the handles and the pointer widen; the layout above holds the order.
  EXPECT_EQ(sizeof(TODAYLISTITEM), sizeof(void*) == 8 ? 648u : 628u);
}

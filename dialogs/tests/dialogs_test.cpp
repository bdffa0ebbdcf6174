#include "dialogs/dialogs.h"

#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "testsupport/testsupport.h"
#include "win32/handle.h"

using namespace quintar::dialogs;
using testsupport::PumpFor;
using testsupport::UniqueWindow;

namespace {

constexpr int kSquare = 201, kPortrait = 202, kLandscape = 203, kExtended = 204, kMalformed = 300;
const TemplateSet kShapes = TemplatesById(kSquare, kPortrait, kLandscape);
constexpr PerShape<int> kIds{kSquare, kPortrait, kLandscape};

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

INT_PTR CALLBACK PlainProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

INT_PTR CALLBACK RelayoutProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) {
    AttachRelayout(dlg, Module(), kShapes);
    return TRUE;
  }
  return FALSE;
}

// Every child's rectangle in the dialog's client coordinates, keyed by (id, occurrence).
using Placement = std::map<std::pair<UINT, int>, RECT>;

Placement Children(HWND dialog) {
  Placement out;
  std::map<UINT, int> seen;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const UINT id = static_cast<UINT>(GetDlgCtrlID(c));
    out[{id, seen[id]++}] = r;
  }
  return out;
}

// Where the template puts each control, converted on this dialog.
Placement Expected(HWND dialog, int templateId) {
  const auto layout = ParseDialogTemplate(FindDialogTemplate(Module(), MAKEINTRESOURCEW(templateId)));
  Placement out;
  if (!layout) return out;
  std::map<UINT, int> seen;
  for (const TemplateControl& c : layout->controls) {
    RECT r{c.x, c.y, c.cx, c.cy};
    MapDialogRect(dialog, &r);
    const UINT id = layout->extended ? c.id : c.id & 0xFFFF;
    out[{id, seen[id]++}] = RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
  }
  return out;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult PlacedAs(HWND dialog, int templateId, const Placement& before) {
  const Placement now = Children(dialog);
  const Placement want = Expected(dialog, templateId);
  if (want.empty()) return ::testing::AssertionFailure() << "template " << templateId << " unreadable";
  for (const auto& [key, rect] : now) {
    const auto it = want.find(key);
    // Controls the template lacks stay where they were.
    const RECT& target = it != want.end() ? it->second : before.at(key);
    if (!Same(rect, target)) {
      return ::testing::AssertionFailure()
             << "control " << key.first << "#" << key.second << " at " << rect.left << "," << rect.top << " "
             << rect.right << "," << rect.bottom << " instead of " << target.left << "," << target.top << " "
             << target.right << "," << target.bottom;
    }
  }
  return ::testing::AssertionSuccess();
}

HWND FromTemplate(int id) {
  const auto bytes = FindDialogTemplate(Module(), MAKEINTRESOURCEW(id));
  if (bytes.empty()) return nullptr;
  return CreateDialogIndirectParamW(Module(), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr, PlainProc, 0);
}

}  // namespace

// A value of the device profile the test device was made from.
DWORD ProfileValue(LPCWSTR name, DWORD fallback) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Quintar\\Device", name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return fallback;
  return value;
}

TEST(Shape, CurrentFromScreenMetrics) {
  const auto width = static_cast<int>(ProfileValue(L"ScreenWidth", 240));
  const auto height = static_cast<int>(ProfileValue(L"ScreenHeight", 320));
  EXPECT_EQ(CurrentScreenShape(), ShapeOf(width, height));
}

TEST(Relayout, OpensWithCurrentShapeAndFollowsEveryShape) {
  {
    UniqueWindow current(CreateDialogForShape(Module(), kShapes, nullptr, PlainProc));
    ASSERT_TRUE(current);
    EXPECT_TRUE(PlacedAs(current.get(), kIds.For(CurrentScreenShape()), Children(current.get())));
  }
  // From here on a dialog made from the portrait template, whatever the test device's screen.
  UniqueWindow dlg(FromTemplate(kPortrait));
  ASSERT_TRUE(dlg);
  const Placement initial = Children(dlg.get());
  ASSERT_TRUE(PlacedAs(dlg.get(), kPortrait, initial));
  ASSERT_EQ(initial.count({1050, 0}), 1u);  // only the landscape template lacks it

  const Placement beforeLandscape = Children(dlg.get());
  ASSERT_TRUE(RelayoutForShape(dlg.get(), Module(), kShapes, ScreenShape::Landscape));
  EXPECT_TRUE(PlacedAs(dlg.get(), kLandscape, beforeLandscape));
  EXPECT_FALSE(PlacedAs(dlg.get(), kPortrait, beforeLandscape));
  // 1050 is not in the landscape template: it stays; 1099 is not in the dialog: skipped.
  EXPECT_TRUE(Same(Children(dlg.get()).at({1050, 0}), initial.at({1050, 0})));
  EXPECT_EQ(GetDlgItem(dlg.get(), 1099), nullptr);

  // The re-laid dialog matches a dialog created from the landscape template, labels included.
  {
    UniqueWindow fresh(FromTemplate(kLandscape));
    ASSERT_TRUE(fresh);
    const Placement a = Children(dlg.get()), b = Children(fresh.get());
    for (const auto& [key, rect] : b) {
      if (a.count(key)) {
        EXPECT_TRUE(Same(a.at(key), rect)) << "control " << key.first << "#" << key.second;
      }
    }
  }

  const Placement beforeSquare = Children(dlg.get());
  ASSERT_TRUE(RelayoutForShape(dlg.get(), Module(), kShapes, ScreenShape::Square));
  EXPECT_TRUE(PlacedAs(dlg.get(), kSquare, beforeSquare));
  ASSERT_TRUE(RelayoutForShape(dlg.get(), Module(), kShapes, ScreenShape::Portrait));
  EXPECT_TRUE(PlacedAs(dlg.get(), kPortrait, beforeSquare));

  // Extended templates are read as well.
  ASSERT_TRUE(
      RelayoutForShape(dlg.get(), Module(), TemplatesById(kExtended, kExtended, kExtended), ScreenShape::Square));
  EXPECT_TRUE(PlacedAs(dlg.get(), kExtended, Children(dlg.get())));
}

TEST(Relayout, UnsizedIconKeepsItsPictureSize) {
  UniqueWindow dlg(FromTemplate(210));
  ASSERT_TRUE(dlg);
  HWND icon = GetDlgItem(dlg.get(), 1200);
  ASSERT_NE(icon, nullptr);
  RECT before{};
  GetWindowRect(icon, &before);
  ASSERT_GT(before.right - before.left, 0) << "the icon takes its picture's size";
  ASSERT_TRUE(RelayoutForShape(dlg.get(), Module(), TemplatesById(211, 211, 211), ScreenShape::Square));
  RECT after{};
  GetWindowRect(icon, &after);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  EXPECT_NE(after.left, before.left) << "it still moves to its new place";
}

TEST(Relayout, MalformedOrMissingTemplateMovesNothing) {
  UniqueWindow dlg(CreateDialogForShape(Module(), kShapes, nullptr, PlainProc));
  ASSERT_TRUE(dlg);
  const Placement before = Children(dlg.get());
  EXPECT_FALSE(ParseDialogTemplate(FindDialogTemplate(Module(), MAKEINTRESOURCEW(kMalformed))));
  EXPECT_FALSE(
      RelayoutForShape(dlg.get(), Module(), TemplatesById(kMalformed, kMalformed, kMalformed), ScreenShape::Square));
  EXPECT_FALSE(RelayoutForShape(dlg.get(), Module(), TemplatesById(999, 999, 999), ScreenShape::Portrait));
  EXPECT_FALSE(RelayoutForShape(nullptr, Module(), kShapes, ScreenShape::Portrait));
  const Placement after = Children(dlg.get());
  for (const auto& [key, rect] : before) EXPECT_TRUE(Same(rect, after.at(key)));

  EXPECT_EQ(CreateDialogForShape(Module(), TemplatesById(999, 999, 999), nullptr, PlainProc), nullptr);
  EXPECT_EQ(DialogBoxForShape(Module(), TemplatesById(999, 999, 999), nullptr, PlainProc), -1);
}

TEST(Relayout, OnSizeAfterTheScreenTurns) {
  UniqueWindow dlg(CreateDialogForShape(Module(), kShapes, nullptr, RelayoutProc));
  ASSERT_TRUE(dlg);
  const int width0 = GetSystemMetrics(SM_CXSCREEN), height0 = GetSystemMetrics(SM_CYSCREEN);
  const Placement initial = Children(dlg.get());
  // Turn the screen through the device shapes; a mode the display does not offer is noted.
  const SIZE modes[] = {{320, 240}, {240, 320}, {240, 240}, {width0, height0}};
  int switched = 0;
  for (const SIZE& m : modes) {
    if (!testsupport::SetScreen(m.cx, m.cy)) {
      std::printf("note: no %ld x %ld display mode\n", m.cx, m.cy);
      continue;
    }
    ++switched;
    SetWindowPos(dlg.get(), nullptr, 0, 0, m.cx, m.cy, SWP_NOZORDER | SWP_NOACTIVATE);  // WM_SIZE
    PumpFor(20);
    EXPECT_TRUE(PlacedAs(dlg.get(), kIds.For(ShapeOf(m.cx, m.cy)), initial)) << m.cx << " x " << m.cy;
  }
  EXPECT_GE(switched, 2);  // at least one turn and the way back
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), width0);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), height0);

  // Detached, a resize no longer moves anything.
  DetachRelayout(dlg.get());
  ASSERT_TRUE(RelayoutForShape(dlg.get(), Module(), kShapes, ScreenShape::Square));
  const Placement square = Children(dlg.get());
  SetWindowPos(dlg.get(), nullptr, 0, 0, 200, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  const Placement after = Children(dlg.get());
  for (const auto& [key, rect] : square) EXPECT_TRUE(Same(rect, after.at(key)));
}

TEST(Relayout, ModalDialogFromCurrentShape) {
  static int seenWidth;
  seenWidth = 0;
  const INT_PTR result =
      DialogBoxForShape(Module(), kShapes, nullptr, [](HWND dlg, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg != WM_INITDIALOG) return FALSE;
        // The templates' sizes: square 160 x 160, portrait 160 x 213, landscape 213 x 160 units.
        const ScreenShape shape = CurrentScreenShape();
        RECT r{0, 0, shape == ScreenShape::Landscape ? 213 : 160, shape == ScreenShape::Portrait ? 213 : 160};
        MapDialogRect(dlg, &r);
        RECT client;
        GetClientRect(dlg, &client);
        seenWidth = client.right == r.right && client.bottom == r.bottom ? 1 : -1;
        EndDialog(dlg, 42);
        return TRUE;
      });
  EXPECT_EQ(result, 42);
  EXPECT_EQ(seenWidth, 1);
}

TEST(Sip, SwitchWithoutPanelIsHarmless) {
  ASSERT_EQ(FindSipWindow(), nullptr);
  EXPECT_FALSE(ShowSip(true));
  EXPECT_FALSE(IsSipShown());
  UniqueWindow dlg(CreateDialogForShape(Module(), kShapes, nullptr, PlainProc));
  EXPECT_TRUE(AttachSipSwitch(dlg.get()));
  dlg.reset();
  EXPECT_FALSE(AttachSipSwitch(nullptr));
}

TEST(Sip, ShownWhileTextDialogOpen) {
  testsupport::ScopedWindowClass cls(L"SipWndClass");
  ASSERT_TRUE(cls.ok());
  UniqueWindow sip(CreateWindowExW(WS_EX_TOOLWINDOW, L"SipWndClass", L"SIP", WS_POPUP, 0, 214, 240, 80, nullptr,
                                   nullptr, Module(), nullptr));
  ASSERT_TRUE(sip);
  EXPECT_FALSE(IsSipShown());
  EXPECT_TRUE(ShowSip(true));
  EXPECT_TRUE(IsWindowVisible(sip.get()));
  EXPECT_TRUE(ShowSip(false));
  EXPECT_FALSE(IsWindowVisible(sip.get()));

  UniqueWindow dlg(CreateDialogForShape(Module(), kShapes, nullptr, PlainProc));
  ASSERT_TRUE(AttachSipSwitch(dlg.get()));
  EXPECT_TRUE(IsSipShown());
  dlg.reset();
  EXPECT_FALSE(IsSipShown());

  // Restore: a panel that was up before stays up after; one that was down goes down again.
  ShowSip(true);
  dlg.reset(CreateDialogForShape(Module(), kShapes, nullptr, PlainProc));
  ASSERT_TRUE(AttachSipSwitch(dlg.get(), SipOnClose::Restore));
  dlg.reset();
  EXPECT_TRUE(IsSipShown());
  ShowSip(false);
  dlg.reset(CreateDialogForShape(Module(), kShapes, nullptr, PlainProc));
  ASSERT_TRUE(AttachSipSwitch(dlg.get(), SipOnClose::Restore));
  EXPECT_TRUE(IsSipShown());
  dlg.reset();
  EXPECT_FALSE(IsSipShown());
}

namespace {

// A white 320 x 240 bitmap in a memory DC.
struct Canvas {
  quintar::win32::MemoryDc memory{CreateCompatibleDC(nullptr)};
  HDC dc = memory.get();
  quintar::win32::Bitmap bmp;
  std::optional<quintar::win32::Selection> selected;
  Canvas() {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 320;
    bi.bmiHeader.biHeight = -240;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bmp.reset(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    selected.emplace(dc, bmp.get());
    RECT all{0, 0, 320, 240};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  // The rows of column x that are not white.
  std::vector<int> MarkedRows(int x) const {
    std::vector<int> rows;
    for (int y = 0; y < 240; ++y)
      if (GetPixel(dc, x, y) != RGB(255, 255, 255)) rows.push_back(y);
    return rows;
  }
};

}  // namespace

TEST(HeaderLine, DrawnAtItsRowAcrossThePage) {
  UniqueWindow page(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, Module(), nullptr));
  ASSERT_TRUE(page);
  {
    Canvas c;
    PaintHeaderLine(page.get(), c.dc, kPageHeaderLine, false);
    EXPECT_EQ(c.MarkedRows(0), std::vector<int>{24});
    EXPECT_EQ(c.MarkedRows(199), std::vector<int>{24});
    EXPECT_TRUE(c.MarkedRows(200).empty());  // as wide as the page's client area
    EXPECT_EQ(GetPixel(c.dc, 100, 24), RGB(0, 0, 0));
  }
  {
    Canvas c;
    PaintHeaderLine(page.get(), c.dc, kViewPageHeaderLine, true);
    for (const HeaderLine& s : kViewPageSeparators) PaintHeaderLine(page.get(), c.dc, s, true, kSeparatorGrey);
    EXPECT_EQ(c.MarkedRows(50), (std::vector<int>{50, 90, 190}));
    EXPECT_EQ(GetPixel(c.dc, 50, 90), RGB(192, 192, 192));
  }
  {
    Canvas c;  // 23 px down (46 on a denser screen), 240 or 320 px wide, doubled likewise
    const int scale = ProfileValue(L"Dpi", 96) > 96 ? 2 : 1;
    EXPECT_EQ(ScreenScale(), scale);
    PaintTitleSeparator(c.dc);
    const int y = 23 * scale;
    const int width = (CurrentScreenShape() == ScreenShape::Landscape ? 320 : 240) * scale;
    EXPECT_EQ(c.MarkedRows(0), std::vector<int>{y});
    if (width < 320) {
      EXPECT_EQ(c.MarkedRows(width - 1), std::vector<int>{y});
      EXPECT_TRUE(c.MarkedRows(width).empty());
    } else {
      EXPECT_EQ(c.MarkedRows(319), std::vector<int>{y});
    }
  }
}

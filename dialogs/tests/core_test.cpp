#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/dialog_template.h"
#include "dialogs/header_geometry.h"
#include "dialogs/shape.h"

using namespace quintar::dialogs;

TEST(ScreenShape, FromScreenSize) {
  EXPECT_EQ(ShapeOf(240, 240), ScreenShape::Square);
  EXPECT_EQ(ShapeOf(240, 320), ScreenShape::Portrait);
  EXPECT_EQ(ShapeOf(480, 640), ScreenShape::Portrait);
  EXPECT_EQ(ShapeOf(320, 240), ScreenShape::Landscape);
  EXPECT_EQ(ShapeOf(640, 480), ScreenShape::Landscape);
  EXPECT_EQ(ShapeOf(0, 0), ScreenShape::Square);
}

TEST(ScreenShape, TemplateChoice) {
  // Menuvex's encryption dialog: 112 square, 105 portrait, 107 landscape.
  constexpr ShapeTemplates encrypt{112, 105, 107};
  EXPECT_EQ(TemplateFor(encrypt, ShapeOf(240, 240)), 112);
  EXPECT_EQ(TemplateFor(encrypt, ShapeOf(240, 320)), 105);
  EXPECT_EQ(TemplateFor(encrypt, ShapeOf(320, 240)), 107);
  EXPECT_STREQ(ShapeName(ScreenShape::Landscape), "landscape");
}

TEST(HeaderGeometry, PositionsAndScale) {
  EXPECT_EQ(HeaderLineY(kPageHeaderLine, false), 24);
  EXPECT_EQ(HeaderLineY(kPageHeaderLine, true), 50);
  EXPECT_EQ(HeaderLineY(kViewPageHeaderLine, false), 25);
  EXPECT_EQ(HeaderLineY(kViewPageSeparators[1], true), 190);
  EXPECT_EQ(DisplayScale(96), 1);
  EXPECT_EQ(DisplayScale(97), 2);
  EXPECT_EQ(DisplayScale(192), 2);
  const Segment land = TitleSeparator(ScreenShape::Landscape, 2);
  EXPECT_EQ(land.y, 46);
  EXPECT_EQ(land.x1, 640);
  const Segment square = TitleSeparator(ScreenShape::Square, 1);
  EXPECT_EQ(square.y, 23);
  EXPECT_EQ(square.x1, 240);
}

namespace {

// Builds dialog templates byte by byte, as a resource compiler lays them out.
class TemplateWriter {
 public:
  void Word(std::uint16_t w) {
    bytes_.push_back(std::byte(w & 0xFF));
    bytes_.push_back(std::byte(w >> 8));
  }
  void Dword(std::uint32_t d) {
    Word(static_cast<std::uint16_t>(d));
    Word(static_cast<std::uint16_t>(d >> 16));
  }
  void Text(const std::u16string& s) {
    for (char16_t c : s) Word(c);
    Word(0);
  }
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(std::byte{0});
  }
  std::vector<std::byte>& Bytes() { return bytes_; }

 private:
  std::vector<std::byte> bytes_;
};

struct Item {
  std::uint32_t id;
  std::int16_t x, y, cx, cy;
  std::uint16_t extra = 0;
};

std::vector<std::byte> Classic(const std::vector<Item>& items, bool font = true) {
  TemplateWriter w;
  w.Dword(0x80C80000u | (font ? 0x40u : 0u));  // WS_POPUP | WS_CAPTION | WS_SYSMENU [| DS_SETFONT]
  w.Dword(0);
  w.Word(static_cast<std::uint16_t>(items.size()));
  w.Word(0); w.Word(0); w.Word(160); w.Word(120);
  w.Word(0);                  // no menu
  w.Word(0);                  // default class
  w.Text(u"Title");
  if (font) {
    w.Word(8);
    w.Text(u"Tahoma");
  }
  for (const Item& it : items) {
    w.Align();
    w.Dword(0x50010000);  // WS_CHILD | WS_VISIBLE | WS_TABSTOP
    w.Dword(0);
    w.Word(static_cast<std::uint16_t>(it.x)); w.Word(static_cast<std::uint16_t>(it.y));
    w.Word(static_cast<std::uint16_t>(it.cx)); w.Word(static_cast<std::uint16_t>(it.cy));
    w.Word(static_cast<std::uint16_t>(it.id));
    w.Word(0xFFFF); w.Word(0x0080);  // button
    w.Text(u"OK");
    w.Word(it.extra);
    for (int i = 0; i < it.extra; ++i) w.Bytes().push_back(std::byte{0x5A});
  }
  return w.Bytes();
}

std::vector<std::byte> Extended(const std::vector<Item>& items) {
  TemplateWriter w;
  w.Word(1); w.Word(0xFFFF);
  w.Dword(0);            // help id
  w.Dword(0);            // ex style
  w.Dword(0x80C80048u);  // DS_SHELLFONT
  w.Word(static_cast<std::uint16_t>(items.size()));
  w.Word(5); w.Word(6); w.Word(160); w.Word(120);
  w.Text(u"MENU");         // a named menu
  w.Word(0xFFFF); w.Word(0x8002);
  w.Text(u"Extended");
  w.Word(8); w.Word(400); w.Word(0x0100);
  w.Text(u"MS Shell Dlg");
  for (const Item& it : items) {
    w.Align();
    w.Dword(0); w.Dword(0); w.Dword(0x50010000);
    w.Word(static_cast<std::uint16_t>(it.x)); w.Word(static_cast<std::uint16_t>(it.y));
    w.Word(static_cast<std::uint16_t>(it.cx)); w.Word(static_cast<std::uint16_t>(it.cy));
    w.Dword(it.id);
    w.Text(u"Edit");
    w.Word(0);
    w.Word(it.extra);
    for (int i = 0; i < it.extra; ++i) w.Bytes().push_back(std::byte{0x5A});
  }
  return w.Bytes();
}

}  // namespace

TEST(DialogTemplate, ReadsClassicAndExtendedItems) {
  const std::vector<Item> items = {{1001, 4, 8, 100, 12}, {1, -3, 30, 50, 14, 4}, {0xFFFF, 7, 50, 40, 10}};
  for (const auto& bytes : {Classic(items), Classic(items, false), Extended(items)}) {
    const auto layout = ParseDialogTemplate(bytes);
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->controls.size(), 3u);
    EXPECT_EQ(layout->cx, 160);
    EXPECT_EQ(layout->controls[0].id, 1001u);
    EXPECT_EQ(layout->controls[1].x, -3);
    EXPECT_EQ(layout->controls[1].cy, 14);
    EXPECT_EQ(layout->controls[2].id, 0xFFFFu);
    EXPECT_EQ(layout->controls[2].y, 50);
  }
  EXPECT_TRUE(ParseDialogTemplate(Extended(items))->extended);
  EXPECT_FALSE(ParseDialogTemplate(Classic(items))->extended);
}

TEST(DialogTemplate, RefusesEveryTruncation) {
  const std::vector<Item> items = {{1001, 4, 8, 100, 12, 6}, {2, 10, 30, 50, 14}};
  for (const auto& full : {Classic(items), Extended(items)}) {
    ASSERT_TRUE(ParseDialogTemplate(full));
    // The last item's creation-data count is the last word; any shorter prefix is incomplete.
    for (std::size_t n = 0; n < full.size(); ++n) {
      EXPECT_FALSE(ParseDialogTemplate(std::span(full.data(), n))) << "prefix " << n;
    }
  }
}

TEST(DialogTemplate, RefusesOverstatedCountAndUnterminatedStrings) {
  auto bytes = Classic({{1, 0, 0, 10, 10}});
  bytes[8] = std::byte{200};  // cdit
  EXPECT_FALSE(ParseDialogTemplate(bytes));

  TemplateWriter w;  // a title that never ends
  w.Dword(0x80C80000u); w.Dword(0); w.Word(0);
  w.Word(0); w.Word(0); w.Word(10); w.Word(10);
  w.Word(0); w.Word(0);
  for (int i = 0; i < 50; ++i) w.Word(u'x');
  EXPECT_FALSE(ParseDialogTemplate(w.Bytes()));
  EXPECT_FALSE(ParseDialogTemplate({}));
}

TEST(PairControls, KthOccurrenceAndMissingIds) {
  const std::vector<TemplateControl> controls = {
      {0xFFFF, 0, 0, 1, 1}, {100, 0, 0, 1, 1}, {0xFFFF, 0, 0, 1, 1}, {300, 0, 0, 1, 1}, {0xFFFF, 0, 0, 1, 1}};
  // The dialog has two -1 labels (stored 32-bit), 100, and an extra control 500.
  const std::vector<std::uint32_t> children = {0xFFFFFFFFu, 500, 100, 0xFFFFFFFFu};
  EXPECT_EQ(PairControls(controls, children, true), (std::vector<int>{0, 2, 3, -1, -1}));
  EXPECT_EQ(PairControls(controls, children, false), (std::vector<int>{-1, 2, -1, -1, -1}));
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/dialog_template.h"
#include "dialogs/header_geometry.h"
#include "dialogs/shape.h"
#include "dialogs/tests/template_writer.h"

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

using quintar::dialogs::fixtures::Classic;
using quintar::dialogs::fixtures::Extended;
using quintar::dialogs::fixtures::Item;
using quintar::dialogs::fixtures::TemplateWriter;

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

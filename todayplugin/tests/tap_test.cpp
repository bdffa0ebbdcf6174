// What a tap hits and how a launcher opens its target.
#include <memory>

#include <gtest/gtest.h>

#include "todayplugin/core/glancet_core.h"
#include "todayplugin/core/glancet_tap.h"

namespace quintar::glancet::core {
namespace {

TEST(Tap, LaunchPlansByTheDirectoryBitAndAFailedFindIsAFile) {
  auto folder = PlanLaunch(u"\\My Documents\\Business", 0x10 | 0x01);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->file, u"fexplore.exe");
  EXPECT_EQ(folder->parameters, u"\"\\My Documents\\Business\"") << "quoted: the path has a space";
  auto file = PlanLaunch(u"\\Windows\\pword.exe", 0x20);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->file, u"\\Windows\\pword.exe");
  EXPECT_EQ(file->parameters, u"");
  // A folder with more attributes than the directory bit is still a folder.
  EXPECT_EQ(PlanLaunch(u"\\Storage Card", 0x10 | 0x100)->file, u"fexplore.exe");
  EXPECT_EQ(PlanLaunch(u"\\gone.txt", std::nullopt)->file, u"\\gone.txt");
  EXPECT_FALSE(PlanLaunch(u"", 0x10));
}

TEST(Tap, GaugesOpenTheControlPanelWithTheProgramQuotedFirst) {
  EXPECT_EQ(ControlPanelCommandLine(kBattery), u"\"\\Windows\\ctlpnl.exe\" cplmain.cpl,3");
  EXPECT_EQ(ControlPanelCommandLine(kMemory), u"\"\\Windows\\ctlpnl.exe\" cplmain.cpl,4");
  EXPECT_EQ(ControlPanelCommandLine(kStorage), u"\"\\Windows\\ctlpnl.exe\" cplmain.cpl,4,1");
  EXPECT_EQ(ControlPanelCommandLine(kBacklight), u"\"\\Windows\\ctlpnl.exe\" \\Windows\\Backlight.cpl");
  EXPECT_EQ(ControlPanelCommandLine(kSmall), u"");
}

TEST(Tap, HitsItemsByTheirCellsAndGaugesByTheirBands) {
  const Metrics m{2, 480, 640};
  auto image = std::make_unique<FileImage>();
  auto state = std::make_unique<State>();
  BuildDefaults(
      m, MakeStripPaths(2), [](std::u16string_view) { return std::u16string(u"n"); }, *image, *state);
  Layout layout;
  LayOut(m, 50, *state, layout);
  // Portrait System tab: battery (0, 0), memory (0, 3), Calculator large (0, 6), backlight (1, 0),
  // the theme button (2, 0), Pocket Word (2, 1).
  EXPECT_EQ(HitItem(*state, layout, m, m.CellX(1), m.CellY(0) + 4).kind, kBattery);
  TapHit calc = HitItem(*state, layout, m, m.CellX(7) + 5, m.CellY(1) + 5);
  EXPECT_EQ(calc.kind, kLarge) << "the lower right quarter of a large item is still it";
  EXPECT_EQ(calc.column, 6);
  EXPECT_EQ(HitItem(*state, layout, m, m.CellX(1) + 3, m.CellY(2) + 3).kind, kSmall);
  const GaugePlace* light = layout.GaugeAt(0, 1);
  ASSERT_NE(light, nullptr);
  TapHit bar = HitItem(*state, layout, m, light->x0 + 30 * 2, light->y0 + 10 * 2);
  EXPECT_EQ(bar.kind, kBacklight);
  EXPECT_TRUE(bar.onBar);
  EXPECT_FALSE(bar.onIcon);
  TapHit icon = HitItem(*state, layout, m, light->x0 + 2, light->y0 + 4);
  EXPECT_TRUE(icon.onIcon);
  EXPECT_EQ(HitItem(*state, layout, m, m.CellX(9) + 3, m.CellY(2) + 3).kind, kEmpty);
  EXPECT_EQ(HitItem(*state, layout, m, 1, 1).kind, kEmpty);
}

}  // namespace
}  // namespace quintar::glancet::core

// Vorrel's portable rules: process listing and name matching, status texts, card groups.
#include <gtest/gtest.h>

#include "procmanager/core/vorrel_core.h"

namespace {

using namespace quintar::vorrel::core;

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(VorrelNames, SystemNamesAreMatchedWholeAndWithoutCase) {
  for (const char16_t* name : {u"nk.exe", u"GWES.EXE", u"shell.exe", u"Services.exe", u"edm.exe", u"cprog.exe"})
    EXPECT_TRUE(IsSystemProcessName(name)) << Narrow(name);
  // Wine's own helpers and near misses are ordinary programs.
  for (const char16_t* name : {u"winedevice.exe", u"device", u"explorer.exe", u"nk.ex", u"", u"homes.exe"})
    EXPECT_FALSE(IsSystemProcessName(name)) << Narrow(name);
}

TEST(VorrelNames, ListingLeavesOutVorrelAlwaysAndSystemUnlessShowAll) {
  EXPECT_FALSE(ShouldListProcess(u"vorrel.EXE", false));
  EXPECT_FALSE(ShouldListProcess(u"Vorrel.exe", true));
  EXPECT_FALSE(ShouldListProcess(u"gwes.exe", false));
  EXPECT_TRUE(ShouldListProcess(u"gwes.exe", true));
  EXPECT_TRUE(ShouldListProcess(u"myvorrel.exe", false));
  EXPECT_TRUE(ShouldListProcess(u"tmail.exe", false));
}

TEST(VorrelNames, StopMatchesAContainedNameButNeverAnEmptyOne) {
  EXPECT_TRUE(ContainsNoCase(u"myfoo.exe", u"foo.exe"));
  EXPECT_TRUE(ContainsNoCase(u"FOO.EXE", u"foo.exe"));
  EXPECT_FALSE(ContainsNoCase(u"foo.ex", u"foo.exe"));
  EXPECT_FALSE(ContainsNoCase(u"bar.exe", u"foo.exe"));
  EXPECT_FALSE(ContainsNoCase(u"anything.exe", u""));
  EXPECT_TRUE(ContainsNoCase(u"winedevice.exe", u"device.exe"));
}

TEST(VorrelStatus, PercentagesAreCutAndSafeAtTheEdges) {
  EXPECT_EQ(PercentOf(12 * 1048576 + 524288, 50 * 1048576), 25);
  EXPECT_EQ(PercentOf(999, 1000), 99);  // cut, not rounded
  EXPECT_EQ(PercentOf(5, 0), 0);        // an empty store divides by nothing
  EXPECT_EQ(PercentOf(7, 5), 100);      // a figure beyond its total stays on the gauge
  EXPECT_EQ(PercentOf(UINT64_MAX / 2, UINT64_MAX), 49);
}

TEST(VorrelStatus, TextsOfTheMainPage) {
  EXPECT_EQ(Narrow(BatteryText(255)), "Battery: Unknown");
  EXPECT_EQ(Narrow(BatteryText(101)), "Battery: Unknown");
  EXPECT_EQ(Narrow(BatteryText(100)), "Battery: 100%");
  EXPECT_EQ(Narrow(BatteryText(0)), "Battery: 0%");
  EXPECT_EQ(Narrow(PercentLabel(u"Memory: ", 25)), "Memory: 25%");
  EXPECT_EQ(Narrow(MbPairText(13107200, 52428800)), "[12.50 MB/50.00 MB]");
  EXPECT_EQ(Narrow(MbPairText(0, 0)), "[0.00 MB/0.00 MB]");
  // Sizes beyond 4 GB are not cut to 32 bits.
  EXPECT_EQ(Narrow(MbPairText(8ull << 30, 16ull << 30)), "[8192.00 MB/16384.00 MB]");
}

TEST(VorrelStatus, CardGroups) {
  EXPECT_TRUE(ShownCards({}).empty());
  EXPECT_TRUE(ShownCards({u"", u"Storage Card"}).empty());
  EXPECT_EQ(ShownCards({u"Storage Card"}), (std::vector<std::u16string>{u"Storage Card"}));
  EXPECT_EQ(ShownCards({u"SD", u"", u"CF", u"Third"}), (std::vector<std::u16string>{u"SD", u"CF"}));

  CardGroupText card = CardText(u"Storage Card", 3 * 1048576, 12 * 1048576);
  EXPECT_EQ(Narrow(card.label), "Storage Card: 25%");
  EXPECT_EQ(Narrow(card.sizes), "[3.00 MB/12.00 MB]");
  EXPECT_EQ(card.percent, 25);
  CardGroupText first = EmptyCardText(0), second = EmptyCardText(1);
  EXPECT_EQ(Narrow(first.label), "Storage Card: Not Installed");
  EXPECT_EQ(Narrow(second.label), "Flash Disk: Not Installed");
  EXPECT_EQ(Narrow(first.sizes), "[000 MB/000 MB]");
  EXPECT_EQ(first.percent, 0);
}

TEST(VorrelStatus, ReleaseMemoryReports) {
  EXPECT_EQ(Narrow(ReleaseMemoryText(100.0, 100.0)), "There is no need to release memory.");
  EXPECT_EQ(Narrow(ReleaseMemoryText(200.0, 100.0)), "There is no need to release memory.");
  EXPECT_EQ(Narrow(ReleaseMemoryText(1024.0, 1536.5)),
            "Memory Free:\n  Before Release: 1024.00 KB\n  After Release: 1536.50 KB\n  Released: 512.50 KB\n");
}

TEST(VorrelDetails, TextsOfTheDetailBoxes) {
  EXPECT_EQ(Narrow(HexId(0xAB)), "000000AB");
  EXPECT_EQ(Narrow(ProcessDetailsText(0x1c, u"tmail.exe", 0x128, 3)),
            "Process: 0000001C\nName: tmail.exe\nSize: 00000128 bytes\nThreads: 00000003\n");
  WindowFacts f{u"Inbox", 0x10020, 0x14CF0000, 0x100, u"MAIL", 0x3, 0x2a, u"tmail.exe"};
  EXPECT_EQ(Narrow(ProgramDetailsText(f)),
            "Caption: Inbox\nHandle: 00010020\nStyle: 14CF0000\nExtended Style: 00000100\nClass: MAIL\n"
            "Class Style: 00000003\nProcess: 0000002A\nName: tmail.exe\n");
}

TEST(VorrelActions, SoftResetRouteByVersionAndExcludedClasses) {
  EXPECT_EQ(SoftResetRouteFor(6, 1), SoftResetRoute::ExitWindows);
  EXPECT_EQ(SoftResetRouteFor(5, 0), SoftResetRoute::ExitWindows);
  EXPECT_EQ(SoftResetRouteFor(4, 21), SoftResetRoute::SystemPowerState);
  EXPECT_EQ(SoftResetRouteFor(4, 20), SoftResetRoute::SystemPowerState);
  EXPECT_EQ(SoftResetRouteFor(4, 10), SoftResetRoute::KernelReboot);
  EXPECT_EQ(SoftResetRouteFor(3, 99), SoftResetRoute::KernelReboot);
  EXPECT_TRUE(IsExcludedProgramClass(u"VORREL"));
  EXPECT_TRUE(IsExcludedProgramClass(u"DesktopExplorerWindow"));
  EXPECT_TRUE(IsExcludedProgramClass(u"Explore"));
  EXPECT_FALSE(IsExcludedProgramClass(u"vorrel"));  // classes compare exactly
  EXPECT_FALSE(IsExcludedProgramClass(u"Explorer"));
}

}  // namespace

#include <gtest/gtest.h>

#include "filemanager/core/text_format.h"

namespace quintar::folderon::core {
namespace {

NumberFormat German() {
  NumberFormat f;
  f.decimalSep = u",";
  f.thousandSep = u".";
  return f;
}

TEST(Numbers, RoundHalfUpGroupAndSeparators) {
  const NumberFormat us;
  EXPECT_EQ(FormatNumber(0.125, us), u"0.13");  // half up, as the locale formatter does
  EXPECT_EQ(FormatNumber(1234567.891, us), u"1,234,567.89");
  EXPECT_EQ(FormatNumber(999.999, us), u"1,000.00");
  EXPECT_EQ(FormatNumber(0, us), u"0.00");
  EXPECT_EQ(FormatNumber(-2.5, us), u"-2.50");
  EXPECT_EQ(FormatNumber(1234.5, German()), u"1.234,50");
  NumberFormat f;
  f.digits = 0;
  EXPECT_EQ(FormatNumber(2.5, f), u"3");
  EXPECT_EQ(FormatNumber(0.4, f), u"0");
  f.digits = 2;
  f.leadingZero = false;
  EXPECT_EQ(FormatNumber(0.5, f), u".50");
  f.negativeOrder = 0;
  EXPECT_EQ(FormatNumber(-1, f), u"(1.00)");
  EXPECT_EQ(FormatNumber(-0.001, f), u".00");  // rounds to zero: no sign
}

TEST(Numbers, GroupingStrings) {
  NumberFormat f;
  f.digits = 0;
  ParseGrouping(u"3;2;0", f);
  EXPECT_EQ(FormatCount(1234567, f), u"12,34,567");
  ParseGrouping(u"3", f);
  EXPECT_EQ(FormatCount(1234567, f), u"1234,567");
  ParseGrouping(u"3;0", f);
  EXPECT_EQ(FormatCount(1234567, f), u"1,234,567");
  ParseGrouping(u"0;0", f);
  EXPECT_EQ(FormatCount(1234567, f), u"1234567");
  ParseGrouping(u"", f);
  EXPECT_EQ(FormatCount(1234567, f), u"1234567");
  EXPECT_EQ(FormatCount(0, NumberFormat{}), u"0");
  EXPECT_EQ(FormatCount(18446744073709551615ull, NumberFormat{}), u"18,446,744,073,709,551,615");
}

TEST(SizeTexts, KilobytesUpToTheMegabyteThreshold) {
  const NumberFormat us;
  EXPECT_EQ(SizeText(0, us), u"0.00 KB");
  EXPECT_EQ(SizeText(1536, us), u"1.50 KB");
  EXPECT_EQ(SizeText(1023999, us), u"1,000.00 KB");
  EXPECT_EQ(SizeText(1024000, us), u"0.98 MB");
  EXPECT_EQ(SizeText(4294967295u, us), u"4,096.00 MB");
  EXPECT_EQ(SizeTextCompact(1024000, us), u"0.98MB");
  EXPECT_EQ(SizeTextCompact(512, German()), u"0,50KB");
}

TEST(Civil, TicksRoundTripAndWeekdays) {
  const CivilTime epoch = CivilFromTicks(0);
  EXPECT_EQ(epoch.year, 1601);
  EXPECT_EQ(epoch.dayOfWeek, 1);  // Monday
  const std::uint64_t t = TicksFromCivil(2024, 2, 29, 23, 59, 58);
  const CivilTime c = CivilFromTicks(t + 9999999);  // sub-second ticks are dropped
  EXPECT_EQ(c.year, 2024);
  EXPECT_EQ(c.month, 2);
  EXPECT_EQ(c.day, 29);
  EXPECT_EQ(c.hour, 23);
  EXPECT_EQ(c.minute, 59);
  EXPECT_EQ(c.second, 58);
  EXPECT_EQ(c.dayOfWeek, 4);  // Thursday
  EXPECT_EQ(CivilFromTicks(TicksFromCivil(2026, 12, 7)).dayOfWeek, 1);
  EXPECT_EQ(CivilFromTicks(TicksFromCivil(2000, 1, 1)).dayOfWeek, 6);
  const CivilTime far = CivilFromTicks(~0ull);
  EXPECT_GT(far.year, 30000);
}

TEST(Pictures, DatesAndTimes) {
  const DateTimeFormat f;
  const CivilTime t = CivilFromTicks(TicksFromCivil(2026, 3, 5, 0, 7, 9));
  EXPECT_EQ(FormatDatePicture(t, u"M/d/yyyy", f), u"3/5/2026");
  EXPECT_EQ(FormatDatePicture(t, u"dd.MM.yy", f), u"05.03.26");
  EXPECT_EQ(FormatDatePicture(t, u"dddd, MMMM dd, yyyy", f), u"Thursday, March 05, 2026");
  EXPECT_EQ(FormatDatePicture(t, u"ddd d MMM y", f), u"Thu 5 Mar 26");
  EXPECT_EQ(FormatDatePicture(t, u"'Day' d 'o''clock' gg", f), u"Day 5 o'clock ");
  EXPECT_EQ(FormatTimePicture(t, u"h:mm:ss tt", f), u"12:07:09 AM");
  EXPECT_EQ(FormatTimePicture(t, u"HH:mm", f), u"00:07");
  const CivilTime pm = CivilFromTicks(TicksFromCivil(2026, 3, 5, 13, 0, 0));
  EXPECT_EQ(FormatTimePicture(pm, u"h t", f), u"1 P");
  EXPECT_EQ(FormatTimePicture(pm, u"H'h'mm", f), u"13h00");
  EXPECT_EQ(FormatTimePicture(pm, u"'unterminated", f), u"unterminated");
}

TEST(DateTexts, FullAndCompactForms) {
  const DateTimeFormat f;
  const std::uint64_t when = TicksFromCivil(2026, 12, 7, 9, 5, 0);
  const CivilTime today = CivilFromTicks(TicksFromCivil(2026, 12, 7, 18, 0, 0));
  const CivilTime tomorrow = CivilFromTicks(TicksFromCivil(2026, 12, 8));
  EXPECT_EQ(DateText(when, today, false, f), u"12/7/2026 9:05:00 AM");
  EXPECT_EQ(DateText(when, today, true, f), u"9:05:00 AM");
  EXPECT_EQ(DateText(when, tomorrow, true, f), u"12/7/2026");
}

}  // namespace
}  // namespace quintar::folderon::core

// Size, count and date texts with the user's locale passed in: the Win32 side fills NumberFormat
// and DateTimeFormat from GetLocaleInfo once, so the rules here run (and are tested) anywhere.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quintar::folderon::core {

// The user's number format (LOCALE_IDIGITS, LOCALE_ILZERO, LOCALE_SGROUPING, LOCALE_SDECIMAL,
// LOCALE_STHOUSAND, LOCALE_INEGNUMBER).
struct NumberFormat {
  unsigned digits = 2;
  bool leadingZero = true;
  std::vector<unsigned> groups{3};  // group sizes from the right, the last one repeating...
  bool repeatLastGroup = true;      // ...unless the grouping string did not end in ";0"
  std::u16string decimalSep = u".";
  std::u16string thousandSep = u",";
  unsigned negativeOrder = 1;  // 0 "(1.1)", 1 "-1.1", 2 "- 1.1", 3 "1.1-", 4 "1.1 -"
};

// LOCALE_SGROUPING text ("3;0", "3;2;0", "3", "0;0") into NumberFormat's groups.
void ParseGrouping(std::u16string_view text, NumberFormat& format);

// A number as GetNumberFormat shows its "%f" text: rounded half away from zero to the format's
// digits, grouped, with the locale's separators.
std::u16string FormatNumber(double value, const NumberFormat& format);
// An integer with grouping and no decimals (the counts of the status bar).
std::u16string FormatCount(std::uint64_t value, const NumberFormat& format);

// Size column: bytes / 1048576 as "%s MB" when above 1,023,999 bytes, else bytes / 1024 as "%s KB".
std::u16string SizeText(std::uint64_t bytes, const NumberFormat& format);
// Status bar form: "%sKB" / "%sMB".
std::u16string SizeTextCompact(std::uint64_t bytes, const NumberFormat& format);

// A calendar date and time (SYSTEMTIME without milliseconds).
struct CivilTime {
  int year = 1601, month = 1, day = 1;  // month 1-12
  int dayOfWeek = 1;                    // 0 Sunday ... 6 Saturday
  int hour = 0, minute = 0, second = 0;
  bool SameDay(const CivilTime& o) const noexcept { return year == o.year && month == o.month && day == o.day; }
};
// FILETIME ticks (100 ns since 1601-01-01) to a calendar time; no time zone is applied.
CivilTime CivilFromTicks(std::uint64_t ticks) noexcept;
std::uint64_t TicksFromCivil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) noexcept;

// The user's date and time pictures (LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT, LOCALE_S1159,
// LOCALE_S2359, LOCALE_SDAYNAMEn / SABBREVDAYNAMEn with Sunday first, LOCALE_SMONTHNAMEn /
// SABBREVMONTHNAMEn).
struct DateTimeFormat {
  std::u16string shortDate = u"M/d/yyyy";
  std::u16string time = u"h:mm:ss tt";
  std::u16string am = u"AM";
  std::u16string pm = u"PM";
  std::array<std::u16string, 7> dayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                         u"Thursday", u"Friday", u"Saturday"};
  std::array<std::u16string, 7> abbrevDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  std::array<std::u16string, 12> monthNames{u"January",   u"February", u"March",    u"April",
                                            u"May",       u"June",     u"July",     u"August",
                                            u"September", u"October",  u"November", u"December"};
  std::array<std::u16string, 12> abbrevMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                  u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
};

// GetDateFormat / GetTimeFormat pictures: d dd ddd dddd M MM MMM MMMM y yy yyyy, g (era, left
// out), h hh H HH m mm s ss t tt, and 'quoted' text ('' is one quote).
std::u16string FormatDatePicture(const CivilTime& t, std::u16string_view picture, const DateTimeFormat& f);
std::u16string FormatTimePicture(const CivilTime& t, std::u16string_view picture, const DateTimeFormat& f);

// Modified column: short date, a space, the time; with the compact option (`TimeStump`) only the
// time when the date is today, else only the short date.
std::u16string DateText(std::uint64_t ticks, const CivilTime& today, bool compact, const DateTimeFormat& f);

}  // namespace quintar::folderon::core

#include "filemanager/winutil.h"

#include <ceservices.h>

namespace quintar::folderon {

namespace qf = core;

namespace {

std::u16string LocaleText(LCTYPE type, std::u16string fallback) {
  wchar_t buffer[128] = {};
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
  if (n <= 1) return fallback;
  return U16(std::wstring_view(buffer, static_cast<size_t>(n - 1)));
}

unsigned LocaleNumber(LCTYPE type, unsigned fallback) {
  std::u16string text = LocaleText(type, u"");
  if (text.empty()) return fallback;
  unsigned value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return fallback;
    value = value * 10 + static_cast<unsigned>(c - u'0');
  }
  return value;
}

}  // namespace

const qf::NumberFormat& UserNumberFormat() {
  static const qf::NumberFormat format = [] {
    qf::NumberFormat f;
    f.digits = LocaleNumber(LOCALE_IDIGITS, 2);
    f.leadingZero = LocaleNumber(LOCALE_ILZERO, 1) != 0;
    qf::ParseGrouping(LocaleText(LOCALE_SGROUPING, u"3;0"), f);
    f.decimalSep = LocaleText(LOCALE_SDECIMAL, u".");
    f.thousandSep = LocaleText(LOCALE_STHOUSAND, u",");
    f.negativeOrder = LocaleNumber(LOCALE_INEGNUMBER, 1);
    return f;
  }();
  return format;
}

const qf::DateTimeFormat& UserDateTimeFormat() {
  static const qf::DateTimeFormat format = [] {
    qf::DateTimeFormat f;
    f.shortDate = LocaleText(LOCALE_SSHORTDATE, f.shortDate);
    f.time = LocaleText(LOCALE_STIMEFORMAT, f.time);
    f.am = LocaleText(LOCALE_S1159, f.am);
    f.pm = LocaleText(LOCALE_S2359, f.pm);
    // The locale numbers its day names from Monday; the core's arrays start on Sunday.
    for (int i = 0; i < 7; ++i) {
      int day = (i + 6) % 7;  // Sunday is LOCALE_SDAYNAME7
      f.dayNames[i] = LocaleText(LOCALE_SDAYNAME1 + day, f.dayNames[i]);
      f.abbrevDayNames[i] = LocaleText(LOCALE_SABBREVDAYNAME1 + day, f.abbrevDayNames[i]);
    }
    for (int i = 0; i < 12; ++i) {
      f.monthNames[i] = LocaleText(LOCALE_SMONTHNAME1 + i, f.monthNames[i]);
      f.abbrevMonthNames[i] = LocaleText(LOCALE_SABBREVMONTHNAME1 + i, f.abbrevMonthNames[i]);
    }
    return f;
  }();
  return format;
}

const std::wstring& DecimalSeparator() {
  static const std::wstring separator = [] {
    wchar_t buffer[17] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 16) <= 0) return std::wstring(L".");
    return std::wstring(buffer);
  }();
  return separator;
}

DWORD DeviceAttributes(const std::wstring& path) {
  if (path.empty()) return FILE_ATTRIBUTE_DIRECTORY;
  return CeGetFileAttributes(path.c_str());
}

bool IsExistingFolder(const std::wstring& path) {
  DWORD attributes = DeviceAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace quintar::folderon

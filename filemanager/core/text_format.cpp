#include "filemanager/core/text_format.h"

#include <cmath>
#include <cstdio>

namespace quintar::folderon::core {
namespace {

constexpr unsigned kMaxDigits = 9;  // the most LOCALE_IDIGITS allows

// Digits of a non-negative integer text, grouped from the right.
std::u16string Group(std::u16string_view digits, const NumberFormat& f) {
  std::u16string out;
  if (f.groups.empty()) return std::u16string(digits);
  // Split positions counted from the right.
  std::vector<std::size_t> cuts;
  std::size_t pos = 0, gi = 0;
  while (true) {
    unsigned g = gi < f.groups.size() ? f.groups[gi] : (f.repeatLastGroup ? f.groups.back() : 0);
    if (g == 0) break;
    pos += g;
    if (pos >= digits.size()) break;
    cuts.push_back(pos);
    ++gi;
  }
  std::size_t from = 0;
  for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
    const std::size_t at = digits.size() - *it;
    out.append(digits.substr(from, at - from));
    out.append(f.thousandSep);
    from = at;
  }
  out.append(digits.substr(from));
  return out;
}

std::u16string Widen(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::u16string Signed(std::u16string body, bool negative, const NumberFormat& f) {
  if (!negative) return body;
  switch (f.negativeOrder) {
    case 0:
      return u"(" + body + u")";
    case 2:
      return u"- " + body;
    case 3:
      return body + u"-";
    case 4:
      return body + u" -";
    default:
      return u"-" + body;
  }
}

void AppendNumber(std::u16string& out, int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  out.append(Widen(buf));
}

// Reads a run of one picture letter; returns its length.
std::size_t RunLength(std::u16string_view p, std::size_t i) noexcept {
  std::size_t n = 1;
  while (i + n < p.size() && p[i + n] == p[i]) ++n;
  return n;
}

// A quoted literal starting at p[i] == '\''; appends it and returns the index after it.
std::size_t Quoted(std::u16string_view p, std::size_t i, std::u16string& out) {
  ++i;
  while (i < p.size()) {
    if (p[i] == u'\'') {
      if (i + 1 < p.size() && p[i + 1] == u'\'') {
        out.push_back(u'\'');
        i += 2;
        continue;
      }
      return i + 1;
    }
    out.push_back(p[i++]);
  }
  return i;
}

}  // namespace

void ParseGrouping(std::u16string_view text, NumberFormat& format) {
  std::vector<unsigned> sizes;
  unsigned cur = 0;
  bool any = false;
  for (char16_t c : text) {
    if (c >= u'0' && c <= u'9') {
      cur = std::min(cur * 10 + static_cast<unsigned>(c - u'0'), 9u);
      any = true;
    } else if (c == u';') {
      sizes.push_back(cur);
      cur = 0;
      any = false;
    }
  }
  if (any) sizes.push_back(cur);
  format.groups.clear();
  format.repeatLastGroup = false;
  for (unsigned s : sizes) {
    if (s == 0) {
      format.repeatLastGroup = !format.groups.empty();
      break;
    }
    format.groups.push_back(s);
  }
}

std::u16string FormatNumber(double value, const NumberFormat& format) {
  if (!std::isfinite(value)) value = 0;
  const unsigned digits = std::min(format.digits, kMaxDigits);
  // The six-decimal text that GetNumberFormat would be handed, then rounded half up as it does.
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.6f", std::fabs(value));
  std::string text(buf);
  const std::size_t dot = text.find('.');
  std::string whole = text.substr(0, dot);
  std::string frac = text.substr(dot + 1, 6);
  frac.resize(kMaxDigits, '0');
  const bool up = digits < frac.size() && frac[digits] >= '5';
  frac.resize(digits);
  if (up) {
    std::string all = whole + frac;
    int i = static_cast<int>(all.size()) - 1;
    for (; i >= 0; --i) {
      if (all[i] == '9') {
        all[i] = '0';
      } else {
        ++all[i];
        break;
      }
    }
    if (i < 0) all.insert(all.begin(), '1');
    whole = all.substr(0, all.size() - digits);
    frac = all.substr(all.size() - digits);
  }
  const std::size_t nz = whole.find_first_not_of('0');
  whole = nz == std::string::npos ? std::string() : whole.substr(nz);
  const bool zero = whole.empty() && frac.find_first_not_of('0') == std::string::npos;
  std::u16string body;
  if (whole.empty()) {
    if (format.leadingZero || digits == 0) body = u"0";
  } else {
    body = Group(Widen(whole), format);
  }
  if (digits) {
    body += format.decimalSep;
    body += Widen(frac);
  }
  return Signed(std::move(body), value < 0 && !zero, format);
}

std::u16string FormatCount(std::uint64_t value, const NumberFormat& format) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(value));
  return Group(Widen(buf), format);
}

namespace {
constexpr std::uint64_t kMbThreshold = 1023999;
std::u16string Size(std::uint64_t bytes, const NumberFormat& f, const char16_t* kb, const char16_t* mb) {
  if (bytes > kMbThreshold) return FormatNumber(static_cast<double>(bytes) / 1048576.0, f) + mb;
  return FormatNumber(static_cast<double>(bytes) / 1024.0, f) + kb;
}
}  // namespace

std::u16string SizeText(std::uint64_t bytes, const NumberFormat& format) { return Size(bytes, format, u" KB", u" MB"); }

std::u16string SizeTextCompact(std::uint64_t bytes, const NumberFormat& format) {
  return Size(bytes, format, u"KB", u"MB");
}

namespace {
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kDays1601To1970 = 134774;

// Days since 1970-01-01 to a proleptic Gregorian date (Hinnant's algorithm).
void CivilFromDays(std::int64_t z, int& y, int& m, int& d) noexcept {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) noexcept {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}
}  // namespace

CivilTime CivilFromTicks(std::uint64_t ticks) noexcept {
  const std::uint64_t seconds = ticks / kTicksPerSecond;
  const std::int64_t days = static_cast<std::int64_t>(seconds / 86400);
  const std::uint64_t rest = seconds % 86400;
  CivilTime t;
  CivilFromDays(days - kDays1601To1970, t.year, t.month, t.day);
  t.dayOfWeek = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

std::uint64_t TicksFromCivil(int year, int month, int day, int hour, int minute, int second) noexcept {
  const std::int64_t days = DaysFromCivil(year, month, day) + kDays1601To1970;
  const std::int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return seconds < 0 ? 0 : static_cast<std::uint64_t>(seconds) * kTicksPerSecond;
}

std::u16string FormatDatePicture(const CivilTime& t, std::u16string_view p, const DateTimeFormat& f) {
  std::u16string out;
  const int month = t.month >= 1 && t.month <= 12 ? t.month : 1;
  const int dow = t.dayOfWeek >= 0 && t.dayOfWeek <= 6 ? t.dayOfWeek : 0;
  for (std::size_t i = 0; i < p.size();) {
    const char16_t c = p[i];
    if (c == u'\'') {
      i = Quoted(p, i, out);
      continue;
    }
    const std::size_t n = (c == u'd' || c == u'M' || c == u'y' || c == u'g') ? RunLength(p, i) : 1;
    switch (c) {
      case u'd':
        if (n <= 2)
          AppendNumber(out, t.day, static_cast<int>(n));
        else
          out += n == 3 ? f.abbrevDayNames[dow] : f.dayNames[dow];
        break;
      case u'M':
        if (n <= 2)
          AppendNumber(out, month, static_cast<int>(n));
        else
          out += n == 3 ? f.abbrevMonthNames[month - 1] : f.monthNames[month - 1];
        break;
      case u'y':
        if (n <= 2)
          AppendNumber(out, t.year % 100, static_cast<int>(n));
        else
          AppendNumber(out, t.year, 4);
        break;
      case u'g':
        break;  // Gregorian only: the era is left out
      default:
        out.push_back(c);
    }
    i += n;
  }
  return out;
}

std::u16string FormatTimePicture(const CivilTime& t, std::u16string_view p, const DateTimeFormat& f) {
  std::u16string out;
  const std::u16string& marker = t.hour < 12 ? f.am : f.pm;
  for (std::size_t i = 0; i < p.size();) {
    const char16_t c = p[i];
    if (c == u'\'') {
      i = Quoted(p, i, out);
      continue;
    }
    const bool letter = c == u'h' || c == u'H' || c == u'm' || c == u's' || c == u't';
    const std::size_t n = letter ? RunLength(p, i) : 1;
    const int width = n >= 2 ? 2 : 1;
    switch (c) {
      case u'h':
        AppendNumber(out, t.hour % 12 == 0 ? 12 : t.hour % 12, width);
        break;
      case u'H':
        AppendNumber(out, t.hour, width);
        break;
      case u'm':
        AppendNumber(out, t.minute, width);
        break;
      case u's':
        AppendNumber(out, t.second, width);
        break;
      case u't':
        if (n == 1)
          out += marker.substr(0, 1);
        else
          out += marker;
        break;
      default:
        out.push_back(c);
    }
    i += n;
  }
  return out;
}

std::u16string DateText(std::uint64_t ticks, const CivilTime& today, bool compact, const DateTimeFormat& f) {
  const CivilTime t = CivilFromTicks(ticks);
  if (compact) return t.SameDay(today) ? FormatTimePicture(t, f.time, f) : FormatDatePicture(t, f.shortDate, f);
  return FormatDatePicture(t, f.shortDate, f) + u" " + FormatTimePicture(t, f.time, f);
}

}  // namespace quintar::folderon::core

#include "core/TextForms.h"

#include <algorithm>
#include <cmath>

#include "core/Format.h"
#include "core/FormatDateTime.h"

namespace qvs {
namespace {

constexpr double kOneMicrosecond = 1e-6 / 86400.0;
// Durations beyond this (about 270 million years) are not split: no logger runs that long, and
// the parts would no longer fit the integers they are counted in.
constexpr double kMaxSplitDays = 1e11;
constexpr long long kMinute = 60, kHour = 3600, kDay = 86400;
constexpr std::size_t kMaxLongDurationLength = 255;

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsDelimiter(char c) { return c == '/' || c == '\\'; }

// A duration's magnitude ready for splitting: one microsecond added so that a value computed a
// hair below a whole second still counts that second.
struct TDurationParts {
  bool Valid = false;
  bool Negative = false;
  double Days = 0;        // magnitude in days, the microsecond included
  long long Seconds = 0;  // whole seconds of it
};

TDurationParts SplitDuration(double days) {
  TDurationParts p;
  if (!std::isfinite(days)) return p;
  p.Days = std::fabs(days) + kOneMicrosecond;
  if (p.Days > kMaxSplitDays) return p;
  p.Seconds = static_cast<long long>(std::floor(p.Days * 86400.0));
  // A value that shows as zero carries no sign.
  p.Negative = days < 0 && p.Seconds > 0;
  p.Valid = true;
  return p;
}

std::string Num(long long v) { return std::to_string(v); }

// Whole units and the remainder, rounded, of a duration counted in `unitDays`; a remainder that
// rounds up to a whole unit is carried.
void UnitsAndRest(double days, double unitDays, double restPerUnit, long long& units, long long& rest) {
  const double q = days / unitDays;
  units = static_cast<long long>(std::floor(q));
  rest = std::llround((q - static_cast<double>(units)) * restPerUnit);
  if (static_cast<double>(rest) >= restPerUnit) {
    ++units;
    rest = 0;
  }
}

std::string Plural(std::string_view unit) {
  std::string s(unit);
  if (s.size() >= 2 && s.back() == 'y' && std::string_view("aeiou").find(s[s.size() - 2]) == std::string_view::npos) {
    s.back() = 'i';
    return s + "es";
  }
  if (!s.empty() && s.back() == 's') return s + "es";
  return s + "s";
}

std::string CountText(long long n, std::string_view unit, const TFormatSettings& fs) {
  if (n == 1) return "1 " + std::string(unit);
  return FormatFloat("###,###,##0", static_cast<double>(n), fs) + " " + Plural(unit);
}

std::string DateTimeOr(TDateTime dt, const TFormatSettings& fs, const char* none) {
  return dt >= 1.0 ? LongDateTimeText(dt, fs) : none;  // NaN is no date either
}

}  // namespace

bool IsValueSet(double x) { return !(std::fabs(std::fabs(x) - kNoValue) <= 0.0001); }

std::string DayText(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime("ddd d mmm yyyy", dt, fs); }

std::string LongDateTimeText(TDateTime dt, const TFormatSettings& fs) {
  return FormatDateTime("ddd d mmm yyyy hh:nn:ss", dt, fs);
}

std::string LongDateTimeOrNone(TDateTime dt, const TFormatSettings& fs) { return DateTimeOr(dt, fs, "None"); }
std::string LongDateTimeOrNever(TDateTime dt, const TFormatSettings& fs) { return DateTimeOr(dt, fs, "Never"); }

std::string ShortDateTimeText(TDateTime dt, const TFormatSettings& fs) {
  return FormatDateTime("dd-mm-yy hh:nn:ss", dt, fs);
}

std::string LocaleDateTimeText(TDateTime dt, const TFormatSettings& fs) {
  // Two pictures formatted apart, so that one cannot change the meaning of the other's letters.
  return FormatDateTime(fs.ShortDateFormat, dt, fs) + " " + FormatDateTime(fs.LongTimeFormat, dt, fs);
}

std::string TemperatureText(double celsius, int decimals, const TFormatSettings& fs) {
  return Format(
      "%1.*f \xC2\xB0"
      "C",
      {std::clamp(decimals, 0, 20), celsius}, fs);
}

std::string HumidityText(double rh, const TFormatSettings& fs) { return Format("%1.1f %%RH", {rh}, fs); }

std::string NumberText(double x, int decimals, const TFormatSettings& fs) {
  if (!IsValueSet(x)) return "None";
  return Format("%1.*f", {std::clamp(decimals, 0, 20), x}, fs);
}

std::string HoursMinutesSecondsText(double days, const TFormatSettings& fs) {
  // Hours, minutes and seconds all come from one count of milliseconds, rounded as date-times are
  // decoded. That is what counting the hours after adding 1 ms is for, without its flaw: a value
  // less than half a millisecond short of a whole hour would show that hour with "59:59".
  if (!std::isfinite(days) || std::fabs(days) > kMaxSplitDays) return "None";
  const long long ms = std::llround(std::fabs(days) * 86400000.0);
  const long long secs = ms / 1000;
  const std::string sign = days < 0 && ms > 0 ? "-" : "";
  return Format("%s%d:%.2d%s%.2d", {sign, secs / kHour, (secs / kMinute) % 60, fs.TimeSeparator, secs % 60});
}

double FahrenheitToCelsius(double f) { return (f - 32.0) * 5.0 / 9.0; }
double KelvinToCelsius(double k) { return k - 273.15; }

std::string PeriodDurationText(double days, const TFormatSettings&) {
  const TDurationParts p = SplitDuration(days);
  if (!p.Valid) return "None";
  const long long s = p.Seconds;
  std::string text = p.Negative ? "-" : "";
  if (s >= kDay) text += Num(s / kDay) + "d ";
  if (s >= kHour) text += Num((s / kHour) % 24) + "h ";
  if (s >= kMinute) text += Num((s / kMinute) % 60) + "m ";
  return text + Num(s % 60) + "s";
}

std::string CompactDurationText(double days, const TFormatSettings&) {
  const TDurationParts p = SplitDuration(days);
  if (!p.Valid) return "";
  const long long s = p.Seconds;
  const std::string sign = p.Negative ? "-" : "";
  auto withPart = [](std::string head, long long part, const char* unit) {
    return part != 0 ? head + " " + Num(part) + unit : head;
  };
  if (s < kMinute) return sign + Num(s) + "s";
  if (s < kHour) return withPart(sign + Num(s / kMinute) + "m", s % 60, "s");
  if (s < kDay) return withPart(sign + Num(s / kHour) + "h", (s / kMinute) % 60, "m");
  const long long wholeDays = s / kDay;
  if (wholeDays < 30) return withPart(sign + Num(wholeDays) + "d", (s / kHour) % 24, "h");
  if (wholeDays < 365) return withPart(sign + Num(wholeDays / 7) + "w", wholeDays % 7, "d");
  long long years = 0, months = 0;
  UnitsAndRest(p.Days, 365.0, 12.0, years, months);
  return withPart(sign + Num(years) + "y", months, "m");
}

std::string LongDurationText(double days, const TFormatSettings& fs) {
  const TDurationParts p = SplitDuration(days);
  if (!p.Valid) return "None";
  const long long s = p.Seconds;
  std::string text;
  auto add = [&](long long n, const char* unit) {
    if (!text.empty()) text += ", ";
    text += CountText(n, unit, fs);
  };
  auto addIf = [&](long long n, const char* unit) {
    if (n != 0) add(n, unit);
  };
  const long long wholeDays = s / kDay;
  if (s < kMinute) {
    add(s, "second");
  } else if (s < kHour) {
    add(s / kMinute, "minute");
    addIf(s % 60, "second");
  } else if (s < kDay) {
    add(s / kHour, "hour");
    addIf((s / kMinute) % 60, "minute");
  } else if (wholeDays < 90) {
    add(wholeDays, "day");
    addIf((s / kHour) % 24, "hour");
    addIf((s / kMinute) % 60, "minute");
  } else if (wholeDays < 365) {
    long long weeks = 0, rest = 0;
    UnitsAndRest(p.Days, 7.0, 7.0, weeks, rest);
    add(weeks, "week");
    addIf(rest, "day");
  } else if (wholeDays < 1095) {
    long long years = 0, rest = 0;
    UnitsAndRest(p.Days, 365.0, 365.0, years, rest);
    add(years, "year");
    addIf(rest, "day");
  } else {
    long long years = 0, months = 0;
    UnitsAndRest(p.Days, 365.0, 12.0, years, months);
    add(years, "year");
    addIf(months, "month");
  }
  if (p.Negative) text = "minus " + text;
  if (text.size() > kMaxLongDurationLength) text.resize(kMaxLongDurationLength);
  return text;
}

std::string Trim(std::string_view text) { return TrimLeft(TrimRight(text)); }

std::string TrimLeft(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlankOrControl(text[i])) ++i;
  return std::string(text.substr(i));
}

std::string TrimRight(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && IsBlankOrControl(text[n - 1])) --n;
  return std::string(text.substr(0, n));
}

std::string SingleLine(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (const char c : text)
    if (c != '\r' && c != '\n') s += c;
  return Trim(s);
}

std::string UpperCase(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string LowerCase(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

int CompareText(std::string_view a, std::string_view b) {
  auto up = [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? u - 'a' + 'A' : u;
  };
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = static_cast<int>(up(a[i])) - static_cast<int>(up(b[i]));
    if (d != 0) return d;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

namespace {
// Position just after the last folder delimiter, 0 when there is none.
std::size_t NameStart(std::string_view path) {
  std::size_t i = path.size();
  while (i > 0 && !IsDelimiter(path[i - 1])) --i;
  return i;
}

// Position of the extension's dot in the name part, npos when there is none.
std::size_t ExtStart(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  return dot != std::string_view::npos && dot >= NameStart(path) ? dot : std::string_view::npos;
}
}  // namespace

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExtractFileExt(std::string_view path) {
  const std::size_t dot = ExtStart(path);
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const std::size_t dot = ExtStart(path);
  return std::string(path.substr(0, dot == std::string_view::npos ? path.size() : dot)) + std::string(ext);
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  // An empty folder stays empty: a "/" would turn a name in the current folder into one at the root.
  if (path.empty() || IsDelimiter(path.back())) return std::string(path);
  return std::string(path) + "/";
}

}  // namespace qvs

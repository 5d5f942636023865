#include "core/DateTime.h"

#include <chrono>
#include <cmath>

namespace qvs {
namespace {

// Days from 0001-01-01 to 1899-12-30.
constexpr int kDeltaDate = 693593;
constexpr double kMaxDateTime = 2958466.0;    // 10000-01-01
constexpr double kMinDateTime = -693593.0;    // 0001-01-01

long long DaysFromCivil(int y, int m, int d) {
  // Days since 0001-01-01 of a proleptic Gregorian date.
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153u * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2u) / 5u + static_cast<unsigned>(d) - 1u;
  const unsigned doe = yoe * 365u + yoe / 4u - yoe / 100u + doy;
  return era * 146097 + static_cast<long long>(doe) - 306;  // 306: from 0000-03-01 to 0001-01-01
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 306;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long yy = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

// Milliseconds since 0001-01-01 00:00 of a date-time, rounded; false when out of range.
bool ToMilliseconds(TDateTime dt, long long& ms) {
  if (!std::isfinite(dt) || dt < kMinDateTime - 1 || dt > kMaxDateTime + 1) return false;
  const double day = std::trunc(dt);
  const double frac = std::fabs(dt - day);
  const long long dayMs = static_cast<long long>(std::llround(frac * 86400000.0));
  ms = (static_cast<long long>(day) + kDeltaDate) * 86400000LL + dayMs;
  return ms >= 0 && ms < 3652059LL * 86400000LL;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

std::optional<TDateTime> TryEncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return std::nullopt;
  return static_cast<double>(DaysFromCivil(year, month, day) - kDeltaDate);
}

std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    return std::nullopt;
  return ((hour * 3600000.0) + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
}

TDateTime EncodeDate(int year, int month, int day) { return TryEncodeDate(year, month, day).value_or(0.0); }

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  return TryEncodeTime(hour, minute, second, millisecond).value_or(0.0);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  const double d = EncodeDate(year, month, day);
  const double t = EncodeTime(hour, minute, second, millisecond);
  return d >= 0 ? d + t : d - t;
}

void DecodeDateTime(TDateTime dt, TDateParts& date, TTimeParts& time) {
  date = {};
  time = {};
  long long ms = 0;
  if (!ToMilliseconds(dt, ms)) return;
  const long long days = ms / 86400000LL;
  long long rest = ms % 86400000LL;
  CivilFromDays(days, date.Year, date.Month, date.Day);
  time.Hour = static_cast<int>(rest / 3600000);
  rest %= 3600000;
  time.Minute = static_cast<int>(rest / 60000);
  rest %= 60000;
  time.Second = static_cast<int>(rest / 1000);
  time.Millisecond = static_cast<int>(rest % 1000);
}

TDateParts DecodeDate(TDateTime dt) {
  TDateParts d;
  TTimeParts t;
  DecodeDateTime(dt, d, t);
  return d;
}

TTimeParts DecodeTime(TDateTime dt) {
  TDateParts d;
  TTimeParts t;
  DecodeDateTime(dt, d, t);
  return t;
}

int DayOfWeek(TDateTime dt) {
  long long ms = 0;
  if (!ToMilliseconds(dt, ms)) return 1;
  const long long days = ms / 86400000LL;  // 0001-01-01 was a Monday
  return static_cast<int>((days + 1) % 7) + 1;
}

TDateTime DateOf(TDateTime dt) { return std::isfinite(dt) ? std::trunc(dt) : 0.0; }
TDateTime TimeOf(TDateTime dt) { return std::isfinite(dt) ? std::fabs(dt - std::trunc(dt)) : 0.0; }

TDateTime UnixToDateTime(double unixSeconds) { return unixSeconds / 86400.0 + kUnixEpoch; }
double DateTimeToUnix(TDateTime dt) { return (dt - kUnixEpoch) * 86400.0; }

double LocalUTCOffsetDays(TDateTime utcAt) {
  if (!std::isfinite(utcAt)) return 0.0;
  const double secs = std::floor(DateTimeToUnix(utcAt));
  if (secs < -9.0e15 || secs > 9.0e15) return 0.0;
  std::time_t t = static_cast<std::time_t>(secs);
  std::tm local{};
  if (!localtime_r(&t, &local)) return 0.0;
  return static_cast<double>(local.tm_gmtoff) / 86400.0;
}

TDateTime UniversalToLocal(TDateTime utc) { return utc + LocalUTCOffsetDays(utc); }

TDateTime LocalToUniversal(TDateTime local) {
  // The offset in force at the universal time that shows as this local time: two refinements
  // settle it except inside a skipped or repeated hour, where the earlier meaning is taken.
  double offset = LocalUTCOffsetDays(local);
  offset = LocalUTCOffsetDays(local - offset);
  return local - offset;
}

TDateTime NowUniversal() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  return UnixToDateTime(static_cast<double>(ms) / 1000.0);
}

TDateTime NowLocal() { return UniversalToLocal(NowUniversal()); }

}  // namespace qvs

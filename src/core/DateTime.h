#pragma once
// Date-times are doubles counting days since 1899-12-30 00:00; the fraction is the time of day.
// For days before the epoch the integer part is negative and the time of day is |fraction|.

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>

namespace qvs {

using TDateTime = double;

inline constexpr double kOneSecond = 1.0 / 86400.0;
inline constexpr double kOneMinute = 1.0 / 1440.0;
inline constexpr double kOneHour = 1.0 / 24.0;
inline constexpr double kOneMillisecond = 1.0 / 86400000.0;
inline constexpr double kUnixEpoch = 25569.0;  // 1970-01-01 as a date-time

struct TDateParts {
  int Year = 0, Month = 0, Day = 0;
};
struct TTimeParts {
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Day number of a civil date (1..9999), or nullopt when the date does not exist.
std::optional<TDateTime> TryEncodeDate(int year, int month, int day);
std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int millisecond);
// The same, asserting validity: invalid parts give 0.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);

// Decoding rounds to the nearest millisecond first, so 0.9999999999 is the next day's midnight.
// Values outside the years 1..9999 decode as 0000-00-00 (Year 0).
void DecodeDateTime(TDateTime dt, TDateParts& date, TTimeParts& time);
TDateParts DecodeDate(TDateTime dt);
TTimeParts DecodeTime(TDateTime dt);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime dt);

// Whole-day part and time-of-day part as the pickers keep them.
TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);

TDateTime UnixToDateTime(double unixSeconds);
double DateTimeToUnix(TDateTime dt);

// Conversions between universal and local time under the process time zone (TZ).
TDateTime UniversalToLocal(TDateTime utc);
TDateTime LocalToUniversal(TDateTime local);
// The local time zone's current offset from universal time, in days (east positive).
double LocalUTCOffsetDays(TDateTime utcAt);

// The local date-time now, with millisecond resolution.
TDateTime NowLocal();
TDateTime NowUniversal();

// A clock the run and the logs read "now" from, so tests can fix it.
using TClock = std::function<TDateTime()>;

}  // namespace qvs

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "core/DateTime.h"

namespace qvs {
namespace {

TEST(DateTime, EncodesKnownDays) {
  struct Case { int y, m, d; double expected; };
  const Case cases[] = {
      {1899, 12, 30, 0.0}, {1899, 12, 31, 1.0}, {1900, 1, 1, 2.0}, {1970, 1, 1, 25569.0},
      {2000, 2, 29, 36585.0}, {2024, 3, 1, 45352.0}, {1, 1, 1, -693593.0}, {9999, 12, 31, 2958465.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.expected) << c.y << "-" << c.m << "-" << c.d;
    const auto parts = DecodeDate(c.expected);
    EXPECT_EQ(parts.Year, c.y);
    EXPECT_EQ(parts.Month, c.m);
    EXPECT_EQ(parts.Day, c.d);
  }
}

TEST(DateTime, RefusesDatesThatDoNotExist) {
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29));
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29));
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0));
}

TEST(DateTime, DecodesTimeRoundedToTheMillisecond) {
  const double dt = EncodeDateTime(2026, 12, 11, 23, 59, 59, 999);
  const auto t = DecodeTime(dt);
  EXPECT_EQ(t.Hour, 23);
  EXPECT_EQ(t.Minute, 59);
  EXPECT_EQ(t.Second, 59);
  EXPECT_EQ(t.Millisecond, 999);
  // A hair before midnight rounds to the next day's midnight.
  const auto d = DecodeDate(EncodeDate(2026, 12, 11) + 0.9999999999);
  EXPECT_EQ(d.Day, 12);
  EXPECT_EQ(DecodeTime(EncodeDate(2026, 12, 11) + 0.9999999999).Hour, 0);
}

TEST(DateTime, NegativeDaysKeepTheirTimeOfDayAsMagnitude) {
  // 1899-12-29 06:00 is -1.25 in this encoding.
  TDateParts d;
  TTimeParts t;
  DecodeDateTime(-1.25, d, t);
  EXPECT_EQ(d.Year, 1899);
  EXPECT_EQ(d.Month, 12);
  EXPECT_EQ(d.Day, 29);
  EXPECT_EQ(t.Hour, 6);
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0), -1.25);
}

TEST(DateTime, OutOfRangeAndNonFiniteValuesDecodeAsZeroParts) {
  for (double v : {1e300, -1e300, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    const auto d = DecodeDate(v);
    EXPECT_EQ(d.Year, 0);
    EXPECT_EQ(DateOf(std::numeric_limits<double>::quiet_NaN()), 0.0);
  }
}

TEST(DateTime, DayOfWeekCountsFromSunday) {
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 13)), 1);  // a Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 11)), 6);  // a Friday
  EXPECT_EQ(DayOfWeek(0.0), 7);                        // 1899-12-30 was a Saturday
}

TEST(DateTime, LocalTimeFollowsTheTimeZone) {
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  const double winter = EncodeDateTime(2026, 1, 15, 12, 0, 0);
  const double summer = EncodeDateTime(2026, 7, 15, 12, 0, 0);
  EXPECT_NEAR(UniversalToLocal(winter) - winter, 1.0 / 24, 1e-9);
  EXPECT_NEAR(UniversalToLocal(summer) - summer, 2.0 / 24, 1e-9);
  EXPECT_NEAR(LocalToUniversal(UniversalToLocal(summer)), summer, 1e-9);
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_NEAR(UniversalToLocal(summer), summer, 1e-12);
}

}  // namespace
}  // namespace qvs

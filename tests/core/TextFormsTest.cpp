#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "core/TextForms.h"

namespace qvs {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

double Seconds(double s) { return s / 86400.0; }
double Days(double d) { return d; }

class TextFormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  TFormatSettings Fs = TFormatSettings::Invariant();
};

struct TDurationCase {
  double Days;
  const char* Expected;
};

TEST_F(TextFormsTest, PeriodDurations) {
  const TDurationCase cases[] = {
      {0, "0s"},
      {Seconds(30), "30s"},
      {Seconds(59), "59s"},
      {Seconds(30) - 1e-12, "30s"},  // a hair below a whole second still counts it
      {Seconds(29.5), "29s"},
      {Seconds(60), "1m 0s"},
      {Seconds(90), "1m 30s"},
      {Seconds(330), "5m 30s"},
      {1.0 / 1440, "1m 0s"},
      {Seconds(3600), "1h 0m 0s"},
      {Seconds(2 * 3600 + 5 * 60 + 30), "2h 5m 30s"},
      {Days(2), "2d 0h 0m 0s"},
      {Days(3) + Seconds(2 * 3600 + 5 * 60 + 30), "3d 2h 5m 30s"},
      {Days(400), "400d 0h 0m 0s"},
      {-Seconds(90), "-1m 30s"},
      {-Days(2), "-2d 0h 0m 0s"},
      {-Seconds(0.2), "0s"},  // shows as zero: no sign
      {kNaN, "None"},
      {kInf, "None"},
      {-kInf, "None"},
      {1e300, "None"},
  };
  for (const auto& c : cases) EXPECT_EQ(PeriodDurationText(c.Days, Fs), c.Expected) << c.Days;
}

TEST_F(TextFormsTest, CompactDurations) {
  const TDurationCase cases[] = {
      {0, "0s"},
      {Seconds(45), "45s"},
      {Seconds(60), "1m"},
      {Seconds(90), "1m 30s"},
      {Seconds(3600), "1h"},
      {Seconds(2 * 3600 + 5 * 60 + 30), "2h 5m"},
      {Days(1), "1d"},
      {Days(2), "2d"},
      {Days(10) + Seconds(3 * 3600), "10d 3h"},
      {Days(29) + Seconds(23 * 3600 + 59 * 60), "29d 23h"},
      {Days(30), "4w 2d"},
      {Days(35), "5w"},
      {Days(364), "52w"},
      {Days(365), "1y"},
      {Days(365 * 1.5), "1y 6m"},
      {Days(380), "1y"},     // 15 days: 0.49 months, rounded to none
      {Days(400), "1y 1m"},  // 35 days: 1.15 months
      {Days(729), "2y"},     // 364 days are 11.97 months: rounded to a whole year, carried
      {-Days(2), "-2d"},
      {-Seconds(90), "-1m 30s"},
      {kNaN, ""},
      {kInf, ""},
      {1e300, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CompactDurationText(c.Days, Fs), c.Expected) << c.Days;
}

TEST_F(TextFormsTest, LongDurations) {
  const TDurationCase cases[] = {
      {0, "0 seconds"},
      {Seconds(1), "1 second"},
      {Seconds(45), "45 seconds"},
      {Seconds(61), "1 minute, 1 second"},
      {Seconds(120), "2 minutes"},
      {Seconds(3600), "1 hour"},
      {Seconds(3660), "1 hour, 1 minute"},
      {Seconds(2 * 3600 + 61), "2 hours, 1 minute"},  // seconds are not shown from an hour on
      {Days(1) + Seconds(5 * 60), "1 day, 5 minutes"},
      {Days(1) + Seconds(3600), "1 day, 1 hour"},
      {Days(2) + Seconds(3 * 3600 + 4 * 60), "2 days, 3 hours, 4 minutes"},
      {Days(89), "89 days"},
      {Days(90), "12 weeks, 6 days"},
      {Days(91), "13 weeks"},
      {Days(97.6), "14 weeks"},  // 13 weeks and 6.6 days: the rounded days make a week
      {Days(100.3), "14 weeks, 2 days"},
      {Days(364), "52 weeks"},
      {Days(365), "1 year"},
      {Days(400), "1 year, 35 days"},
      {Days(730), "2 years"},
      {Days(1094), "2 years, 364 days"},
      {Days(1095), "3 years"},
      {Days(1200), "3 years, 3 months"},     // 105 days: 3.45 months
      {Days(1e6), "2,739 years, 9 months"},  // 265 days: 8.71 months
      {-Seconds(61), "minus 1 minute, 1 second"},
      {-Days(400), "minus 1 year, 35 days"},
      {kNaN, "None"},
      {-kInf, "None"},
      {1e300, "None"},
  };
  for (const auto& c : cases) EXPECT_EQ(LongDurationText(c.Days, Fs), c.Expected) << c.Days;
  TFormatSettings de = Fs;
  de.ThousandSeparator = ".";
  EXPECT_EQ(LongDurationText(Days(1e6), de), "2.739 years, 9 months");
  // The largest duration that is still split stays a short text.
  const std::string longest = LongDurationText(-9.9e10, Fs);
  EXPECT_EQ(longest.rfind("minus 271,232,876 years, ", 0), 0u) << longest;
  EXPECT_LE(longest.size(), 255u);
}

TEST_F(TextFormsTest, HoursMinutesSeconds) {
  const TDurationCase cases[] = {
      {0, "0:00:00"},
      {Seconds(90), "0:01:30"},
      {Seconds(3600 + 5 * 60 + 30), "1:05:30"},
      {Days(1) + Seconds(3600), "25:00:00"},
      {2.0 / 24 - 1e-12, "2:00:00"},
      {Seconds(3600 - 0.0007), "0:59:59"},  // 0.7 ms short of an hour: still within the hour
      {Seconds(3600 - 0.0003), "1:00:00"},  // rounds to the millisecond, as date-times do
      {-Seconds(90), "-0:01:30"},
      {kNaN, "None"},
  };
  for (const auto& c : cases) EXPECT_EQ(HoursMinutesSecondsText(c.Days, Fs), c.Expected) << c.Days;
  TFormatSettings fs = Fs;
  fs.TimeSeparator = ".";
  EXPECT_EQ(HoursMinutesSecondsText(Seconds(3600 + 5 * 60 + 30), fs), "1:05.30");
}

TEST_F(TextFormsTest, DateTexts) {
  const TDateTime dt = EncodeDateTime(2024, 3, 5, 14, 7, 9, 45);
  EXPECT_EQ(DayText(dt, Fs), "Tue 5 Mar 2024");
  EXPECT_EQ(LongDateTimeText(dt, Fs), "Tue 5 Mar 2024 14:07:09");
  EXPECT_EQ(ShortDateTimeText(dt, Fs), "05-03-24 14:07:09");
  EXPECT_EQ(LongDateTimeOrNone(dt, Fs), "Tue 5 Mar 2024 14:07:09");
  EXPECT_EQ(LongDateTimeOrNone(0.5, Fs), "None");
  EXPECT_EQ(LongDateTimeOrNone(kNaN, Fs), "None");
  EXPECT_EQ(LongDateTimeOrNone(1.0, Fs), "Sun 31 Dec 1899 00:00:00");
  EXPECT_EQ(LongDateTimeOrNever(0.0, Fs), "Never");
  EXPECT_EQ(LongDateTimeOrNever(-5.0, Fs), "Never");
  EXPECT_EQ(LocaleDateTimeText(dt, Fs), "05/03/2024 14:07:09");
  EXPECT_EQ(LocaleDateTimeText(EncodeDate(2024, 3, 5), Fs), "05/03/2024 00:00:00");  // the time even at midnight
  TFormatSettings us = Fs;
  us.ShortDateFormat = "m/d/yyyy";
  us.LongTimeFormat = "h:nn:ss am/pm";
  EXPECT_EQ(LocaleDateTimeText(dt, us), "3/5/2024 2:07:09 pm");
}

TEST_F(TextFormsTest, ValueTexts) {
  EXPECT_EQ(TemperatureText(21.456, 2, Fs),
            "21.46 \xC2\xB0"
            "C");
  EXPECT_EQ(TemperatureText(21.4567, 3, Fs),
            "21.457 \xC2\xB0"
            "C");
  EXPECT_EQ(TemperatureText(20.5, 0, Fs),
            "21 \xC2\xB0"
            "C");
  EXPECT_EQ(TemperatureText(-0.0004, 3, Fs),
            "0.000 \xC2\xB0"
            "C");
  EXPECT_EQ(HumidityText(45.25, Fs), "45.3 %RH");
  EXPECT_EQ(HumidityText(45.24, Fs), "45.2 %RH");
  EXPECT_EQ(NumberText(3.14159, 2, Fs), "3.14");
  EXPECT_EQ(NumberText(3.14159, 3, Fs), "3.142");
  EXPECT_EQ(NumberText(kNoValue, 2, Fs), "None");
  EXPECT_EQ(NumberText(kNoValue + 0.00005, 3, Fs), "None");
  EXPECT_EQ(NumberText(-kNoValue, 3, Fs), "None");
  EXPECT_EQ(NumberText(kNoValue + 0.0003, 3, Fs), "1234.568");
  TFormatSettings de = Fs;
  de.DecimalSeparator = ",";
  EXPECT_EQ(TemperatureText(21.456, 2, de),
            "21,46 \xC2\xB0"
            "C");
  EXPECT_EQ(HumidityText(45.25, de), "45,3 %RH");
  EXPECT_EQ(NumberText(3.14159, 3, de), "3,142");
}

TEST_F(TextFormsTest, NoValueSentinel) {
  EXPECT_FALSE(IsValueSet(kNoValue));
  EXPECT_FALSE(IsValueSet(1234.56775));
  EXPECT_FALSE(IsValueSet(-1234.5678));
  EXPECT_TRUE(IsValueSet(1234.568));
  EXPECT_TRUE(IsValueSet(0.0));
}

TEST_F(TextFormsTest, TemperatureUnits) {
  EXPECT_DOUBLE_EQ(FahrenheitToCelsius(212), 100);
  EXPECT_DOUBLE_EQ(FahrenheitToCelsius(32), 0);
  EXPECT_DOUBLE_EQ(FahrenheitToCelsius(-40), -40);
  EXPECT_DOUBLE_EQ(KelvinToCelsius(273.15), 0);
  EXPECT_DOUBLE_EQ(KelvinToCelsius(0), -273.15);
}

TEST_F(TextFormsTest, TrimmingAndSingleLine) {
  EXPECT_EQ(SingleLine("  Enter any notes\r\n"), "Enter any notes");
  EXPECT_EQ(SingleLine("first\r\nsecond"), "firstsecond");
  EXPECT_EQ(SingleLine("\r\n \t\r\n"), "");
  EXPECT_EQ(SingleLine("\t x \x01"), "x");
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
  EXPECT_EQ(TrimRight("  a b  "), "  a b");
  EXPECT_EQ(Trim(std::string(" \0a\0 ", 5)), "a");
  EXPECT_EQ(Trim("\xC2\xA0"
                 "a"),
            "\xC2\xA0"
            "a");  // only ASCII blanks and controls
  EXPECT_EQ(Trim(""), "");
}

TEST_F(TextFormsTest, AsciiCase) {
  EXPECT_EQ(UpperCase("abc\xC2\xB0z"), "ABC\xC2\xB0Z");
  EXPECT_EQ(LowerCase("\xC3\x84"
                      "BC"),
            "\xC3\x84"
            "bc");
  EXPECT_TRUE(SameText("Data.KV", "data.kv"));
  EXPECT_FALSE(SameText("a", "ab"));
  EXPECT_FALSE(SameText("\xC3\x84", "\xC3\xA4"));  // not ASCII: no case folding
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_GT(CompareText("a_", "aZ"), 0);  // compared as upper case: "_" sorts after "Z"
  EXPECT_GT(CompareText("\xC3\xA4", "z"), 0);
}

TEST_F(TextFormsTest, PathParts) {
  const struct {
    const char* Path;
    const char* Folder;
    const char* Name;
    const char* Ext;
  } cases[] = {
      {"/data/room/a.kv", "/data/room/", "a.kv", ".kv"},
      {"a.kv", "", "a.kv", ".kv"},
      {"/a.kv", "/", "a.kv", ".kv"},
      {"room\\sub\\a.kvx", "room\\sub\\", "a.kvx", ".kvx"},  // made on Windows
      {"C:\\Data\\x.kv", "C:\\Data\\", "x.kv", ".kv"},
      {"room/sub\\a", "room/sub\\", "a", ""},
      {"a.b/c", "a.b/", "c", ""},  // a dot in a folder is no extension
      {"x.tar.gz", "", "x.tar.gz", ".gz"},
      {"/data/", "/data/", "", ""},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.Path), c.Folder) << c.Path;
    EXPECT_EQ(ExtractFileName(c.Path), c.Name) << c.Path;
    EXPECT_EQ(ExtractFileExt(c.Path), c.Ext) << c.Path;
  }
  EXPECT_EQ(ChangeFileExt("a/b.kv", ".kvx"), "a/b.kvx");
  EXPECT_EQ(ChangeFileExt("a/b", ".qvs"), "a/b.qvs");
  EXPECT_EQ(ChangeFileExt("a.b/c", ".x"), "a.b/c.x");
  EXPECT_EQ(ChangeFileExt("a\\b.c\\d.kv", ""), "a\\b.c\\d");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/data"), "/data/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/data/"), "/data/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("room\\"), "room\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "");  // not the root folder
}

}  // namespace
}  // namespace qvs

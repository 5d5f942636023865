#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/FormatDateTime.h"

namespace qvs {
namespace {

class FormatDateTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  TFormatSettings Fs = TFormatSettings::Invariant();
  // Tuesday 5 March 2024, 14:07:09.045
  TDateTime Dt = EncodeDateTime(2024, 3, 5, 14, 7, 9, 45);
};

TEST_F(FormatDateTimeTest, EveryPictureLetter) {
  const struct {
    const char* Picture;
    const char* Expected;
  } cases[] = {
      {"d", "5"},
      {"dd", "05"},
      {"ddd", "Tue"},
      {"dddd", "Tuesday"},
      {"ddddd", "05/03/2024"},
      {"dddddd", "Tuesday, 5 March 2024"},
      {"ddddddd", "Tuesday, 5 March 2024"},
      {"m", "3"},
      {"mm", "03"},
      {"mmm", "Mar"},
      {"mmmm", "March"},
      {"mmmmm", "March"},
      {"y", "24"},
      {"yy", "24"},
      {"yyy", "2024"},
      {"yyyy", "2024"},
      {"h", "14"},
      {"hh", "14"},
      {"n", "7"},
      {"nn", "07"},
      {"s", "9"},
      {"ss", "09"},
      {"z", "45"},
      {"zzz", "045"},
      {"t", "14:07"},
      {"tt", "14:07:09"},
      {"c", "05/03/2024 14:07:09"},
      {"", "05/03/2024 14:07:09"},  // an empty picture is "c"
      {"DD/MM/YYYY HH:NN:SS", "05/03/2024 14:07:09"},
      {"mm/dd/yyyy", "03/05/2024"},
      {"yyyy-mm-dd hh:nn:ss.zzz  ", "2024-03-05 14:07:09.045  "},
      {"ddd d mmm yyyy hh:nn:ss", "Tue 5 Mar 2024 14:07:09"},
      {"d mmm yyyy hh-nn-sss", "5 Mar 2024 14-07-09"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.Picture, Dt, Fs), c.Expected) << "\"" << c.Picture << "\"";
}

TEST_F(FormatDateTimeTest, MonthLettersAfterHoursMeanMinutes) {
  const struct {
    const char* Picture;
    const char* Expected;
  } cases[] = {
      {"hh:mm", "14:07"},
      {"h:m", "14:7"},
      {"hh mm", "14 07"},
      {"hh'h'mm", "14h07"},
      {"yyyy-mm-dd hh:mm", "2024-03-05 14:07"},
      {"hh d mm", "14 5 03"},  // another letter in between: a month again
      {"hh:mmm", "14:Mar"},    // names are always months
      {"mm hh", "03 14"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.Picture, Dt, Fs), c.Expected) << "\"" << c.Picture << "\"";
}

TEST_F(FormatDateTimeTest, TwelveHourClockAndMarkers) {
  const TDateTime day = EncodeDate(2024, 3, 5);
  const struct {
    const char* Picture;
    int Hour;
    const char* Expected;
  } cases[] = {
      {"hh:nn am/pm", 14, "02:07 pm"},
      {"h AM/PM", 14, "2 PM"},
      {"h Am/Pm", 9, "9 Am"},  // the letters as written
      {"h a/p", 14, "2 p"},
      {"h A/P", 1, "1 A"},
      {"h ampm", 14, "2 PM"},  // the settings' strings
      {"h am/pm", 0, "12 am"},
      {"h am/pm", 12, "12 pm"},
      {"h am/pm", 23, "11 pm"},
      {"hh 'am/pm'", 14, "14 am/pm"},  // quoted: not a marker
      {"am/pm h", 14, "pm 14"},        // only a marker after the hour selects the 12-hour clock
      {"h:h am/pm", 14, "14:2 pm"},    // the first hour meets another hour first
      {"h ax", 14, "14 ax"},           // an "a" that begins no marker is text
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatDateTime(c.Picture, day + EncodeTime(c.Hour, 7, 0), Fs), c.Expected) << "\"" << c.Picture << "\"";
  TFormatSettings de = Fs;
  de.TimeAMString = "vorm.";
  de.TimePMString = "nachm.";
  EXPECT_EQ(FormatDateTime("h:nn ampm", day + EncodeTime(15, 30, 0), de), "3:30 nachm.");
}

TEST_F(FormatDateTimeTest, TextSeparatorsAndUnknownLetters) {
  TFormatSettings fs = Fs;
  fs.DateSeparator = "-";
  fs.TimeSeparator = ".";
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", Dt, fs), "05-03-2024 14.07");
  EXPECT_EQ(FormatDateTime("c", Dt, fs), "05-03-2024 14.07.09");  // the settings' pictures use them too
  const struct {
    const char* Picture;
    const char* Expected;
  } cases[] = {
      {"\"Date:\" d", "Date: 5"},
      {"'d' d", "d 5"},
      {"'it''s'", "its"},
      {"d 'rest of d", "5 rest of d"},  // an unbalanced quote copies the rest
      {"d \"", "5 "},
      {"Week w, q x e", "Week w, q x e"},
      {"d\xC2\xB0", "5\xC2\xB0"},
      {"[d]", "[5]"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.Picture, Dt, Fs), c.Expected) << "\"" << c.Picture << "\"";
}

TEST_F(FormatDateTimeTest, ShortDateWithoutTimeAtMidnight) {
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5), Fs), "05/03/2024");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5) + EncodeTime(0, 0, 0, 1), Fs), "05/03/2024 00:00:00");
  // A hair before midnight rounds to the next day's midnight.
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5) + 0.9999999999, Fs), "06/03/2024");
}

TEST_F(FormatDateTimeTest, SelfReferringSettingsStopExpanding) {
  TFormatSettings fs = Fs;
  fs.ShortDateFormat = "d ddddd";
  fs.LongTimeFormat = "tt c";
  fs.ShortTimeFormat = "t";
  // "ddddd" -> "d ddddd" -> "d ddddd" -> nothing more.
  EXPECT_EQ(FormatDateTime("ddddd", Dt, fs), "5 5 ");
  EXPECT_EQ(FormatDateTime("t|", Dt, fs), "|");
  // "tt" -> "tt c" -> ("tt c" -> " ") + " " + ("d ddddd" -> "5 ") + " " + ("tt c" -> " ")
  EXPECT_EQ(FormatDateTime("tt", Dt, fs), "  5   ");
  // A huge picture is worked through without recursing on its length.
  const std::string huge(200000, 'd');
  EXPECT_EQ(FormatDateTime(huge, Dt, Fs), "Tuesday, 5 March 2024");
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "h'x'";
  EXPECT_EQ(FormatDateTime(many, Dt, Fs).size(), 20000u * 3);
}

TEST_F(FormatDateTimeTest, DatesBeforeTheEpochAndOutOfRange) {
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", -1.25, Fs), "1899-12-29 06:00");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd ddd", EncodeDate(1, 1, 1), Fs), "0001-01-01 Mon");
  // Outside the years 1..9999 the parts are zero: no names, no failure.
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss mmm|mmmm|", std::nan(""), Fs), "0000-00-00 00:00:00 ||");
  EXPECT_EQ(FormatDateTime("yyyy mmmm", 1e300, Fs), "0000 ");
  EXPECT_EQ(FormatDateTime("yyyy mmmm", -1e300, Fs), "0000 ");
}

// strftime is an independent calendar: every day of six centuries, each at a different time.
TEST_F(FormatDateTimeTest, AgreesWithStrftimeForEveryDayOfSixCenturies) {
  const TDateTime first = EncodeDate(1700, 1, 1);
  const TDateTime last = EncodeDate(2299, 12, 31);
  const char* picture = "yyyy-mm-dd|d|m|dddd|ddd|mmmm|mmm|yy|hh:nn:ss|h|hh am/pm|h ampm";
  const char* strftimeForm = "%Y-%m-%d|%-d|%-m|%A|%a|%B|%b|%y|%H:%M:%S|%-H|%I %P|%-I %p";
  char buf[256];
  int days = 0;
  for (TDateTime day = first; day <= last; day += 1.0, ++days) {
    const long long secs = ((static_cast<long long>(day) * 7919) % 86400 + 86400) % 86400;
    const std::time_t t = static_cast<std::time_t>((static_cast<long long>(day) - 25569) * 86400 + secs);
    std::tm tm{};
    ASSERT_NE(gmtime_r(&t, &tm), nullptr);
    std::strftime(buf, sizeof buf, strftimeForm, &tm);
    // Before 1899-12-30 the day is negative and the time of day counts away from zero.
    const double timeOfDay = static_cast<double>(secs) / 86400.0;
    const TDateTime dt = day < 0 ? day - timeOfDay : day + timeOfDay;
    ASSERT_EQ(FormatDateTime(picture, dt, Fs), buf) << "day " << day;
  }
  EXPECT_EQ(days, 600 * 365 + 145);  // 150 years divisible by 4, less 1700, 1800, 1900, 2100, 2200
}

}  // namespace
}  // namespace qvs

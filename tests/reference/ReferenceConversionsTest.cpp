// Numbers, dates and times as reference files write them.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "reference/ReferenceConversions.h"

namespace qvs {
namespace {

TFormatSettings Settings(std::string dateFormat, std::string dateSeparator, std::string timeSeparator,
                         std::string decimalSeparator = ".") {
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.ShortDateFormat = std::move(dateFormat);
  fs.DateSeparator = std::move(dateSeparator);
  fs.TimeSeparator = std::move(timeSeparator);
  fs.DecimalSeparator = std::move(decimalSeparator);
  return fs;
}

TEST(DateOrder, FollowsTheLettersOfThePicture) {
  using O = std::array<char, 3>;
  EXPECT_EQ(DateOrderOf("dd/mm/yy"), (O{'d', 'm', 'y'}));
  EXPECT_EQ(DateOrderOf("mm/dd/yyyy"), (O{'m', 'd', 'y'}));
  EXPECT_EQ(DateOrderOf("yyyy-mm-dd"), (O{'y', 'm', 'd'}));
  EXPECT_EQ(DateOrderOf("YYYY.DD.MM"), (O{'y', 'd', 'm'}));
  EXPECT_EQ(DateOrderOf("\"day\" mm/yy dd"), (O{'m', 'y', 'd'}));
  EXPECT_EQ(DateOrderOf("mm/yy"), (O{'m', 'd', 'y'}));
  EXPECT_EQ(DateOrderOf(""), (O{'d', 'm', 'y'}));
}

TEST(TextToDateTime, ReadsDatesInTheConfiguredOrderWithTheirTimes) {
  struct TCase {
    const char* Text;
    TFormatSettings Fs;
    std::optional<TDateTime> Expected;
  };
  const auto dmy = Settings("dd/mm/yy", "/", ":");
  const auto mdy = Settings("mm/dd/yyyy", "/", ":");
  const auto ymd = Settings("yyyy-mm-dd", "-", ":");
  const auto dots = Settings("dd.mm.yyyy", ".", ".", ",");
  const TCase cases[] = {
      {"12/05/24 10:20:30", dmy, EncodeDateTime(2024, 5, 12, 10, 20, 30)},
      {"12/05/2024 10:20:30", dmy, EncodeDateTime(2024, 5, 12, 10, 20, 30)},
      {"  1/5/24   7:05  ", dmy, EncodeDateTime(2024, 5, 1, 7, 5, 0)},
      {"12/05/24", dmy, EncodeDate(2024, 5, 12)},
      {"12/05/49 00:00:00", dmy, EncodeDate(2049, 5, 12)},
      {"12/05/50 00:00:00", dmy, EncodeDate(1950, 5, 12)},
      {"12/05/24 10:20:30.250", dmy, EncodeDateTime(2024, 5, 12, 10, 20, 30, 250)},
      {"12/05/24 10:20:30 PM", dmy, EncodeDateTime(2024, 5, 12, 22, 20, 30)},
      {"12/05/24 10:20:30 pm", mdy, EncodeDateTime(2024, 12, 5, 22, 20, 30)},
      {"12/05/24 13:20:30 PM", dmy, std::nullopt},
      {"05/12/2024 10:20:30 PM", mdy, EncodeDateTime(2024, 5, 12, 22, 20, 30)},
      {"05/12/2024 12:00:00 AM", mdy, EncodeDate(2024, 5, 12)},
      {"2024-05-12 10:20:30", ymd, EncodeDateTime(2024, 5, 12, 10, 20, 30)},
      {"2024-05-12T10:20:30", ymd, EncodeDateTime(2024, 5, 12, 10, 20, 30)},
      {"12.05.2024 10.20.30,5", dots, EncodeDateTime(2024, 5, 12, 10, 20, 30, 500)},
      {"10:20:30", dmy, EncodeTime(10, 20, 30)},  // a time alone lies on day zero
      {"29/02/24 00:00:00", dmy, EncodeDate(2024, 2, 29)},
      {"29/02/23 00:00:00", dmy, std::nullopt},  // a day that does not exist
      {"31/04/24", dmy, std::nullopt},
      {"12/13/24 10:00:00", dmy, std::nullopt},
      {"12/05/24 24:00:00", dmy, std::nullopt},
      {"12/05/24 10:60:00", dmy, std::nullopt},
      {"12/05/24 10:00:00x", dmy, std::nullopt},
      {"12/05/24x10:00:00", dmy, std::nullopt},
      {"12-05-24 10:00:00", dmy, std::nullopt},  // wrong separator
      {"", dmy, std::nullopt},
      {"Time", dmy, std::nullopt},
      {"12/05/24 123:00", dmy, std::nullopt},
  };
  for (const auto& c : cases) {
    TDateTime dt = -1;
    const bool ok = TryTextToDateTime(c.Text, c.Fs, dt);
    EXPECT_EQ(ok, c.Expected.has_value()) << c.Text;
    if (ok && c.Expected) {
      EXPECT_NEAR(dt, *c.Expected, 1e-9) << c.Text;
    }
  }
}

TEST(TextToTime, ReadsHoursMinutesAndSecondsWithTheSeparator) {
  const auto colon = Settings("dd/mm/yy", "/", ":");
  const auto dot = Settings("dd/mm/yy", "/", ".");
  struct TCase {
    const char* Text;
    const TFormatSettings& Fs;
    std::optional<TDateTime> Expected;
  } cases[] = {
      {"14:02:10", colon, EncodeTime(14, 2, 10)},
      {"14:02", colon, EncodeTime(14, 2, 0)},
      {"14", colon, EncodeTime(14, 0, 0)},
      {"0:00:00", colon, 0.0},
      {"23:59:59", colon, EncodeTime(23, 59, 59)},
      {"14.02.10", dot, EncodeTime(14, 2, 10)},
      {"14:02:10", dot, std::nullopt},
      {"2:05 PM", colon, EncodeTime(14, 5, 0)},
      {"14:02:", colon, std::nullopt},
      {":02", colon, std::nullopt},
      {"", colon, std::nullopt},
      {"abc", colon, std::nullopt},
  };
  for (const auto& c : cases) {
    TDateTime t = -1;
    const bool ok = TryTextToTime(c.Text, c.Fs, t);
    EXPECT_EQ(ok, c.Expected.has_value()) << c.Text;
    if (ok && c.Expected) {
      EXPECT_NEAR(t, *c.Expected, 1e-12) << c.Text;
    }
  }
}

TEST(TextToFloat, ReadsDecimalNumbersWithTheGivenSeparator) {
  struct TCase {
    const char* Text;
    const char* Separator;
    std::optional<double> Expected;
  } cases[] = {
      {"21.375", ".", 21.375},
      {" -0.5 ", ".", -0.5},
      {"+3", ".", 3.0},
      {"1e2", ".", 100.0},
      {"1.5E-1", ".", 0.15},
      {".5", ".", 0.5},
      {"5.", ".", 5.0},
      {"21,375", ",", 21.375},
      {"21.375", ",", std::nullopt},
      {"", ".", std::nullopt},
      {" ", ".", std::nullopt},
      {"abc", ".", std::nullopt},
      {"1.2.3", ".", std::nullopt},
      {"1e", ".", std::nullopt},
      {"inf", ".", std::nullopt},
      {"nan", ".", std::nullopt},
      {"0x10", ".", std::nullopt},
      {"1,000", ".", std::nullopt},
      {"1e999", ".", std::nullopt},
      {"-", ".", std::nullopt},
      {"1 2", ".", std::nullopt},
  };
  for (const auto& c : cases) {
    double v = -99;
    const bool ok = TryTextToFloat(c.Text, c.Separator, v);
    EXPECT_EQ(ok, c.Expected.has_value()) << c.Text;
    if (ok && c.Expected) {
      EXPECT_DOUBLE_EQ(v, *c.Expected) << c.Text;
    }
  }
}

TEST(StorableSample, AcceptsOnlyFiniteSingles) {
  EXPECT_TRUE(IsStorableSample(21.5));
  EXPECT_TRUE(IsStorableSample(-3.0e38));
  EXPECT_FALSE(IsStorableSample(1e39));
  EXPECT_FALSE(IsStorableSample(NAN));
  EXPECT_FALSE(IsStorableSample(INFINITY));
}

}  // namespace
}  // namespace qvs

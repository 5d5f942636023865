#include <gtest/gtest.h>

#include <cmath>

#include "DataFilesTestSupport.h"
#include "datafiles/LoggerDataSet.h"

namespace qvs {
namespace {

TEST(VersionNumber, ReadsRunsOfDigitsSeparatedByDots) {
  struct Case {
    const char* Text;
    std::array<std::uint16_t, 4> Expected;
  };
  const Case cases[] = {
      {"1.2.3.4", {1, 2, 3, 4}},    {"", {0, 0, 0, 0}},          {"3.2", {3, 2, 0, 0}},
      {"1..3.4", {1, 0, 3, 4}},     {"65535.65536.7", {65535, 0, 7, 0}}, {"7a.2.3", {7, 0, 0, 0}},
      {"a.2", {0, 0, 0, 0}},        {"1.2.3.4.5", {1, 2, 3, 4}}, {"12.34 ", {12, 34, 0, 0}},
      {"99999999999999999999.5", {0, 5, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(TKV6VersionNumber::FromString(c.Text).Numbers, c.Expected) << c.Text;
  EXPECT_EQ((TKV6VersionNumber{{3, 2, 14, 0}}).ToString(), "3.2.14.0");
}

TEST(LoggerDataSet, NewDataSetHasTheViewScalesAndNoSource) {
  TKV6LoggerDataSet ds;
  EXPECT_EQ(ds.GraphPixelsPerDay, 1024);
  EXPECT_EQ(ds.GraphPixelsPerLoggedValue, 76.8);
  EXPECT_EQ(ds.SourceKind, 0);
  EXPECT_TRUE(ds.Markers.empty());
  EXPECT_TRUE(ds.Comments.empty());
}

TEST(LoggerDataSet, ClearEmptiesTheArraysAndLeavesTheOtherFields) {
  TKV6LoggerDataSet ds;
  ds.SourceKind = 4;
  ds.SerialNumber = 77;
  ds.Channels[0].Samples = {1, 2, 3};
  ds.Channels[7].Samples = {4};
  ds.Channels[0].StatisticsBlocks[1].Valid = true;
  ds.Markers.push_back({3, 1});
  ds.AddComment(TKV6CommentEntry{});
  ds.Clear();
  EXPECT_EQ(ds.SourceKind, 0);
  EXPECT_EQ(ds.SerialNumber, 77u);
  EXPECT_TRUE(ds.Channels[0].Samples.empty());
  EXPECT_TRUE(ds.Channels[7].Samples.empty());
  EXPECT_FALSE(ds.Channels[0].StatisticsBlocks[1].Valid);
  EXPECT_TRUE(ds.Markers.empty());
  EXPECT_TRUE(ds.Comments.empty());
}

TEST(LoggerDataSet, GetSampleIsOneBasedAndZeroOutsideTheSamples) {
  TKV6LoggerDataSet ds;
  ds.Channels[1].Samples = {10.5, 11.5, 12.5};
  EXPECT_EQ(ds.GetSample(2, 1), 10.5);
  EXPECT_EQ(ds.GetSample(2, 3), 12.5);
  EXPECT_EQ(ds.GetSample(2, 0), 0);
  EXPECT_EQ(ds.GetSample(2, -1), 0);
  EXPECT_EQ(ds.GetSample(2, 4), 0);
  EXPECT_EQ(ds.GetSample(1, 1), 0);
  EXPECT_EQ(ds.GetSample(0, 1), 0);
  EXPECT_EQ(ds.GetSample(9, 1), 0);
}

TEST(LoggerDataSet, AddCommentAppendsACopy) {
  TKV6LoggerDataSet ds;
  TKV6CommentEntry e;
  EXPECT_FALSE(e.Locked);
  EXPECT_TRUE(e.DateTimeEnable);
  EXPECT_TRUE(e.ValueEnable);
  e.Title = "first";
  ds.AddComment(e);
  e.Title = "second";
  ds.AddComment(e);
  ASSERT_EQ(ds.Comments.size(), 2u);
  EXPECT_EQ(ds.Comments[0].Title, "first");
  EXPECT_EQ(ds.Comments[1].Title, "second");
}

TEST(TimeZoneOffsetKind, ClassifiesSentinelsAndRealOffsets) {
  const double h = 1.0 / 24, m = 1.0 / 1440;
  struct Case {
    double Offset;
    TKV6TimeZoneOffsetKind Kind;
  };
  const Case cases[] = {
      {-1.0, tzUnknown},          {-23 * h, tzLocalUnknownZone}, {-22 * h, tzUniversalPCZone},
      {-12 * h, tzRealOffset},    {14 * h, tzRealOffset},        {14 * h + m, tzInvalid},
      {0, tzRealOffset},          {10 * h, tzRealOffset},        {-12 * h - m, tzInvalid},
      {-1.0 - 2 * m, tzInvalid},  {-1.0 - 0.5 / 86400, tzUnknown},   {-21 * h, tzInvalid},
      {std::nan(""), tzInvalid},
  };
  for (const auto& c : cases) EXPECT_EQ(TimeZoneOffsetKind(c.Offset), c.Kind) << c.Offset * 24 << " h";
}

TEST(LoggerDataSet, ToLocalTimeAddsThePCOffsetOnlyForUniversalOrRealOffsets) {
  test::TScopedTimeZone tz("Australia/Brisbane");  // +10 h all year
  const TDateTime t = EncodeDateTime(2024, 1, 10, 3, 0, 0);
  TKV6LoggerDataSet ds;
  struct Case {
    double SamplesReadOffset;
    double Added;
  };
  const Case cases[] = {{-23.0 / 24, 0}, {-1.0, 0}, {2.0, 0}, {10.0 / 24, 10.0 / 24}, {-22.0 / 24, 10.0 / 24}};
  for (const auto& c : cases) {
    ds.TimeZoneOffsetSamplesRead = c.SamplesReadOffset;
    EXPECT_NEAR(ds.ToLocalTime(t, test::TestNow()), t + c.Added, 1e-9) << c.SamplesReadOffset * 24;
  }
}

TEST(SerialNumberText, OneLetterAndSevenDigitsOrTwoLettersAndSixDigits) {
  struct Case {
    std::uint32_t Serial;
    std::string Expected;
  };
  const Case cases[] = {
      {(1u << 28) | 123u, std::string(kSerialNumberKindLetters[1]) + "0000123"},
      {(4u << 28) | (10u << 24) | 456u,
       std::string(kSerialNumberKindLetters[4]) + kSerialNumberSubKindLetters[10] + "000456"},
      {(5u << 28) | (0xFu << 24) | 0xFFFFFFu,
       std::string(kSerialNumberKindLetters[5]) + kSerialNumberSubKindLetters[15] + "999999"},
      {(2u << 28) | 0xFFFFFFFu, std::string(kSerialNumberKindLetters[2]) + "9999999"},
      {(15u << 28) | 9999999u, std::string(kSerialNumberKindLetters[15]) + "9999999"},
      {0u, std::string(kSerialNumberKindLetters[0]) + "0000000"},
  };
  for (const auto& c : cases) {
    const std::string s = SerialNumberText(c.Serial);
    EXPECT_EQ(s, c.Expected);
    EXPECT_LE(s.size(), 16u);
  }
  for (const char* letter : kSerialNumberKindLetters) EXPECT_EQ(std::string(letter).size(), 1u);
  for (const char* letter : kSerialNumberSubKindLetters) EXPECT_EQ(std::string(letter).size(), 1u);
}

TEST(TripNumberText, IsTSNAndTheLastEightDigits) {
  EXPECT_EQ(TripNumberText(1234), "TSN 00001234");
  EXPECT_EQ(TripNumberText(0), "TSN 00000000");
  EXPECT_EQ(TripNumberText(99999999), "TSN 99999999");
  EXPECT_EQ(TripNumberText(123456789), "TSN 23456789");
  EXPECT_EQ(TripNumberText(-1), "TSN 99999999");  // (t + 10^8) modulo 10^8
  EXPECT_EQ(TripNumberText(1234).size(), 12u);
}

TEST(EnumerationTexts, LongAndShortFormsAndTheDefaultForUnknownValues) {
  EXPECT_EQ(LoggerTypeText(ltTemperatureHumidity), "Temperature and Humidity");
  EXPECT_EQ(LoggerTypeShortText(ltDualTemperatureHumidity), "THT");
  EXPECT_EQ(LoggerTypeText(static_cast<TKV6LoggerType>(200)), "Unknown");
  EXPECT_EQ(LoggerTypeShortText(ltUnknown), "???");
  EXPECT_EQ(LoggerClassText(lcPel3a), "Pel3a");
  EXPECT_EQ(LoggerClassText(static_cast<TKV6LoggerClass>(9)), "unknown");
  EXPECT_EQ(LoggerModeText(lmStartDelay), "Start delay");
  EXPECT_EQ(LoggingModeText(lgTemperatureSecondTemperature), "Temperature, Temperature (2nd Ch.)");
  EXPECT_EQ(LoggingModeShortText(lgInvalid), "Inv.");
  EXPECT_EQ(SafeRangeStatusText(srAboveSafeRange), "Above Safe range");
  EXPECT_EQ(SensorLocationShortText(slRemote), "Rem.");
  EXPECT_EQ(LoggedParameterText(lpUnknown), "??");
  EXPECT_EQ(RecalExpiryStatusText(rsInRecalPeriod), "OK (in recal. period)");
  EXPECT_EQ(EncodingFormatText(efJSONFormatted), "JSON (f)");
  EXPECT_EQ(HashFormatText(hfSHA256), "SHA256");
  EXPECT_EQ(CompressionFormatText(cfZIP), "ZIP");
  EXPECT_EQ(EncryptionFormatText(nfAES256), "AES256");
  EXPECT_EQ(KeyKindText(kkDefault), "Default");
}

TEST(DigestStatus, EveryStatusHasItsNameAndExplanation) {
  EXPECT_EQ(DigestStatusText(dsCRCPassed), "CRC Passed");
  EXPECT_EQ(DigestStatusText(dsCRCFailed), "CRC failed");
  EXPECT_EQ(DigestStatusText(dsDigestNotCalculated), "Digest not calculated");
  EXPECT_EQ(DigestStatusExplanation(dsUnknown).rfind("The digest status of this file in unknown.  ", 0), 0u);
  EXPECT_NE(DigestStatusExplanation(dsDigestOK).find("(HMAC256)"), std::string::npos);
  for (int v = 0; v <= 10; ++v) {
    EXPECT_FALSE(DigestStatusText(static_cast<TKV6DigestStatus>(v)).empty());
    EXPECT_GT(DigestStatusExplanation(static_cast<TKV6DigestStatus>(v)).size(), 40u);
  }
}

TEST(ResultCodes, HaveTheirFixedTexts) {
  EXPECT_EQ(ResultCodeText(rcOK), "OK");
  EXPECT_EQ(ResultCodeText(rcUnknownError), "Unknown error");
  EXPECT_EQ(ResultCodeText(rcException), "Exception");
  EXPECT_EQ(ResultCodeText(rcErrorReadingFile), "Error reading file");
  EXPECT_EQ(ResultCodeText(rcFileFormatError), "File format error");
  EXPECT_EQ(ResultCodeText(rcFileIsEmpty), "File is empty");
  EXPECT_EQ(ResultCodeText(rcErrorLoadingDataFile), "Error loading data file");
  EXPECT_EQ(ResultCodeText(99), "Unknown result code (99)");
}

TEST(SensorRange, SecondColumnOfTheTableAndZeroBeyondIt) {
  EXPECT_EQ(TemperatureSensorRange(6).Lower, -40);
  EXPECT_EQ(TemperatureSensorRange(6).Upper, 125);
  EXPECT_EQ(TemperatureSensorRange(8).Lower, -224);
  EXPECT_EQ(TemperatureSensorRange(8).Upper, 40);
  EXPECT_EQ(TemperatureSensorRange(12).Upper, 0);
  EXPECT_EQ(TemperatureSensorRange(13).Lower, 0);
}

}  // namespace
}  // namespace qvs

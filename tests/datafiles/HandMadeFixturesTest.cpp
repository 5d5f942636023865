// Reads the hand-made fixtures of data/ (see data/README.md) and checks what they hold against
// values worked out by hand from their bytes.
#include <gtest/gtest.h>

#include "DataFilesTestSupport.h"
#include "core/CommaText.h"

namespace qvs {
namespace {

std::string Fixture(const char* name) { return std::string(QVS_DATAFILES_TEST_DATA) + "/" + name; }

test::TReadOutcome Read(const char* name) {
  test::TReadOutcome o;
  LoadLegacyKVDataFileIntoLoggerDataSet(Fixture(name), o.DataSet, o.Result, o.Message, test::TestNow());
  return o;
}

TEST(HandMadeFixtures, VersionSevenTemperatureAndHumidity) {
  const auto o = Read("version7_th_calibrated.kv");
  ASSERT_EQ(o.Result, rcOK) << o.Message;
  const auto& ds = o.DataSet;
  EXPECT_EQ(ds.StoredCRC, 0x384875d1u);
  EXPECT_EQ(ds.ComputedCRC, 0x384875d1u);
  EXPECT_EQ(ds.StoredChecksum, 55);
  EXPECT_EQ(ds.ComputedChecksum, 55);
  EXPECT_EQ(ds.DigestStatus, dsCRCPassed);
  EXPECT_EQ(ds.OriginalFileFormatRevision, 7);
  EXPECT_EQ(ds.FirmwareVersion.ToString(), "3.2.14.0");
  EXPECT_EQ(ds.LoggerClass, lcPel3a);
  EXPECT_EQ(ds.SoftwareVersionCreated.ToString(), "6.12.0.0");
  EXPECT_EQ(ds.SerialNumber, (1u << 28) | 1234u);
  EXPECT_EQ(ds.FormattedSerialNumber, std::string(kSerialNumberKindLetters[1]) + "0001234");
  EXPECT_EQ(ds.TSN, 7);
  EXPECT_EQ(ds.OwnerName, "QA");
  EXPECT_EQ(ds.UserData, ToCommaText({"Room 4", "", "", "", ""}));
  EXPECT_EQ(ds.LoggerType, ltTemperatureHumidity);
  EXPECT_EQ(ds.LoggingMode, lgTemperatureHumidity);
  EXPECT_EQ(ds.LoggerMode, lmStopped);
  EXPECT_TRUE(ds.StartWithButton);
  EXPECT_EQ(ds.TotalTrips, 1);
  EXPECT_EQ(ds.TotalSamples, 3);
  EXPECT_EQ(ds.SamplesLogged, 3);
  EXPECT_EQ(ds.MemorySize, 16384);

  // Read 1,400,000,000 s after 1980; activated 4000 s before; first sample 2000 s and last 2120 s
  // after activation.
  const TDateTime read = EncodeDate(1980, 1, 1) + 1400000000 / 86400.0;
  EXPECT_NEAR(ds.LDSDateTimeSamplesRead, read, 1e-9);
  EXPECT_NEAR(ds.LDSDateOfActivation, read - 4000 / 86400.0, 1e-9);
  EXPECT_NEAR(ds.LDSDateOfFirstSample, read - 2000 / 86400.0, 1e-9);
  EXPECT_NEAR(ds.LDSDateOfLastSample, read - 1880 / 86400.0, 1e-9);
  EXPECT_NEAR(ds.SamplePeriod, 60 / 86400.0, 1e-15);

  // Raw 20.00, 20.50, -1.25 plus 0.25; raw 45.00, 50.00, 55.50 minus 1.00.
  ASSERT_EQ(ds.Channels[0].Samples.size(), 3u);
  EXPECT_NEAR(ds.Channels[0].Samples[0], 20.25, 1e-12);
  EXPECT_NEAR(ds.Channels[0].Samples[1], 20.75, 1e-12);
  EXPECT_NEAR(ds.Channels[0].Samples[2], -1.00, 1e-12);
  ASSERT_EQ(ds.Channels[1].Samples.size(), 3u);
  EXPECT_NEAR(ds.Channels[1].Samples[0], 44.0, 1e-12);
  EXPECT_NEAR(ds.Channels[1].Samples[1], 49.0, 1e-12);
  EXPECT_NEAR(ds.Channels[1].Samples[2], 54.5, 1e-12);
  EXPECT_EQ(ds.Channels[0].LowerLimit, -10.0);
  EXPECT_EQ(ds.Channels[0].UpperLimit, 40.0);
  EXPECT_NEAR(ds.Channels[1].LowerLimit, 9.0, 1e-12);
  EXPECT_NEAR(ds.Channels[1].UpperLimit, 89.0, 1e-12);
  EXPECT_EQ(ds.Channels[0].SafeRangeStatus, srEntered);
  EXPECT_EQ(ds.Channels[0].MinLoggedValue, -40);
  EXPECT_EQ(ds.Channels[0].MaxLoggedValue, 125);

  EXPECT_EQ(ds.Markers, (std::vector<TKV6MarkerEntry>{{2, 2}}));
  ASSERT_EQ(ds.Comments.size(), 1u);
  EXPECT_EQ(ds.Comments[0].Title, "Site: Lab 2");
  EXPECT_NEAR(ds.Comments[0].ValuePosition, 20.25, 1e-12);

  EXPECT_NE(ds.MemoryImageText.find("0020  04 03 40 04 01 01 1e 00 30 f9 00 00 18 fd 00 00 \r\n"), std::string::npos);
  EXPECT_NE(ds.MemoryImageText.find("\r\n\r\n0000  d2 04 00 10 de ad be ef 52 6f 6f 6d 20 34 20 20 \r\n"),
            std::string::npos);
}

TEST(HandMadeFixtures, VersionFiveTemperature) {
  const auto o = Read("version5_temperature.kv");
  ASSERT_EQ(o.Result, rcOK) << o.Message;
  const auto& ds = o.DataSet;
  EXPECT_EQ(ds.StoredCRC, 0x436aec48u);
  EXPECT_EQ(ds.ComputedCRC, 0x436aec48u);
  EXPECT_EQ(ds.ComputedChecksum, 231);
  EXPECT_EQ(ds.DigestStatus, dsCRCPassed);
  EXPECT_EQ(ds.OriginalFileFormatRevision, 5);
  EXPECT_EQ(ds.FirmwareVersion.ToString(), "1.1.50.0");
  EXPECT_EQ(ds.LoggerClass, lcPel1Pel3);
  EXPECT_FALSE(ds.RecalExpirySupported);
  EXPECT_EQ(ds.RecalExpiryStatus, rsNotSupported);
  EXPECT_EQ(ds.SoftwareVersionCreated.ToString(), "3.5.0.0");
  EXPECT_EQ(ds.FormattedSerialNumber, std::string(kSerialNumberKindLetters[2]) + "0000077");
  EXPECT_EQ(ds.OwnerName, "COLD");
  EXPECT_EQ(ds.TSN, 123);
  EXPECT_EQ(ds.LoggerType, ltTemperature);
  EXPECT_EQ(ds.LoggingMode, lgTemperature);
  EXPECT_EQ(ds.TotalSamples, 250);
  EXPECT_EQ(ds.TotalTrips, 3);
  ASSERT_EQ(ds.Channels[0].Samples.size(), 2u);  // the odd last byte is ignored
  EXPECT_EQ(ds.Channels[0].Samples[0], 4.5);
  EXPECT_EQ(ds.Channels[0].Samples[1], 8.25);
  EXPECT_TRUE(ds.Channels[1].Samples.empty());
  EXPECT_EQ(ds.Channels[1].LoggedParameter, lpNone);
  EXPECT_EQ(ds.Channels[0].UpperLimit, 8.0);
  EXPECT_TRUE(ds.Channels[0].UpperLimitExceeded);
  EXPECT_FALSE(ds.Channels[0].LowerLimitExceeded);
  EXPECT_NEAR(ds.SamplePeriod, 600 / 86400.0, 1e-15);
  const TDateTime read = EncodeDate(1980, 1, 1) + 600000000 / 86400.0;
  EXPECT_NEAR(ds.LDSDateOfLastSample, read - 10000 / 86400.0 + 8300 / 86400.0, 1e-9);
  EXPECT_NEAR(ds.LDSDateOfFirstSample, ds.LDSDateOfLastSample - 600 / 86400.0, 1e-9);
  EXPECT_EQ(ds.Markers, (std::vector<TKV6MarkerEntry>{{2, 1}}));
  ASSERT_EQ(ds.Comments.size(), 1u);
  EXPECT_EQ(ds.Comments[0].Title, "Freezer validation");
  EXPECT_EQ(ds.Comments[0].Text, "\"Freezer validation\"");
}

}  // namespace
}  // namespace qvs

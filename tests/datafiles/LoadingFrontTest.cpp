#include <gtest/gtest.h>

#include <cmath>

#include "DataFilesTestSupport.h"
#include "datafiles/LoadingFront.h"

namespace qvs {
namespace {

using sim::TLoggerDescription;
using test::TTempFolder;

TEST(DetectDataFileEncoding, LooksAtTheFirstBytes) {
  TTempFolder folder;
  struct Case {
    const char* Name;
    std::string Bytes;
    TKV6EncodingFormat Expected;
  };
  const Case cases[] = {
      {"a.kvx", "<?xml version=\"1.0\"?><KV6/>", efXML},
      {"b.kvx", "{\"SerialNumber\": 1}", efJSON},
      {"c.kv", "VELQOR\x08\x00", efLegacy},
      {"d.kv", "VELQO", efUnknown},
      {"e.kv", "velqor", efUnknown},
      {"f.txt", " <xml/>", efUnknown},
      {"g.kv", "", efUnknown},
  };
  for (const auto& c : cases) {
    const std::string path = folder.Write(c.Name, c.Bytes);
    EXPECT_EQ(DetectDataFileEncoding(path), c.Expected) << c.Name;
    EXPECT_EQ(IsLegacyDataFile(path), c.Expected == efLegacy) << c.Name;
    EXPECT_EQ(IsDataFile(path), c.Expected != efUnknown) << c.Name;
  }
  EXPECT_EQ(DetectDataFileEncoding(folder.File("missing.kv")), efUnknown);
  EXPECT_EQ(DetectDataFileEncoding(folder.Folder()), efUnknown);
  EXPECT_FALSE(IsDataFile(folder.Folder()));
}

TEST(LoadingFront, PicksTheReaderByTheExtension) {
  struct Case {
    const char* Name;
    bool Structured;
  };
  const Case cases[] = {{"x.kvx", true},   {"X.KVX", true},        {"dir.kvx/x.kv", false}, {"x.kv", false},
                        {"x.KV", false},   {"x.dat", false},       {"x", false},            {"x.kvx.bak", false},
                        {"/a/b.Kvx", true}};
  for (const auto& c : cases)
    EXPECT_EQ(std::string(DataFileFormatFor(c.Name).Extension) == ".kvx", c.Structured) << c.Name;
}

TEST(LoadingFront, StructuredFilesFailClearlyUntilTheyCanBeRead) {
  TTempFolder folder;
  const std::string path = folder.Write("logger.KVX", "<KV6/>");
  TLoggerData data;
  EXPECT_FALSE(LoadDataFileIntoLoggerData(path, data, test::TestNow()));
  EXPECT_EQ(data.ErrorCode, rcErrorLoadingDataFile);
  EXPECT_EQ(data.ErrorText, "Structured data files (.kvx) cannot be read by this version of QVS");
  EXPECT_EQ(data.SecondErrorText, "Error loading data file");
  EXPECT_EQ(LoadErrorText(data),
            "Error 160 (Structured data files (.kvx) cannot be read by this version of QVS - Error loading data file)");
}

TEST(LoadingFront, LegacyFileIsCopiedIntoTheLoggerData) {
  TTempFolder folder;
  TLoggerDescription d;
  d.Logging = sim::TLogging::TemperatureHumidity;
  d.SampleCount = 120;
  d.Temperature = sim::TSignal::Constant(5.0);
  d.Humidity = sim::TSignal::Constant(40.0);
  d.TemperaturePoints = {{5.0, 0.25}};
  d.Markers = {10, 10, 60};
  d.SerialNumber = sim::MakeSerialNumber(4, 123, 2);
  d.TSN = 321;
  d.OwnerName = "QA LAB";
  d.UserData = {"first line"};
  d.RefurbishCount = 2;
  d.ManufactureDate = EncodeDate(2023, 5, 1);
  d.RecalPeriodDays = 365;
  d.GraceDays = 30;
  d.StartDelaySeconds = 600;
  d.Channel1LowerLimit = 2;
  d.Channel1UpperLimit = 8;
  d.AlarmDelay = 3;
  const std::string path = folder.Write("cold room.kv", test::AsString(sim::BuildLegacyFile(d).Bytes));

  TLoggerData data;
  ASSERT_TRUE(LoadDataFileIntoLoggerData(path, data, test::TestNow())) << data.ErrorText;
  EXPECT_EQ(data.ErrorCode, 0);
  EXPECT_EQ(data.ErrorText, "");
  EXPECT_FALSE(data.CRCError);
  EXPECT_EQ(data.StatusByte1, 0);
  EXPECT_EQ(data.StatusByte2, 1);
  EXPECT_EQ(data.LoggerType, 3);
  EXPECT_EQ(data.HardwareFamilyCode, 1);
  EXPECT_EQ(data.LoggerSubType, 14);
  EXPECT_EQ(data.CombinedFirmwareNumber, 214);
  EXPECT_EQ(data.Version, (std::array<std::uint16_t, 4>{3, 2, 14, 0}));
  EXPECT_EQ(data.SerialNumber, d.SerialNumber);
  EXPECT_EQ(data.FormattedSerialNumber, SerialNumberText(d.SerialNumber));
  EXPECT_EQ(data.SoftwareVersion, (std::array<std::uint16_t, 4>{6, 12, 0, 0}));
  EXPECT_EQ(data.FileFormatRevision, 8);
  EXPECT_EQ(data.FileName, "cold room.kv");
  EXPECT_EQ(data.DisplayFileName, "cold room.kv");
  EXPECT_EQ(data.TripNumberText, "TSN 00000321");
  EXPECT_EQ(data.OwnerName, "QA LAB");
  EXPECT_EQ(data.RefurbishCount, '2');
  EXPECT_EQ(data.RecalibrationFlagA, 3);  // stopped
  EXPECT_EQ(data.RecalibrationFlagB, 1);
  EXPECT_EQ(data.TotalSamples, 120);
  EXPECT_EQ(data.SamplesLogged, 240);  // temperature and humidity
  EXPECT_EQ(data.LoggedParameter, 2);
  EXPECT_NEAR(data.SamplePeriod, 1.0 / 1440, 1e-15);
  EXPECT_NEAR(data.StartDelay, 600 / 86400.0, 1e-15);
  EXPECT_EQ(data.StartDelayTwoSecondUnits, 300);
  EXPECT_EQ(data.Channel1AlarmDelay, 3);
  EXPECT_EQ(data.Channel2AlarmDelay, 3);
  EXPECT_EQ(data.Channel1LowerLimit, 2);
  EXPECT_EQ(data.Channel1UpperLimit, 8);
  EXPECT_EQ(data.TemperatureSensorLowerRange, -40);
  EXPECT_EQ(data.TemperatureSensorUpperRange, 125);
  EXPECT_EQ(data.RecalibrationGraceDays, 30);
  EXPECT_EQ(data.RecalibrationPeriodDays, 365);
  EXPECT_NEAR(data.RecalibrationBaseDate, EncodeDate(2023, 5, 1), 1e-9);  // TZ is UTC
  EXPECT_EQ(data.Resolution, 0.01);
  // Legacy times are local times of an unknown zone and stay as they are.
  EXPECT_NEAR(data.FirstSampleTime, d.FirstSampleTime, 1e-9);
  EXPECT_NEAR(data.LastSampleTime, d.FirstSampleTime + 119.0 / 1440, 1e-9);

  ASSERT_EQ(data.SampleSet.TemperatureSamples.Count(), 120);
  EXPECT_EQ(data.SampleSet.TemperatureSamples.Get(0), static_cast<float>(5.25));
  ASSERT_EQ(data.SampleSet.HumiditySamples.Count(), 120);
  EXPECT_EQ(data.SampleSet.HumiditySamples.Get(119), 40.0);
  ASSERT_EQ(data.SampleSet.MarkerEntries.Count(), 2);
  EXPECT_EQ(data.SampleSet.MarkerEntries.Entries[0], TMarkerList::Pack(2, 10));
  EXPECT_EQ(data.SampleSet.MarkerEntries.Entries[1], TMarkerList::Pack(1, 60));
}

TEST(LoadingFront, AWrongCRCFailsTheLoadButKeepsTheData) {
  TTempFolder folder;
  TLoggerDescription d;
  d.SampleCount = 30;
  d.CRCOverride = 0x12345678;
  const std::string path = folder.Write("bad.kv", test::AsString(sim::BuildLegacyFile(d).Bytes));
  TLoggerData data;
  EXPECT_FALSE(LoadDataFileIntoLoggerData(path, data, test::TestNow()));
  EXPECT_TRUE(data.CRCError);
  EXPECT_EQ(data.ErrorText, "CRC error");
  EXPECT_EQ(data.ErrorCode, 0);
  EXPECT_EQ(data.SampleSet.TemperatureSamples.Count(), 30);
  EXPECT_EQ(data.SerialNumber, d.SerialNumber);
}

TEST(LoadingFront, ARejectedFileFailsWithTheReadersCodeAndMessage) {
  TTempFolder folder;
  TLoggerDescription d;
  d.MarkerCountOverride = 101;
  struct Case {
    std::string Path;
    std::int32_t Code;
    std::string Message;
  };
  const Case cases[] = {
      {folder.Write("markers.kv", test::AsString(sim::BuildLegacyFile(d).Bytes)), rcFileFormatError,
       "Invalid marker count (101)"},
      {folder.Write("short.dat", "VELQOR\x07"), rcErrorReadingFile, "Unexpected EOF"},
      {folder.Write("noext", ""), rcErrorReadingFile, "Unexpected EOF"},
      {folder.Folder() + "none.kv", rcErrorReadingFile,
       "Exception: Cannot open file \"" + folder.Folder() + "none.kv\". No such file or directory"},
  };
  for (const auto& c : cases) {
    TLoggerData data;
    data.SampleSet.TemperatureSamples.Add(1.0);  // anything from before is gone
    EXPECT_FALSE(LoadDataFileIntoLoggerData(c.Path, data, test::TestNow())) << c.Path;
    EXPECT_EQ(data.ErrorCode, c.Code) << c.Path;
    EXPECT_EQ(data.ErrorText, c.Message) << c.Path;
    EXPECT_EQ(data.SecondErrorText, ResultCodeText(static_cast<std::uint8_t>(c.Code)));
    EXPECT_EQ(data.SampleSet.TemperatureSamples.Count(), 0);
    EXPECT_FALSE(data.CRCError);
  }
}

TEST(LoadingFront, CopyLimitsAndMapsItsTargets) {
  TKV6LoggerDataSet ds;
  ds.LoggingMode = lgTemperatureHumidity;
  ds.SamplesLogged = 1000;
  ds.StartDelay = 2.0;
  ds.GracePeriod = 300;
  ds.RecalExpiryPeriod = 70000;
  ds.FirmwareVersion = TKV6VersionNumber::FromString("3.2.15.0");
  TLoggerData data;
  CopyDataSetIntoLoggerData(ds, data, test::TestNow());
  EXPECT_EQ(data.SamplesLogged, 2000);
  EXPECT_EQ(data.StartDelayTwoSecondUnits, 65535);
  EXPECT_EQ(data.RecalibrationGraceDays, 255);
  EXPECT_EQ(data.RecalibrationPeriodDays, 65535);
  EXPECT_EQ(data.LoggerType, 3);
  EXPECT_EQ(data.HardwareFamilyCode, 1);
  EXPECT_EQ(data.LoggerSubType, 15);
  EXPECT_EQ(data.CombinedFirmwareNumber, 215);
  EXPECT_EQ(data.RecalibrationFlagA, 4);  // unknown mode

  ds.StartDelay = -1;
  ds.GracePeriod = -3;
  ds.LoggingMode = lgHumidity;
  CopyDataSetIntoLoggerData(ds, data, test::TestNow());
  EXPECT_EQ(data.StartDelayTwoSecondUnits, 0);
  EXPECT_EQ(data.RecalibrationGraceDays, 0);
  EXPECT_EQ(data.SamplesLogged, 1000);
  EXPECT_EQ(data.LoggedParameter, 1);

  const std::pair<std::uint16_t, std::uint8_t> families[] = {{1, 1}, {2, 1}, {3, 3}, {4, 0}, {5, 2}, {6, 4}, {7, 0}};
  for (const auto& [number, family] : families) {
    ds.FirmwareVersion.Numbers[1] = number;
    CopyDataSetIntoLoggerData(ds, data, test::TestNow());
    EXPECT_EQ(data.HardwareFamilyCode, family) << number;
  }
}

TEST(LoadingFront, ValuesThatDoNotFitFailTheLoad) {
  TKV6LoggerDataSet ds;
  TLoggerData data;
  ds.TotalSamples = -5;
  EXPECT_THROW(CopyDataSetIntoLoggerData(ds, data, test::TestNow()), ERangeError);
  ds.TotalSamples = 0;
  ds.FirmwareVersion = TKV6VersionNumber::FromString("300.0.0.0");
  EXPECT_THROW(CopyDataSetIntoLoggerData(ds, data, test::TestNow()), ERangeError);

  // Through the front: a lifetime counter beyond the signed range fails the load clearly.
  TTempFolder folder;
  TLoggerDescription d;
  d.TotalSamples = 0x90000000u;
  const std::string path = folder.Write("counter.kv", test::AsString(sim::BuildLegacyFile(d).Bytes));
  EXPECT_FALSE(LoadDataFileIntoLoggerData(path, data, test::TestNow()));
  EXPECT_EQ(data.ErrorCode, rcFileFormatError);
  EXPECT_EQ(data.ErrorText, "Value out of range: total samples (-1879048192)");
  EXPECT_EQ(data.SampleSet.TemperatureSamples.Count(), 0);
}

TEST(LoadingFront, TextsAreCutToTheirRoom) {
  TKV6LoggerDataSet ds;
  ds.OwnerName = "\xC3\xA9tiquette";  // 9 characters, the first two bytes long
  ds.UserData = std::string(200, 'u');
  TLoggerData data;
  CopyDataSetIntoLoggerData(ds, data, test::TestNow());
  EXPECT_EQ(data.OwnerName, "\xC3\xA9tiquett");
  EXPECT_EQ(data.UserData.size(), 159u);
}

TEST(LoadingFront, DatesPlusThePCOffsetAndLocalAtDate) {
  test::TScopedTimeZone tz("Europe/Berlin");
  TKV6LoggerDataSet ds;
  ds.UTCDateTimeFileLastSaved = EncodeDateTime(2024, 1, 5, 10, 0, 0);
  ds.UTCDateOfBuild = EncodeDateTime(2009, 1, 14, 3, 14, 32);
  ds.StartOnUTCDateTime = EncodeDateTime(2024, 2, 1, 0, 0, 0);
  ds.ManufactureUTCDate = EncodeDateTime(2023, 7, 1, 12, 0, 0);
  ds.TimeZoneOffsetSamplesRead = 1.0 / 24;  // a real offset: logger times are universal
  ds.LDSDateOfFirstSample = EncodeDateTime(2024, 3, 1, 8, 0, 0);
  TLoggerData data;
  const TDateTime summerNow = EncodeDateTime(2024, 7, 1, 12, 0, 0);  // the PC is on +2 h now
  CopyDataSetIntoLoggerData(ds, data, summerNow);
  EXPECT_NEAR(data.TimeFileLastSaved, ds.UTCDateTimeFileLastSaved + 2.0 / 24, 1e-9);
  EXPECT_NEAR(data.FirmwareBuildDate, ds.UTCDateOfBuild + 2.0 / 24, 1e-9);
  EXPECT_NEAR(data.ProgrammedStartTime, ds.StartOnUTCDateTime + 2.0 / 24, 1e-9);
  EXPECT_NEAR(data.FirstSampleTime, ds.LDSDateOfFirstSample + 2.0 / 24, 1e-9);
  EXPECT_NEAR(data.RecalibrationBaseDate, ds.ManufactureUTCDate + 2.0 / 24, 1e-9);  // summer at that date
  ds.ManufactureUTCDate = EncodeDateTime(2023, 12, 1, 12, 0, 0);
  CopyDataSetIntoLoggerData(ds, data, summerNow);
  EXPECT_NEAR(data.RecalibrationBaseDate, ds.ManufactureUTCDate + 1.0 / 24, 1e-9);  // winter at that date
}

TEST(LocalAtDate, YearsOutsideTheRuleRangeUseTheRulesOf2004Or2020) {
  // Sao Paulo kept daylight saving (-2 h in January) from before 2004 until 2019 and had none in
  // 1980; the clamp applies the 2004 rules to 1980 and the 2020 rules (no daylight saving) to 2030.
  test::TScopedTimeZone tz("America/Sao_Paulo");
  struct Case {
    TDateTime Utc;
    double OffsetHours;
  };
  const Case cases[] = {
      {EncodeDateTime(1980, 1, 15, 12, 0, 0), -2}, {EncodeDateTime(2015, 1, 15, 12, 0, 0), -2},
      {EncodeDateTime(2015, 7, 15, 12, 0, 0), -3}, {EncodeDateTime(2030, 1, 15, 12, 0, 0), -3},
      {EncodeDateTime(2019, 1, 15, 12, 0, 0), -2}, {EncodeDateTime(2020, 1, 15, 12, 0, 0), -3},
  };
  for (const auto& c : cases) EXPECT_NEAR(LocalAtDate(c.Utc), c.Utc + c.OffsetHours / 24, 1e-9) << c.Utc;
  EXPECT_TRUE(std::isnan(LocalAtDate(std::nan(""))));
}

}  // namespace
}  // namespace qvs

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "DataFilesTestSupport.h"
#include "core/CommaText.h"
#include "core/Format.h"

namespace qvs {
namespace {

using sim::TLoggerDescription;
using test::ReadBytes;
using test::ReadSimulated;
using test::TTempFolder;

TLoggerDescription Small(int version) {
  TLoggerDescription d;
  d.Version = version;
  d.SampleCount = 50;
  d.Temperature.Base = 21.0;
  d.Temperature.DriftPerDay = 24.0;  // one degree an hour
  if (version >= 7) {
    d.Logging = sim::TLogging::TemperatureHumidity;
    d.Humidity.Base = 45.5;
  }
  return d;
}

// What the reader leaves when it stops at a failure: only its first step.
void ExpectOnlyTheFirstStep(const test::TReadOutcome& o) {
  EXPECT_EQ(o.DataSet.SourceKind, 0);
  EXPECT_EQ(o.DataSet.EncodingFormat, efLegacy);
  EXPECT_EQ(o.DataSet.HashFormat, hfNone);
  EXPECT_EQ(o.DataSet.CompressionFormat, cfNone);
  EXPECT_EQ(o.DataSet.EncryptionFormat, nfNone);
  EXPECT_TRUE(o.DataSet.Channels[0].Samples.empty());
  EXPECT_TRUE(o.DataSet.Markers.empty());
  EXPECT_EQ(o.DataSet.SerialNumber, 0u);
  EXPECT_TRUE(o.DataSet.FileName.empty());
}

TEST(LegacyReader, ReadsEveryVersionTheSimulatorWrites) {
  for (int version = 5; version <= 8; ++version) {
    SCOPED_TRACE(version);
    TTempFolder folder;
    const auto d = Small(version);
    const auto file = sim::BuildLegacyFile(d);
    const auto o = ReadBytes(folder, file.Bytes);
    ASSERT_EQ(o.Result, rcOK) << o.Message;
    EXPECT_EQ(o.Message, "");
    const auto& ds = o.DataSet;
    EXPECT_EQ(ds.SourceKind, 4);
    EXPECT_EQ(ds.OriginalFileFormatRevision, version);
    EXPECT_EQ(ds.FileFormatRevision, 10);
    EXPECT_EQ(ds.DigestStatus, dsCRCPassed);
    EXPECT_EQ(ds.StoredCRC, file.CRC);
    EXPECT_EQ(ds.ComputedCRC, file.CRC);
    EXPECT_EQ(ds.StoredChecksum, file.Checksum);
    EXPECT_EQ(ds.ComputedChecksum, file.Checksum);
    EXPECT_EQ(ds.SerialNumber, d.SerialNumber);
    EXPECT_EQ(ds.FirmwareVersion.ToString(), "3.2.14.0");
    EXPECT_EQ(ds.SoftwareVersionCreated.ToString(), "6.12.0.0");
    EXPECT_EQ(ds.SoftwareVersionSaved.ToString(), "6.12.0.0");
    EXPECT_EQ(ds.FileName, folder.File("logger.kv"));
    EXPECT_EQ(ds.OriginalFileID, ds.FileName);
    EXPECT_EQ(ds.LoggerMode, lmStopped);
    EXPECT_EQ(ds.SamplesLogged, 50);
    EXPECT_EQ(ds.EndSample, 50);
    EXPECT_EQ(ds.StartSample, 1);
    EXPECT_TRUE(ds.ShowGraphComments);
    EXPECT_NEAR(ds.SamplePeriod, 1.0 / 1440, 1e-15);
    EXPECT_NEAR(ds.LDSDateOfFirstSample, d.FirstSampleTime, 1e-9);
    EXPECT_NEAR(ds.LDSDateOfLastSample, d.FirstSampleTime + 49.0 / 1440, 1e-9);
    EXPECT_NEAR(ds.LDSDateTimeSamplesRead, file.ReadTime, 1e-9);
    EXPECT_EQ(ds.TimeZoneOffsetSamplesRead, -23.0 / 24);
    EXPECT_EQ(ds.TimeZoneNameSamplesRead, "Unknown");
    ASSERT_EQ(ds.Channels[0].Samples.size(), 50u);
    for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(ds.Channels[0].Samples[i], file.RawTemperature[i] / 100.0);
    EXPECT_NEAR(ds.Channels[0].Samples[49], 21.0 + 49.0 / 60, 0.006);
    if (version >= 7) {
      ASSERT_EQ(ds.Channels[1].Samples.size(), 50u);
      EXPECT_EQ(ds.Channels[1].Samples[7], 45.5);
      EXPECT_EQ(ds.LoggingMode, lgTemperatureHumidity);
    } else {
      EXPECT_TRUE(ds.Channels[1].Samples.empty());
      EXPECT_EQ(ds.LoggingMode, lgTemperature);
    }
    EXPECT_FALSE(ds.MemoryImageText.empty());
  }
}

TEST(LegacyReader, SamplesAreCorrectedByTheCalibrationPoints) {
  TTempFolder folder;
  auto d = Small(8);
  d.Temperature = sim::TSignal::Constant(20.0);
  d.Humidity = sim::TSignal::Constant(104.5);
  d.TemperaturePoints = {{20.0, 0.30}};
  d.HumidityPoints = {{50.0, 1.0}};
  auto o = ReadSimulated(folder, d);
  ASSERT_EQ(o.Result, rcOK);
  EXPECT_NEAR(o.DataSet.Channels[0].Samples[0], 20.30, 1e-12);
  EXPECT_EQ(o.DataSet.Channels[1].Samples[0], 105.0);  // 105.5 limited

  d.CheckWord = 1;  // does not match: no correction
  o = ReadSimulated(folder, d);
  ASSERT_EQ(o.Result, rcOK);
  EXPECT_EQ(o.DataSet.Channels[0].Samples[0], 20.0);
  EXPECT_EQ(o.DataSet.Channels[1].Samples[0], 104.5);
}

TEST(LegacyReader, RefusesAWrongSpecifierShowingAllSixBytes) {
  TTempFolder folder;
  const auto good = sim::BuildLegacyFile(Small(8)).Bytes;
  for (std::size_t i = 0; i < 6; ++i) {
    auto bytes = good;
    bytes[i] = static_cast<std::uint8_t>(bytes[i] ^ 0x20);
    const auto o = ReadBytes(folder, bytes);
    EXPECT_EQ(o.Result, rcFileFormatError);
    char hex[13];
    std::snprintf(hex, sizeof hex, "%02x%02x%02x%02x%02x%02x", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                  bytes[5]);
    EXPECT_EQ(o.Message, "Invalid file specifier (" + std::string(hex) + ")");
    ExpectOnlyTheFirstStep(o);
  }
  auto bytes = good;
  bytes[0] = 0x01;
  bytes[5] = 0xAB;
  EXPECT_EQ(ReadBytes(folder, bytes).Message, "Invalid file specifier (01454c514fab)");
}

TEST(LegacyReader, ContentChecksAndTheirMessages) {
  struct Case {
    const char* What;
    std::function<void(TLoggerDescription&)> Change;
    TKV6ResultCode Result;
    std::string Message;
  };
  const std::vector<Case> cases = {
      {"version 4", [](TLoggerDescription& d) { d.Version = 4; }, rcFileFormatError, "File version not supported (4)"},
      {"version 9", [](TLoggerDescription& d) { d.Version = 9; }, rcFileFormatError, "File version not supported (9)"},
      {"101 markers", [](TLoggerDescription& d) { d.MarkerCountOverride = 101; }, rcFileFormatError,
       "Invalid marker count (101)"},
      {"65535 markers", [](TLoggerDescription& d) { d.MarkerCountOverride = 65535; }, rcFileFormatError,
       "Invalid marker count (65535)"},
      {"100 markers", [](TLoggerDescription& d) { d.Markers.assign(100, 3); }, rcOK, ""},
      {"32769 temperatures", [](TLoggerDescription& d) { d.TemperatureCountOverride = 32769; }, rcFileFormatError,
       "Invalid total temperature samples count (32769)"},
      {"temperatures beyond the memory",
       [](TLoggerDescription& d) {
         d.MemoryPages = 1;
         d.SampleCount = 2;
       },
       rcFileFormatError, "Total temperature samples (2) exceeds logging memory size (1)"},
      {"32769 humidities", [](TLoggerDescription& d) { d.HumidityCountOverride = 32769; }, rcFileFormatError,
       "Invalid total humidity samples count (32769)"},
      {"humidities beyond the memory",
       [](TLoggerDescription& d) {
         d.Logging = sim::TLogging::Humidity;
         d.MemoryPages = 1;
         d.SampleCount = 2;
       },
       rcFileFormatError, "Total humidity samples (2) exceeds logging memory size (1)"},
      {"more temperatures than the file has", [](TLoggerDescription& d) { d.TemperatureCountOverride = 51; },
       rcErrorReadingFile, "Unexpected EOF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TTempFolder folder;
    auto d = Small(8);
    c.Change(d);
    // The simulator refuses versions it cannot write: write a version 8 file and change its number.
    const int version = d.Version;
    if (version < 5 || version > 8) d.Version = 8;
    auto bytes = sim::BuildLegacyFile(d).Bytes;
    test::Put16(bytes, 6, static_cast<std::uint32_t>(version));
    const auto o = ReadBytes(folder, bytes);
    EXPECT_EQ(o.Result, c.Result);
    EXPECT_EQ(o.Message, c.Message);
    if (c.Result != rcOK) ExpectOnlyTheFirstStep(o);
  }
}

TEST(LegacyReader, FullSampleBuffersAreRead) {
  TTempFolder folder;
  auto d = Small(7);
  d.SampleCount = 32768;
  d.Temperature.NoiseStdDev = 0.1;
  const auto file = sim::BuildLegacyFile(d);
  const auto o = ReadBytes(folder, file.Bytes);
  ASSERT_EQ(o.Result, rcOK) << o.Message;
  EXPECT_GE(o.DataSet.LoggerCapacity, 32768);
  EXPECT_EQ(o.DataSet.Channels[0].Samples.size(), 32768u);
  EXPECT_EQ(o.DataSet.Channels[1].Samples.size(), 32768u);
  EXPECT_EQ(o.DataSet.Channels[0].Samples[32767], file.RawTemperature[32767] / 100.0);
  EXPECT_EQ(o.DataSet.DigestStatus, dsCRCPassed);
}

TEST(LegacyReader, OldVersionsTakeTheSamplesToTheEndOfTheFile) {
  TTempFolder folder;
  auto d = Small(6);
  d.SampleCount = 0;
  d.State = sim::TLoggerState::Stopped;
  auto bytes = sim::BuildLegacyFile(d).Bytes;
  bytes.push_back(0x7F);  // one byte after the marker block
  auto o = ReadBytes(folder, bytes);
  ASSERT_EQ(o.Result, rcOK) << o.Message;
  EXPECT_TRUE(o.DataSet.Channels[0].Samples.empty());

  d.SampleCount = 3;
  bytes = sim::BuildLegacyFile(d).Bytes;
  bytes.push_back(0x7F);  // an odd last byte is ignored, and outside the CRC
  o = ReadBytes(folder, bytes);
  ASSERT_EQ(o.Result, rcOK) << o.Message;
  EXPECT_EQ(o.DataSet.Channels[0].Samples.size(), 3u);
  EXPECT_EQ(o.DataSet.DigestStatus, dsCRCPassed);
}

TEST(LegacyReader, OldVersionsWithMoreSamplesThanTheBufferAreRefused) {
  TTempFolder folder;
  for (int version : {5, 6}) {
    auto d = Small(version);
    d.SampleCount = 32768;
    auto bytes = sim::BuildLegacyFile(d).Bytes;
    EXPECT_EQ(ReadBytes(folder, bytes).Result, rcOK);
    bytes.push_back(1);  // 32768 samples and an odd byte: still fine
    EXPECT_EQ(ReadBytes(folder, bytes).Result, rcOK);
    bytes.push_back(2);
    auto o = ReadBytes(folder, bytes);
    EXPECT_EQ(o.Result, rcFileFormatError);
    EXPECT_EQ(o.Message, "Invalid total temperature samples count (32769)");
    bytes.resize(bytes.size() + 200000, 0);  // far larger than anything the reader buffers
    o = ReadBytes(folder, bytes);
    EXPECT_EQ(o.Result, rcFileFormatError);
    EXPECT_EQ(o.Message, Format("Invalid total temperature samples count (%d)",
                                {static_cast<int>((bytes.size() - (version == 6 ? 5534 : 682)) / 2)}));
  }
}

TEST(LegacyReader, EveryTruncationIsAnUnexpectedEOF) {
  auto d = Small(8);
  d.SampleCount = 3;
  d.Markers = {1, 2};
  const auto bytes = sim::BuildLegacyFile(d).Bytes;
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    test::TReadOutcome o;
    const std::span<const std::uint8_t> cut(bytes.data(), n);
    LoadLegacyKVDataFromBytes(cut, n, "/cut.kv", {}, o.DataSet, o.Result, o.Message, test::TestNow());
    ASSERT_EQ(o.Result, rcErrorReadingFile) << "cut at " << n;
    ASSERT_EQ(o.Message, "Unexpected EOF") << "cut at " << n;
    if (n % 97 == 0) ExpectOnlyTheFirstStep(o);
  }
  // The same through files, cut inside the header, the second image, the fields and the samples.
  TTempFolder folder;
  for (std::size_t n : {std::size_t{10}, std::size_t{300}, std::size_t{2000}, bytes.size() - 1}) {
    const auto o = ReadBytes(folder, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
    EXPECT_EQ(o.Result, rcErrorReadingFile) << n;
    EXPECT_EQ(o.Message, "Unexpected EOF") << n;
  }
}

TEST(LegacyReader, VersionFiveAndSixCutInsideTheSamplesKeepWhatIsThere) {
  TTempFolder folder;
  auto d = Small(5);
  d.SampleCount = 10;
  auto bytes = sim::BuildLegacyFile(d).Bytes;
  bytes.erase(bytes.end() - 5, bytes.end());
  const auto o = ReadBytes(folder, bytes);
  ASSERT_EQ(o.Result, rcOK);
  EXPECT_EQ(o.DataSet.Channels[0].Samples.size(), 7u);
  EXPECT_EQ(o.DataSet.DigestStatus, dsCRCFailed);
}

TEST(LegacyReader, FilesThatCannotBeReadGiveTheirReason) {
  TTempFolder folder;
  test::TReadOutcome o;
  LoadLegacyKVDataFileIntoLoggerDataSet(folder.File("missing.kv"), o.DataSet, o.Result, o.Message, test::TestNow());
  EXPECT_EQ(o.Result, rcErrorReadingFile);
  EXPECT_EQ(o.Message, "Exception: Cannot open file \"" + folder.File("missing.kv") + "\". No such file or directory");
  ExpectOnlyTheFirstStep(o);

  LoadLegacyKVDataFileIntoLoggerDataSet(folder.Folder(), o.DataSet, o.Result, o.Message, test::TestNow());
  EXPECT_EQ(o.Result, rcException);
  EXPECT_EQ(o.Message, "Exception reading file: Is a directory");

  o = ReadBytes(folder, {}, "empty.kv");
  EXPECT_EQ(o.Result, rcErrorReadingFile);
  EXPECT_EQ(o.Message, "Unexpected EOF");
}

TEST(LegacyReader, AFileWithoutReadPermissionGivesItsReason) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root: file permissions do not stop reading";
  TTempFolder folder;
  test::TReadOutcome o;
  const std::string locked = folder.Write("locked.kv", test::AsString(sim::BuildLegacyFile(Small(8)).Bytes));
  chmod(locked.c_str(), 0);
  LoadLegacyKVDataFileIntoLoggerDataSet(locked, o.DataSet, o.Result, o.Message, test::TestNow());
  EXPECT_EQ(o.Result, rcErrorReadingFile);
  EXPECT_EQ(o.Message, "Exception: Cannot open file \"" + locked + "\". Permission denied");
}

TEST(LegacyReader, CRCCoversImagesMarkersCountsAndSamplesOnly) {
  TTempFolder folder;
  auto d = Small(8);
  d.UserFields = {{"Site", "Chamber 3"}};
  const auto file = sim::BuildLegacyFile(d);
  const auto& L = file.Layout;
  struct Case {
    const char* What;
    std::size_t Offset;
    TKV6DigestStatus Status;
  };
  const Case cases[] = {
      {"header, unused part", 20, dsCRCPassed},
      {"header, checksum byte", 31, dsCRCPassed},
      {"field text", L.FieldTexts + 3, dsCRCPassed},
      {"field name", L.FieldNames + 1, dsCRCPassed},
      {"reserved block", L.FieldTexts + 650 + 100, dsCRCPassed},
      {"second image byte 4", L.SecondImage + 4, dsCRCPassed},
      {"second image byte 7", L.SecondImage + 7, dsCRCPassed},
      {"second image byte 8", L.SecondImage + 8, dsCRCFailed},
      {"first image", L.FirstImage + 20, dsCRCFailed},
      {"an unused marker slot", L.Markers + 150, dsCRCFailed},
      {"first temperature sample", L.TemperatureSamples, dsCRCFailed},
      {"last humidity sample", L.HumiditySamples + 99, dsCRCFailed},
      {"stored CRC", 15, dsCRCFailed},
  };
  for (const auto& c : cases) {
    auto bytes = file.Bytes;
    bytes[c.Offset] ^= 0x01;
    const auto o = ReadBytes(folder, bytes);
    ASSERT_EQ(o.Result, rcOK) << c.What;
    EXPECT_EQ(o.DataSet.DigestStatus, c.Status) << c.What;
    EXPECT_EQ(o.DataSet.Channels[0].Samples.size(), 50u) << c.What;  // read completely all the same
  }
}

TEST(LegacyReader, ConsecutiveMarksOnOneSampleAreOneEntry) {
  TTempFolder folder;
  auto d = Small(8);
  d.Markers = {17, 17, 17, 40, 17, 3, 3};
  const auto o = ReadSimulated(folder, d);
  ASSERT_EQ(o.Result, rcOK);
  const std::vector<TKV6MarkerEntry> expected = {{17, 3}, {40, 1}, {17, 1}, {3, 2}};
  EXPECT_EQ(o.DataSet.Markers, expected);
}

TEST(LegacyReader, OnlyTheCountedMarkersAreGrouped) {
  TTempFolder folder;
  auto d = Small(8);
  d.Markers = {5, 6, 7};
  d.MarkerCountOverride = 2;
  const auto o = ReadSimulated(folder, d);
  ASSERT_EQ(o.Result, rcOK);
  EXPECT_EQ(o.DataSet.Markers, (std::vector<TKV6MarkerEntry>{{5, 1}, {6, 1}}));
}

TEST(LegacyReader, CommentFromTheUserFields) {
  TTempFolder folder;
  auto d = Small(8);
  d.UserFields = {{"Site", "Chamber 3"}, {"Field2", ""},  {"Operator", "  "}, {"", "free text"},
                  {" \t", "\x01"},       {"field3", ""},  {"  Batch ", " B-17 "}};
  const auto o = ReadSimulated(folder, d);
  ASSERT_EQ(o.Result, rcOK);
  ASSERT_EQ(o.DataSet.Comments.size(), 1u);
  const auto& c = o.DataSet.Comments[0];
  const std::vector<std::string> lines = {"Site: Chamber 3", "Operator: ", "free text", "field3: ", "Batch: B-17"};
  EXPECT_EQ(c.Title, "Site: Chamber 3");
  EXPECT_EQ(c.Text, ToCommaText(lines));
  EXPECT_FALSE(c.Locked || c.DateTimeEnable || c.ValueEnable);
  EXPECT_EQ(c.XPosition, 10);
  EXPECT_EQ(c.YPosition, 10);
  EXPECT_EQ(c.UTCDateTimeCreated, o.DataSet.UTCDateTimeFileCreated);
  EXPECT_EQ(c.UTCDateTimeEdited, 0);
  EXPECT_EQ(c.LDSDateTimePosition, o.DataSet.LDSDateOfFirstSample);
  EXPECT_EQ(c.ValuePosition, o.DataSet.GetSample(1, 1));
  EXPECT_TRUE(c.Author.empty() && c.Editor.empty());

  d.UserFields = {{"Field1", ""}, {"  ", ""}};
  EXPECT_TRUE(ReadSimulated(folder, d).DataSet.Comments.empty());
}

TEST(LegacyReader, CommentValueComesFromTheLoggedChannel) {
  TTempFolder folder;
  auto d = Small(8);
  d.Logging = sim::TLogging::Humidity;
  d.UserFields = {{"Note", "humidity only"}};
  const auto o = ReadSimulated(folder, d);
  ASSERT_EQ(o.Result, rcOK);
  ASSERT_EQ(o.DataSet.Comments.size(), 1u);
  EXPECT_EQ(o.DataSet.Comments[0].ValuePosition, 45.5);
}

TEST(LegacyReader, VersionFiveTakesTheFirstFieldText) {
  TTempFolder folder;
  auto d = Small(5);
  d.UserFields = {{"ignored name", "Calibration run 12"}};
  const auto o = ReadSimulated(folder, d);
  ASSERT_EQ(o.Result, rcOK);
  ASSERT_EQ(o.DataSet.Comments.size(), 1u);
  EXPECT_EQ(o.DataSet.Comments[0].Title, "Calibration run 12");
}

TEST(LegacyReader, FileTimesAndZones) {
  test::TScopedTimeZone tz("Asia/Kolkata");  // +5:30, no daylight saving
  TTempFolder folder;
  const auto file = sim::BuildLegacyFile(Small(8));
  const std::string path = folder.Write("times.kv", test::AsString(file.Bytes));
  const TDateTime written = EncodeDateTime(2023, 7, 4, 10, 0, 0);
  const time_t secs = static_cast<time_t>(std::llround(DateTimeToUnix(written)));
  const timespec times[2] = {{secs, 0}, {secs, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  test::TReadOutcome o;
  LoadLegacyKVDataFileIntoLoggerDataSet(path, o.DataSet, o.Result, o.Message, test::TestNow());
  ASSERT_EQ(o.Result, rcOK);
  EXPECT_NEAR(o.DataSet.UTCDateTimeFileLastSaved, written, 1e-9);
  EXPECT_EQ(o.DataSet.TimezoneOffsetFileLastSaved, -22.0 / 24);
  EXPECT_EQ(o.DataSet.TimezoneNameFileLastSaved, "Unknown");
  EXPECT_EQ(o.DataSet.TimezoneNameFileCreated, "Unknown");
  EXPECT_TRUE(o.DataSet.TimezoneOffsetFileCreated == -22.0 / 24 || o.DataSet.TimezoneOffsetFileCreated == -1.0);
  EXPECT_EQ(o.DataSet.TimeZoneOffsetStarted, -23.0 / 24);
  EXPECT_EQ(o.DataSet.TimeZoneIDStarted, 0);

  // Bytes without file times.
  LoadLegacyKVDataFromBytes(file.Bytes, file.Bytes.size(), "/x/y.kv", {}, o.DataSet, o.Result, o.Message,
                            test::TestNow());
  ASSERT_EQ(o.Result, rcOK);
  EXPECT_EQ(o.DataSet.UTCDateTimeFileCreated, 0);
  EXPECT_EQ(o.DataSet.TimezoneOffsetFileCreated, -1.0);
  EXPECT_EQ(o.DataSet.UTCDateTimeFileLastSaved, 0);
  EXPECT_EQ(o.DataSet.TimezoneOffsetFileLastSaved, -23.0 / 24);
  EXPECT_EQ(o.DataSet.FileName, "/x/y.kv");
}

TEST(LegacyReader, FirmwareBuildNumberCountsQuarterDaysSince2010) {
  TTempFolder folder;
  struct Case {
    std::uint8_t Code;
    std::uint16_t Expected;
  };
  // 214 was built 2009-01-14, before 2010; the others earlier still or without a date.
  for (const auto& c : {Case{214, 0}, Case{150, 0}, Case{240, 0}}) {
    auto d = Small(8);
    d.FirmwareCode = c.Code;
    EXPECT_EQ(ReadSimulated(folder, d).DataSet.FirmwareBuildNumber, c.Expected) << int{c.Code};
  }
}

TEST(LegacyReader, ReusedDataSetKeepsNothingFromTheLastFile) {
  TTempFolder folder;
  auto d = Small(8);
  d.Markers = {4};
  d.UserFields = {{"A", "b"}};
  test::TReadOutcome o;
  const std::string path = folder.Write("a.kv", test::AsString(sim::BuildLegacyFile(d).Bytes));
  LoadLegacyKVDataFileIntoLoggerDataSet(path, o.DataSet, o.Result, o.Message, test::TestNow());
  ASSERT_EQ(o.Result, rcOK);
  folder.Write("a.kv", "VELQOR");
  LoadLegacyKVDataFileIntoLoggerDataSet(path, o.DataSet, o.Result, o.Message, test::TestNow());
  EXPECT_EQ(o.Result, rcErrorReadingFile);
  EXPECT_TRUE(o.DataSet.Markers.empty());
  EXPECT_TRUE(o.DataSet.Comments.empty());
  EXPECT_TRUE(o.DataSet.Channels[0].Samples.empty());
  EXPECT_EQ(o.DataSet.SourceKind, 0);
}

}  // namespace
}  // namespace qvs

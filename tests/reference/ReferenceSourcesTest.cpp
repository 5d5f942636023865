// The reference sources: selection per quantity, descriptions, constant, log and logger-file
// sources, corrections and summaries.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "FakeServices.h"
#include "ReferenceTestSupport.h"
#include "core/DataFileList.h"
#include "core/DateTime.h"
#include "core/Format.h"
#include "reference/ReferenceSimulator.h"
#include "reference/ReferenceSources.h"

namespace qvs {
namespace {

class ReferenceSources : public test::TReferenceTest {
 protected:
  const TDateTime Noon = EncodeDateTime(2024, 5, 12, 12, 0, 0);
  test::TFakeRunServices Services;

  ReferenceSources() { Ctx.Services = &Services; }

  TReferenceOptions& T() { return Ctx.Options.TemperatureReference; }
  TReferenceOptions& H() { return Ctx.Options.HumidityReference; }
  TReferenceRecord& TRef() { return Ctx.Results.Temperature.Reference; }
  TReferenceRecord& HRef() { return Ctx.Results.Humidity.Reference; }
  void SetExtents(TQuantityResults& q, TDateTime start, TDateTime end, double period) {
    q.Extents.EarliestStart = start;
    q.Extents.LatestEnd = end;
    q.Extents.ShortestPeriod = period;
  }
  void ExpectDescriptions(const TReferenceRecord& r, const std::string& shortText, const std::string& longText) {
    EXPECT_EQ(r.ReferenceShortText, shortText);
    EXPECT_EQ(r.ReferenceLongText, longText);
  }
};

TEST_F(ReferenceSources, NoneAndOVANLeaveTheSeriesOfAnEarlierRun) {
  TRef().Series.Add(1.5);
  TRef().ReferenceShortText = "old";
  T().Source = rdsNone;
  ReadTemperatureReference(Ctx);
  ExpectDescriptions(TRef(), "None", "None");
  EXPECT_EQ(TRef().Series.Count(), 1);

  T().Source = rdsOVANChannel;
  ReadTemperatureReference(Ctx);
  ExpectDescriptions(TRef(), "", "");
  EXPECT_EQ(TRef().Series.Count(), 1);

  T().Source = 42;  // a stored value outside the kinds shows as None
  ReadTemperatureReference(Ctx);
  ExpectDescriptions(TRef(), "None", "None");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ReferenceSources, AConstantCoversTheLoggersAtTheShortestPeriod) {
  T().Source = rdsConstant;
  T().Constant = 20.5;
  SetExtents(Ctx.Results.Temperature, Noon, Noon + kOneHour, 10 * kOneMinute);
  ReadTemperatureReference(Ctx);
  ExpectDescriptions(TRef(), "20.500", "Constant value of 20.500");
  const TSampleRecord& s = TRef().Series;
  ASSERT_EQ(s.Count(), 7);
  EXPECT_EQ(s.StartTime, Noon);
  EXPECT_EQ(s.SamplePeriod, 10 * kOneMinute);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(s[i], 20.5);
  EXPECT_EQ(Console.Output,
            (std::vector<std::string>{"Constant temperature reference source generated", "    Samples:      7",
                                      "    Value  : 20.500", "    From   : Sun 12 May 2024 12:00:00",
                                      "    To     : Sun 12 May 2024 13:00:00", "    Period : 10 minutes"}));
}

TEST_F(ReferenceSources, AConstantNeverLosesTheSampleOnTheEnd) {
  // Periods that are not exact in binary still reach an end that lies on a step.
  for (const double seconds : {1.0, 7.0, 10.0, 60.0, 90.0, 300.0}) {
    TSampleRecord s;
    const double period = seconds * kOneSecond;
    ASSERT_TRUE(GenerateConstantReference(Ctx, "temperature", s, 1, Noon, Noon + 1000 * period, period));
    EXPECT_EQ(s.Count(), 1001) << seconds;
  }
}

TEST_F(ReferenceSources, AConstantOverAnEmptyOrPointIntervalHasNoneOrOneSample) {
  TSampleRecord s;
  ASSERT_TRUE(GenerateConstantReference(Ctx, "humidity", s, 50, Noon, Noon, kOneMinute));
  EXPECT_EQ(s.Count(), 1);
  Console.Output.clear();
  Ctx.Halted = false;
  ASSERT_TRUE(GenerateConstantReference(Ctx, "humidity", s, 50, Noon, Noon - kOneMinute, kOneMinute));
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(Console.Output[0], "Constant humidity reference source generated");
  EXPECT_EQ(Console.Output[1], "    Samples:      0");
  // The time of the last sample of an empty series lies before the first.
  EXPECT_EQ(Console.Output[4], "    To     : Sun 12 May 2024 11:59:00");
}

TEST_F(ReferenceSources, AConstantRefusesAPeriodThatCannotAdvance) {
  for (const double period : {0.0, -kOneMinute, std::nan("")}) {
    Console.Output.clear();
    Ctx.Halted = false;
    TSampleRecord s;
    EXPECT_FALSE(GenerateConstantReference(Ctx, "temperature", s, 1, Noon, Noon + 1, period));
    EXPECT_EQ(OnlyError().rfind("Constant temperature reference not generated: the sample period", 0), 0u);
    EXPECT_EQ(s.Count(), 0);
    EXPECT_TRUE(Ctx.Halted);
    Ctx.Halted = false;
  }
  // Through the selection the descriptions stay empty.
  T().Source = rdsConstant;
  SetExtents(Ctx.Results.Temperature, Noon, Noon + 1, 0);
  ReadTemperatureReference(Ctx);
  ExpectDescriptions(TRef(), "", "");
  EXPECT_TRUE(Ctx.Halted);
}

TEST_F(ReferenceSources, AConstantRefusesMoreSamplesThanMemoryShouldHold) {
  TSampleRecord s;
  EXPECT_FALSE(GenerateConstantReference(Ctx, "temperature", s, 1, Noon, Noon + 3650, kOneSecond));
  EXPECT_NE(OnlyError().find("needs more than 100000000 samples"), std::string::npos);
}

// A log held in memory; FindLineByTime finds the last line before the time exactly.
class TFakeSampleLog : public TReferenceSampleLog {
 public:
  int LineCount() override { return static_cast<int>(Lines.size()); }
  int FindLineByTime(TDateTime t) override {
    int found = 1;
    for (int i = 0; i < LineCount(); ++i)
      if (std::stod(Lines[static_cast<std::size_t>(i)].substr(0, 15)) < t) found = i + 1;
    return found;
  }
  std::string GetLine(int n) override {
    if (n < 1 || n > LineCount()) return Format("Invalid log file index (%d)", {n});
    return Lines[static_cast<std::size_t>(n) - 1];
  }
  void Add(TDateTime t, char kind, const std::string& text) { Lines.push_back(Format("%15.9f", {t}) + kind + text); }
  std::vector<std::string> Lines;
};

TEST_F(ReferenceSources, TheRecordedLogGivesItsReadingsAroundTheInterval) {
  // Readings every 30 s, 15 s off the minute, valued by their number; an information line between.
  TFakeSampleLog log;
  for (int i = 0; i <= 70; ++i) {
    log.Add(Noon + ((i - 10) * 30 + 15) * kOneSecond, 'R', Format("%1.3f;Reference ID,HART 1", {i}));
    if (i == 13) log.Add(Noon + 100 * kOneSecond, 'I', "Reference found : ID = \"HART 1\"");
  }
  T().Source = rdsReferenceLog;
  SetExtents(Ctx.Results.Temperature, Noon, Noon + 24 * kOneMinute, kOneMinute);
  ReadTemperatureReference(Ctx, &log);
  EXPECT_TRUE(Errors().empty()) << OutputText();
  ExpectDescriptions(TRef(), "Log", "QVS reference log file");
  // From the last reading before start - 1 minute up to the reading before the last one before
  // end + 1 minute.
  const TSampleRecord& s = TRef().Series;
  ASSERT_EQ(s.Count(), 52);
  EXPECT_EQ(s[0], 7.0);
  EXPECT_EQ(s[51], 58.0);
  EXPECT_NEAR(s.StartTime, Noon - 75 * kOneSecond, 1e-8);
  EXPECT_NEAR(s.SamplePeriod, (1530 * kOneSecond + kOneMillisecond) / 51, 1e-10);
  EXPECT_TRUE(Console.HasOutput("Reading temperature reference data from log"));
}

TEST_F(ReferenceSources, TheRecordedLogNeedsTwoReadingsAndReadsOtherTextAsZero) {
  TFakeSampleLog log;
  log.Add(Noon, 'R', "21.000;Reference ID,HART 1");
  TSampleRecord s;
  EXPECT_FALSE(ReadReferenceFromLog(Ctx, &log, Noon, Noon + kOneHour, s));
  EXPECT_EQ(OnlyError(), "No reference samples for test interval found in log");
  EXPECT_EQ(LastHelpContext(), 1323);

  log.Add(Noon + kOneMinute, 'R', "garbled;Reference ID,HART 1");
  log.Add(Noon + 2 * kOneMinute, 'R', "22.000;Reference ID,HART 1");
  Ctx.Halted = false;
  ASSERT_TRUE(ReadReferenceFromLog(Ctx, &log, Noon, Noon + kOneHour, s));
  EXPECT_EQ(s.Values, (std::vector<float>{21.0f, 0.0f}));  // the line below the last is not read
}

TEST_F(ReferenceSources, WithoutALogTheRecordedKindIsAClearError) {
  T().Source = rdsReferenceLog;
  ReadTemperatureReference(Ctx);
  EXPECT_EQ(OnlyError(), "The QVS reference log is not available");
  EXPECT_TRUE(Ctx.Halted);
  // Humidity is never logged: the series is emptied and the run goes on.
  Ctx.Halted = false;
  Console.Output.clear();
  Ctx.Halted = false;
  H().Source = rdsReferenceLog;
  HRef().Series.Add(3);
  ReadHumidityReference(Ctx);
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(HRef().Series.Count(), 0);
  ExpectDescriptions(HRef(), "Log", "QVS reference log file");
}

TEST_F(ReferenceSources, TheMeanCopiesTheMeanSeries) {
  TSampleRecord& mean = Ctx.Results.Humidity.MeanSeries.Series;
  mean.StartTime = Noon;
  mean.SamplePeriod = kOneMinute;
  mean.Add(40.25);
  mean.Add(41.5);
  H().Source = rdsMean;
  ReadHumidityReference(Ctx);
  ExpectDescriptions(HRef(), "Mean", "Mean of humidity records");
  EXPECT_EQ(HRef().Series.Values, mean.Values);
  EXPECT_EQ(HRef().Series.StartTime, Noon);
  EXPECT_EQ(HRef().Series.SamplePeriod, kOneMinute);
  T().Source = rdsMean;
  ReadTemperatureReference(Ctx);
  ExpectDescriptions(TRef(), "Mean", "Mean of temperature records");
}

TEST_F(ReferenceSources, ALoggerFileGivesTheSamplesOfItsQuantity) {
  const std::string path = Folder.Write("ref.kv", "stand-in");
  Services.Files[path] = test::MakeLogger(123, Noon, 30, {20.5, 20.75, 21.0}, {45, 46, 47});
  T().Source = rdsLogger;
  T().LoggerFile = path;
  ReadTemperatureReference(Ctx);
  EXPECT_TRUE(Errors().empty()) << OutputText();
  ExpectDescriptions(TRef(), "S123", "Logger S123");
  EXPECT_EQ(TRef().Series.Values, (std::vector<float>{20.5f, 20.75f, 21.0f}));
  EXPECT_EQ(TRef().Series.StartTime, Noon);
  EXPECT_NEAR(TRef().Series.SamplePeriod, 30 * kOneSecond, 1e-15);
  EXPECT_TRUE(Console.HasOutput("Reading temperature reference data from KV file " + path));

  H().Source = rdsLogger;
  H().LoggerFile = path;
  ReadHumidityReference(Ctx);
  EXPECT_EQ(HRef().Series.Values, (std::vector<float>{45, 46, 47}));
}

TEST_F(ReferenceSources, ALoggerFileWithoutTheQuantityLeavesAnEmptySeriesWithItsTimes) {
  const std::string path = Folder.Write("humid.kv", "stand-in");
  Services.Files[path] = test::MakeLogger(7, Noon, 60, {}, {45, 46});
  T().Source = rdsLogger;
  T().LoggerFile = path;
  ReadTemperatureReference(Ctx);
  EXPECT_EQ(OnlyError(), "No temperature samples for use as reference in file " + path);
  EXPECT_EQ(LastHelpContext(), 1324);
  EXPECT_EQ(TRef().Series.Count(), 0);
  EXPECT_EQ(TRef().Series.StartTime, Noon);
  EXPECT_NEAR(TRef().Series.SamplePeriod, kOneMinute, 1e-15);
  ExpectDescriptions(TRef(), "S7", "Logger S7");

  Services.Files[path] = test::MakeLogger(7, Noon, 60, {20}, {});
  TSampleRecord s;
  std::string serial;
  Ctx.Halted = false;
  EXPECT_FALSE(ReadReferenceFromLoggerFile(Ctx, "humidity", false, path, s, serial));
  EXPECT_EQ(Errors().back(), "No humidity samples for use as reference in file " + path);
  EXPECT_EQ(LastHelpContext(), 1322);
}

TEST_F(ReferenceSources, ALoggerFileThatIsMissingOrDoesNotLoadIsReported) {
  T().Source = rdsLogger;
  T().LoggerFile = Folder.File("missing.kv");
  ReadTemperatureReference(Ctx);
  EXPECT_EQ(OnlyError(), "Reference logger datafile not found: " + Folder.File("missing.kv"));
  EXPECT_EQ(LastHelpContext(), 1328);
  ExpectDescriptions(TRef(), "", "Logger ");

  Console.Output.clear();

  Ctx.Halted = false;
  T().LoggerFile = Folder.Write("broken.kv", "x");
  ReadTemperatureReference(Ctx);
  EXPECT_EQ(OnlyError(), "Error reading reference logger file broken.kv\rfile not in the fake");
  EXPECT_EQ(LastHelpContext(), 1350);

  Console.Output.clear();

  Ctx.Halted = false;
  Ctx.Services = nullptr;
  ReadTemperatureReference(Ctx);
  EXPECT_EQ(OnlyError(), "Error reading reference logger file broken.kv\rno data file loader is available");
}

TEST_F(ReferenceSources, AnASCIIFileIsReadFromTheChosenDate) {
  const std::string path = Folder.File("ref.txt");
  WriteSimulatedASCIIFile(path, TASCIIInstrument{}, ConstantReading(19.5), EncodeDateTime(2000, 1, 1, 8, 0, 0),
                          kOneMinute, 5);
  T().Source = rdsASCII;
  T().ASCIIFile = path;
  T().UseASCIIDate = false;
  T().UseThisDate = EncodeDateTime(2024, 5, 12, 17, 45, 0);  // only the day counts
  ReadTemperatureReference(Ctx);
  EXPECT_TRUE(Errors().empty()) << OutputText();
  ExpectDescriptions(TRef(), "ASCII", "ASCII file ref.txt");
  EXPECT_NEAR(TRef().Series.StartTime, EncodeDateTime(2024, 5, 12, 8, 0, 0), 1e-9);
  EXPECT_EQ(Console.Output[0], "Reading temperature reference data from ASCII file " + path);

  // The file's own date: its last-write day in local time (the tests run in UTC).
  const auto when = static_cast<time_t>(DateTimeToUnix(EncodeDateTime(2023, 3, 4, 22, 0, 0)));
  const timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  T().UseASCIIDate = true;
  ReadTemperatureReference(Ctx);
  EXPECT_NEAR(TRef().Series.StartTime, EncodeDateTime(2023, 3, 4, 8, 0, 0), 1e-9);
}

TEST_F(ReferenceSources, EachQuantityReadsASCIIFilesWithItsOwnPanelAndCoefficients) {
  const std::string path = Folder.Write("rh.txt", "Humidity probe\nt:50C 10:00:00\n");
  H().Source = rdsASCII;
  H().ASCIIFile = path;
  H().UseASCIIDate = false;
  H().IgnoreMalformedLines = true;
  H().ApplyCorrection = true;
  T().IgnoreMalformedLines = false;
  Ctx.Settings.HRef_A = 1.5f;
  Ctx.Settings.TRef_A = 100;
  ReadHumidityReference(Ctx);
  EXPECT_TRUE(Errors().empty()) << OutputText();
  EXPECT_EQ(HRef().Series.Values, (std::vector<float>{51.5f}));
  EXPECT_TRUE(Console.HasOutput("Reading humidity reference data from ASCII file " + path));
}

TEST_F(ReferenceSources, AMissingOrFailedASCIIFileLeavesTheDescriptionsEmpty) {
  T().Source = rdsASCII;
  T().ASCIIFile = Folder.File("none.txt");
  ReadTemperatureReference(Ctx);
  EXPECT_EQ(OnlyError(), "ASCII temperature reference file not found: " + Folder.File("none.txt"));
  EXPECT_EQ(LastHelpContext(), 1328);
  ExpectDescriptions(TRef(), "", "");

  Console.Output.clear();

  Ctx.Halted = false;
  T().ASCIIFile = "";
  ReadTemperatureReference(Ctx);
  EXPECT_EQ(OnlyError(), "No ASCII temperature reference file chosen");

  Console.Output.clear();

  Ctx.Halted = false;
  T().ASCIIFile = Folder.Write("bad.txt", "x:1C 10:00:00\n");
  ReadTemperatureReference(Ctx);
  EXPECT_EQ(OnlyError(), "Format error: \"t\" expected at line 1 (encountered \"x\")");
  ExpectDescriptions(TRef(), "", "");
}

TEST_F(ReferenceSources, ACSVColumnIsChosenByIDOrByNumber) {
  const std::string path = Folder.File("probes.csv");
  const TDateTime start = EncodeDateTime(2024, 5, 12, 9, 0, 0);
  WriteSimulatedCSVFile(path, TCSVInstrument{}, {{"Probe 1", ConstantReading(1)}, {"Probe 2", ConstantReading(2)}},
                        start, kOneMinute, 10);
  // Blanks around the path and the ID are ignored for both quantities.
  for (const bool temperature : {true, false}) {
    SCOPED_TRACE(temperature ? "temperature" : "humidity");
    TReferenceOptions& o = temperature ? T() : H();
    TReferenceRecord& r = temperature ? TRef() : HRef();
    o.Source = rdsCSV;
    o.CSVFile = " " + path + "  ";
    o.CSVUseChannelNumber = false;
    o.CSVChannelID = "  probe 2 ";
    temperature ? ReadTemperatureReference(Ctx) : ReadHumidityReference(Ctx);
    EXPECT_TRUE(Errors().empty()) << OutputText();
    ExpectDescriptions(r, "ID \"Probe 2\"", "ID \"Probe 2\" from file probes.csv");
    EXPECT_EQ(r.MatchedCSVColumn, 2);
    EXPECT_EQ(r.Series.Values, std::vector<float>(10, 2.0f));
    EXPECT_TRUE(Console.HasOutput(std::string("Reading ") + (temperature ? "temperature" : "humidity") +
                                  " reference data from CSV file " + path));
  }

  TCSVInstrument headerless;
  headerless.HeaderRow = false;
  WriteSimulatedCSVFile(Folder.File("raw.csv"), headerless, {{"", ConstantReading(1)}, {"", ConstantReading(2)}}, start,
                        kOneMinute, 10);
  T().CSVFile = Folder.File("raw.csv");
  T().CSVUseChannelNumber = true;
  T().CSVChannelNumber = 1;
  ReadTemperatureReference(Ctx);
  ExpectDescriptions(TRef(), "Col. 1", "Column 1 from file raw.csv");
  EXPECT_EQ(TRef().MatchedCSVChannelID, "");
}

TEST_F(ReferenceSources, AMissingOrFailedCSVFileLeavesTheDescriptionsEmpty) {
  H().Source = rdsCSV;
  H().CSVFile = Folder.File("none.csv");
  ReadHumidityReference(Ctx);
  EXPECT_EQ(OnlyError(), "CSV humidity reference file not found: " + Folder.File("none.csv"));
  EXPECT_EQ(LastHelpContext(), 1328);
  ExpectDescriptions(HRef(), "", "");

  Console.Output.clear();

  Ctx.Halted = false;
  H().CSVFile = Folder.Write("bad.csv", "Time,A\n12/05/24 09:00:00,x\n");
  ReadHumidityReference(Ctx);
  EXPECT_EQ(OnlyError(), "Format error in sample value");
  ExpectDescriptions(HRef(), "", "");
}

TEST_F(ReferenceSources, SummariesNameTheConfiguredSource) {
  auto entry = [](bool temperature, bool humidity) {
    auto e = std::make_unique<TQVSDataSet>();
    if (temperature) e->TemperatureSeries.Add(1);
    if (humidity) e->HumiditySeries.Add(1);
    return e;
  };
  Ctx.DataFileList.AddEntry("/a.kv", entry(true, true));
  Ctx.DataFileList.AddEntry("/b.kv", entry(true, false));
  Ctx.DataFileList.AddEntry("/c.kv", entry(true, false));
  struct TCase {
    std::uint8_t Source;
    std::string Temperature, Humidity;
  } cases[] = {
      {rdsNone, "No reference selected", "No reference selected"},
      {rdsConstant,
       "Constant value of 21.250 \xC2\xB0"
       "C",
       "Constant value of 21.3 %RH"},
      {rdsReferenceLog, "Recorded log", "Recorded log"},
      {rdsASCII, "ASCII samples from file t.txt", "ASCII samples from file h.txt"},
      {rdsMean, "Mean of all 3 loggers", "Mean of all 1 loggers"},
      {rdsLogger, "Samples from KV file t.kv", "Samples from KV file h.kv"},
      {rdsCSV, "Samples from CSV file t.csv", "Samples from CSV file h.csv"},
      {rdsOVANChannel, "Samples from OVAN channel 4", "Samples from OVAN channel 9"},
      {99, "No reference selected", "No reference selected"},
  };
  for (TReferenceOptions* o : {&T(), &H()}) {
    const std::string q = o == &T() ? "t" : "h";
    o->Constant = 21.25;
    o->ASCIIFile = "/data/" + q + ".txt";
    o->LoggerFile = "/data/" + q + ".kv";
    o->CSVFile = "/data/" + q + ".csv";
    o->OVANChannel = o == &T() ? 4 : 9;
  }
  for (const auto& c : cases) {
    T().Source = H().Source = c.Source;
    EXPECT_EQ(TemperatureReferenceSummary(Ctx), c.Temperature);
    EXPECT_EQ(HumidityReferenceSummary(Ctx), c.Humidity);
  }
}

TEST_F(ReferenceSources, CorrectionsUseTheirQuantitysCoefficients) {
  Ctx.Settings.TRef_A = 0.1f;
  Ctx.Settings.TRef_B = 0.01f;
  Ctx.Settings.TRef_C = 0.001f;
  Ctx.Settings.TRef_D = 0.0001f;
  const double x = 20;
  const long double expected = static_cast<long double>(0.1f) + static_cast<long double>(0.01f) * x +
                               static_cast<long double>(0.001f) * x * x + static_cast<long double>(0.0001f) * x * x * x;
  EXPECT_DOUBLE_EQ(TemperatureReferenceCorrection(Ctx.Settings, x), static_cast<double>(expected));
  EXPECT_EQ(HumidityReferenceCorrection(Ctx.Settings, x), 0.0);
  Ctx.Settings.HRef_B = -0.5f;
  EXPECT_EQ(HumidityReferenceCorrection(Ctx.Settings, x), -10.0);
}

}  // namespace
}  // namespace qvs

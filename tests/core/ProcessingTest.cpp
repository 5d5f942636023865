#include <gtest/gtest.h>

#include <algorithm>

#include "FakeServices.h"
#include "RecordingConsole.h"
#include "core/DateTime.h"
#include "core/Processing.h"
#include "core/Statistics.h"

namespace qvs {
namespace {

using test::MakeLogger;
using test::TFakeRunServices;
using test::TRecordingConsole;

constexpr double kT0 = 46000.0;  // 2025-12-09

class ProcessingRun : public ::testing::Test {
 protected:
  ProcessingRun() {
    ctx.Services = &services;
    ctx.Options.ReportKind = rkTemperatureAndHumidity;
  }

  // Lists a file whose series come from the given logger, as a refresh of the file list would.
  void Add(const std::string& path, const TLoggerData& data, bool enabled = true) {
    services.Files[path] = data;
    auto e = std::make_unique<TQVSDataSet>();
    e->LoggerData = data;
    e->Enabled = enabled;
    RebuildSeries(*e);
    ctx.DataFileList.AddEntry(path, std::move(e));
  }

  bool Boxed(int help) const {
    return std::any_of(console.Boxes.begin(), console.Boxes.end(),
                       [help](const test::TRecordedBox& b) { return b.HelpContext == help; });
  }

  TRecordingConsole console;
  TFakeRunServices services;
  TQVSContext ctx{console, TFormatSettings::Invariant(), [] { return kT0 + 0.5; }};
};

TEST_F(ProcessingRun, ACompleteRunGoesThroughEveryStep) {
  Add("/data/b.kv", MakeLogger(2, kT0, 60, {20.0, 20.2, 20.4, 20.6}, {50, 51, 52, 53}));
  Add("/data/a.kv", MakeLogger(1, kT0, 60, {19.8, 20.0, 20.2, 20.4}, {49, 50, 51, 52}));
  ctx.Options.TemperatureReference.Source = rdsMean;
  services.OnTemperatureReference = [](TQVSContext& c) {
    c.Results.Temperature.Reference.Series = c.Results.Temperature.MeanSeries.Series;
  };
  DoProcessData(ctx);
  EXPECT_FALSE(ctx.Halted);
  EXPECT_FALSE(ctx.Processing);
  EXPECT_EQ(console.Status(), "Finished");
  EXPECT_NE(std::find(console.StatusHistory.begin(), console.StatusHistory.end(), "  Completed"),
            console.StatusHistory.end());
  EXPECT_EQ(console.Output.front(), "Processing started at 09/12/2025 12:00:00");
  EXPECT_EQ(console.Output.back(), "Processing finished at 09/12/2025 12:00:00");
  EXPECT_TRUE(console.HasOutput("Data files found: 2 (2 with temperature, 2 with humidity)"));
  EXPECT_EQ(services.Loaded, (std::vector<std::string>{"/data/a.kv", "/data/b.kv"}));
  EXPECT_EQ(services.TemperatureReferenceCalls, 1);
  EXPECT_EQ(services.HumidityReferenceCalls, 1);
  EXPECT_EQ(services.ReportCalls, 1);
  EXPECT_TRUE(console.Boxes.empty());
  // The results are there for the report.
  EXPECT_EQ(ctx.Results.Temperature.MeanSeries.Series.Count(), 3);
  EXPECT_NEAR(ctx.Results.Temperature.MeanSeries.Series[0], 19.9, 1e-5);
  // The mean reference ends one period before the loggers (its steps stop short of the earliest
  // end), so the summary window holds three samples of each logger.
  EXPECT_EQ(ctx.Results.Temperature.ErrorSeries.Series.Count(), 3);
  EXPECT_EQ(ctx.Results.Temperature.Pooled.Count(), 6);
  EXPECT_EQ(ctx.DataFileList.Entry(0).TemperatureSeries.Statistics.Count, 3);
  EXPECT_EQ(ctx.DataFileList.Entry(0).HumiditySeries.Statistics.Count, 4);
}

TEST_F(ProcessingRun, AStartWhileARunIsActiveDoesNothing) {
  ctx.Processing = true;
  DoProcessData(ctx);
  EXPECT_TRUE(console.Output.empty());
  EXPECT_TRUE(console.StatusHistory.empty());
  EXPECT_TRUE(ctx.Processing);
}

TEST_F(ProcessingRun, NoUsableFileStopsBeforeAnyFileIsRead) {
  Add("/data/empty.kv", MakeLogger(1, kT0, 60, {}));
  DoProcessData(ctx);
  EXPECT_TRUE(ctx.Halted);
  EXPECT_TRUE(Boxed(1325));
  EXPECT_TRUE(services.Loaded.empty());
  EXPECT_TRUE(console.HasOutput("Error: No valid enabled Kestova data files found"));
  EXPECT_EQ(console.Status(), "Errors processing data: No valid enabled Kestova data files found. Check \"Output\" Tab");
  EXPECT_EQ(console.Boxes.back().Text,
            "There were errors processing the data files.\r\rNo valid enabled Kestova data files found\r\rCheck "
            "the contents of the \"Output\" tab for more details.");
  EXPECT_EQ(console.Tabs.back(), TTabSheet::Output);
  EXPECT_FALSE(ctx.Processing);
  EXPECT_EQ(console.Output.back().rfind("Processing finished at ", 0), 0u);
}

TEST_F(ProcessingRun, ADisabledEntryIsNotReadButIsCounted) {
  Add("/data/a.kv", MakeLogger(1, kT0, 60, {1, 2, 3}));
  Add("/data/b.kv", MakeLogger(2, kT0, 60, {1, 2, 3}), false);
  ctx.Options.ReportKind = rkTemperature;
  DoProcessData(ctx);
  EXPECT_EQ(services.Loaded, std::vector<std::string>{"/data/a.kv"});
  EXPECT_TRUE(console.HasOutput("Data files found: 2 (1 with temperature, 0 with humidity)"));
}

TEST_F(ProcessingRun, AFileThatDoesNotLoadStopsTheRun) {
  Add("/data/a.kv", MakeLogger(1, kT0, 60, {1, 2, 3}));
  Add("/data/b.kv", MakeLogger(2, kT0, 60, {1, 2, 3}));
  Add("/data/c.kv", MakeLogger(3, kT0, 60, {1, 2, 3}));
  services.Files["/data/b.kv"].ErrorText = "CRC error";
  DoProcessData(ctx);
  EXPECT_TRUE(ctx.Halted);
  EXPECT_TRUE(console.HasOutput("Error: Error reading data file b.kv\rCRC error"));
  EXPECT_TRUE(Boxed(1315));
  EXPECT_EQ(services.Loaded.size(), 2u);  // c.kv is not read
  EXPECT_EQ(services.ReportCalls, 0);
}

TEST_F(ProcessingRun, HaltWhileReadingStopsAfterTheCurrentFile) {
  for (const char* p : {"/data/a.kv", "/data/b.kv", "/data/c.kv"}) Add(p, MakeLogger(1, kT0, 60, {1, 2, 3}));
  bool pressed = false;  // Halt is pressed once, while the first file is being read
  console.OnProcessMessages = [this, &pressed] {
    if (services.Loaded.size() == 1 && !pressed) ctx.HaltRequested = pressed = true;
  };
  DoProcessData(ctx);
  EXPECT_TRUE(ctx.Halted);
  EXPECT_EQ(services.Loaded.size(), 1u);
  EXPECT_TRUE(console.HasOutput("Error: Aborted."));
  EXPECT_EQ(console.Status(), "Aborted");
  EXPECT_EQ(std::count(console.StatusHistory.begin(), console.StatusHistory.end(), "  Finished"), 0);
  EXPECT_FALSE(ctx.HaltRequested);
  // The next run starts afresh.
  console.OnProcessMessages = nullptr;
  DoProcessData(ctx);
  EXPECT_FALSE(ctx.Halted);
  EXPECT_EQ(console.Status(), "Finished");
}

TEST_F(ProcessingRun, AnEndThatIsNotAfterTheStartIsAnOptionError) {
  Add("/data/a.kv", MakeLogger(1, kT0, 60, {1, 2, 3}));
  ctx.Options.SummaryEntireLoggerRecord = false;
  ctx.Options.SetSummaryStart(kT0 + 0.25);
  ctx.Options.SetSummaryEnd(kT0 + 0.25);
  DoProcessData(ctx);
  EXPECT_TRUE(ctx.Halted);
  EXPECT_TRUE(Boxed(1333));
  EXPECT_TRUE(console.HasOutput("Error: Summary report start date is after summary end date."));
  EXPECT_EQ(console.Tabs.back(), TTabSheet::SummaryReport);
  EXPECT_EQ(console.Status(),
            "Errors in options: Summary report start date is after summary end date.. Check \"Output\" Tab");
}

TEST_F(ProcessingRun, AnIntervalOutsideTheDataIsAnOptionError) {
  Add("/data/a.kv", MakeLogger(1, kT0, 60, {1, 2, 3}));
  struct Case { double from, to; int help; const char* start; };
  const Case cases[] = {
      {kT0 - 2, kT0 - 1, 1331, "Summary report period is outside and prior to logger sample records."},
      {kT0 + 1, kT0 + 2, 1329, "Summary report period is outside and after logger sample records."},
  };
  for (const Case& c : cases) {
    console.Boxes.clear();
    ctx.Options.ReportKind = rkTemperature;
    ctx.Options.SummaryEntireLoggerRecord = false;
    ctx.Options.SetSummaryStart(c.from);
    ctx.Options.SetSummaryEnd(c.to);
    DoProcessData(ctx);
    EXPECT_TRUE(ctx.Halted);
    ASSERT_EQ(console.Boxes.size(), 1u);
    EXPECT_EQ(console.Boxes[0].HelpContext, c.help);
    EXPECT_NE(console.Boxes[0].Text.find(c.start), std::string::npos);
  }
  // The before-the-data message in full: three long date-times.
  EXPECT_TRUE(console.HasOutput(
      "Error: Summary report period is outside and after logger sample records.\r\n\r\n"
      "  Report start datetime: \tWed 10 Dec 2025 00:00:00\r\n  Report end datetime:   \tThu 11 Dec 2025 00:00:00"
      "\r\n\r\n  Samples end datetime:  \tTue 9 Dec 2025 00:02:00\r\n"));
}

TEST_F(ProcessingRun, DifferentSamplePeriodsWarnOnceAndTheRunContinues) {
  Add("/data/a.kv", MakeLogger(1, kT0, 60, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}));
  Add("/data/b.kv", MakeLogger(2, kT0, 120, {1, 2, 3}, {1, 2, 3}));
  DoProcessData(ctx);
  ASSERT_EQ(console.Boxes.size(), 1u);  // the humidity test is skipped
  EXPECT_EQ(console.Boxes[0].Text, "Temperature loggers have different sample periods");
  EXPECT_EQ(console.Boxes[0].HelpContext, 1347);
  EXPECT_EQ(console.Boxes[0].Kind, TMessageKind::Warning);
  EXPECT_FALSE(ctx.Halted);
  EXPECT_EQ(console.Status(), "Finished");

  console.Boxes.clear();
  ctx.Options.SummaryDontReportDifferentSampleRates = true;
  DoProcessData(ctx);
  EXPECT_TRUE(console.Boxes.empty());
}

TEST_F(ProcessingRun, AHumidityOnlyReportNeverReadsATemperatureReference) {
  Add("/data/a.kv", MakeLogger(1, kT0, 60, {1, 2, 3}, {40, 41, 42}));
  ctx.Options.ReportKind = rkHumidity;
  ctx.Options.TemperatureReference.Source = rdsConstant;
  DoProcessData(ctx);
  EXPECT_EQ(services.TemperatureReferenceCalls, 0);
  EXPECT_EQ(services.HumidityReferenceCalls, 1);
}

TEST_F(ProcessingRun, AnUnsetSummaryStartIsResetToTheData) {
  Add("/data/a.kv", MakeLogger(1, kT0 + 0.25, 60, {1, 2, 3}));
  ASSERT_LT(ctx.Options.SummaryStartDateTime(), 1.0);
  DoProcessData(ctx);
  EXPECT_NEAR(ctx.Options.SummaryStartDateTime(), kT0 + 0.25, 1e-9);
}

TEST_F(ProcessingRun, AStatisticsFailureNamesTheLogger) {
  Add("/data/a.kv", MakeLogger(77, kT0, 60, {1, std::nan(""), 3}));
  ctx.Options.ReportKind = rkTemperature;
  DoProcessData(ctx);
  EXPECT_TRUE(ctx.Halted);
  ASSERT_FALSE(console.Boxes.empty());
  EXPECT_EQ(console.Boxes.back().HelpContext, 0);
  const bool named = std::any_of(console.Output.begin(), console.Output.end(), [](const std::string& l) {
    return l.rfind("Error: Unable to calculate temperature stats for logger S77: Exception ", 0) == 0;
  });
  EXPECT_TRUE(named);
}

TEST_F(ProcessingRun, AFailureInsideAStepStopsTheRunCleanly) {
  Add("/data/a.kv", MakeLogger(1, kT0, 60, {1, 2, 3}));
  services.OnReport = [](TQVSContext&) { throw std::runtime_error("disk full"); };
  DoProcessData(ctx);
  EXPECT_TRUE(ctx.Halted);
  EXPECT_FALSE(ctx.Processing);
  EXPECT_TRUE(console.HasOutput("Error: Exception disk full"));
  EXPECT_EQ(ctx.LastInternalError.Location, "DoProcessData");
}

TEST(SamplePeriods, DifferWhenTheGapExceedsATenthOfTheLongest) {
  EXPECT_TRUE(SamplePeriodsDiffer(60, 50));
  EXPECT_FALSE(SamplePeriodsDiffer(60, 55));
  EXPECT_FALSE(SamplePeriodsDiffer(60, 54));  // 6 is not above 6
  EXPECT_TRUE(SamplePeriodsDiffer(120, 60));
  EXPECT_FALSE(SamplePeriodsDiffer(0, 0));
}

class Advisories : public ProcessingRun {
 protected:
  std::vector<std::string> Run() {
    ctx.Results.ProcessingNotes.clear();
    RunAdvisories(ctx);
    return ctx.Results.ProcessingNotes;
  }
};

TEST_F(Advisories, NoLoggersOfAReportedQuantity) {
  ctx.Options.ReportKind = rkTemperatureAndHumidity;
  EXPECT_EQ(Run(), (std::vector<std::string>{
                       "A temperature report was requested but no loggers in the project contain temperature records",
                       "A humidity report was requested but no loggers in the project contain humidity records"}));
  EXPECT_TRUE(console.HasOutput(
      "Note: A temperature report was requested but no loggers in the project contain temperature records"));
}

TEST_F(Advisories, TheMeanTraceNoteNeedsExactlyOneLogger) {
  ctx.Options.ReportKind = rkTemperature;
  ctx.Options.SummaryPlotTraces = true;
  ctx.Options.SummaryPlotMean = true;
  const std::string note =
      "The \"temperature mean trace\" option is selected but there is only one datafile containing temperature "
      "records so the mean trace will not be plotted";
  Add("/a.kv", MakeLogger(1, kT0, 60, {1, 2}));
  EXPECT_EQ(Run(), std::vector<std::string>{note});
  Add("/b.kv", MakeLogger(2, kT0, 60, {1, 2}));
  EXPECT_TRUE(Run().empty());
  ctx.Options.SummaryPlotTraces = false;  // the plot notes need "Plot all logger traces"
  ctx.DataFileList.DeleteEntry(1);
  EXPECT_TRUE(Run().empty());
}

TEST_F(Advisories, PlotOptionsWithoutAReferenceOrWithSeveralLoggers) {
  ctx.Options.ReportKind = rkHumidity;
  ctx.Options.SummaryPlotTraces = true;
  ctx.Options.SummaryPlotReference = true;
  ctx.Options.SummaryPlotError = true;
  ctx.Options.SummaryPlotErrorvsHumidity = true;
  Add("/a.kv", MakeLogger(1, kT0, 60, {}, {40, 41}));
  Add("/b.kv", MakeLogger(2, kT0, 60, {}, {40, 41}));
  EXPECT_EQ(Run(), (std::vector<std::string>{
                       "The \"humidity reference trace\" option is selected but no reference is specified so the "
                       "reference trace will not be plotted",
                       "The \"humidity error between logger and reference\" plot option is selected but there is "
                       "no reference source selected so the error graph will not be plotted",
                       "The \"humidity error vs. reference humidity\" plot option is selected but there is no "
                       "reference source selected so the error graph will not be plotted"}));
  ctx.Options.HumidityReference.Source = rdsConstant;
  EXPECT_EQ(Run(), (std::vector<std::string>{
                       "The \"humidity error between logger and reference\" plot option is selected but there is "
                       "more than one datafile containing humidity records so the error graph will not be plotted",
                       "The \"humidity error vs. reference humidity\" plot option is selected but there is more "
                       "than one datafile containing humidity records so the error graph will not be plotted"}));
}

TEST_F(Advisories, DifferentPeriodsAreNamedWithTheirDurations) {
  ctx.Options.ReportKind = rkTemperature;
  Add("/a.kv", MakeLogger(1, kT0, 60, {1, 2}));
  Add("/b.kv", MakeLogger(2, kT0, 300, {1, 2}));
  ComputeRunExtents(ctx);
  EXPECT_EQ(Run(), std::vector<std::string>{
                       "The temperature loggers have different sample periods (ranging from 1m 0s to 5m 0s)"});
}

}  // namespace
}  // namespace qvs

// Whole processing runs over simulated logger files and reference files, through the real
// loading front and reference sources.

#include <gtest/gtest.h>

#include "RecordingConsole.h"
#include "TempFolder.h"
#include "core/FileStatus.h"
#include "core/Processing.h"
#include "datafiles/LoggerSimulator.h"
#include "reference/ReferenceSimulator.h"
#include "services/StandardRunServices.h"

namespace qvs {
namespace {

class SimulatedRun : public ::testing::Test {
 protected:
  SimulatedRun() {
    ctx.Services = &services;
    services.ReportWriter = [this](TQVSContext&) { ++reports; };
  }

  std::string AddLogger(const std::string& name, sim::TLoggerDescription d, bool enabled = true) {
    const std::string path = dir.File(name);
    sim::WriteLegacyFile(d, path);
    auto e = std::make_unique<TQVSDataSet>();
    e->Enabled = enabled;
    ctx.DataFileList.AddEntry(path, std::move(e));
    return path;
  }

  static sim::TLoggerDescription Logger(unsigned number, double temperature, double humidity) {
    sim::TLoggerDescription d;
    d.SerialNumber = sim::MakeSerialNumber(1, number);
    d.Logging = sim::TLogging::TemperatureHumidity;
    d.Temperature = sim::TSignal::Constant(temperature);
    d.Humidity = sim::TSignal::Constant(humidity);
    d.SampleCount = 240;
    return d;
  }

  test::TTempFolder dir;
  test::TRecordingConsole console;
  TStandardRunServices services;
  TQVSContext ctx{console};
  int reports = 0;
};

TEST_F(SimulatedRun, LoggersAgainstACSVReference) {
  AddLogger("a.kv", Logger(1, 20.0, 50.0));
  AddLogger("b.kv", Logger(2, 20.5, 52.0));
  auto offset = Logger(3, 21.0, 54.0);
  offset.TemperaturePoints = {{21.0, -0.5}};  // corrected by the reader to 20.5
  AddLogger("c.kv", offset);
  AddLogger("off.kv", Logger(4, 99.0, 99.0), false);

  // A reference instrument reading 20.25 °C throughout, logging every 30 s from before the loggers.
  const sim::TLoggerDescription first = Logger(1, 0, 0);
  const std::string csv = dir.File("reference.csv");
  WriteSimulatedCSVFile(csv, AcquisitionUnitCSV(), {{"Ref T", ConstantReading(20.25)}},
                        first.FirstSampleTime - 10 * kOneMinute, 30 * kOneSecond, 600);
  ctx.Options.ReportKind = rkTemperatureAndHumidity;
  ctx.Options.TemperatureReference.Source = rdsCSV;
  ctx.Options.TemperatureReference.CSVFile = csv;
  ctx.Options.TemperatureReference.CSVUseChannelNumber = false;
  ctx.Options.TemperatureReference.CSVChannelID = "Ref T";
  ctx.Options.HumidityReference.Source = rdsMean;
  ctx.Settings.CSVDateFormat = "dd/mm/yyyy";

  RefreshDataFileStatus(ctx);
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) EXPECT_EQ(ctx.DataFileList.Entry(i).FileStatus, fsLoaded);
  DoProcessData(ctx);
  ASSERT_FALSE(ctx.Halted) << (console.Output.empty() ? "" : console.Output.back());
  EXPECT_EQ(console.Status(), "Finished");
  EXPECT_EQ(reports, 1);
  EXPECT_TRUE(console.HasOutput("Data files found: 4 (3 with temperature, 3 with humidity)"));

  const TQuantityResults& t = ctx.Results.Temperature;
  EXPECT_EQ(t.Reference.ReferenceShortText, "ID \"Ref T\"");
  EXPECT_NEAR(t.MeanSeries.Series.Statistics.Mean, (20.0 + 20.5 + 20.5) / 3, 1e-4);
  EXPECT_NEAR(t.ErrorSeries.Series.Statistics.Mean, (20.0 + 20.5 + 20.5) / 3 - 20.25, 1e-4);
  EXPECT_NEAR(t.SpreadSeries.Series.Statistics.Mean, 0.5, 1e-4);
  EXPECT_NEAR(t.Pooled.Statistics.Mean, (20.0 + 20.5 + 20.5) / 3, 1e-4);
  EXPECT_EQ(t.Pooled.Count(), ctx.DataFileList.Entry(0).TemperatureSeries.Statistics.Count * 3);
  // Humidity against the loggers' own mean: no error at all.
  EXPECT_NEAR(ctx.Results.Humidity.ErrorSeries.Series.Statistics.Mean, 0.0, 1e-6);
  EXPECT_NEAR(ctx.Results.Humidity.ErrorSeries.Series.Statistics.Maximum, 0.0, 1e-6);
}

TEST_F(SimulatedRun, ACorruptFileStopsTheRunWithTheReadersMessage) {
  AddLogger("a.kv", Logger(1, 20.0, 50.0));
  auto bad = Logger(2, 20.0, 50.0);
  bad.CRCOverride = 0x12345678u;
  AddLogger("b.kv", bad);
  RefreshDataFileStatus(ctx);
  DoProcessData(ctx);
  EXPECT_TRUE(ctx.Halted);
  EXPECT_TRUE(console.HasOutput("Error: Error reading data file b.kv\rCRC error"));
  EXPECT_EQ(reports, 0);
}

TEST_F(SimulatedRun, ALoggerFileAsTemperatureReference) {
  AddLogger("a.kv", Logger(1, 20.0, 50.0));
  const std::string ref = dir.File("ref.kv");
  auto r = Logger(9, 19.5, 50.0);
  r.SampleCount = 300;
  sim::WriteLegacyFile(r, ref);
  ctx.Options.ReportKind = rkTemperature;
  ctx.Options.TemperatureReference.Source = rdsLogger;
  ctx.Options.TemperatureReference.LoggerFile = ref;
  RefreshDataFileStatus(ctx);
  DoProcessData(ctx);
  ASSERT_FALSE(ctx.Halted);
  EXPECT_NEAR(ctx.Results.Temperature.ErrorSeries.Series.Statistics.Mean, 0.5, 1e-4);
  EXPECT_EQ(ctx.Results.Temperature.Reference.ReferenceLongText,
            "Logger " + ctx.Results.Temperature.Reference.ReferenceShortText);
}

}  // namespace
}  // namespace qvs

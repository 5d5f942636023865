// The bundled demonstration: written, loaded as a project and run, it shows what it is built to
// show.

#include <gtest/gtest.h>

#include "RecordingConsole.h"
#include "TempFolder.h"
#include "core/FileStatus.h"
#include "core/Processing.h"
#include "demo/DemoProject.h"
#include "project/Project.h"
#include "reports/TextReport.h"
#include "services/StandardRunServices.h"

namespace qvs {
namespace {

const TQVSDataSet* EntryWithID(const TQVSContext& ctx, const std::string& id) {
  for (int i = 0; i < ctx.DataFileList.Count(); ++i)
    if (ctx.DataFileList.Entry(i).ID == id) return &ctx.DataFileList.Entry(i);
  return nullptr;
}

TEST(Demo, RunsAndShowsTheColdSpotTheDriftAndTheOffset) {
  test::TTempFolder dir;
  const TDemoResult demo = WriteDemoProject(dir.File("demo"));
  EXPECT_EQ(demo.LoggerFiles, 12);

  test::TRecordingConsole console;
  TQVSContext ctx{console};
  TStandardRunServices services;
  ctx.Services = &services;
  std::string report;
  services.ReportWriter = [&](TQVSContext& c) { report = TextSummaryReport(c, {"Chamber validation", "", "tester", c.Now()}); };
  TProjectState state;
  ASSERT_TRUE(LoadProject(ctx, state, demo.ProjectFile)) << state.LastError;
  ASSERT_EQ(ctx.DataFileList.Count(), 12);
  RefreshDataFileStatus(ctx);
  DoProcessData(ctx);
  ASSERT_FALSE(ctx.Halted) << testing::PrintToString(console.Output);
  EXPECT_EQ(ctx.DataFileList.CountTemperature(), 11);
  EXPECT_EQ(ctx.DataFileList.CountHumidity(), 8);

  const TQVSDataSet* door = EntryWithID(ctx, "Door seal (cold spot)");
  const TQVSDataSet* drift = EntryWithID(ctx, "Shelf 2 (drifting)");
  const TQVSDataSet* offset = EntryWithID(ctx, "Shelf 3 (out of calibration)");
  const TQVSDataSet* centre = EntryWithID(ctx, "Centre");
  ASSERT_TRUE(door && drift && offset && centre);
  const double reference = ctx.Results.Temperature.Reference.Series.Statistics.Mean;
  EXPECT_NEAR(reference, 25.0, 0.02);
  // The centre logger's calibration points take out its sensor error.
  EXPECT_NEAR(centre->TemperatureSeries.Statistics.Mean - reference, 0.0, 0.02);
  // The door seal goes far colder than anything else and spends time below the lower limit.
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    const TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (&e != door && e.UsesTemperature()) {
      EXPECT_GT(e.TemperatureSeries.Statistics.Minimum, 24.0) << e.ID;
    }
  }
  EXPECT_LT(door->TemperatureSeries.Statistics.Minimum, 23.0);
  EXPECT_GT(door->TemperatureSeries.Statistics.CountBelow, 0);
  // The drifting logger climbs by about 0.6 °C a day; the others stay level.
  const double perDay = drift->TemperatureSeries.Statistics.Slope * 1440;
  EXPECT_NEAR(perDay, 0.6, 0.05);
  EXPECT_NEAR(centre->TemperatureSeries.Statistics.Slope * 1440, 0.0, 0.05);
  // The logger out of calibration reads about 0.55 °C high.
  EXPECT_NEAR(offset->TemperatureSeries.Statistics.Mean - reference, 0.55, 0.03);
  // The disabled spare is in no table.
  EXPECT_EQ(report.find("Spare (not placed)"), std::string::npos);
  EXPECT_NE(report.find("Temperature Results"), std::string::npos);
  EXPECT_NE(report.find("Humidity Results"), std::string::npos);
  EXPECT_NE(report.find("(WARNING - within 21d of last logger sample)"), std::string::npos);
}

}  // namespace
}  // namespace qvs

#include <gtest/gtest.h>

#include <limits>

#include "FakeServices.h"
#include "RecordingConsole.h"
#include "TempFolder.h"
#include "core/DataFileList.h"
#include "core/FileStatus.h"
#include "core/SampleRecord.h"

namespace qvs {
namespace {

TEST(SampleRecord, IndexOfTimeRoundsToNearestWithTiesToEven) {
  TSampleRecord s;
  s.StartTime = 100.0;
  s.SamplePeriod = 0.5;  // exact in binary, so the half-way times below are exact ties
  struct Case { double t; int index; };
  const Case cases[] = {
      {100.0, 0}, {100.5, 1}, {100.24, 0}, {100.26, 1},
      {100.25, 0}, {100.75, 2}, {101.25, 2}, {101.75, 4},  // ties go to the even index
      {99.0, -2}, {99.75, 0}, {99.25, -2},                  // before the start: negative, not clamped
      {1e15, 0}, {-1e15, 0},                                // outside the 32-bit range
      {std::numeric_limits<double>::quiet_NaN(), 0}, {std::numeric_limits<double>::infinity(), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(s.IndexOfTime(c.t), c.index) << c.t;
}

TEST(SampleRecord, WithoutAPeriodEveryTimeIsIndexZero) {
  TSampleRecord s;
  s.StartTime = 100.0;
  for (double period : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
    s.SamplePeriod = period;
    EXPECT_EQ(s.IndexOfTime(100.0), 0);
    EXPECT_EQ(s.IndexOfTime(250.0), 0);
  }
}

TEST(SampleRecord, TimesOfSamplesAndSinglePrecisionStorage) {
  TSampleRecord s;
  s.StartTime = 45000.0;
  s.SamplePeriod = 1.0 / 1440;
  s.Add(20.1);
  s.Add(20.2);
  EXPECT_EQ(s[0], static_cast<double>(20.1f));  // stored as a single
  EXPECT_NEAR(s.TimeOfSample(1440), 45001.0, 1e-12);
  EXPECT_NEAR(s.LastSampleTime(), 45000.0 + 1.0 / 1440, 1e-12);
  EXPECT_EQ(TMarkerList::Pack(3, 517), (3u << 16) | 517u);
  EXPECT_EQ(TMarkerList::MarkerCount(TMarkerList::Pack(3, 517)), 3);
  EXPECT_EQ(TMarkerList::SampleNumber(TMarkerList::Pack(3, 517)), 517);
}

std::unique_ptr<TQVSDataSet> NewEntry(const std::string& id = {}) {
  auto e = std::make_unique<TQVSDataSet>();
  e->ID = id;
  return e;
}

TEST(DataFileList, StaysSortedIgnoringCaseAndKeepsCaseDistinctPaths) {
  TDataFileList list;
  EXPECT_TRUE(list.AddEntry("/d/b.kv", NewEntry()));
  EXPECT_TRUE(list.AddEntry("/d/A.kv", NewEntry()));
  EXPECT_TRUE(list.AddEntry("/d/c.kv", NewEntry()));
  EXPECT_FALSE(list.AddEntry("/d/b.kv", NewEntry("dropped")));  // already listed
  EXPECT_TRUE(list.AddEntry("/d/B.kv", NewEntry()));   // another file on this platform
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Path(0), "/d/A.kv");
  EXPECT_EQ(list.Path(1), "/d/B.kv");
  EXPECT_EQ(list.Path(2), "/d/b.kv");
  EXPECT_EQ(list.Path(3), "/d/c.kv");
  EXPECT_EQ(list.Entry(2).ID, "");
  list.DeleteEntry(0);
  EXPECT_EQ(list.Path(0), "/d/B.kv");
  list.ClearEntries();
  EXPECT_EQ(list.Count(), 0);
}

TEST(DataFileList, CountsFollowEnabledAndSamples) {
  TDataFileList list;
  auto a = NewEntry();
  a->TemperatureSeries.Add(1);
  a->HumiditySeries.Add(2);
  auto b = NewEntry();
  b->TemperatureSeries.Add(1);
  b->Enabled = false;
  auto c = NewEntry();
  list.AddEntry("/a", std::move(a));
  list.AddEntry("/b", std::move(b));
  list.AddEntry("/c", std::move(c));
  EXPECT_EQ(list.CountEnabled(), 2);
  EXPECT_EQ(list.CountTemperature(), 1);
  EXPECT_EQ(list.CountHumidity(), 1);
}

TEST(DataFileList, ProjectTextRoundTripsRelativeToTheProjectFolder) {
  TDataFileList list;
  auto a = NewEntry("chamber top");
  auto b = NewEntry("");
  b->Enabled = false;
  list.AddEntry("/site/data/run 1/logger a.kv", std::move(a));
  list.AddEntry("/site/other/b.kv", std::move(b));
  const std::string text = list.ToProjectText("/site/data/project.qvs");
  EXPECT_EQ(text, "\"\"\"run 1/logger a.kv\"\",\"\"chamber top\"\",1\",\"../other/b.kv,,0\"");

  TDataFileList back;
  back.FromProjectText(text, "/site/data/project.qvs");
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Path(0), "/site/data/run 1/logger a.kv");
  EXPECT_EQ(back.Entry(0).ID, "chamber top");
  EXPECT_TRUE(back.Entry(0).Enabled);
  EXPECT_EQ(back.Path(1), "/site/other/b.kv");
  EXPECT_FALSE(back.Entry(1).Enabled);

  // Saved into another folder, the same files stay reachable.
  TDataFileList moved;
  moved.FromProjectText(list.ToProjectText("/elsewhere/deep/p.qvs"), "/elsewhere/deep/p.qvs");
  EXPECT_EQ(moved.Path(0), "/site/data/run 1/logger a.kv");
  EXPECT_EQ(moved.Path(1), "/site/other/b.kv");
}

TEST(DataFileList, ReadsItemsWrittenByTheWindowsProgram) {
  TDataFileList list;
  list.FromProjectText("loggers\\a.kv,\"..\\shared\\b.kv,\"\"ID 2\"\"\",C:\\Data\\c.kv,\\\\server\\share\\d.kv,\"\",e.kv",
                       "/p/proj.qvs");
  ASSERT_EQ(list.Count(), 5);
  // Sorted ignoring case: "/p/..." paths after "C:..."; the UNC path joined to the project folder.
  EXPECT_EQ(list.Path(0), "/p/e.kv");
  EXPECT_EQ(list.Path(1), "/p/loggers/a.kv");
  EXPECT_EQ(list.Path(2), "/p/server/share/d.kv");
  EXPECT_EQ(list.Path(3), "/shared/b.kv");
  EXPECT_EQ(list.Entry(3).ID, "ID 2");
  EXPECT_EQ(list.Path(4), "C:\\Data\\c.kv");  // a drive path is kept as written
  // An item with only a path: enabled, empty ID.
  EXPECT_TRUE(list.Entry(0).Enabled);
  EXPECT_EQ(list.Entry(0).ID, "");
}

TEST(DataFileList, APathListedTwiceLoadsOnce) {
  TDataFileList list;
  list.FromProjectText("a.kv,\"a.kv,second,0\",./a.kv", "/p/proj.qvs");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.Entry(0).Enabled);
}

TEST(ProjectPaths, ExpandAndRelate) {
  EXPECT_EQ(ExpandProjectPath("/p/q/", "../x/./y.kv"), "/p/x/y.kv");
  EXPECT_EQ(ExpandProjectPath("/p/q", "/abs/z.kv"), "/abs/z.kv");
  EXPECT_EQ(ExpandProjectPath("/p/q", "/abs//w/../z.kv"), "/abs/z.kv");
  EXPECT_EQ(RelativeProjectPath("/p/q/", "/p/q/r/s.kv"), "r/s.kv");
  EXPECT_EQ(RelativeProjectPath("/p/q/", "/p/t.kv"), "../t.kv");
  EXPECT_EQ(RelativeProjectPath("/p/q/", "D:\\t.kv"), "D:\\t.kv");
  EXPECT_TRUE(IsAbsoluteProjectPath("/x"));
  EXPECT_TRUE(IsAbsoluteProjectPath("c:\\x"));
  EXPECT_TRUE(IsAbsoluteProjectPath("C:"));
  EXPECT_FALSE(IsAbsoluteProjectPath("\\\\server\\x"));
  EXPECT_FALSE(IsAbsoluteProjectPath("x/y"));
}

TEST(LoggerData, RecalibrationRules) {
  TLoggerData d;
  d.LoggerType = 3;
  for (int sub : {13, 14, 29, 30}) {
    d.LoggerSubType = static_cast<std::uint8_t>(sub);
    EXPECT_EQ(d.RecalibrationSupported(), sub >= 14 && sub <= 29) << sub;
  }
  d.LoggerType = 4;
  d.LoggerSubType = 0;
  EXPECT_TRUE(d.RecalibrationSupported());

  d.RecalibrationPeriodDays = 8224;
  EXPECT_FALSE(d.RecalibrationDataAvailable());
  d.RecalibrationPeriodDays = 8223;
  EXPECT_TRUE(d.RecalibrationDataAvailable());
  d.RecalibrationPeriodDays = 0;
  EXPECT_FALSE(d.RecalibrationEnabled());

  // A used logger: base date + period. An unused one inside its grace: now + period; after: base +
  // grace + period.
  d.RecalibrationBaseDate = 45000;
  d.RecalibrationPeriodDays = 365;
  d.RecalibrationGraceDays = 30;
  d.RecalibrationFlagB = 2;
  EXPECT_EQ(d.RecalibrationExpiryDate(45100), 45365);
  d.RecalibrationFlagB = 0;
  d.RecalibrationFlagA = 0;
  EXPECT_EQ(d.RecalibrationExpiryDate(45010), 45375);
  EXPECT_EQ(d.RecalibrationExpiryDate(45100), 45395);
  d.RecalibrationFlagA = 2;
  d.LastSampleTime = 45344;
  EXPECT_FALSE(d.RecalibrationWarning(0));  // 21.0 days exactly does not warn
  d.LastSampleTime = 45344.5;
  EXPECT_TRUE(d.RecalibrationWarning(0));
  EXPECT_FALSE(d.RecalibrationExpired(0));
  d.LastSampleTime = 45366;
  EXPECT_TRUE(d.RecalibrationExpired(0));
}

TEST(FileStatus, TheChainEndsInOneOfItsFinalStates) {
  test::TTempFolder dir;
  test::TRecordingConsole console;
  test::TFakeRunServices services;
  TQVSContext ctx{console};
  ctx.Services = &services;
  const std::string good = dir.Write("good.kv", "x");
  const std::string bad = dir.Write("bad.kv", "x");
  const std::string text = dir.Write("notes.txt", "x");
  const std::string folder = dir.File("folder.kv");
  std::filesystem::create_directory(folder);
  services.Files[good] = test::MakeLogger(5, 46000.0, 60, {1, 2, 3});
  services.Recognised[bad] = true;  // recognised, but it does not load
  for (const std::string& p : {good, bad, text, folder, dir.File("missing.kv")})
    ctx.DataFileList.AddEntry(p, std::make_unique<TQVSDataSet>());

  EXPECT_EQ(RefreshDataFileStatus(ctx), 5);
  const auto status = [&](const std::string& p) { return ctx.DataFileList.Entry(ctx.DataFileList.IndexOf(p)).FileStatus; };
  EXPECT_EQ(status(good), fsLoaded);
  EXPECT_EQ(status(bad), fsUnreadable);
  EXPECT_EQ(status(text), fsUnrecognised);
  EXPECT_EQ(status(folder), fsUnreadable);
  EXPECT_EQ(status(dir.File("missing.kv")), fsNotFound);
  const TQVSDataSet& loaded = ctx.DataFileList.Entry(ctx.DataFileList.IndexOf(good));
  EXPECT_EQ(loaded.FileSize, 1);
  EXPECT_GT(loaded.FileDate, 40000.0);
  EXPECT_EQ(loaded.TemperatureSeries.Count(), 3);
  EXPECT_EQ(loaded.TemperatureSeries.Statistics.Mean, 2);
  EXPECT_EQ(ctx.Results.Temperature.Extents.LatestStart, 46000.0);
  EXPECT_NEAR(ctx.Options.SummaryStartDateTime(), 46000.0, 1e-9);  // unset start reset to the data
  // Final states stay final: a second refresh changes nothing and loads nothing again.
  const auto loads = services.Loaded.size();
  EXPECT_EQ(RefreshDataFileStatus(ctx), 0);
  EXPECT_EQ(services.Loaded.size(), loads);
}

}  // namespace
}  // namespace qvs

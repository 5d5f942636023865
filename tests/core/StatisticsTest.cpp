#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "FakeServices.h"
#include "RecordingConsole.h"
#include "core/DateTime.h"
#include "core/Statistics.h"

namespace qvs {
namespace {

using test::MakeLogger;
using test::TRecordingConsole;

constexpr double kMinute = 1.0 / 1440.0;

TSampleRecord Series(const std::vector<double>& values, TDateTime start = 45000.0, double periodSeconds = 60) {
  TSampleRecord s;
  for (double v : values) s.Add(v);
  s.StartTime = start;
  s.SamplePeriod = periodSeconds / 86400.0;
  return s;
}

// An independent two-pass computation, written from the textbook definitions, in long double.
struct TOracle {
  long double Mean = 0, Variance = 0, Slope = 0, Intercept = 0, RSquared = 0, Windowed = 0;
  int Below = 0, Above = 0;
};

TOracle Oracle(const std::vector<float>& v, long double lower, long double upper) {
  TOracle o;
  const std::size_t n = v.size();
  long double sum = 0;
  for (float x : v) sum += x;
  o.Mean = sum / n;
  long double sxx = 0, sxy = 0, syy = 0, xs = 0;
  for (std::size_t i = 0; i < n; ++i) xs += i + 1;  // 1-based abscissa, as a window passes it
  const long double xm = xs / n;
  for (std::size_t i = 0; i < n; ++i) {
    const long double dx = (i + 1) - xm, dy = v[i] - o.Mean;
    sxx += dx * dx;
    sxy += dx * dy;
    syy += dy * dy;
    if (v[i] < lower) ++o.Below;
    if (v[i] > upper) ++o.Above;
  }
  o.Variance = syy / (n - 1);
  o.Slope = sxy / sxx;
  o.Intercept = o.Mean - o.Slope * xm;
  o.RSquared = sxy * sxy / (sxx * syy);
  long double wsum = 0;
  for (std::size_t i = 0; i < n; ++i)
    wsum += (v[i] - o.Mean) * 0.5L * (1 - std::cos(2 * 3.14159265358979323846L * i / (n - 1)));
  o.Windowed = wsum / n + o.Mean;
  return o;
}

void ExpectSignificant(double actual, long double expected, const char* what) {
  const long double scale = std::max<long double>(std::fabs(expected), 1e-300L);
  EXPECT_LT(std::fabs(actual - expected) / scale, 1e-9L) << what << ": " << actual << " vs " << (double)expected;
}

TEST(ComputeStatistics, WorkedValuesOfSmallSeries) {
  struct Case {
    const char* name;
    std::vector<double> values;
    double mean, variance, sd, slope, intercept, rsquared, windowed;
  };
  const Case cases[] = {
      // 1,2,3 at 1-based indexes: the line is exactly v = i.
      {"one two three", {1, 2, 3}, 2, 1, 1, 1, 0, 1, 2},
      // A constant: Syy = 0 gives RSquared 1; the weights do not move the mean.
      {"constant", {5, 5, 5, 5}, 5, 0, 0, 0, 5, 1, 5},
      // A single value: nothing spreads, the weight is 0.
      {"single", {7.5}, 7.5, 0, 0, 0, 7.5, 1, 7.5},
  };
  for (const Case& c : cases) {
    TSampleRecord s = Series(c.values);
    WindowStatistics(s, 1, s.Count());
    const TStatisticsRecord& r = s.Statistics;
    SCOPED_TRACE(c.name);
    EXPECT_EQ(r.Count, static_cast<int>(c.values.size()));
    EXPECT_DOUBLE_EQ(r.Mean, c.mean);
    EXPECT_DOUBLE_EQ(r.Variance, c.variance);
    EXPECT_DOUBLE_EQ(r.StandardDeviation, c.sd);
    EXPECT_DOUBLE_EQ(r.Slope, c.slope);
    EXPECT_NEAR(r.Intercept, c.intercept, 1e-12);
    EXPECT_DOUBLE_EQ(r.RSquared, c.rsquared);
    EXPECT_NEAR(r.WindowedMean, c.windowed, 1e-12);
    EXPECT_TRUE(r.ErrorText.empty());
  }
}

TEST(ComputeStatistics, ExtremesTakeTheFirstIndexAndLimitsAreStrict) {
  TSampleRecord s = Series({1, 2, 9, 4, 0, 5, 9, 0, 3});
  s.Statistics.UpperLimit = 5;
  s.Statistics.LowerLimit = 1;
  WindowStatistics(s, 1, s.Count());
  const TStatisticsRecord& r = s.Statistics;
  EXPECT_EQ(r.Maximum, 9);
  EXPECT_EQ(r.MaximumIndex, 3);  // equal maxima at 3 and 7
  EXPECT_EQ(r.Minimum, 0);
  EXPECT_EQ(r.MinimumIndex, 5);
  EXPECT_EQ(r.Range, 9);
  EXPECT_EQ(r.CountAbove, 2);  // the 5 equal to the limit does not count
  EXPECT_EQ(r.CountBelow, 2);  // nor does the 1
  EXPECT_EQ(r.UpperLimit, 5);  // limits survive the computation
  EXPECT_EQ(r.LowerLimit, 1);
  // Whole-series statistics number from 0.
  WholeSeriesStatistics(s);
  EXPECT_EQ(s.Statistics.MaximumIndex, 2);
}

TEST(ComputeStatistics, EmptyRangesGiveZerosNotFailures) {
  TSampleRecord s = Series({3, 4});
  WindowStatistics(s, 2, 1);  // first beyond last
  EXPECT_EQ(s.Statistics.Count, 0);
  EXPECT_EQ(s.Statistics.Mean, 0);
  EXPECT_TRUE(s.Statistics.ErrorText.empty());
  TSampleRecord empty;
  WholeSeriesStatistics(empty);
  EXPECT_EQ(empty.Statistics.Count, 0);
}

TEST(ComputeStatistics, WindowOutsideTheSeriesReadsZeros) {
  TSampleRecord s = Series({4, 4});
  WindowStatistics(s, 0, 3);  // index 0 and 3 are outside 1..2
  EXPECT_EQ(s.Statistics.Count, 4);
  EXPECT_DOUBLE_EQ(s.Statistics.Mean, 2);
}

TEST(ComputeStatistics, ASampleThatIsNotANumberIsAFailure) {
  TSampleRecord s = Series({1, std::nan(""), 3});
  WindowStatistics(s, 1, 3);
  EXPECT_EQ(s.Statistics.ErrorText.rfind("Exception Invalid floating point operation", 0), 0u)
      << s.Statistics.ErrorText;
  EXPECT_NE(s.Statistics.ErrorText.find(" at "), std::string::npos);
}

TEST(ComputeStatistics, AgreesWithAnIndependentComputationOnRandomSeries) {
  std::mt19937 rng(20261211);
  for (int round = 0; round < 40; ++round) {
    const int n = 2 + static_cast<int>(rng() % 5000);
    std::normal_distribution<double> noise(rng() % 2 ? 21.5 : -18.0, 0.05 + (rng() % 100) / 10.0);
    const double drift = ((rng() % 200) - 100) / 1e4;
    std::vector<double> values;
    for (int i = 0; i < n; ++i) values.push_back(noise(rng) + drift * i);
    TSampleRecord s = Series(values);
    s.Statistics.LowerLimit = -18.0;
    s.Statistics.UpperLimit = 21.6;
    WindowStatistics(s, 1, n);
    const TOracle o = Oracle(s.Values, -18.0, 21.6);
    const TStatisticsRecord& r = s.Statistics;
    SCOPED_TRACE(round);
    ExpectSignificant(r.Mean, o.Mean, "mean");
    ExpectSignificant(r.Variance, o.Variance, "variance");
    ExpectSignificant(r.StandardDeviation, std::sqrt(o.Variance), "sd");
    ExpectSignificant(r.Slope, o.Slope, "slope");
    ExpectSignificant(r.Intercept, o.Intercept, "intercept");
    ExpectSignificant(r.RSquared, o.RSquared, "r squared");
    ExpectSignificant(r.WindowedMean, o.Windowed, "windowed mean");
    EXPECT_EQ(r.CountBelow, o.Below);
    EXPECT_EQ(r.CountAbove, o.Above);
  }
}

TEST(SummaryWindowIndexes, ClampsToTheSeries) {
  const TSampleRecord s = Series({1, 2, 3, 4, 5}, 100.0, 60);
  struct Case { double from, to; int first, last; };
  const Case cases[] = {
      {100.0, 100.0 + 4 * kMinute, 1, 5},          // the whole series
      {100.0 + kMinute, 100.0 + 3 * kMinute, 2, 4},
      {90.0, 95.0, 1, 1},                          // wholly before: the first sample alone
      {200.0, 300.0, 5, 5},                        // wholly after: the last sample alone
      {100.0 + 3 * kMinute, 100.0 + kMinute, 4, 2},  // start after end: nothing examined
  };
  for (const Case& c : cases) {
    const auto [first, last] = SummaryWindowIndexes(s, c.from, c.to);
    EXPECT_EQ(first, c.first) << c.from;
    EXPECT_EQ(last, c.last) << c.to;
  }
}

class RunStatistics : public ::testing::Test {
 protected:
  void Add(const std::string& path, const TLoggerData& data, bool enabled = true) {
    auto e = std::make_unique<TQVSDataSet>();
    e->LoggerData = data;
    e->Enabled = enabled;
    RebuildSeries(*e);
    ctx.DataFileList.AddEntry(path, std::move(e));
  }
  TRecordingConsole console;
  TQVSContext ctx{console};
};

TEST_F(RunStatistics, CrossLoggerSeriesStepsByTheShortestPeriodAndTakesNearestSamples) {
  const double t0 = 46000.0;
  // Periods of 1/1024 and 1/512 day are exact binary fractions, so the half-way times of the
  // slower logger are exact ties (with 60 s and 120 s they would miss by a rounding error).
  const double fast = 86400.0 / 1024, slow = 2 * fast;
  std::vector<double> a, b;
  for (int i = 0; i <= 10; ++i) a.push_back(i);
  for (int i = 0; i <= 5; ++i) b.push_back(100 + 10 * i);
  Add("/a.kv", MakeLogger(1, t0, fast, a));
  Add("/b.kv", MakeLogger(2, t0, slow, b));
  ComputeRunExtents(ctx);
  BuildCrossLoggerSeries(ctx);
  const TQuantityResults& r = ctx.Results.Temperature;
  EXPECT_EQ(r.MeanSeries.Series.SamplePeriod, 1.0 / 1024);
  EXPECT_EQ(r.MeanSeries.Series.StartTime, t0);
  // Steps 0..9 (t < the earliest end at step 10). At odd steps the slow logger sits half-way
  // between two samples and the even index wins: step 1 -> index 0, 3 -> 2, 5 -> 2, 7 -> 4, 9 -> 4.
  ASSERT_EQ(r.MeanSeries.Series.Count(), 10);
  const int nearest[10] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4};
  for (int k = 0; k < 10; ++k) {
    const double other = 100 + 10 * nearest[k];
    const double mean = (k + other) / 2;
    EXPECT_FLOAT_EQ(r.MeanSeries.Series[k], mean) << k;
    EXPECT_FLOAT_EQ(r.SpreadSeries.Series[k], other - k) << k;
    const double var = 2 * (k - mean) * (k - mean);  // divisor n - 1 = 1
    EXPECT_FLOAT_EQ(r.VarianceSeries.Series[k], var) << k;
    EXPECT_FLOAT_EQ(r.SDSeries.Series[k], std::sqrt(var)) << k;
  }
}

TEST_F(RunStatistics, OneLoggerGivesItsOwnValuesAndNoSpread) {
  Add("/a.kv", MakeLogger(1, 46000.0, 60, {5, 6, 7, 8}));
  ComputeRunExtents(ctx);
  BuildCrossLoggerSeries(ctx);
  const TQuantityResults& r = ctx.Results.Temperature;
  ASSERT_EQ(r.MeanSeries.Series.Count(), 3);  // the step at the last sample time is not < end
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(r.MeanSeries.Series[k], 5 + k);
    EXPECT_EQ(r.VarianceSeries.Series[k], 0);
    EXPECT_EQ(r.SpreadSeries.Series[k], 0);
  }
}

TEST_F(RunStatistics, LoggersThatDoNotOverlapGiveEmptySeries) {
  Add("/a.kv", MakeLogger(1, 46000.0, 60, {1, 2, 3}));
  Add("/b.kv", MakeLogger(2, 46001.0, 60, {1, 2, 3}));
  ComputeRunExtents(ctx);
  BuildCrossLoggerSeries(ctx);
  EXPECT_EQ(ctx.Results.Temperature.MeanSeries.Series.Count(), 0);
  EXPECT_EQ(ctx.Results.Temperature.VarianceSeries.Series.Count(), 0);
}

TEST_F(RunStatistics, AZeroSamplePeriodNeverLoopsAndSaysWhy) {
  Add("/a.kv", MakeLogger(1, 46000.0, 0, {1, 2, 3}));
  ComputeRunExtents(ctx);
  BuildCrossLoggerSeries(ctx);
  EXPECT_EQ(ctx.Results.Temperature.MeanSeries.Series.Count(), 0);
  ASSERT_EQ(ctx.Results.ProcessingNotes.size(), 1u);
  EXPECT_NE(ctx.Results.ProcessingNotes[0].find("no usable sample period"), std::string::npos);
}

// The straightforward form of the cross-logger build: gather each step's samples into a scratch
// series and take its window statistics. The optimised build must give the same numbers (the
// mean and range exactly, the spread statistics to single precision).
TEST_F(RunStatistics, CrossLoggerSeriesEqualsGatheringEachStep) {
  std::mt19937 rng(7);
  const double periods[] = {30, 60, 60, 120, 300, 45};
  for (int i = 0; i < 12; ++i) {
    std::vector<double> t, h;
    const int n = 200 + static_cast<int>(rng() % 300);
    std::normal_distribution<double> noise(20.0 + i * 0.1, 0.3);
    for (int k = 0; k < n; ++k) {
      t.push_back(noise(rng));
      h.push_back(50 + noise(rng));
    }
    Add("/l" + std::to_string(i) + ".kv",
        MakeLogger(i, 46000.0 + (rng() % 600) / 86400.0, periods[i % 6], t, i % 3 ? h : std::vector<double>{}),
        i != 5);
  }
  ComputeRunExtents(ctx);
  BuildCrossLoggerSeries(ctx);
  for (bool temperature : {true, false}) {
    const TQuantityResults& r = temperature ? ctx.Results.Temperature : ctx.Results.Humidity;
    const double P = r.Extents.ShortestPeriod;
    std::size_t k = 0;
    for (double t = r.Extents.LatestStart; t < r.Extents.EarliestEnd; t += P, ++k) {
      TSampleRecord scratch;
      for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
        TQVSDataSet& e = ctx.DataFileList.Entry(i);
        if (!(temperature ? e.UsesTemperature() : e.UsesHumidity())) continue;
        const TSampleRecord& s = temperature ? e.TemperatureSeries : e.HumiditySeries;
        const int j = s.IndexOfTime(t);
        if (j >= 0 && j < s.Count()) scratch.Add(s[j]);
      }
      WindowStatistics(scratch, 1, scratch.Count());
      ASSERT_LT(k, static_cast<std::size_t>(r.MeanSeries.Series.Count()));
      EXPECT_EQ(r.MeanSeries.Series.Values[k], static_cast<float>(scratch.Statistics.Mean));
      EXPECT_FLOAT_EQ(r.VarianceSeries.Series.Values[k], static_cast<float>(scratch.Statistics.Variance));
      EXPECT_FLOAT_EQ(r.SDSeries.Series.Values[k], static_cast<float>(scratch.Statistics.StandardDeviation));
      EXPECT_EQ(r.SpreadSeries.Series.Values[k], static_cast<float>(scratch.Statistics.Range));
    }
    EXPECT_EQ(k, static_cast<std::size_t>(r.MeanSeries.Series.Count()));
    EXPECT_GT(k, 100u);
  }
}

TEST_F(RunStatistics, WindowsPooledStatisticsExtremesAndPlotRange) {
  const double t0 = 46000.0;
  Add("/a.kv", MakeLogger(1, t0, 60, {1, 2, 3, 4, 5, 6}));
  Add("/b.kv", MakeLogger(2, t0 + 2 * kMinute, 60, {10, 20, 30, 40}));
  ctx.Options.SummaryUpperTemperatureLimit = 25;
  ctx.Options.SummaryLowerTemperatureLimit = 2.5;
  ComputeRunExtents(ctx);
  const TQuantityExtents& x = ctx.Results.Temperature.Extents;
  EXPECT_EQ(x.LatestStart, t0 + 2 * kMinute);
  EXPECT_NEAR(x.EarliestEnd, t0 + 5 * kMinute, 1e-12);
  ComputeSummaryWindows(ctx);
  ASSERT_TRUE(ComputeLoggerStatistics(ctx));
  TQVSDataSet& a = ctx.DataFileList.Entry(0);
  TQVSDataSet& b = ctx.DataFileList.Entry(1);
  EXPECT_EQ(a.TemperatureFirst, 3);
  EXPECT_EQ(a.TemperatureLast, 6);
  EXPECT_EQ(b.TemperatureFirst, 1);
  EXPECT_EQ(b.TemperatureLast, 4);
  EXPECT_DOUBLE_EQ(a.TemperatureSeries.Statistics.Mean, 4.5);
  EXPECT_EQ(a.TemperatureSeries.Statistics.CountBelow, 0);
  EXPECT_EQ(b.TemperatureSeries.Statistics.CountAbove, 2);
  ComputeStatisticExtremes(ctx);
  EXPECT_EQ(ctx.Results.Temperature.Extremes.HighestMaximum, 40);
  EXPECT_EQ(ctx.Results.Temperature.Extremes.LowestMaximum, 6);
  EXPECT_EQ(ctx.Results.Temperature.Extremes.HighestMinimum, 10);
  EXPECT_EQ(ctx.Results.Temperature.Extremes.LowestMinimum, 3);
  ComputePooledStatistics(ctx);
  const TSampleRecord& pooled = ctx.Results.Temperature.Pooled;
  EXPECT_EQ(pooled.Count(), 8);
  EXPECT_DOUBLE_EQ(pooled.Statistics.Mean, (3 + 4 + 5 + 6 + 10 + 20 + 30 + 40) / 8.0);
  EXPECT_EQ(pooled.Statistics.CountAbove, 2);
  EXPECT_EQ(pooled.Statistics.CountBelow, 0);
  ComputePlotRange(ctx);
  EXPECT_NEAR(ctx.Results.Temperature.PlotStart, t0 + 2 * kMinute, 1e-12);
  EXPECT_NEAR(ctx.Results.Temperature.PlotEnd, t0 + 5 * kMinute, 1e-12);
}

TEST_F(RunStatistics, ASummaryWindowBeforeALoggerExaminesItsFirstSample) {
  Add("/a.kv", MakeLogger(1, 46000.0, 60, {7, 8, 9}));
  ComputeRunExtents(ctx);
  ctx.Options.SummaryEntireLoggerRecord = false;
  ctx.Options.SetSummaryStart(45990.0);
  ctx.Options.SetSummaryEnd(45991.0);
  ComputeSummaryWindows(ctx);
  ASSERT_TRUE(ComputeLoggerStatistics(ctx));
  EXPECT_EQ(ctx.DataFileList.Entry(0).TemperatureFirst, 1);
  EXPECT_EQ(ctx.DataFileList.Entry(0).TemperatureLast, 1);
  EXPECT_EQ(ctx.DataFileList.Entry(0).TemperatureSeries.Statistics.Mean, 7);
}

TEST_F(RunStatistics, ErrorSeriesIsMeanMinusReferenceAndZeroAgainstTheMean) {
  Add("/a.kv", MakeLogger(1, 46000.0, 60, {20, 21, 22, 23, 24}));
  ComputeRunExtents(ctx);
  BuildCrossLoggerSeries(ctx);
  ctx.Options.TemperatureReference.Source = rdsMean;
  TReferenceRecord& ref = ctx.Results.Temperature.Reference;
  ref.Series = ctx.Results.Temperature.MeanSeries.Series;
  BuildErrorSeries(ctx);
  const TSampleRecord& err = ctx.Results.Temperature.ErrorSeries.Series;
  ASSERT_EQ(err.Count(), 4);
  for (int k = 0; k < err.Count(); ++k) EXPECT_EQ(err[k], 0.0);

  // A constant reference 1 degree below: every error is +1 against the mean.
  ctx.Options.TemperatureReference.Source = rdsConstant;
  ref.Series.Values.assign(10, 19.0f);
  ref.Series.StartTime = 46000.0 - 2 * kMinute;
  BuildErrorSeries(ctx);
  ASSERT_EQ(err.Count(), 4);
  for (int k = 0; k < err.Count(); ++k) EXPECT_FLOAT_EQ(err[k], 20 + k - 19) << k;
  EXPECT_FALSE(ctx.Halted);
}

TEST_F(RunStatistics, AReferenceThatDoesNotOverlapStopsTheRun) {
  Add("/a.kv", MakeLogger(1, 46000.0, 60, {20, 21, 22, 23, 24}));
  ctx.Options.ReportKind = rkTemperature;
  ctx.Options.TemperatureReference.Source = rdsConstant;
  ComputeRunExtents(ctx);
  BuildCrossLoggerSeries(ctx);
  TReferenceRecord& ref = ctx.Results.Temperature.Reference;
  ref.Series.Values.assign(3, 19.0f);
  ref.Series.StartTime = 46010.0;
  ref.Series.SamplePeriod = kMinute;
  BuildErrorSeries(ctx);
  EXPECT_TRUE(ctx.Halted);
  ASSERT_FALSE(console.Boxes.empty());
  EXPECT_EQ(console.Boxes.back().HelpContext, 1335);
  EXPECT_TRUE(console.HasOutput(
      "Error: The data from the reference source does not overlap the logger temperature data.  Unable to "
      "produce error record."));
  ASSERT_GE(console.Output.size(), 2u);
  EXPECT_EQ(console.Output[console.Output.size() - 2].rfind("  Logger data: ", 0), 0u);
  EXPECT_EQ(console.Output.back().rfind("  Reference: ", 0), 0u);

  // With temperature not reported the empty error series is silent.
  TRecordingConsole quiet;
  TQVSContext other{quiet};
  other.Options.ReportKind = rkHumidity;
  other.Options.TemperatureReference.Source = rdsConstant;
  auto e = std::make_unique<TQVSDataSet>();
  e->LoggerData = MakeLogger(1, 46000.0, 60, {1, 2, 3});
  RebuildSeries(*e);
  other.DataFileList.AddEntry("/a.kv", std::move(e));
  BuildErrorSeries(other);
  EXPECT_FALSE(other.Halted);
}

TEST_F(RunStatistics, ResetSummaryIntervalTakesTheDataBounds) {
  Add("/t.kv", MakeLogger(1, 46000.0, 60, {1, 2, 3}));
  Add("/h.kv", MakeLogger(2, 46000.5, 60, {}, {40, 41, 42, 43}));
  ComputeRunExtents(ctx);
  ResetSummaryInterval(ctx);
  // Start: the earlier of the two latest starts; end: the later of the two earliest ends.
  EXPECT_NEAR(ctx.Options.SummaryStartDateTime(), 46000.0, 1e-9);
  EXPECT_NEAR(ctx.Options.SummaryEndDateTime(), 46000.5 + 3 * kMinute, 1e-9);
}

}  // namespace
}  // namespace qvs

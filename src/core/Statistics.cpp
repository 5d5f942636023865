#include "core/Statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/Format.h"
#include "core/Processing.h"
#include "core/TextForms.h"

namespace qvs {

namespace detail {

std::string StatisticsFailureText(const std::string& message) {
  try {
    return Format("Exception %s at %8.8p", {message, reinterpret_cast<const void*>(&StatisticsFailureText)});
  } catch (...) {
    return "Exception " + message;
  }
}

std::string NotANumberMessage(std::int64_t index) {
  return "Invalid floating point operation (sample " + std::to_string(index) + " is not a number)";
}

}  // namespace detail

namespace {

// Temperature and humidity follow the same rules on separate data; a quantity names the parts.
struct TQuantity {
  bool IsTemperature;

  TSampleRecord& Series(TQVSDataSet& e) const { return IsTemperature ? e.TemperatureSeries : e.HumiditySeries; }
  std::int32_t& First(TQVSDataSet& e) const { return IsTemperature ? e.TemperatureFirst : e.HumidityFirst; }
  std::int32_t& Last(TQVSDataSet& e) const { return IsTemperature ? e.TemperatureLast : e.HumidityLast; }
  bool Uses(const TQVSDataSet& e) const { return IsTemperature ? e.UsesTemperature() : e.UsesHumidity(); }
  TQuantityResults& Results(TQVSContext& ctx) const {
    return IsTemperature ? ctx.Results.Temperature : ctx.Results.Humidity;
  }
  double UpperLimit(const TQVSContext& ctx) const {
    return IsTemperature ? ctx.Options.SummaryUpperTemperatureLimit : ctx.Options.SummaryUpperHumidityLimit;
  }
  double LowerLimit(const TQVSContext& ctx) const {
    return IsTemperature ? ctx.Options.SummaryLowerTemperatureLimit : ctx.Options.SummaryLowerHumidityLimit;
  }
  std::uint8_t ReferenceKind(const TQVSContext& ctx) const {
    return IsTemperature ? ctx.Options.TemperatureReference.Source : ctx.Options.HumidityReference.Source;
  }
  bool Reported(const TQVSContext& ctx) const {
    return IsTemperature ? ctx.Options.ReportsTemperature() : ctx.Options.ReportsHumidity();
  }
  int Count(const TQVSContext& ctx) const {
    return IsTemperature ? ctx.DataFileList.CountTemperature() : ctx.DataFileList.CountHumidity();
  }
  const char* Name() const { return IsTemperature ? "temperature" : "humidity"; }
};

constexpr TQuantity kTemperature{true};
constexpr TQuantity kHumidity{false};

void SetLimits(TSampleRecord& s, const TQVSContext& ctx, const TQuantity& q) {
  s.Statistics.UpperLimit = q.UpperLimit(ctx);
  s.Statistics.LowerLimit = q.LowerLimit(ctx);
}

void ClearSeries(TSampleRecord& s, TDateTime start, double period) {
  s.Clear();
  s.StartTime = start;
  s.SamplePeriod = period;
}

TQuantityExtents RunExtents(TQVSContext& ctx, const TQuantity& q) {
  TQuantityExtents x;
  bool any = false;
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (!q.Uses(e)) continue;
    const TSampleRecord& s = q.Series(e);
    const double start = s.StartTime, end = s.LastSampleTime(), period = s.SamplePeriod;
    if (!any) {
      x.ShortestPeriod = x.LongestPeriod = period;
      x.EarliestStart = x.LatestStart = start;
      x.EarliestEnd = x.LatestEnd = end;
      any = true;
      continue;
    }
    x.ShortestPeriod = std::min(x.ShortestPeriod, period);
    x.LongestPeriod = std::max(x.LongestPeriod, period);
    if (start < x.EarliestStart) x.EarliestStart = start;
    if (start > x.LatestStart) x.LatestStart = start;
    if (end < x.EarliestEnd) x.EarliestEnd = end;
    if (end > x.LatestEnd) x.LatestEnd = end;
  }
  x.PeriodDifference = x.LongestPeriod - x.ShortestPeriod;
  return x;
}

// IndexOfTime for a run of times, written without branches so that the compiler can keep several
// divisions in flight; it gives exactly IndexOfTime's results.
void NearestIndexes(const TSampleRecord& s, const double* times, std::size_t count, std::int32_t* out) {
  if (!(s.SamplePeriod > 0)) {
    std::fill_n(out, count, 0);
    return;
  }
  const double start = s.StartTime, period = s.SamplePeriod;
  constexpr double kRound = 6755399441055744.0;  // as in TSampleRecord::IndexOfTime
  for (std::size_t k = 0; k < count; ++k) {
    const double q = (times[k] - start) / period;
    const bool inside = q > -2147483648.5 && q < 2147483647.5;
    const double r = inside ? (q + kRound) - kRound : 0.0;
    out[k] = static_cast<std::int32_t>(r);
  }
}

// Per time step of the interval every logger covers: mean, range, variance and standard deviation
// of the loggers' samples nearest that time. Only the four stored results are computed, in one
// pass: the mean is the plain sum over the loggers in list order divided by their number; the
// squared deviations are summed about the step's first sample (a shift inside the data keeps the
// one-pass sum as exact as a second pass about the mean, far beyond single precision). Steps are
// taken in blocks whose sums stay in the cache while every logger is visited in turn.
void CrossLoggerSeries(TQVSContext& ctx, const TQuantity& q) {
  TQuantityResults& r = q.Results(ctx);
  const double period = r.Extents.ShortestPeriod;
  const TDateTime start = r.Extents.LatestStart, end = r.Extents.EarliestEnd;
  for (TWindowedSeries* w : {&r.VarianceSeries, &r.SDSeries, &r.SpreadSeries, &r.MeanSeries})
    ClearSeries(w->Series, start, period);
  if (q.Count(ctx) == 0) return;
  if (!(period > 0)) {
    ctx.WriteNote(Format("The %s loggers have no usable sample period, so no series across the loggers "
                         "(mean, spread, variance, standard deviation, error) can be built",
                         {q.Name()}));
    return;
  }
  // The step is added to the running time, not recomputed from the step number.
  std::vector<double> times;
  for (double t = start; t < end; t += period) times.push_back(t);
  const std::size_t steps = times.size();
  if (steps == 0) return;

  std::vector<const TSampleRecord*> used;
  for (int i = 0; i < ctx.DataFileList.Count(); ++i)
    if (q.Uses(ctx.DataFileList.Entry(i))) used.push_back(&q.Series(ctx.DataFileList.Entry(i)));

  constexpr std::size_t kBlock = 1024;
  std::vector<double> total(kBlock), minimum(kBlock), maximum(kBlock), shift(kBlock), sum(kBlock), squares(kBlock);
  std::vector<std::int32_t> count(kBlock), index(kBlock);
  std::vector<bool> shifted(kBlock);
  for (TWindowedSeries* w : {&r.VarianceSeries, &r.SDSeries, &r.SpreadSeries, &r.MeanSeries})
    w->Series.Reserve(static_cast<int>(steps));
  for (std::size_t k0 = 0; k0 < steps; k0 += kBlock) {
    const std::size_t m = std::min(kBlock, steps - k0);
    const double* t = times.data() + k0;
    std::fill_n(total.begin(), m, 0.0);
    std::fill_n(sum.begin(), m, 0.0);
    std::fill_n(squares.begin(), m, 0.0);
    std::fill_n(count.begin(), m, 0);
    std::fill_n(minimum.begin(), m, HUGE_VAL);
    std::fill_n(maximum.begin(), m, -HUGE_VAL);
    // The shift of a step: the first logger's sample there (every logger covers the interval, so
    // the first one almost always has it; a step it misses takes the next logger's).
    shifted.assign(m, false);
    std::size_t missing = m;
    for (const TSampleRecord* s : used) {
      if (missing == 0) break;
      for (std::size_t k = 0; k < m; ++k) {
        if (shifted[k]) continue;
        const std::int32_t j = s->IndexOfTime(t[k]);
        if (j < 0 || j >= s->Count()) continue;
        shift[k] = s->Values[static_cast<std::size_t>(j)];
        shifted[k] = true;
        --missing;
      }
    }
    for (const TSampleRecord* s : used) {
      const std::int32_t n = s->Count();
      const float* v = s->Values.data();
      NearestIndexes(*s, t, m, index.data());
      for (std::size_t k = 0; k < m; ++k) {
        const std::int32_t j = index[k];
        if (j < 0 || j >= n) continue;
        const double x = v[j];
        const double d = x - shift[k];
        total[k] += x;
        sum[k] += d;
        squares[k] += d * d;
        minimum[k] = std::min(minimum[k], x);
        maximum[k] = std::max(maximum[k], x);
        ++count[k];
      }
    }
    for (std::size_t k = 0; k < m; ++k) {
      const std::int32_t c = count[k];
      double variance = 0;
      if (c > 1) variance = std::max(0.0, (squares[k] - sum[k] * sum[k] / c) / (c - 1));
      r.VarianceSeries.Series.Add(variance);
      r.SDSeries.Series.Add(std::sqrt(variance));
      r.SpreadSeries.Series.Add(c > 0 ? maximum[k] - minimum[k] : 0.0);
      r.MeanSeries.Series.Add(c > 0 ? total[k] / c : 0.0);
    }
  }
}

void SummaryWindow(TQVSContext& ctx, const TQuantity& q) {
  TQuantityResults& r = q.Results(ctx);
  TDateTime start = r.Extents.LatestStart, end = r.Extents.EarliestEnd;
  if (q.ReferenceKind(ctx) != rdsNone) {
    const TSampleRecord& ref = r.Reference.Series;
    start = r.Extents.LatestStart > ref.StartTime ? r.Extents.LatestStart : ref.StartTime;
    end = std::min(r.Extents.EarliestEnd, ref.LastSampleTime());
  }
  if (!ctx.Options.SummaryEntireLoggerRecord) {
    start = std::max(start, ctx.Options.SummaryStartDateTime());
    end = std::min(end, ctx.Options.SummaryEndDateTime());
  }
  r.SummaryStart = start;
  r.SummaryEnd = end;
}

bool LoggerStatistics(TQVSContext& ctx, TQVSDataSet& e, const TQuantity& q) {
  TQuantityResults& r = q.Results(ctx);
  TSampleRecord& s = q.Series(e);
  const auto [first, last] = SummaryWindowIndexes(s, r.SummaryStart, r.SummaryEnd);
  q.First(e) = first;
  q.Last(e) = last;
  SetLimits(s, ctx, q);
  WindowStatistics(s, first, last);
  if (s.Statistics.ErrorText.empty()) return true;
  ReportProcessingError(ctx,
                        Format(q.IsTemperature ? "Unable to calculate temperature stats for logger %s: %s"
                                               : "Unable to calculate humidity stats for logger %s: %s",
                               {e.LoggerData.FormattedSerialNumber, s.Statistics.ErrorText}),
                        0);
  return false;
}

void Extremes(TQVSContext& ctx, const TQuantity& q) {
  TStatisticExtremes& x = q.Results(ctx).Extremes;
  x = TStatisticExtremes{};
  bool any = false;
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (!q.Uses(e)) continue;
    const TStatisticsRecord& s = q.Series(e).Statistics;
    if (!any) {
      x.HighestMaximum = x.LowestMaximum = s.Maximum;
      x.HighestMinimum = x.LowestMinimum = s.Minimum;
      any = true;
      continue;
    }
    if (s.Maximum > x.HighestMaximum) x.HighestMaximum = s.Maximum;
    if (s.Maximum < x.LowestMaximum) x.LowestMaximum = s.Maximum;
    if (s.Minimum > x.HighestMinimum) x.HighestMinimum = s.Minimum;
    if (s.Minimum < x.LowestMinimum) x.LowestMinimum = s.Minimum;
  }
}

void Pooled(TQVSContext& ctx, const TQuantity& q) {
  TQuantityResults& r = q.Results(ctx);
  TSampleRecord& pooled = r.Pooled;
  pooled.Clear();
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (!q.Uses(e)) continue;
    TSampleRecord& s = q.Series(e);
    const auto [first, last] = SummaryWindowIndexes(s, r.SummaryStart, r.SummaryEnd);
    q.First(e) = first;
    q.Last(e) = last;
    for (std::int32_t k = first; k <= last; ++k) pooled.Values.push_back(s.Values[static_cast<std::size_t>(k - 1)]);
  }
  SetLimits(pooled, ctx, q);
  WindowStatistics(pooled, 1, pooled.Count());
}

void ReferenceStatistics(TQVSContext& ctx, const TQuantity& q) {
  TQuantityResults& r = q.Results(ctx);
  TReferenceRecord& ref = r.Reference;
  SetLimits(ref.Series, ctx, q);
  const auto [first, last] = SummaryWindowIndexes(ref.Series, r.SummaryStart, r.SummaryEnd);
  ref.First = first;
  ref.Last = last;
  WindowStatistics(ref.Series, first, last);
}

void ErrorSeries(TQVSContext& ctx, const TQuantity& q) {
  TQuantityResults& r = q.Results(ctx);
  const TSampleRecord& m = r.MeanSeries.Series;
  const TSampleRecord& ref = r.Reference.Series;
  TSampleRecord& err = r.ErrorSeries.Series;
  const TDateTime start = std::max(m.StartTime, ref.StartTime);
  const TDateTime end = std::min(m.LastSampleTime(), ref.LastSampleTime());
  ClearSeries(err, start, m.SamplePeriod);
  if (m.Count() > 0 && ref.Count() > 0 && err.SamplePeriod > 0) {
    // The running time gathers rounding errors; a step within a millionth of a period of the end
    // is the end, so the last common sample is not lost to them.
    const TDateTime last = end + err.SamplePeriod * 1e-6;
    for (TDateTime t = start; t <= last; t += err.SamplePeriod) {
      const std::int32_t i = m.IndexOfTime(t), j = ref.IndexOfTime(t);
      // Rounding at the ends of the common interval may step one sample outside a series.
      if (i < 0 || i >= m.Count() || j < 0 || j >= ref.Count()) continue;
      err.Add(m[i] - ref[j]);
    }
  }
  if (err.Count() > 0 || !q.Reported(ctx) || q.Count(ctx) == 0) return;
  ReportProcessingError(ctx,
                        q.IsTemperature ? "The data from the reference source does not overlap the logger "
                                          "temperature data.  Unable to produce error record."
                                        : "The data from the reference source does not overlap the logger "
                                          "humidity data.  Unable to produce error record.",
                        q.IsTemperature ? 1335 : 1334);
  const TFormatSettings& fs = ctx.FormatSettings;
  ctx.Console.WriteOutput(Format("  Logger data: %s to %s",
                                 {ShortDateTimeText(m.StartTime, fs), ShortDateTimeText(m.LastSampleTime(), fs)}));
  ctx.Console.WriteOutput(Format("  Reference: %s to %s",
                                 {ShortDateTimeText(ref.StartTime, fs), ShortDateTimeText(ref.LastSampleTime(), fs)}));
}

void SeriesWindowStatistics(TQVSContext& ctx, const TQuantity& q) {
  TQuantityResults& r = q.Results(ctx);
  std::vector<TWindowedSeries*> list{&r.VarianceSeries, &r.SDSeries, &r.SpreadSeries};
  if (q.ReferenceKind(ctx) != rdsNone) list.push_back(&r.ErrorSeries);
  list.push_back(&r.MeanSeries);
  for (TWindowedSeries* w : list) {
    if (w == &r.MeanSeries) SetLimits(w->Series, ctx, q);
    const auto [first, last] = SummaryWindowIndexes(w->Series, r.SummaryStart, r.SummaryEnd);
    w->First = first;
    w->Last = last;
    WindowStatistics(w->Series, first, last);
  }
}

void PlotRange(TQVSContext& ctx, const TQuantity& q) {
  TQuantityResults& r = q.Results(ctx);
  r.PlotStart = r.PlotEnd = 0;
  bool any = false;
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (!q.Uses(e)) continue;
    const TSampleRecord& s = q.Series(e);
    const TDateTime a = s.TimeOfSample(q.First(e) - 1), b = s.TimeOfSample(q.Last(e) - 1);
    if (!any) {
      r.PlotStart = a;
      r.PlotEnd = b;
      any = true;
      continue;
    }
    r.PlotStart = std::min(r.PlotStart, a);
    r.PlotEnd = std::max(r.PlotEnd, b);
  }
}

}  // namespace

void WholeSeriesStatistics(TSampleRecord& series) {
  const float* v = series.Values.data();
  ComputeStatistics(0, static_cast<std::int64_t>(series.Count()) - 1, series.Statistics,
                    [v](std::int64_t i) { return static_cast<double>(v[i]); });
}

void WindowStatistics(TSampleRecord& series, std::int32_t first, std::int32_t last) {
  const float* v = series.Values.data();
  const std::int64_t n = series.Count();
  ComputeStatistics(first, last, series.Statistics,
                    [v, n](std::int64_t i) { return i >= 1 && i <= n ? static_cast<double>(v[i - 1]) : 0.0; });
}

std::pair<std::int32_t, std::int32_t> SummaryWindowIndexes(const TSampleRecord& series, TDateTime windowStart,
                                                           TDateTime windowEnd) {
  const std::int64_t count = series.Count();
  std::int64_t first = static_cast<std::int64_t>(series.IndexOfTime(windowStart)) + 1;
  if (first < 1) first = 1;
  if (first > count) first = count;
  std::int64_t last = static_cast<std::int64_t>(series.IndexOfTime(windowEnd)) + 1;
  if (last > count) last = count;
  if (last < 1) last = 1;
  return {static_cast<std::int32_t>(first), static_cast<std::int32_t>(last)};
}

void RebuildSeries(TQVSDataSet& entry) {
  const TLoggerData& d = entry.LoggerData;
  const auto rebuild = [&d](TSampleRecord& s, const TSampleList& from) {
    s.Values = from.Values;
    s.StartTime = d.FirstSampleTime;
    s.SamplePeriod = d.SamplePeriod;
    WholeSeriesStatistics(s);
  };
  rebuild(entry.TemperatureSeries, d.SampleSet.TemperatureSamples);
  rebuild(entry.HumiditySeries, d.SampleSet.HumiditySamples);
}

void ComputeRunExtents(TQVSContext& ctx) {
  for (const TQuantity& q : {kTemperature, kHumidity}) q.Results(ctx).Extents = RunExtents(ctx, q);
}

void ComputeSamplePeriods(TQVSContext& ctx) {
  for (const TQuantity& q : {kTemperature, kHumidity}) {
    const TQuantityExtents fresh = RunExtents(ctx, q);
    TQuantityExtents& x = q.Results(ctx).Extents;
    x.ShortestPeriod = fresh.ShortestPeriod;
    x.LongestPeriod = fresh.LongestPeriod;
    x.PeriodDifference = fresh.PeriodDifference;
  }
}

void BuildCrossLoggerSeries(TQVSContext& ctx) {
  CrossLoggerSeries(ctx, kTemperature);
  CrossLoggerSeries(ctx, kHumidity);
}

void ComputeSummaryWindows(TQVSContext& ctx) {
  SummaryWindow(ctx, kTemperature);
  SummaryWindow(ctx, kHumidity);
}

bool ComputeLoggerStatistics(TQVSContext& ctx) {
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (e.UsesTemperature() && !LoggerStatistics(ctx, e, kTemperature)) return false;
    if (e.UsesHumidity() && !LoggerStatistics(ctx, e, kHumidity)) return false;
  }
  return true;
}

void ComputeStatisticExtremes(TQVSContext& ctx) {
  Extremes(ctx, kTemperature);
  Extremes(ctx, kHumidity);
}

void ComputePooledStatistics(TQVSContext& ctx) {
  Pooled(ctx, kTemperature);
  Pooled(ctx, kHumidity);
}

void ComputeReferenceStatistics(TQVSContext& ctx) {
  if (ctx.Options.TemperatureReference.Source != rdsNone) ReferenceStatistics(ctx, kTemperature);
  if (ctx.Options.HumidityReference.Source != rdsNone) ReferenceStatistics(ctx, kHumidity);
}

void BuildErrorSeries(TQVSContext& ctx) {
  if (ctx.Options.TemperatureReference.Source != rdsNone) ErrorSeries(ctx, kTemperature);
  if (ctx.Halted) return;
  if (ctx.Options.HumidityReference.Source != rdsNone) ErrorSeries(ctx, kHumidity);
}

void ComputeSeriesWindowStatistics(TQVSContext& ctx) {
  SeriesWindowStatistics(ctx, kTemperature);
  SeriesWindowStatistics(ctx, kHumidity);
}

void ComputePlotRange(TQVSContext& ctx) {
  PlotRange(ctx, kTemperature);
  PlotRange(ctx, kHumidity);
  TQuantityResults& t = ctx.Results.Temperature;
  TQuantityResults& h = ctx.Results.Humidity;
  if (ctx.DataFileList.CountTemperature() > 0 && ctx.DataFileList.CountHumidity() > 0 &&
      ctx.Options.ReportKind == rkTemperatureAndHumidity) {
    const TDateTime start = std::min(t.PlotStart, h.PlotStart), end = std::max(t.PlotEnd, h.PlotEnd);
    t.PlotStart = h.PlotStart = start;
    t.PlotEnd = h.PlotEnd = end;
  }
}

void ResetSummaryInterval(TQVSContext& ctx) {
  const TQuantityExtents& t = ctx.Results.Temperature.Extents;
  const TQuantityExtents& h = ctx.Results.Humidity.Extents;
  if (t.LatestStart > 1.0) ctx.Options.SetSummaryStart(t.LatestStart);
  if (h.LatestStart > 1.0)
    ctx.Options.SetSummaryStart(t.LatestStart > 1.0 ? std::min(t.LatestStart, h.LatestStart) : h.LatestStart);
  if (t.EarliestEnd > 1.0) ctx.Options.SetSummaryEnd(t.EarliestEnd);
  if (h.EarliestEnd > 1.0) ctx.Options.SetSummaryEnd(std::max(t.EarliestEnd, h.EarliestEnd));
}

}  // namespace qvs

#pragma once
// Statistics of a series over an index range, and every number a processing run computes from the
// loggers' samples: series, run extents, cross-logger series, summary windows, per-logger and
// pooled statistics, extremes, error series and plot ranges.

#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "core/QVSContext.h"
#include "core/SampleRecord.h"

namespace qvs {

namespace detail {
std::string StatisticsFailureText(const std::string& message);
std::string NotANumberMessage(std::int64_t index);
}  // namespace detail

// Fills the record from getter(i) for i = first .. last. The limits are inputs and are kept; every
// other field is recomputed. weighted: the Hann-weighted mean; fitted: the least-squares line;
// spread: variance and standard deviation. A failure (a sample that is not a number, a getter
// that throws) stops the computation, leaves what was computed and sets ErrorText.
template <class Getter>
void ComputeStatistics(std::int64_t first, std::int64_t last, TStatisticsRecord& s, Getter&& getter,
                       bool weighted = true, bool fitted = true, bool spread = true) {
  const double lower = s.LowerLimit, upper = s.UpperLimit;
  s = TStatisticsRecord{};
  s.LowerLimit = lower;
  s.UpperLimit = upper;
  try {
    double total = 0;
    for (std::int64_t i = first; i <= last; ++i) {
      const double v = getter(i);
      if (!std::isfinite(v)) {
        s.ErrorText = detail::StatisticsFailureText(detail::NotANumberMessage(i));
        return;
      }
      total += v;
      ++s.Count;
      if (i == first) {
        s.Maximum = s.Minimum = v;
        s.MaximumIndex = s.MinimumIndex = static_cast<std::int32_t>(i);
      } else if (v > s.Maximum) {
        s.Maximum = v;
        s.MaximumIndex = static_cast<std::int32_t>(i);
      } else if (v < s.Minimum) {
        s.Minimum = v;
        s.MinimumIndex = static_cast<std::int32_t>(i);
      }
      if (v > upper) ++s.CountAbove;
      if (v < lower) ++s.CountBelow;
    }
    s.Total = total;
    if (s.Count == 0) return;
    const double n = s.Count;
    s.Mean = total / n;
    s.Range = s.Maximum - s.Minimum;
    const double mean = s.Mean;

    if (spread) {
      double ss = 0;
      for (std::int64_t i = first; i <= last; ++i) {
        const double d = getter(i) - mean;
        ss += d * d;
      }
      s.Variance = s.Count > 1 ? ss / (n - 1) : 0.0;
      s.StandardDeviation = std::sqrt(s.Variance);
    }
    if (fitted) {
      // The abscissa is the index as passed; its mean is exact for a run of consecutive integers.
      const double xm = (static_cast<double>(first) + static_cast<double>(last)) / 2.0;
      double sxy = 0, sxx = 0, syy = 0;
      for (std::int64_t i = first; i <= last; ++i) {
        const double dx = static_cast<double>(i) - xm;
        const double dy = getter(i) - mean;
        sxy += dx * dy;
        sxx += dx * dx;
        syy += dy * dy;
      }
      if (sxx != 0) {
        s.Slope = sxy / sxx;
        s.Intercept = mean - s.Slope * xm;
      } else {
        s.Slope = 0;
        s.Intercept = mean;
      }
      s.RSquared = (sxx != 0 && syy != 0) ? (sxy * sxy) / (sxx * syy) : 1.0;
    }
    if (weighted) {
      double sum = 0;
      if (s.Count >= 2) {
        const double step = 2.0 * M_PI / (n - 1);
        for (std::int64_t i = first; i <= last; ++i) {
          const double w = 0.5 * (1.0 - std::cos(step * static_cast<double>(i - first)));
          sum += (getter(i) - mean) * w;
        }
      }
      s.WindowedMean = sum / n + mean;
    }
  } catch (const std::exception& e) {
    s.ErrorText = detail::StatisticsFailureText(e.what());
  } catch (...) {
    s.ErrorText = detail::StatisticsFailureText("unknown failure");
  }
}

// Statistics over 0 .. count - 1.
void WholeSeriesStatistics(TSampleRecord& series);
// Statistics over first .. last (1-based); indexes outside the series read as 0.
void WindowStatistics(TSampleRecord& series, std::int32_t first, std::int32_t last);
// The 1-based sample range of a series inside [windowStart, windowEnd], clamped to the series.
std::pair<std::int32_t, std::int32_t> SummaryWindowIndexes(const TSampleRecord& series, TDateTime windowStart,
                                                           TDateTime windowEnd);

// Rebuilds an entry's two series from its LoggerData and computes their whole-series statistics.
void RebuildSeries(TQVSDataSet& entry);

// The steps of a processing run, in the order the run calls them.
void ComputeRunExtents(TQVSContext& ctx);
// The shortest and longest sample periods (and their difference) alone.
void ComputeSamplePeriods(TQVSContext& ctx);
void BuildCrossLoggerSeries(TQVSContext& ctx);
void ComputeSummaryWindows(TQVSContext& ctx);
// Reports the first failing entry through ReportProcessingError and stops; false then.
bool ComputeLoggerStatistics(TQVSContext& ctx);
void ComputeStatisticExtremes(TQVSContext& ctx);
void ComputePooledStatistics(TQVSContext& ctx);
void ComputeReferenceStatistics(TQVSContext& ctx);
// Reports an empty error series of a reported quantity with loggers as the overlap error.
void BuildErrorSeries(TQVSContext& ctx);
void ComputeSeriesWindowStatistics(TQVSContext& ctx);
void ComputePlotRange(TQVSContext& ctx);
// Sets the summary interval to the data: the latest start and the earliest end.
void ResetSummaryInterval(TQVSContext& ctx);

}  // namespace qvs

#include "reports/ResultsTables.h"

#include <cmath>

#include "core/Format.h"
#include "core/TextForms.h"

namespace qvs {
namespace {

enum TColumnId {
  colLogger, colID, colFirmware, colSamples, colStart, colEnd, colPeriod, colFrom, colTo,
  colMin, colMax, colRange, colBelow, colAbove, colMean, colSD, colVariance, colError,
};

struct TColumnDef {
  TColumnId Id;
  const char* Heading;
  const char* WidthSample;
  TCellAlignment Alignment;
  bool TProjectOptions::*Option;
};

const TColumnDef kColumns[] = {
    {colLogger, "Logger", "Mean of loggers", TCellAlignment::Left, &TProjectOptions::SummarySerialNumber},
    {colID, "ID", "MMMMMMMMMMMMMMMM", TCellAlignment::Left, &TProjectOptions::SummaryID},
    {colFirmware, "Firmware", "1.2.34.5", TCellAlignment::Left, &TProjectOptions::SummaryLoggerFirmware},
    {colSamples, "Samples", "12345", TCellAlignment::Right, &TProjectOptions::SummarySamples},
    {colStart, "Start", "12345", TCellAlignment::Right, &TProjectOptions::SummaryStart},
    {colEnd, "End", "12345", TCellAlignment::Right, &TProjectOptions::SummaryEnd},
    {colPeriod, "Period", "12:34:56", TCellAlignment::Right, &TProjectOptions::SummarySamplePeriod},
    {colFrom, "From", "00-00-00 00:00:00", TCellAlignment::Right, &TProjectOptions::SummaryFrom},
    {colTo, "To", "00-00-00 00:00:00", TCellAlignment::Right, &TProjectOptions::SummaryUntil},
    {colMin, "Min", "12.345", TCellAlignment::Right, &TProjectOptions::SummaryMinimum},
    {colMax, "Max", "12.345", TCellAlignment::Right, &TProjectOptions::SummaryMaximum},
    {colRange, "Range", "12.345", TCellAlignment::Right, &TProjectOptions::SummaryRange},
    {colBelow, "Below", "123:45:56", TCellAlignment::Right, &TProjectOptions::SummaryTimeBelow},
    {colAbove, "Above", "123:45:56", TCellAlignment::Right, &TProjectOptions::SummaryTimeAbove},
    {colMean, "Mean", "12.345", TCellAlignment::Right, &TProjectOptions::SummaryMean},
    {colSD, "S. D.", "12.345", TCellAlignment::Right, &TProjectOptions::SummarySD},
    {colVariance, "Variance", "12.345", TCellAlignment::Right, &TProjectOptions::SummaryVariance},
    {colError, "Error", "12.345", TCellAlignment::Right, &TProjectOptions::SummaryError},
};

// The rows of the table, each filling the cells its kind has.
enum class TRowKind { Logger, MeanOfLoggers, Reference, CrossSeries, AllLoggers, Error };

struct TRowSource {
  TRowKind Kind;
  std::string Label;
  std::string IDText;
  std::string Firmware;
  const TSampleRecord* Series;
  std::int32_t First, Last;
};

std::string Value(double v) { return Format("%1.3f", {v}); }

std::string Cell(TColumnId id, const TRowSource& r, const TQVSContext& ctx, bool hasReference, double referenceMean,
                 double averageError) {
  const TFormatSettings& fs = ctx.FormatSettings;
  const TStatisticsRecord& st = r.Series->Statistics;
  const bool pooled = r.Kind == TRowKind::AllLoggers;
  const bool limits = r.Kind == TRowKind::Logger || r.Kind == TRowKind::MeanOfLoggers || r.Kind == TRowKind::Reference;
  switch (id) {
    case colLogger: return r.Label;
    case colID: return r.IDText;
    case colFirmware: return r.Firmware;
    case colSamples: return pooled ? Format("%d", {st.Count}) : Format("%d", {r.Last - r.First + 1});
    case colStart: return pooled ? "" : Format("%d", {r.First});
    case colEnd: return pooled ? "" : Format("%d", {r.Last});
    case colPeriod: return pooled ? "" : ReportingDurationText(r.Series->SamplePeriod, fs);
    case colFrom: return pooled ? "" : ShortDateTimeText(r.Series->TimeOfSample(r.First - 1), fs);
    case colTo: return pooled ? "" : ShortDateTimeText(r.Series->TimeOfSample(r.Last - 1), fs);
    case colMin: return Value(st.Minimum);
    case colMax: return Value(st.Maximum);
    case colRange: return Value(st.Range);
    case colBelow: return limits ? ReportingDurationText(st.CountBelow * r.Series->SamplePeriod, fs) : "";
    case colAbove: return limits ? ReportingDurationText(st.CountAbove * r.Series->SamplePeriod, fs) : "";
    case colMean: return Value(st.Mean);
    case colSD: return limits ? Value(st.StandardDeviation) : "";
    case colVariance: return limits ? Value(st.Variance) : "";
    case colError:
      if (!hasReference) return "";
      if (r.Kind == TRowKind::Logger || r.Kind == TRowKind::MeanOfLoggers) return Value(st.Mean - referenceMean);
      if (pooled) return Value(averageError);
      return "";
  }
  return "";
}

}  // namespace

std::string ReportingDurationText(double days, const TFormatSettings& fs) { return HoursMinutesSecondsText(days, fs); }

TAverageErrors ComputeAverageErrors(const TQVSContext& ctx) {
  TAverageErrors e;
  const auto average = [&ctx](bool temperature) {
    const int count = temperature ? ctx.DataFileList.CountTemperature() : ctx.DataFileList.CountHumidity();
    if (count == 0) return 0.0;
    const double ref = (temperature ? ctx.Results.Temperature : ctx.Results.Humidity).Reference.Series.Statistics.Mean;
    double sum = 0;
    for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
      const TQVSDataSet& d = ctx.DataFileList.Entry(i);
      if (temperature ? d.UsesTemperature() : d.UsesHumidity())
        sum += std::fabs((temperature ? d.TemperatureSeries : d.HumiditySeries).Statistics.Mean - ref);
    }
    return sum / count;
  };
  e.Temperature = average(true);
  e.Humidity = average(false);
  return e;
}

std::vector<TResultsColumn> ResultsColumns(const TQVSContext& ctx, bool temperature) {
  const bool hasReference =
      (temperature ? ctx.Options.TemperatureReference.Source : ctx.Options.HumidityReference.Source) != rdsNone;
  std::vector<TResultsColumn> columns;
  for (const TColumnDef& c : kColumns)
    if (ctx.Options.*(c.Option))
      columns.push_back({c.Heading, c.WidthSample, c.Alignment, c.Id != colError || hasReference});
  return columns;
}

TResultsTable BuildResultsTable(const TQVSContext& ctx, bool temperature, const TAverageErrors& errors) {
  TResultsTable table;
  const int count = temperature ? ctx.DataFileList.CountTemperature() : ctx.DataFileList.CountHumidity();
  if (count == 0) return table;
  table.Heading = temperature ? "Temperature Results" : "Humidity Results";
  table.Columns = ResultsColumns(ctx, temperature);
  const TQuantityResults& q = temperature ? ctx.Results.Temperature : ctx.Results.Humidity;
  const bool hasReference =
      (temperature ? ctx.Options.TemperatureReference.Source : ctx.Options.HumidityReference.Source) != rdsNone;
  const double referenceMean = q.Reference.Series.Statistics.Mean;
  const double averageError = temperature ? errors.Temperature : errors.Humidity;

  std::vector<TColumnId> ids;
  for (const TColumnDef& c : kColumns)
    if (ctx.Options.*(c.Option)) ids.push_back(c.Id);
  const auto addRow = [&](const TRowSource& r) {
    TResultsRow row;
    row.IsSummary = r.Kind != TRowKind::Logger;
    for (TColumnId id : ids) row.Cells.push_back(Cell(id, r, ctx, hasReference, referenceMean, averageError));
    table.Rows.push_back(std::move(row));
  };

  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    const TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (!(temperature ? e.UsesTemperature() : e.UsesHumidity())) continue;
    const auto& v = e.LoggerData.Version;
    addRow({TRowKind::Logger, e.LoggerData.FormattedSerialNumber, e.ID,
            Format("%1d.%1d.%1d.%1d", {unsigned(v[0]), unsigned(v[1]), unsigned(v[2]), unsigned(v[3])}),
            temperature ? &e.TemperatureSeries : &e.HumiditySeries, temperature ? e.TemperatureFirst : e.HumidityFirst,
            temperature ? e.TemperatureLast : e.HumidityLast});
  }
  table.LoggerRowCount = static_cast<int>(table.Rows.size());

  const auto windowed = [&](TRowKind kind, const char* label, const TWindowedSeries& w) {
    addRow({kind, label, "", "", &w.Series, w.First, w.Last});
  };
  if (count >= 2) windowed(TRowKind::MeanOfLoggers, "Mean of loggers", q.MeanSeries);
  if (hasReference)
    addRow({TRowKind::Reference, "Reference", q.Reference.ReferenceShortText, "", &q.Reference.Series,
            q.Reference.First, q.Reference.Last});
  if (count >= 2) {
    windowed(TRowKind::CrossSeries, "Variance", q.VarianceSeries);
    windowed(TRowKind::CrossSeries, "SD", q.SDSeries);
    windowed(TRowKind::CrossSeries, "Spread", q.SpreadSeries);
    addRow({TRowKind::AllLoggers, "All Loggers", "", "", &q.Pooled, 1, q.Pooled.Count()});
  }
  if (ctx.Options.SummaryPlotError && hasReference && count == 1)
    windowed(TRowKind::Error, "Error", q.ErrorSeries);
  return table;
}

std::string CalibrationStatusText(const TLoggerData& d, TDateTime now, const TFormatSettings& fs) {
  if (!d.RecalibrationSupported()) return "Calibration expiry not supported";
  if (!d.RecalibrationEnabled()) return "Calibration expiry not enabled";
  if (!d.RecalibrationDataAvailable()) return "Calibration expiry data is unavailable";
  const TDateTime expiry = d.RecalibrationExpiryDate(now);
  const std::string when = LongDateTimeText(expiry, fs);
  if (d.RecalibrationExpired(now)) {
    std::string after = CompactDurationText(d.LastSampleTime - expiry, fs);
    if (after.empty()) after = "None";
    return Format("CALIBRATION EXPIRED on %s (%s after last logger sample)", {when, after});
  }
  if (d.RecalibrationWarning(now))
    return Format("Calibration was set to expire on %s (WARNING - within %s of last logger sample)",
                  {when, CompactDurationText(21.0, fs)});
  return Format("Calibration was set to expire on %s", {when});
}

TResultsTable BuildCalibrationTable(const TQVSContext& ctx, TDateTime now) {
  TResultsTable table;
  if (!ctx.Options.SummaryReportCalibration || ctx.DataFileList.CountEnabled() == 0) return table;
  table.Heading = "Logger Calibration Status";
  const bool logger = ctx.Options.SummarySerialNumber, id = ctx.Options.SummaryID;
  if (logger) table.Columns.push_back({"Logger", "Mean of loggers", TCellAlignment::Left, true});
  if (id) table.Columns.push_back({"ID", "MMMMMMMMMMMMMMMM", TCellAlignment::Left, true});
  table.Columns.push_back(
      {"Calibration Status (status shown is at time of most recent sample in logger)", "", TCellAlignment::Left, true});
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    const TQVSDataSet& e = ctx.DataFileList.Entry(i);
    if (!e.Enabled) continue;
    TResultsRow row;
    if (logger) row.Cells.push_back(e.LoggerData.FormattedSerialNumber);
    if (id) row.Cells.push_back(e.ID);
    row.Cells.push_back(CalibrationStatusText(e.LoggerData, now, ctx.FormatSettings));
    table.Rows.push_back(std::move(row));
  }
  table.LoggerRowCount = static_cast<int>(table.Rows.size());
  return table;
}

}  // namespace qvs

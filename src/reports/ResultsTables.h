#pragma once
// The summary results tables and the calibration status table as rows of cell texts: what each
// column holds for each logger and summary row. The PDF report and the console report both lay
// these out; neither computes anything of its own.

#include <string>
#include <vector>

#include "core/QVSContext.h"

namespace qvs {

enum class TCellAlignment { Left, Right };

struct TResultsColumn {
  std::string Heading;      // "Logger", "ID", ... ("Error" is printed only with a reference)
  std::string WidthSample;  // the text whose width the column must hold
  TCellAlignment Alignment = TCellAlignment::Right;
  bool HeadingShown = true;
};

struct TResultsRow {
  std::vector<std::string> Cells;  // one per column, "" for an empty cell
  bool IsSummary = false;          // "Mean of loggers", "Reference", ... rather than a logger
};

struct TResultsTable {
  std::string Heading;  // "Temperature Results", "Humidity Results", "Logger Calibration Status"
  std::vector<TResultsColumn> Columns;
  std::vector<TResultsRow> Rows;      // logger rows, then summary rows
  int LoggerRowCount = 0;             // a blank line separates logger rows from summary rows
};

// |logger mean - reference mean| averaged over the loggers of each quantity (0 without loggers).
struct TAverageErrors {
  double Temperature = 0;
  double Humidity = 0;
};
TAverageErrors ComputeAverageErrors(const TQVSContext& ctx);

// The columns the project's options switch on, in table order.
std::vector<TResultsColumn> ResultsColumns(const TQVSContext& ctx, bool temperature);

// The results table of one quantity; empty (no columns, no rows) when the quantity has no loggers.
TResultsTable BuildResultsTable(const TQVSContext& ctx, bool temperature, const TAverageErrors& errors);

// The calibration status of every enabled entry; now is the local date-time of the report.
TResultsTable BuildCalibrationTable(const TQVSContext& ctx, TDateTime now);

// The status text of one logger for the calibration table.
std::string CalibrationStatusText(const TLoggerData& data, TDateTime now, const TFormatSettings& fs);

// The reporting duration: whole hours, ":", then minutes and seconds ("49:05:07").
std::string ReportingDurationText(double days, const TFormatSettings& fs);

}  // namespace qvs

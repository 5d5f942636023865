#pragma once
// The run-wide state of one program instance: the data file list, the options, the results of
// the last processing run and the run flags. The program creates one and passes it to every
// operation that needs it; tests make their own.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DataFileList.h"
#include "core/DateTime.h"
#include "core/FormatSettings.h"
#include "core/OperatorConsole.h"
#include "core/ProjectOptions.h"
#include "core/SampleRecord.h"

namespace qvs {

class TQVSContext;

// A reference series with its descriptions and its summary window (1-based).
struct TReferenceRecord {
  TSampleRecord Series;
  std::string ReferenceLongText;
  std::string ReferenceShortText;
  std::int32_t First = 0, Last = 0;
  // CSV sources: the column and channel ID that matched.
  int MatchedCSVColumn = 0;
  std::string MatchedCSVChannelID;
};

// A cross-logger series with its summary window (1-based).
struct TWindowedSeries {
  TSampleRecord Series;
  std::int32_t First = 0, Last = 0;
};

// Time extents and sample periods of one quantity's loggers in use.
struct TQuantityExtents {
  double ShortestPeriod = 0, LongestPeriod = 0, PeriodDifference = 0;
  TDateTime EarliestStart = 0, LatestStart = 0, EarliestEnd = 0, LatestEnd = 0;
};

struct TStatisticExtremes {
  double HighestMaximum = 0, LowestMaximum = 0, HighestMinimum = 0, LowestMinimum = 0;
};

// Everything one quantity's part of a run produces.
struct TQuantityResults {
  TReferenceRecord Reference;
  TWindowedSeries VarianceSeries, SpreadSeries, SDSeries, ErrorSeries, MeanSeries;
  TSampleRecord Pooled;
  TQuantityExtents Extents;
  TDateTime SummaryStart = 0, SummaryEnd = 0;
  TStatisticExtremes Extremes;
  TDateTime PlotStart = 0, PlotEnd = 0;
};

struct TRunResults {
  TQuantityResults Temperature;
  TQuantityResults Humidity;
  std::vector<std::string> ProcessingNotes;
};

// The last failure a handler caught without showing it to the operator.
struct TInternalErrorRecord {
  std::string Message;
  std::string Location;
  TDateTime Time = 0;
  int Count = 0;
};

// The steps of a run that other modules provide: reading logger data files, obtaining references
// and writing the report. The program wires the real ones; tests may wire their own.
class TRunServices {
 public:
  virtual ~TRunServices() = default;
  // Whether the file is recognised as a logger data file (legacy or structured).
  virtual bool IsDataFile(const std::string& path) = 0;
  // Loads the file into the logger data; false with data.ErrorText set when it may not be used.
  virtual bool LoadDataFile(const std::string& path, TLoggerData& data) = 0;
  // Fill the quantity's reference record from the selected source; failures go through
  // ReportProcessingError.
  virtual void ReadTemperatureReference(TQVSContext& ctx) = 0;
  virtual void ReadHumidityReference(TQVSContext& ctx) = 0;
  // Produce the reports of a finished run.
  virtual void WriteSummaryReport(TQVSContext& ctx) = 0;
};

class TQVSContext {
 public:
  explicit TQVSContext(TOperatorConsole& console, TFormatSettings formatSettings = TFormatSettings::Invariant(),
                       TClock clock = NowLocal)
      : Console(console), FormatSettings(std::move(formatSettings)), Now(std::move(clock)) {}

  TQVSContext(const TQVSContext&) = delete;
  TQVSContext& operator=(const TQVSContext&) = delete;

  TOperatorConsole& Console;
  TFormatSettings FormatSettings;
  TClock Now;
  TRunServices* Services = nullptr;

  TDataFileList DataFileList;
  TProjectOptions Options;
  TProgramSettings Settings;
  TRunResults Results;

  // Run state.
  bool Processing = false;
  std::atomic<bool> HaltRequested{false};  // may be set from a signal handler
  bool Halted = false;

  TInternalErrorRecord LastInternalError;

  // "Note: " + text to the output pane, and the text to the run's notes.
  void WriteNote(const std::string& text);
  // Store a failure that is not shown to the operator. Never throws.
  void RecordInternalError(const std::string& location, const std::string& message) noexcept;
};

}  // namespace qvs

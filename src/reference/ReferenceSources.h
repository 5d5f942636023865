#pragma once
// The reference sources: how a processing run turns the project's reference settings into the
// temperature and humidity reference series and their descriptions, and the one-line summaries
// the reports print.

#include <string>

#include "core/DateTime.h"
#include "core/ProjectOptions.h"
#include "core/QVSContext.h"
#include "core/SampleRecord.h"
#include "reference/ASCIIReferenceFile.h"

namespace qvs {

// The log of the live reference instrument's readings, as the run reads it back. Lines are
// numbered from 1; each starts with its time stamp (15 characters), then a kind character ("R" for
// a reading) and the text.
class TReferenceSampleLog {
 public:
  virtual ~TReferenceSampleLog() = default;
  virtual int LineCount() = 0;
  // The number of the last line time-stamped before the time (1 when there is none).
  virtual int FindLineByTime(TDateTime time) = 0;
  virtual std::string GetLine(int lineNumber) = 0;
};

// Fill ctx.Results.Temperature.Reference (series and descriptions) from the selected source; the
// recorded-log kind reads the given log. Failures go through ReportProcessingError (test
// ctx.Halted afterwards).
void ReadTemperatureReference(TQVSContext& ctx, TReferenceSampleLog* log = nullptr);
// The same for ctx.Results.Humidity.Reference.
void ReadHumidityReference(TQVSContext& ctx);

// A constant series from start to end (inclusive) at the period; a period that is not greater than
// zero, or one that would need more than kMaximumConstantSamples samples, is refused with a
// processing error. Writes a summary of the series to the output pane.
inline constexpr double kMaximumConstantSamples = 100'000'000;
bool GenerateConstantReference(TQVSContext& ctx, const std::string& name, TSampleRecord& series, double value,
                               TDateTime start, TDateTime end, double period);

// The "R" readings of the log from one minute before start to one minute after end. Without a log,
// or with fewer than two readings, a processing error.
bool ReadReferenceFromLog(TQVSContext& ctx, TReferenceSampleLog* log, TDateTime start, TDateTime end,
                          TSampleRecord& series);

// The samples of one quantity of another logger's data file, loaded through ctx.Services; serial
// is the logger's serial number text (empty when the file cannot be read).
bool ReadReferenceFromLoggerFile(TQVSContext& ctx, const std::string& name, bool isTemperature, const std::string& path,
                                 TSampleRecord& series, std::string& serial);

// The temperature reference correction A + B x + C x^2 + D x^3 with TRef_A .. TRef_D.
double TemperatureReferenceCorrection(const TProgramSettings& settings, double x);
// The humidity reference correction with HRef_A .. HRef_D.
double HumidityReferenceCorrection(const TProgramSettings& settings, double x);

// What the ASCII reader takes for a quantity: that quantity's panel (offset, malformed lines,
// correction) and that quantity's correction coefficients.
TASCIIReferenceOptions ASCIIReferenceOptions(const TQVSContext& ctx, bool isTemperature);

// One-line summaries of the configured sources (from the project settings, not from a run).
std::string TemperatureReferenceSummary(const TQVSContext& ctx);
std::string HumidityReferenceSummary(const TQVSContext& ctx);

}  // namespace qvs

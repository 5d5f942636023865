#include "reference/ReferenceSources.h"

#include <sys/stat.h>

#include <cmath>
#include <exception>

#include "core/DataFileList.h"
#include "core/Format.h"
#include "core/LoggerData.h"
#include "core/Processing.h"
#include "core/TextForms.h"
#include "reference/CSVDatafile.h"
#include "reference/ReferenceConversions.h"

namespace qvs {
namespace {

constexpr int kNoHelp = 0;
constexpr int kNoLogSamplesHelp = 1323;
constexpr int kNoHumiditySamplesHelp = 1322;
constexpr int kNoTemperatureSamplesHelp = 1324;
constexpr int kFileNotFoundHelp = 1328;
constexpr int kLoggerFileHelp = 1350;
constexpr int kExceptionHelp = 1318;

// A file that exists and is not a folder.
bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// The file's last-write time as a local date-time.
TDateTime FileDateLocal(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return 0;
  const double unixSeconds = static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9;
  return UniversalToLocal(UnixToDateTime(unixSeconds));
}

void Progress(TQVSContext& ctx, const std::string& text) {
  ctx.Console.WriteOutput(text);
  ctx.Console.SetStatus(text);
}

// "<kind> <quantity> reference file not found: <expanded path>", or that none is chosen.
void ReportFileNotFound(TQVSContext& ctx, const std::string& kind, const std::string& name, const std::string& path) {
  if (Trim(path).empty())
    ReportProcessingError(ctx, Format("No %s %s reference file chosen", {kind, name}), kFileNotFoundHelp);
  else
    ReportProcessingError(ctx, Format("%s %s reference file not found: %s", {kind, name, ExpandFileName(path)}),
                          kFileNotFoundHelp);
}

void ReadReference(TQVSContext& ctx, bool temperature, TReferenceSampleLog* log) {
  TQuantityResults& results = temperature ? ctx.Results.Temperature : ctx.Results.Humidity;
  const TReferenceOptions& o = temperature ? ctx.Options.TemperatureReference : ctx.Options.HumidityReference;
  TReferenceRecord& ref = results.Reference;
  const std::string name = temperature ? "temperature" : "humidity";
  const TFormatSettings& fs = ctx.FormatSettings;
  ref.ReferenceShortText.clear();
  ref.ReferenceLongText.clear();

  switch (o.Source) {
    case rdsConstant:
      if (GenerateConstantReference(ctx, name, ref.Series, o.Constant, results.Extents.EarliestStart,
                                    results.Extents.LatestEnd, results.Extents.ShortestPeriod)) {
        ref.ReferenceShortText = Format("%1.3f", {o.Constant}, fs);
        ref.ReferenceLongText = Format("Constant value of %1.3f", {o.Constant}, fs);
      }
      break;

    case rdsReferenceLog:
      if (temperature) {
        Progress(ctx, "Reading temperature reference data from log");
        ReadReferenceFromLog(ctx, log, results.Extents.EarliestStart, results.Extents.LatestEnd, ref.Series);
      } else {
        // The live instrument logs temperature only.
        ref.Series.Clear();
      }
      ref.ReferenceShortText = "Log";
      ref.ReferenceLongText = "QVS reference log file";
      break;

    case rdsASCII: {
      const std::string& path = o.ASCIIFile;
      if (!FileExists(path)) {
        ReportFileNotFound(ctx, "ASCII", name, path);
        break;
      }
      Progress(ctx, Format("Reading %s reference data from ASCII file %s", {name, path}));
      const TDateTime startDate = o.UseASCIIDate ? DateOf(FileDateLocal(path)) : DateOf(o.UseThisDate);
      if (ReadDataFromASCIIReferenceFile(ctx, path, ref.Series, startDate, ASCIIReferenceOptions(ctx, temperature))) {
        ref.ReferenceShortText = "ASCII";
        ref.ReferenceLongText = "ASCII file " + ExtractFileName(path);
      }
      break;
    }

    case rdsMean: {
      const TSampleRecord& mean = results.MeanSeries.Series;
      ref.Series.Clear();
      ref.Series.StartTime = mean.StartTime;
      ref.Series.SamplePeriod = mean.SamplePeriod;
      ref.Series.Values = mean.Values;
      ref.ReferenceShortText = "Mean";
      ref.ReferenceLongText = "Mean of " + name + " records";
      break;
    }

    case rdsLogger: {
      std::string serial;
      ReadReferenceFromLoggerFile(ctx, name, temperature, o.LoggerFile, ref.Series, serial);
      ref.ReferenceShortText = serial;
      ref.ReferenceLongText = "Logger " + serial;
      break;
    }

    case rdsCSV: {
      // Blanks around the path or the channel ID are typing slips, for either quantity.
      const std::string path = Trim(o.CSVFile);
      if (!FileExists(path)) {
        ReportFileNotFound(ctx, "CSV", name, path);
        break;
      }
      Progress(ctx, Format("Reading %s reference data from CSV file %s", {name, path}));
      ref.MatchedCSVChannelID.clear();
      const int column = o.CSVUseChannelNumber ? o.CSVChannelNumber : -1;
      const std::string target = o.CSVUseChannelNumber ? std::string() : Trim(o.CSVChannelID);
      if (ReadDataFromCSVReferenceFile(ctx, path, column, target, ref.Series, ref.MatchedCSVChannelID,
                                       ref.MatchedCSVColumn)) {
        const std::string file = ExtractFileName(path);
        if (!ref.MatchedCSVChannelID.empty()) {
          ref.ReferenceShortText = Format("ID \"%s\"", {ref.MatchedCSVChannelID});
          ref.ReferenceLongText = Format("ID \"%s\" from file %s", {ref.MatchedCSVChannelID, file});
        } else {
          ref.ReferenceShortText = Format("Col. %d", {ref.MatchedCSVColumn});
          ref.ReferenceLongText = Format("Column %d from file %s", {ref.MatchedCSVColumn, file});
        }
      }
      break;
    }

    case rdsOVANChannel:
      // No source reads this channel: the series and descriptions stay as they are.
      break;

    default:  // rdsNone, and stored values outside the known kinds, which show as None
      ref.ReferenceShortText = "None";
      ref.ReferenceLongText = "None";
      break;
  }
}

std::string ReferenceSummary(const TQVSContext& ctx, bool temperature) {
  const TReferenceOptions& o = temperature ? ctx.Options.TemperatureReference : ctx.Options.HumidityReference;
  const TFormatSettings& fs = ctx.FormatSettings;
  switch (o.Source) {
    case rdsConstant:
      return "Constant value of " + (temperature ? TemperatureText(o.Constant, 3, fs) : HumidityText(o.Constant, fs));
    case rdsReferenceLog:
      return "Recorded log";
    case rdsASCII:
      return "ASCII samples from file " + ExtractFileName(o.ASCIIFile);
    case rdsMean:
      return Format("Mean of all %d loggers",
                    {temperature ? ctx.DataFileList.CountTemperature() : ctx.DataFileList.CountHumidity()});
    case rdsLogger:
      return "Samples from KV file " + ExtractFileName(o.LoggerFile);
    case rdsCSV:
      return "Samples from CSV file " + ExtractFileName(o.CSVFile);
    case rdsOVANChannel:
      return Format("Samples from OVAN channel %d", {o.OVANChannel});
    default:
      return "No reference selected";
  }
}

// A number from the log's text, 0 when it is not one.
double LogNumber(std::string_view text) {
  double v = 0;
  return TryTextToFloat(text, ".", v) ? v : 0.0;
}

// A failure nothing below caught (memory running out, above all) still stops the run cleanly.
void ReadReferenceSafely(TQVSContext& ctx, bool temperature, TReferenceSampleLog* log) {
  const char* location = temperature ? "ReadTemperatureReference" : "ReadHumidityReference";
  std::string message;
  try {
    ReadReference(ctx, temperature, log);
    return;
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "unknown failure";
  }
  ctx.RecordInternalError(location, message);
  ReportProcessingError(
      ctx, "Exception " + message + " reading the " + (temperature ? "temperature" : "humidity") + " reference",
      kExceptionHelp);
}

}  // namespace

void ReadTemperatureReference(TQVSContext& ctx, TReferenceSampleLog* log) { ReadReferenceSafely(ctx, true, log); }

void ReadHumidityReference(TQVSContext& ctx) { ReadReferenceSafely(ctx, false, nullptr); }

bool GenerateConstantReference(TQVSContext& ctx, const std::string& name, TSampleRecord& series, double value,
                               TDateTime start, TDateTime end, double period) {
  const TFormatSettings& fs = ctx.FormatSettings;
  // Stepping by a period that is not positive would never reach the end.
  if (!(period > 0) || !std::isfinite(period) || !std::isfinite(start) || !std::isfinite(end)) {
    ReportProcessingError(ctx,
                          Format("Constant %s reference not generated: the sample period (%s) is not greater than zero",
                                 {name, PeriodDurationText(period, fs)}),
                          kNoHelp);
    return false;
  }
  if ((end - start) / period + 1 > kMaximumConstantSamples) {
    ReportProcessingError(ctx,
                          Format("Constant %s reference not generated: %s to %s at a period of %s needs more than "
                                 "%1.0f samples",
                                 {name, LongDateTimeText(start, fs), LongDateTimeText(end, fs),
                                  PeriodDurationText(period, fs), kMaximumConstantSamples}),
                          kNoHelp);
    return false;
  }
  series.Clear();
  series.StartTime = start;
  // Each time is computed from its step number, and the end is met within half a millisecond (the
  // resolution of date-times), so that rounding never drops the sample that lies on the end.
  constexpr double kTolerance = 0.5 * kOneMillisecond;
  for (long long i = 0;; ++i) {
    const TDateTime t = start + static_cast<double>(i) * period;
    if (t > end + kTolerance) break;
    series.Add(value);
  }
  series.SamplePeriod = period;

  auto& out = ctx.Console;
  const int count = series.Count();
  out.WriteOutput(Format("Constant %s reference source generated", {name}));
  out.WriteOutput(Format("    Samples: %6d", {count}, fs));
  out.WriteOutput(Format("    Value  : %3.3f", {value}, fs));
  out.WriteOutput(Format("    From   : %s", {LongDateTimeOrNone(start, fs)}));
  out.WriteOutput(Format("    To     : %s", {LongDateTimeOrNone(start + (count - 1) * period, fs)}));
  out.WriteOutput(Format("    Period : %s", {LongDurationText(period, fs)}));
  return true;
}

bool ReadReferenceFromLog(TQVSContext& ctx, TReferenceSampleLog* log, TDateTime start, TDateTime end,
                          TSampleRecord& series) {
  if (!log) {
    series.Clear();
    ReportProcessingError(ctx, "The QVS reference log is not available", kNoLogSamplesHelp);
    return false;
  }
  const int first = log->FindLineByTime(start - kOneMinute);
  const int last = log->FindLineByTime(end + kOneMinute);
  series.Clear();
  int n = 0;
  TDateTime lastTime = 0;
  int line = first;
  do {
    const std::string text = log->GetLine(line);
    if (text.size() >= 16 && text[15] == 'R') {
      const TDateTime stamp = LogNumber(std::string_view(text).substr(0, 15));
      const std::size_t semicolon = text.find(';', 16);
      const std::size_t length = semicolon == std::string::npos ? std::string::npos : semicolon - 16;
      series.Add(LogNumber(std::string_view(text).substr(16, length)));
      if (++n == 1) series.StartTime = stamp;
      lastTime = stamp;
    }
    ++line;
    if (line < last && line % 10 == 0 && PollHalt(ctx)) return false;
  } while (line < last);

  if (n < 2) {
    ReportProcessingError(ctx, "No reference samples for test interval found in log", kNoLogSamplesHelp);
    return false;
  }
  series.SamplePeriod = (lastTime - series.StartTime + kOneMillisecond) / (n - 1);
  return true;
}

bool ReadReferenceFromLoggerFile(TQVSContext& ctx, const std::string& name, bool isTemperature, const std::string& path,
                                 TSampleRecord& series, std::string& serial) {
  serial.clear();
  Progress(ctx, Format("Reading %s reference data from KV file %s", {name, path}));
  if (!FileExists(path)) {
    ReportProcessingError(ctx, Format("Reference logger datafile not found: %s", {ExpandFileName(path)}),
                          kFileNotFoundHelp);
    return false;
  }
  TLoggerData data;
  bool loaded = false;
  if (!ctx.Services) {
    data.ErrorText = "no data file loader is available";
  } else {
    try {
      loaded = ctx.Services->LoadDataFile(path, data);
    } catch (const std::exception& e) {
      data.ErrorText = e.what();
    }
  }
  if (!loaded) {
    ReportProcessingError(ctx,
                          Format("Error reading reference logger file %s\r%s", {ExtractFileName(path), data.ErrorText}),
                          kLoggerFileHelp);
    return false;
  }
  serial = data.FormattedSerialNumber;
  series.Clear();
  series.StartTime = data.FirstSampleTime;
  series.SamplePeriod = data.SamplePeriod;
  const TSampleList& samples = isTemperature ? data.SampleSet.TemperatureSamples : data.SampleSet.HumiditySamples;
  if (samples.Count() == 0) {
    ReportProcessingError(ctx,
                          Format(isTemperature ? "No temperature samples for use as reference in file %s"
                                               : "No humidity samples for use as reference in file %s",
                                 {path}),
                          isTemperature ? kNoTemperatureSamplesHelp : kNoHumiditySamplesHelp);
    return false;
  }
  series.Values = samples.Values;
  return true;
}

double TemperatureReferenceCorrection(const TProgramSettings& s, double x) {
  return ReferenceCorrection({s.TRef_A, s.TRef_B, s.TRef_C, s.TRef_D}, x);
}

double HumidityReferenceCorrection(const TProgramSettings& s, double x) {
  return ReferenceCorrection({s.HRef_A, s.HRef_B, s.HRef_C, s.HRef_D}, x);
}

TASCIIReferenceOptions ASCIIReferenceOptions(const TQVSContext& ctx, bool isTemperature) {
  const TReferenceOptions& o = isTemperature ? ctx.Options.TemperatureReference : ctx.Options.HumidityReference;
  const TProgramSettings& s = ctx.Settings;
  TASCIIReferenceOptions options;
  options.TimeOffset = o.TimeOffset;
  options.IgnoreMalformedLines = o.IgnoreMalformedLines;
  options.ApplyCorrection = o.ApplyCorrection;
  options.Correction = isTemperature ? TReferenceCorrectionCoefficients{s.TRef_A, s.TRef_B, s.TRef_C, s.TRef_D}
                                     : TReferenceCorrectionCoefficients{s.HRef_A, s.HRef_B, s.HRef_C, s.HRef_D};
  return options;
}

std::string TemperatureReferenceSummary(const TQVSContext& ctx) { return ReferenceSummary(ctx, true); }

std::string HumidityReferenceSummary(const TQVSContext& ctx) { return ReferenceSummary(ctx, false); }

}  // namespace qvs

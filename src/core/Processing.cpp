#include "core/Processing.h"

#include <exception>

#include "core/Format.h"
#include "core/Statistics.h"
#include "core/TextForms.h"

namespace qvs {
namespace {

// Clears the run flag and refreshes the actions however the run ends.
class TProcessingScope {
 public:
  explicit TProcessingScope(TQVSContext& ctx) : Ctx(ctx) {
    Ctx.Processing = true;
    Ctx.Console.RefreshActions();
  }
  ~TProcessingScope() {
    Ctx.Processing = false;
    try {
      Ctx.Console.RefreshActions();
    } catch (...) {
    }
  }
  TProcessingScope(const TProcessingScope&) = delete;
  TProcessingScope& operator=(const TProcessingScope&) = delete;

 private:
  TQVSContext& Ctx;
};

void ReportStop(TQVSContext& ctx, const std::string& status, const std::string& box, const std::string& message,
                TTabSheet tab, int helpContext) {
  ctx.Console.SetStatus(Format(status, {message}));
  ctx.Console.WriteError(message);
  ctx.Console.ShowError(Format(box, {message}), helpContext);
  ctx.Console.ShowTab(tab);
  ctx.Halted = true;
}

// "Between these dates": the interval must end after it starts.
bool SummaryIntervalOrdered(TQVSContext& ctx) {
  if (ctx.Options.SummaryEntireLoggerRecord) return true;
  if (ctx.Options.SummaryEndDateTime() > ctx.Options.SummaryStartDateTime()) return true;
  ReportOptionError(ctx, "Summary report start date is after summary end date.", TTabSheet::SummaryReport, 1333);
  return false;
}

// "Between these dates": the interval must not lie wholly before or after the loggers' data.
bool SummaryIntervalMeetsData(TQVSContext& ctx) {
  if (ctx.Options.SummaryEntireLoggerRecord) return true;
  const TFormatSettings& fs = ctx.FormatSettings;
  const TDateTime s = ctx.Options.SummaryStartDateTime(), e = ctx.Options.SummaryEndDateTime();
  static constexpr const char* kBefore =
      "Summary report period is outside and prior to logger sample records.\r\n\r\n"
      "  Report start datetime: \t%s\r\n  Report end datetime:   \t%s\r\n\r\n  Samples start datetime:\t%s\r\n";
  static constexpr const char* kAfter =
      "Summary report period is outside and after logger sample records.\r\n\r\n"
      "  Report start datetime: \t%s\r\n  Report end datetime:   \t%s\r\n\r\n  Samples end datetime:  \t%s\r\n";
  const auto report = [&](const char* text, TDateTime data, int help) {
    ReportOptionError(ctx, Format(text, {LongDateTimeText(s, fs), LongDateTimeText(e, fs), LongDateTimeText(data, fs)}),
                      TTabSheet::SummaryReport, help);
    return false;
  };
  const TQuantityExtents& t = ctx.Results.Temperature.Extents;
  const TQuantityExtents& h = ctx.Results.Humidity.Extents;
  const bool temperature = ctx.Options.ReportsTemperature() && ctx.DataFileList.CountTemperature() > 0;
  const bool humidity = ctx.Options.ReportsHumidity() && ctx.DataFileList.CountHumidity() > 0;
  if (temperature && s < t.LatestStart && e < t.LatestStart) return report(kBefore, t.LatestStart, 1331);
  if (temperature && s > t.EarliestEnd && e > t.EarliestEnd) return report(kAfter, t.EarliestEnd, 1329);
  if (humidity && s < h.LatestStart && e < h.LatestStart) return report(kBefore, h.LatestStart, 1331);
  if (humidity && s > h.EarliestEnd && e > h.EarliestEnd) return report(kAfter, h.EarliestEnd, 1329);
  return true;
}

void ReadDataFiles(TQVSContext& ctx) {
  TDataFileList& list = ctx.DataFileList;
  for (int i = 0; i < list.Count(); ++i) {
    TQVSDataSet& entry = list.Entry(i);
    if (entry.Enabled) {
      const std::string name = ExtractFileName(list.Path(i));
      ctx.Console.SetStatus("Reading data file " + name);
      const bool loaded = ctx.Services && ctx.Services->LoadDataFile(list.Path(i), entry.LoggerData);
      if (!loaded) {
        const std::string why = ctx.Services ? entry.LoggerData.ErrorText : std::string("no data file reader");
        ReportProcessingError(ctx, Format("Error reading data file %s\r%s", {name, why}), 1315);
        return;
      }
      RebuildSeries(entry);
    }
    if (PollHalt(ctx)) return;
  }
}

void CheckSamplePeriods(TQVSContext& ctx) {
  ComputeRunExtents(ctx);
  const TQuantityExtents& t = ctx.Results.Temperature.Extents;
  const TQuantityExtents& h = ctx.Results.Humidity.Extents;
  if (!ctx.Options.SummaryDontReportDifferentSampleRates) {
    if (SamplePeriodsDiffer(t.LongestPeriod, t.ShortestPeriod))
      ctx.Console.ShowWarning("Temperature loggers have different sample periods", 1347);
    else if (SamplePeriodsDiffer(h.LongestPeriod, h.ShortestPeriod))
      ctx.Console.ShowWarning("Humidity loggers have different sample periods", 1346);
  }
  if (ctx.Options.SummaryStartDateTime() < 1.0) ResetSummaryInterval(ctx);
}

// The steps of a run; each returns early once the run is halted.
void RunSteps(TQVSContext& ctx) {
  TOperatorConsole& con = ctx.Console;
  TDataFileList& list = ctx.DataFileList;

  con.SetStatus("Sorting data files");
  list.Sort();
  if (list.CountTemperature() + list.CountHumidity() == 0) {
    ReportProcessingError(ctx, "No valid enabled Kestova data files found", 1325);
    return;
  }

  ReadDataFiles(ctx);
  if (ctx.Halted) return;

  con.WriteOutput(Format("Data files found: %d (%d with temperature, %d with humidity)",
                         {list.Count(), list.CountTemperature(), list.CountHumidity()}));

  CheckSamplePeriods(ctx);
  if (ctx.Halted) return;

  BuildCrossLoggerSeries(ctx);
  if (ctx.Halted) return;

  if (list.CountTemperature() > 0 && ctx.Options.ReportKind != rkHumidity && ctx.Services)
    ctx.Services->ReadTemperatureReference(ctx);
  if (ctx.Halted) return;
  if (list.CountHumidity() > 0 && ctx.Options.ReportKind != rkTemperature && ctx.Services)
    ctx.Services->ReadHumidityReference(ctx);
  if (ctx.Halted) return;

  if (!SummaryIntervalOrdered(ctx)) return;
  ComputeSummaryWindows(ctx);
  if (!SummaryIntervalMeetsData(ctx)) return;

  if (!ComputeLoggerStatistics(ctx)) return;
  ComputeSamplePeriods(ctx);
  ComputeStatisticExtremes(ctx);
  ComputePooledStatistics(ctx);
  ComputeReferenceStatistics(ctx);
  BuildErrorSeries(ctx);
  if (ctx.Halted) return;
  ComputeSeriesWindowStatistics(ctx);
  if (ctx.Halted) return;

  con.SetStatus("Producing reports");
  if (ctx.Services) ctx.Services->WriteSummaryReport(ctx);
  if (ctx.Halted) return;
  con.SetStatus("Completed");
}

void AddAdvisories(TQVSContext& ctx, bool temperature) {
  const TProjectOptions& o = ctx.Options;
  const int count = temperature ? ctx.DataFileList.CountTemperature() : ctx.DataFileList.CountHumidity();
  const bool noReference = (temperature ? o.TemperatureReference.Source : o.HumidityReference.Source) == rdsNone;
  const TQuantityExtents& x = temperature ? ctx.Results.Temperature.Extents : ctx.Results.Humidity.Extents;
  const auto note = [&ctx](const char* t, const char* h, bool isTemperature) { ctx.WriteNote(isTemperature ? t : h); };
  const bool T = temperature;

  if (count == 0) {
    note("A temperature report was requested but no loggers in the project contain temperature records",
         "A humidity report was requested but no loggers in the project contain humidity records", T);
    return;
  }
  if (SamplePeriodsDiffer(x.LongestPeriod, x.ShortestPeriod)) {
    const TFormatSettings& fs = ctx.FormatSettings;
    ctx.WriteNote(Format(T ? "The temperature loggers have different sample periods (ranging from %s to %s)"
                           : "The humidity loggers have different sample periods (ranging from %s to %s)",
                         {PeriodDurationText(x.ShortestPeriod, fs), PeriodDurationText(x.LongestPeriod, fs)}));
  }
  if (!o.SummaryPlotTraces) return;
  if (o.SummaryPlotReference && noReference)
    note("The \"temperature reference trace\" option is selected but no reference is specified so the reference "
         "trace will not be plotted",
         "The \"humidity reference trace\" option is selected but no reference is specified so the reference trace "
         "will not be plotted",
         T);
  if (o.SummaryPlotMean && count == 1)
    note("The \"temperature mean trace\" option is selected but there is only one datafile containing temperature "
         "records so the mean trace will not be plotted",
         "The \"humidity mean trace\" option is selected but there is only one datafile containing humidity records "
         "so the mean trace will not be plotted",
         T);
  if (o.SummaryPlotMeanSeparately && count == 1)
    note("The \"plot separate temperature mean of all loggers\" option is selected but there is only one datafile "
         "containing temperature records so the mean graph will not be plotted",
         "The \"separate humidity mean of all loggers\" plot option is selected but there is only one datafile "
         "containing humidity records so the mean graph will not be plotted",
         T);
  if (o.SummaryPlotReferenceSeparately && noReference)
    note("The \"plot separate temperature reference\" option is selected but there is no reference source selected "
         "so the reference graph will not be plotted",
         "The \"plot separate humidity reference\" option is selected but there is no reference source selected so "
         "the reference graph will not be plotted",
         T);
  if (o.SummaryPlotSpread && count == 1)
    note("The \"temperature spread of all loggers\" option is selected but there is only one datafile containing "
         "temperature records so the spread graph will not be plotted",
         "The \"humidity spread of all loggers\" option is selected but there is only one datafile containing "
         "humidity records so the spread graph will not be plotted",
         T);
  if (o.SummaryPlotVariance && count == 1)
    note("The \"temperature variance of all loggers\" option is selected but there is only one datafile containing "
         "temperature records so the variance graph will not be plotted",
         "The \"humidity variance of all loggers\" option is selected but there is only one datafile containing "
         "humidity records so the variance graph will not be plotted",
         T);
  if (o.SummaryPlotSD && count == 1)
    note("The \"temperature standard deviation of all loggers\" option is selected but there is only one datafile "
         "containing temperature records so the standard deviation graph will not be plotted",
         "The \"humidity standard deviation of all loggers\" option is selected but there is only one datafile "
         "containing humidity records so the standard deviation graph will not be plotted",
         T);
  if (o.SummaryPlotError) {
    if (noReference)
      note("The \"temperature error between logger and reference\" plot option is selected but there is no "
           "reference source selected so the error graph will not be plotted",
           "The \"humidity error between logger and reference\" plot option is selected but there is no reference "
           "source selected so the error graph will not be plotted",
           T);
    else if (count > 1)
      note("The \"temperature error between logger and reference\" plot option is selected but there is more than "
           "one datafile containing temperature records so the error graph will not be plotted",
           "The \"humidity error between logger and reference\" plot option is selected but there is more than one "
           "datafile containing humidity records so the error graph will not be plotted",
           T);
  }
  if (T ? o.SummaryPlotErrorVsTemperature : o.SummaryPlotErrorvsHumidity) {
    if (noReference)
      note("The \"temperature error vs. reference temperature\" plot option is selected but there is no reference "
           "source selected so the error graph will not be plotted",
           "The \"humidity error vs. reference humidity\" plot option is selected but there is no reference source "
           "selected so the error graph will not be plotted",
           T);
    else if (count > 1)
      note("The \"temperature error vs. reference temperature\" plot option is selected but there is more than one "
           "datafile containing temperature records so the error graph will not be plotted",
           "The \"humidity error vs. reference humidity\" plot option is selected but there is more than one "
           "datafile containing humidity records so the error graph will not be plotted",
           T);
  }
}

}  // namespace

bool SamplePeriodsDiffer(double longest, double shortest) { return longest / 10.0 < longest - shortest; }

void ReportProcessingError(TQVSContext& ctx, const std::string& message, int helpContext) {
  ReportStop(ctx, "Errors processing data: %s. Check \"Output\" Tab",
             "There were errors processing the data files.\r\r%s\r\rCheck the contents of the \"Output\" tab for "
             "more details.",
             message, TTabSheet::Output, helpContext);
}

void ReportOptionError(TQVSContext& ctx, const std::string& message, TTabSheet tab, int helpContext) {
  ReportStop(ctx, "Errors in options: %s. Check \"Output\" Tab",
             "There are errors in the configured project options.\r\r%s\r\rCheck the contents of the \"Output\" "
             "tab for more details.",
             message, tab, helpContext);
}

bool PollHalt(TQVSContext& ctx) {
  // Pending input first, so a Halt pressed while the last step worked is honoured now.
  ctx.Console.ProcessMessages();
  if (!ctx.HaltRequested.exchange(false)) return false;
  ctx.Console.WriteError("Aborted.");
  ctx.Console.SetStatus("Aborted");
  ctx.Halted = true;
  return true;
}

void RunAdvisories(TQVSContext& ctx) {
  if (ctx.Options.ReportsTemperature()) AddAdvisories(ctx, true);
  if (ctx.Options.ReportsHumidity()) AddAdvisories(ctx, false);
}

void DoProcessData(TQVSContext& ctx) {
  if (ctx.Processing) return;
  TOperatorConsole& con = ctx.Console;
  con.SetStatus("Processing ...");
  TProcessingScope scope(ctx);
  con.CommitEdits();
  con.RefreshActions();
  ctx.HaltRequested = false;
  ctx.Halted = false;
  ctx.Results.ProcessingNotes.clear();
  con.ClearOutput();
  con.WriteOutput("Processing started at " + LocaleDateTimeText(ctx.Now(), ctx.FormatSettings));
  std::string& folder = ctx.Settings.CurrentDatafileFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';

  try {
    RunSteps(ctx);
  } catch (const std::exception& e) {
    // Nothing a step raises may leave the run half-active; it stops the run like a data problem.
    ctx.RecordInternalError("DoProcessData", e.what());
    ReportProcessingError(ctx, std::string("Exception ") + e.what(), 0);
  }

  con.WriteOutput("Processing finished at " + LocaleDateTimeText(ctx.Now(), ctx.FormatSettings));
  if (!ctx.Halted) con.SetStatus("Finished");
}

}  // namespace qvs

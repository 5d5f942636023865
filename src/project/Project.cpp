#include "project/Project.h"

#include <sys/stat.h>

#include <cerrno>
#include <limits>

#include "core/CommaText.h"
#include "core/Format.h"
#include "core/TextForms.h"

namespace qvs {
namespace {

constexpr double kUnbounded = std::numeric_limits<double>::infinity();

const char* const kDescriptionPrompt = "Enter a description for the project";
const char* const kReportNotesPrompt = "Enter any notes you want included in the generated reports for this project";
const char* const kPaperSizes[] = {"A5", "A4", "A3", "Legal", "Letter"};

// Defaults of the keys that depend on the time the file is read.
struct TKeyDefaults {
  TDateTime Now;
  TDateTime Today;
};

// Every key of the project file in file order, for one visitor: a reader fills the options from a
// document, a writer writes them into it. Each call names the key, the field and the default.
template <class TVisitor, class TOptions>
void VisitReferenceKeys(TVisitor& v, const char* prefix, TOptions& r, const TKeyDefaults& d) {
  const auto key = [prefix](const char* name) { return std::string(prefix) + name; };
  v.Small(key("Source"), r.Source, rdsNone, rdsNone, rdsOVANChannel);
  v.Real(key("Constant"), r.Constant, 0, -200, 200);
  v.Path(key("LoggerFile"), r.LoggerFile);
  v.Path(key("ASCIIFile"), r.ASCIIFile);
  v.Flag(key("UseASCIIDate"), r.UseASCIIDate, true);
  v.DateTime(key("UseThisDate"), r.UseThisDate, d.Now);
  v.Integer(key("TimeOffset"), r.TimeOffset, 0, -1440, 1440);
  v.Flag(key("IgnoreMalformedLines"), r.IgnoreMalformedLines, true);
  v.Flag(key("ApplyCorrection"), r.ApplyCorrection, true);
  v.Integer(key("OVANChannel"), r.OVANChannel, 1, 1, 255);
  v.Path(key("CSVFile"), r.CSVFile);
  v.Flag(key("CSVUseChannelNumber"), r.CSVUseChannelNumber, true);
  v.Integer(key("CSVChannelNumber"), r.CSVChannelNumber, 1, 1, 99);
  v.Text(key("CSVChannelID"), r.CSVChannelID, "");
}

template <class TVisitor, class TOptions>
void VisitProjectKeys(TVisitor& v, TOptions& o, const TKeyDefaults& d) {
  v.Text("Client", o.Client, "Client");
  v.Text("Site", o.Site, "Site");
  v.Lines("Description", o.Description, kDescriptionPrompt);
  v.Lines("ReportNotes", o.ReportNotes, kReportNotesPrompt);
  v.DateTime("CreateDate", o.CreateDate, d.Now);
  v.DateTime("LastAccessDate", o.LastAccessDate, d.Now);
  v.DateTime("LastReportRunDate", o.LastReportRunDate, 0);
  v.DateTime("LastEditDate", o.LastEditDate, 0);
  VisitReferenceKeys(v, "RefT", o.TemperatureReference, d);
  VisitReferenceKeys(v, "RefH", o.HumidityReference, d);
  v.DataFiles("KVDataFileIDList");
  v.Text("OVANDatafIlePath", o.OVANDatafilePath, "");
  v.Flag("EnableReferenceThread", o.EnableReferenceThread, false);
  v.Flag("SummaryReport", o.SummaryReport, true);
  v.Flag("SummaryEntireLoggerRecord", o.SummaryEntireLoggerRecord, true);
  v.Small("SummaryPlotWhat", o.ReportKind, rkHumidity, rkTemperature, rkTemperatureAndHumidity);
  v.WholeDay("SummaryStartDate", o.SummaryStartDate, d.Today);
  v.TimeOfDay("SummaryStartTime", o.SummaryStartTime, d.Now);
  v.WholeDay("SummaryEndDate", o.SummaryEndDate, d.Today);
  v.TimeOfDay("SummaryEndTime", o.SummaryEndTime, d.Now);
  v.Real("SummaryUpperTemperatureLimit", o.SummaryUpperTemperatureLimit, 10, -200, 200);
  v.Real("SummaryLowerTemperatureLimit", o.SummaryLowerTemperatureLimit, -10, -200, 200);
  v.Real("SummaryUpperHumidityLimit", o.SummaryUpperHumidityLimit, 80, 0, 100);
  v.Real("SummaryLowerHumidityLimit", o.SummaryLowerHumidityLimit, 20, 0, 100);
  v.Flag("SummaryPlotTraces", o.SummaryPlotTraces, true);
  v.Flag("SummaryPlotMean", o.SummaryPlotMean, false);
  v.Flag("SummaryPlotSpread", o.SummaryPlotSpread, false);
  v.Flag("SummaryPlotSD", o.SummaryPlotSD, false);
  v.Flag("SummaryPlotError", o.SummaryPlotError, false);
  v.Flag("SummaryPlotErrorVsTemperature", o.SummaryPlotErrorVsTemperature, false);
  v.Flag("SummaryPlotTrendLine", o.SummaryPlotTrendLine, false);
  v.Integer("SummaryPlotTrendLinePolynomalOrder", o.SummaryPlotTrendLinePolynomalOrder, 3, 1, 9);
  v.Flag("SummaryPlotErrorvsHumidity", o.SummaryPlotErrorvsHumidity, false);
  v.Flag("SummaryPlotMeanSeparately", o.SummaryPlotMeanSeparately, false);
  v.Flag("SummaryPlotReferenceSeparately", o.SummaryPlotReferenceSeparately, false);
  v.Flag("SummaryPlotVariance", o.SummaryPlotVariance, false);
  v.Flag("SummaryPlotReference", o.SummaryPlotReference, true);
  v.Integer("SummaryMaxTracesPerGraph", o.SummaryMaxTracesPerGraph, 10, 1, 99);
  v.Flag("SummaryTemperatureAxisLimits", o.SummaryTemperatureAxisLimits, false);
  v.Real("SummaryUpperTemperaturePlot", o.SummaryUpperTemperaturePlot, 10, -kUnbounded, kUnbounded);
  v.Real("SummaryLowerTemperaturePlot", o.SummaryLowerTemperaturePlot, -10, -kUnbounded, kUnbounded);
  v.Flag("SummaryTemperatureSpanEnable", o.SummaryTemperatureSpanEnable, false);
  v.Real("SummaryTemperatureSpan", o.SummaryTemperatureSpan, 10, 0.01, 200);
  v.Flag("SummaryHumidityAxisLimits", o.SummaryHumidityAxisLimits, false);
  v.Real("SummaryUpperHumidityPlot", o.SummaryUpperHumidityPlot, 80, -kUnbounded, kUnbounded);
  v.Real("SummaryLowerHumidityPlot", o.SummaryLowerHumidityPlot, 20, -kUnbounded, kUnbounded);
  v.Flag("SummaryHumiditySpanEnable", o.SummaryHumiditySpanEnable, false);
  v.Real("SummaryHumiditySpan", o.SummaryHumiditySpan, 10, 0.01, 200);
  v.Flag("SummaryDontReportDifferentSampleRates", o.SummaryDontReportDifferentSampleRates, false);
  v.Flag("SummaryReportCalibration", o.SummaryReportCalibration, false);
  v.Flag("SummaryOpenPDF", o.SummaryOpenPDF, true);
  v.Flag("SummarySerialNumber", o.SummarySerialNumber, true);
  v.Flag("SummaryLoggerFirmware", o.SummaryLoggerFirmware, true);
  v.Flag("SummaryID", o.SummaryID, true);
  v.Flag("SummarySamples", o.SummarySamples, true);
  v.Flag("SummarySamplePeriod", o.SummarySamplePeriod, true);
  v.Flag("SummaryStart", o.SummaryStart, false);
  v.Flag("SummaryEnd", o.SummaryEnd, false);
  v.Flag("SummaryFrom", o.SummaryFrom, true);
  v.Flag("SummaryUntil", o.SummaryUntil, true);
  v.Flag("SummaryMinimum", o.SummaryMinimum, true);
  v.Flag("SummaryMaximum", o.SummaryMaximum, true);
  v.Flag("SummaryRange", o.SummaryRange, true);
  v.Flag("SummaryTimeBelow", o.SummaryTimeBelow, true);
  v.Flag("SummaryTimeAbove", o.SummaryTimeAbove, true);
  v.Flag("SummaryMean", o.SummaryMean, true);
  v.Flag("SummarySD", o.SummarySD, true);
  v.Flag("SummaryVariance", o.SummaryVariance, true);
  v.Flag("SummaryError", o.SummaryError, true);
  v.PaperSize("PaperSize", o.PaperSize, "A4");
  v.Small("PaperOrientation", o.PaperOrientation, 1, 0, 1);
}

class TProjectReader {
 public:
  TProjectReader(const TXMLProject& doc, const std::string& projectFilePath, TDataFileList& dataFiles)
      : Doc(doc), ProjectFilePath(projectFilePath), Folder(ExtractFilePath(projectFilePath)), DataFileList(dataFiles) {}

  void Text(const std::string& key, std::string& field, std::string_view def) { field = Doc.ReadString(key, def); }
  void Path(const std::string& key, std::string& field) { field = Doc.ReadPath(key, Folder); }
  void Lines(const std::string& key, std::vector<std::string>& field, const char* defaultLine) {
    field = Doc.HasKey(key) ? FromCommaText(Doc.ReadString(key, "")) : std::vector<std::string>{defaultLine};
  }
  void DateTime(const std::string& key, TDateTime& field, TDateTime def) { field = Doc.ReadDateTime(key, def); }
  void WholeDay(const std::string& key, TDateTime& field, TDateTime def) { field = DateOf(Doc.ReadDateTime(key, def)); }
  void TimeOfDay(const std::string& key, TDateTime& field, TDateTime def) {
    field = TimeOf(Doc.ReadDateTime(key, def));
  }
  void Integer(const std::string& key, int& field, int def, int low, int high) {
    field = Doc.ReadByte(key, def, high, low);
  }
  template <class T>
  void Small(const std::string& key, T& field, int def, int low, int high) {
    field = static_cast<T>(Doc.ReadByte(key, def, high, low));
  }
  void Flag(const std::string& key, bool& field, bool def) { field = Doc.ReadBool(key, def); }
  void Real(const std::string& key, double& field, double def, double low, double high) {
    const double value = Doc.ReadFloat(key, def);
    field = value < low ? low : value > high ? high : value;
  }
  void PaperSize(const std::string& key, std::string& field, const char* def) {
    const std::string stored = Trim(Doc.ReadString(key, def));
    field = def;
    for (const char* size : kPaperSizes)
      if (SameText(stored, size)) field = size;
  }
  void DataFiles(const std::string& key) { DataFileList.FromProjectText(Doc.ReadString(key, ""), ProjectFilePath); }

 private:
  const TXMLProject& Doc;
  const std::string& ProjectFilePath;
  const std::string Folder;
  TDataFileList& DataFileList;
};

class TProjectWriter {
 public:
  TProjectWriter(TXMLProject& doc, const std::string& projectFilePath, const TDataFileList& dataFiles)
      : Doc(doc), ProjectFilePath(projectFilePath), Folder(ExtractFilePath(projectFilePath)), DataFileList(dataFiles) {}

  void Text(const std::string& key, const std::string& field, std::string_view) { Doc.WriteString(key, field); }
  void Path(const std::string& key, const std::string& field) { Doc.WritePath(key, field, Folder); }
  void Lines(const std::string& key, const std::vector<std::string>& field, const char*) {
    Doc.WriteString(key, ToCommaText(field));
  }
  void DateTime(const std::string& key, TDateTime field, TDateTime) { Doc.WriteDateTime(key, field); }
  void WholeDay(const std::string& key, TDateTime field, TDateTime) { Doc.WriteDateTime(key, DateOf(field)); }
  void TimeOfDay(const std::string& key, TDateTime field, TDateTime) { Doc.WriteDateTime(key, TimeOf(field)); }
  void Integer(const std::string& key, int field, int, int, int) { Doc.WriteInteger(key, field); }
  template <class T>
  void Small(const std::string& key, T field, int, int, int) {
    Doc.WriteInteger(key, static_cast<int>(field));
  }
  void Flag(const std::string& key, bool field, bool) { Doc.WriteBool(key, field); }
  void Real(const std::string& key, double field, double, double, double) { Doc.WriteFloat(key, field); }
  void PaperSize(const std::string& key, const std::string& field, const char*) { Doc.WriteString(key, field); }
  void DataFiles(const std::string& key) { Doc.WriteString(key, DataFileList.ToProjectText(ProjectFilePath)); }

 private:
  TXMLProject& Doc;
  const std::string& ProjectFilePath;
  const std::string Folder;
  const TDataFileList& DataFileList;
};

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string FolderPrefix(const std::string& folder) {
  return folder.empty() ? std::string() : IncludeTrailingPathDelimiter(folder);
}

std::string FileNameWithoutExtension(const std::string& path) { return ChangeFileExt(ExtractFileName(path), ""); }

void NotifyProjectChanged(const TProjectState& state) {
  if (state.OnProjectChanged) state.OnProjectChanged();
}

// What a question box may answer; anything else (a box closed without an answer) counts as Cancel,
// so that nothing is dropped without the operator saying so.
TAnswer YesNoOrCancel(TAnswer answer) { return answer == mrYes || answer == mrNo ? answer : mrCancel; }

}  // namespace

bool TProjectState::HasProject() const { return !Trim(FileNameWithoutExtension(CurrentProject)).empty(); }

bool TProjectState::IsNewProject() const {
  return HasProject() && SameText(FileNameWithoutExtension(CurrentProject), kNewProjectName);
}

std::string TProjectState::ProjectName() const { return FileNameWithoutExtension(CurrentProject); }

void ApplyNewProjectValues(TProjectOptions& options, TDataFileList& dataFiles, TDateTime now) {
  const std::uint8_t reportKind = options.ReportKind;
  options = TProjectOptions{};
  options.ReportKind = reportKind;
  options.CreateDate = now;
  options.LastAccessDate = now;
  options.TemperatureReference.UseThisDate = now;
  options.HumidityReference.UseThisDate = now;
  options.SummaryStartDate = DateOf(now) - 1;
  options.SummaryStartTime = TimeOf(now);
  options.SummaryEndDate = DateOf(now);
  options.SummaryEndTime = TimeOf(now);
  dataFiles.ClearEntries();
}

void ReadProjectOptions(const TXMLProject& doc, const std::string& projectFilePath, TDateTime now,
                        TProjectOptions& options, TDataFileList& dataFiles) {
  TProjectReader reader(doc, projectFilePath, dataFiles);
  VisitProjectKeys(reader, options, TKeyDefaults{now, DateOf(now)});
}

void WriteProjectOptions(TXMLProject& doc, const std::string& projectFilePath, const TProjectOptions& options,
                         const TDataFileList& dataFiles) {
  TProjectWriter writer(doc, projectFilePath, dataFiles);
  VisitProjectKeys(writer, options, TKeyDefaults{0, 0});
}

bool LoadProject(TQVSContext& ctx, TProjectState& state, const std::string& path) {
  state.LastError.clear();
  const std::string fullPath = ExpandFileName(path);
  state.ProjectFileHistory.Add(fullPath);
  const TDateTime now = ctx.Now();
  ApplyNewProjectValues(ctx.Options, ctx.DataFileList, now);

  bool loaded = false;
  try {
    TXMLProject doc;
    std::string error;
    if (!PathExists(fullPath)) {
      state.LastError = Format("Project file not found: %s", {fullPath});
    } else if (!doc.Load(fullPath, error)) {
      state.LastError = error;
    } else {
      TProjectOptions options = ctx.Options;
      ReadProjectOptions(doc, fullPath, now, options, ctx.DataFileList);
      ctx.Options = std::move(options);
      loaded = true;
    }
  } catch (const std::exception& e) {
    state.LastError = "Exception (LoadProject (" + fullPath + "): " + e.what();
  }

  if (loaded) {
    state.ProjectFolder = ExtractFilePath(fullPath);
    state.CurrentProject = fullPath;
  } else {
    ctx.DataFileList.ClearEntries();
    state.CurrentProject.clear();
  }
  state.Modified = false;
  NotifyProjectChanged(state);
  return loaded;
}

bool SaveProject(TQVSContext& ctx, TProjectState& state, const std::string& path) {
  state.LastError.clear();
  if (Trim(path).empty()) {
    state.LastError = "Exception (SaveProject (): No project file name";
    return false;
  }
  const std::string fullPath = ExpandFileName(path);
  state.ProjectFileHistory.Add(fullPath);
  try {
    TXMLProject doc;
    std::string error;
    // Elements of the existing file that the program does not write are kept; a file that cannot be
    // read is left alone rather than replaced.
    if (!doc.Load(fullPath, error)) {
      state.LastError = error;
      return false;
    }
    TProjectOptions options = ctx.Options;
    const TDateTime now = ctx.Now();
    options.LastAccessDate = now;
    if (state.Modified) options.LastEditDate = now;
    WriteProjectOptions(doc, fullPath, options, ctx.DataFileList);
    if (!doc.Save(fullPath, error)) {
      state.LastError = error;
      return false;
    }
    ctx.Options.LastAccessDate = options.LastAccessDate;
    ctx.Options.LastEditDate = options.LastEditDate;
  } catch (const std::exception& e) {
    state.LastError = "Exception (SaveProject (" + fullPath + "): " + e.what();
    return false;
  }
  state.ProjectFolder = ExtractFilePath(fullPath);
  state.Modified = false;
  return true;
}

int SaveProjectAs(TQVSContext& ctx, TProjectState& state, const std::string& suggestedPath) {
  TFileDialogRequest request;
  request.Title = "Save QVS Project";
  request.Filter = std::string(kProjectFilter);
  request.DefaultExtension = std::string(kProjectExtension.substr(1));
  request.InitialFolder = state.ProjectFolder;
  request.SuggestedPath = suggestedPath;
  const std::optional<std::string> chosen = ctx.Console.ChooseFileToSave(request);
  if (!chosen) return mrCancel;

  std::string path = *chosen;
  if (ExtractFileExt(path).empty()) path += kProjectExtension;
  path = ExpandFileName(path);
  if (SameText(FileNameWithoutExtension(path), kNewProjectName)) {
    ctx.Console.ShowError(Format("You must give your project a name other than \"%s\"", {kNewProjectName}),
                          kHelpProjectNameNeeded);
    return mrNone;
  }

  // A failed save must not leave the dates of the project that stays current changed.
  TProjectOptions& o = ctx.Options;
  const TDateTime oldDates[4] = {o.CreateDate, o.LastAccessDate, o.LastEditDate, o.LastReportRunDate};
  const TDateTime now = ctx.Now();
  o.CreateDate = o.LastAccessDate = o.LastEditDate = now;
  o.LastReportRunDate = 0;
  if (!SaveProject(ctx, state, path)) {
    o.CreateDate = oldDates[0], o.LastAccessDate = oldDates[1], o.LastEditDate = oldDates[2];
    o.LastReportRunDate = oldDates[3];
    ctx.Console.WriteError(state.LastError);
    ctx.Console.ShowError("Error saving project file: " + path, kHelpErrorSavingProject);
    return mrNone;
  }

  state.CurrentProject = path;
  const std::string event = "Project \"" + FileNameWithoutExtension(path) + "\" created;File:," + path;
  if (state.EventSink) {
    state.EventSink->WriteEvent('I', event);
  } else {
    TConsoleEventSink(ctx.Console).WriteEvent('I', event);
  }
  state.Modified = false;
  NotifyProjectChanged(state);
  return mrYes;
}

std::string NewProjectFileName(const TProjectState& state) {
  const std::string folder = FolderPrefix(state.ProjectFolder);
  std::string name;
  for (int n = 1; n <= 99; ++n) {
    name = Format("%s%s (%d)%s", {folder, kNewProjectName, n, kProjectExtension});
    if (!PathExists(name)) break;
  }
  return name;
}

int QuerySaveProject(TQVSContext& ctx, TProjectState& state) {
  TAnswer answer;
  if (!state.HasProject()) {
    if (!state.Modified) return mrNone;
    answer = ctx.Console.AskConfirmation(
        "You have changed some settings, but have not saved them in a project.\r\r"
        "Would you like to create a new project and save it?",
        kHelpSettingsNotSaved);
  } else if (!state.IsNewProject()) {
    if (SaveProject(ctx, state, state.CurrentProject)) return mrYes;
    ctx.Console.WriteError(state.LastError);
    if (!state.Modified) return mrNo;  // only the access date is lost
    // The changes would be lost: the operator decides.
    answer = YesNoOrCancel(ctx.Console.AskConfirmation(
        "Error saving project file: " + state.CurrentProject + "\r\rContinue without saving your changes?",
        kHelpErrorSavingProject));
    return answer == mrYes ? mrNo : mrCancel;
  } else {
    if (!state.Modified) return mrNone;
    answer = ctx.Console.AskConfirmation("New project not saved. Save now?", kHelpNewProjectNotSaved);
  }
  answer = YesNoOrCancel(answer);
  if (answer != mrYes) return answer;
  // A save the operator asked for that did not happen keeps the project where it is.
  return SaveProjectAs(ctx, state, NewProjectFileName(state)) == mrYes ? mrYes : mrCancel;
}

bool NewProject(TQVSContext& ctx, TProjectState& state) {
  if (QuerySaveProject(ctx, state) == mrCancel) return false;
  const TDateTime now = ctx.Now();
  // The new-project values: one prompt line each for the description and the notes, no data
  // files, created and last accessed now, never edited or reported.
  ApplyNewProjectValues(ctx.Options, ctx.DataFileList, now);
  state.CurrentProject =
      FolderPrefix(state.ProjectFolder) + std::string(kNewProjectName) + std::string(kProjectExtension);
  state.Modified = false;
  NotifyProjectChanged(state);
  return true;
}

bool OpenProject(TQVSContext& ctx, TProjectState& state) {
  TFileDialogRequest request;
  request.Title = "Open QVS Project";
  request.Filter = std::string(kProjectFilter);
  request.DefaultExtension = std::string(kProjectExtension.substr(1));
  request.InitialFolder = state.ProjectFolder;
  const std::optional<std::string> chosen = ctx.Console.ChooseFileToOpen(request);
  if (!chosen) return false;
  return OpenProjectFile(ctx, state, *chosen);
}

bool OpenProjectFile(TQVSContext& ctx, TProjectState& state, const std::string& path) {
  const std::string fullPath = ExpandFileName(path);
  if (!IsRegularFile(fullPath)) {
    ctx.Console.ShowError(Format("Project file not found: %s", {fullPath}), kHelpProjectNotFound);
    return false;
  }
  // Unsaved settings without a project are asked about too (QuerySaveProject answers "nothing to
  // save" when there is nothing).
  if (QuerySaveProject(ctx, state) == mrCancel) return false;
  if (!LoadProject(ctx, state, fullPath)) {
    ctx.Console.WriteError(state.LastError);
    ctx.Console.ShowError(Format("Unable to open project file %s", {fullPath}) + "\r\r" + state.LastError, 0);
    return false;
  }
  return true;
}

bool CloseProject(TQVSContext& ctx, TProjectState& state) {
  if (QuerySaveProject(ctx, state) == mrCancel) return false;
  ApplyNewProjectValues(ctx.Options, ctx.DataFileList, ctx.Now());
  state.CurrentProject.clear();
  state.Modified = false;
  NotifyProjectChanged(state);
  return true;
}

bool ReloadProject(TQVSContext& ctx, TProjectState& state) {
  state.LastError.clear();
  if (!state.HasProject() || !IsRegularFile(state.CurrentProject)) {
    state.LastError = Format("Project file not found: %s", {state.CurrentProject});
    return false;
  }
  return LoadProject(ctx, state, state.CurrentProject);
}

}  // namespace qvs

#pragma once
// Everything one validation project holds besides its data file list, and the workstation
// settings the run reads. The project file and the settings file store these values; the main
// window binds its controls to them; the processing run reads them.

#include <cstdint>
#include <string>
#include <vector>

#include "core/DateTime.h"

namespace qvs {

// Reference source kind per quantity, stored as RefTSource / RefHSource.
enum TReferenceDataSource : std::uint8_t {
  rdsNone = 0,
  rdsConstant = 1,
  rdsReferenceLog = 2,
  rdsASCII = 3,
  rdsMean = 4,
  rdsLogger = 5,
  rdsCSV = 6,
  rdsOVANChannel = 7,
};

// What the run reports, stored as SummaryPlotWhat.
enum TReportKind : std::uint8_t { rkTemperature = 0, rkHumidity = 1, rkTemperatureAndHumidity = 2 };

// One quantity's reference settings (the RefT... or RefH... keys). Initial values are those of a
// new project.
struct TReferenceOptions {
  std::uint8_t Source = rdsNone;
  double Constant = 0;
  std::string LoggerFile;
  std::string ASCIIFile;
  bool UseASCIIDate = true;
  TDateTime UseThisDate = 0;
  int TimeOffset = 0;  // minutes
  bool IgnoreMalformedLines = false;
  bool ApplyCorrection = true;
  int OVANChannel = 1;
  std::string CSVFile;
  bool CSVUseChannelNumber = true;
  int CSVChannelNumber = 1;
  std::string CSVChannelID;
};

// The project options; initial values are those of a new project where they do not depend on
// the time of creation.
struct TProjectOptions {
  std::string Client = "Client";
  std::string Site = "Site";
  std::vector<std::string> Description{"Enter a description for the project"};
  std::vector<std::string> ReportNotes{"Enter any notes you want included in the generated reports for this project"};
  TDateTime CreateDate = 0;
  TDateTime LastAccessDate = 0;
  TDateTime LastReportRunDate = 0;
  TDateTime LastEditDate = 0;

  TReferenceOptions TemperatureReference;
  TReferenceOptions HumidityReference;

  std::string OVANDatafilePath;
  bool EnableReferenceThread = false;

  bool SummaryReport = true;
  bool SummaryEntireLoggerRecord = true;  // else "Between these dates"
  std::uint8_t ReportKind = rkHumidity;   // SummaryPlotWhat
  TDateTime SummaryStartDate = 0;         // whole day
  TDateTime SummaryStartTime = 0;         // time of day
  TDateTime SummaryEndDate = 0;
  TDateTime SummaryEndTime = 0;
  double SummaryUpperTemperatureLimit = 10;
  double SummaryLowerTemperatureLimit = -10;
  double SummaryUpperHumidityLimit = 80;
  double SummaryLowerHumidityLimit = 20;

  bool SummaryPlotTraces = true;
  bool SummaryPlotMean = false;
  bool SummaryPlotSpread = false;
  bool SummaryPlotSD = false;
  bool SummaryPlotError = false;
  bool SummaryPlotErrorVsTemperature = false;
  bool SummaryPlotTrendLine = false;
  int SummaryPlotTrendLinePolynomalOrder = 3;
  bool SummaryPlotErrorvsHumidity = false;
  bool SummaryPlotMeanSeparately = false;
  bool SummaryPlotReferenceSeparately = false;
  bool SummaryPlotVariance = false;
  bool SummaryPlotReference = false;
  int SummaryMaxTracesPerGraph = 10;
  bool SummaryTemperatureAxisLimits = false;
  double SummaryUpperTemperaturePlot = 10;
  double SummaryLowerTemperaturePlot = -10;
  bool SummaryTemperatureSpanEnable = false;
  double SummaryTemperatureSpan = 10;
  bool SummaryHumidityAxisLimits = false;
  double SummaryUpperHumidityPlot = 80;
  double SummaryLowerHumidityPlot = 20;
  bool SummaryHumiditySpanEnable = false;
  double SummaryHumiditySpan = 10;
  bool SummaryDontReportDifferentSampleRates = false;
  bool SummaryReportCalibration = false;
  bool SummaryOpenPDF = true;

  // Report table columns.
  bool SummarySerialNumber = true;
  bool SummaryLoggerFirmware = true;
  bool SummaryID = true;
  bool SummarySamples = true;
  bool SummarySamplePeriod = false;
  bool SummaryStart = false;
  bool SummaryEnd = false;
  bool SummaryFrom = true;
  bool SummaryUntil = true;
  bool SummaryMinimum = true;
  bool SummaryMaximum = true;
  bool SummaryRange = true;
  bool SummaryTimeBelow = true;
  bool SummaryTimeAbove = true;
  bool SummaryMean = true;
  bool SummarySD = true;
  bool SummaryVariance = true;
  bool SummaryError = true;

  std::string PaperSize = "A4";
  int PaperOrientation = 1;  // 0 portrait, 1 landscape

  // The summary interval as the run sees it: the whole day of the date plus the time of day.
  TDateTime SummaryStartDateTime() const { return DateOf(SummaryStartDate) + TimeOf(SummaryStartTime); }
  TDateTime SummaryEndDateTime() const { return DateOf(SummaryEndDate) + TimeOf(SummaryEndTime); }
  void SetSummaryStart(TDateTime dt) { SummaryStartDate = DateOf(dt); SummaryStartTime = TimeOf(dt); }
  void SetSummaryEnd(TDateTime dt) { SummaryEndDate = DateOf(dt); SummaryEndTime = TimeOf(dt); }
  bool ReportsTemperature() const { return ReportKind != rkHumidity; }
  bool ReportsHumidity() const { return ReportKind != rkTemperature; }
};

// Workstation settings the core reads (the settings file holds more).
struct TProgramSettings {
  std::string Company = "Kestova International Ltd.";
  std::string CurrentDatafileFolder;
  std::string SummaryReportFolder;
  std::string SummaryReportFilename = "\"%Project%\" yyyymmdd hhnnss";
  bool SameAsDataFolder = false;

  // Reference correction coefficients: correction(x) = A + B x + C x^2 + D x^3, held as singles.
  float TRef_A = 0, TRef_B = 0, TRef_C = 0, TRef_D = 0;
  float HRef_A = 0, HRef_B = 0, HRef_C = 0, HRef_D = 0;
  bool ApplyTCorrectionWhenLogging = true;

  // How CSV reference files write their time field.
  std::string CSVDateFormat = "dd/mm/yy";
  std::string CSVTimeFormat = "hh:nn:ss";
  std::string CSVDateSeparator = "/";
  std::string CSVTimeSeparator = ":";
};

}  // namespace qvs

#include "demo/DemoProject.h"

#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "core/OperatorConsole.h"
#include "core/QVSContext.h"
#include "datafiles/LoggerSimulator.h"
#include "project/Project.h"
#include "reference/ReferenceSimulator.h"

namespace qvs {
namespace {

// The chamber: set to 25.0 °C and 60 %RH; its controller cycles the air by ±0.15 °C and ±0.8 %RH
// every 40 minutes. The door is opened for half an hour five hours into the test.
constexpr double kSetTemperature = 25.0, kSetHumidity = 60.0;
constexpr double kCycleDays = 40.0 / 1440.0;
const TDateTime kFirstSample = EncodeDateTime(2026, 11, 2, 8, 0, 0);
constexpr int kSamples = 1440;  // one day at one-minute intervals
constexpr double kDoorOpensHours = 5.0, kDoorOpenHours = 0.5;

double ChamberCycle(double hours) { return std::sin(2 * M_PI * (hours / 24.0) / kCycleDays); }

class TQuietConsole : public TOperatorConsole {
 public:
  void AddOutputLine(const std::string&) override {}
  void ClearOutput() override {}
  void SetStatusPanel(int, const std::string&) override {}
  TAnswer ShowMessageBox(TMessageKind, const std::string&, int) override { return mrNone; }
  void ProcessMessages() override {}
  void ShowTab(TTabSheet) override {}
  std::optional<std::string> ChooseFileToSave(const TFileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseFileToOpen(const TFileDialogRequest&) override { return {}; }
};

struct TPlacement {
  const char* File;
  const char* ID;
  int Version;
  unsigned Number;
  double TemperatureOffset;  // where it sits in the chamber
  double HumidityOffset;
  bool Enabled = true;
};

sim::TLoggerDescription Describe(const TPlacement& p, int index) {
  sim::TLoggerDescription d;
  d.Version = p.Version;
  d.SerialNumber = sim::MakeSerialNumber(p.Version >= 7 ? 4 : 1, p.Number, p.Version >= 7 ? 2 : 0);
  d.Logging = p.Version >= 7 ? sim::TLogging::TemperatureHumidity : sim::TLogging::Temperature;
  d.FirmwareCode = static_cast<std::uint8_t>(200 + p.Version * 3);
  d.FirstSampleTime = kFirstSample + index * 7 * kOneSecond;  // started one after the other
  d.SampleCount = kSamples;
  d.SamplePeriodSeconds = 60;
  d.Temperature.Base = kSetTemperature + p.TemperatureOffset;
  d.Temperature.NoiseStdDev = 0.02;
  d.Temperature.NoiseSeed = 100 + index;
  d.Temperature.Extra = [](double hours) { return 0.15 * ChamberCycle(hours); };
  d.Temperature.ColdSpots = {{kDoorOpensHours, kDoorOpenHours, 0.4}};
  d.Humidity.Base = kSetHumidity + p.HumidityOffset;
  d.Humidity.NoiseStdDev = 0.15;
  d.Humidity.NoiseSeed = 200 + index;
  d.Humidity.Extra = [](double hours) { return 0.8 * ChamberCycle(hours); };
  d.ManufactureDate = EncodeDate(2026, 3, 2) + index;
  d.RecalPeriodDays = 365;
  d.GraceDays = 30;
  d.OwnerName = "QA LAB";
  d.UserData = {"Chamber validation", std::string("Position ") + p.ID};
  return d;
}

}  // namespace

TDemoResult WriteDemoProject(const std::string& folderText) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::absolute(folderText).lexically_normal();
  const fs::path loggers = folder / "loggers";
  std::error_code ec;
  fs::create_directories(loggers, ec);
  if (ec) throw std::runtime_error("cannot create " + loggers.string() + ": " + ec.message());

  const TPlacement placements[] = {
      {"centre.kv", "Centre", 8, 310001, 0.00, 0.0},
      {"top-front-left.kv", "Top front left", 8, 310002, 0.12, -0.8},
      {"top-front-right.kv", "Top front right", 8, 310003, 0.09, -0.6},
      {"top-rear-left.kv", "Top rear left", 7, 310004, 0.15, -1.1},
      {"top-rear-right.kv", "Top rear right", 7, 310005, 0.11, -0.9},
      {"bottom-front-left.kv", "Bottom front left", 6, 1200006, -0.08, 0.0},
      {"bottom-front-right.kv", "Bottom front right", 6, 1200007, -0.06, 0.0},
      {"bottom-rear-left.kv", "Bottom rear left", 5, 1200008, -0.10, 0.0},
      {"door-seal.kv", "Door seal (cold spot)", 8, 310009, -0.35, 1.5},
      {"shelf-2-drifting.kv", "Shelf 2 (drifting)", 7, 310010, 0.02, 0.4},
      {"shelf-3-offset.kv", "Shelf 3 (out of calibration)", 8, 310011, 0.55, 2.5},
      {"spare-disabled.kv", "Spare (not placed)", 8, 310012, -5.0, -20.0, false},
  };

  TQuietConsole console;
  TQVSContext ctx(console);
  TProjectState state;
  const std::string projectFile = (folder / "Chamber validation.qvs").string();
  ApplyNewProjectValues(ctx.Options, ctx.DataFileList, kFirstSample + 1.5);

  int index = 0;
  for (const TPlacement& p : placements) {
    sim::TLoggerDescription d = Describe(p, index);
    if (std::string(p.File) == "door-seal.kv") {
      // Beside the door seal: the opening chills it far more than the rest, and it recovers slowly.
      d.Temperature.ColdSpots = {{kDoorOpensHours, 2.0, 2.2}};
    }
    if (std::string(p.File) == "shelf-2-drifting.kv") {
      d.Temperature.DriftPerDay = 0.6;
      d.Humidity.DriftPerDay = 1.5;
    }
    if (std::string(p.File) == "shelf-3-offset.kv") {
      // Due for recalibration: its year ends a fortnight after the test.
      d.ManufactureDate = kFirstSample + 14 - 365;
    }
    if (std::string(p.File) == "centre.kv") {
      // A logger whose factory calibration points correct a small sensor error.
      d.Temperature.Base += 0.2;
      d.TemperaturePoints = {{0.0, -0.2}, {25.0, -0.2}, {50.0, -0.2}};
    }
    const std::string path = (loggers / p.File).string();
    sim::WriteLegacyFile(d, path);
    auto entry = std::make_unique<TQVSDataSet>();
    entry->ID = p.ID;
    entry->Enabled = p.Enabled;
    ctx.DataFileList.AddEntry(path, std::move(entry));
    ++index;
  }

  // The reference instrument: a calibrated probe beside the centre logger, logging every 30 s
  // from a quarter of an hour before the loggers until after them.
  const std::string reference = (folder / "reference-instrument.csv").string();
  const TDateTime refStart = kFirstSample - 15 * kOneMinute;
  const auto hours = [](TDateTime t) { return (t - kFirstSample) * 24.0; };
  WriteSimulatedCSVFile(
      reference, AcquisitionUnitCSV(),
      {{"Chamber T",
        [hours](TDateTime t) {
          const double h = hours(t);
          double v = kSetTemperature + 0.15 * ChamberCycle(h);
          if (h > kDoorOpensHours && h < kDoorOpensHours + kDoorOpenHours)
            v -= 0.4 * 0.5 * (1 - std::cos(2 * M_PI * (h - kDoorOpensHours) / kDoorOpenHours));
          return v;
        }},
       {"Chamber RH", [hours](TDateTime t) { return kSetHumidity + 0.8 * ChamberCycle(hours(t)); }}},
      refStart, 30 * kOneSecond, (kSamples + 60) * 2);

  TProjectOptions& o = ctx.Options;
  o.Client = "Northwind Pharma";
  o.Site = "Building 4, stability chamber C2";
  o.Description = {"Temperature and humidity mapping of stability chamber C2 at 25 °C / 60 %RH",
                   "Eleven loggers in a 3 x 3 x 2 grid, one spare left out"};
  o.ReportNotes = {"Door opened for 30 minutes at 13:00 for a scheduled check."};
  o.ReportKind = rkTemperatureAndHumidity;
  o.TemperatureReference.Source = rdsCSV;
  o.TemperatureReference.CSVFile = reference;
  o.TemperatureReference.CSVUseChannelNumber = false;
  o.TemperatureReference.CSVChannelID = "Chamber T";
  o.HumidityReference.Source = rdsCSV;
  o.HumidityReference.CSVFile = reference;
  o.HumidityReference.CSVUseChannelNumber = false;
  o.HumidityReference.CSVChannelID = "Chamber RH";
  o.SummaryUpperTemperatureLimit = 27.0;
  o.SummaryLowerTemperatureLimit = 23.0;
  o.SummaryUpperHumidityLimit = 65.0;
  o.SummaryLowerHumidityLimit = 55.0;
  o.SummaryEntireLoggerRecord = false;
  o.SetSummaryStart(kFirstSample + 1.0 / 24);          // an hour to settle
  o.SetSummaryEnd(kFirstSample + 23.0 / 24);
  o.SummaryReportCalibration = true;
  o.SummarySamplePeriod = true;
  o.SummaryPlotMean = true;
  o.SummaryPlotSpread = true;

  state.ProjectFolder = folder.string() + "/";
  if (!SaveProject(ctx, state, projectFile))
    throw std::runtime_error("cannot write " + projectFile + ": " + state.LastError);
  return {projectFile, index, reference};
}

}  // namespace qvs

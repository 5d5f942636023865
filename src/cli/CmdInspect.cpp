// qvs-cli inspect: prints what a logger data file holds, in a stable layout of "Key: value" lines
// grouped under headings.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli/Commands.h"
#include "core/Format.h"
#include "datafiles/LoadingFront.h"
#include "datafiles/LoggerDataSet.h"
#include "datafiles/ProductTables.h"

namespace qvs::cli {
namespace {

const char* const kHelp = R"(Usage: qvs-cli inspect FILE

Reads a logger data file the way a processing run does and prints what it holds: identity,
configuration, times, recalibration, each channel with its limits, calibration points and samples,
markers, comments, the integrity verdict and the memory image listing.

Times are shown as the file holds them ("logger time" for the legacy format, whose times are local
times of an unknown zone). Exit status: 0 when the file was read (also when its CRC failed: the
integrity line says so), 1 for bad arguments, 2 when the file is rejected; the reader's result code
and message then go to standard error.

Options:
  -h, --help   show this help
)";

// "yyyy-mm-dd hh:nn:ss", or "none" for a date-time that is not set.
std::string DateTimeText(TDateTime t) {
  if (!std::isfinite(t) || t == 0) return "none";
  TDateParts d;
  TTimeParts tm;
  DecodeDateTime(t, d, tm);
  if (d.Year == 0) return Format("%1.6f (out of range)", {t});
  char s[32];
  std::snprintf(s, sizeof s, "%04d-%02d-%02d %02d:%02d:%02d", d.Year, d.Month, d.Day, tm.Hour, tm.Minute, tm.Second);
  return s;
}

std::string Seconds(double days) { return Format("%1.0f s", {days * 86400.0}); }
std::string YesNo(bool b) { return b ? "yes" : "no"; }
std::string Hex32(std::uint32_t v) { return "0x" + Format("%8.8x", {unsigned{v}}); }

class TPrinter {
 public:
  explicit TPrinter(std::ostream& out) : Out(out) {}
  void Heading(const std::string& h) { Out << "\n" << h << "\n"; }
  void Line(const std::string& key, const std::string& value, int indent = 2) {
    Out << std::string(static_cast<std::size_t>(indent), ' ') << key << ":"
        << std::string(std::max<std::size_t>(1, 26 - key.size() - static_cast<std::size_t>(indent)), ' ') << value
        << "\n";
  }
  std::ostream& Out;
};

std::string Value(double v) { return Format("%1.2f", {v}); }
std::string Signed(double v) {
  std::string s = Value(v);
  if (v >= 0) s.insert(s.begin(), '+');
  return s;
}

void PrintChannel(TPrinter& p, int number, const TKV6LoggerChannel& c) {
  const bool humidity = c.LoggedParameter == lpHumidity || (number == 2 && c.LoggedParameter != lpTemperature);
  const std::string unit = humidity ? " %RH" : " \xC2\xB0" "C";
  p.Heading("Channel " + std::to_string(number) + " (" + LoggedParameterText(c.LoggedParameter) + ")");
  p.Line("Sensor", humidity ? "humidity code " + std::to_string(c.HumiditySensor)
                            : "temperature code " + std::to_string(c.TemperatureSensor));
  p.Line("Location", SensorLocationText(c.SensorLocation));
  p.Line("Limits", Value(c.LowerLimit) + " .. " + Value(c.UpperLimit) + unit);
  p.Line("Limits exceeded", std::string("lower ") + YesNo(c.LowerLimitExceeded) + ", upper " + YesNo(c.UpperLimitExceeded));
  p.Line("Alarm delay", std::to_string(c.AlarmDelay));
  p.Line("Safe range", SafeRangeStatusText(c.SafeRangeStatus) + (c.SREEnable ? " (SRE enabled)" : ""));
  p.Line("Measuring range", Value(c.MinLoggedValue) + " .. " + Value(c.MaxLoggedValue) + unit);
  if (c.CalibrationPoints.empty()) p.Line("Calibration points", "none");
  for (std::size_t i = 0; i < c.CalibrationPoints.size(); ++i)
    p.Line(i == 0 ? "Calibration points" : "", Value(c.CalibrationPoints[i].Value) + unit + ": " +
                                                   Signed(c.CalibrationPoints[i].Correction));
  p.Line("Samples", std::to_string(c.Samples.size()));
  if (!c.Samples.empty()) {
    const auto [lo, hi] = std::minmax_element(c.Samples.begin(), c.Samples.end());
    p.Line("First sample", Value(c.Samples.front()) + unit);
    p.Line("Last sample", Value(c.Samples.back()) + unit);
    p.Line("Minimum", Value(*lo) + unit + " (sample " + std::to_string(lo - c.Samples.begin() + 1) + ")");
    p.Line("Maximum", Value(*hi) + unit + " (sample " + std::to_string(hi - c.Samples.begin() + 1) + ")");
  }
}

void Print(std::ostream& out, const TKV6LoggerDataSet& ds) {
  TPrinter p(out);
  p.Out << "File: " << ds.FileName << "\n";
  p.Line("Format", EncodingFormatText(ds.EncodingFormat) + ", version " + std::to_string(ds.OriginalFileFormatRevision), 0);
  p.Line("Integrity", DigestStatusText(ds.DigestStatus), 0);

  p.Heading("Identity");
  p.Line("Serial number", ds.FormattedSerialNumber + " (" + std::to_string(ds.SerialNumber) + ")");
  p.Line("Firmware version", ds.FirmwareVersion.ToString() + " (" + LoggerClassText(ds.LoggerClass) + ")");
  p.Line("Trip number", TripNumberText(ds.TSN));
  p.Line("Logger type", LoggerTypeText(ds.LoggerType));
  p.Line("Description", ds.LoggerDescription);
  p.Line("Owner", ds.OwnerName.empty() ? "none" : ds.OwnerName);
  p.Line("User data", ds.UserData.find_first_not_of(",\"") == std::string::npos ? "none" : ds.UserData);
  p.Line("Case", CaseAppearanceOf(ds.CaseAppearance).Name);
  p.Line("Locked", YesNo(ds.Locked));
  p.Line("Refurbished", std::to_string(ds.RefurbishCount) + " times");
  p.Line("Battery", Format("type %d, %1.2f Ah, about %1.0f%% left", {int{ds.BatteryType}, ds.BatteryCapacityAH,
                                                                     ds.BatteryRemainingPercent}));
  p.Line("Software", ds.SoftwareVersionCreated.ToString());

  p.Heading("Configuration");
  p.Line("State", LoggerModeText(ds.LoggerMode));
  p.Line("Logging", LoggingModeText(ds.LoggingMode));
  p.Line("Sample period", Seconds(ds.SamplePeriod));
  p.Line("Start delay", ds.StartDelayAvailable ? Seconds(ds.StartDelay) : "not set");
  p.Line("Start delay remaining", Seconds(ds.StartDelayRemaining));
  p.Line("Start on date-time", ds.StartOnDateTimeEnable ? DateTimeText(ds.StartOnUTCDateTime) : "no");
  p.Line("Buttons", std::string("start ") + YesNo(ds.StartWithButton) + ", stop " + YesNo(ds.StopWithButton) +
                        ", mark " + YesNo(ds.MarkWithButton));
  p.Line("Loop overwrite", YesNo(ds.LoopOverwrite));
  p.Line("Memory size", std::to_string(ds.MemorySize) + " bytes");
  p.Line("Logger capacity", std::to_string(ds.LoggerCapacity));
  p.Line("Sample capacity", std::to_string(ds.SampleCapacity));
  p.Line("Samples logged", std::to_string(ds.SamplesLogged));
  p.Line("All samples logged", std::to_string(ds.AllSamplesLogged));
  p.Line("Memory full", YesNo(ds.Full) + (ds.Overwriting ? ", overwriting" : ""));
  p.Line("Total samples", std::to_string(ds.TotalSamples));
  p.Line("Total trips", std::to_string(ds.TotalTrips));

  p.Heading("Times (logger time)");
  p.Line("Activated", DateTimeText(ds.LDSDateOfActivation));
  p.Line("Started", DateTimeText(ds.LDSDateStarted));
  p.Line("First sample", DateTimeText(ds.LDSDateOfFirstSample));
  p.Line("Last sample", DateTimeText(ds.LDSDateOfLastSample));
  p.Line("Read", DateTimeText(ds.LDSDateTimeSamplesRead));
  p.Line("File last saved (UTC)", DateTimeText(ds.UTCDateTimeFileLastSaved));

  p.Heading("Recalibration");
  p.Line("Status", RecalExpiryStatusText(ds.RecalExpiryStatus));
  p.Line("Period", ds.RecalExpiryEnable ? Format("%1.0f days", {ds.RecalExpiryPeriod}) : "not enabled");
  p.Line("Grace period", Format("%1.0f days", {ds.GracePeriod}));
  p.Line("Manufactured", DateTimeText(ds.ManufactureUTCDate));
  p.Line("Expires", DateTimeText(ds.DisplayedRecalExpiryUTCDate));

  for (int ch = 1; ch <= kChannelCount; ++ch) {
    const auto& c = ds.Channels[static_cast<std::size_t>(ch - 1)];
    if (c.LoggedParameter != lpNone || !c.Samples.empty()) PrintChannel(p, ch, c);
  }

  p.Heading("Markers");
  if (ds.Markers.empty()) p.Out << "  none\n";
  for (const auto& m : ds.Markers)
    p.Out << "  sample " << m.SampleNumber << (m.NumberOfMarkers > 1 ? " x" + std::to_string(m.NumberOfMarkers) : "")
          << "\n";

  p.Heading("Comments");
  if (ds.Comments.empty()) p.Out << "  none\n";
  for (const auto& c : ds.Comments) {
    p.Line("Title", c.Title);
    p.Line("Text", c.Text);
  }

  p.Heading("Integrity");
  p.Line("Status", DigestStatusText(ds.DigestStatus));
  p.Line("CRC", "stored " + Hex32(ds.StoredCRC) + ", computed " + Hex32(ds.ComputedCRC));
  p.Line("Checksum", "stored " + std::to_string(ds.StoredChecksum) + ", computed " + std::to_string(ds.ComputedChecksum));
  p.Out << "  " << DigestStatusExplanation(ds.DigestStatus) << "\n";

  p.Heading("Memory images");
  for (char ch : ds.MemoryImageText)
    if (ch != '\r') p.Out << ch;
}

}  // namespace

int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (WantsHelp(args)) {
    out << kHelp;
    return kExitOK;
  }
  if (args.size() != 1 || args[0].rfind("--", 0) == 0) {
    err << "qvs-cli inspect: " << (args.empty() ? "no FILE given" : "give exactly one FILE")
        << "\nRun 'qvs-cli inspect --help' for how to use it.\n";
    return kExitUsage;
  }
  const std::string& file = args[0];
  TKV6LoggerDataSet ds;
  TKV6ResultCode result = rcUnknownError;
  std::string message;
  DataFileFormatFor(file).Read(file, ds, result, message, NowUniversal());
  if (result != rcOK) {
    err << "qvs-cli inspect: " << file << ": error " << int{result} << " (" << ResultCodeText(result)
        << "): " << message << "\n";
    return kExitFailed;
  }
  Print(out, ds);
  return kExitOK;
}

}  // namespace qvs::cli

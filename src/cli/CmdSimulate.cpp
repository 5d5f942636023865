// qvs-cli simulate: writes one simulated legacy logger data file from options.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <sstream>

#include "cli/Commands.h"
#include "datafiles/LoggerDataSet.h"
#include "datafiles/LoggerSimulator.h"
#include "demo/DemoProject.h"

namespace qvs::cli {
namespace {

const char* const kHelp = R"(Usage: qvs-cli simulate [options] FILE
       qvs-cli simulate --demo FOLDER

Writes a simulated legacy logger data file (.kv) that the loading front reads like a downloaded one.
Without options: a version 8 temperature and humidity logger that logged 1440 one-minute samples
of 20.00 degC and 50.0 %RH from 2024-03-01 08:00:00, then was stopped.

Logger:
  --version N            file format version 5..8 (default 8; 5 and 6 hold temperature only)
  --serial N             serial number: a number, or KIND:NUMBER[:SUBKIND] (default 1:4711)
  --firmware CODE        firmware code 0..255 (default 214)
  --mode t|h|th          logged quantities (default th; t for versions 5 and 6)
  --state STATE          ready, delay, logging or stopped (default stopped)
  --owner TEXT           owner name (8 characters)
  --user-data LINE       a line of user data (up to 5, 40 characters each)
  --tsn N                trip sequence number (default 1)

Samples:
  --start DATETIME       first sample, "YYYY-MM-DD HH:MM:SS" in the logger's time (default 2024-03-01 08:00:00)
  --period SECONDS       sample period, an even number of seconds (default 60)
  --count N              samples per quantity, 0..32768 (default 1440)
  --start-delay SECONDS  programmed start delay (default 0)
  --temperature VALUE    temperature base value, degC (default 20)
  --humidity VALUE       humidity base value, %RH (default 50)
  --t-drift D, --h-drift D       drift per day
  --t-noise SD, --h-noise SD     Gaussian noise with this standard deviation
  --t-step H:CHANGE, --h-step H:CHANGE           a step CHANGE after H hours (repeatable)
  --t-cold-spot H:DUR:DEPTH, --h-cold-spot ...   a dip of DEPTH from H hours lasting DUR hours (repeatable)
  --seed N               noise seed (default 1)

Calibration and data:
  --t-cal VALUE:CORR     temperature calibration point, degC (up to 3)
  --h-cal VALUE:CORR     humidity calibration point, %RH (up to 2)
  --check-word N         store this check word instead of the one that makes the points count
  --marker N             a marker on sample N, 1-based (repeatable, up to 100)
  --field NAME=TEXT      a user field (up to 10; version 5 keeps the first text only)
  --manufactured DATE    manufacture date, "YYYY-MM-DD"
  --recal-days N         recalibration period in days
  --grace-days N         grace period in days
  --recal-expiry DATE    programmed recalibration expiry, "YYYY-MM-DD"

Demo:
  --demo FOLDER          write the demonstration validation into FOLDER: a project of twelve
                         loggers of mixed versions in a climatic chamber (one drifting, one at a
                         cold spot, one out of calibration, one disabled) with a CSV reference
                         from a simulated instrument; run it with 'qvs-cli run'

Output:
  --force                overwrite FILE when it exists
  -h, --help             show this help
)";

class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

double Number(const std::string& option, const std::string& text) {
  double v = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, v);
  if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v))
    throw EUsage(option + " needs a number, not '" + text + "'");
  return v;
}

long long Integer(const std::string& option, const std::string& text, long long lo, long long hi) {
  long long v = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, v);
  if (r.ec != std::errc() || r.ptr != end) throw EUsage(option + " needs a whole number, not '" + text + "'");
  if (v < lo || v > hi) throw EUsage(option + " must be from " + std::to_string(lo) + " to " + std::to_string(hi));
  return v;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::stringstream s(text);
  std::string part;
  while (std::getline(s, part, sep)) parts.push_back(part);
  if (!text.empty() && text.back() == sep) parts.emplace_back();
  return parts;
}

// "YYYY-MM-DD", optionally followed by " HH:MM[:SS]" or "THH:MM[:SS]".
TDateTime DateTimeOption(const std::string& option, const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char sep = ' ';
  const int n = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &y, &mo, &d, &sep, &h, &mi, &s);
  const bool ok = (n == 3 && text.size() == 10) || ((n == 6 || n == 7) && (sep == ' ' || sep == 'T'));
  const auto date = TryEncodeDate(y, mo, d);
  const auto time = TryEncodeTime(h, mi, s, 0);
  if (!ok || !date || !time) throw EUsage(option + " needs a date-time \"YYYY-MM-DD HH:MM:SS\", not '" + text + "'");
  return *date + *time;
}

std::pair<double, double> Pair(const std::string& option, const std::string& text) {
  const auto p = Split(text, ':');
  if (p.size() != 2) throw EUsage(option + " needs two numbers written A:B, not '" + text + "'");
  return {Number(option, p[0]), Number(option, p[1])};
}

std::uint32_t SerialOption(const std::string& text) {
  const auto p = Split(text, ':');
  try {
    if (p.size() == 1) return static_cast<std::uint32_t>(Integer("--serial", p[0], 0, 0xFFFFFFFFLL));
    if (p.size() == 2 || p.size() == 3)
      return sim::MakeSerialNumber(static_cast<unsigned>(Integer("--serial", p[0], 0, 15)),
                                   static_cast<unsigned>(Integer("--serial", p[1], 0, 9999999)),
                                   p.size() == 3 ? static_cast<unsigned>(Integer("--serial", p[2], 0, 15)) : 0);
  } catch (const sim::ESimulatorError& e) {
    throw EUsage(std::string("--serial: ") + e.what());
  }
  throw EUsage("--serial needs a number or KIND:NUMBER[:SUBKIND], not '" + text + "'");
}

}  // namespace

int RunSimulate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (WantsHelp(args)) {
    out << kHelp;
    return kExitOK;
  }
  if (!args.empty() && args[0] == "--demo") {
    if (args.size() != 2) {
      err << "qvs-cli simulate: --demo needs one folder\n";
      return kExitUsage;
    }
    try {
      const TDemoResult demo = WriteDemoProject(args[1]);
      out << "Demo project written: " << demo.ProjectFile << "\n"
          << "  " << demo.LoggerFiles << " logger files and the reference " << demo.ReferenceFile << "\n"
          << "Run it with: qvs-cli run \"" << demo.ProjectFile << "\"\n";
      return kExitOK;
    } catch (const std::exception& e) {
      err << "qvs-cli simulate: " << e.what() << "\n";
      return kExitFailed;
    }
  }
  sim::TLoggerDescription d;
  d.Logging = sim::TLogging::TemperatureHumidity;
  bool modeGiven = false, force = false;
  std::string file;
  double seed = 1;
  try {
    using THandler = std::function<void(const std::string&)>;
    const std::map<std::string, THandler> options = {
        {"--version", [&](const std::string& v) { d.Version = static_cast<int>(Integer("--version", v, 5, 8)); }},
        {"--serial", [&](const std::string& v) { d.SerialNumber = SerialOption(v); }},
        {"--firmware", [&](const std::string& v) { d.FirmwareCode = static_cast<std::uint8_t>(Integer("--firmware", v, 0, 255)); }},
        {"--mode",
         [&](const std::string& v) {
           modeGiven = true;
           if (v == "t") d.Logging = sim::TLogging::Temperature;
           else if (v == "h") d.Logging = sim::TLogging::Humidity;
           else if (v == "th") d.Logging = sim::TLogging::TemperatureHumidity;
           else throw EUsage("--mode is t, h or th, not '" + v + "'");
         }},
        {"--state",
         [&](const std::string& v) {
           if (v == "ready") d.State = sim::TLoggerState::Ready;
           else if (v == "delay") d.State = sim::TLoggerState::StartDelay;
           else if (v == "logging") d.State = sim::TLoggerState::Logging;
           else if (v == "stopped") d.State = sim::TLoggerState::Stopped;
           else throw EUsage("--state is ready, delay, logging or stopped, not '" + v + "'");
         }},
        {"--owner", [&](const std::string& v) { d.OwnerName = v; }},
        {"--user-data", [&](const std::string& v) { d.UserData.push_back(v); }},
        {"--tsn", [&](const std::string& v) { d.TSN = static_cast<std::int32_t>(Integer("--tsn", v, 0, 99999999)); }},
        {"--start", [&](const std::string& v) { d.FirstSampleTime = DateTimeOption("--start", v); }},
        {"--period", [&](const std::string& v) { d.SamplePeriodSeconds = static_cast<int>(Integer("--period", v, 2, 131070)); }},
        {"--count", [&](const std::string& v) { d.SampleCount = static_cast<int>(Integer("--count", v, 0, 32768)); }},
        {"--start-delay",
         [&](const std::string& v) { d.StartDelaySeconds = static_cast<int>(Integer("--start-delay", v, 0, 131068)); }},
        {"--temperature", [&](const std::string& v) { d.Temperature.Base = Number("--temperature", v); }},
        {"--humidity", [&](const std::string& v) { d.Humidity.Base = Number("--humidity", v); }},
        {"--t-drift", [&](const std::string& v) { d.Temperature.DriftPerDay = Number("--t-drift", v); }},
        {"--h-drift", [&](const std::string& v) { d.Humidity.DriftPerDay = Number("--h-drift", v); }},
        {"--t-noise", [&](const std::string& v) { d.Temperature.NoiseStdDev = Number("--t-noise", v); }},
        {"--h-noise", [&](const std::string& v) { d.Humidity.NoiseStdDev = Number("--h-noise", v); }},
        {"--t-step",
         [&](const std::string& v) {
           const auto [h, c] = Pair("--t-step", v);
           d.Temperature.Steps.push_back({h, c});
         }},
        {"--h-step",
         [&](const std::string& v) {
           const auto [h, c] = Pair("--h-step", v);
           d.Humidity.Steps.push_back({h, c});
         }},
        {"--t-cold-spot",
         [&](const std::string& v) {
           const auto p = Split(v, ':');
           if (p.size() != 3) throw EUsage("--t-cold-spot needs H:DUR:DEPTH, not '" + v + "'");
           d.Temperature.ColdSpots.push_back({Number("--t-cold-spot", p[0]), Number("--t-cold-spot", p[1]),
                                              Number("--t-cold-spot", p[2])});
         }},
        {"--h-cold-spot",
         [&](const std::string& v) {
           const auto p = Split(v, ':');
           if (p.size() != 3) throw EUsage("--h-cold-spot needs H:DUR:DEPTH, not '" + v + "'");
           d.Humidity.ColdSpots.push_back(
               {Number("--h-cold-spot", p[0]), Number("--h-cold-spot", p[1]), Number("--h-cold-spot", p[2])});
         }},
        {"--seed", [&](const std::string& v) { seed = static_cast<double>(Integer("--seed", v, 0, 1LL << 52)); }},
        {"--t-cal",
         [&](const std::string& v) {
           const auto [value, corr] = Pair("--t-cal", v);
           d.TemperaturePoints.push_back({value, corr});
         }},
        {"--h-cal",
         [&](const std::string& v) {
           const auto [value, corr] = Pair("--h-cal", v);
           d.HumidityPoints.push_back({value, corr});
         }},
        {"--check-word",
         [&](const std::string& v) { d.CheckWord = static_cast<std::int16_t>(Integer("--check-word", v, -32768, 32767)); }},
        {"--marker", [&](const std::string& v) { d.Markers.push_back(static_cast<int>(Integer("--marker", v, 0, 65535))); }},
        {"--field",
         [&](const std::string& v) {
           const auto eq = v.find('=');
           if (eq == std::string::npos) throw EUsage("--field needs NAME=TEXT, not '" + v + "'");
           d.UserFields.push_back({v.substr(0, eq), v.substr(eq + 1)});
         }},
        {"--manufactured", [&](const std::string& v) { d.ManufactureDate = DateTimeOption("--manufactured", v); }},
        {"--recal-expiry", [&](const std::string& v) { d.ProgrammedRecalExpiry = DateTimeOption("--recal-expiry", v); }},
        {"--recal-days", [&](const std::string& v) { d.RecalPeriodDays = static_cast<int>(Integer("--recal-days", v, 0, 65535)); }},
        {"--grace-days", [&](const std::string& v) { d.GraceDays = static_cast<int>(Integer("--grace-days", v, 0, 255)); }},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
      std::string a = args[i];
      if (a == "--force") {
        force = true;
        continue;
      }
      if (a.rfind("--", 0) == 0) {
        std::string value;
        bool inlineValue = false;
        if (const auto eq = a.find('='); eq != std::string::npos) {
          value = a.substr(eq + 1);
          a = a.substr(0, eq);
          inlineValue = true;
        }
        const auto it = options.find(a);
        if (it == options.end()) throw EUsage("unknown option '" + a + "'");
        if (!inlineValue) {
          if (i + 1 >= args.size()) throw EUsage(a + " needs a value");
          value = args[++i];
        }
        it->second(value);
        continue;
      }
      if (!file.empty()) throw EUsage("only one FILE, not '" + file + "' and '" + a + "'");
      file = a;
    }
    if (file.empty()) throw EUsage("no FILE given");
  } catch (const EUsage& e) {
    err << "qvs-cli simulate: " << e.what() << "\nRun 'qvs-cli simulate --help' for the options.\n";
    return kExitUsage;
  }
  if (!modeGiven && d.Version < 7) d.Logging = sim::TLogging::Temperature;
  d.Temperature.NoiseSeed = static_cast<std::uint64_t>(seed);
  d.Humidity.NoiseSeed = static_cast<std::uint64_t>(seed) + 1;

  std::error_code ec;
  if (!force && std::filesystem::exists(file, ec)) {
    err << "qvs-cli simulate: " << file << " exists; use --force to overwrite it\n";
    return kExitFailed;
  }
  try {
    const auto written = sim::WriteLegacyFile(d, file);
    const bool logs = d.State == sim::TLoggerState::Logging || d.State == sim::TLoggerState::Stopped;
    out << "Wrote " << file << ": version " << d.Version << ", serial " << SerialNumberText(d.SerialNumber) << ", "
        << (logs ? written.RawTemperature.size() : 0) << " temperature and " << (logs ? written.RawHumidity.size() : 0)
        << " humidity samples, " << written.Bytes.size() << " bytes\n";
  } catch (const sim::ESimulatorError& e) {
    err << "qvs-cli simulate: " << e.what() << "\n";
    return kExitUsage;
  } catch (const std::exception& e) {
    err << "qvs-cli simulate: " << e.what() << "\n";
    return kExitFailed;
  }
  return kExitOK;
}

}  // namespace qvs::cli

#pragma once
// Run services for tests: logger "files" held in memory, references and reports as callbacks.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/QVSContext.h"

namespace qvs::test {

class TFakeRunServices : public TRunServices {
 public:
  bool IsDataFile(const std::string& path) override { return Files.count(path) > 0 || Recognised.count(path) > 0; }
  bool LoadDataFile(const std::string& path, TLoggerData& data) override {
    Loaded.push_back(path);
    auto it = Files.find(path);
    if (it == Files.end()) {
      data.ErrorText = "file not in the fake";
      data.ErrorCode = 1;
      return false;
    }
    data = it->second;
    return data.ErrorText.empty();
  }
  void ReadTemperatureReference(TQVSContext& ctx) override {
    ++TemperatureReferenceCalls;
    if (OnTemperatureReference) OnTemperatureReference(ctx);
  }
  void ReadHumidityReference(TQVSContext& ctx) override {
    ++HumidityReferenceCalls;
    if (OnHumidityReference) OnHumidityReference(ctx);
  }
  void WriteSummaryReport(TQVSContext& ctx) override {
    ++ReportCalls;
    if (OnReport) OnReport(ctx);
  }

  std::map<std::string, TLoggerData> Files;  // what LoadDataFile gives for each path
  std::map<std::string, bool> Recognised;     // paths IsDataFile accepts without loading
  std::vector<std::string> Loaded;
  std::function<void(TQVSContext&)> OnTemperatureReference, OnHumidityReference, OnReport;
  int TemperatureReferenceCalls = 0, HumidityReferenceCalls = 0, ReportCalls = 0;
};

// A logger with evenly spaced samples; an empty list leaves that channel empty.
inline TLoggerData MakeLogger(std::uint32_t serial, TDateTime start, double periodSeconds,
                              const std::vector<double>& temperatures, const std::vector<double>& humidities = {}) {
  TLoggerData d;
  d.SerialNumber = serial;
  d.FormattedSerialNumber = "S" + std::to_string(serial);
  d.FirstSampleTime = start;
  d.SamplePeriod = periodSeconds / 86400.0;
  const std::size_t n = std::max(temperatures.size(), humidities.size());
  d.LastSampleTime = n ? start + static_cast<double>(n - 1) * d.SamplePeriod : start;
  for (double v : temperatures) d.SampleSet.TemperatureSamples.Add(v);
  for (double v : humidities) d.SampleSet.HumiditySamples.Add(v);
  d.LoggedParameter = temperatures.empty() ? 1 : humidities.empty() ? 0 : 2;
  return d;
}

}  // namespace qvs::test

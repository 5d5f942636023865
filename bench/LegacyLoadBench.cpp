// Loading a project's worth of legacy files through the loading front: 200 simulated version 8
// loggers with 32768 temperature and 32768 humidity samples each and calibration correction active.
// Reports files per second and corrected samples per second.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/LoggerData.h"
#include "datafiles/LoadingFront.h"
#include "datafiles/LoggerSimulator.h"

namespace {

constexpr int kLoggers = 200;
constexpr int kSamples = 32768;

// The simulated project, written once into a temporary folder that is removed at exit.
struct TProject {
  std::filesystem::path Folder;
  std::vector<std::string> Files;

  TProject() {
    std::string base = std::filesystem::temp_directory_path().string() + "/qvs-bench-XXXXXX";
    if (!mkdtemp(base.data())) std::abort();
    Folder = base;
    for (int i = 0; i < kLoggers; ++i) {
      qvs::sim::TLoggerDescription d;
      d.Version = 8;
      d.SerialNumber = qvs::sim::MakeSerialNumber(1, 1000 + static_cast<unsigned>(i));
      d.Logging = qvs::sim::TLogging::TemperatureHumidity;
      d.SampleCount = kSamples;
      d.SamplePeriodSeconds = 60;
      d.Temperature.Base = 20.0 + 0.01 * i;
      d.Temperature.NoiseStdDev = 0.05;
      d.Temperature.NoiseSeed = static_cast<std::uint64_t>(i);
      d.Humidity.Base = 45.0;
      d.Humidity.NoiseStdDev = 0.5;
      d.Humidity.NoiseSeed = static_cast<std::uint64_t>(i) + 1000;
      d.TemperaturePoints = {{0.0, 0.12}, {20.0, -0.08}, {40.0, 0.05}};
      d.HumidityPoints = {{30.0, 1.2}, {70.0, -0.8}};
      Files.push_back((Folder / ("logger" + std::to_string(i) + ".kv")).string());
      qvs::sim::WriteLegacyFile(d, Files.back());
    }
  }
  ~TProject() {
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
  }
};

TProject& Project() {
  static TProject p;
  return p;
}

void BM_LoadLegacyProject(benchmark::State& state) {
  const auto& files = Project().Files;
  const qvs::TDateTime now = qvs::NowUniversal();
  std::int64_t samples = 0;
  for (auto _ : state) {
    for (const auto& f : files) {
      qvs::TLoggerData data;
      if (!qvs::LoadDataFileIntoLoggerData(f, data, now)) {
        state.SkipWithError(("load failed: " + data.ErrorText).c_str());
        return;
      }
      samples += data.SampleSet.TemperatureSamples.Count() + data.SampleSet.HumiditySamples.Count();
      benchmark::DoNotOptimize(data.SampleSet.TemperatureSamples.Values.data());
    }
  }
  state.counters["files/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kLoggers, benchmark::Counter::kIsRate);
  state.counters["samples/s"] = benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadLegacyProject)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();

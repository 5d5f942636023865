// The cross-logger build of a project's worth of loggers: 200 loggers of 32768 samples with
// mixed sample periods and staggered starts, temperature and humidity.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "core/SilentConsole.h"
#include "core/QVSContext.h"
#include "core/Statistics.h"

namespace qvs {
namespace {

void FillProject(TQVSContext& ctx, int loggers, int samples) {
  std::mt19937 rng(42);
  std::normal_distribution<float> noise(0.0f, 0.05f);
  const double periods[] = {60, 60, 60, 120, 30, 300};
  for (int i = 0; i < loggers; ++i) {
    auto e = std::make_unique<TQVSDataSet>();
    const double period = periods[i % 6] / 86400.0;
    const double start = 46000.0 + (i % 17) * 7.0 / 86400.0;
    for (TSampleRecord* s : {&e->TemperatureSeries, &e->HumiditySeries}) {
      s->StartTime = start;
      s->SamplePeriod = period;
      s->Values.resize(static_cast<std::size_t>(samples));
      for (float& v : s->Values) v = (s == &e->TemperatureSeries ? 21.0f : 55.0f) + noise(rng);
    }
    ctx.DataFileList.AddEntry("/bench/logger" + std::to_string(i) + ".kv", std::move(e));
  }
  ComputeRunExtents(ctx);
}

void BM_BuildCrossLoggerSeries(benchmark::State& state) {
  TSilentConsole console;
  TQVSContext ctx{console};
  FillProject(ctx, 200, 32768);
  for (auto _ : state) {
    BuildCrossLoggerSeries(ctx);
    benchmark::DoNotOptimize(ctx.Results.Temperature.MeanSeries.Series.Values.data());
  }
  const auto steps = ctx.Results.Temperature.MeanSeries.Series.Count() + ctx.Results.Humidity.MeanSeries.Series.Count();
  state.counters["steps"] = static_cast<double>(steps);
  state.counters["lookups/s"] =
      benchmark::Counter(static_cast<double>(steps) * 200, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BuildCrossLoggerSeries)->Unit(benchmark::kMillisecond);

void BM_LoggerWindowStatistics(benchmark::State& state) {
  TSilentConsole console;
  TQVSContext ctx{console};
  FillProject(ctx, 200, 32768);
  ComputeSummaryWindows(ctx);
  for (auto _ : state) benchmark::DoNotOptimize(ComputeLoggerStatistics(ctx));
  state.counters["samples/s"] =
      benchmark::Counter(2.0 * 200 * 32768, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoggerWindowStatistics)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qvs

BENCHMARK_MAIN();

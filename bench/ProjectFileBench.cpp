// Saving and loading a project file of a large validation: every key and N data files.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/SilentConsole.h"
#include "core/QVSContext.h"
#include "project/Project.h"

namespace qvs {
namespace {

// A folder for the benchmark's project file, removed afterwards.
struct TBenchFolder {
  TBenchFolder() {
    std::string base = std::filesystem::temp_directory_path().string() + "/qvs-bench-XXXXXX";
    if (!::mkdtemp(base.data())) std::abort();
    Path = base + "/";
  }
  ~TBenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
  std::string Path;
};

void FillProject(TQVSContext& ctx, const std::string& folder, int files) {
  ApplyNewProjectValues(ctx.Options, ctx.DataFileList, 45366.5);
  for (int i = 0; i < files; ++i) {
    auto e = std::make_unique<TQVSDataSet>();
    e->ID = "Shelf " + std::to_string(i % 40) + ", position " + std::to_string(i);
    e->Enabled = i % 7 != 0;
    ctx.DataFileList.AddEntry(folder + "data/run " + std::to_string(i / 100) + "/logger " + std::to_string(i) + ".kvx",
                              std::move(e));
  }
}

void BM_SaveProject(benchmark::State& state) {
  TBenchFolder folder;
  TSilentConsole console;
  TQVSContext ctx(console);
  TProjectState project;
  FillProject(ctx, folder.Path, static_cast<int>(state.range(0)));
  const std::string path = folder.Path + "Bench.qvs";
  for (auto _ : state)
    if (!SaveProject(ctx, project, path)) state.SkipWithError(project.LastError.c_str());
}

void BM_LoadProject(benchmark::State& state) {
  TBenchFolder folder;
  TSilentConsole console;
  TQVSContext ctx(console);
  TProjectState project;
  FillProject(ctx, folder.Path, static_cast<int>(state.range(0)));
  const std::string path = folder.Path + "Bench.qvs";
  if (!SaveProject(ctx, project, path)) state.SkipWithError(project.LastError.c_str());
  for (auto _ : state)
    if (!LoadProject(ctx, project, path)) state.SkipWithError(project.LastError.c_str());
  state.counters["files"] = static_cast<double>(ctx.DataFileList.Count());
}

BENCHMARK(BM_SaveProject)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProject)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qvs

BENCHMARK_MAIN();

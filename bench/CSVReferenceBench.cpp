// The CSV reference reader on a 100 MB file of 20 channels (written once by the reference simulator
// into a temporary folder): bytes per second through the whole reader, decoding included.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/OperatorConsole.h"
#include "core/QVSContext.h"
#include "reference/CSVDatafile.h"
#include "reference/ReferenceSimulator.h"

namespace qvs {
namespace {

class TSilentConsole : public TOperatorConsole {
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

// The file lives as long as the process and is removed at exit.
class TBenchFile {
 public:
  TBenchFile(const TCSVInstrument& instrument, const std::string& unit) {
    std::string folder = std::filesystem::temp_directory_path().string() + "/qvs-bench-XXXXXX";
    if (!mkdtemp(folder.data())) throw std::runtime_error("cannot create a temporary folder");
    Folder = folder;
    Path = folder + "/reference.csv";
    std::vector<TSimulatedChannel> channels;
    for (int c = 1; c <= 20; ++c)
      channels.push_back({"Channel " + std::to_string(c) + unit, SineReading(20 + c, 0.75, 0.3, c * 0.01)});
    // About 159 bytes a row (a time and 20 readings): 100 MB of rows at one a second.
    const int rows = 100'000'000 / 159;
    WriteSimulatedCSVFile(Path, instrument, channels, 45424.0, 1.0 / 86400, rows);
    Size = std::filesystem::file_size(Path);
  }
  ~TBenchFile() {
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
  }
  std::string Folder, Path;
  std::uintmax_t Size = 0;
};

void ReadFile(benchmark::State& state, const TBenchFile& file, int column, const std::string& target) {
  for (auto _ : state) {
    TSilentConsole console;
    TQVSContext ctx(console);
    TSampleRecord series;
    std::string id;
    int matched = 0;
    if (!ReadDataFromCSVReferenceFile(ctx, file.Path, column, target, series, id, matched)) {
      state.SkipWithError("the reader failed");
      return;
    }
    benchmark::DoNotOptimize(series.Values.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.Size));
  state.counters["file_MB"] = static_cast<double>(file.Size) / 1e6;
}

void BM_CSVReference100MB(benchmark::State& state) {
  static const TBenchFile file(TCSVInstrument{}, "");
  ReadFile(state, file, -1, "Channel 17");
}

// Degree signs in the header as single Windows-1252 bytes: the whole file goes through decoding.
void BM_CSVReference100MBWindows1252(benchmark::State& state) {
  TCSVInstrument instrument;
  instrument.Encoding = TSimulatedEncoding::Windows1252;
  static const TBenchFile file(instrument,
                               " \xC2\xB0"
                               "C");
  ReadFile(state, file, 17, "");
}

// UTF-16LE with tabs (twice the bytes on disk for the same rows).
void BM_CSVReferenceUTF16Tabs(benchmark::State& state) {
  static const TBenchFile file(SpreadsheetCSV(), "");
  ReadFile(state, file, 17, "");
}

BENCHMARK(BM_CSVReference100MB)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_CSVReference100MBWindows1252)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_CSVReferenceUTF16Tabs)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
}  // namespace qvs

BENCHMARK_MAIN();

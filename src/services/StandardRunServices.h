#pragma once
// The run services of the program: the loading front reads logger data files, the reference
// sources obtain references, and the report writer the front end chooses writes the report.

#include <functional>

#include "core/QVSContext.h"
#include "reference/ReferenceSources.h"

namespace qvs {

class TStandardRunServices : public TRunServices {
 public:
  bool IsDataFile(const std::string& path) override;
  bool LoadDataFile(const std::string& path, TLoggerData& data) override;
  void ReadTemperatureReference(TQVSContext& ctx) override;
  void ReadHumidityReference(TQVSContext& ctx) override;
  void WriteSummaryReport(TQVSContext& ctx) override;

  // The readings of the live reference instrument, when the program keeps a log of them.
  TReferenceSampleLog* ReferenceLog = nullptr;
  // Writes the report of a finished run; without one the run produces no report.
  std::function<void(TQVSContext&)> ReportWriter;
};

}  // namespace qvs

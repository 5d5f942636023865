#include "services/StandardRunServices.h"

#include "datafiles/LoadingFront.h"

namespace qvs {

bool TStandardRunServices::IsDataFile(const std::string& path) { return qvs::IsDataFile(path); }

bool TStandardRunServices::LoadDataFile(const std::string& path, TLoggerData& data) {
  return LoadDataFileIntoLoggerData(path, data);
}

void TStandardRunServices::ReadTemperatureReference(TQVSContext& ctx) { qvs::ReadTemperatureReference(ctx, ReferenceLog); }

void TStandardRunServices::ReadHumidityReference(TQVSContext& ctx) { qvs::ReadHumidityReference(ctx); }

void TStandardRunServices::WriteSummaryReport(TQVSContext& ctx) {
  if (ReportWriter) ReportWriter(ctx);
}

}  // namespace qvs

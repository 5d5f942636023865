// Fuzzes the CSV reference reader and the CSV file class with arbitrary file contents. The first
// byte chooses the column, the date order, the separators and the locale's decimal separator.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ReferenceFuzzSupport.h"
#include "core/QVSContext.h"
#include "reference/CSVDatafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvs;
  const std::uint8_t choice = size > 0 ? data[0] : 0;
  fuzz::TSilentConsole console;
  TQVSContext ctx(console);
  static const char* dateFormats[] = {"dd/mm/yy", "mm/dd/yyyy", "yyyy-mm-dd", ""};
  ctx.Settings.CSVDateFormat = dateFormats[choice & 3];
  ctx.Settings.CSVDateSeparator = (choice & 4) ? "-" : "/";
  ctx.Settings.CSVTimeSeparator = (choice & 8) ? "." : ":";
  if (choice & 16) ctx.FormatSettings.DecimalSeparator = ",";
  const int column = (choice & 32) ? -1 : 1 + (choice >> 6);

  fuzz::WriteInput(data, size);
  TSampleRecord series;
  std::string id;
  int matched = 0;
  const bool ok = ReadDataFromCSVReferenceFile(ctx, fuzz::InputPath(), column, "Probe 2", series, id, matched);
  // A reading that succeeds gives a usable series: a positive period and finite samples.
  if (ok) {
    if (!(series.SamplePeriod > 0) || !std::isfinite(series.SamplePeriod) || !std::isfinite(series.StartTime))
      std::abort();
    for (float v : series.Values)
      if (!std::isfinite(v)) std::abort();
  }
  if (ok == ctx.Halted) std::abort();  // success never halts; every failure does

  // The file class on its own, including random access.
  TCSVDatafile file;
  if (file.OpenBytes(std::string(reinterpret_cast<const char*>(data), size), TFormatSettings::Invariant())) {
    const int n = file.LineCount();
    TCSVDataRecord record;
    int read = 0;
    for (bool more = file.FirstRecord(record); more; more = file.NextRecord(record)) ++read;
    if (read != n) std::abort();
    file.Seek(n / 2);
    if (n > 0 && file.LineText(n - 1) != file.LineText(n - 1)) std::abort();
    (void)file.NextLine();
    (void)file.Field(choice % 7);
    file.Seek(-1);
    (void)file.LineText(n / 3);
  }
  return 0;
}

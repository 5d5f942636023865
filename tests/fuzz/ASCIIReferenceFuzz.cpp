// Fuzzes the ASCII reference reader with arbitrary file contents. The first byte chooses the
// options: malformed lines ignored or not, an offset, the correction, the time separator.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ReferenceFuzzSupport.h"
#include "core/QVSContext.h"
#include "reference/ASCIIReferenceFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvs;
  const std::uint8_t choice = size > 0 ? data[0] : 0;
  fuzz::TSilentConsole console;
  TQVSContext ctx(console);
  if (choice & 8) ctx.FormatSettings.TimeSeparator = ".";
  TASCIIReferenceOptions options;
  options.IgnoreMalformedLines = choice & 1;
  options.TimeOffset = (choice & 2) ? -1440 : (choice & 4) ? 90 : 0;
  options.ApplyCorrection = choice & 16;
  options.Correction = {0.5f, 0.01f, 1e-3f, (choice & 32) ? 1e30f : 1e-5f};

  fuzz::WriteInput(data, size);
  TSampleRecord series;
  const bool ok = ReadDataFromASCIIReferenceFile(ctx, fuzz::InputPath(), series, 45424.0, options);
  if (ok) {
    if (!(series.SamplePeriod > 0) || !std::isfinite(series.SamplePeriod) || !std::isfinite(series.StartTime))
      std::abort();
    for (float v : series.Values)
      if (!std::isfinite(v)) std::abort();
  }
  if (ok == ctx.Halted) std::abort();
  return 0;
}

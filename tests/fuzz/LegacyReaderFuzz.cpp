// Fuzzes the legacy reader over arbitrary bytes: every input must end in a result code and a message,
// never a crash, a hang or an unbounded allocation. Seed corpus: tests/fuzz/make-legacy-corpus.sh.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "datafiles/LegacyReader.h"
#include "datafiles/LoadingFront.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvs;
  // The reader reads at most this much of a file; the rest only counts through the file size.
  const std::size_t readable = size < legacy::kMaxUsefulFileSize + 1 ? size : legacy::kMaxUsefulFileSize + 1;
  TKV6LoggerDataSet ds;
  TKV6ResultCode result = rcUnknownError;
  std::string message;
  LoadLegacyKVDataFromBytes(std::span<const std::uint8_t>(data, readable), size, "/fuzz/input.kv", {}, ds, result,
                            message, 45000.0);
  if (result == rcOK) {
    if (ds.SourceKind != 4 || !message.empty()) __builtin_trap();
    // The copy into the logger data must not fail in any other way than a range error.
    TLoggerData data;
    try {
      CopyDataSetIntoLoggerData(ds, data, 45000.0);
    } catch (const ERangeError&) {
    }
  } else if (message.empty() || ds.SourceKind != 0) {
    __builtin_trap();
  }
  return 0;
}

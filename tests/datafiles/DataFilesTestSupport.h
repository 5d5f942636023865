#pragma once
// Helpers of the datafiles tests: a fixed time zone, reading simulated files, byte patches.

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "datafiles/LegacyReader.h"
#include "datafiles/LoggerDataSet.h"
#include "datafiles/LoggerSimulator.h"

namespace qvs::test {

// Sets TZ for the scope and restores UTC after it.
class TScopedTimeZone {
 public:
  explicit TScopedTimeZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TScopedTimeZone() {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

// The universal time the tests read files at.
inline TDateTime TestNow() { return EncodeDateTime(2024, 6, 1, 12, 0, 0); }

inline std::string AsString(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

struct TReadOutcome {
  TKV6LoggerDataSet DataSet;
  TKV6ResultCode Result = rcUnknownError;
  std::string Message;
};

// Writes the bytes as a file in the folder and reads it with the legacy reader.
inline TReadOutcome ReadBytes(const TTempFolder& folder, const std::vector<std::uint8_t>& bytes,
                              const std::string& name = "logger.kv", TDateTime now = TestNow()) {
  TReadOutcome o;
  const std::string path = folder.Write(name, AsString(bytes));
  LoadLegacyKVDataFileIntoLoggerDataSet(path, o.DataSet, o.Result, o.Message, now);
  return o;
}

inline TReadOutcome ReadSimulated(const TTempFolder& folder, const sim::TLoggerDescription& d,
                                  TDateTime now = TestNow()) {
  return ReadBytes(folder, sim::BuildLegacyFile(d).Bytes, "logger.kv", now);
}

inline void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace qvs::test

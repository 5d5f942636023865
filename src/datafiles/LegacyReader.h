#pragma once
// The reader of legacy binary logger data files (.kv, format versions 5 to 8): validates the header,
// the counts and the CRC-32, decodes the memory images and fills a logger data set. It never throws:
// every failure is a result code with a message.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/DateTime.h"
#include "datafiles/LoggerDataSet.h"

namespace qvs {

// Layout of a legacy file.
namespace legacy {
inline constexpr char kFileSpecifier[6] = {'V', 'E', 'L', 'Q', 'O', 'R'};
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kFieldCount = 10;
inline constexpr std::size_t kFieldNameSize = 17, kFieldTextSize = 65;  // a length byte and the characters
inline constexpr std::size_t kReservedSize = 4096;
inline constexpr std::size_t kVersion5TextSize = 64;
inline constexpr std::size_t kMaxMarkers = 100;
inline constexpr std::size_t kMaxSamples = 32768;  // per quantity
// The largest file whose every byte is meaningful (version 7 or 8 with full sample buffers).
inline constexpr std::size_t kMaxUsefulFileSize =
    kHeaderSize + 128 + 256 + kFieldCount * (kFieldNameSize + kFieldTextSize) + kReservedSize + 2 + 2 * kMaxMarkers +
    2 + 2 * kMaxSamples + 2 + 2 * kMaxSamples;
}  // namespace legacy

// Creation and last-write times of a file (universal time), when the file system has them.
struct TFileTimes {
  std::optional<TDateTime> CreatedUtc;
  std::optional<TDateTime> LastWrittenUtc;
};

// Reads a legacy file into the data set. On success the result is rcOK with an empty message and
// SourceKind is 4; on failure the data set holds only what the reader's first step set. "Now" is the
// universal time the logger's relative times and the PC's offset are taken at.
void LoadLegacyKVDataFileIntoLoggerDataSet(const std::string& fileName, TKV6LoggerDataSet& ds,
                                           TKV6ResultCode& result, std::string& message, TDateTime nowUtc);
void LoadLegacyKVDataFileIntoLoggerDataSet(const std::string& fileName, TKV6LoggerDataSet& ds,
                                           TKV6ResultCode& result, std::string& message);

// The same reading over bytes already in memory, for a file of the given full path and times. The
// bytes may stop at legacy::kMaxUsefulFileSize + 1; `fileSize` is then the size the file really has.
void LoadLegacyKVDataFromBytes(std::span<const std::uint8_t> bytes, std::uint64_t fileSize,
                               const std::string& fullPath, const TFileTimes& times, TKV6LoggerDataSet& ds,
                               TKV6ResultCode& result, std::string& message, TDateTime nowUtc);

}  // namespace qvs

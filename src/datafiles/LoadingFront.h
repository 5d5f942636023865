#pragma once
// The loading front: the only way the rest of the program reads a logger data file. It picks the
// reader by the file name, lets it fill a temporary data set and copies what the validation needs
// into the per-logger TLoggerData.

#include <span>
#include <stdexcept>
#include <string>

#include "core/DateTime.h"
#include "core/LoggerData.h"
#include "datafiles/LoggerDataSet.h"

namespace qvs {

// The encoding a file's first bytes show: legacy ("VELQOR"), XML ("<"), JSON ("{"), or unknown when
// nothing can be read or nothing matches.
TKV6EncodingFormat DetectDataFileEncoding(const std::string& fileName);
bool IsLegacyDataFile(const std::string& fileName);
// True for every encoding a reader exists or is planned for (legacy, XML, JSON).
bool IsDataFile(const std::string& fileName);

// A reader of one data file format: fills the data set and reports a result code with its message.
using TDataFileReader = void (*)(const std::string& fileName, TKV6LoggerDataSet& ds, TKV6ResultCode& result,
                                 std::string& message, TDateTime nowUtc);

// One data file format as the front knows it.
struct TDataFileFormat {
  const char* Name;
  const char* Extension;  // lower case with the dot; "" for the format of every other name
  TDataFileReader Read;
};
// The registered formats; the last one takes every name no other format claims.
std::span<const TDataFileFormat> DataFileFormats();
// The format the front reads a file name with: by its extension, compared without letter case.
const TDataFileFormat& DataFileFormatFor(const std::string& fileName);

// A value that does not fit its place in TLoggerData.
class ERangeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Copies a data set into the logger data. "Now" (universal) fixes the PC's offset from universal time.
// Throws ERangeError when a number does not fit its target.
void CopyDataSetIntoLoggerData(const TKV6LoggerDataSet& ds, TLoggerData& data, TDateTime nowUtc);

// A universal date-time in local time, with the zone's daylight-saving offset when daylight saving is
// in effect at that date under the zone's rules for its year (years outside 2004..2020 use the rules
// of 2004 or 2020), the standard offset otherwise.
TDateTime LocalAtDate(TDateTime utc);

// Loads the file into the logger data. True when the file may be used. False when the reader refused
// the file (ErrorCode the reader's result code, ErrorText its message, SecondErrorText the code's
// text, no samples), when a value does not fit (ErrorCode 61), or when a legacy file's CRC failed
// (ErrorText "CRC error", the logger data filled all the same).
bool LoadDataFileIntoLoggerData(const std::string& fileName, TLoggerData& data, TDateTime nowUtc);
bool LoadDataFileIntoLoggerData(const std::string& fileName, TLoggerData& data);

// "Error %d (%s - %s)" of a failed load's code and texts, or ErrorText when the code is 0.
std::string LoadErrorText(const TLoggerData& data);

}  // namespace qvs

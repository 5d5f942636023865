#pragma once
// The startup log: one file per program start, opened and closed for every line so that it is
// complete at any moment and may be read while the program runs.

#include <functional>
#include <string>

#include "core/DateTime.h"
#include "core/DebugLog.h"
#include "core/FormatSettings.h"

namespace qvs {

enum class TStartupLevel { Plain, Info, Alert, Error };

// The six-character mark of a level: "      ", "INFO  ", "ALERT ", "ERROR ".
const char* StartupLevelMark(TStartupLevel level);

// Records a failure that is not shown to the operator (location, message).
using TInternalErrorRecorder = std::function<void(const std::string&, const std::string&)>;

class TStartupLog {
 public:
  explicit TStartupLog(TClock clock = NowLocal, TInternalErrorRecorder recordError = {},
                       TFormatSettings formatSettings = TFormatSettings::Invariant());

  // Creates the folder (with its parents) and a new empty log file named
  // "QVS Startup Log yyyy-mm-dd hh-nn-ss.txt", then writes "Startup log file %s created".
  bool CreateStartupLog(const std::string& folder);
  // Appends "yyyy-mm-dd hh:nn:ss.zzz  " + mark + text; recreates the file when it has disappeared.
  // Lines before the file exists are lost. Never throws.
  void LogStartup(const std::string& text, TStartupLevel level = TStartupLevel::Plain);
  // Shows the log in a display: loads the whole file into it, later lines are added as they come.
  void CreateStartupLogDisplay(TDebugLogFrame* display);

  const std::string& FileName() const { return Path; }

 private:
  bool CreateFile(const std::string& folder);
  void Record(const std::string& location, const std::string& message);

  TClock Clock;
  TInternalErrorRecorder RecordError;
  TFormatSettings Settings;
  std::string Folder;
  std::string Path;
  TDebugLogFrame* Display = nullptr;
};

}  // namespace qvs

#pragma once
// The project's data file entries: one TQVSDataSet per file, in a list sorted by path.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "core/LoggerData.h"
#include "core/SampleRecord.h"

namespace qvs {

// States of the file check that each refresh of the file list advances one step.
enum TFileStatus : std::uint8_t {
  fsNew = 0,           // not yet looked at
  fsExists = 1,        // the file exists
  fsSized = 2,         // size and modification time read
  fsRecognised = 3,    // recognised as a logger data file
  fsLoaded = 4,        // loaded into LoggerData
  fsNotFound = 5,
  fsUnrecognised = 6,
  fsUnreadable = 7,
};

// One data file entry of the project.
class TQVSDataSet {
 public:
  std::uint8_t FileStatus = fsNew;
  TDateTime FileDate = 0;
  std::int64_t FileSize = 0;
  std::string ID;
  bool Enabled = true;
  TLoggerData LoggerData;
  TSampleRecord TemperatureSeries;
  std::int32_t TemperatureFirst = 0, TemperatureLast = 0;  // 1-based window range
  TSampleRecord HumiditySeries;
  std::int32_t HumidityFirst = 0, HumidityLast = 0;

  bool HasTemperature() const { return TemperatureSeries.Count() > 0; }
  bool HasHumidity() const { return HumiditySeries.Count() > 0; }
  bool UsesTemperature() const { return Enabled && HasTemperature(); }
  bool UsesHumidity() const { return Enabled && HasHumidity(); }
};

// The data file list: one line per file, the line's text its full path. Sorted ignoring letter
// case; on this platform two paths that differ only in case are different files and both stay.
class TDataFileList {
 public:
  int Count() const { return static_cast<int>(Lines.size()); }
  const std::string& Path(int i) const { return Lines[static_cast<std::size_t>(i)].first; }
  TQVSDataSet& Entry(int i) { return *Lines[static_cast<std::size_t>(i)].second; }
  const TQVSDataSet& Entry(int i) const { return *Lines[static_cast<std::size_t>(i)].second; }
  // Index of an exact path, or -1.
  int IndexOf(std::string_view path) const;

  // Adds the entry under the path unless the path is already listed (then the entry is dropped).
  // Returns true when added.
  bool AddEntry(const std::string& path, std::unique_ptr<TQVSDataSet> entry);
  void DeleteEntry(int i);
  void ClearEntries();
  void Sort();

  int CountEnabled() const;
  int CountTemperature() const;
  int CountHumidity() const;

  // The project file's data file list: per line a comma text of path (relative to the project
  // file's folder), ID and "1"/"0", joined as comma text.
  std::string ToProjectText(const std::string& projectFilePath) const;
  void FromProjectText(std::string_view text, const std::string& projectFilePath);

 private:
  std::vector<std::pair<std::string, std::unique_ptr<TQVSDataSet>>> Lines;
};

// A path counts as absolute when it starts with "/" or is a drive path ("C:\..."); the latter is
// kept as written so projects from the Windows program keep their meaning.
bool IsAbsoluteProjectPath(std::string_view path);
// A lexically normal full path: relative paths are joined to the folder, "\" read as "/",
// "." and ".." resolved. Drive paths are returned unchanged apart from trailing blanks.
std::string ExpandProjectPath(std::string_view folder, std::string_view path);
// The path relative to the folder ("/"-separated). A drive path stays absolute, and so does a path
// whose relative form would not read back as itself (a name holding "\", a first folder "C:").
std::string RelativeProjectPath(std::string_view folder, std::string_view path);
// The absolute, lexically normal form of a path against the current folder.
std::string ExpandFileName(std::string_view path);

}  // namespace qvs

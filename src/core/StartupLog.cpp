#include "core/StartupLog.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Format.h"
#include "core/FormatDateTime.h"

namespace qvs {

const char* StartupLevelMark(TStartupLevel level) {
  switch (level) {
    case TStartupLevel::Info: return "INFO  ";
    case TStartupLevel::Alert: return "ALERT ";
    case TStartupLevel::Error: return "ERROR ";
    case TStartupLevel::Plain: break;
  }
  return "      ";
}

TStartupLog::TStartupLog(TClock clock, TInternalErrorRecorder recordError, TFormatSettings formatSettings)
    : Clock(std::move(clock)), RecordError(std::move(recordError)), Settings(std::move(formatSettings)) {}

void TStartupLog::Record(const std::string& location, const std::string& message) {
  try {
    if (RecordError) RecordError(location, message);
  } catch (...) {
  }
}

bool TStartupLog::CreateFile(const std::string& folder) {
  std::string name;
  try {
    Folder = folder;
    if (!Folder.empty() && Folder.back() != '/') Folder += '/';
    std::error_code ec;
    std::filesystem::create_directories(Folder, ec);
    name = Folder + "QVS Startup Log " + FormatDateTime("yyyy-mm-dd hh-nn-ss", Clock(), Settings) + ".txt";
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error(std::strerror(errno));
    Path = name;
    return true;
  } catch (const std::exception& e) {
    Record("CreateStartupLog (" + name + ")", e.what());
    return false;
  }
}

bool TStartupLog::CreateStartupLog(const std::string& folder) {
  if (!CreateFile(folder)) return false;
  LogStartup(Format("Startup log file %s created", {Path}));
  return true;
}

void TStartupLog::LogStartup(const std::string& text, TStartupLevel level) {
  try {
    if (Path.empty()) return;
    const std::string marked = std::string(StartupLevelMark(level)) + text;
    if (!std::filesystem::exists(Path)) {
      // The file has disappeared: start a new one, which announces itself first.
      if (!CreateFile(Folder)) return;
      LogStartup(Format("Startup log file %s created", {Path}));
    }
    std::ofstream out(Path, std::ios::binary | std::ios::app);
    if (!out) {
      Record("OpenStartupLog", std::strerror(errno));
      return;
    }
    out << FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz  ", Clock(), Settings) << marked << "\n";
    out.close();
    if (out.fail()) Record("CloseStartupLog", std::strerror(errno));
    if (Display) Display->AddLine(marked);
  } catch (const std::exception& e) {
    Record("LogStartup", e.what());
  } catch (...) {
    Record("LogStartup", "unknown failure");
  }
}

void TStartupLog::CreateStartupLogDisplay(TDebugLogFrame* display) {
  try {
    Display = display;
    if (!Display || Path.empty()) return;
    std::string error;
    if (!Display->LoadFromFile(Path, error)) Record("CreateStartupLogDisplay", error);
  } catch (const std::exception& e) {
    Record("CreateStartupLogDisplay", e.what());
  }
}

}  // namespace qvs

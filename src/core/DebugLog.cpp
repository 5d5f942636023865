#include "core/DebugLog.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Format.h"
#include "core/FormatDateTime.h"

namespace qvs {

TDebugLogFrame::TDebugLogFrame(std::string title, std::string timeStampFormat, int maximumLines, TClock clock,
                               TFormatSettings formatSettings, bool allowWordWrap)
    : FrameTitle(std::move(title)),
      TimeStampFormat(std::move(timeStampFormat)),
      Maximum(maximumLines < 1 ? 1 : maximumLines),
      Clock(std::move(clock)),
      Settings(std::move(formatSettings)),
      AllowWordWrap(allowWordWrap) {}

TDebugLogFrame TDebugLogFrame::Output(TClock clock) { return TDebugLogFrame("Output", "", 10000, std::move(clock)); }

TDebugLogFrame TDebugLogFrame::MemoryErrorReport(TClock clock) {
  return TDebugLogFrame("Memory Error Report", "", 10000, std::move(clock));
}

TDebugLogFrame TDebugLogFrame::StartupLog(TClock clock) {
  return TDebugLogFrame("Startup Log", "yyyy-mm-dd hh:nn:ss.zzz  ", 100000, std::move(clock));
}

std::string TDebugLogFrame::TimeStamp() const {
  // Each "#" outside quoted text becomes the line counter as quoted text, so the picture copies it.
  std::string picture;
  char quote = 0;
  for (char c : TimeStampFormat) {
    if (quote) {
      if (c == quote) quote = 0;
      picture += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      picture += c;
    } else if (c == '#') {
      picture += '"' + Format("%6u", {static_cast<unsigned long long>(Total)}) + '"';
    } else {
      picture += c;
    }
  }
  return FormatDateTime(picture, Clock ? Clock() : NowLocal(), Settings);
}

void TDebugLogFrame::AddLine(const std::string& text) {
  if (!Enabled) return;
  try {
    std::string line = TimeStampFormat.empty() ? text : TimeStamp() + text;
    Text.push_back(std::move(line));
    ++Total;
    // A pane that reaches its maximum keeps the newest nine tenths.
    if (static_cast<int>(Text.size()) >= Maximum) {
      const std::size_t keep = static_cast<std::size_t>(Maximum - Maximum / 10);
      Text.erase(Text.begin(), Text.end() - static_cast<std::ptrdiff_t>(keep));
    }
  } catch (...) {
    // Logging never stops the program.
  }
}

void TDebugLogFrame::Clear() {
  Text.clear();
  Total = 0;
}

bool TDebugLogFrame::LoadFromFile(const std::string& path, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = Format("Error loading memo from file: %s\r%s", {std::generic_category().message(EISDIR), path});
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::deque<std::string> lines;
  if (in) {
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(std::move(line));
    }
  }
  if (!in.is_open() || in.bad()) {
    error = Format("Error loading memo from file: %s\r%s", {std::generic_category().message(errno), path});
    return false;
  }
  Text = std::move(lines);
  Total = Text.size();
  return true;
}

bool TDebugLogFrame::SaveToFile(const std::string& path, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : Text) {
    if (!out) break;
    out << line << "\n";
  }
  out.flush();
  if (!out) {
    error = Format("Error saving memo to file: %s\r%s", {std::generic_category().message(errno), path});
    return false;
  }
  LastFileSaved = path;
  return true;
}

std::string TDebugLogFrame::LineCountText() const {
  if (Total == 0) return "no lines";
  if (Total == 1) return "1 line";
  return FormatFloat("###,###,##0", static_cast<double>(Total), Settings) + " lines";
}

std::string TDebugLogFrame::SuggestedFileName(const std::string& documentsFolder) const {
  std::string folder = documentsFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + FrameTitle + " " + FormatDateTime("d mmm yyyy hh-nn-sss", Clock ? Clock() : NowLocal(), Settings) +
         ".log";
}

std::string TDebugLogFrame::FontHint() const {
  return Monospaced ? "Switches between proportional and monospaced fonts\r(current font is monospaced)"
                    : "Switches between proportional and monospaced fonts\r(current font is proportional)";
}

std::string TDebugLogFrame::ScrollHint() const {
  return AutoScroll ? "Enables and disables scrolling of the log display\r(scrolling is currently enabled)"
                    : "Enables and disables scrolling of the log display\r(scrolling is currently disabled)";
}

}  // namespace qvs

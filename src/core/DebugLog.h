#pragma once
// The log pane model shared by the output pane, the startup log display and the memory report
// display: an enable switch, optional time stamps, trimming, a line counter, load and save.
// The desktop program draws it; the core fills it.

#include <cstdint>
#include <deque>
#include <string>

#include "core/DateTime.h"
#include "core/FormatSettings.h"

namespace qvs {

class TDebugLogFrame {
 public:
  // timeStampFormat may be empty; "#" outside quotes in it stands for the line counter.
  TDebugLogFrame(std::string title, std::string timeStampFormat, int maximumLines, TClock clock = NowLocal,
                 TFormatSettings formatSettings = TFormatSettings::Invariant(), bool allowWordWrap = true);

  // The three panes of the main window.
  static TDebugLogFrame Output(TClock clock = NowLocal);
  static TDebugLogFrame MemoryErrorReport(TClock clock = NowLocal);
  static TDebugLogFrame StartupLog(TClock clock = NowLocal);

  // Adds a line (with its time stamp) unless the pane is disabled; trims the oldest lines when the
  // pane reaches its maximum. Never throws.
  void AddLine(const std::string& text);
  void Clear();
  // Replaces the lines with the file's lines. On failure the lines stay and error holds the box
  // text "Error loading memo from file: %s\r%s".
  bool LoadFromFile(const std::string& path, std::string& error);
  // Writes every line. On failure error holds "Error saving memo to file: %s\r%s".
  bool SaveToFile(const std::string& path, std::string& error);

  // "no lines", "1 line", "12,345 lines".
  std::string LineCountText() const;
  // The file "Save to file..." proposes: folder + title + " " + "d mmm yyyy hh-nn-sss" + ".log".
  std::string SuggestedFileName(const std::string& documentsFolder) const;
  static constexpr const char* kSaveDialogTitle = "Save log contents as...";
  static constexpr const char* kSaveDialogFilter = "Log files (*.log)|*.log";
  static constexpr const char* kSaveDialogExtension = "log";

  // The font switch and the scroll button, with their hints.
  void ToggleFont() { Monospaced = !Monospaced; }
  std::string FontName() const { return Monospaced ? "Consolas" : "Tahoma"; }
  std::string FontHint() const;
  void ToggleScroll() { AutoScroll = !AutoScroll; }
  std::string ScrollHint() const;
  // "Wrap" is offered only when the frame allows word wrap.
  bool CanWrap() const { return AllowWordWrap; }
  void ToggleWrap() {
    if (AllowWordWrap) WordWrap = !WordWrap;
  }

  const std::string& Title() const { return FrameTitle; }
  const std::deque<std::string>& Lines() const { return Text; }
  std::uint64_t TotalLines() const { return Total; }
  int MaximumLines() const { return Maximum; }

  bool Enabled = true;  // the "Enable" check box
  bool AutoScroll = false;
  bool WordWrap = false;
  bool Monospaced = true;
  std::string LastFileSaved;

 private:
  std::string TimeStamp() const;

  std::string FrameTitle;
  std::string TimeStampFormat;
  int Maximum;
  TClock Clock;
  TFormatSettings Settings;
  bool AllowWordWrap;
  std::deque<std::string> Text;
  std::uint64_t Total = 0;
};

}  // namespace qvs

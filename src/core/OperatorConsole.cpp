#include "core/OperatorConsole.h"

#include <cmath>

#include "core/Format.h"

namespace qvs {

void TOperatorConsole::WriteDebug(std::string_view tag, std::string_view text) {
  if (!LogDebugEvents) return;
  try {
    AddOutputLine(Format("%-10s: %s", {tag, text}));
  } catch (...) {
    // Debug lines never stop the program.
  }
}

void TOperatorConsole::SetStatus(const std::string& text) {
  SetStatusPanel(1, "  " + text);
  ProcessMessages();
}

void TOperatorConsole::SetStatusProgress(const std::string& text, double total, double done) {
  // A percentage that cannot be formed (no total) leaves the status as it was.
  const double percent = done * 100.0 / total;
  if (!std::isfinite(percent)) return;
  std::string line;
  try {
    line = Format("%s (%1.0f%%)", {text, percent});
  } catch (...) {
    return;
  }
  SetStatus(line);
}

void TOperatorConsole::SetStatusDetail(const std::string& text) {
  SetStatusPanel(2, "  " + text);
  ProcessMessages();
}

void TOperatorConsole::SetStatusDetailError(const std::string& text) {
  SetStatusPanel(2, "  Error: " + text);
  ProcessMessages();
}

}  // namespace qvs

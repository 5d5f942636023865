#include "core/StreamConsole.h"

#include <ostream>

namespace qvs {

TStreamConsole::TStreamConsole(std::ostream& out, std::ostream& err) : Out(out), Err(err) {}

std::string TStreamConsole::TerminalText(const std::string& text) {
  std::string s;
  s.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      s += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      s += text[i];
    }
  }
  return s;
}

void TStreamConsole::AddOutputLine(const std::string& line) {
  if (!Quiet) Out << TerminalText(line) << '\n' << std::flush;
}

void TStreamConsole::SetStatusPanel(int panel, const std::string& text) {
  if (Quiet || !ShowStatus || text == LastStatus) return;
  LastStatus = text;
  std::string s = text;
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  Err << (panel == 2 ? "[reference] " : "[status] ") << TerminalText(s) << '\n' << std::flush;
}

TAnswer TStreamConsole::ShowMessageBox(TMessageKind kind, const std::string& text, int helpContext) {
  const char* label = kind == TMessageKind::Error          ? "error"
                      : kind == TMessageKind::Warning      ? "warning"
                      : kind == TMessageKind::Confirmation ? "question"
                                                           : "information";
  const bool show = !Quiet || kind == TMessageKind::Error;
  if (show) {
    Err << "qvs: " << label << ": " << TerminalText(text);
    if (helpContext > 0) Err << " [help " << helpContext << "]";
    Err << '\n';
  }
  if (kind != TMessageKind::Confirmation) return mrNone;
  if (show) Err << "qvs: answered " << (Answer == mrYes ? "Yes" : Answer == mrNo ? "No" : "Cancel") << '\n';
  Err << std::flush;
  return Answer;
}

std::optional<std::string> TStreamConsole::ChooseFileToSave(const TFileDialogRequest&) {
  if (FileToSave.empty()) return std::nullopt;
  return FileToSave;
}

std::optional<std::string> TStreamConsole::ChooseFileToOpen(const TFileDialogRequest&) {
  if (FileToOpen.empty()) return std::nullopt;
  return FileToOpen;
}

}  // namespace qvs

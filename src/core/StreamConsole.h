#pragma once
// The operator console of the console front end: output lines go to standard output, status
// texts and message boxes to standard error, questions take a preset answer.

#include <iosfwd>
#include <string>

#include "core/OperatorConsole.h"

namespace qvs {

class TStreamConsole : public TOperatorConsole {
 public:
  TStreamConsole(std::ostream& out, std::ostream& err);

  void AddOutputLine(const std::string& line) override;
  void ClearOutput() override {}
  void SetStatusPanel(int panel, const std::string& text) override;
  TAnswer ShowMessageBox(TMessageKind kind, const std::string& text, int helpContext) override;
  void ProcessMessages() override {}
  void ShowTab(TTabSheet) override {}
  std::optional<std::string> ChooseFileToSave(const TFileDialogRequest& request) override;
  std::optional<std::string> ChooseFileToOpen(const TFileDialogRequest& request) override;

  bool Quiet = false;          // only errors reach standard error; output lines are dropped
  bool ShowStatus = false;     // status texts as lines on standard error
  TAnswer Answer = mrNo;       // the answer to every question
  std::string FileToSave;      // the answer to a save dialog; empty cancels
  std::string FileToOpen;      // the answer to an open dialog; empty cancels

  // Messages use "\r" between lines as the window system does; a terminal wants "\n".
  static std::string TerminalText(const std::string& text);

 private:
  std::ostream& Out;
  std::ostream& Err;
  std::string LastStatus;
};

}  // namespace qvs

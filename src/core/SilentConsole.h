#pragma once
// An operator console that shows nothing and answers every question "None": for work that needs a
// context but no operator (writing the demo, benchmarks).

#include "core/OperatorConsole.h"

namespace qvs {

class TSilentConsole : public TOperatorConsole {
 public:
  void AddOutputLine(const std::string&) override {}
  void ClearOutput() override {}
  void SetStatusPanel(int, const std::string&) override {}
  TAnswer ShowMessageBox(TMessageKind, const std::string&, int) override { return mrNone; }
  void ProcessMessages() override {}
  void ShowTab(TTabSheet) override {}
  std::optional<std::string> ChooseFileToSave(const TFileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseFileToOpen(const TFileDialogRequest&) override { return {}; }
};

}  // namespace qvs

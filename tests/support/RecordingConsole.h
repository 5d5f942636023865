#pragma once
// An operator console for tests: records every line, status text, box and tab, and answers
// questions and file dialogs from scripted queues.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/OperatorConsole.h"

namespace qvs::test {

struct TRecordedBox {
  TMessageKind Kind;
  std::string Text;
  int HelpContext;
};

class TRecordingConsole : public TOperatorConsole {
 public:
  void AddOutputLine(const std::string& line) override { Output.push_back(line); }
  void ClearOutput() override {
    Output.clear();
    ++ClearCount;
  }
  void SetStatusPanel(int panel, const std::string& text) override {
    (panel == 2 ? StatusDetailHistory : StatusHistory).push_back(text);
  }
  TAnswer ShowMessageBox(TMessageKind kind, const std::string& text, int helpContext) override {
    Boxes.push_back({kind, text, helpContext});
    if (kind != TMessageKind::Confirmation) return mrNone;
    if (Answers.empty()) return mrCancel;
    const TAnswer a = Answers.front();
    Answers.pop_front();
    return a;
  }
  void ProcessMessages() override {
    ++ProcessMessagesCount;
    if (OnProcessMessages) OnProcessMessages();
  }
  void ShowTab(TTabSheet tab) override { Tabs.push_back(tab); }
  void RefreshActions() override { ++RefreshCount; }
  std::optional<std::string> ChooseFileToSave(const TFileDialogRequest& r) override {
    Dialogs.push_back(r);
    return NextFile();
  }
  std::optional<std::string> ChooseFileToOpen(const TFileDialogRequest& r) override {
    Dialogs.push_back(r);
    return NextFile();
  }

  // The status panel's last text without its leading blanks, or "" when none was set.
  std::string Status() const {
    if (StatusHistory.empty()) return {};
    const std::string& s = StatusHistory.back();
    return s.rfind("  ", 0) == 0 ? s.substr(2) : s;
  }
  bool HasOutput(const std::string& line) const {
    for (const auto& l : Output)
      if (l == line) return true;
    return false;
  }

  std::vector<std::string> Output;
  std::vector<std::string> StatusHistory, StatusDetailHistory;
  std::vector<TRecordedBox> Boxes;
  std::vector<TTabSheet> Tabs;
  std::vector<TFileDialogRequest> Dialogs;
  std::deque<TAnswer> Answers;                      // answers to confirmations, in order
  std::deque<std::optional<std::string>> Files;      // answers to file dialogs; nullopt cancels
  std::function<void()> OnProcessMessages;           // e.g. press Halt while a run works
  int ClearCount = 0, ProcessMessagesCount = 0, RefreshCount = 0;

 private:
  std::optional<std::string> NextFile() {
    if (Files.empty()) return std::nullopt;
    auto f = Files.front();
    Files.pop_front();
    return f;
  }
};

}  // namespace qvs::test

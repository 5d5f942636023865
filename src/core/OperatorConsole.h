#pragma once
// The only way the processing run, the readers and the reports talk to the operator.
// The desktop main window, the console front end and the tests' recording console implement it.

#include <optional>
#include <string>
#include <string_view>

namespace qvs {

// Answers of a question box, with the platform's numbers (callers store and compare them).
enum TAnswer : int { mrNone = 0, mrCancel = 2, mrYes = 6, mrNo = 7 };

enum class TMessageKind { Warning, Error, Confirmation, Information };

// Tabs of the main window that a run may bring to the front.
enum class TTabSheet { Datafiles, Reference, SummaryReport, Output, Logs, ProjectOptions, System };

// What a file dialog needs to know.
struct TFileDialogRequest {
  std::string Title;
  std::string Filter;        // "Description|*.ext|All files (*.*)|*.*"
  std::string DefaultExtension;
  std::string InitialFolder;
  std::string SuggestedPath;  // save dialogs
};

class TOperatorConsole {
 public:
  virtual ~TOperatorConsole() = default;

  // Primitives an implementation provides.
  virtual void AddOutputLine(const std::string& line) = 0;
  virtual void ClearOutput() = 0;
  // panel 1: status text, panel 2: reference status text (texts already carry their leading blanks).
  virtual void SetStatusPanel(int panel, const std::string& text) = 0;
  // A modal box; Confirmation offers Yes, No and Cancel, the others OK. Returns the answer.
  virtual TAnswer ShowMessageBox(TMessageKind kind, const std::string& text, int helpContext) = 0;
  // Lets the window system handle pending input (this is when a Halt request is seen).
  virtual void ProcessMessages() = 0;
  virtual void ShowTab(TTabSheet tab) = 0;
  // The run state changed: refresh the Run, Halt and Close actions and the control enables.
  virtual void RefreshActions() {}
  // A run is about to read the options: store what the operator has edited in the window (option
  // controls, the file list's ID cells) into the context.
  virtual void CommitEdits() {}
  // File dialogs: the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFileToSave(const TFileDialogRequest& request) = 0;
  virtual std::optional<std::string> ChooseFileToOpen(const TFileDialogRequest& request) = 0;

  // The output and status helpers, built on the primitives.
  void WriteOutput(const std::string& text) { AddOutputLine(text); }
  void WriteError(const std::string& text) { AddOutputLine("Error: " + text); }
  // Only when debug events are logged: "%-10s: %s" with the tag and the text.
  void WriteDebug(std::string_view tag, std::string_view text);
  void SetStatus(const std::string& text);
  // SetStatus with "%s (%1.0f%%)", the percentage done * 100 / total; a formatting failure is ignored.
  void SetStatusProgress(const std::string& text, double total, double done);
  void SetStatusDetail(const std::string& text);
  void SetStatusDetailError(const std::string& text);
  void ShowWarning(const std::string& text, int helpContext) { ShowMessageBox(TMessageKind::Warning, text, helpContext); }
  void ShowError(const std::string& text, int helpContext) { ShowMessageBox(TMessageKind::Error, text, helpContext); }
  TAnswer AskConfirmation(const std::string& text, int helpContext) {
    return ShowMessageBox(TMessageKind::Confirmation, text, helpContext);
  }

  // "Log Debug Events": debug lines reach the output pane only while this is set.
  bool LogDebugEvents = false;
};

}  // namespace qvs

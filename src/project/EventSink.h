#pragma once
// Where the project operations record events for the audit trail (the event log implements it).

#include <string>

namespace qvs {

class TOperatorConsole;

// Receives event log entries: a kind character ("I" information, "!" alert) and the entry's text.
class TEventSink {
 public:
  virtual ~TEventSink() = default;
  virtual void WriteEvent(char kind, const std::string& text) = 0;
};

// Until an event log is attached: writes each event's text to the operator output.
class TConsoleEventSink : public TEventSink {
 public:
  explicit TConsoleEventSink(TOperatorConsole& console) : Console(console) {}
  void WriteEvent(char kind, const std::string& text) override;

 private:
  TOperatorConsole& Console;
};

}  // namespace qvs

#include "core/QVSContext.h"

namespace qvs {

void TQVSContext::WriteNote(const std::string& text) {
  Console.AddOutputLine("Note: " + text);
  Results.ProcessingNotes.push_back(text);
}

void TQVSContext::RecordInternalError(const std::string& location, const std::string& message) noexcept {
  try {
    LastInternalError.Message = message;
    LastInternalError.Location = location;
    LastInternalError.Time = Now ? Now() : NowLocal();
    ++LastInternalError.Count;
  } catch (...) {
    // The record of a failure must not fail in turn.
  }
}

}  // namespace qvs

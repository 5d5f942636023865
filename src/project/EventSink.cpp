#include "project/EventSink.h"

#include "core/OperatorConsole.h"

namespace qvs {

void TConsoleEventSink::WriteEvent(char /*kind*/, const std::string& text) { Console.WriteOutput(text); }

}  // namespace qvs

#pragma once
// The processing run: turns the project's data file list into validation results and reports.

#include <string>

#include "core/OperatorConsole.h"
#include "core/QVSContext.h"

namespace qvs {

// The whole run, step by step; returns at once when a run is already active.
void DoProcessData(TQVSContext& ctx);

// Stop the run because of a data problem: status text, "Error: " line, error box with the help
// context, the "Output" tab brought to the front, Halted set.
void ReportProcessingError(TQVSContext& ctx, const std::string& message, int helpContext);
// Stop the run because of a project option problem, showing the tab where the option lives.
void ReportOptionError(TQVSContext& ctx, const std::string& message, TTabSheet tab, int helpContext);

// Honour a pending halt request; true when the run must stop. Always lets the window system
// process pending messages.
bool PollHalt(TQVSContext& ctx);

// Fill ProcessingNotes with the advisories of the finished run (the summary report calls it).
void RunAdvisories(TQVSContext& ctx);

// The sample-period test of the run and the advisories: periods differ when P / 10 < P - p.
bool SamplePeriodsDiffer(double longest, double shortest);

}  // namespace qvs

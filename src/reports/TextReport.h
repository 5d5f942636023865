#pragma once
// The summary report as plain text, for the console: the same sections as the PDF report
// (project, intervals, references, advisories, notes, results and calibration tables) without
// graphs.

#include <string>

#include "core/QVSContext.h"
#include "reports/ResultsTables.h"

namespace qvs {

struct TTextReportInfo {
  std::string ProjectName;     // the project file's name without folder and extension
  std::string ReportFileName;  // the report's file name, or empty when none is written
  std::string UserName;        // the logged-in user, "Unknown" when it cannot be read
  TDateTime Now = 0;           // local date-time of the report
};

// Fills ProcessingNotes with the run's advisories first, as the report does.
std::string TextSummaryReport(TQVSContext& ctx, const TTextReportInfo& info);

// A table laid out in fixed-width columns, two blanks between them.
std::string TextTable(const TResultsTable& table);

}  // namespace qvs

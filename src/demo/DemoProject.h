#pragma once
// The bundled demonstration: a realistic validation of a dozen simulated loggers in a climatic
// chamber with a reference instrument, written as logger files, a CSV reference file and a project.

#include <string>

namespace qvs {

struct TDemoResult {
  std::string ProjectFile;
  int LoggerFiles = 0;
  std::string ReferenceFile;
};

// Writes the demo into the folder (created when missing). Files already there are replaced.
// Throws std::runtime_error when a file cannot be written.
TDemoResult WriteDemoProject(const std::string& folder);

}  // namespace qvs

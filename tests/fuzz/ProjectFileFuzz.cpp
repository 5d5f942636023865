// Project files from anywhere: loading must fail cleanly or read every key, and whatever loaded
// must save to a document that loads again with the same values.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/DataFileList.h"
#include "core/ProjectOptions.h"
#include "project/Project.h"
#include "project/XMLConfiguration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvs;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string projectPath = "/fuzz/projects/Job.qvs";
  const TDateTime now = 45366.5;

  TXMLProject doc;
  std::string error;
  if (!doc.LoadFromBytes(bytes, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  TProjectOptions options;
  TDataFileList files;
  ReadProjectOptions(doc, projectPath, now, options, files);
  std::vector<std::string> lines;
  doc.ReadStrings("Description", lines);
  THistory history(10);
  doc.ReadHistory("ProjectFileHistory", history);
  std::vector<int> widths(8, 0);
  doc.ReadColumnWidths("FileListGridColWidths", widths);

  WriteProjectOptions(doc, projectPath, options, files);
  TXMLProject again;
  if (!again.LoadFromBytes(doc.SaveToText(), error)) std::abort();
  TProjectOptions reread;
  TDataFileList rereadFiles;
  ReadProjectOptions(again, projectPath, now, reread, rereadFiles);
  // Writing drops only what XML cannot hold.
  std::vector<std::string> cleanDescription;
  for (const auto& line : options.Description) cleanDescription.push_back(XMLCleanText(line));
  if (reread.Client != XMLCleanText(options.Client) || reread.Description != cleanDescription ||
      rereadFiles.Count() != files.Count() || reread.ReportKind != options.ReportKind)
    std::abort();
  return 0;
}

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

  // Writing what was read and reading it back may normalise once (characters XML cannot hold,
  // paths that name one file in two spellings); from then on a save must write what it read.
  WriteProjectOptions(doc, projectPath, options, files);
  std::string previous = doc.SaveToText();
  for (int cycle = 0; cycle < 2; ++cycle) {
    TXMLProject again;
    if (!again.LoadFromBytes(previous, error)) std::abort();
    TProjectOptions reread;
    TDataFileList rereadFiles;
    ReadProjectOptions(again, projectPath, now, reread, rereadFiles);
    WriteProjectOptions(again, projectPath, reread, rereadFiles);
    std::string text = again.SaveToText();
    if (cycle == 1 && text != previous) std::abort();
    previous = std::move(text);
  }
  return 0;
}

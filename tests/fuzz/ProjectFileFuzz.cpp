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

  // What was read, written back, must read and write again to the very same text: writing drops
  // only what XML cannot hold, and everything written reads back as written.
  WriteProjectOptions(doc, projectPath, options, files);
  const std::string first = doc.SaveToText();
  TXMLProject again;
  if (!again.LoadFromBytes(first, error)) std::abort();
  TProjectOptions reread;
  TDataFileList rereadFiles;
  ReadProjectOptions(again, projectPath, now, reread, rereadFiles);
  WriteProjectOptions(again, projectPath, reread, rereadFiles);
  if (again.SaveToText() != first) std::abort();
  return 0;
}

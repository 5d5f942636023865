#include "core/FileStatus.h"

#include <sys/stat.h>

#include "core/Statistics.h"

namespace qvs {
namespace {

// One step of the chain; returns the next state. The file's status is read once, by the first
// step, and kept for the second.
std::uint8_t Advance(TQVSContext& ctx, const std::string& path, TQVSDataSet& entry, struct stat& st) {
  switch (entry.FileStatus) {
    case fsNew:
      return ::stat(path.c_str(), &st) == 0 ? fsExists : fsNotFound;
    case fsExists:
      if (!S_ISREG(st.st_mode)) return fsUnreadable;
      entry.FileSize = static_cast<std::int64_t>(st.st_size);
      entry.FileDate = UniversalToLocal(UnixToDateTime(static_cast<double>(st.st_mtim.tv_sec) +
                                                       static_cast<double>(st.st_mtim.tv_nsec) / 1e9));
      return fsSized;
    case fsSized:
      return ctx.Services && ctx.Services->IsDataFile(path) ? fsRecognised : fsUnrecognised;
    case fsRecognised:
      return ctx.Services && ctx.Services->LoadDataFile(path, entry.LoggerData) ? fsLoaded : fsUnreadable;
    default:
      return entry.FileStatus;
  }
}

}  // namespace

int RefreshDataFileStatus(TQVSContext& ctx) {
  int changed = 0;
  bool loaded = false;
  for (int i = 0; i < ctx.DataFileList.Count(); ++i) {
    TQVSDataSet& entry = ctx.DataFileList.Entry(i);
    const std::uint8_t before = entry.FileStatus;
    struct stat st {};
    while (entry.FileStatus < fsLoaded) {
      const std::uint8_t next = Advance(ctx, ctx.DataFileList.Path(i), entry, st);
      entry.FileStatus = next;
      if (next == fsLoaded) {
        RebuildSeries(entry);
        loaded = true;
      }
    }
    if (entry.FileStatus != before) ++changed;
  }
  if (loaded) {
    ComputeRunExtents(ctx);
    if (ctx.Options.SummaryStartDateTime() < 1.0) ResetSummaryInterval(ctx);
  }
  return changed;
}

const char* FileStatusText(std::uint8_t status) {
  switch (status) {
    case fsNew: return "new";
    case fsExists: return "found";
    case fsSized: return "checked";
    case fsRecognised: return "recognised";
    case fsLoaded: return "loaded";
    case fsNotFound: return "not found";
    case fsUnrecognised: return "unrecognised";
    case fsUnreadable: return "unreadable";
    default: return "unknown";
  }
}

}  // namespace qvs

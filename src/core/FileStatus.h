#pragma once
// The file check of the data file entries, advanced on every refresh of the file list.

#include "core/QVSContext.h"

namespace qvs {

// Takes every entry that is not yet final through its checks: exists, size and time readable,
// recognised as a logger data file, loaded. On reaching "loaded" the entry's series are rebuilt,
// the run extents recomputed and, while the summary start is unset, the summary interval reset.
// Returns the number of entries that changed state.
int RefreshDataFileStatus(TQVSContext& ctx);

// The text of a file status for listings ("loaded", "not found", ...).
const char* FileStatusText(std::uint8_t status);

}  // namespace qvs

#pragma once
// What the reference readers' fuzz targets share: a temporary file the input is written to (the
// readers take paths).

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/SilentConsole.h"

namespace qvs::fuzz {

using qvs::TSilentConsole;

// A file in the temporary folder, created once per process and rewritten for every input.
inline const std::string& InputPath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/qvs-fuzz-XXXXXX";
    const int fd = mkstemp(p.data());
    if (fd < 0) std::abort();
    close(fd);
    return p;
  }();
  return path;
}

inline void WriteInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(InputPath().c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

}  // namespace qvs::fuzz

#pragma once
// Text bytes stored by the loggers and the legacy files are 8-bit Windows-1252; inside the program
// text is UTF-8.

#include <string>
#include <string_view>

namespace qvs {

// The bytes as UTF-8: kept when they already are valid UTF-8, else read as Windows-1252.
std::string LoggerTextToUTF8(std::string_view bytes);

}  // namespace qvs

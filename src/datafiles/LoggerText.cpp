#include "datafiles/LoggerText.h"

#include "core/Utf8.h"

namespace qvs {

std::string LoggerTextToUTF8(std::string_view bytes) { return BytesToUTF8(bytes); }

}  // namespace qvs

// Feeds arbitrary bytes to the text toolkit as a date-time picture, a comma text, a message
// format (with a fixed argument list) and a number picture. Nothing may crash, hang or leak, a
// bad format may only raise EConvertError, and comma text must read back what it writes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/CommaText.h"
#include "core/Format.h"
#include "core/FormatDateTime.h"
#include "core/TextForms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvs;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static const TFormatSettings fs = [] {
    TFormatSettings s = TFormatSettings::Invariant();
    s.ShortDateFormat = "ddddd c";  // refers to itself: expansion must stop
    s.LongTimeFormat = "tt hh:nn:ss am/pm";
    return s;
  }();

  for (const double dt : {45356.6243, -1.25, 0.0, 1e300, -3e6}) (void)FormatDateTime(text, dt, fs);

  const std::vector<std::string> values = FromCommaText(text);
  const std::string written = ToCommaText(values);
  if (FromCommaText(written) != values) std::abort();

  try {
    (void)Format(text, {42, "text", 2.675, -7LL, 1234567u, static_cast<const void*>(data), 1e300, -0.0}, fs);
  } catch (const EConvertError&) {
  }

  (void)FormatFloat(text, 1234.5678, fs);
  (void)FormatFloat(text, -0.0004, fs);
  (void)FormatFloat(text, 1e300, fs);
  (void)SingleLine(text);
  (void)ExtractFileExt(text);
  (void)ChangeFileExt(text, ".kv");
  return 0;
}

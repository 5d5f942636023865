#pragma once
// Printf-style message formats as the program's messages are written:
//   %[index:][-][width][.precision]type   with types d u x e f g n m p s and %%.
// "%-10s" pads on the right, "%6u" on the left, "%1.0f%%" gives "50%", "%10.0n" groups thousands,
// "%8.8p" writes a code location as 8 upper-case hexadecimal digits, "%3.3f" rounds half away from zero.
// A format that does not fit its arguments (missing argument, a text for %d, an unknown type)
// raises EConvertError; callers that must never fail (logging) catch it.

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/FormatSettings.h"

namespace qvs {

class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One argument of Format: an integer, a real number, a text or a code location.
class TFormatArg {
 public:
  enum class TKind { Integer, Unsigned, Real, Text, Pointer };
  TFormatArg(int v) : Kind(TKind::Integer), Int(v) {}
  TFormatArg(long v) : Kind(TKind::Integer), Int(v) {}
  TFormatArg(long long v) : Kind(TKind::Integer), Int(v) {}
  TFormatArg(unsigned v) : Kind(TKind::Unsigned), UInt(v) {}
  TFormatArg(unsigned long v) : Kind(TKind::Unsigned), UInt(v) {}
  TFormatArg(unsigned long long v) : Kind(TKind::Unsigned), UInt(v) {}
  TFormatArg(double v) : Kind(TKind::Real), Real(v) {}
  TFormatArg(long double v) : Kind(TKind::Real), Real(static_cast<double>(v)) {}
  TFormatArg(float v) : Kind(TKind::Real), Real(v) {}
  TFormatArg(const char* v) : Kind(TKind::Text), Text(v ? v : "") {}
  TFormatArg(std::string_view v) : Kind(TKind::Text), Text(v) {}
  TFormatArg(const std::string& v) : Kind(TKind::Text), Text(v) {}
  TFormatArg(const void* v) : Kind(TKind::Pointer), UInt(reinterpret_cast<std::uintptr_t>(v)) {}

  TKind Kind;
  long long Int = 0;
  unsigned long long UInt = 0;
  double Real = 0.0;
  std::string_view Text;
};

using TFormatArgs = std::initializer_list<TFormatArg>;

// Formats with the invariant settings ("." decimals, "," thousands).
std::string Format(std::string_view format, TFormatArgs args);
// Formats with the given settings' decimal and thousands separators.
std::string Format(std::string_view format, TFormatArgs args, const TFormatSettings& fs);

// Number pictures: "0" a digit, "#" an optional digit, "." the decimal point, "," thousands grouping,
// "E+00"/"e-00" scientific, quoted text, up to three sections ("positive;negative;zero").
// FormatFloat("###,###,##0", 1234567) is "1,234,567".
std::string FormatFloat(std::string_view picture, double value);
std::string FormatFloat(std::string_view picture, double value, const TFormatSettings& fs);

}  // namespace qvs

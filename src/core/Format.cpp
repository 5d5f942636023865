#include "core/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

namespace qvs {
namespace {

// Widths and precisions above this are refused: no message needs them, and a fuzzed format must
// not be able to ask for gigabytes of padding.
constexpr long kMaxField = 99999;
// A double's exact decimal expansion never has more significant digits than this.
constexpr int kMaxSignificant = 800;

// A non-negative decimal number 0.Digits x 10^Exp, with no leading or trailing zeros in Digits;
// zero has no digits.
struct TDecimal {
  std::string Digits;
  int Exp = 0;
  bool IsZero() const { return Digits.empty(); }
};

// The exact decimal value of a finite double's magnitude: every binary fraction has a finite
// decimal expansion, so rounding afterwards is rounding of the value itself, not of a printed
// approximation.
TDecimal ExactDecimal(double v) {
  TDecimal d;
  v = std::fabs(v);
  if (v == 0.0 || !std::isfinite(v)) return d;
  int binExp = 0;
  const double mant = std::frexp(v, &binExp);  // v = mant * 2^binExp, mant in [0.5, 1)
  auto m = static_cast<unsigned long long>(std::ldexp(mant, 53));
  int lowBit = binExp - 53;
  while ((m & 1ULL) == 0) {
    m >>= 1;
    ++lowBit;
  }
  const int fracDigits = lowBit < 0 ? -lowBit : 0;
  std::vector<char> buf(static_cast<std::size_t>(fracDigits) + 400);
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, fracDigits);
  const std::string_view text(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
  const std::size_t point = text.find('.');
  const std::string_view intPart = text.substr(0, point);
  const std::string_view fracPart = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  std::string all;
  all.reserve(intPart.size() + fracPart.size());
  all.append(intPart);
  all.append(fracPart);
  int exp = static_cast<int>(intPart.size());
  std::size_t first = 0;
  while (first < all.size() && all[first] == '0') {
    ++first;
    --exp;
  }
  std::size_t last = all.size();
  while (last > first && all[last - 1] == '0') --last;
  d.Digits = all.substr(first, last - first);
  d.Exp = d.Digits.empty() ? 0 : exp;
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the exact value.
void RoundToDigits(TDecimal& d, long keep) {
  if (d.IsZero() || keep >= static_cast<long>(d.Digits.size())) return;
  if (keep < 0) {
    d = TDecimal{};
    return;
  }
  const bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
  d.Digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    std::size_t i = d.Digits.size();
    while (i > 0 && d.Digits[i - 1] == '9') {
      d.Digits[i - 1] = '0';
      --i;
    }
    if (i == 0) {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exp;
    } else {
      ++d.Digits[i - 1];
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.Exp = 0;
}

void RoundToDecimals(TDecimal& d, int decimals) {
  if (!d.IsZero()) RoundToDigits(d, static_cast<long>(d.Exp) + decimals);
}

// The digit of weight 10^pos.
char DigitAt(const TDecimal& d, long pos) {
  const long i = static_cast<long>(d.Exp) - 1 - pos;
  return i >= 0 && i < static_cast<long>(d.Digits.size()) ? d.Digits[static_cast<std::size_t>(i)] : '0';
}

// The integer part's digits without leading zeros ("" below 1).
std::string IntegerDigits(const TDecimal& d) {
  std::string s;
  for (long pos = d.Exp - 1; pos >= 0; --pos) s += DigitAt(d, pos);
  return s;
}

std::string FractionDigits(const TDecimal& d, int count) {
  std::string s;
  s.reserve(static_cast<std::size_t>(count));
  for (int k = 1; k <= count; ++k) s += DigitAt(d, -k);
  return s;
}

std::string GroupThousands(const std::string& digits, const std::string& sep) {
  if (sep.empty() || digits.size() <= 3) return digits;
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += sep;
    out += digits[i];
  }
  return out;
}

const char* NonFiniteText(double v) { return std::isnan(v) ? "NAN" : (v > 0 ? "INF" : "-INF"); }

// Fixed notation with `decimals` decimals, optionally grouping thousands.
std::string FixedText(double v, int decimals, const std::string& decSep, const std::string* thouSep) {
  if (!std::isfinite(v)) return NonFiniteText(v);
  TDecimal d = ExactDecimal(v);
  RoundToDecimals(d, decimals);
  std::string intPart = IntegerDigits(d);
  if (intPart.empty()) intPart = "0";
  if (thouSep) intPart = GroupThousands(intPart, *thouSep);
  std::string s = (v < 0 && !d.IsZero()) ? "-" : "";
  s += intPart;
  if (decimals > 0) s += decSep + FractionDigits(d, decimals);
  return s;
}

std::string ExponentDigits(int exp, int minDigits) {
  std::string e = std::to_string(exp < 0 ? -static_cast<long>(exp) : exp);
  if (static_cast<int>(e.size()) < minDigits) e.insert(0, static_cast<std::size_t>(minDigits) - e.size(), '0');
  return e;
}

// "-d.ddd...E+ddd" with `significant` digits in all.
std::string ScientificText(double v, int significant, const std::string& decSep) {
  if (!std::isfinite(v)) return NonFiniteText(v);
  TDecimal d = ExactDecimal(v);
  RoundToDigits(d, significant);
  const int exp = d.IsZero() ? 0 : d.Exp - 1;
  std::string digits = d.Digits;
  digits.resize(static_cast<std::size_t>(significant), '0');
  std::string s = (v < 0 && !d.IsZero()) ? "-" : "";
  s += digits[0];
  if (significant > 1) s += decSep + digits.substr(1);
  s += exp < 0 ? "E-" : "E+";
  s += ExponentDigits(exp, 3);
  return s;
}

// The shortest text of `precision` significant digits: fixed notation unless the value has more
// integer digits than that or is below 0.00001, then "d.dddE-dd" with the sign only when negative.
std::string GeneralText(double v, int precision, const std::string& decSep) {
  if (!std::isfinite(v)) return NonFiniteText(v);
  TDecimal d = ExactDecimal(v);
  RoundToDigits(d, precision);
  if (d.IsZero()) return "0";
  std::string s = v < 0 ? "-" : "";
  if (d.Exp > precision || d.Exp < -4) {
    s += d.Digits[0];
    if (d.Digits.size() > 1) s += decSep + d.Digits.substr(1);
    const int exp = d.Exp - 1;
    s += exp < 0 ? "E-" : "E";
    s += ExponentDigits(exp, 0);
    return s;
  }
  std::string intPart = IntegerDigits(d);
  s += intPart.empty() ? "0" : intPart;
  const long fracCount = static_cast<long>(d.Digits.size()) - d.Exp;
  if (fracCount > 0) s += decSep + FractionDigits(d, static_cast<int>(fracCount));
  return s;
}

// Characters of UTF-8 text: every byte that does not continue a sequence.
std::size_t CharCount(std::string_view s) {
  std::size_t n = 0;
  for (const unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// The first `count` characters of UTF-8 text, never splitting a sequence.
std::string_view FirstChars(std::string_view s, std::size_t count) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (n == count) return s.substr(0, i);
      ++n;
    }
  }
  return s;
}

std::string Clip(std::string_view format) {
  if (format.size() <= 80) return std::string(format);
  return std::string(FirstChars(format, 77)) + "...";
}

const char* KindName(TFormatArg::TKind k) {
  switch (k) {
    case TFormatArg::TKind::Integer:
      return "an integer";
    case TFormatArg::TKind::Unsigned:
      return "an unsigned integer";
    case TFormatArg::TKind::Real:
      return "a real number";
    case TFormatArg::TKind::Text:
      return "a text";
    case TFormatArg::TKind::Pointer:
      return "a pointer";
  }
  return "an unknown value";
}

std::string UnsignedDigits(unsigned long long v, unsigned base) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s;
  do {
    s += kHex[v % base];
    v /= base;
  } while (v != 0);
  return std::string(s.rbegin(), s.rend());
}

class TFormatter {
 public:
  TFormatter(std::string_view format, TFormatArgs args, const TFormatSettings& fs)
      : Fmt(format), Args(args.begin(), args.end()), DecSep(fs.DecimalSeparator), ThouSep(fs.ThousandSeparator) {}

  std::string Run() {
    std::string out;
    out.reserve(Fmt.size() + 16);
    std::size_t i = 0;
    while (i < Fmt.size()) {
      const std::size_t pct = Fmt.find('%', i);
      if (pct == std::string_view::npos) {
        out.append(Fmt.substr(i));
        break;
      }
      out.append(Fmt.substr(i, pct - i));
      i = pct + 1;
      if (i < Fmt.size() && Fmt[i] == '%') {
        out += '%';
        ++i;
        continue;
      }
      i = Specifier(pct, i, out);
    }
    return out;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw EConvertError("Format '" + Clip(Fmt) + "': " + what); }

  // Reads digits or "*" at i; -1 when there are none.
  long Number(std::size_t& i, std::string_view spec) {
    if (i < Fmt.size() && Fmt[i] == '*') {
      ++i;
      const TFormatArg& a = Arg(NextIndex++, spec);
      long long v = 0;
      if (a.Kind == TFormatArg::TKind::Integer)
        v = a.Int;
      else if (a.Kind == TFormatArg::TKind::Unsigned)
        v = static_cast<long long>(std::min(a.UInt, 1ULL << 40));
      else
        Fail(std::string("\"*\" needs an integer argument, not ") + KindName(a.Kind));
      if (v > kMaxField || v < -kMaxField) Fail("width or precision too large");
      return static_cast<long>(v);
    }
    if (i >= Fmt.size() || Fmt[i] < '0' || Fmt[i] > '9') return -1;
    long v = 0;
    while (i < Fmt.size() && Fmt[i] >= '0' && Fmt[i] <= '9') {
      v = v * 10 + (Fmt[i] - '0');
      if (v > kMaxField) Fail("width, precision or index too large");
      ++i;
    }
    return v;
  }

  const TFormatArg& Arg(long index, std::string_view spec) {
    if (index < 0 || index >= static_cast<long>(Args.size()))
      Fail("no argument for \"" + std::string(spec) + "\" (argument " + std::to_string(index + 1) + ")");
    return Args[static_cast<std::size_t>(index)];
  }

  // Formats one specifier starting at Fmt[start] == '%'; i is just after the '%'. Returns the
  // position after it.
  std::size_t Specifier(std::size_t start, std::size_t i, std::string& out) {
    auto specText = [&](std::size_t end) { return Fmt.substr(start, std::min(end, Fmt.size()) - start); };
    // The specifier's own text, for messages, as far as it goes.
    std::size_t end = i;
    while (end < Fmt.size() && (Fmt[end] == ':' || Fmt[end] == '-' || Fmt[end] == '.' || Fmt[end] == '*' ||
                                (Fmt[end] >= '0' && Fmt[end] <= '9')))
      ++end;
    const std::string_view spec = specText(end + 1);

    std::size_t save = i;
    long first = Number(i, spec);
    if (first >= 0 && i < Fmt.size() && Fmt[i] == ':') {
      NextIndex = first;
      ++i;
    } else if (first >= 0 || i != save) {
      // It was the width after all ("%10s"); read it again below.
      i = save;
      if (Fmt[i] == '*') --NextIndex;
    }
    bool left = false;
    if (i < Fmt.size() && Fmt[i] == '-') {
      left = true;
      ++i;
    }
    long width = Number(i, spec);
    if (width < 0 && i > 0 && Fmt[i - 1] == '*') {  // a negative "*" width pads on the right
      left = true;
      width = -width;
    }
    long prec = -1;
    if (i < Fmt.size() && Fmt[i] == '.') {
      ++i;
      prec = Number(i, spec);
      if (prec < 0) prec = (i > 0 && Fmt[i - 1] == '*') ? -1 : 0;
    }
    if (i >= Fmt.size()) Fail("incomplete format specifier \"" + std::string(spec) + "\" at the end");
    const char type = static_cast<char>(Fmt[i] | 0x20);  // types are case-insensitive
    ++i;

    std::string text;
    auto needReal = [&](const TFormatArg& a) -> double {
      switch (a.Kind) {
        case TFormatArg::TKind::Real:
          return a.Real;
        case TFormatArg::TKind::Integer:
          return static_cast<double>(a.Int);
        case TFormatArg::TKind::Unsigned:
          return static_cast<double>(a.UInt);
        default:
          Fail("\"" + std::string(spec) + "\" cannot show " + KindName(a.Kind));
      }
    };
    auto needInteger = [&](const TFormatArg& a, bool allowPointer) -> const TFormatArg& {
      if (a.Kind == TFormatArg::TKind::Integer || a.Kind == TFormatArg::TKind::Unsigned ||
          (allowPointer && a.Kind == TFormatArg::TKind::Pointer))
        return a;
      Fail("\"" + std::string(spec) + "\" cannot show " + KindName(a.Kind));
    };
    auto minDigits = [&](std::string digits, long count) {
      if (count > static_cast<long>(digits.size()))
        digits.insert(0, static_cast<std::size_t>(count) - digits.size(), '0');
      return digits;
    };

    switch (type) {
      case 'd': {
        const TFormatArg& a = needInteger(Arg(NextIndex++, spec), false);
        const bool neg = a.Kind == TFormatArg::TKind::Integer && a.Int < 0;
        const unsigned long long mag = a.Kind == TFormatArg::TKind::Unsigned ? a.UInt
                                       : neg ? 0ULL - static_cast<unsigned long long>(a.Int)
                                             : static_cast<unsigned long long>(a.Int);
        text = (neg ? "-" : "") + minDigits(UnsignedDigits(mag, 10), prec);
        break;
      }
      case 'u':
      case 'x': {
        const TFormatArg& a = needInteger(Arg(NextIndex++, spec), false);
        // A negative integer shows as its 64-bit two's complement, as unsigned conversions do.
        const unsigned long long v =
            a.Kind == TFormatArg::TKind::Integer ? static_cast<unsigned long long>(a.Int) : a.UInt;
        text = minDigits(UnsignedDigits(v, type == 'x' ? 16 : 10), prec);
        break;
      }
      case 'p': {
        const TFormatArg& a = needInteger(Arg(NextIndex++, spec), true);
        const unsigned long long v =
            a.Kind == TFormatArg::TKind::Integer ? static_cast<unsigned long long>(a.Int) : a.UInt;
        text = minDigits(UnsignedDigits(v, 16), prec >= 0 ? prec : static_cast<long>(2 * sizeof(void*)));
        break;
      }
      case 'f':
        text = FixedText(needReal(Arg(NextIndex++, spec)), prec >= 0 ? static_cast<int>(prec) : 2, DecSep, nullptr);
        break;
      case 'n':
      case 'm':  // money: the settings hold no currency symbol, so the number form
        text = FixedText(needReal(Arg(NextIndex++, spec)), prec >= 0 ? static_cast<int>(prec) : 2, DecSep, &ThouSep);
        break;
      case 'e': {
        const int sig = prec < 0 ? 15 : static_cast<int>(std::clamp<long>(prec, 1, kMaxSignificant));
        text = ScientificText(needReal(Arg(NextIndex++, spec)), sig, DecSep);
        break;
      }
      case 'g': {
        const int sig = prec < 0 ? 15 : static_cast<int>(std::clamp<long>(prec, 1, kMaxSignificant));
        text = GeneralText(needReal(Arg(NextIndex++, spec)), sig, DecSep);
        break;
      }
      case 's': {
        const TFormatArg& a = Arg(NextIndex++, spec);
        if (a.Kind != TFormatArg::TKind::Text) Fail("\"" + std::string(spec) + "\" cannot show " + KindName(a.Kind));
        text = prec >= 0 ? std::string(FirstChars(a.Text, static_cast<std::size_t>(prec))) : std::string(a.Text);
        break;
      }
      default: {
        const auto c = static_cast<unsigned char>(Fmt[i - 1]);
        if (c < 32 || c >= 127) Fail("unknown format type '\\x" + minDigits(UnsignedDigits(c, 16), 2) + "'");
        Fail("unknown format type '" + std::string(1, Fmt[i - 1]) + "' in \"" + std::string(specText(i)) + "\"");
      }
    }
    const std::size_t chars = CharCount(text);
    if (width > 0 && chars < static_cast<std::size_t>(width)) {
      const std::string pad(static_cast<std::size_t>(width) - chars, ' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
    return i;
  }

  std::string_view Fmt;
  std::vector<TFormatArg> Args;
  long NextIndex = 0;
  std::string DecSep;
  std::string ThouSep;
};

// ---- Number pictures ----

struct TPicture {
  int IntCount = 0;   // digit placeholders before the decimal point
  int ForcedInt = 0;  // of them, those from the first "0" on
  int DecCount = 0;   // digit placeholders after the decimal point
  int ForcedDec = 0;  // up to the last "0" after the point
  bool HasPoint = false;
  bool Thousands = false;
  bool Scientific = false;
  bool ExpPlus = false;
  int ExpDigits = 0;
};

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Length of the exponent marker at i ("E+", "e-00" ...), 0 when there is none.
std::size_t ExponentMarker(std::string_view s, std::size_t i, int* zeros) {
  if (i + 1 >= s.size() || (s[i] != 'E' && s[i] != 'e') || (s[i + 1] != '+' && s[i + 1] != '-')) return 0;
  std::size_t j = i + 2;
  int n = 0;
  while (j < s.size() && s[j] == '0') {
    ++j;
    ++n;
  }
  if (zeros) *zeros = std::min(n, 4);
  return j - i;
}

TPicture ScanPicture(std::string_view sec) {
  TPicture p;
  bool afterExp = false;
  int firstForced = -1;
  for (std::size_t i = 0; i < sec.size(); ++i) {
    const char c = sec[i];
    if (IsQuote(c)) {
      const std::size_t close = sec.find(c, i + 1);
      if (close == std::string_view::npos) break;
      i = close;
      continue;
    }
    if (afterExp) continue;
    if (c == '0' || c == '#') {
      if (!p.HasPoint) {
        if (c == '0' && firstForced < 0) firstForced = p.IntCount;
        ++p.IntCount;
      } else {
        ++p.DecCount;
        if (c == '0') p.ForcedDec = p.DecCount;
      }
    } else if (c == '.') {
      p.HasPoint = true;
    } else if (c == ',') {
      p.Thousands = true;
    } else if (int zeros = 0; const std::size_t len = ExponentMarker(sec, i, &zeros)) {
      p.Scientific = true;
      p.ExpPlus = sec[i + 1] == '+';
      p.ExpDigits = zeros;
      afterExp = true;
      i += len - 1;
    }
  }
  p.ForcedInt = firstForced < 0 ? 0 : p.IntCount - firstForced;
  return p;
}

// Writes a number through one picture section: `d` is the magnitude, already rounded for it.
std::string ApplyPicture(std::string_view sec, const TPicture& p, const TDecimal& d, bool minus,
                         const TFormatSettings& fs) {
  std::string intDigits;
  std::string fracDigits;
  int exp10 = 0;
  if (p.Scientific) {
    if (!d.IsZero()) {
      exp10 = d.Exp - p.IntCount;
      std::string all = d.Digits;
      all.resize(static_cast<std::size_t>(p.IntCount + p.DecCount), '0');
      intDigits = all.substr(0, static_cast<std::size_t>(p.IntCount));
      fracDigits = all.substr(static_cast<std::size_t>(p.IntCount));
      const auto nz = intDigits.find_first_not_of('0');
      intDigits = nz == std::string::npos ? "" : intDigits.substr(nz);
    } else {
      fracDigits.assign(static_cast<std::size_t>(p.DecCount), '0');
    }
  } else {
    intDigits = IntegerDigits(d);
    fracDigits = FractionDigits(d, p.DecCount);
  }
  if (static_cast<int>(intDigits.size()) < p.ForcedInt)
    intDigits.insert(0, static_cast<std::size_t>(p.ForcedInt) - intDigits.size(), '0');
  int shownDec = p.ForcedDec;
  for (int k = p.DecCount; k > shownDec; --k)
    if (fracDigits[static_cast<std::size_t>(k - 1)] != '0') {
      shownDec = k;
      break;
    }

  const long len = static_cast<long>(intDigits.size());
  std::string out = minus ? "-" : "";
  auto emitDigit = [&](long pos) {  // the integer digit of weight 10^pos
    out += intDigits[static_cast<std::size_t>(len - 1 - pos)];
    if (p.Thousands && pos > 0 && pos % 3 == 0) out += fs.ThousandSeparator;
  };
  int intSlot = 0;
  int decSlot = 0;
  bool pointSeen = false;
  bool afterExp = false;
  bool excessDone = false;
  auto emitExcess = [&]() {  // digits beyond the placeholders go where the first one stands
    if (excessDone) return;
    excessDone = true;
    for (long pos = len - 1; pos >= p.IntCount; --pos) emitDigit(pos);
  };
  for (std::size_t i = 0; i < sec.size(); ++i) {
    const char c = sec[i];
    if (IsQuote(c)) {
      const std::size_t close = sec.find(c, i + 1);
      if (close == std::string_view::npos) {
        out.append(sec.substr(i + 1));
        break;
      }
      out.append(sec.substr(i + 1, close - i - 1));
      i = close;
      continue;
    }
    if (afterExp) {
      if (c != '0' && c != '#' && c != '.' && c != ',') out += c;
      continue;
    }
    if (c == '0' || c == '#') {
      if (!pointSeen) {
        emitExcess();
        const long pos = p.IntCount - 1 - intSlot++;
        if (pos < len) emitDigit(pos);
      } else {
        if (decSlot < shownDec) out += fracDigits[static_cast<std::size_t>(decSlot)];
        ++decSlot;
      }
    } else if (c == '.') {
      if (!pointSeen) {
        emitExcess();
        pointSeen = true;
        if (shownDec > 0) out += fs.DecimalSeparator;
      }
    } else if (c == ',') {
      // a flag only
    } else if (const std::size_t mlen = ExponentMarker(sec, i, nullptr)) {
      emitExcess();
      out += c;
      if (exp10 < 0)
        out += '-';
      else if (p.ExpPlus)
        out += '+';
      out += ExponentDigits(exp10, p.ExpDigits);
      afterExp = true;
      i += mlen - 1;
    } else {
      out += c;
    }
  }
  return out;
}

// The picture's sections, split at ";" outside quotes (at most three).
std::vector<std::string_view> Sections(std::string_view picture) {
  std::vector<std::string_view> secs;
  std::size_t start = 0;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (IsQuote(c)) {
      const std::size_t close = picture.find(c, i + 1);
      if (close == std::string_view::npos) break;
      i = close;
    } else if (c == ';') {
      secs.push_back(picture.substr(start, i - start));
      start = i + 1;
      if (secs.size() == 3) return secs;
    }
  }
  secs.push_back(picture.substr(start));
  return secs;
}

TDecimal RoundForPicture(double v, const TPicture& p) {
  TDecimal d = ExactDecimal(v);
  if (p.Scientific) {
    if (p.IntCount + p.DecCount > 0) RoundToDigits(d, p.IntCount + p.DecCount);
  } else {
    RoundToDecimals(d, p.DecCount);
  }
  return d;
}

}  // namespace

std::string Format(std::string_view format, TFormatArgs args) {
  static const TFormatSettings kInvariant = TFormatSettings::Invariant();
  return Format(format, args, kInvariant);
}

std::string Format(std::string_view format, TFormatArgs args, const TFormatSettings& fs) {
  return TFormatter(format, args, fs).Run();
}

std::string FormatFloat(std::string_view picture, double value) {
  static const TFormatSettings kInvariant = TFormatSettings::Invariant();
  return FormatFloat(picture, value, kInvariant);
}

std::string FormatFloat(std::string_view picture, double value, const TFormatSettings& fs) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  const std::vector<std::string_view> secs = Sections(picture);
  if (secs[0].empty() && (value >= 0 || secs.size() < 2 || secs[1].empty()))
    return GeneralText(value, 15, fs.DecimalSeparator);

  const bool negSection = value < 0 && secs.size() >= 2 && !secs[1].empty();
  std::string_view sec = negSection ? secs[1] : secs[0];
  TPicture p = ScanPicture(sec);
  TDecimal d = RoundForPicture(value, p);
  if (d.IsZero()) {
    // A value that rounds to zero is zero: the zero section, else the positive one, never "-0".
    sec = secs.size() >= 3 && !secs[2].empty() ? secs[2] : secs[0];
    if (sec.empty()) return GeneralText(0.0, 15, fs.DecimalSeparator);
    p = ScanPicture(sec);
    return ApplyPicture(sec, p, TDecimal{}, false, fs);
  }
  return ApplyPicture(sec, p, d, value < 0 && !negSection, fs);
}

}  // namespace qvs

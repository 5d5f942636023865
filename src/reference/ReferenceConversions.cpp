#include "reference/ReferenceConversions.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace qvs {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

void SkipBlanks(std::string_view s, std::size_t& i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
}

// Up to maxDigits decimal digits at s[i]; false when there is none.
bool ScanNumber(std::string_view s, std::size_t& i, int maxDigits, int& value, int* digits = nullptr) {
  int n = 0;
  int v = 0;
  while (i < s.size() && IsDigit(s[i]) && n < maxDigits) {
    v = v * 10 + (s[i] - '0');
    ++i;
    ++n;
  }
  if (n == 0) return false;
  // More digits than allowed make the number invalid rather than two numbers.
  if (i < s.size() && IsDigit(s[i])) return false;
  value = v;
  if (digits) *digits = n;
  return true;
}

bool StartsWithNoCase(std::string_view s, std::size_t i, std::string_view word) {
  if (word.empty() || s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (Lower(s[i + k]) != Lower(word[k])) return false;
  return true;
}

bool Consume(std::string_view s, std::size_t& i, std::string_view token) {
  if (token.empty() || s.substr(i, token.size()) != token) return false;
  i += token.size();
  return true;
}

std::string_view SeparatorOr(const std::string& sep, std::string_view fallback) {
  return sep.empty() ? fallback : std::string_view(sep);
}

// The time of day starting at s[i] and running to the end of s.
bool ScanTime(std::string_view s, std::size_t i, const TFormatSettings& fs, TDateTime& time) {
  const std::string_view sep = SeparatorOr(fs.TimeSeparator, ":");
  SkipBlanks(s, i);
  int hour = 0, minute = 0, second = 0;
  double fraction = 0;
  if (!ScanNumber(s, i, 2, hour)) return false;
  if (Consume(s, i, sep)) {
    if (!ScanNumber(s, i, 2, minute)) return false;
    if (Consume(s, i, sep)) {
      if (!ScanNumber(s, i, 2, second)) return false;
      const std::size_t mark = i;
      if ((Consume(s, i, ".") || Consume(s, i, SeparatorOr(fs.DecimalSeparator, "."))) && i < s.size() &&
          IsDigit(s[i])) {
        double scale = 0.1;
        while (i < s.size() && IsDigit(s[i])) {
          fraction += (s[i] - '0') * scale;
          scale /= 10;
          ++i;
        }
      } else {
        i = mark;
      }
    }
  }
  SkipBlanks(s, i);
  int marker = 0;  // 1 AM, 2 PM
  if (i < s.size()) {
    const std::string_view am[] = {fs.TimeAMString, "AM", "A"};
    const std::string_view pm[] = {fs.TimePMString, "PM", "P"};
    for (std::size_t k = 0; k < 3 && marker == 0; ++k) {
      if (StartsWithNoCase(s, i, am[k])) {
        marker = 1;
        i += am[k].size();
      } else if (StartsWithNoCase(s, i, pm[k])) {
        marker = 2;
        i += pm[k].size();
      }
    }
    SkipBlanks(s, i);
  }
  if (i != s.size()) return false;
  if (marker != 0) {
    if (hour > 12) return false;
    if (marker == 1 && hour == 12) hour = 0;
    if (marker == 2 && hour < 12) hour += 12;
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  time = (hour * 3600.0 + minute * 60.0 + second + fraction) / 86400.0;
  return true;
}

// A date at the start of s; i is left after it.
std::optional<TDateTime> ScanDate(std::string_view s, std::size_t& i, const TFormatSettings& fs) {
  const std::string_view sep = SeparatorOr(fs.DateSeparator, "/");
  const std::array<char, 3> order = DateOrderOf(fs.ShortDateFormat);
  int parts[3] = {0, 0, 0};
  int yearDigits = 4;
  for (int k = 0; k < 3; ++k) {
    if (k > 0 && !Consume(s, i, sep)) return std::nullopt;
    SkipBlanks(s, i);
    int digits = 0;
    if (!ScanNumber(s, i, 4, parts[k], &digits)) return std::nullopt;
    if (order[static_cast<std::size_t>(k)] == 'y') yearDigits = digits;
  }
  int day = 0, month = 0, year = 0;
  for (int k = 0; k < 3; ++k) {
    switch (order[static_cast<std::size_t>(k)]) {
      case 'd':
        day = parts[k];
        break;
      case 'm':
        month = parts[k];
        break;
      default:
        year = parts[k];
        break;
    }
  }
  if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
  return TryEncodeDate(year, month, day);
}

}  // namespace

std::array<char, 3> DateOrderOf(std::string_view picture) {
  std::array<char, 3> order{};
  int n = 0;
  char first = 0;
  char quote = 0;
  for (char c : picture) {
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    const char l = Lower(c);
    if (l != 'd' && l != 'm' && l != 'y') continue;
    if (!first) first = l;
    bool seen = false;
    for (int k = 0; k < n; ++k) seen = seen || order[static_cast<std::size_t>(k)] == l;
    if (!seen && n < 3) order[static_cast<std::size_t>(n++)] = l;
  }
  if (n == 3) return order;
  if (first == 'm') return {'m', 'd', 'y'};
  if (first == 'y') return {'y', 'm', 'd'};
  return {'d', 'm', 'y'};
}

bool TryTextToTime(std::string_view text, const TFormatSettings& fs, TDateTime& time) {
  return ScanTime(text, 0, fs, time);
}

bool TryTextToDateTime(std::string_view text, const TFormatSettings& fs, TDateTime& dateTime) {
  std::size_t i = 0;
  SkipBlanks(text, i);
  if (const auto date = ScanDate(text, i, fs)) {
    std::size_t j = i;
    SkipBlanks(text, j);
    TDateTime time = 0;
    bool ok = false;
    if (j == text.size()) {
      ok = true;
    } else if (j > i) {
      ok = ScanTime(text, j, fs, time);
    } else if (text[j] == 'T' || text[j] == 't') {
      ok = ScanTime(text, j + 1, fs, time);
    }
    if (ok) {
      dateTime = *date >= 0 ? *date + time : *date - time;
      return true;
    }
  }
  TDateTime time = 0;
  if (!ScanTime(text, 0, fs, time)) return false;
  dateTime = time;
  return true;
}

bool TryTextToFloat(std::string_view text, std::string_view decimalSeparator, double& value) {
  if (decimalSeparator.empty()) decimalSeparator = ".";
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  const std::string_view s = text.substr(b, e - b);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const std::size_t mantissa = i;
  int digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  std::size_t separatorAt = std::string_view::npos;
  if (s.substr(i, decimalSeparator.size()) == decimalSeparator) {
    separatorAt = i;
    i += decimalSeparator.size();
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t exponent = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i == exponent) return false;
  }
  if (i != s.size()) return false;

  double v = 0;
  std::from_chars_result r{};
  if (separatorAt == std::string_view::npos || decimalSeparator == ".") {
    r = std::from_chars(s.data() + mantissa, s.data() + s.size(), v, std::chars_format::general);
    if (r.ptr != s.data() + s.size()) return false;
  } else {
    std::string plain(s.substr(mantissa, separatorAt - mantissa));
    plain += '.';
    plain += s.substr(separatorAt + decimalSeparator.size());
    r = std::from_chars(plain.data(), plain.data() + plain.size(), v, std::chars_format::general);
    if (r.ptr != plain.data() + plain.size()) return false;
  }
  // Numbers beyond the double range either way are not usable readings.
  if (r.ec != std::errc() || !std::isfinite(v)) return false;
  value = negative ? -v : v;
  return true;
}

bool IsStorableSample(double value) { return std::isfinite(value) && std::fabs(value) <= FLT_MAX; }

}  // namespace qvs

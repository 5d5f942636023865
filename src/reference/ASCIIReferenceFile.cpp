#include "reference/ASCIIReferenceFile.h"

#include <charconv>
#include <cstdint>
#include <exception>
#include <limits>

#include "core/Format.h"
#include "core/Processing.h"
#include "core/TextForms.h"
#include "reference/InstrumentText.h"
#include "reference/ReferenceConversions.h"

namespace qvs {
namespace {

constexpr int kFormatHelp = 1320;
constexpr int kAbortHelp = 1327;
constexpr int kExceptionHelp = 1318;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  const char u = Upper(c);
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return 99;
}

void SkipBlanks(std::string_view s, std::size_t& i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
}

// The digits as an integer in the base; false when a digit does not belong to it or it overflows.
bool IntegerInBase(std::string_view digits, int base, double& value) {
  if (digits.empty()) return false;
  std::uint64_t v = 0;
  for (char c : digits) {
    const int d = DigitValue(c);
    if (d >= base) return false;
    if (v >
        (std::numeric_limits<std::uint64_t>::max() - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base))
      return false;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  value = static_cast<double>(v);
  return true;
}

std::size_t RunOf(std::string_view s, std::size_t i, bool (*member)(char)) {
  while (i < s.size() && member(s[i])) ++i;
  return i;
}

bool IsHexDigit(char c) { return DigitValue(c) < 16; }
bool IsBinaryDigit(char c) { return c == '0' || c == '1'; }
bool IsRealCharacter(char c) { return IsDigit(c) || c == '+' || c == '-' || c == 'E' || c == 'e'; }

// The first character of a text (a whole UTF-8 sequence), for messages.
std::string FirstCharacterOf(std::string_view s) {
  if (s.empty()) return {};
  std::size_t i = 0;
  NextCodePoint(s, i);
  return ShownText(s.substr(0, i));
}

}  // namespace

double ReferenceCorrection(const TReferenceCorrectionCoefficients& k, double x) {
  const long double lx = x;
  const long double sum = static_cast<long double>(k.A) + static_cast<long double>(k.B) * lx +
                          static_cast<long double>(k.C) * lx * lx + static_cast<long double>(k.D) * lx * lx * lx;
  return static_cast<double>(sum);
}

bool ScanReading(std::string_view s, std::size_t& pos, double& value) {
  std::size_t p = pos;
  const std::size_t n = s.size();
  bool negative = false;
  if (p < n && (s[p] == '+' || s[p] == '-')) {
    negative = s[p] == '-';
    ++p;
    SkipBlanks(s, p);
  }
  if (p >= n) return false;
  double v = 0;
  const bool zeroX = s[p] == '0' && p + 2 < n && (s[p + 1] == 'x' || s[p + 1] == 'X') && IsHexDigit(s[p + 2]);
  if (s[p] == '$' || zeroX) {
    p += s[p] == '$' ? 1 : 2;
    const std::size_t e = RunOf(s, p, IsHexDigit);
    if (!IntegerInBase(s.substr(p, e - p), 16, v)) return false;
    p = e;
  } else if (s[p] == '%') {
    ++p;
    const std::size_t e = RunOf(s, p, IsBinaryDigit);
    if (!IntegerInBase(s.substr(p, e - p), 2, v)) return false;
    p = e;
  } else if (IsDigit(s[p])) {
    const std::size_t d = RunOf(s, p, IsDigit);
    if (d < n && (s[d] == '.' || s[d] == 'E' || s[d] == 'e')) {
      const std::size_t e = RunOf(s, d + 1, IsRealCharacter);
      const auto r = std::from_chars(s.data() + p, s.data() + e, v, std::chars_format::general);
      if (r.ec != std::errc() || r.ptr != s.data() + e) return false;
      p = e;
    } else {
      const std::size_t e = RunOf(s, d, IsAlnum);
      const char last = Upper(s[e - 1]);
      const int base = last == 'H' ? 16 : last == 'B' ? 2 : last == 'Q' ? 8 : 0;
      if (e > d && base != 0 && IntegerInBase(s.substr(p, e - 1 - p), base, v)) {
        p = e;
      } else {
        const auto r = std::from_chars(s.data() + p, s.data() + d, v, std::chars_format::general);
        if (r.ec != std::errc()) return false;
        p = d;
      }
    }
  } else {
    return false;
  }
  value = negative ? -v : v;
  pos = p;
  return true;
}

namespace {

class TASCIIReferenceReader {
 public:
  TASCIIReferenceReader(TQVSContext& ctx, const std::string& path, TSampleRecord& series,
                        const TASCIIReferenceOptions& options)
      : Ctx(ctx), Path(path), Name(ExtractFileName(path)), Series(series), Options(options) {}

  bool Read(TDateTime startDate) {
    auto& out = Ctx.Console;
    const TFormatSettings& fs = Ctx.FormatSettings;
    out.SetStatus("Reading reference samples from file " + Name);
    out.WriteOutput(Format("Assuming start date of %s", {DayText(startDate, fs)}));
    if (Options.TimeOffset != 0)
      out.WriteOutput(Format("Applying offset of %d minutes to times in the file", {Options.TimeOffset}));
    if (Options.IgnoreMalformedLines) out.WriteOutput("Treating lines without valid data as comments");

    if (!File.Open(Path)) {
      Exception("Unable to open file (" + File.ErrorText + ")");
      return false;
    }
    const double size = File.FileSize() > 0 ? static_cast<double>(File.FileSize()) : 1.0;
    TDateTime date = DateOf(startDate);
    TDateTime previousTime = 0, first = 0, last = 0;
    long long samples = 0, comments = 0, k = 0;
    std::string line;
    while (!Ctx.Halted) {
      if (!File.NextLine(line)) break;
      ++k;
      if (PollHalt(Ctx)) {
        Report(Format("Reading of reference data aborted at line %d", {k}), kAbortHelp);
        break;
      }
      if (k % 100 == 0) {
        const double done = static_cast<double>(File.BytesRead());
        out.SetStatusProgress(Format("Reading reference samples from file %s", {Name}), size,
                              done < size ? done : size);
      }

      bool comment = Trim(line).empty();
      if (!comment && line[0] != 't' && line[0] != 'T') {
        if (!Options.IgnoreMalformedLines) {
          Report(Format("Format error: \"t\" expected at line %d (encountered \"%s\")", {k, FirstCharacterOf(line)}));
          break;
        }
        comment = true;
      } else if (!comment && (line.size() < 2 || line[1] != ':')) {
        if (!Options.IgnoreMalformedLines) {
          Report(Format("Format error: \":\" expected at line %d (encountered \"%s\")",
                        {k, FirstCharacterOf(std::string_view(line).substr(1))}));
          break;
        }
        comment = true;
      }
      if (comment) {
        if (comments == 0) out.WriteOutput("File contains comments");
        out.WriteOutput("|  " + ShownText(line));
        ++comments;
        continue;
      }

      // t:<reading> <units> <time> <rest>
      std::size_t p = 2;
      SkipBlanks(line, p);
      const std::size_t readingStart = p;
      double value = 0;
      if (!ScanReading(line, p, value)) {
        std::size_t e = readingStart;
        while (e < line.size() && !IsBlank(line[e])) ++e;
        Report(Format("Format error in reading value at line %d\r\"%s\"",
                      {k, ShownText(std::string_view(line).substr(readingStart, e - readingStart))}));
        break;
      }
      const std::string_view readingText = std::string_view(line).substr(readingStart, p - readingStart);
      SkipBlanks(line, p);
      std::string_view units;
      if (p < line.size()) {
        const std::size_t u = p;
        NextCodePoint(line, p);
        units = std::string_view(line).substr(u, p - u);
      }
      SkipBlanks(line, p);
      const std::size_t timeStart = p;
      while (p < line.size() && !IsBlank(line[p])) ++p;
      const std::string_view timeWord = std::string_view(line).substr(timeStart, p - timeStart);
      TDateTime time = 0;
      if (!TryTextToTime(timeWord, fs, time)) {
        Report(Format("Format error in time value at line %d\r\"%s\"", {k, ShownText(timeWord)}));
        break;
      }

      ++samples;
      if (time < previousTime && time < kOneHour && previousTime > 23 * kOneHour) date += 1;
      previousTime = time;
      const TDateTime stamp = date + time + Options.TimeOffset / 1440.0;
      if (samples > 1 && stamp < last) {
        // The series is evenly spaced from the first to the last time: a step back in time would
        // place every reading at a wrong time.
        Report(Format("Format error: time at line %d is earlier than the previous sample\r\"%s\"",
                      {k, ShownText(timeWord)}));
        out.WriteOutput("  A new day is taken only when a time after 23:00 is followed by one before 01:00");
        break;
      }
      if (samples == 1) {
        out.WriteOutput("Assumed reference samples start date: " + LocaleDateTimeText(stamp, fs));
        first = stamp;
      }
      last = stamp;

      const char unit = units.size() == 1 ? Upper(units[0]) : '\0';
      if (unit == 'F')
        value = FahrenheitToCelsius(value);
      else if (unit == 'K')
        value = KelvinToCelsius(value);
      else if (unit != 'C') {
        Report(Format("Format error in temperature units character at line %d: \"%s\"", {k, ShownText(units)}));
        break;
      }
      if (Options.ApplyCorrection) value += ReferenceCorrection(Options.Correction, value);
      if (!IsStorableSample(value)) {
        Report(Format("Format error in reading value at line %d\r\"%s\"", {k, ShownText(readingText)}));
        break;
      }
      if (Series.Count() == std::numeric_limits<int>::max()) {
        Report(Format("ASCII reference file %s holds too many samples", {Name}));
        break;
      }
      Series.Add(value);
    }
    File.Close();
    if (Ctx.Halted) return false;

    if (samples >= 2 && !(last > first)) {
      Report(Format("Format error: all %d samples in file %s have the same time", {samples, Name}));
      return false;
    }
    const double period = samples >= 2 ? (last - first) / static_cast<double>(samples - 1) : kOneMinute;
    Series.StartTime = first;
    Series.SamplePeriod = period;
    out.WriteOutput(Format("Reading of reference data finished: %d lines, %d samples", {k, samples}));
    out.WriteOutput(Format("  Sample Period: %1.2f s", {period * 86400.0}, fs));
    out.WriteOutput(Format("  First sample: %s", {LongDateTimeText(first, fs)}));
    out.WriteOutput(Format("  Last sample: %s", {LongDateTimeText(last, fs)}));
    return true;
  }

  void Exception(const std::string& message) {
    Ctx.RecordInternalError("ReadDataFromASCIIReferenceFile", message);
    ReportProcessingError(Ctx, "Exception " + message + " importing file " + Path, kExceptionHelp);
  }

 private:
  void Report(const std::string& message, int help = kFormatHelp) { ReportProcessingError(Ctx, message, help); }

  TQVSContext& Ctx;
  const std::string& Path;
  const std::string Name;
  TSampleRecord& Series;
  const TASCIIReferenceOptions& Options;
  TInstrumentTextReader File;
};

}  // namespace

bool ReadDataFromASCIIReferenceFile(TQVSContext& ctx, const std::string& path, TSampleRecord& series,
                                    TDateTime startDate, const TASCIIReferenceOptions& options) {
  series.Clear();
  TASCIIReferenceReader reader(ctx, path, series, options);
  try {
    return reader.Read(startDate) && !ctx.Halted;
  } catch (const std::exception& e) {
    reader.Exception(e.what());
  } catch (...) {
    reader.Exception("unknown failure");
  }
  return false;
}

}  // namespace qvs

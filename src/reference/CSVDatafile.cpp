#include "reference/CSVDatafile.h"

#include <cstring>
#include <exception>
#include <utility>

#include "core/CommaText.h"
#include "core/Format.h"
#include "core/Processing.h"
#include "core/TextForms.h"
#include "reference/InstrumentText.h"
#include "reference/Levenshtein.h"
#include "reference/ReferenceConversions.h"

namespace qvs {
namespace {

constexpr int kCSVFormatHelp = 1320;
constexpr int kAbortHelp = 1327;
constexpr int kExceptionHelp = 1318;
constexpr std::size_t kShownLine = 1000;

bool NeedsQuotes(std::string_view value) {
  for (char c : value)
    if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') return true;
  return false;
}

// The first character of a trimmed setting, or the fallback when it is empty.
std::string FirstCharacter(const std::string& setting, const char* fallback) {
  const std::string s = Trim(setting);
  if (s.empty()) return fallback;
  std::size_t i = 0;
  NextCodePoint(s, i);
  return s.substr(0, i);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCSVDataRecord

std::string_view TCSVDataRecord::Field(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= Ends.size()) return {};
  const std::size_t begin = i == 0 ? 0 : Ends[static_cast<std::size_t>(i) - 1];
  return std::string_view(Buffer).substr(begin, Ends[static_cast<std::size_t>(i)] - begin);
}

void TCSVDataRecord::Clear() {
  Buffer.clear();
  Ends.clear();
  Truncated = false;
}

void TCSVDataRecord::SetFromLine(std::string_view line, bool tabSeparated) {
  Clear();
  const std::size_t n = line.size();
  if (n == 0) return;
  Buffer.reserve(n);
  auto isDelimiter = [tabSeparated](char c) { return c == ',' || (tabSeparated && c == '\t'); };
  std::size_t p = 0;
  for (;;) {
    if (Ends.size() >= static_cast<std::size_t>(kMaximumFields)) {
      Truncated = true;
      return;
    }
    if (line[p] == '"') {
      ++p;
      const std::size_t fieldStart = Buffer.size();
      for (;;) {
        const std::size_t q = line.find('"', p);
        if (q == std::string_view::npos) {
          Buffer.append(line.substr(p));
          p = n;
          break;
        }
        Buffer.append(line.substr(p, q - p));
        p = q + 1;
        if (p < n && line[p] == '"') {
          Buffer += '"';
          ++p;
          continue;
        }
        break;
      }
      if (tabSeparated)
        for (std::size_t k = fieldStart; k < Buffer.size(); ++k)
          if (Buffer[k] == '\t') Buffer[k] = ',';
    } else {
      std::size_t q = p;
      if (tabSeparated) {
        while (q < n && !isDelimiter(line[q])) ++q;
      } else {
        const void* comma = std::memchr(line.data() + p, ',', n - p);
        q = comma ? static_cast<std::size_t>(static_cast<const char*>(comma) - line.data()) : n;
      }
      Buffer.append(line.substr(p, q - p));
      p = q;
    }
    Ends.push_back(Buffer.size());
    if (p >= n) return;
    if (isDelimiter(line[p])) {
      ++p;
      if (p >= n) {
        // A delimiter at the very end adds a final empty field.
        if (Ends.size() >= static_cast<std::size_t>(kMaximumFields)) {
          Truncated = true;
          return;
        }
        Ends.push_back(Buffer.size());
        return;
      }
    }
    // Otherwise text follows a closing quote and starts another field.
  }
}

std::string TCSVDataRecord::CommaText(std::size_t maxBytes) const {
  std::string out;
  if (Ends.size() == 1 && Ends[0] == 0) return "\"\"";
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) out += ',';
    const std::string_view f = Field(i);
    if (NeedsQuotes(f))
      out += QuotedString(f);
    else
      out += f;
    if (out.size() > maxBytes) {
      out.resize(maxBytes + 1);
      break;
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// TCSVDatafile

bool TCSVDatafile::Open(const std::string& path, const TFormatSettings& settings) {
  Close();
  OpenError.clear();
  try {
    std::string bytes;
    if (!ReadFileBytes(path, bytes, OpenError, kMaximumFileSize)) return false;
    return OpenBytes(std::move(bytes), settings);
  } catch (const std::exception& e) {
    Close();
    OpenError = e.what();
    return false;
  }
}

bool TCSVDatafile::OpenBytes(std::string bytes, const TFormatSettings& settings) {
  Close();
  OpenError.clear();
  try {
    Text = DecodeInstrumentText(std::move(bytes));
    FormatSettings = settings;
    // Count the lines; a final line break adds no empty line.
    long long count = 0;
    std::size_t i = 0;
    const std::size_t n = Text.size();
    std::size_t firstEnd = n;
    while (i < n) {
      ++count;
      const std::size_t e = FindLineEnd(i);
      if (count == 1) firstEnd = e;
      if (e >= n) break;
      i = e + 1;
      if (Text[e] == '\r' && i < n && Text[i] == '\n') ++i;
    }
    if (count > 0x7FFFFFFF) {
      Close();
      OpenError = "the file holds too many lines";
      return false;
    }
    Lines = static_cast<int>(count);
    TabSeparated = std::memchr(Text.data(), '\t', firstEnd) != nullptr;
    return true;
  } catch (const std::exception& e) {
    Close();
    OpenError = e.what();
    return false;
  }
}

bool TCSVDatafile::Close() {
  std::string().swap(Text);
  Lines = 0;
  CursorLine = 0;
  CursorOffset = 0;
  CurrentLine = {};
  CurrentSplit = true;
  Current.Clear();
  CachedLine = 0;
  CachedOffset = 0;
  LFKnown = CRKnown = false;
  TabSeparated = false;
  return true;
}

std::size_t TCSVDatafile::FindLineEnd(std::size_t from) const {
  const std::size_t n = Text.size();
  // The first LF (CR) at or after a searched start stays the answer for any start up to it.
  if (!LFKnown || from < LFFrom || from > NextLF) {
    const void* p = from < n ? std::memchr(Text.data() + from, '\n', n - from) : nullptr;
    NextLF = p ? static_cast<std::size_t>(static_cast<const char*>(p) - Text.data()) : n;
    LFFrom = from;
    LFKnown = true;
  }
  if (!CRKnown || from < CRFrom || from > NextCR) {
    const void* p = from < n ? std::memchr(Text.data() + from, '\r', n - from) : nullptr;
    NextCR = p ? static_cast<std::size_t>(static_cast<const char*>(p) - Text.data()) : n;
    CRFrom = from;
    CRKnown = true;
  }
  return NextLF < NextCR ? NextLF : NextCR;
}

std::string_view TCSVDatafile::LineAt(std::size_t offset, std::size_t& next) const {
  const std::size_t n = Text.size();
  const std::size_t e = FindLineEnd(offset);
  next = e;
  if (e < n) {
    next = e + 1;
    if (Text[e] == '\r' && next < n && Text[next] == '\n') ++next;
  }
  return std::string_view(Text).substr(offset, e - offset);
}

std::size_t TCSVDatafile::OffsetOfLine(int index) const {
  if (index == CursorLine && CursorLine < Lines) return CursorOffset;
  int line = 0;
  std::size_t offset = 0;
  if (CachedLine <= index && CachedLine > line) {
    line = CachedLine;
    offset = CachedOffset;
  }
  if (CursorLine <= index && CursorLine > line && CursorLine < Lines) {
    line = CursorLine;
    offset = CursorOffset;
  }
  while (line < index) {
    std::size_t next = 0;
    LineAt(offset, next);
    offset = next;
    ++line;
  }
  CachedLine = line;
  CachedOffset = offset;
  return offset;
}

bool TCSVDatafile::Seek(int index) {
  if (index < 0) index = 0;
  if (index < Lines) {
    CursorOffset = OffsetOfLine(index);
    CursorLine = index;
    return false;
  }
  CursorLine = Lines;
  CursorOffset = Text.size();
  return true;
}

std::string TCSVDatafile::LineText(int index) const {
  if (index < 0 || index >= Lines) return {};
  std::size_t next = 0;
  std::string line(LineAt(OffsetOfLine(index), next));
  if (TabSeparated)
    for (char& c : line)
      if (c == '\t') c = ',';
  return line;
}

std::string_view TCSVDatafile::TakeLine() {
  if (EndOfFile()) return {};
  std::size_t next = 0;
  const std::string_view line = LineAt(CursorOffset, next);
  CursorOffset = next;
  ++CursorLine;
  return line;
}

std::string TCSVDatafile::NextLine() {
  CurrentLine = TakeLine();
  CurrentSplit = false;
  std::string line(CurrentLine);
  if (TabSeparated)
    for (char& c : line)
      if (c == '\t') c = ',';
  return line;
}

const TCSVDataRecord& TCSVDatafile::CurrentRecord() const {
  if (!CurrentSplit) {
    Current.SetFromLine(CurrentLine, TabSeparated);
    CurrentSplit = true;
  }
  return Current;
}

std::string TCSVDatafile::Field(int index) const { return std::string(CurrentRecord().Field(index)); }

bool TCSVDatafile::NextRecord(TCSVDataRecord& record) {
  if (EndOfFile()) {
    CurrentLine = {};
    CurrentSplit = false;
    record.Clear();
    return false;
  }
  CurrentLine = TakeLine();
  CurrentSplit = false;
  record.SetFromLine(CurrentLine, TabSeparated);
  return true;
}

bool TCSVDatafile::FirstRecord(TCSVDataRecord& record) {
  Seek(0);
  return NextRecord(record);
}

// ---------------------------------------------------------------------------------------------
// The reader

bool IsCSVHeaderRecord(const TCSVDataRecord& record) {
  const std::string_view f = record.Field(0);
  return !f.empty() && ((f[0] >= 'A' && f[0] <= 'Z') || (f[0] >= 'a' && f[0] <= 'z'));
}

TFormatSettings CSVConversionSettings(const TQVSContext& ctx) {
  TFormatSettings fs = ctx.FormatSettings;
  fs.ShortDateFormat = Trim(ctx.Settings.CSVDateFormat);
  fs.LongTimeFormat = Trim(ctx.Settings.CSVTimeFormat);
  fs.DateSeparator = FirstCharacter(ctx.Settings.CSVDateSeparator, "/");
  fs.TimeSeparator = FirstCharacter(ctx.Settings.CSVTimeSeparator, ":");
  return fs;
}

namespace {

// One reading of a CSV reference file; every step that fails reports and returns false.
class TCSVReferenceReader {
 public:
  TCSVReferenceReader(TQVSContext& ctx, const std::string& path, TSampleRecord& series, std::string& matchedID,
                      int& matchedColumn)
      : Ctx(ctx),
        Path(path),
        Name(ExtractFileName(path)),
        Series(series),
        MatchedID(matchedID),
        MatchedColumn(matchedColumn) {}

  bool Read(int column, const std::string& target) {
    Conversion = CSVConversionSettings(Ctx);
    if (!File.Open(Path, Conversion)) {
      Report(Format("Error opening CSV file %s", {Name}));
      Ctx.Console.WriteOutput("  Reason: " + File.OpenError);
      return false;
    }
    const double size = File.TextSize() > 0 ? static_cast<double>(File.TextSize()) : 1.0;

    if (!File.FirstRecord(Record)) {
      Report(Format("No valid header record found in CSV file %s", {Name}));
      return false;
    }
    if (Record.Truncated) return TooManyFields(1);
    if (Record.Field(0).empty()) {
      Report(Format("Format error in first line of CSV file %s - null date fields", {Name}));
      return false;
    }
    const bool header = IsCSVHeaderRecord(Record);
    if (column == -1)
      ChooseByChannelID(target, header);
    else
      ChooseByNumber(column, header);
    if (Ctx.Halted) return false;

    if (!header) File.Seek(0);
    int r = 0;
    double bytes = 0;
    TDateTime first = 0, last = 0;
    while (!Ctx.Halted && !File.EndOfFile()) {
      if (PollHalt(Ctx)) {
        Report(Format("Reading of CSV reference data aborted at line %d", {r}), kAbortHelp);
        break;
      }
      if (r % 100 == 0)
        Ctx.Console.SetStatusProgress(Format("Reading reference samples from CSV file %s", {Name}), size,
                                      bytes < size ? bytes : size);
      const int lineNumber = File.Cursor() + 1;
      File.NextRecord(Record);
      bytes += static_cast<double>(Record.TextLength()) + 2;
      if (Record.Truncated) return TooManyFields(lineNumber);

      TDateTime t = 0;
      if (!TryTextToDateTime(Record.Field(0), Conversion, t)) {
        Report(Format("Format error in time value in file %s", {Name}));
        LineDetails(lineNumber, "  Time field: \"%s\"", Record.Field(0));
        return false;
      }
      if (r > 0 && t < last) {
        // The series is evenly spaced from the first to the last time: a step back in time would
        // place every reading at a wrong time.
        Report(Format("Format error in time value in file %s - time goes back before the previous sample", {Name}));
        LineDetails(lineNumber, "  Time field: \"%s\"", Record.Field(0));
        Ctx.Console.WriteOutput(Format("  Previous time: %s", {LongDateTimeText(last, Ctx.FormatSettings)}));
        return false;
      }
      last = t;
      if (r == 0) first = t;

      double v = 0;
      const std::string_view sample = Record.Field(MatchedColumn);
      if (!TryTextToFloat(sample, Conversion.DecimalSeparator, v) || !IsStorableSample(v)) {
        Report("Format error in sample value");
        LineDetails(lineNumber, "  Sample field: \"%s\"", sample);
        return false;
      }
      Series.Add(v);
      ++r;
    }
    if (Ctx.Halted) return false;

    const int n = Series.Count();
    if (n >= 2 && !(last > first)) {
      Report(Format("Format error in time values in file %s - all %d samples have the same time", {Name, n}));
      return false;
    }
    const double period = n >= 2 ? (last - first) / (n - 1) : kOneMinute;
    Series.StartTime = first;
    Series.SamplePeriod = period;
    auto& out = Ctx.Console;
    const TFormatSettings& fs = Ctx.FormatSettings;
    out.WriteOutput(Format("Reading of reference CSV data finished: %d lines, %d samples", {r, n}, fs));
    out.WriteOutput(Format("  Sample Period: %1.2f s", {period * 86400.0}, fs));
    out.WriteOutput(Format("  First sample: %s", {LongDateTimeText(first, fs)}));
    out.WriteOutput(Format("  Last sample: %s", {LongDateTimeText(last, fs)}));
    return true;
  }

  void Close() { File.Close(); }

 private:
  void Report(const std::string& message, int help = kCSVFormatHelp) { ReportProcessingError(Ctx, message, help); }

  bool TooManyFields(int lineNumber) {
    Report(
        Format("Line %d of CSV file %s holds more than %d fields", {lineNumber, Name, TCSVDataRecord::kMaximumFields}));
    return false;
  }

  void LineDetails(int lineNumber, const char* fieldFormat, std::string_view field) {
    auto& out = Ctx.Console;
    out.WriteOutput(Format("  Filename: %s", {Path}));
    out.WriteOutput(Format("  Line number: %d", {lineNumber}));
    out.WriteOutput(Format("  Line: \"%s\"", {ShownText(Record.CommaText(kShownLine), kShownLine)}));
    out.WriteOutput(Format(fieldFormat, {ShownText(field, kShownLine)}));
  }

  void ChooseByChannelID(const std::string& target, bool header) {
    if (target.empty()) {
      Report("Target channel ID not specified");
      return;
    }
    if (!header) {
      Report(Format("No valid header record found in CSV file %s", {Name}));
      return;
    }
    double best = 0;
    MatchedColumn = 0;
    MatchedID.clear();
    for (int i = 1; i < Record.Count(); ++i) {
      const double s = Similarity(target, Record.Field(i));
      if (s > best) {
        best = s;
        MatchedColumn = i;
        MatchedID = std::string(Record.Field(i));
      }
    }
    auto& out = Ctx.Console;
    const TFormatSettings& fs = Ctx.FormatSettings;
    if (best > kChannelMatchThreshold) {
      out.WriteOutput("Matching channel ID found");
      out.WriteOutput(Format("  Target: \"%s\"", {ShownText(target)}));
      out.WriteOutput(Format("  Actual: \"%s\"", {ShownText(MatchedID)}));
    } else {
      Report("Matching channel ID not found");
      out.WriteOutput(Format("  Target: \"%s\"", {ShownText(target)}));
      out.WriteOutput(Format("  Nearest match: \"%s\"", {ShownText(MatchedID)}));
    }
    out.WriteOutput(Format("  Column: %d", {MatchedColumn}, fs));
    out.WriteOutput(Format("  Similarity: %1.3f", {best}, fs));
  }

  void ChooseByNumber(int column, bool header) {
    if (column >= 1 && column < Record.Count()) {
      MatchedColumn = column;
      MatchedID = header ? std::string(Record.Field(column)) : std::string();
      return;
    }
    Report(Format("Target column %d not found in CSV file", {column}));
    auto& out = Ctx.Console;
    out.WriteOutput(Format("  Filename:  %s", {Path}));
    out.WriteOutput(Format("  Columns:   %d", {Record.Count() - 1}));
    out.WriteOutput(Format("  Record:    \"%s\"", {ShownText(Record.CommaText(kShownLine), kShownLine)}));
  }

  TQVSContext& Ctx;
  const std::string& Path;
  const std::string Name;
  TSampleRecord& Series;
  std::string& MatchedID;
  int& MatchedColumn;
  TFormatSettings Conversion;
  TCSVDatafile File;
  TCSVDataRecord Record;
};

}  // namespace

bool ReadDataFromCSVReferenceFile(TQVSContext& ctx, const std::string& path, int column,
                                  const std::string& targetChannelID, TSampleRecord& series,
                                  std::string& matchedChannelID, int& matchedColumn) {
  matchedChannelID.clear();
  matchedColumn = 0;
  series.Clear();
  bool result = false;
  try {
    ctx.Console.SetStatus("Reading reference samples from CSV file " + ExtractFileName(path));
    TCSVReferenceReader reader(ctx, path, series, matchedChannelID, matchedColumn);
    result = reader.Read(column, targetChannelID);
    reader.Close();
  } catch (const std::exception& e) {
    ctx.RecordInternalError("ReadDataFromCSVReferenceFile", e.what());
    ReportProcessingError(ctx, "Exception " + std::string(e.what()) + " importing file " + path, kExceptionHelp);
    result = false;
  } catch (...) {
    ctx.RecordInternalError("ReadDataFromCSVReferenceFile", "unknown failure");
    ReportProcessingError(ctx, "Exception unknown failure importing file " + path, kExceptionHelp);
    result = false;
  }
  return result && !ctx.Halted;
}

}  // namespace qvs

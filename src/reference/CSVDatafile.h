#pragma once
// CSV reference files: the file and row classes, and the reader that takes one column of such a
// file into a reference series.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/FormatSettings.h"
#include "core/QVSContext.h"
#include "core/SampleRecord.h"

namespace qvs {

// The fields of one row. Split at every comma; blanks belong to the fields; a field that starts
// with '"' runs to its closing quote (commas inside, '""' read as '"'; text after the closing
// quote starts another field; an unclosed quote takes the rest of the line); a comma at the end of
// the line adds an empty field; an empty line has no fields.
class TCSVDataRecord {
 public:
  // A row holds at most this many fields; a longer row is cut there and marked Truncated.
  static constexpr int kMaximumFields = 1 << 20;

  int Count() const { return static_cast<int>(Ends.size()); }
  // Field i; empty beyond the last field. Valid until the record is next set.
  std::string_view Field(int i) const;
  std::string_view operator[](int i) const { return Field(i); }
  // Splits a line into the fields; with tabSeparated every tab counts as a comma.
  void SetFromLine(std::string_view line, bool tabSeparated);
  void Clear();
  // The fields as comma text (values with blanks, controls, commas or quotes quoted); at most
  // about maxBytes long.
  std::string CommaText(std::size_t maxBytes = SIZE_MAX) const;
  // The fields one after the other, each followed by CR LF, as the progress count measures a row.
  std::size_t TextLength() const { return Buffer.size() + 2 * Ends.size(); }
  // The line held more than kMaximumFields fields.
  bool Truncated = false;

 private:
  std::string Buffer;             // the fields' texts one after the other
  std::vector<std::size_t> Ends;  // end of each field in Buffer
};

// A CSV file held in memory as its decoded text, read line by line.
class TCSVDatafile {
 public:
  // Larger files are refused when opened.
  static constexpr std::uint64_t kMaximumFileSize = 0x7FFFFFFF;

  // Loads and decodes the file (UTF-16 with a mark, UTF-8 with its mark skipped, Windows-1252
  // for bytes that are not UTF-8), cursor 0, the tab flag from the first line, the settings copied.
  // False, with OpenError set, when it cannot be read.
  bool Open(const std::string& path, const TFormatSettings& settings);
  // The same for bytes already in memory.
  bool OpenBytes(std::string bytes, const TFormatSettings& settings);
  // Cursor := index (0 when negative) and false when index < line count; else the cursor goes to
  // the end and the result is true.
  bool Seek(int index);
  // Empties the line list; always true.
  bool Close();
  // Line i (tabs shown as commas in a tab separated file); empty outside the file.
  std::string LineText(int index) const;
  bool EndOfFile() const { return CursorLine >= Lines; }
  // The line at the cursor (empty at the end), cursor + 1; the current record is taken from it.
  std::string NextLine();
  // Field i of the current record; empty beyond its last field.
  std::string Field(int index) const;
  // Length of the decoded text.
  std::size_t TextSize() const { return Text.size(); }
  // Reads the next line into the record and the current record; false at the end of the file.
  bool NextRecord(TCSVDataRecord& record);
  // Cursor := 0, then NextRecord.
  bool FirstRecord(TCSVDataRecord& record);

  int LineCount() const { return Lines; }
  int Cursor() const { return CursorLine; }
  const TCSVDataRecord& CurrentRecord() const;

  bool TabSeparated = false;
  TFormatSettings FormatSettings;
  std::string OpenError;

 private:
  // Byte offset of the start of line i (0 <= i < Lines).
  std::size_t OffsetOfLine(int index) const;
  // The line starting at offset, without its line end; next is set to the following line's start.
  std::string_view LineAt(std::size_t offset, std::size_t& next) const;
  std::string_view TakeLine();
  // The next CR or LF at or after from (or the end of the text), remembering what was searched.
  std::size_t FindLineEnd(std::size_t from) const;

  std::string Text;
  int Lines = 0;
  int CursorLine = 0;
  std::size_t CursorOffset = 0;
  // The line last read, split only when the current record is asked for.
  std::string_view CurrentLine;
  mutable bool CurrentSplit = true;
  mutable TCSVDataRecord Current;
  mutable int CachedLine = 0;  // a known (line, offset) pair for random access
  mutable std::size_t CachedOffset = 0;
  mutable std::size_t LFFrom = 0, NextLF = 0, CRFrom = 0, NextCR = 0;
  mutable bool LFKnown = false, CRKnown = false;
};

// The first field of a header row begins with an ASCII letter.
bool IsCSVHeaderRecord(const TCSVDataRecord& record);

// The conversion settings of the CSV time field: the context's format settings with the program
// settings' CSV date and time formats (trimmed) and separators (first character, "/" and ":"
// when empty).
TFormatSettings CSVConversionSettings(const TQVSContext& ctx);

// Reads one column of a CSV reference file into the series. column >= 1 chooses by number (field 0
// is the time column); -1 chooses by the header most similar to targetChannelID. True when the
// file was read to its end without error and the run is not halted; every failure goes through
// ReportProcessingError.
bool ReadDataFromCSVReferenceFile(TQVSContext& ctx, const std::string& path, int column,
                                  const std::string& targetChannelID, TSampleRecord& series,
                                  std::string& matchedChannelID, int& matchedColumn);

}  // namespace qvs

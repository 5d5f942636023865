#pragma once
// Writes ASCII and CSV reference files the way real instruments do (header row or none, commas or
// tabs, UTF-8 with or without a mark, UTF-16LE, Windows-1252, readings across midnight), from
// readings given as functions of time. Tests, benchmarks and the demo use it instead of committed
// files.
//
//   WriteSimulatedCSVFile(path, TCSVInstrument{}, {{"Probe 1", SineReading(20, 0.5, 1.0 / 24)}},
//                         EncodeDateTime(2024, 5, 12, 9, 0, 0), 60 * kOneSecond, 600);

#include <functional>
#include <string>
#include <vector>

#include "core/DateTime.h"

namespace qvs {

// A reading in degrees Celsius (or %RH) at a local date-time.
using TReadingFunction = std::function<double(TDateTime)>;

TReadingFunction ConstantReading(double value);
// mean + amplitude * sin(2 pi (t - phase) / period), period and phase in days.
TReadingFunction SineReading(double mean, double amplitude, double periodDays, double phaseDays = 0);
// startValue at time from, changing by perDay every day.
TReadingFunction RampReading(double startValue, double perDay, TDateTime from);

// How an instrument encodes its text file.
enum class TSimulatedEncoding { UTF8, UTF8WithMark, UTF16LE, Windows1252 };

// The text in the encoding's bytes (marks included).
std::string EncodeSimulatedText(const std::string& utf8, TSimulatedEncoding encoding);

struct TSimulatedChannel {
  std::string ID;  // header text, UTF-8
  TReadingFunction Reading;
};

// How an instrument writes a CSV file: a time column, then one column per channel.
struct TCSVInstrument {
  bool HeaderRow = true;
  std::string TimeColumnTitle = "Time";
  bool TabSeparated = false;
  TSimulatedEncoding Encoding = TSimulatedEncoding::UTF8;
  // Pictures of the time field: d dd m mm yy yyyy h hh nn ss zzz; "/" and ":" stand for the
  // separators below, anything else is copied.
  std::string DatePicture = "dd/mm/yy";
  std::string TimePicture = "hh:nn:ss";
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  int Decimals = 3;
  std::string LineEnd = "\r\n";
  bool QuoteHeader = false;  // header fields in double quotes
  bool FinalLineEnd = true;  // the last row ends with a line end
};

// A few instruments' habits.
TCSVInstrument AcquisitionUnitCSV();  // header row, commas, UTF-8 with mark, "dd/mm/yyyy hh:nn:ss"
TCSVInstrument SpreadsheetCSV();      // header row, tabs, UTF-16LE with mark
TCSVInstrument HeaderlessCSV();       // no header row, Windows-1252, "yyyy-mm-dd hh:nn:ss"

// The bytes of a CSV file of count rows from start at the period.
std::string SimulatedCSVText(const TCSVInstrument& instrument, const std::vector<TSimulatedChannel>& channels,
                             TDateTime start, double period, int count);
void WriteSimulatedCSVFile(const std::string& path, const TCSVInstrument& instrument,
                           const std::vector<TSimulatedChannel>& channels, TDateTime start, double period, int count);

// How an instrument writes an ASCII file: "t:" reading, units letter, time of day.
struct TASCIIInstrument {
  char Letter = 't';
  char Units = 'C';               // C, F or K (either case); readings are converted from Celsius
  bool BlankAfterColon = false;   // "t: 21.375C"
  bool BlankBeforeUnits = false;  // "t:21.375 C"
  std::string BeforeTime = " ";   // between the units letter and the time (" " or "\t")
  std::string TimeSeparator = ":";
  int Decimals = 3;
  std::vector<std::string> CommentLines;  // written before the readings (blank lines allowed)
  TSimulatedEncoding Encoding = TSimulatedEncoding::UTF8;
  std::string LineEnd = "\r\n";
};

// The bytes of an ASCII file of count readings from start at the period (times of day only, so a
// run past midnight rolls over).
std::string SimulatedASCIIText(const TASCIIInstrument& instrument, const TReadingFunction& reading, TDateTime start,
                               double period, int count);
void WriteSimulatedASCIIFile(const std::string& path, const TASCIIInstrument& instrument,
                             const TReadingFunction& reading, TDateTime start, double period, int count);

// Writes bytes to a file; throws std::runtime_error when it cannot.
void WriteSimulatedFile(const std::string& path, const std::string& bytes);

}  // namespace qvs

#include "reference/ReferenceSimulator.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>

#include "reference/InstrumentText.h"

namespace qvs {
namespace {

void AppendNumber(std::string& out, long long v, int width) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  if (v < 0) out += '-';
  for (int i = static_cast<int>(digits.size()); i < width; ++i) out += '0';
  out += digits;
}

// The small picture language of the simulator (independent of the program's own formatting).
void AppendPicture(std::string& out, const std::string& picture, TDateTime dt, const std::string& dateSeparator,
                   const std::string& timeSeparator) {
  TDateParts d;
  TTimeParts t;
  DecodeDateTime(dt, d, t);
  std::size_t i = 0;
  auto run = [&](char c) {
    std::size_t n = 0;
    while (i + n < picture.size() && (picture[i + n] | 0x20) == c) ++n;
    return n;
  };
  while (i < picture.size()) {
    const char c = static_cast<char>(picture[i] | 0x20);
    std::size_t n = 0;
    if (c == 'd' && (n = run('d'))) {
      AppendNumber(out, d.Day, static_cast<int>(n));
    } else if (c == 'm' && (n = run('m'))) {
      AppendNumber(out, d.Month, static_cast<int>(n));
    } else if (c == 'y' && (n = run('y'))) {
      AppendNumber(out, n <= 2 ? d.Year % 100 : d.Year, n <= 2 ? 2 : 4);
    } else if (c == 'h' && (n = run('h'))) {
      AppendNumber(out, t.Hour, static_cast<int>(n));
    } else if (c == 'n' && (n = run('n'))) {
      AppendNumber(out, t.Minute, static_cast<int>(n));
    } else if (c == 's' && (n = run('s'))) {
      AppendNumber(out, t.Second, static_cast<int>(n));
    } else if (c == 'z' && (n = run('z'))) {
      AppendNumber(out, t.Millisecond, 3);
    } else {
      n = 1;
      if (picture[i] == '/')
        out += dateSeparator;
      else if (picture[i] == ':')
        out += timeSeparator;
      else
        out += picture[i];
    }
    i += n;
  }
}

void AppendFixed(std::string& out, double v, int decimals) {
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
  out.append(buffer, r.ptr);
}

std::string QuotedField(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

TReadingFunction ConstantReading(double value) {
  return [value](TDateTime) { return value; };
}

TReadingFunction SineReading(double mean, double amplitude, double periodDays, double phaseDays) {
  return [=](TDateTime t) { return mean + amplitude * std::sin(2 * std::numbers::pi * (t - phaseDays) / periodDays); };
}

TReadingFunction RampReading(double startValue, double perDay, TDateTime from) {
  return [=](TDateTime t) { return startValue + perDay * (t - from); };
}

std::string EncodeSimulatedText(const std::string& utf8, TSimulatedEncoding encoding) {
  switch (encoding) {
    case TSimulatedEncoding::UTF8WithMark:
      return "\xEF\xBB\xBF" + utf8;
    case TSimulatedEncoding::UTF16LE:
      return "\xFF\xFE" + UTF8ToUTF16LE(utf8);
    case TSimulatedEncoding::Windows1252:
      return UTF8ToWindows1252(utf8);
    case TSimulatedEncoding::UTF8:
      break;
  }
  return utf8;
}

TCSVInstrument AcquisitionUnitCSV() {
  return {.Encoding = TSimulatedEncoding::UTF8WithMark, .DatePicture = "dd/mm/yyyy"};
}

TCSVInstrument SpreadsheetCSV() { return {.TabSeparated = true, .Encoding = TSimulatedEncoding::UTF16LE}; }

TCSVInstrument HeaderlessCSV() {
  return {.HeaderRow = false,
          .Encoding = TSimulatedEncoding::Windows1252,
          .DatePicture = "yyyy/mm/dd",
          .DateSeparator = "-",
          .LineEnd = "\n"};
}

std::string SimulatedCSVText(const TCSVInstrument& instrument, const std::vector<TSimulatedChannel>& channels,
                             TDateTime start, double period, int count) {
  const char delimiter = instrument.TabSeparated ? '\t' : ',';
  std::string text;
  text.reserve(static_cast<std::size_t>(count > 0 ? count : 0) * (24 + channels.size() * (8 + instrument.Decimals)));
  if (instrument.HeaderRow) {
    text += instrument.QuoteHeader ? QuotedField(instrument.TimeColumnTitle) : instrument.TimeColumnTitle;
    for (const auto& c : channels) {
      text += delimiter;
      text += instrument.QuoteHeader ? QuotedField(c.ID) : c.ID;
    }
    if (count > 0 || instrument.FinalLineEnd) text += instrument.LineEnd;
  }
  for (int i = 0; i < count; ++i) {
    const TDateTime t = start + i * period;
    AppendPicture(text, instrument.DatePicture, t, instrument.DateSeparator, instrument.TimeSeparator);
    text += ' ';
    AppendPicture(text, instrument.TimePicture, t, instrument.DateSeparator, instrument.TimeSeparator);
    for (const auto& c : channels) {
      text += delimiter;
      AppendFixed(text, c.Reading(t), instrument.Decimals);
    }
    if (i + 1 < count || instrument.FinalLineEnd) text += instrument.LineEnd;
  }
  return EncodeSimulatedText(text, instrument.Encoding);
}

void WriteSimulatedCSVFile(const std::string& path, const TCSVInstrument& instrument,
                           const std::vector<TSimulatedChannel>& channels, TDateTime start, double period, int count) {
  WriteSimulatedFile(path, SimulatedCSVText(instrument, channels, start, period, count));
}

std::string SimulatedASCIIText(const TASCIIInstrument& instrument, const TReadingFunction& reading, TDateTime start,
                               double period, int count) {
  std::string text;
  for (const auto& line : instrument.CommentLines) text += line + instrument.LineEnd;
  for (int i = 0; i < count; ++i) {
    const TDateTime t = start + i * period;
    double v = reading(t);
    switch (instrument.Units | 0x20) {
      case 'f':
        v = v * 9.0 / 5.0 + 32.0;
        break;
      case 'k':
        v = v + 273.15;
        break;
      default:
        break;
    }
    text += instrument.Letter;
    text += ':';
    if (instrument.BlankAfterColon) text += ' ';
    AppendFixed(text, v, instrument.Decimals);
    if (instrument.BlankBeforeUnits) text += ' ';
    text += instrument.Units;
    text += instrument.BeforeTime;
    AppendPicture(text, "hh:nn:ss", t, "/", instrument.TimeSeparator);
    text += instrument.LineEnd;
  }
  return EncodeSimulatedText(text, instrument.Encoding);
}

void WriteSimulatedASCIIFile(const std::string& path, const TASCIIInstrument& instrument,
                             const TReadingFunction& reading, TDateTime start, double period, int count) {
  WriteSimulatedFile(path, SimulatedASCIIText(instrument, reading, start, period, count));
}

void WriteSimulatedFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace qvs

#include "core/FormatDateTime.h"

#include <cstdio>

namespace qvs {
namespace {

// Pictures that expand other pictures (ddddd, dddddd, t, tt, c) may do so this many levels deep;
// a settings picture that names itself stops there instead of recursing.
constexpr int kMaxExpansionDepth = 2;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Case-insensitive: does s continue at i with word?
bool StartsWithAt(std::string_view s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (Upper(s[i + k]) != Upper(word[k])) return false;
  return true;
}

class TDateTimeWriter {
 public:
  TDateTimeWriter(TDateTime dt, const TFormatSettings& fs) : Fs(fs) {
    DecodeDateTime(dt, Date, Time);
    Weekday = DayOfWeek(dt);
  }

  void Append(std::string_view pic, int depth) {
    char lastToken = ' ';
    std::size_t i = 0;
    while (i < pic.size()) {
      const char c = pic[i];
      if (c == '"' || c == '\'') {
        const std::size_t close = pic.find(c, i + 1);
        if (close == std::string_view::npos) {  // unbalanced: the rest is text
          Out.append(pic.substr(i + 1));
          return;
        }
        Out.append(pic.substr(i + 1, close - i - 1));
        i = close + 1;
        continue;
      }
      if (c == '/') {
        Out += Fs.DateSeparator;
        ++i;
        continue;
      }
      if (c == ':') {
        Out += Fs.TimeSeparator;
        ++i;
        continue;
      }
      if (!IsLetter(c)) {
        Out += c;
        ++i;
        continue;
      }
      char token = Upper(c);
      if (token == 'A') {
        i = AmPm(pic, i);
        lastToken = token;
        continue;
      }
      std::size_t count = 1;
      while (i + count < pic.size() && Upper(pic[i + count]) == token) ++count;
      const std::size_t next = i + count;
      if (token == 'M' && lastToken == 'H' && count <= 2) token = 'N';
      lastToken = token;
      switch (token) {
        case 'Y':
          if (count <= 2)
            Number(Date.Year % 100, 2);
          else
            Number(Date.Year, 4);
          break;
        case 'M':
          if (count <= 2)
            Number(Date.Month, static_cast<int>(count));
          else if (Date.Month >= 1 && Date.Month <= 12)
            Out += count == 3 ? Fs.ShortMonthNames[Date.Month - 1] : Fs.LongMonthNames[Date.Month - 1];
          break;
        case 'D':
          if (count <= 2)
            Number(Date.Day, static_cast<int>(count));
          else if (count == 3)
            Out += Fs.ShortDayNames[static_cast<std::size_t>(Weekday - 1) % 7];
          else if (count == 4)
            Out += Fs.LongDayNames[static_cast<std::size_t>(Weekday - 1) % 7];
          else if (depth < kMaxExpansionDepth)
            Append(count == 5 ? Fs.ShortDateFormat : Fs.LongDateFormat, depth + 1);
          break;
        case 'H': {
          int h = Time.Hour;
          if (TwelveHourClock(pic, next)) h = h == 0 ? 12 : (h > 12 ? h - 12 : h);
          Number(h, count == 1 ? 1 : 2);
          break;
        }
        case 'N':
          Number(Time.Minute, count == 1 ? 1 : 2);
          break;
        case 'S':
          Number(Time.Second, count == 1 ? 1 : 2);
          break;
        case 'Z':
          Number(Time.Millisecond, count == 1 ? 1 : 3);
          break;
        case 'T':
          if (depth < kMaxExpansionDepth) Append(count == 1 ? Fs.ShortTimeFormat : Fs.LongTimeFormat, depth + 1);
          break;
        case 'C':
          if (depth < kMaxExpansionDepth) {
            Append(Fs.ShortDateFormat, depth + 1);
            if (Time.Hour != 0 || Time.Minute != 0 || Time.Second != 0 || Time.Millisecond != 0) {
              Out += ' ';
              Append(Fs.LongTimeFormat, depth + 1);
            }
          }
          break;
        default:
          Out.append(pic.substr(i, count));
          break;  // not a picture letter: copied
      }
      i = next;
    }
  }

  std::string Out;

 private:
  void Number(int v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", digits, v);
    Out += buf;
  }

  // An "h" counts on the 12-hour clock when the next "a" outside quotes (before any other "h")
  // begins a marker.
  static bool TwelveHourClock(std::string_view pic, std::size_t i) {
    for (; i < pic.size(); ++i) {
      const char c = pic[i];
      if (c == '"' || c == '\'') {
        const std::size_t close = pic.find(c, i + 1);
        if (close == std::string_view::npos) return false;
        i = close;
      } else if (c == 'h' || c == 'H') {
        return false;
      } else if (c == 'a' || c == 'A') {
        return StartsWithAt(pic, i, "am/pm") || StartsWithAt(pic, i, "a/p") || StartsWithAt(pic, i, "ampm");
      }
    }
    return false;
  }

  // The marker at i: "am/pm" and "a/p" write their own letters in the case they were written,
  // "ampm" the settings' strings; any other "a" is copied. Returns the position after it.
  std::size_t AmPm(std::string_view pic, std::size_t i) {
    const bool pm = Time.Hour >= 12;
    if (StartsWithAt(pic, i, "am/pm")) {
      Out.append(pic.substr(pm ? i + 3 : i, 2));
      return i + 5;
    }
    if (StartsWithAt(pic, i, "a/p")) {
      Out += pic[pm ? i + 2 : i];
      return i + 3;
    }
    if (StartsWithAt(pic, i, "ampm")) {
      Out += pm ? Fs.TimePMString : Fs.TimeAMString;
      return i + 4;
    }
    Out += pic[i];
    return i + 1;
  }

  const TFormatSettings& Fs;
  TDateParts Date;
  TTimeParts Time;
  int Weekday = 1;
};

}  // namespace

std::string FormatDateTime(std::string_view picture, TDateTime dt, const TFormatSettings& fs) {
  TDateTimeWriter w(dt, fs);
  w.Append(picture.empty() ? std::string_view("c") : picture, 0);
  return w.Out;
}

}  // namespace qvs

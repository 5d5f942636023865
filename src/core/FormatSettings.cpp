#include "core/FormatSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <string_view>

namespace qvs {
namespace {

// Converts a strftime date or time form ("%d/%m/%Y", "%H:%M:%S") into a picture, and notes the
// first separator it uses.
std::string PictureFromStrftime(std::string_view f, std::string* separator) {
  std::string out;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%' || i + 1 >= f.size()) {
      if (separator && separator->empty() && (f[i] == '/' || f[i] == '.' || f[i] == '-' || f[i] == ':'))
        *separator = std::string(1, f[i]);
      if (f[i] == '/' || f[i] == ':') out += f[i];  // become the settings' separators again
      else out += '"' + std::string(1, f[i]) + '"';
      continue;
    }
    char c = f[++i];
    if (c == 'E' || c == 'O' || c == '-') {
      if (i + 1 >= f.size()) break;
      c = f[++i];
    }
    switch (c) {
      case 'd': out += "dd"; break;
      case 'e': out += "d"; break;
      case 'm': out += "mm"; break;
      case 'b': case 'h': out += "mmm"; break;
      case 'B': out += "mmmm"; break;
      case 'y': out += "yy"; break;
      case 'Y': out += "yyyy"; break;
      case 'a': out += "ddd"; break;
      case 'A': out += "dddd"; break;
      case 'H': out += "hh"; break;
      case 'I': case 'l': out += "hh"; break;
      case 'M': out += "nn"; break;
      case 'S': out += "ss"; break;
      case 'p': out += "ampm"; break;
      case 'T': out += "hh:nn:ss"; break;
      case 'R': out += "hh:nn"; break;
      case 'D': out += "mm/dd/yy"; break;
      case 'F': out += "yyyy-mm-dd"; break;
      default: break;
    }
  }
  return out;
}

std::string FromLanginfo(nl_item item, locale_t loc) {
  const char* s = nl_langinfo_l(item, loc);
  return s ? std::string(s) : std::string();
}

}  // namespace

TFormatSettings TFormatSettings::Invariant() { return TFormatSettings{}; }

TFormatSettings TFormatSettings::FromLocale(const std::string& localeName) {
  std::string name = localeName;
  if (name.empty()) {
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
      const char* v = std::getenv(var);
      if (v && *v) {
        name = v;
        break;
      }
    }
  }
  TFormatSettings fs = Invariant();
  if (name.empty() || name == "C" || name == "POSIX" || name == "C.UTF-8" || name == "C.utf8") return fs;
  locale_t loc = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(nullptr));
  if (!loc) return fs;

  const std::string dec = FromLanginfo(RADIXCHAR, loc);
  if (!dec.empty()) fs.DecimalSeparator = dec;
  fs.ThousandSeparator = FromLanginfo(THOUSEP, loc);

  std::string dateSep, timeSep;
  const std::string dfmt = FromLanginfo(D_FMT, loc);
  const std::string tfmt = FromLanginfo(T_FMT, loc);
  std::string shortDate = PictureFromStrftime(dfmt, &dateSep);
  std::string longTime = PictureFromStrftime(tfmt, &timeSep);
  if (!dateSep.empty()) fs.DateSeparator = dateSep;
  if (!timeSep.empty()) fs.TimeSeparator = timeSep;
  // Literal separators became quoted text; write them back as the separator letters.
  auto unquote = [](std::string p, const std::string& sep, char as) {
    const std::string quoted = "\"" + sep + "\"";
    for (std::size_t pos; !sep.empty() && (pos = p.find(quoted)) != std::string::npos;) p.replace(pos, quoted.size(), 1, as);
    return p;
  };
  shortDate = unquote(shortDate, dateSep, '/');
  longTime = unquote(longTime, timeSep, ':');
  if (!shortDate.empty()) fs.ShortDateFormat = shortDate;
  if (!longTime.empty()) {
    fs.LongTimeFormat = longTime;
    std::string shortTime = longTime;
    const auto pos = shortTime.find(":ss");
    if (pos != std::string::npos) shortTime.erase(pos, 3);
    fs.ShortTimeFormat = shortTime;
  }
  const std::string am = FromLanginfo(AM_STR, loc), pm = FromLanginfo(PM_STR, loc);
  fs.TimeAMString = am;
  fs.TimePMString = pm;
  for (int i = 0; i < 12; ++i) {
    fs.ShortMonthNames[i] = FromLanginfo(static_cast<nl_item>(ABMON_1 + i), loc);
    fs.LongMonthNames[i] = FromLanginfo(static_cast<nl_item>(MON_1 + i), loc);
  }
  for (int i = 0; i < 7; ++i) {
    fs.ShortDayNames[i] = FromLanginfo(static_cast<nl_item>(ABDAY_1 + i), loc);
    fs.LongDayNames[i] = FromLanginfo(static_cast<nl_item>(DAY_1 + i), loc);
  }
  freelocale(loc);
  return fs;
}

}  // namespace qvs

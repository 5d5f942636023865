#pragma once
// Locale-dependent text forms, built once from the user's locale and passed explicitly.
// Nothing in the core reads the process locale: numbers in files always use ".".

#include <array>
#include <string>

namespace qvs {

struct TFormatSettings {
  std::string DecimalSeparator = ".";
  std::string ThousandSeparator = ",";
  std::string DateSeparator = "/";   // what "/" in a date picture produces
  std::string TimeSeparator = ":";   // what ":" in a date picture produces
  std::string ShortDateFormat = "dd/mm/yyyy";
  std::string LongDateFormat = "dddd, d mmmm yyyy";
  std::string ShortTimeFormat = "hh:nn";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                             "July",    "August",   "September", "October", "November", "December"};
  // Sunday first, as the picture language numbers the days.
  std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> LongDayNames{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

  // English names, "." decimals, "," thousands, day/month/year order: the form tests and files use.
  static TFormatSettings Invariant();

  // The forms of a named POSIX locale ("de_DE.UTF-8"); an empty name takes LC_ALL, LC_TIME or LANG
  // from the environment. A locale that is not installed gives Invariant().
  static TFormatSettings FromLocale(const std::string& localeName = {});
};

}  // namespace qvs

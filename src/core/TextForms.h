#pragma once
// The value, date and duration texts that messages, the file list and the reports are built from.

#include <string>
#include <string_view>

#include "core/DateTime.h"
#include "core/FormatSettings.h"

namespace qvs {

// The no-value sentinel of live readings and options shown as "None".
inline constexpr double kNoValue = 1234.5678;
// True unless |x| is within 0.0001 of the sentinel.
bool IsValueSet(double x);

// "ddd d mmm yyyy"
std::string DayText(TDateTime dt, const TFormatSettings& fs);
// "ddd d mmm yyyy hh:nn:ss"
std::string LongDateTimeText(TDateTime dt, const TFormatSettings& fs);
// The long form, or "None" for values below 1.0.
std::string LongDateTimeOrNone(TDateTime dt, const TFormatSettings& fs);
// The long form, or "Never" for values below 1.0.
std::string LongDateTimeOrNever(TDateTime dt, const TFormatSettings& fs);
// "dd-mm-yy hh:nn:ss"
std::string ShortDateTimeText(TDateTime dt, const TFormatSettings& fs);
// The locale's short date and long time ("Processing started at ...").
std::string LocaleDateTimeText(TDateTime dt, const TFormatSettings& fs);

// "%1.0f °C", "%1.2f °C", "%1.3f °C" with decimals 0, 2 or 3.
std::string TemperatureText(double celsius, int decimals, const TFormatSettings& fs);
// "%1.1f %RH"
std::string HumidityText(double rh, const TFormatSettings& fs);
// "%1.2f" / "%1.3f"; the sentinel gives "None".
std::string NumberText(double x, int decimals, const TFormatSettings& fs);

// Minutes and seconds of a duration: whole hours (after adding 1 ms), ":", then "nn:ss".
std::string HoursMinutesSecondsText(double days, const TFormatSettings& fs);

double FahrenheitToCelsius(double f);
double KelvinToCelsius(double k);

// Duration texts (durations in days). Each adds one microsecond before splitting; a negative value
// gives the text of its magnitude after "-" (period, compact) or "minus " (long).
// Values that are not finite or too large to split give "None" (period, long) or "" (compact).
std::string PeriodDurationText(double days, const TFormatSettings& fs);   // 30s, 5m 30s, 2h 5m 30s, 3d 2h 5m 30s
std::string CompactDurationText(double days, const TFormatSettings& fs);  // 30s, 5m 30s, 2h 5m, 10d 3h, 2w 3d, 1y 6m
std::string LongDurationText(double days, const TFormatSettings& fs);     // 1 day, 5 minutes

// The text with every CR and LF removed, then trimmed of leading and trailing blanks and controls.
std::string SingleLine(std::string_view text);
// Trimmed of leading and trailing characters up to and including the blank.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
// ASCII letter case; bytes above 127 are left alone.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);

// The file name without its folder ("/" and "\" both end a folder).
std::string ExtractFileName(std::string_view path);
// The folder with its trailing "/" (empty when the path has no folder).
std::string ExtractFilePath(std::string_view path);
// The extension from the last "." of the name part, dot included; "" when none.
std::string ExtractFileExt(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string IncludeTrailingPathDelimiter(std::string_view path);

}  // namespace qvs

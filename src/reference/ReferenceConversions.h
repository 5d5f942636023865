#pragma once
// Conversions of the numbers, dates and times that reference files hold, with explicit settings
// (never the process locale).

#include <array>
#include <string_view>

#include "core/DateTime.h"
#include "core/FormatSettings.h"

namespace qvs {

// The order of day ('d'), month ('m') and year ('y') in a date picture such as "dd/mm/yy" or
// "yyyy-mm-dd"; quoted text is skipped. A picture without all three takes its first letter's
// order (m: month day year, y: year month day, otherwise day month year).
std::array<char, 3> DateOrderOf(std::string_view picture);

// A time of day: hours, optionally the time separator and minutes, optionally a second separator
// and seconds, optionally "." (or the decimal separator) and fractions of a second, then
// optionally blanks and an AM/PM marker (the settings' texts, "AM"/"PM" or "A"/"P", any case).
// Surrounding blanks are allowed. Hours 0-23 (1-12 with a marker), minutes and seconds 0-59.
bool TryTextToTime(std::string_view text, const TFormatSettings& fs, TDateTime& time);

// A date in the order of the settings' short date picture with the settings' date separator
// (three numbers; a year of one or two digits lies in 1950-2049), optionally followed by blanks
// or "T" and a time of day as above. Text that does not begin with a valid date is read as a time
// of day alone, which lies on day zero. Dates that do not exist fail.
bool TryTextToDateTime(std::string_view text, const TFormatSettings& fs, TDateTime& dateTime);

// A decimal number: optional sign, digits with an optional decimal separator and fraction (one
// digit at least), optional exponent; surrounding blanks allowed. No thousands separators, no
// "inf" or "nan"; values beyond the double range (either way) fail.
bool TryTextToFloat(std::string_view text, std::string_view decimalSeparator, double& value);

// Whether a value can be stored as a finite single-precision sample.
bool IsStorableSample(double value);

}  // namespace qvs

#pragma once
// The classic date-time picture language, in full:
//   c            short date, a blank, long time (the time is left out at midnight)
//   d dd         day of month;  ddd dddd day name;  ddddd short date;  dddddd long date
//   m mm         month (or minutes when it follows h/hh, with only quoted text between);  mmm mmmm month names
//   yy yyyy      year
//   h hh         hour;  n nn minutes;  s ss seconds;  z zzz milliseconds
//   t tt         short and long time
//   am/pm a/p    12-hour clock with that marker (case kept);  ampm  the settings' AM/PM strings
//   /  :         the settings' date and time separators
//   "text" 'text' literal text
// Letters are matched case-insensitively; any other character is copied.
// An unbalanced quote copies the rest of the picture as text; nothing fails.

#include <string>
#include <string_view>

#include "core/DateTime.h"
#include "core/FormatSettings.h"

namespace qvs {

std::string FormatDateTime(std::string_view picture, TDateTime dt, const TFormatSettings& fs);

}  // namespace qvs

#pragma once
// Comma text, the string-list convention used in project and settings files:
// values joined by ","; a value holding a blank, a control character, "," or '"' is written in
// double quotes with inner quotes doubled; a single empty value is written "".
// Reading: leading blanks are skipped, an unquoted value ends at "," or at a blank, a quoted value
// ends at its closing quote (text after it up to the next "," starts another value),
// a trailing "," adds an empty value, an unclosed quote takes the rest of the text.

#include <string>
#include <string_view>
#include <vector>

namespace qvs {

std::string ToCommaText(const std::vector<std::string>& values);
std::vector<std::string> FromCommaText(std::string_view text);
// Value i of a comma text; an index beyond the last value (or negative) gives "".
std::string CommaValue(const std::vector<std::string>& values, int index);
// A value quoted the way comma text quotes it: '"' + value with '"' doubled + '"'.
std::string QuotedString(std::string_view value, char quote = '"');

}  // namespace qvs

#include "core/CommaText.h"

namespace qvs {
namespace {

// Blanks and control characters (a NUL byte included) separate unquoted values.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool NeedsQuotes(std::string_view v) {
  for (const char c : v)
    if (IsBlank(c) || c == '"' || c == ',') return true;
  return false;
}

}  // namespace

std::string QuotedString(std::string_view value, char quote) {
  std::string out;
  out.reserve(value.size() + 2);
  out += quote;
  for (const char c : value) {
    out += c;
    if (c == quote) out += quote;
  }
  out += quote;
  return out;
}

std::string ToCommaText(const std::vector<std::string>& values) {
  if (values.size() == 1 && values[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ',';
    out += NeedsQuotes(values[i]) ? QuotedString(values[i]) : values[i];
  }
  return out;
}

std::vector<std::string> FromCommaText(std::string_view text) {
  std::vector<std::string> values;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto skipBlanks = [&] {
    while (i < n && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  while (i < n) {
    std::string value;
    if (text[i] == '"') {
      // Up to the closing quote; a doubled quote stands for one. Unclosed: the rest of the text.
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            value += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
    } else {
      const std::size_t start = i;
      while (i < n && !IsBlank(text[i]) && text[i] != ',') ++i;
      value.assign(text.substr(start, i - start));
    }
    values.push_back(std::move(value));
    skipBlanks();
    if (i < n && text[i] == ',') {
      ++i;
      skipBlanks();
      // A "," with nothing after it still announces a value.
      if (i >= n) values.emplace_back();
    }
  }
  return values;
}

std::string CommaValue(const std::vector<std::string>& values, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= values.size()) return {};
  return values[static_cast<std::size_t>(index)];
}

}  // namespace qvs

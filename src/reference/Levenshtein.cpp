#include "reference/Levenshtein.h"

#include <algorithm>
#include <vector>

#include "reference/InstrumentText.h"

namespace qvs {
namespace {

char32_t UpperCaseOf(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;  // Latin-1 letters
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs: upper case on the even code point, except where the pairs shift.
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 0) ? c - 1 : c;
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c % 2 == 1) ? c - 1 : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;                // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

}  // namespace

std::u32string UpperCaseCharacters(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out.push_back(UpperCaseOf(NextCodePoint(text, i)));
  return out;
}

int LevenshteinDistance(std::string_view a, std::string_view b) {
  std::u32string s = UpperCaseCharacters(a);
  std::u32string t = UpperCaseCharacters(b);
  // The common prefix and suffix never add to the distance.
  std::size_t prefix = 0;
  while (prefix < s.size() && prefix < t.size() && s[prefix] == t[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < s.size() - prefix && suffix < t.size() - prefix &&
         s[s.size() - 1 - suffix] == t[t.size() - 1 - suffix])
    ++suffix;
  const std::u32string_view x = std::u32string_view(s).substr(prefix, s.size() - prefix - suffix);
  const std::u32string_view y = std::u32string_view(t).substr(prefix, t.size() - prefix - suffix);
  if (x.empty()) return static_cast<int>(y.size());
  if (y.empty()) return static_cast<int>(x.size());
  // One row of the distance table over the shorter text.
  const std::u32string_view& lng = x.size() >= y.size() ? x : y;
  const std::u32string_view& sht = x.size() >= y.size() ? y : x;
  std::vector<int> row(sht.size() + 1);
  for (std::size_t j = 0; j <= sht.size(); ++j) row[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= lng.size(); ++i) {
    int diagonal = row[0];
    row[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= sht.size(); ++j) {
      const int above = row[j];
      const int cost = lng[i - 1] == sht[j - 1] ? 0 : 1;
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + cost});
      diagonal = above;
    }
  }
  return row[sht.size()];
}

double Similarity(std::string_view a, std::string_view b) {
  const std::size_t la = UpperCaseCharacters(a).size();
  const std::size_t lb = UpperCaseCharacters(b).size();
  const std::size_t longer = std::max(la, lb);
  if (longer == 0) return 1.0;
  return 1.0 - static_cast<double>(LevenshteinDistance(a, b)) / static_cast<double>(longer);
}

}  // namespace qvs

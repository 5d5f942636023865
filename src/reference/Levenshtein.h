#pragma once
// Edit distance and similarity of channel IDs, compared by character after upper-casing.

#include <string>
#include <string_view>

namespace qvs {

// The code points of a UTF-8 text, upper-cased (ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters; other characters unchanged). Bytes that are not valid UTF-8 count as U+FFFD.
std::u32string UpperCaseCharacters(std::string_view text);

// The least number of single-character insertions, deletions and substitutions that turn a into
// b, characters compared after upper-casing; the other's length when either is empty.
int LevenshteinDistance(std::string_view a, std::string_view b);

// 1 - LevenshteinDistance(a, b) / the longer length in characters; 1 for two empty texts.
double Similarity(std::string_view a, std::string_view b);

// A channel matches its target only when the similarity is strictly greater than this.
inline constexpr double kChannelMatchThreshold = 0.25;

}  // namespace qvs

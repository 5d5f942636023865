// Edit distance and similarity of channel IDs.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "reference/Levenshtein.h"

namespace qvs {
namespace {

// The textbook full table over ASCII, upper-cased, without the prefix and suffix shortcut.
int FullTableDistance(const std::string& a, const std::string& b) {
  auto up = [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); };
  std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = static_cast<int>(i);
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j)
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (up(a[i - 1]) == up(b[j - 1]) ? 0 : 1)});
  return d[a.size()][b.size()];
}

TEST(LevenshteinDistance, CountsInsertionsDeletionsAndSubstitutions) {
  struct TCase {
    const char* A;
    const char* B;
    int Distance;
  } cases[] = {
      {"", "", 0},
      {"", "abc", 3},
      {"abc", "", 3},
      {"kitten", "sitting", 3},
      {"probe2", "Probe 1", 2},
      {"probe2", "Probe 2", 1},
      {"probe2", "Ambient", 6},
      {"ABC", "abc", 0},
      {"flaw", "lawn", 2},
      {"abcdef", "abXdef", 1},
      {"aaaa", "aa", 2},
      {"ab", "ba", 2},
      // Characters, not bytes: an accented letter is one substitution, and case folds beyond ASCII.
      {"Temp \xC2\xB0"
       "C",
       "Temp C", 1},
      {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", 0},
      {"\xD0\xB4\xD0\xB0", "\xD0\x94\xD0\x90", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(LevenshteinDistance(c.A, c.B), c.Distance) << c.A << " / " << c.B;
}

TEST(LevenshteinDistance, AgreesWithTheFullTableOnRandomTexts) {
  std::mt19937 random(20240512);
  const std::string alphabet = "abAB c1";
  for (int n = 0; n < 2000; ++n) {
    std::string a, b;
    const int la = static_cast<int>(random() % 9), lb = static_cast<int>(random() % 9);
    for (int i = 0; i < la; ++i) a += alphabet[random() % alphabet.size()];
    for (int i = 0; i < lb; ++i) b += alphabet[random() % alphabet.size()];
    ASSERT_EQ(LevenshteinDistance(a, b), FullTableDistance(a, b)) << '"' << a << "\" / \"" << b << '"';
  }
}

TEST(Similarity, IsOneLessTheDistanceOverTheLongerLength) {
  EXPECT_NEAR(Similarity("probe2", "Probe 1"), 1 - 2.0 / 7, 1e-12);
  EXPECT_NEAR(Similarity("probe2", "Probe 2"), 1 - 1.0 / 7, 1e-12);
  EXPECT_NEAR(Similarity("probe2", "Ambient"), 1 - 6.0 / 7, 1e-12);
  EXPECT_EQ(Similarity("", ""), 1.0);
  EXPECT_EQ(Similarity("abc", ""), 0.0);
  EXPECT_EQ(Similarity("xyz", "A"), 0.0);
  // Lengths count characters, not bytes.
  EXPECT_NEAR(Similarity("Temp \xC2\xB0"
                         "C",
                         "Temp FC"),
              1 - 1.0 / 7, 1e-12);
}

}  // namespace
}  // namespace qvs

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/CommaText.h"

namespace qvs {
namespace {

using TValues = std::vector<std::string>;

TEST(CommaText, WritesValuesQuotedOnlyWhenNeeded) {
  const struct {
    TValues Values;
    const char* Expected;
  } cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"", ""}, ","},
      {{"a", "b"}, "a,b"},
      {{"a", "", "b"}, "a,,b"},
      {{"a b"}, "\"a b\""},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"tab\there"}, "\"tab\there\""},
      {{"25.0 \xC2\xB0"
        "C"},
       "\"25.0 \xC2\xB0"
       "C\""},
      {{"\xC2\xB0"
        "C"},
       "\xC2\xB0"
       "C"},  // bytes above 127 need no quotes
      {{"C:\\Data\\file.kv", "ID 1", "1"}, "C:\\Data\\file.kv,\"ID 1\",1"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToCommaText(c.Values), c.Expected);
  // A NUL inside a value is a control character: quoted, and the whole value survives.
  EXPECT_EQ(ToCommaText({std::string("nul\0byte", 8)}), std::string("\"nul\0byte\"", 10));
}

TEST(CommaText, ReadsTheStringListConvention) {
  const struct {
    std::string Text;
    TValues Expected;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"\"\"", {""}},
      {"a,b", {"a", "b"}},
      {"a b", {"a", "b"}},  // an unquoted blank ends a value
      {"  a , b  ", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a", ""}},
      {"a, ", {"a", ""}},
      {"\"a,b\",c", {"a,b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"x\"y", {"x\"y"}},                 // a quote inside an unquoted value is an ordinary character
      {"\"ab\"cd,e", {"ab", "cd", "e"}},  // text after the closing quote starts another value
      {"\"unclosed, text", {"unclosed, text"}},
      {"\"unclosed \"\" quote", {"unclosed \" quote"}},
      {"a\r\nb", {"a", "b"}},
      {std::string("a\0b", 3), {"a", "b"}},
      {"\"\xC2\xB0"
       "C\",\xC2\xB0"
       "F",
       {"\xC2\xB0"
        "C",
        "\xC2\xB0"
        "F"}},
  };
  for (const auto& c : cases) EXPECT_EQ(FromCommaText(c.Text), c.Expected) << "\"" << c.Text << "\"";
}

TEST(CommaText, NestedListsRoundTrip) {
  // A data file list: one comma text per file, each the comma text of path, comment and flag.
  const std::vector<TValues> rows = {
      {"Room A/logger 1.kv", "North \"wall\"", "1"}, {"b.kv", "", "0"}, {"c.kv", "x", "1"}};
  TValues lines;
  for (const auto& r : rows) lines.push_back(ToCommaText(r));
  const std::string text = ToCommaText(lines);
  EXPECT_EQ(text, "\"\"\"Room A/logger 1.kv\"\",\"\"North \"\"\"\"wall\"\"\"\"\"\",1\",\"b.kv,,0\",\"c.kv,x,1\"");
  const TValues back = FromCommaText(text);
  ASSERT_EQ(back.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(FromCommaText(back[i]), rows[i]);
}

TEST(CommaText, AnyListRoundTrips) {
  std::mt19937 rng(7);
  const std::string alphabet = std::string("ab ,\"\t\r\n'\\;\x7F\x80\xC2\xB0", 15) + std::string(1, '\0');
  std::uniform_int_distribution<int> count(0, 5), length(0, 6);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (int n = 0; n < 5000; ++n) {
    TValues values(static_cast<std::size_t>(count(rng)));
    for (auto& v : values)
      for (int k = length(rng); k > 0; --k) v += alphabet[pick(rng)];
    ASSERT_EQ(FromCommaText(ToCommaText(values)), values) << ToCommaText(values);
  }
}

TEST(CommaText, ValueBeyondTheLastIsEmpty) {
  const TValues v = {"a", "b"};
  EXPECT_EQ(CommaValue(v, 1), "b");
  EXPECT_EQ(CommaValue(v, 2), "");
  EXPECT_EQ(CommaValue(v, -1), "");
  EXPECT_EQ(CommaValue({}, 0), "");
}

TEST(CommaText, QuotedStringDoublesTheQuote) {
  EXPECT_EQ(QuotedString("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(QuotedString(""), "\"\"");
  EXPECT_EQ(QuotedString("it's", '\''), "'it''s'");
}

}  // namespace
}  // namespace qvs

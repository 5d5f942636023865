#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "core/Format.h"

namespace qvs {
namespace {

TEST(Format, IntegersAndTexts) {
  const struct {
    std::string Got;
    const char* Expected;
  } cases[] = {
      {Format("%d", {42}), "42"},
      {Format("%5d|", {42}), "   42|"},
      {Format("%-5d|", {42}), "42   |"},
      {Format("%.5d", {-42}), "-00042"},
      {Format("%05d", {42}), "   42"},  // no zero flag: "05" is a width
      {Format("%d", {LLONG_MIN}), "-9223372036854775808"},
      {Format("%d", {4000000000u}), "4000000000"},
      {Format("%6u", {123}), "   123"},
      {Format("%u", {ULLONG_MAX}), "18446744073709551615"},
      {Format("%x", {255}), "FF"},
      {Format("%2.2x%2.2x", {10, 171}), "0AAB"},
      {Format("%x", {-1}), "FFFFFFFFFFFFFFFF"},
      {Format("%8.8p", {reinterpret_cast<const void*>(0x1A2B)}), "00001A2B"},
      {Format("%p", {reinterpret_cast<const void*>(0x10)}), "0000000000000010"},
      {Format("%s", {"abc"}), "abc"},
      {Format("%-10s: %s", {"tag", "text"}), "tag       : text"},
      {Format("%5s|", {std::string("ab")}), "   ab|"},
      {Format("%.2s", {"abcdef"}), "ab"},
      // Widths and precisions count characters, not bytes: "°" is two bytes.
      {Format("%-4s|", {"°C"}), "°C  |"},
      {Format("%.1s", {"°C"}), "°"},
      {Format("100%% of %d%%", {7}), "100% of 7%"},
      {Format("%D %S %X", {1, "a", 171}), "1 a AB"},
      {Format("no specifiers", {}), "no specifiers"},
      {Format("%1:s %0:s %s", {"a", "b", "c"}), "b a b"},
      {Format("%*d|", {5, 42}), "   42|"},
      {Format("%-*d|", {4, 7}), "7   |"},
      {Format("%*d|", {-4, 7}), "7   |"},
      {Format("%.*f", {1, 2.25}), "2.3"},
      {Format("%s", {""}), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Got, c.Expected);
}

TEST(Format, RealNumbersRoundTheExactValueHalfAwayFromZero) {
  const struct {
    const char* Fmt;
    double Value;
    const char* Expected;
  } cases[] = {
      {"%1.0f", 0.5, "1"},
      {"%1.0f", 1.5, "2"},
      {"%1.0f", 2.5, "3"},
      {"%1.0f", -0.5, "-1"},
      {"%1.0f", -2.5, "-3"},
      {"%1.2f", 0.125, "0.13"},  // exactly representable: a true tie, away from zero
      {"%1.2f", 2.675, "2.67"},  // the double is 2.67499999999999982...
      {"%1.1f", 0.05, "0.1"},    // 0.05000000000000000277...
      {"%1.1f", 0.15, "0.1"},    // 0.14999999999999999444...
      {"%1.1f", 0.25, "0.3"},
      {"%1.3f", 1.0005, "1.000"},   // 1.00049999999999994493...
      {"%1.3f", -0.0004, "0.000"},  // negative zero after rounding has no sign
      {"%1.0f", -0.0, "0"},
      {"%1.2f", 9.995, "9.99"},  // 9.99499999999999921840...
      {"%1.2f", 9.9951, "10.00"},
      {"%f", 3.14159, "3.14"},
      {"%8.3f|", 3.14159, "   3.142|"},
      {"%-8.1f|", -3.14159, "-3.1    |"},
      {"%1.0f%%", 50.0, "50%"},
      {"%1.0f", 1e20, "100000000000000000000"},
      {"%1.20f", 0.1, "0.10000000000000000555"},
      {"%1.1f %%RH", 45.25, "45.3 %RH"},
      {"%e", 1000.0, "1.00000000000000E+003"},
      {"%e", 0.0, "0.00000000000000E+000"},
      {"%.3e", 1234.5, "1.23E+003"},
      {"%.2e", -0.0015, "-1.5E-003"},  // -0.00149999999999999996...
      {"%.1e", 9.96, "1E+001"},
      {"%.4e", 1e300, "1.000E+300"},
      {"%.3e", 2.5e-5, "2.50E-005"},
      {"%g", 0.1, "0.1"},
      {"%g", 0.1 + 0.2, "0.3"},
      {"%g", 100.0, "100"},
      {"%g", -1.5, "-1.5"},
      {"%g", 1e-5, "0.00001"},
      {"%g", 1e-6, "1E-6"},
      {"%g", 1e20, "1E20"},
      {"%g", 123456789012345678.0, "1.23456789012346E17"},
      {"%g", 0.0, "0"},
      {"%.3g", 1234.5, "1.23E3"},
      {"%n", 1234567.891, "1,234,567.89"},
      {"%10.0n|", 1234.0, "     1,234|"},
      {"%.0n", -1234567.0, "-1,234,567"},
      {"%.1n", 999.96, "1,000.0"},
      {"%m", 1234.5, "1,234.50"},
      {"%1.2f", std::nan(""), "NAN"},
      {"%5.1f|", std::numeric_limits<double>::infinity(), "  INF|"},
      {"%e", -std::numeric_limits<double>::infinity(), "-INF"},
      {"%g", std::nan(""), "NAN"},
      {"%n", std::numeric_limits<double>::infinity(), "INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.Fmt, {c.Value}), c.Expected) << c.Fmt << " of " << c.Value;
}

// The C library's printf is an independent exact conversion; it rounds exact ties to even, so
// those are left out (they are covered by the table above).
TEST(Format, FixedAndScientificAgreeWithPrintfAwayFromTies) {
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-12, 22);
  std::uniform_int_distribution<int> decimals(0, 8);
  char buf[1500];
  int compared = 0;
  for (int n = 0; n < 20000; ++n) {
    const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    const int dec = decimals(rng);
    // The exact expansion tells whether the value is a tie at this many decimals.
    std::snprintf(buf, sizeof buf, "%.1100f", v);
    const std::string exact = buf;
    const std::string tail = exact.substr(exact.find('.') + 1 + static_cast<std::size_t>(dec));
    if (tail.find_first_not_of('0', 1) == std::string::npos && tail[0] == '5') continue;
    std::snprintf(buf, sizeof buf, "%.*f", dec, v);
    std::string expected = buf;
    if (expected.find_first_not_of("-0.") == std::string::npos && expected[0] == '-') expected.erase(0, 1);
    ASSERT_EQ(Format("%.*f", {dec, v}), expected) << exact;

    std::snprintf(buf, sizeof buf, "%.*E", dec, v);  // printf: dec decimals, exponent of two or more digits
    std::string sci = buf;
    const std::size_t e = sci.find('E');
    std::string expDigits = sci.substr(e + 2);
    while (expDigits.size() < 3) expDigits.insert(0, "0");
    sci = sci.substr(0, e + 2) + expDigits;
    const std::string got = Format("%.*e", {dec + 1, v});
    // Ties at the last significant digit differ by rounding rule: skip those rare cases.
    if (got != sci) {
      std::snprintf(buf, sizeof buf, "%.1100E", std::fabs(v));
      const std::string exactSci = buf;
      const std::string rest = exactSci.substr(3 + static_cast<std::size_t>(dec), exactSci.find('E') - 3 - dec);
      ASSERT_TRUE(rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string::npos) << got << " vs " << sci;
    }
    ++compared;
  }
  EXPECT_GT(compared, 19000);
}

TEST(Format, RealTypesAcceptIntegers) {
  EXPECT_EQ(Format("%1.1f", {3}), "3.0");
  EXPECT_EQ(Format("%.0n", {1234567u}), "1,234,567");
  EXPECT_EQ(Format("%g", {-7}), "-7");
  EXPECT_EQ(Format("%.2e", {100LL}), "1.0E+002");
}

TEST(Format, UsesTheGivenSeparators) {
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.DecimalSeparator = ",";
  fs.ThousandSeparator = ".";
  EXPECT_EQ(Format("%1.2f", {3.5}, fs), "3,50");
  EXPECT_EQ(Format("%n", {1234.5}, fs), "1.234,50");
  EXPECT_EQ(Format("%.2e", {1234.5}, fs), "1,2E+003");
  EXPECT_EQ(Format("%g", {0.25}, fs), "0,25");
  fs.ThousandSeparator = "\xE2\x80\xAF";  // a narrow no-break space counts as one character
  EXPECT_EQ(Format("%8.0n|", {1234.0}, fs),
            "   1\xE2\x80\xAF"
            "234|");
  // The overload without settings is the invariant form whatever others use.
  EXPECT_EQ(Format("%1.2f", {3.5}), "3.50");
}

// Runs the call and checks that it raises EConvertError whose message names the format and the fault.
template <typename F>
void ExpectConvertError(F call, const std::string& fmt, const std::string& messagePart) {
  try {
    const std::string s = call();
    ADD_FAILURE() << fmt << " gave \"" << s << "\" instead of raising";
  } catch (const EConvertError& e) {
    EXPECT_NE(std::string(e.what()).find(messagePart), std::string::npos) << fmt << ": " << e.what();
    EXPECT_NE(std::string(e.what()).find(fmt), std::string::npos) << "the message names the format: " << e.what();
  }
}

TEST(Format, MismatchedFormatsRaiseConvertError) {
  ExpectConvertError([] { return Format("%d", {"x"}); }, "%d", "a text");
  ExpectConvertError([] { return Format("%d", {1.5}); }, "%d", "a real number");
  ExpectConvertError([] { return Format("%s", {1}); }, "%s", "an integer");
  ExpectConvertError([] { return Format("%x", {2.0}); }, "%x", "a real number");
  ExpectConvertError([] { return Format("%f", {"1.0"}); }, "%f", "a text");
  ExpectConvertError([] { return Format("%p", {"x"}); }, "%p", "a text");
  ExpectConvertError([] { return Format("Count: %d", {}); }, "Count: %d", "no argument");
  ExpectConvertError([] { return Format("%d %d", {1}); }, "%d %d", "argument 2");
  ExpectConvertError([] { return Format("%2:d", {1}); }, "%2:d", "argument 3");
  ExpectConvertError([] { return Format("%q", {1}); }, "%q", "unknown format type 'q'");
  ExpectConvertError([] { return Format("abc%", {}); }, "abc%", "incomplete");
  ExpectConvertError([] { return Format("%5.", {1}); }, "%5.", "incomplete");
  ExpectConvertError([] { return Format("%*d", {"x", 1}); }, "%*d", "needs an integer");
  ExpectConvertError([] { return Format("%999999d", {1}); }, "%999999d", "too large");
  ExpectConvertError([] { return Format("%.*f", {1000000, 1.0}); }, "%.*f", "too large");
}

TEST(FormatFloat, Pictures) {
  const struct {
    const char* Picture;
    double Value;
    const char* Expected;
  } cases[] = {
      {"###,###,##0", 1234567, "1,234,567"},
      {"###,###,##0", 0, "0"},
      {"###,###,##0", 12, "12"},
      // More digits than placeholders: the extra ones go where the first placeholder stands.
      {"###,###,##0", 1234567890, "1,234,567,890"},
      {"#,##0", 123, "123"},
      {"#,##0.00", 1234.5, "1,234.50"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {"0.00", 3.14159, "3.14"},
      {"0.00", -3.14159, "-3.14"},
      {"0.00", 2.675, "2.67"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0.0", 0.25, "0.3"},
      {"0.0", -0.01, "0.0"},  // rounds to zero: no minus sign
      {"000", 7, "007"},
      {"0.##", 1, "1"},
      {"0.##", 1.5, "1.5"},
      {"0.0#", 1.25, "1.25"},
      {"0.0#", 1.2, "1.2"},
      {"#.##", 0.5, ".5"},
      {".00", 0.5, ".50"},
      {".00", 12.5, "12.50"},
      {"#", 0, ""},
      {"00-00", 1234, "12-34"},
      {"0 'kg'", 2.5, "3 kg"},
      {"\"#\"0", 5, "#5"},
      {"0' ;'", 5, "5 ;"},
      {"0.0 'unclosed", 1, "1.0 unclosed"},
      {"0.00;(0.00)", -3.5, "(3.50)"},
      {"0.00;(0.00)", 3.5, "3.50"},
      {"0.00;(0.00);zero", 0, "zero"},
      {"0.00;(0.00);zero", -0.001, "zero"},
      {"0.00;(0.00);zero", 0.004, "zero"},
      {"0.00;;zero", -2, "-2.00"},
      {"0.00;(0.00);", 0, "0.00"},
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.00E-00", 1234.5, "1.23E03"},
      {"0.00E-00", 0.00012345, "1.23E-04"},
      {"0.00E+00", 0, "0.00E+00"},
      {"0.0e+0", 1e10, "1.0e+10"},
      {"00.0E+0", 1234, "12.3E+2"},     // two integer digits: 12.3 x 10^2
      {"0.00E+00", 9.999, "1.00E+01"},  // rounding carries into the exponent
      {"0.00E+000", -1e-100, "-1.00E-100"},
      {"0", 1e20, "100000000000000000000"},
      {"", 1234.5, "1234.5"},
      {"", 1e20, "1E20"},
      {"", std::nan(""), "NAN"},
      {"0.00", -std::numeric_limits<double>::infinity(), "-INF"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFloat(c.Picture, c.Value), c.Expected) << "\"" << c.Picture << "\" of " << c.Value;
}

TEST(FormatFloat, UsesTheGivenSeparators) {
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.DecimalSeparator = ",";
  fs.ThousandSeparator = ".";
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.125, fs), "1.234.567,13");
  fs.ThousandSeparator = "";
  EXPECT_EQ(FormatFloat("###,###,##0", 1234567, fs), "1234567");
}

}  // namespace
}  // namespace qvs

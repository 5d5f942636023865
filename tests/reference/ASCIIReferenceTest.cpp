// ASCII reference files: the reading scanner and the reader.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ReferenceTestSupport.h"
#include "core/DateTime.h"
#include "core/TextForms.h"
#include "reference/ASCIIReferenceFile.h"
#include "reference/ReferenceSimulator.h"

namespace qvs {
namespace {

TEST(ScanReading, ReadsDecimalRealAndOtherBaseNumbers) {
  struct TCase {
    const char* Text;
    std::optional<double> Value;
    const char* Rest;
  } cases[] = {
      {"21.375C", 21.375, "C"},
      {"70.1 F", 70.1, " F"},
      {"68F", 68, "F"},
      {"-5C", -5, "C"},
      {"- 5C", -5, "C"},
      {"+3c", 3, "c"},
      {"1e2C", 100, "C"},
      {"1.5E+1K", 15, "K"},
      {"20.5.1C", 20.5, ".1C"},
      {"21C", 21, "C"},
      {"$1F C", 31, " C"},
      {"0x1f C", 31, " C"},
      {"0x1fC", 0x1FC, ""},
      {"%101 C", 5, " C"},
      {"1FH C", 31, " C"},
      {"101b C", 5, " C"},
      {"17Q C", 15, " C"},
      {"12GH", 12, "GH"},
      {"0xG", 0, "xG"},
      {"007", 7, ""},
      {"abc", std::nullopt, ""},
      {".5C", std::nullopt, ""},
      {"", std::nullopt, ""},
      {"-", std::nullopt, ""},
      {"1.5-3C", std::nullopt, ""},
      {"$", std::nullopt, ""},
      {"$FFFFFFFFFFFFFFFFF", std::nullopt, ""},
      {"1eC", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    std::size_t pos = 0;
    double v = -999;
    const bool ok = ScanReading(c.Text, pos, v);
    ASSERT_EQ(ok, c.Value.has_value()) << c.Text;
    if (!ok) {
      EXPECT_EQ(pos, 0u) << c.Text;
      continue;
    }
    EXPECT_DOUBLE_EQ(v, *c.Value) << c.Text;
    EXPECT_EQ(std::string(c.Text).substr(pos), c.Rest) << c.Text;
  }
}

TEST(ReferenceCorrection, IsTheCubicInTheReading) {
  const TReferenceCorrectionCoefficients k{0.5f, 0.25f, 0.125f, 0.0625f};
  EXPECT_DOUBLE_EQ(ReferenceCorrection(k, 0), 0.5);
  EXPECT_DOUBLE_EQ(ReferenceCorrection(k, 2), 0.5 + 0.5 + 0.5 + 0.5);
  // The coefficients are singles: 0.1 is held as the single nearest to it.
  EXPECT_DOUBLE_EQ(ReferenceCorrection({0.1f, 0, 0, 0}, 10), static_cast<double>(0.1f));
}

class ASCIIReference : public test::TReferenceTest {
 protected:
  const TDateTime Day = EncodeDate(2024, 5, 12);
  TSampleRecord Series;
  TASCIIReferenceOptions Options;

  bool Read(const std::string& path, TDateTime day) {
    return ReadDataFromASCIIReferenceFile(Ctx, path, Series, day, Options);
  }
  bool ReadText(const std::string& text) { return Read(Folder.Write("ref.txt", text), Day); }
};

TEST_F(ASCIIReference, ReadsTheExampleLinesWithTheirUnits) {
  ASSERT_TRUE(Read(test::ReferenceDataFile("ascii_cr_line_ends.txt"), Day)) << OutputText();
  ASSERT_EQ(Series.Count(), 3);
  EXPECT_FLOAT_EQ(static_cast<float>(Series[0]), 21.375f);
  EXPECT_FLOAT_EQ(static_cast<float>(Series[1]), static_cast<float>((70.1 - 32) * 5 / 9));
  EXPECT_FLOAT_EQ(static_cast<float>(Series[2]), static_cast<float>(294.5 - 273.15));
  EXPECT_NEAR(Series.StartTime, Day + EncodeTime(14, 2, 10), 1e-9);
  EXPECT_NEAR(Series.SamplePeriod, 10 * kOneSecond, 1e-9);

  ASSERT_GE(Console.Output.size(), 6u);
  EXPECT_EQ(Console.Output[0], "Assuming start date of Sun 12 May 2024");
  EXPECT_EQ(Console.Output[1].rfind("Assumed reference samples start date: ", 0), 0u);
  EXPECT_NE(Console.Output[1].find("14:02:10"), std::string::npos) << Console.Output[1];
  const std::vector<std::string> tail(Console.Output.end() - 4, Console.Output.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"Reading of reference data finished: 3 lines, 3 samples",
                                            "  Sample Period: 10.00 s", "  First sample: Sun 12 May 2024 14:02:10",
                                            "  Last sample: Sun 12 May 2024 14:02:30"}));
  EXPECT_EQ(Console.StatusHistory.front(), "  Reading reference samples from file ascii_cr_line_ends.txt");
}

TEST_F(ASCIIReference, ReadsEachInstrumentsHabitsAcrossMidnight) {
  TASCIIInstrument fahrenheit;
  fahrenheit.Units = 'F';
  fahrenheit.BlankAfterColon = true;
  fahrenheit.BlankBeforeUnits = true;
  TASCIIInstrument kelvin;
  kelvin.Letter = 'T';
  kelvin.Units = 'k';
  kelvin.BeforeTime = "\t";
  kelvin.LineEnd = "\n";
  kelvin.Encoding = TSimulatedEncoding::UTF16LE;
  TASCIIInstrument commented;
  commented.CommentLines = {
      "Reference thermometer \xC2\xB0"
      "C",
      "", "   "};
  commented.Encoding = TSimulatedEncoding::Windows1252;
  commented.LineEnd = "\r";
  struct TCase {
    const char* Scenario;
    TASCIIInstrument Instrument;
  } cases[] = {{"Celsius", TASCIIInstrument{}},
               {"Fahrenheit with blanks", fahrenheit},
               {"lower-case kelvin, tab, UTF-16LE", kelvin},
               {"comments, Windows-1252, CR", commented}};
  // 23:50 to 00:15 the next day, every 30 s.
  const TDateTime start = Day + EncodeTime(23, 50, 0);
  const auto reading = SineReading(21, 2, 0.01);
  Options.IgnoreMalformedLines = true;  // the comment lines
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Scenario);
    Console.Output.clear();
    const std::string path = Folder.File("ref.txt");
    WriteSimulatedASCIIFile(path, c.Instrument, reading, start, 30 * kOneSecond, 51);
    ASSERT_TRUE(Read(path, Day)) << OutputText();
    ASSERT_EQ(Series.Count(), 51);
    EXPECT_NEAR(Series.StartTime, start, 1e-9);
    EXPECT_NEAR(Series.SamplePeriod, 30 * kOneSecond, 1e-9);
    for (int i = 0; i < 51; ++i) EXPECT_NEAR(Series[i], reading(start + i * 30 * kOneSecond), 1e-3) << i;
    EXPECT_EQ(Console.HasOutput("File contains comments"), !c.Instrument.CommentLines.empty());
  }
  EXPECT_TRUE(Errors().empty()) << OutputText();
}

TEST_F(ASCIIReference, AUTF16FileWithCommentsChangesDayAtMidnight) {
  Options.IgnoreMalformedLines = true;
  ASSERT_TRUE(Read(test::ReferenceDataFile("ascii_utf16_with_comments.txt"), Day)) << OutputText();
  ASSERT_EQ(Series.Count(), 2);
  EXPECT_NEAR(Series.StartTime, Day + EncodeTime(23, 59, 50), 1e-9);
  EXPECT_NEAR(Series.SamplePeriod, 20 * kOneSecond, 1e-9);
  EXPECT_EQ(OutputAfter("File contains comments"),
            (std::vector<std::string>{"|  Reference thermometer \xC2\xB0"
                                      "C",
                                      "|  ",
                                      "Assumed reference samples start date: " +
                                          LocaleDateTimeText(Day + EncodeTime(23, 59, 50), Ctx.FormatSettings),
                                      "Reading of reference data finished: 4 lines, 2 samples",
                                      "  Sample Period: 20.00 s", "  First sample: Sun 12 May 2024 23:59:50",
                                      "  Last sample: Mon 13 May 2024 00:00:10"}));
}

TEST_F(ASCIIReference, AFileOfBlankLinesHasNoSamples) {
  ASSERT_TRUE(ReadText("\r\n   \r\n\t\r\n"));
  EXPECT_EQ(Series.Count(), 0);
  EXPECT_DOUBLE_EQ(Series.SamplePeriod, kOneMinute);
  EXPECT_EQ(Series.StartTime, 0);
  EXPECT_EQ(OutputAfter("Assuming start date of Sun 12 May 2024"),
            (std::vector<std::string>{"File contains comments", "|  ", "|     ", "|  \t",
                                      "Reading of reference data finished: 3 lines, 0 samples",
                                      "  Sample Period: 60.00 s", "  First sample: Sat 30 Dec 1899 00:00:00",
                                      "  Last sample: Sat 30 Dec 1899 00:00:00"}));
}

TEST_F(ASCIIReference, OneDataLineGetsAPeriodOfOneMinute) {
  ASSERT_TRUE(ReadText("t:20C 10:00:00\n"));
  EXPECT_EQ(Series.Count(), 1);
  EXPECT_DOUBLE_EQ(Series.SamplePeriod, kOneMinute);
}

TEST_F(ASCIIReference, ConvertsFahrenheitAndKelvin) {
  ASSERT_TRUE(ReadText("t:68F 10:00:00\nt:293.15k 10:00:10\nt:20c 10:00:20\n"));
  EXPECT_EQ(Series.Values, (std::vector<float>{20.0f, 20.0f, 20.0f}));
}

TEST_F(ASCIIReference, AppliesTheOffsetAcrossTheDayBoundary) {
  Options.TimeOffset = -60;
  ASSERT_TRUE(ReadText("t:20C 00:30:00\n"));
  EXPECT_NEAR(Series.StartTime, Day - 1 + EncodeTime(23, 30, 0), 1e-9);
  EXPECT_TRUE(Console.HasOutput("Applying offset of -60 minutes to times in the file"));
}

TEST_F(ASCIIReference, AppliesTheCorrectionWhenAsked) {
  Options.ApplyCorrection = true;
  Options.Correction = {0.5f, 0.25f, 0, 0};
  ASSERT_TRUE(ReadText("t:20C 10:00:00\n"));
  EXPECT_EQ(Series[0], 20 + 0.5 + 0.25 * 20);
  Options.ApplyCorrection = false;
  ASSERT_TRUE(ReadText("t:20C 10:00:00\n"));
  EXPECT_EQ(Series[0], 20);
}

TEST_F(ASCIIReference, ReportsEachFormatErrorAtItsLine) {
  struct TCase {
    const char* Scenario;
    std::string Text;
    bool IgnoreMalformed;
    std::string Error;
    int Samples;  // appended before the error
  } cases[] = {
      {"blank before the letter", " t:20C 10:00:00\n", false,
       "Format error: \"t\" expected at line 1 (encountered \" \")", 0},
      {"other letter", "# comment\n", false, "Format error: \"t\" expected at line 1 (encountered \"#\")", 0},
      {"non-ASCII letter", "\xC2\xB0t\n", false, "Format error: \"t\" expected at line 1 (encountered \"\xC2\xB0\")",
       0},
      {"control character", std::string("\0t", 2), false,
       "Format error: \"t\" expected at line 1 (encountered \"<0x00>\")", 0},
      {"colon missing", "t;20C 10:00:00\n", false, "Format error: \":\" expected at line 1 (encountered \";\")", 0},
      {"letter alone", "t\n", false, "Format error: \":\" expected at line 1 (encountered \"\")", 0},
      {"no units and no time", "t:21.5\n", false, "Format error in time value at line 1\r\"\"", 0},
      {"no units and no time, malformed lines ignored", "t:21.5\n", true, "Format error in time value at line 1\r\"\"",
       0},
      {"time that is not a time", "t:21.5C 25:00:00\n", false, "Format error in time value at line 1\r\"25:00:00\"", 0},
      {"units X after the time was counted", "t:20C 10:00:00\nt:21X 10:00:10\n", false,
       "Format error in temperature units character at line 2: \"X\"", 1},
      {"reading that is not a number", "t:abc 10:00:00\n", true, "Format error in reading value at line 1\r\"abc\"", 0},
      {"reading beyond a single", "t:1e300C 10:00:00\n", false, "Format error in reading value at line 1\r\"1e300\"",
       0},
      {"line numbers count blank and comment lines", "\n\n# note\nt:20C 10:00:00\nt:20C nope\n", true,
       "Format error in time value at line 5\r\"nope\"", 1},
      {"22:30 then 00:30 is not a day change", "t:20C 22:30:00\nt:20C 00:30:00\n", false,
       "Format error: time at line 2 is earlier than the previous sample\r\"00:30:00\"", 1},
      {"repeated times only", "t:20C 10:00:00\nt:20C 10:00:00\n", false,
       "Format error: all 2 samples in file ref.txt have the same time", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Scenario);
    Console.Output.clear();
    Ctx.Halted = false;
    Options.IgnoreMalformedLines = c.IgnoreMalformed;
    EXPECT_FALSE(ReadText(c.Text));
    EXPECT_EQ(OnlyError(), c.Error);
    EXPECT_EQ(LastHelpContext(), 1320);
    EXPECT_EQ(Series.Count(), c.Samples);
    EXPECT_TRUE(Ctx.Halted);
  }
}

TEST_F(ASCIIReference, MalformedLinesAreCommentsWhenIgnored) {
  Options.IgnoreMalformedLines = true;
  ASSERT_TRUE(ReadText(" t:1C 10:00:00\nNotes\nt20C 10:00:05\nt:20C 10:00:10\n")) << OutputText();
  EXPECT_EQ(Series.Count(), 1);
  EXPECT_TRUE(Console.HasOutput("Treating lines without valid data as comments"));
  EXPECT_EQ(OutputAfter("File contains comments"),
            (std::vector<std::string>{"|   t:1C 10:00:00", "|  Notes", "|  t20C 10:00:05",
                                      "Assumed reference samples start date: " +
                                          LocaleDateTimeText(Day + EncodeTime(10, 0, 10), Ctx.FormatSettings),
                                      "Reading of reference data finished: 4 lines, 1 samples",
                                      "  Sample Period: 60.00 s", "  First sample: Sun 12 May 2024 10:00:10",
                                      "  Last sample: Sun 12 May 2024 10:00:10"}));
}

TEST_F(ASCIIReference, MegabyteLinesGiveShortMessages) {
  EXPECT_FALSE(ReadText("t:" + std::string(3'000'000, '1') + "C 10:00:00\n"));
  EXPECT_EQ(OnlyError().rfind("Format error in reading value at line 1\r\"111", 0), 0u);
  for (const auto& line : Console.Output) EXPECT_LT(line.size(), 1100u);
}

TEST_F(ASCIIReference, HaltStopsTheReadingWithTheLineNumber) {
  WriteSimulatedASCIIFile(Folder.File("long.txt"), TASCIIInstrument{}, ConstantReading(20), Day + 0.5, kOneMinute, 300);
  int polls = 0;
  Console.OnProcessMessages = [&] {
    if (++polls == 42) Ctx.HaltRequested = true;
  };
  EXPECT_FALSE(Read(Folder.File("long.txt"), Day));
  const auto errors = Errors();
  ASSERT_EQ(errors.size(), 2u) << OutputText();
  EXPECT_EQ(errors[0], "Aborted.");
  EXPECT_EQ(errors[1].rfind("Reading of reference data aborted at line ", 0), 0u);
  EXPECT_EQ(LastHelpContext(), 1327);
  const int line = std::stoi(errors[1].substr(42));
  EXPECT_EQ(Series.Count(), line - 1);
}

TEST_F(ASCIIReference, AFileThatCannotBeOpenedIsAnException) {
  const std::string path = Folder.File("missing.txt");
  EXPECT_FALSE(Read(path, Day));
  EXPECT_EQ(OnlyError(), "Exception Unable to open file (No such file or directory) importing file " + path);
  EXPECT_EQ(LastHelpContext(), 1318);
  EXPECT_EQ(Ctx.LastInternalError.Location, "ReadDataFromASCIIReferenceFile");
  EXPECT_EQ(Ctx.LastInternalError.Message, "Unable to open file (No such file or directory)");
}

TEST_F(ASCIIReference, BinaryRubbishIsAFormatErrorNotACrash) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919 + 13) % 256);
  EXPECT_FALSE(ReadText(bytes));
  EXPECT_EQ(Errors().size(), 1u);
}

}  // namespace
}  // namespace qvs

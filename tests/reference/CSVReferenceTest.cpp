// CSV reference files: row splitting, the file class, and reading one column into a series.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "ReferenceTestSupport.h"
#include "core/DateTime.h"
#include "reference/CSVDatafile.h"
#include "reference/ReferenceSimulator.h"

namespace qvs {
namespace {

std::vector<std::string> FieldsOf(std::string_view line, bool tabs = false) {
  TCSVDataRecord r;
  r.SetFromLine(line, tabs);
  std::vector<std::string> fields;
  for (int i = 0; i < r.Count(); ++i) fields.emplace_back(r.Field(i));
  return fields;
}

TEST(CSVDataRecord, SplitsAtEveryCommaWithQuotedFields) {
  using V = std::vector<std::string>;
  struct TCase {
    const char* Scenario;
    std::string Line;
    bool Tabs;
    V Fields;
  } cases[] = {
      {"plain", "a,b,c", false, V{"a", "b", "c"}},
      {"empty line has no fields", "", false, V{}},
      {"blanks belong to fields", " a , b ", false, V{" a ", " b "}},
      {"final comma adds an empty field", "a,", false, V{"a", ""}},
      {"lone comma", ",", false, V{"", ""}},
      {"empty fields", ",,", false, V{"", "", ""}},
      {"quoted comma", "\"x,y\",z", false, V{"x,y", "z"}},
      {"doubled quotes", "\"say \"\"hi\"\"\",1", false, V{"say \"hi\"", "1"}},
      {"text after a closing quote starts a field", "\"ab\"cd,ef", false, V{"ab", "cd", "ef"}},
      {"unclosed quote takes the rest", "\"open,rest", false, V{"open,rest"}},
      {"quote inside a field is text", "a\"b,c", false, V{"a\"b", "c"}},
      {"tab is text in a comma file", "a\tb,c", false, V{"a\tb", "c"}},
      {"tab is a comma in a tab file", "a\tb,c", true, V{"a", "b", "c"}},
      {"quoted tab becomes a comma", "\"x\ty\"\tz", true, V{"x,y", "z"}},
  };
  for (const auto& c : cases) EXPECT_EQ(FieldsOf(c.Line, c.Tabs), c.Fields) << c.Scenario;
}

TEST(CSVDataRecord, FieldBeyondTheLastIsEmptyAndCommaTextQuotesWhereNeeded) {
  TCSVDataRecord r;
  r.SetFromLine("Time,Probe 1,\"a,b\",x\"y", false);
  EXPECT_EQ(r.Field(9), "");
  EXPECT_EQ(r.Field(-1), "");
  EXPECT_EQ(r.CommaText(), "Time,\"Probe 1\",\"a,b\",\"x\"\"y\"");
  r.SetFromLine("\"\"", false);
  EXPECT_EQ(r.Count(), 1);
  EXPECT_EQ(r.CommaText(), "\"\"");
  // The progress count of a row: each field and its CR LF.
  r.SetFromLine("ab,c", false);
  EXPECT_EQ(r.TextLength(), 3u + 4u);
}

TEST(CSVDataRecord, CutsRowsWithMoreFieldsThanItHolds) {
  TCSVDataRecord r;
  r.SetFromLine(std::string(TCSVDataRecord::kMaximumFields - 1, ','), false);
  EXPECT_EQ(r.Count(), TCSVDataRecord::kMaximumFields);
  EXPECT_FALSE(r.Truncated);
  r.SetFromLine(std::string(TCSVDataRecord::kMaximumFields + 5, ','), false);
  EXPECT_EQ(r.Count(), TCSVDataRecord::kMaximumFields);
  EXPECT_TRUE(r.Truncated);
}

TEST(CSVDatafile, ReadsLinesRecordsAndSeeks) {
  TCSVDatafile f;
  ASSERT_TRUE(f.OpenBytes("h,1\r\nl2,a\nl3,b\rl4,c\r\n", TFormatSettings::Invariant()));
  EXPECT_EQ(f.LineCount(), 4);
  EXPECT_FALSE(f.TabSeparated);
  EXPECT_EQ(f.LineText(2), "l3,b");
  EXPECT_EQ(f.LineText(4), "");
  EXPECT_EQ(f.LineText(-1), "");

  TCSVDataRecord r;
  ASSERT_TRUE(f.FirstRecord(r));
  EXPECT_EQ(r.Field(0), "h");
  EXPECT_EQ(f.Field(1), "1");
  EXPECT_EQ(f.NextLine(), "l2,a");
  EXPECT_EQ(f.Field(1), "a");
  EXPECT_EQ(f.Cursor(), 2);
  EXPECT_EQ(f.LineText(0), "h,1");  // random access leaves the cursor alone
  EXPECT_EQ(f.Cursor(), 2);

  EXPECT_FALSE(f.Seek(-3));
  EXPECT_EQ(f.Cursor(), 0);
  EXPECT_FALSE(f.Seek(3));
  EXPECT_EQ(f.NextLine(), "l4,c");
  EXPECT_TRUE(f.EndOfFile());
  EXPECT_EQ(f.NextLine(), "");
  EXPECT_FALSE(f.NextRecord(r));
  EXPECT_EQ(r.Count(), 0);
  EXPECT_TRUE(f.Seek(4));
  EXPECT_EQ(f.Cursor(), 4);
  EXPECT_FALSE(f.Seek(1));
  ASSERT_TRUE(f.NextRecord(r));
  EXPECT_EQ(r.Field(0), "l2");

  EXPECT_TRUE(f.Close());
  EXPECT_EQ(f.LineCount(), 0);
  EXPECT_TRUE(f.EndOfFile());
}

TEST(CSVDatafile, TakesTheTabFlagFromTheFirstLineOnly) {
  TCSVDatafile f;
  ASSERT_TRUE(f.OpenBytes("Time\tA\n1\t2", TFormatSettings::Invariant()));
  EXPECT_TRUE(f.TabSeparated);
  EXPECT_EQ(f.LineText(1), "1,2");
  ASSERT_TRUE(f.OpenBytes("Time,A\n1\t2", TFormatSettings::Invariant()));
  EXPECT_FALSE(f.TabSeparated);
  EXPECT_EQ(f.LineText(1), "1\t2");
}

TEST(CSVDatafile, FinalLineEndAddsNoLineAndEmptyFilesHaveNone) {
  TCSVDatafile f;
  ASSERT_TRUE(f.OpenBytes("a\nb\n", TFormatSettings::Invariant()));
  EXPECT_EQ(f.LineCount(), 2);
  ASSERT_TRUE(f.OpenBytes("", TFormatSettings::Invariant()));
  EXPECT_EQ(f.LineCount(), 0);
  ASSERT_TRUE(f.OpenBytes("\xEF\xBB\xBF", TFormatSettings::Invariant()));
  EXPECT_EQ(f.LineCount(), 0);
  ASSERT_TRUE(f.OpenBytes("\n\n", TFormatSettings::Invariant()));
  EXPECT_EQ(f.LineCount(), 2);
}

class CSVReference : public test::TReferenceTest {
 protected:
  const TDateTime Start = EncodeDateTime(2024, 5, 12, 9, 0, 0);
  const double Minute = kOneMinute;

  TSampleRecord Series;
  std::string MatchedID = "stale";
  int MatchedColumn = -7;

  bool Read(const std::string& path, int column, const std::string& target = {}) {
    return ReadDataFromCSVReferenceFile(Ctx, path, column, target, Series, MatchedID, MatchedColumn);
  }
  std::vector<TSimulatedChannel> ThreeProbes() const {
    return {{"Probe 1", SineReading(20, 0.5, 0.1)},
            {"Probe 2", RampReading(30, 2.0, Start)},
            {"Ambient", ConstantReading(-5.25)}};
  }
  // The series holds the channel's readings, evenly spaced from the first time.
  void ExpectChannel(const TReadingFunction& reading, int count, double period) {
    ASSERT_EQ(Series.Count(), count);
    EXPECT_NEAR(Series.StartTime, Start, 1e-9);
    EXPECT_NEAR(Series.SamplePeriod, period, 1e-9);
    for (int i = 0; i < count; ++i) EXPECT_NEAR(Series[i], reading(Start + i * period), 6e-4) << "sample " << i;
  }
};

TEST_F(CSVReference, ReadsEachInstrumentsFileByNumberAndByChannelID) {
  struct TCase {
    const char* Scenario;
    TCSVInstrument Instrument;
    const char* DateFormat;
    const char* DateSeparator;
  } cases[] = {
      {"plain comma file", TCSVInstrument{}, "dd/mm/yy", "/"},
      {"acquisition unit (UTF-8 mark)", AcquisitionUnitCSV(), "dd/mm/yyyy", "/"},
      {"spreadsheet (UTF-16LE, tabs)", SpreadsheetCSV(), "dd/mm/yy", "/"},
      {"headerless (Windows-1252)", HeaderlessCSV(), "yyyy-mm-dd", "-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Scenario);
    Ctx.Settings.CSVDateFormat = c.DateFormat;
    Ctx.Settings.CSVDateSeparator = c.DateSeparator;
    const std::string path = Folder.File("ref.csv");
    WriteSimulatedCSVFile(path, c.Instrument, ThreeProbes(), Start, Minute, 250);

    ASSERT_TRUE(Read(path, 2)) << OutputText();
    ExpectChannel(ThreeProbes()[1].Reading, 250, Minute);
    EXPECT_EQ(MatchedColumn, 2);
    EXPECT_EQ(MatchedID, c.Instrument.HeaderRow ? "Probe 2" : "");

    if (c.Instrument.HeaderRow) {
      ASSERT_TRUE(Read(path, -1, "ambient")) << OutputText();
      ExpectChannel(ThreeProbes()[2].Reading, 250, Minute);
      EXPECT_EQ(MatchedColumn, 3);
      EXPECT_EQ(MatchedID, "Ambient");
    }
    EXPECT_TRUE(Errors().empty()) << OutputText();
  }
}

TEST_F(CSVReference, MatchesTheMostSimilarHeaderAndReportsTheMatch) {
  const std::string path = Folder.Write("probes.csv",
                                        "Time,Probe 1,Probe 2,Ambient\r\n"
                                        "12/05/24 09:00:00,20.1,21.5,18\r\n"
                                        "12/05/24 09:01:00,20.2,21.6,18\r\n"
                                        "12/05/24 09:02:00,20.3,21.7,18\r\n");
  ASSERT_TRUE(Read(path, -1, "probe2"));
  EXPECT_EQ(MatchedColumn, 2);
  EXPECT_EQ(MatchedID, "Probe 2");
  const std::vector<std::string> expected{"Matching channel ID found",
                                          "  Target: \"probe2\"",
                                          "  Actual: \"Probe 2\"",
                                          "  Column: 2",
                                          "  Similarity: 0.857",
                                          "Reading of reference CSV data finished: 3 lines, 3 samples",
                                          "  Sample Period: 60.00 s",
                                          "  First sample: Sun 12 May 2024 09:00:00",
                                          "  Last sample: Sun 12 May 2024 09:02:00"};
  EXPECT_EQ(Console.Output, expected);
  ASSERT_EQ(Series.Count(), 3);
  EXPECT_FLOAT_EQ(static_cast<float>(Series[0]), 21.5f);
  EXPECT_EQ(Console.StatusHistory.front(), "  Reading reference samples from CSV file probes.csv");
  EXPECT_EQ(Console.StatusHistory.back(), "  Reading reference samples from CSV file probes.csv (0%)");
}

TEST_F(CSVReference, EqualSimilaritiesChooseTheLeftmostColumn) {
  const std::string path = Folder.Write("twins.csv", "Time,TA,TB\n12/05/24 09:00:00,1,2\n");
  ASSERT_TRUE(Read(path, -1, "T"));
  EXPECT_EQ(MatchedColumn, 1);
  EXPECT_EQ(MatchedID, "TA");
}

TEST_F(CSVReference, ReportsWhenNoHeaderIsSimilarEnough) {
  const std::string path = Folder.Write("ab.csv", "Time,A,B\n12/05/24 09:00:00,1,2\n");
  EXPECT_FALSE(Read(path, -1, "xyz"));
  EXPECT_EQ(OnlyError(), "Matching channel ID not found");
  EXPECT_EQ(LastHelpContext(), 1320);
  EXPECT_EQ(
      OutputAfter("Error: Matching channel ID not found"),
      (std::vector<std::string>{"  Target: \"xyz\"", "  Nearest match: \"\"", "  Column: 0", "  Similarity: 0.000"}));
  EXPECT_EQ(Series.Count(), 0);
  EXPECT_TRUE(Ctx.Halted);
}

TEST_F(CSVReference, ASimilarityOfExactlyTheThresholdIsNotAMatch) {
  // "ABCD" against "AXYZ": distance 3 of 4, similarity 0.25.
  const std::string path = Folder.Write("edge.csv", "Time,AXYZ\n12/05/24 09:00:00,1\n");
  EXPECT_FALSE(Read(path, -1, "ABCD"));
  EXPECT_EQ(OnlyError(), "Matching channel ID not found");
}

TEST_F(CSVReference, WithoutAHeaderColumnOneReadsEveryLineAndChannelIDsFail) {
  const std::string path = Folder.Write("raw.csv", "12/05/24 09:00:00,1.5\n12/05/24 09:00:30,2.5\n");
  ASSERT_TRUE(Read(path, 1));
  ASSERT_EQ(Series.Count(), 2);
  EXPECT_EQ(Series[0], 1.5);
  EXPECT_NEAR(Series.SamplePeriod, 30 * kOneSecond, 1e-9);
  EXPECT_EQ(MatchedID, "");

  EXPECT_FALSE(Read(path, -1, "Probe"));
  EXPECT_EQ(OnlyError(), "No valid header record found in CSV file raw.csv");
}

TEST_F(CSVReference, OneSampleGetsAPeriodOfOneMinute) {
  const std::string path = Folder.Write("one.csv", "Time,A\n12/05/24 09:00:00,7\n");
  ASSERT_TRUE(Read(path, 1));
  EXPECT_EQ(Series.Count(), 1);
  EXPECT_DOUBLE_EQ(Series.SamplePeriod, kOneMinute);
}

TEST_F(CSVReference, ATabFileReadsExactlyLikeTheCommaFile) {
  TCSVInstrument commas, tabs;
  tabs.TabSeparated = true;
  WriteSimulatedCSVFile(Folder.File("c.csv"), commas, ThreeProbes(), Start, Minute, 40);
  WriteSimulatedCSVFile(Folder.File("t.csv"), tabs, ThreeProbes(), Start, Minute, 40);
  ASSERT_TRUE(Read(Folder.File("c.csv"), -1, "Probe 1"));
  const TSampleRecord fromCommas = Series;
  ASSERT_TRUE(Read(Folder.File("t.csv"), -1, "Probe 1"));
  EXPECT_EQ(Series.Values, fromCommas.Values);
  EXPECT_EQ(Series.StartTime, fromCommas.StartTime);
  EXPECT_EQ(Series.SamplePeriod, fromCommas.SamplePeriod);
}

TEST_F(CSVReference, ReadsTheHandMadeFixtures) {
  struct TCase {
    const char* File;
    int Column;
    const char* Target;
    const char* ID;
    std::vector<float> Values;
  } cases[] = {
      {"utf16_with_header.csv", -1, "Probe 2", "Probe 2", {21.5f, 21.6f, 21.7f}},
      {"utf8_mark_windows1252_header.csv",
       -1,
       "Temp \xC2\xB0"
       "C",
       "Temp \xC2\xB0"
       "C",
       {20.0f, 20.25f}},
      {"windows1252_no_header.csv", 2, "", "", {-1.5f, -1.25f}},
      {"tab_separated_with_header.csv", -1, "Ambient", "Ambient", {18.0f, 18.5f}},
      {"file_ending_without_line_break.csv", 1, "", "A", {1.0f, 2.0f, 3.0f}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    ASSERT_TRUE(Read(test::ReferenceDataFile(c.File), c.Column, c.Target)) << OutputText();
    EXPECT_EQ(MatchedID, c.ID);
    EXPECT_EQ(Series.Values, c.Values);
  }
}

TEST_F(CSVReference, ReportsEveryFormatErrorWithItsDetails) {
  struct TCase {
    const char* Scenario;
    std::string Text;
    int Column;
    std::string Error;
    std::vector<std::string> Details;
  } cases[] = {
      {"blank line between rows",
       "Time,A\n12/05/24 09:00:00,1\n\n12/05/24 09:02:00,3\n",
       1,
       "Format error in time value in file bad.csv",
       {"  Filename: " + Folder.File("bad.csv"), "  Line number: 3", "  Line: \"\"", "  Time field: \"\""}},
      {"empty cell",
       "Time,A,B\n12/05/24 09:00:00,,2\n",
       1,
       "Format error in sample value",
       {"  Filename: " + Folder.File("bad.csv"), "  Line number: 2", "  Line: \"\"12/05/24 09:00:00\",,2\"",
        "  Sample field: \"\""}},
      {"date that does not exist",
       "12/05/24 09:00:00,1\n30/02/24 09:01:00,2\n",
       1,
       "Format error in time value in file bad.csv",
       {"  Filename: " + Folder.File("bad.csv"), "  Line number: 2", "  Line: \"\"30/02/24 09:01:00\",2\"",
        "  Time field: \"30/02/24 09:01:00\""}},
      {"row cut after the time",
       "Time,A\n12/05/24 09:00:00,1\n12/05/24 09:01:00",
       1,
       "Format error in sample value",
       {"  Filename: " + Folder.File("bad.csv"), "  Line number: 3", "  Line: \"\"12/05/24 09:01:00\"\"",
        "  Sample field: \"\""}},
      {"sample that is not a number",
       "Time,A\n12/05/24 09:00:00,21.5x\n",
       1,
       "Format error in sample value",
       {"  Filename: " + Folder.File("bad.csv"), "  Line number: 2", "  Line: \"\"12/05/24 09:00:00\",21.5x\"",
        "  Sample field: \"21.5x\""}},
      {"time going backwards",
       "Time,A\n12/05/24 09:01:00,1\n12/05/24 09:00:00,2\n",
       1,
       "Format error in time value in file bad.csv - time goes back before the previous sample",
       {"  Filename: " + Folder.File("bad.csv"), "  Line number: 3", "  Line: \"\"12/05/24 09:00:00\",2\"",
        "  Time field: \"12/05/24 09:00:00\"", "  Previous time: Sun 12 May 2024 09:01:00"}},
      {"all times equal",
       "Time,A\n12/05/24 09:00:00,1\n12/05/24 09:00:00,2\n",
       1,
       "Format error in time values in file bad.csv - all 2 samples have the same time",
       {}},
      {"first field empty",
       ",A\n12/05/24 09:00:00,1\n",
       1,
       "Format error in first line of CSV file bad.csv - null date fields",
       {}},
      {"empty file", "", 1, "No valid header record found in CSV file bad.csv", {}},
      {"a byte-order mark and nothing else", "\xEF\xBB\xBF", 1, "No valid header record found in CSV file bad.csv", {}},
      {"empty target", "Time,A\n", -1, "Target channel ID not specified", {}},
      {"column beyond the first record",
       "Time,A,B,C\n12/05/24 09:00:00,1,2,3\n",
       5,
       "Target column 5 not found in CSV file",
       {"  Filename:  " + Folder.File("bad.csv"), "  Columns:   3", "  Record:    \"Time,A,B,C\""}},
      {"column zero is the time column",
       "Time,A\n",
       0,
       "Target column 0 not found in CSV file",
       {"  Filename:  " + Folder.File("bad.csv"), "  Columns:   1", "  Record:    \"Time,A\""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Scenario);
    Console.Output.clear();
    Console.Boxes.clear();
    Ctx.Halted = false;
    const std::string path = Folder.Write("bad.csv", c.Text);
    EXPECT_FALSE(Read(path, c.Column, c.Column == -1 ? "" : "A"));
    EXPECT_EQ(OnlyError(), c.Error);
    EXPECT_EQ(LastHelpContext(), 1320);
    EXPECT_EQ(OutputAfter("Error: " + c.Error), c.Details);
    EXPECT_TRUE(Ctx.Halted);
  }
}

TEST_F(CSVReference, ADecimalPointIsNotANumberWhereTheLocaleUsesAComma) {
  Ctx.FormatSettings.DecimalSeparator = ",";
  const std::string path = Folder.Write("point.csv", "Time,A\n12/05/24 09:00:00,21.5\n");
  EXPECT_FALSE(Read(path, 1));
  EXPECT_EQ(OnlyError(), "Format error in sample value");
  Ctx.Halted = false;
  Folder.Write("comma.csv", "Time,A\n12/05/24 09:00:00,\"21,5\"\n");
  ASSERT_TRUE(Read(Folder.File("comma.csv"), 1));
  EXPECT_EQ(Series[0], 21.5);
}

TEST_F(CSVReference, UsesTheConfiguredDateOrderAndSeparators) {
  Ctx.Settings.CSVDateFormat = "  mm.dd.yyyy ";
  Ctx.Settings.CSVDateSeparator = " .x";
  Ctx.Settings.CSVTimeSeparator = "-";
  const std::string path = Folder.Write("us.csv", "Time,A\n05.12.2024 09-00-00,1\n05.12.2024 09-10-00,2\n");
  ASSERT_TRUE(Read(path, 1)) << OutputText();
  EXPECT_NEAR(Series.StartTime, Start, 1e-9);
  EXPECT_NEAR(Series.SamplePeriod, 10 * kOneMinute, 1e-9);

  // Empty separators fall back to "/" and ":".
  Ctx.Settings = TProgramSettings();
  Ctx.Settings.CSVDateSeparator = "  ";
  Ctx.Settings.CSVTimeSeparator = "";
  Folder.Write("uk.csv", "Time,A\n12/05/24 09:00:00,1\n");
  ASSERT_TRUE(Read(Folder.File("uk.csv"), 1)) << OutputText();
  EXPECT_NEAR(Series.StartTime, Start, 1e-9);
}

TEST_F(CSVReference, FindsAColumnAmongThousandsAndSurvivesMegabyteLines) {
  std::string header = "Time", row = "12/05/24 09:00:00";
  for (int i = 1; i <= 5000; ++i) {
    header += ",C" + std::to_string(i);
    row += "," + std::to_string(i);
  }
  Folder.Write("wide.csv", header + "\n" + row + "\n");
  ASSERT_TRUE(Read(Folder.File("wide.csv"), -1, "C4999"));
  EXPECT_EQ(MatchedColumn, 4999);
  EXPECT_EQ(Series[0], 4999.0);

  Ctx.Halted = false;
  Folder.Write("long.csv", "Time,A\n12/05/24 09:00:00," + std::string(3'000'000, '7') + "x\n");
  EXPECT_FALSE(Read(Folder.File("long.csv"), 1));
  EXPECT_EQ(OnlyError(), "Format error in sample value");
  for (const auto& line : Console.Output) EXPECT_LT(line.size(), 1100u);
}

TEST_F(CSVReference, RefusesRowsWithTooManyFields) {
  Folder.Write("commas.csv", "Time,A\n12/05/24 09:00:00" + std::string(TCSVDataRecord::kMaximumFields + 1, ',') + "\n");
  EXPECT_FALSE(Read(Folder.File("commas.csv"), 1));
  EXPECT_EQ(OnlyError(), "Line 2 of CSV file commas.csv holds more than 1048576 fields");
}

TEST_F(CSVReference, ReportsFilesThatCannotBeOpened) {
  EXPECT_FALSE(Read(Folder.File("missing.csv"), 1));
  EXPECT_EQ(OnlyError(), "Error opening CSV file missing.csv");
  EXPECT_EQ(LastHelpContext(), 1320);
  ASSERT_FALSE(OutputAfter("Error: Error opening CSV file missing.csv").empty());
  EXPECT_EQ(OutputAfter("Error: Error opening CSV file missing.csv")[0].rfind("  Reason: ", 0), 0u);
}

TEST_F(CSVReference, RefusesEnormousFilesBeforeReadingThem) {
  const std::string path = Folder.File("huge.csv");
  WriteSimulatedFile(path, "Time,A\n");
  std::filesystem::resize_file(path, TCSVDatafile::kMaximumFileSize + 1);  // sparse: costs no disk
  EXPECT_FALSE(Read(path, 1));
  EXPECT_EQ(OnlyError(), "Error opening CSV file huge.csv");
  EXPECT_NE(OutputText().find("more than the 2147483647 bytes"), std::string::npos) << OutputText();
}

TEST_F(CSVReference, HaltStopsTheReadingAtTheNextLine) {
  WriteSimulatedCSVFile(Folder.File("long.csv"), TCSVInstrument{}, ThreeProbes(), Start, Minute, 500);
  int polls = 0;
  Console.OnProcessMessages = [&] {
    if (++polls == 20) Ctx.HaltRequested = true;
  };
  EXPECT_FALSE(Read(Folder.File("long.csv"), 1));
  const auto errors = Errors();
  ASSERT_EQ(errors.size(), 2u) << OutputText();
  EXPECT_EQ(errors[0], "Aborted.");
  EXPECT_EQ(errors[1].rfind("Reading of CSV reference data aborted at line ", 0), 0u) << errors[1];
  EXPECT_EQ(LastHelpContext(), 1327);
  EXPECT_LT(Series.Count(), 500);
}

TEST_F(CSVReference, BinaryRubbishIsAFormatErrorNotACrash) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919 + 13) % 256);
  Folder.Write("rubbish.csv", bytes);
  EXPECT_FALSE(Read(Folder.File("rubbish.csv"), 1));
  EXPECT_EQ(Errors().size(), 1u);
}

}  // namespace
}  // namespace qvs

// The project file: every key with its default and new value, the data file list, relative paths,
// and what loading bad files does.

#include <gtest/gtest.h>

#include <cctype>

#include "ProjectFixture.h"
#include "core/TextForms.h"

namespace qvs {
namespace {

using test::ReadWholeFile;

// The keys of a project file in the order they are written.
const std::vector<std::string> kProjectKeys = [] {
  std::vector<std::string> keys{"Client",     "Site",           "Description",       "ReportNotes",
                                "CreateDate", "LastAccessDate", "LastReportRunDate", "LastEditDate"};
  for (const char* q : {"RefT", "RefH"})
    for (const char* k : {"Source", "Constant", "LoggerFile", "ASCIIFile", "UseASCIIDate", "UseThisDate", "TimeOffset",
                          "IgnoreMalformedLines", "ApplyCorrection", "OVANChannel", "CSVFile", "CSVUseChannelNumber",
                          "CSVChannelNumber", "CSVChannelID"})
      keys.push_back(std::string(q) + k);
  for (const char* k : {"KVDataFileIDList",
                        "OVANDatafIlePath",
                        "EnableReferenceThread",
                        "SummaryReport",
                        "SummaryEntireLoggerRecord",
                        "SummaryPlotWhat",
                        "SummaryStartDate",
                        "SummaryStartTime",
                        "SummaryEndDate",
                        "SummaryEndTime",
                        "SummaryUpperTemperatureLimit",
                        "SummaryLowerTemperatureLimit",
                        "SummaryUpperHumidityLimit",
                        "SummaryLowerHumidityLimit",
                        "SummaryPlotTraces",
                        "SummaryPlotMean",
                        "SummaryPlotSpread",
                        "SummaryPlotSD",
                        "SummaryPlotError",
                        "SummaryPlotErrorVsTemperature",
                        "SummaryPlotTrendLine",
                        "SummaryPlotTrendLinePolynomalOrder",
                        "SummaryPlotErrorvsHumidity",
                        "SummaryPlotMeanSeparately",
                        "SummaryPlotReferenceSeparately",
                        "SummaryPlotVariance",
                        "SummaryPlotReference",
                        "SummaryMaxTracesPerGraph",
                        "SummaryTemperatureAxisLimits",
                        "SummaryUpperTemperaturePlot",
                        "SummaryLowerTemperaturePlot",
                        "SummaryTemperatureSpanEnable",
                        "SummaryTemperatureSpan",
                        "SummaryHumidityAxisLimits",
                        "SummaryUpperHumidityPlot",
                        "SummaryLowerHumidityPlot",
                        "SummaryHumiditySpanEnable",
                        "SummaryHumiditySpan",
                        "SummaryDontReportDifferentSampleRates",
                        "SummaryReportCalibration",
                        "SummaryOpenPDF",
                        "SummarySerialNumber",
                        "SummaryLoggerFirmware",
                        "SummaryID",
                        "SummarySamples",
                        "SummarySamplePeriod",
                        "SummaryStart",
                        "SummaryEnd",
                        "SummaryFrom",
                        "SummaryUntil",
                        "SummaryMinimum",
                        "SummaryMaximum",
                        "SummaryRange",
                        "SummaryTimeBelow",
                        "SummaryTimeAbove",
                        "SummaryMean",
                        "SummarySD",
                        "SummaryVariance",
                        "SummaryError",
                        "PaperSize",
                        "PaperOrientation"})
    keys.push_back(k);
  return keys;
}();

// The element names of a saved file's root (the lines indented by two blanks), read from its text.
std::vector<std::string> KeysInFile(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  std::vector<std::string> keys;
  for (std::size_t at = text.find("\n  <"); at != std::string::npos; at = text.find("\n  <", at + 1)) {
    const std::size_t from = at + 4;
    if (from >= text.size() || !std::isalpha(static_cast<unsigned char>(text[from]))) continue;
    std::size_t to = from;
    while (to < text.size() && std::isalnum(static_cast<unsigned char>(text[to]))) ++to;
    keys.push_back(text.substr(from, to - from));
  }
  return keys;
}

// The text of one element in a saved file's text.
std::string ElementTextIn(const std::string& text, const std::string& key) {
  const auto start = text.find("<" + key + ">");
  if (start == std::string::npos) return "<missing>";
  const auto from = start + key.size() + 2;
  return text.substr(from, text.find("</" + key + ">") - from);
}

std::string ElementText(const std::string& path, const std::string& key) {
  return ElementTextIn(ReadWholeFile(path), key);
}

constexpr double kDateTolerance = 1e-9;  // the file keeps 15 significant digits

#define EXPECT_SAME(field) EXPECT_EQ(actual.field, expected.field) << #field
#define EXPECT_CLOSE(field) EXPECT_NEAR(actual.field, expected.field, kDateTolerance) << #field

void ExpectSameReference(const TReferenceOptions& actual, const TReferenceOptions& expected) {
  EXPECT_SAME(Source);
  EXPECT_CLOSE(Constant);
  EXPECT_SAME(LoggerFile);
  EXPECT_SAME(ASCIIFile);
  EXPECT_SAME(UseASCIIDate);
  EXPECT_CLOSE(UseThisDate);
  EXPECT_SAME(TimeOffset);
  EXPECT_SAME(IgnoreMalformedLines);
  EXPECT_SAME(ApplyCorrection);
  EXPECT_SAME(OVANChannel);
  EXPECT_SAME(CSVFile);
  EXPECT_SAME(CSVUseChannelNumber);
  EXPECT_SAME(CSVChannelNumber);
  EXPECT_SAME(CSVChannelID);
}

void ExpectSameOptions(const TProjectOptions& actual, const TProjectOptions& expected) {
  EXPECT_SAME(Client);
  EXPECT_SAME(Site);
  EXPECT_SAME(Description);
  EXPECT_SAME(ReportNotes);
  EXPECT_CLOSE(CreateDate);
  EXPECT_CLOSE(LastAccessDate);
  EXPECT_CLOSE(LastReportRunDate);
  EXPECT_CLOSE(LastEditDate);
  ExpectSameReference(actual.TemperatureReference, expected.TemperatureReference);
  ExpectSameReference(actual.HumidityReference, expected.HumidityReference);
  EXPECT_SAME(OVANDatafilePath);
  EXPECT_SAME(EnableReferenceThread);
  EXPECT_SAME(SummaryReport);
  EXPECT_SAME(SummaryEntireLoggerRecord);
  EXPECT_SAME(ReportKind);
  EXPECT_CLOSE(SummaryStartDate);
  EXPECT_CLOSE(SummaryStartTime);
  EXPECT_CLOSE(SummaryEndDate);
  EXPECT_CLOSE(SummaryEndTime);
  EXPECT_CLOSE(SummaryUpperTemperatureLimit);
  EXPECT_CLOSE(SummaryLowerTemperatureLimit);
  EXPECT_CLOSE(SummaryUpperHumidityLimit);
  EXPECT_CLOSE(SummaryLowerHumidityLimit);
  EXPECT_SAME(SummaryPlotTraces);
  EXPECT_SAME(SummaryPlotMean);
  EXPECT_SAME(SummaryPlotSpread);
  EXPECT_SAME(SummaryPlotSD);
  EXPECT_SAME(SummaryPlotError);
  EXPECT_SAME(SummaryPlotErrorVsTemperature);
  EXPECT_SAME(SummaryPlotTrendLine);
  EXPECT_SAME(SummaryPlotTrendLinePolynomalOrder);
  EXPECT_SAME(SummaryPlotErrorvsHumidity);
  EXPECT_SAME(SummaryPlotMeanSeparately);
  EXPECT_SAME(SummaryPlotReferenceSeparately);
  EXPECT_SAME(SummaryPlotVariance);
  EXPECT_SAME(SummaryPlotReference);
  EXPECT_SAME(SummaryMaxTracesPerGraph);
  EXPECT_SAME(SummaryTemperatureAxisLimits);
  EXPECT_CLOSE(SummaryUpperTemperaturePlot);
  EXPECT_CLOSE(SummaryLowerTemperaturePlot);
  EXPECT_SAME(SummaryTemperatureSpanEnable);
  EXPECT_CLOSE(SummaryTemperatureSpan);
  EXPECT_SAME(SummaryHumidityAxisLimits);
  EXPECT_CLOSE(SummaryUpperHumidityPlot);
  EXPECT_CLOSE(SummaryLowerHumidityPlot);
  EXPECT_SAME(SummaryHumiditySpanEnable);
  EXPECT_CLOSE(SummaryHumiditySpan);
  EXPECT_SAME(SummaryDontReportDifferentSampleRates);
  EXPECT_SAME(SummaryReportCalibration);
  EXPECT_SAME(SummaryOpenPDF);
  EXPECT_SAME(SummarySerialNumber);
  EXPECT_SAME(SummaryLoggerFirmware);
  EXPECT_SAME(SummaryID);
  EXPECT_SAME(SummarySamples);
  EXPECT_SAME(SummarySamplePeriod);
  EXPECT_SAME(SummaryStart);
  EXPECT_SAME(SummaryEnd);
  EXPECT_SAME(SummaryFrom);
  EXPECT_SAME(SummaryUntil);
  EXPECT_SAME(SummaryMinimum);
  EXPECT_SAME(SummaryMaximum);
  EXPECT_SAME(SummaryRange);
  EXPECT_SAME(SummaryTimeBelow);
  EXPECT_SAME(SummaryTimeAbove);
  EXPECT_SAME(SummaryMean);
  EXPECT_SAME(SummarySD);
  EXPECT_SAME(SummaryVariance);
  EXPECT_SAME(SummaryError);
  EXPECT_SAME(PaperSize);
  EXPECT_SAME(PaperOrientation);
}

// Options in which every value differs from both its default and its new-project value.
TProjectOptions EveryValueChanged(const std::string& refFolder) {
  TProjectOptions o;
  o.Client = "Caf\xC3\xA9 M\xC3\xBCller & Fils <Nord>";
  o.Site = "  Cold room \"B\", level 2  ";
  o.Description = {"First line, with a comma", "", "\"Quoted\" third line"};
  o.ReportNotes = {"Only line"};
  o.CreateDate = 44000.125;
  o.LastAccessDate = 44001.25;
  o.LastReportRunDate = 44002.375;
  o.LastEditDate = 44003.5;
  const auto reference = [&](TReferenceOptions& r, const std::string& q, int base) {
    r.Source = static_cast<std::uint8_t>(base);
    r.Constant = -12.375 - base;
    r.LoggerFile = refFolder + q + " logger.kv";
    r.ASCIIFile = refFolder + q + ".txt";
    r.UseASCIIDate = false;
    r.UseThisDate = 45000.0 + base + 0.3125;
    r.TimeOffset = -90 - base;
    r.IgnoreMalformedLines = true;
    r.ApplyCorrection = false;
    r.OVANChannel = 200 + base;
    r.CSVFile = refFolder + "sub/" + q + ".csv";
    r.CSVUseChannelNumber = false;
    r.CSVChannelNumber = 40 + base;
    r.CSVChannelID = " Channel, " + q + " ";
  };
  reference(o.TemperatureReference, "T", 6);
  reference(o.HumidityReference, "H", 3);
  o.OVANDatafilePath = "relative\\as entered";
  o.EnableReferenceThread = true;
  o.SummaryReport = false;
  o.SummaryEntireLoggerRecord = false;
  o.ReportKind = rkTemperatureAndHumidity;
  o.SummaryStartDate = 45100;
  o.SummaryStartTime = 0.25;
  o.SummaryEndDate = 45102;
  o.SummaryEndTime = 0.75;
  o.SummaryUpperTemperatureLimit = 8.5;
  o.SummaryLowerTemperatureLimit = 2.25;
  o.SummaryUpperHumidityLimit = 65.5;
  o.SummaryLowerHumidityLimit = 35.125;
  o.SummaryPlotTraces = false;
  o.SummaryPlotMean = o.SummaryPlotSpread = o.SummaryPlotSD = o.SummaryPlotError = true;
  o.SummaryPlotErrorVsTemperature = o.SummaryPlotTrendLine = true;
  o.SummaryPlotTrendLinePolynomalOrder = 7;
  o.SummaryPlotErrorvsHumidity = o.SummaryPlotMeanSeparately = o.SummaryPlotReferenceSeparately = true;
  o.SummaryPlotVariance = true;
  o.SummaryPlotReference = true;  // new projects clear it, the default sets it: neither tells
  o.SummaryMaxTracesPerGraph = 42;
  o.SummaryTemperatureAxisLimits = true;
  o.SummaryUpperTemperaturePlot = 30.5;
  o.SummaryLowerTemperaturePlot = -40.25;
  o.SummaryTemperatureSpanEnable = true;
  o.SummaryTemperatureSpan = 0.5;
  o.SummaryHumidityAxisLimits = true;
  o.SummaryUpperHumidityPlot = 95;
  o.SummaryLowerHumidityPlot = 5;
  o.SummaryHumiditySpanEnable = true;
  o.SummaryHumiditySpan = 150;
  o.SummaryDontReportDifferentSampleRates = o.SummaryReportCalibration = true;
  o.SummaryOpenPDF = false;
  o.SummarySerialNumber = o.SummaryLoggerFirmware = o.SummaryID = o.SummarySamples = false;
  o.SummarySamplePeriod = true;
  o.SummaryStart = o.SummaryEnd = true;
  o.SummaryFrom = o.SummaryUntil = o.SummaryMinimum = o.SummaryMaximum = o.SummaryRange = false;
  o.SummaryTimeBelow = o.SummaryTimeAbove = o.SummaryMean = o.SummarySD = o.SummaryVariance = false;
  o.SummaryError = false;
  o.PaperSize = "Legal";
  o.PaperOrientation = 0;
  return o;
}

class ProjectFile : public test::ProjectFixture {
 protected:
  // Writes a project file from its inner elements.
  std::string WriteProject(const std::string& name, const std::string& elements) {
    return Temp.Write(name,
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<QVSProject>" + elements + "</QVSProject>\r\n");
  }
};

TEST_F(ProjectFile, SavingWritesEveryKeyInFileOrder) {
  ApplyNewProjectValues(Ctx.Options, Ctx.DataFileList, Now);
  const std::string path = Temp.File("Order.qvs");
  ASSERT_TRUE(SaveProject(Ctx, State, path)) << State.LastError;
  EXPECT_EQ(KeysInFile(path), kProjectKeys);
  EXPECT_EQ(ElementText(path, "RefTConstant"), "0.00000000000000E+0000");
  EXPECT_EQ(ElementText(path, "SummaryUpperHumidityLimit"), "8.00000000000000E+0001");
  EXPECT_EQ(ElementText(path, "RefTUseASCIIDate"), "1");
  EXPECT_EQ(ElementText(path, "Description"), "\"Enter a description for the project\"");
}

TEST_F(ProjectFile, ARoundTripKeepsEveryKeyAndTheDataFileList) {
  const std::string projects = MakeFolder("projects");
  const std::string data = MakeFolder("data");
  Ctx.Options = EveryValueChanged(data);
  AddDataFile(data + "Logger 1.kv", "Room, north", true);
  AddDataFile(data + "sub/L2.kvx", "", false);
  AddDataFile(projects + "beside.kv", "\"quoted\" id", true);
  State.Modified = true;
  TProjectOptions expected = Ctx.Options;
  expected.LastAccessDate = Now;
  expected.LastEditDate = Now;

  const std::string path = projects + "Round trip.qvs";
  ASSERT_TRUE(SaveProject(Ctx, State, path)) << State.LastError;
  EXPECT_FALSE(State.Modified);

  test::TRecordingConsole console2;
  TQVSContext loaded(console2, TFormatSettings::Invariant(), [] { return 46000.0; });
  TProjectState state2;
  ASSERT_TRUE(LoadProject(loaded, state2, path)) << state2.LastError;
  ExpectSameOptions(loaded.Options, expected);
  ASSERT_EQ(loaded.DataFileList.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(loaded.DataFileList.Path(i), Ctx.DataFileList.Path(i));
    EXPECT_EQ(loaded.DataFileList.Entry(i).ID, Ctx.DataFileList.Entry(i).ID);
    EXPECT_EQ(loaded.DataFileList.Entry(i).Enabled, Ctx.DataFileList.Entry(i).Enabled);
  }
  EXPECT_EQ(state2.CurrentProject, path);
  EXPECT_EQ(state2.ProjectFolder, projects);
  EXPECT_EQ(state2.ProjectFileHistory.Items(), std::vector<std::string>{path});

  // Paths are stored relative to the project's folder, with "/".
  EXPECT_EQ(ElementText(path, "RefTASCIIFile"), "../data/T.txt");
  EXPECT_EQ(ElementText(path, "RefHCSVFile"), "../data/sub/H.csv");
  EXPECT_EQ(ElementText(path, "OVANDatafIlePath"), "relative\\as entered");
  // Saving what was loaded writes the same values again (only the access time is new).
  const std::string first = ReadWholeFile(path);
  ASSERT_TRUE(SaveProject(loaded, state2, path)) << state2.LastError;
  const std::string second = ReadWholeFile(path);
  for (const auto& key : kProjectKeys)
    if (key != "LastAccessDate") {
      EXPECT_EQ(ElementTextIn(second, key), ElementTextIn(first, key)) << key;
    }
  EXPECT_EQ(ElementTextIn(second, "LastAccessDate"), "4.60000000000000E+0004");
}

TEST_F(ProjectFile, AFileWithOnlyTheRootElementLoadsEveryDefault) {
  const std::string path = WriteProject("Bare.qvs", "");
  Ctx.Options.ReportKind = rkTemperature;
  ASSERT_TRUE(LoadProject(Ctx, State, path)) << State.LastError;
  const TProjectOptions& o = Ctx.Options;
  TProjectOptions expected;  // the initial values, then the Default column where it differs
  expected.CreateDate = expected.LastAccessDate = Now;
  expected.TemperatureReference.UseThisDate = expected.HumidityReference.UseThisDate = Now;
  expected.TemperatureReference.IgnoreMalformedLines = expected.HumidityReference.IgnoreMalformedLines = true;
  expected.ReportKind = rkHumidity;
  expected.SummaryStartDate = expected.SummaryEndDate = DateOf(Now);  // today, not yesterday
  expected.SummaryStartTime = expected.SummaryEndTime = TimeOf(Now);
  expected.SummaryPlotReference = true;
  expected.SummarySamplePeriod = true;
  ExpectSameOptions(o, expected);
  EXPECT_EQ(Ctx.DataFileList.Count(), 0);
}

TEST_F(ProjectFile, ValuesOfTheWrongKindGiveTheDefaultAndOutOfRangeValuesAreClamped) {
  const std::string path =
      WriteProject("Odd.qvs",
                   "<RefTSource>9</RefTSource><RefHSource>-1</RefHSource>"
                   "<RefTConstant>1,5</RefTConstant><RefHConstant>1e6</RefHConstant>"
                   "<RefTTimeOffset>5000</RefTTimeOffset><RefHTimeOffset>ten</RefHTimeOffset>"
                   "<RefTUseASCIIDate>true</RefTUseASCIIDate><RefHUseASCIIDate>0</RefHUseASCIIDate>"
                   "<RefTCSVChannelNumber>0</RefTCSVChannelNumber>"
                   "<RefTOVANChannel>300</RefTOVANChannel>"
                   "<SummaryPlotWhat>5</SummaryPlotWhat>"
                   "<SummaryMaxTracesPerGraph>0</SummaryMaxTracesPerGraph>"
                   "<SummaryPlotTrendLinePolynomalOrder>12</SummaryPlotTrendLinePolynomalOrder>"
                   "<SummaryTemperatureSpan>0</SummaryTemperatureSpan>"
                   "<SummaryUpperHumidityLimit>250</SummaryUpperHumidityLimit>"
                   "<SummaryUpperTemperaturePlot>NAN</SummaryUpperTemperaturePlot>"
                   "<CreateDate>1e300</CreateDate>"
                   "<SummaryStartDate>4.51005000000000E+0004</SummaryStartDate>"
                   "<SummaryStartTime>4.51007500000000E+0004</SummaryStartTime>"
                   "<PaperSize>letter</PaperSize><PaperOrientation>7</PaperOrientation>"
                   "<Description></Description>");
  ASSERT_TRUE(LoadProject(Ctx, State, path)) << State.LastError;
  const TProjectOptions& o = Ctx.Options;
  EXPECT_EQ(o.TemperatureReference.Source, rdsOVANChannel);
  EXPECT_EQ(o.HumidityReference.Source, rdsNone);
  EXPECT_EQ(o.TemperatureReference.Constant, 0);
  EXPECT_EQ(o.HumidityReference.Constant, 200);
  EXPECT_EQ(o.TemperatureReference.TimeOffset, 1440);
  EXPECT_EQ(o.HumidityReference.TimeOffset, 0);
  EXPECT_TRUE(o.TemperatureReference.UseASCIIDate);
  EXPECT_FALSE(o.HumidityReference.UseASCIIDate);
  EXPECT_EQ(o.TemperatureReference.CSVChannelNumber, 1);
  EXPECT_EQ(o.TemperatureReference.OVANChannel, 255);
  EXPECT_EQ(o.ReportKind, rkTemperatureAndHumidity);
  EXPECT_EQ(o.SummaryMaxTracesPerGraph, 1);
  EXPECT_EQ(o.SummaryPlotTrendLinePolynomalOrder, 9);
  EXPECT_EQ(o.SummaryTemperatureSpan, 0.01);
  EXPECT_EQ(o.SummaryUpperHumidityLimit, 100);
  EXPECT_EQ(o.SummaryUpperTemperaturePlot, 10);
  EXPECT_EQ(o.CreateDate, Now);
  EXPECT_EQ(o.SummaryStartDate, 45100);  // the whole day of the stored date-time
  EXPECT_NEAR(o.SummaryStartTime, 0.75, kDateTolerance);
  EXPECT_EQ(o.PaperSize, "Letter");
  EXPECT_EQ(o.PaperOrientation, 1);
  EXPECT_TRUE(o.Description.empty());
}

TEST_F(ProjectFile, AnUnknownPaperSizeGivesA4) {
  const std::string path = WriteProject("Paper.qvs", "<PaperSize>B5</PaperSize>");
  Ctx.Options.PaperSize = "A3";
  ASSERT_TRUE(LoadProject(Ctx, State, path));
  EXPECT_EQ(Ctx.Options.PaperSize, "A4");
}

TEST_F(ProjectFile, AProjectSavedIntoAnotherFolderKeepsItsDataFilesReachable) {
  const std::string data = MakeFolder("site/data");
  const std::string first = MakeFolder("site/projects") + "Job.qvs";
  const std::string second = MakeFolder("archive/2024/03") + "Job copy.qvs";
  AddDataFile(data + "L1.kv", "one");
  Ctx.Options.TemperatureReference.ASCIIFile = data + "ref.txt";
  ASSERT_TRUE(SaveProject(Ctx, State, first));
  ASSERT_TRUE(LoadProject(Ctx, State, first));
  ASSERT_TRUE(SaveProject(Ctx, State, second));
  EXPECT_EQ(ElementText(second, "RefTASCIIFile"), "../../../site/data/ref.txt");

  ASSERT_TRUE(LoadProject(Ctx, State, second)) << State.LastError;
  ASSERT_EQ(Ctx.DataFileList.Count(), 1);
  EXPECT_EQ(Ctx.DataFileList.Path(0), data + "L1.kv");
  EXPECT_EQ(Ctx.DataFileList.Entry(0).ID, "one");
  EXPECT_EQ(Ctx.Options.TemperatureReference.ASCIIFile, data + "ref.txt");
  EXPECT_EQ(State.ProjectFolder, Temp.Folder() + "archive/2024/03/");
}

// On this system "\" is an ordinary character of a file name and "C:" an ordinary folder name;
// a relative path would read them as a delimiter and a drive.
TEST_F(ProjectFile, NamesThatRelativePathsWouldMisreadStayReachable) {
  const std::string data = MakeFolder("data");
  const std::string odd = data + "run\\1.kv";
  AddDataFile(odd, "odd");
  Ctx.Options.HumidityReference.CSVFile = data + "ref\\H.csv";
  const std::string path = MakeFolder("projects") + "Odd.qvs";
  const std::string driveLike = Temp.Folder() + "projects/C:/L5.kv";  // a folder named "C:"
  AddDataFile(driveLike);
  ASSERT_TRUE(SaveProject(Ctx, State, path));
  ASSERT_TRUE(LoadProject(Ctx, State, path));
  EXPECT_NE(Entry(odd), nullptr);
  EXPECT_NE(Entry(driveLike), nullptr);
  EXPECT_EQ(Ctx.Options.HumidityReference.CSVFile, data + "ref\\H.csv");
}

// As the Windows program wrote them: CR LF line ends, "\" in relative paths, a drive path.
TEST_F(ProjectFile, ProjectsWrittenOnWindowsLoadWithTheirRelativePaths) {
  const std::string folder = MakeFolder("win/projects");
  const std::string path =
      Temp.Write("win/projects/Job.qvs",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                 "<QVSProject>\r\n"
                 "  <Client>Acme</Client>\r\n"
                 "  <RefTASCIIFile>..\\Reference\\Probe 1.txt</RefTASCIIFile>\r\n"
                 "  <RefTLoggerFile>C:\\Loggers\\Ref.kv</RefTLoggerFile>\r\n"
                 "  <RefTConstant>2.50000000000000E+0001</RefTConstant>\r\n"
                 "  <KVDataFileIDList>\"\"\"Data\\Logger 1.kv\"\",\"\"Room 1\"\",1\",\"..\\Shared\\L2.kv,,0\","
                 "\"C:\\Loggers\\L3.kv,Freezer,1\",Data\\L4.kv</KVDataFileIDList>\r\n"
                 "</QVSProject>\r\n");
  ASSERT_TRUE(LoadProject(Ctx, State, path)) << State.LastError;
  EXPECT_EQ(Ctx.Options.TemperatureReference.ASCIIFile, Temp.Folder() + "win/Reference/Probe 1.txt");
  EXPECT_EQ(Ctx.Options.TemperatureReference.LoggerFile, "C:\\Loggers\\Ref.kv");
  EXPECT_EQ(Ctx.Options.TemperatureReference.Constant, 25);
  ASSERT_EQ(Ctx.DataFileList.Count(), 4);
  const TQVSDataSet* l1 = Entry(folder + "Data/Logger 1.kv");
  ASSERT_NE(l1, nullptr);
  EXPECT_EQ(l1->ID, "Room 1");
  EXPECT_TRUE(l1->Enabled);
  const TQVSDataSet* l2 = Entry(Temp.Folder() + "win/Shared/L2.kv");
  ASSERT_NE(l2, nullptr);
  EXPECT_EQ(l2->ID, "");
  EXPECT_FALSE(l2->Enabled);
  const TQVSDataSet* l3 = Entry("C:\\Loggers\\L3.kv");
  ASSERT_NE(l3, nullptr);
  EXPECT_EQ(l3->ID, "Freezer");
  const TQVSDataSet* l4 = Entry(folder + "Data/L4.kv");  // only a path: enabled, no ID
  ASSERT_NE(l4, nullptr);
  EXPECT_TRUE(l4->Enabled);
  EXPECT_EQ(l4->ID, "");
}

TEST_F(ProjectFile, DataFilesListedTwiceLoadOnceAndMissingOrFolderPathsStay) {
  const std::string folder = MakeFolder("p");
  MakeFolder("p/a folder.kv");
  const std::string path = WriteProject("p/Dup.qvs",
                                        "<KVDataFileIDList>\"a.kv,first,1\",\"a.kv,second,0\",\"./a.kv,third,1\","
                                        "\"gone.kv,,1\",\"\"\"a folder.kv\"\",dir,1\"</KVDataFileIDList>");
  ASSERT_TRUE(LoadProject(Ctx, State, path)) << State.LastError;
  ASSERT_EQ(Ctx.DataFileList.Count(), 3);
  ASSERT_NE(Entry(folder + "a.kv"), nullptr);
  EXPECT_EQ(Entry(folder + "a.kv")->ID, "first");
  EXPECT_NE(Entry(folder + "gone.kv"), nullptr);
  EXPECT_NE(Entry(folder + "a folder.kv"), nullptr);
}

TEST_F(ProjectFile, DescriptionLinesWithCommasAndBlanksReadBackAsOneLineEach) {
  Ctx.Options.Description = {"Validation of room 4, north wall", "Second line", "", "x"};
  Ctx.Options.ReportNotes = {""};
  const std::string path = Temp.File("Desc.qvs");
  ASSERT_TRUE(SaveProject(Ctx, State, path));
  EXPECT_EQ(ElementText(path, "Description"), "\"Validation of room 4, north wall\",\"Second line\",,x");
  EXPECT_EQ(ElementText(path, "ReportNotes"), "\"\"");
  ASSERT_TRUE(LoadProject(Ctx, State, path));
  EXPECT_EQ(Ctx.Options.Description,
            (std::vector<std::string>{"Validation of room 4, north wall", "Second line", "", "x"}));
  EXPECT_EQ(Ctx.Options.ReportNotes, std::vector<std::string>{""});
}

// The letter is kept (UTF-8), not dropped.
TEST_F(ProjectFile, AClientNameWithAnAccentedLetterKeepsTheLetter) {
  Ctx.Options.Client = "Laboratoire G\xC3\xA9rard";
  const std::string path = Temp.File("Accent.qvs");
  ASSERT_TRUE(SaveProject(Ctx, State, path));
  EXPECT_EQ(ElementText(path, "Client"), "Laboratoire G\xC3\xA9rard");
  Ctx.Options.Client.clear();
  ASSERT_TRUE(LoadProject(Ctx, State, path));
  EXPECT_EQ(Ctx.Options.Client, "Laboratoire G\xC3\xA9rard");
}

TEST_F(ProjectFile, SavingKeepsElementsTheProgramDoesNotRead) {
  const std::string path = WriteProject("Future.qvs",
                                        "<Client>Old</Client><FutureOption mode=\"2\">keep me</FutureOption>"
                                        "<Nested><A>1</A></Nested>");
  ASSERT_TRUE(LoadProject(Ctx, State, path));
  Ctx.Options.Client = "New";
  ASSERT_TRUE(SaveProject(Ctx, State, path)) << State.LastError;
  const std::string text = ReadWholeFile(path);
  EXPECT_NE(text.find("<FutureOption mode=\"2\">keep me</FutureOption>"), std::string::npos) << text;
  EXPECT_NE(text.find("<A>1</A>"), std::string::npos);
  EXPECT_EQ(ElementText(path, "Client"), "New");
  std::vector<std::string> keys = KeysInFile(path);
  EXPECT_EQ(keys[0], "Client");
  EXPECT_EQ(keys[1], "FutureOption");
  EXPECT_EQ(keys[2], "Nested");
  EXPECT_EQ(keys.size(), kProjectKeys.size() + 2);
}

TEST_F(ProjectFile, AHugeProjectLoads) {
  const std::string folder = MakeFolder("big");
  std::string list;
  for (int i = 0; i < 5000; ++i) list += (i ? "," : "") + std::string("\"logger_") + std::to_string(i) + ".kv,,1\"";
  const std::string path =
      WriteProject("big/Big.qvs", "<Client>" + std::string(1 << 20, 'c') + "</Client><KVDataFileIDList>" + list +
                                      "</KVDataFileIDList>");
  ASSERT_TRUE(LoadProject(Ctx, State, path)) << State.LastError;
  EXPECT_EQ(Ctx.Options.Client.size(), 1u << 20);
  EXPECT_EQ(Ctx.DataFileList.Count(), 5000);
  EXPECT_NE(Entry(folder + "logger_4999.kv"), nullptr);
}

// --- bad project files ----------------------------------------------------------------------------

TEST_F(ProjectFile, AFileThatDoesNotLoadLeavesNoCurrentProjectAndIsNeverOverwritten) {
  const struct {
    const char* Name;
    std::string Bytes;
    const char* Reason;
  } cases[] = {
      {"not xml", "Client=Acme\r\nSite=Lab\r\n", "No document element found"},
      {"empty", "", "File is empty"},
      {"truncated", "<?xml version=\"1.0\"?>\n<QVSProject>\n  <Client>Acme</Client>\n  <Site>La", "line 4"},
      {"binary", std::string("\x00\x01\x02\xFF\xFE\x00", 6), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    // A project is open with data files and unsaved changes.
    const std::string good = Temp.File("Good.qvs");
    AddDataFile(Temp.File("x.kv"));
    ASSERT_TRUE(SaveProject(Ctx, State, good));
    ASSERT_TRUE(LoadProject(Ctx, State, good));
    Ctx.Options.Client = "Edited";

    const std::string bad = Temp.Write(std::string(c.Name) + ".qvs", c.Bytes);
    EXPECT_FALSE(LoadProject(Ctx, State, bad));
    EXPECT_EQ(State.LastError.rfind("Exception (LoadXMLConfig (" + bad + "): ", 0), 0u) << State.LastError;
    EXPECT_NE(State.LastError.find(c.Reason), std::string::npos) << State.LastError;
    EXPECT_FALSE(State.HasProject());
    EXPECT_EQ(Ctx.Options.Client, "Client");  // the new-project values
    EXPECT_EQ(Ctx.DataFileList.Count(), 0);
    EXPECT_FALSE(State.Modified);

    // Nothing that follows writes over the file.
    EXPECT_EQ(QuerySaveProject(Ctx, State), mrNone);
    EXPECT_TRUE(CloseProject(Ctx, State));
    EXPECT_TRUE(NewProject(Ctx, State));
    EXPECT_EQ(ReadWholeFile(bad), c.Bytes);
    EXPECT_TRUE(Console.Boxes.empty());
    State = TProjectState{};  // the next case starts afresh
    Console.Boxes.clear();
  }
}

TEST_F(ProjectFile, AFileWithAnotherRootElementIsReadByItsChildren) {
  const std::string path =
      Temp.Write("Other.qvs", "<QVSConfiguration><Client>Acme</Client><Company>X</Company></QVSConfiguration>");
  ASSERT_TRUE(LoadProject(Ctx, State, path)) << State.LastError;
  EXPECT_EQ(Ctx.Options.Client, "Acme");
  EXPECT_EQ(Ctx.Options.Site, "Site");
}

TEST_F(ProjectFile, LoadingAMissingFileOrAFolderFails) {
  EXPECT_FALSE(LoadProject(Ctx, State, Temp.File("none.qvs")));
  EXPECT_EQ(State.LastError, "Project file not found: " + Temp.File("none.qvs"));
  EXPECT_FALSE(State.HasProject());
  MakeFolder("dir.qvs");
  EXPECT_FALSE(LoadProject(Ctx, State, Temp.File("dir.qvs")));
  EXPECT_NE(State.LastError.find("Is a directory"), std::string::npos) << State.LastError;
  EXPECT_FALSE(std::filesystem::exists(Temp.File("none.qvs")));
}

TEST_F(ProjectFile, SavingOverAFileThatCannotBeReadFailsAndKeepsIt) {
  const std::string path = Temp.Write("Damaged.qvs", "<QVSProject><Client>Acme</Cli");
  EXPECT_FALSE(SaveProject(Ctx, State, path));
  EXPECT_NE(State.LastError.find("Exception (LoadXMLConfig (" + path + "): "), std::string::npos);
  EXPECT_EQ(ReadWholeFile(path), "<QVSProject><Client>Acme</Cli");
}

TEST_F(ProjectFile, SavingIntoAFolderThatCannotBeWrittenKeepsTheOldFile) {
  Temp.Write("file", "");
  const std::string path = Temp.File("file/Job.qvs");
  EXPECT_FALSE(SaveProject(Ctx, State, path));
  EXPECT_EQ(State.LastError, "Exception (SaveXMLConfig (" + path + "): Not a directory");
  EXPECT_EQ(ReadWholeFile(Temp.File("file")), "");
}

}  // namespace
}  // namespace qvs

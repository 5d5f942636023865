#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "RecordingConsole.h"
#include "TempFolder.h"
#include "core/DateTime.h"
#include "core/DebugChannel.h"
#include "core/DebugLog.h"
#include "core/QVSContext.h"
#include "core/StartupLog.h"
#include "core/StreamConsole.h"

namespace qvs {
namespace {

const TDateTime kNow = EncodeDateTime(2026, 12, 11, 9, 5, 7, 42);
TDateTime FixedNow() { return kNow; }

TEST(DebugLogFrame, KeepsNineTenthsWhenItReachesItsMaximum) {
  TDebugLogFrame pane = TDebugLogFrame::Output(FixedNow);
  for (int i = 1; i <= 9999; ++i) pane.AddLine("line " + std::to_string(i));
  EXPECT_EQ(pane.Lines().size(), 9999u);
  pane.AddLine("line 10000");
  EXPECT_EQ(pane.Lines().size(), 9000u);
  EXPECT_EQ(pane.Lines().front(), "line 1001");
  EXPECT_EQ(pane.Lines().back(), "line 10000");
  EXPECT_EQ(pane.TotalLines(), 10000u);
  EXPECT_EQ(pane.LineCountText(), "10,000 lines");
  pane.AddLine("line 10001");
  EXPECT_EQ(pane.TotalLines(), 10001u);
  EXPECT_EQ(pane.Lines().size(), 9001u);
}

TEST(DebugLogFrame, DisabledPaneDropsLinesAndCounterStays) {
  TDebugLogFrame pane = TDebugLogFrame::Output(FixedNow);
  EXPECT_EQ(pane.LineCountText(), "no lines");
  pane.AddLine("a");
  EXPECT_EQ(pane.LineCountText(), "1 line");
  pane.Enabled = false;
  pane.AddLine("b");
  EXPECT_EQ(pane.TotalLines(), 1u);
  EXPECT_EQ(pane.Lines().size(), 1u);
  pane.Enabled = true;
  pane.AddLine("c");
  EXPECT_EQ(pane.LineCountText(), "2 lines");
  pane.Clear();
  EXPECT_EQ(pane.TotalLines(), 0u);
  EXPECT_TRUE(pane.Lines().empty());
}

TEST(DebugLogFrame, TimeStampsAndTheLineCounterMark) {
  struct Case { const char* format; const char* first; const char* second; };
  const Case cases[] = {
      {"#", "     0a", "     1b"},  // the count before the line, right-aligned in six places
      {"yyyy-mm-dd hh:nn:ss.zzz  ", "2026-12-11 09:05:07.042  a", "2026-12-11 09:05:07.042  b"},
      {"[#] hh:nn ", "[     0] 09:05 a", "[     1] 09:05 b"},
      {"\"#\" ", "# a", "# b"},  // inside quotes "#" is plain text
  };
  for (const Case& c : cases) {
    TDebugLogFrame pane("Test", c.format, 100, FixedNow);
    pane.AddLine("a");
    pane.AddLine("b");
    ASSERT_EQ(pane.Lines().size(), 2u);
    EXPECT_EQ(pane.Lines()[0], c.first) << c.format;
    EXPECT_EQ(pane.Lines()[1], c.second) << c.format;
  }
}

TEST(DebugLogFrame, SavesLoadsAndReportsFailures) {
  test::TTempFolder dir;
  TDebugLogFrame pane = TDebugLogFrame::Output(FixedNow);
  pane.AddLine("first");
  pane.AddLine("second, with a comma");
  std::string error;
  const std::string path = dir.File("out.log");
  ASSERT_TRUE(pane.SaveToFile(path, error)) << error;
  EXPECT_EQ(pane.LastFileSaved, path);

  TDebugLogFrame other = TDebugLogFrame::MemoryErrorReport(FixedNow);
  ASSERT_TRUE(other.LoadFromFile(path, error)) << error;
  EXPECT_EQ(other.Lines(), pane.Lines());
  EXPECT_EQ(other.TotalLines(), 2u);

  EXPECT_FALSE(other.LoadFromFile(dir.File("missing.log"), error));
  EXPECT_EQ(error.rfind("Error loading memo from file: ", 0), 0u);
  EXPECT_NE(error.find("\r" + dir.File("missing.log")), std::string::npos);
  EXPECT_EQ(other.Lines().size(), 2u);  // a failed load keeps the lines
  EXPECT_FALSE(other.LoadFromFile(dir.Folder(), error));
  EXPECT_FALSE(pane.SaveToFile(dir.File("no/such/folder/x.log"), error));
  EXPECT_EQ(error.rfind("Error saving memo to file: ", 0), 0u);

  EXPECT_EQ(pane.SuggestedFileName("/home/u/Documents"), "/home/u/Documents/Output 11 Dec 2026 09-05-07.log");
}

TEST(DebugLogFrame, ToolHints) {
  TDebugLogFrame pane = TDebugLogFrame::Output(FixedNow);
  EXPECT_EQ(pane.FontName(), "Consolas");
  EXPECT_EQ(pane.FontHint(), "Switches between proportional and monospaced fonts\r(current font is monospaced)");
  pane.ToggleFont();
  EXPECT_EQ(pane.FontName(), "Tahoma");
  EXPECT_EQ(pane.ScrollHint(), "Enables and disables scrolling of the log display\r(scrolling is currently disabled)");
  pane.ToggleScroll();
  EXPECT_TRUE(pane.AutoScroll);
  TDebugLogFrame noWrap("X", "", 10, FixedNow, TFormatSettings::Invariant(), false);
  noWrap.ToggleWrap();
  EXPECT_FALSE(noWrap.WordWrap);
}

TEST(StartupLog, WritesMarkedLinesToANewFileAndItsDisplay) {
  test::TTempFolder dir;
  std::vector<std::string> recorded;
  TStartupLog log(FixedNow, [&](const std::string& loc, const std::string& msg) { recorded.push_back(loc + ": " + msg); });
  log.LogStartup("lost: no file yet");
  const std::string folder = dir.File("User/Startup Logs") + "/";
  ASSERT_TRUE(log.CreateStartupLog(folder));
  EXPECT_EQ(log.FileName(), folder + "QVS Startup Log 2026-12-11 09-05-07.txt");
  log.LogStartup("Kestova QVS started.");
  log.LogStartup("Registry key not found", TStartupLevel::Error);
  log.LogStartup("assumed", TStartupLevel::Info);
  log.LogStartup("Creating folder x.", TStartupLevel::Alert);
  const std::string text = test::ReadWholeFile(log.FileName());
  const std::string stamp = "2026-12-11 09:05:07.042  ";
  EXPECT_EQ(text, stamp + "      Startup log file " + log.FileName() + " created\n" + stamp +
                      "      Kestova QVS started.\n" + stamp + "ERROR Registry key not found\n" + stamp +
                      "INFO  assumed\n" + stamp + "ALERT Creating folder x.\n");

  TDebugLogFrame display = TDebugLogFrame::StartupLog(FixedNow);
  log.CreateStartupLogDisplay(&display);
  EXPECT_EQ(display.Lines().size(), 5u);
  log.LogStartup("Application.Run");
  EXPECT_EQ(display.Lines().back(), stamp + "      Application.Run");

  // A file that disappears is started again.
  std::filesystem::remove(log.FileName());
  log.LogStartup("after removal");
  EXPECT_NE(test::ReadWholeFile(log.FileName()).find("after removal"), std::string::npos);
  EXPECT_TRUE(recorded.empty());
}

TEST(StartupLog, FailuresAreRecordedNeverThrown) {
  test::TTempFolder dir;
  const std::string blocker = dir.Write("file", "x");
  std::vector<std::string> recorded;
  TStartupLog log(FixedNow, [&](const std::string& loc, const std::string&) { recorded.push_back(loc); });
  EXPECT_FALSE(log.CreateStartupLog(blocker + "/sub"));
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].rfind("CreateStartupLog (", 0), 0u);
  log.LogStartup("nothing happens");
}

TEST(DebugChannel, LinesCarryTagTimeStampAndNameColumn) {
  std::vector<std::string> lines;
  std::int64_t now = 1765443907123456789LL;  // 2025-12-11 09:05:07.123456789 UTC
  TDebugChannel channel("QVS", [&](const std::string& l) { lines.push_back(l); }, [&] { return now; });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "QVS: 2025-12-11 09:05:07.123456789   0.000000000 ODSINIT:          ODS enabled.  Tag: \"QVS\", "
            "Datestamp: True, HiRes: True, UseUDP: False");
  now += 1500000000;  // 1.5 s later
  channel.Send("", "plain");
  EXPECT_EQ(lines[1], "QVS: 2025-12-11 09:05:08.623456789   1.500000000                   plain");
  channel.SendFormat("AVeryLongNameIndeed", "%d", {"not a number"});
  EXPECT_EQ(lines[2].substr(lines[2].find("AVery")),
            "AVeryLongNameInd: Exception " + lines[2].substr(lines[2].find("Exception ") + 10));
  EXPECT_NE(lines[2].find("in format string '%d'"), std::string::npos);
  EXPECT_EQ(TDebugChannel::NameColumn("Sixteen_chars_16"), "Sixteen_chars_16:");
  EXPECT_EQ(TDebugChannel::NameColumn("Seventeen_chars17"), "Seventeen_chars1:");
  EXPECT_EQ(TDebugChannel::NameColumn("ab"), "ab:              ");
}

TEST(OperatorConsole, OutputAndStatusHelpers) {
  test::TRecordingConsole console;
  TQVSContext ctx{console};
  console.WriteOutput("plain");
  console.WriteError("bad");
  ctx.WriteNote("advice");
  console.WriteDebug("ACCESS", "hidden");
  console.LogDebugEvents = true;
  console.WriteDebug("ACCESS", "shown");
  EXPECT_EQ(console.Output,
            (std::vector<std::string>{"plain", "Error: bad", "Note: advice", "ACCESS    : shown"}));
  EXPECT_EQ(ctx.Results.ProcessingNotes, std::vector<std::string>{"advice"});

  console.SetStatus("Reading");
  console.SetStatusProgress("Reading file", 200, 50);
  console.SetStatusProgress("Reading file", 0, 0);  // no total: ignored
  console.SetStatusDetail("Reference ok");
  console.SetStatusDetailError("no port");
  EXPECT_EQ(console.StatusHistory, (std::vector<std::string>{"  Reading", "  Reading file (25%)"}));
  EXPECT_EQ(console.StatusDetailHistory, (std::vector<std::string>{"  Reference ok", "  Error: no port"}));
  EXPECT_EQ(console.ProcessMessagesCount, 4);

  ctx.RecordInternalError("Timer1Timer", "boom");
  ctx.RecordInternalError("UpdateStatsDisplay", "again");
  EXPECT_EQ(ctx.LastInternalError.Location, "UpdateStatsDisplay");
  EXPECT_EQ(ctx.LastInternalError.Message, "again");
  EXPECT_EQ(ctx.LastInternalError.Count, 2);
}

TEST(StreamConsole, WritesOutputAndBoxesForATerminal) {
  std::ostringstream out, err;
  TStreamConsole console(out, err);
  console.WriteOutput("Error reading data file a.kv\rCRC error");
  console.ShowError("There were errors.\r\rDetails", 1315);
  console.Answer = mrYes;
  EXPECT_EQ(console.AskConfirmation("Save?", 1260), mrYes);
  EXPECT_EQ(out.str(), "Error reading data file a.kv\nCRC error\n");
  EXPECT_NE(err.str().find("qvs: error: There were errors.\n\nDetails [help 1315]"), std::string::npos);
  EXPECT_NE(err.str().find("answered Yes"), std::string::npos);
  console.Quiet = true;
  console.WriteOutput("dropped");
  EXPECT_EQ(out.str().find("dropped"), std::string::npos);
}

}  // namespace
}  // namespace qvs

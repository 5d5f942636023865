// The XML key-value store: value texts, reading and writing keys, loading bad files, atomic saves.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <locale>

#include "TempFolder.h"
#include "project/XMLConfiguration.h"

namespace qvs {
namespace {

using test::ReadWholeFile;
using test::TTempFolder;

// --- value texts ---------------------------------------------------------------------------------

TEST(XMLValueText, RealsAreWrittenWithFourteenDecimalsAndAFourDigitExponent) {
  const struct {
    double Value;
    const char* Text;
  } cases[] = {
      {25, "2.50000000000000E+0001"},
      {0, "0.00000000000000E+0000"},
      {-0.0, "0.00000000000000E+0000"},
      {-1.5, "-1.50000000000000E+0000"},
      {0.1, "1.00000000000000E-0001"},
      {45366.6041666667, "4.53666041666667E+0004"},
      {9.999999999999999, "1.00000000000000E+0001"},  // rounding carries into the exponent
      {1e-300, "1.00000000000000E-0300"},
      {1.7976931348623157e308, "1.79769313486232E+0308"},
      {-1234.5678, "-1.23456780000000E+0003"},
  };
  for (const auto& c : cases) EXPECT_EQ(XMLFloatToText(c.Value), c.Text) << c.Value;
}

TEST(XMLValueText, NonFiniteRealsAreWrittenAsTextsThatReadBackAsTheDefault) {
  for (const double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(XMLTextToFloat(XMLFloatToText(v)).has_value()) << XMLFloatToText(v);
  }
}

TEST(XMLValueText, RealsReadAnyDecimalFormWithAPoint) {
  const struct {
    const char* Text;
    std::optional<double> Value;
  } cases[] = {
      {"2.50000000000000E+0001", 25},
      {"25", 25},
      {" 25 ", 25},
      {"-1.5e3", -1500},
      {"+3", 3},
      {".5", 0.5},
      {"1E-0002", 0.01},
      {"1,5", std::nullopt},
      {"1.5x", std::nullopt},
      {"abc", std::nullopt},
      {"", std::nullopt},
      {"+-1", std::nullopt},
      {"0x10", std::nullopt},
      {"inf", std::nullopt},
      {"NAN", std::nullopt},
      {"1e999", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(XMLTextToFloat(c.Text), c.Value) << '"' << c.Text << '"';
}

TEST(XMLValueText, WrittenRealsReadBackToTheSameText) {
  for (const double v : {45366.604166666664, 0.1 + 0.2, -273.15, 1e-7, 6.02214076e23}) {
    const std::string text = XMLFloatToText(v);
    const auto back = XMLTextToFloat(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_NEAR(*back, v, std::abs(v) * 1e-14) << text;
    EXPECT_EQ(XMLFloatToText(*back), text);
  }
}

// A decimal comma in the program's C++ locale must not leak into files.
TEST(XMLValueText, RealsIgnoreTheProgramLocale) {
  struct TCommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
  };
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new TCommaDecimals));
  const std::string text = XMLFloatToText(2.5);
  const auto value = XMLTextToFloat("2.5");
  std::locale::global(previous);
  EXPECT_EQ(text, "2.50000000000000E+0000");
  EXPECT_EQ(value, 2.5);
}

TEST(XMLValueText, IntegersAreDecimalWithinThirtyTwoBits) {
  const struct {
    const char* Text;
    std::optional<int> Value;
  } cases[] = {
      {"12", 12},         {" 12 ", 12},
      {"-7", -7},         {"+7", 7},
      {"1.5", {}},        {"0x10", {}},
      {"$10", {}},        {"", {}},
      {"12a", {}},        {"2147483647", 2147483647},
      {"2147483648", {}}, {"-2147483648", -2147483647 - 1},
  };
  for (const auto& c : cases) EXPECT_EQ(XMLTextToInteger(c.Text), c.Value) << '"' << c.Text << '"';
}

TEST(XMLValueText, CleanTextKeepsEveryCharacterXmlCanHold) {
  EXPECT_EQ(XMLCleanText("Caf\xC3\xA9 M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x8C\xA1"),
            "Caf\xC3\xA9 M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x8C\xA1");
  EXPECT_EQ(XMLCleanText("a\tb\r\nc"), "a\tb\r\nc");
  EXPECT_EQ(XMLCleanText(std::string("a\x01"
                                     "b\x1F"
                                     "c\0d",
                                     7)),
            "abcd");
  EXPECT_EQ(XMLCleanText("\xEF\xBF\xBE"), "");  // U+FFFE is not an XML character
  // Bytes that are not UTF-8 are Windows-1252 text.
  EXPECT_EQ(XMLCleanText("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(XMLCleanText("\xC0\xAF"), "\xC3\x80\xC2\xAF");                  // an overlong form is two bytes
  EXPECT_EQ(XMLCleanText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");  // a surrogate is three
}

TEST(XMLValueText, TextLinesEndWithCrLfAndSplitAtAnyLineBreak) {
  EXPECT_EQ(JoinTextLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinTextLines({}), "");
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitTextLines("a\r\n\r\nb\r\n"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitTextLines("a\nb\rc"), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitTextLines("a\n\rb"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitTextLines(""), V{});
  EXPECT_EQ(SplitTextLines("\r\n"), V{""});
}

// --- reading and writing keys ----------------------------------------------------------------------

class XMLConfigurationFile : public ::testing::Test {
 protected:
  // Saves the document and loads it into a new one, as the next start of the program would.
  TXMLConfiguration& SaveAndReload(const TXMLConfiguration& doc) {
    std::string error;
    const std::string path = Temp.File("config.xml");
    EXPECT_TRUE(doc.Save(path, error)) << error;
    Reloaded = std::make_unique<TXMLConfiguration>("QVSConfiguration");
    EXPECT_TRUE(Reloaded->Load(path, error)) << error;
    return *Reloaded;
  }
  std::string Load(TXMLConfiguration& doc, std::string_view bytes) {
    std::string error;
    const std::string path = Temp.Write("in.xml", bytes);
    EXPECT_TRUE(doc.Load(path, error)) << error;
    return path;
  }

  TTempFolder Temp;
  std::unique_ptr<TXMLConfiguration> Reloaded;
};

TEST_F(XMLConfigurationFile, EveryKindReadsBackWhatWasWritten) {
  TXMLConfiguration doc("QVSConfiguration");
  doc.WriteString("Text", "  Caf\xC3\xA9 <&> \"quoted\" \r\n\ttabbed  ");
  doc.WriteString("Empty", "");
  doc.WriteString("Blank", " ");
  doc.WriteInteger("Integer", -42);
  doc.WriteBool("FlagOn", true);
  doc.WriteBool("FlagOff", false);
  doc.WriteFloat("Real", -273.15);
  doc.WriteDateTime("Date", 45366.75);
  doc.WriteStrings("Lines", {"first", "", "third, with comma"});
  THistory history(5);
  history.Add("b");
  history.Add("a");
  doc.WriteHistory("History", history);
  doc.WriteColumnWidths("Widths", {40, 120, 64});

  const TXMLConfiguration& back = SaveAndReload(doc);
  EXPECT_EQ(back.ReadString("Text", "x"), "  Caf\xC3\xA9 <&> \"quoted\" \r\n\ttabbed  ");
  EXPECT_EQ(back.ReadString("Empty", "x"), "");
  EXPECT_EQ(back.ReadString("Blank", "x"), " ");
  EXPECT_EQ(back.ReadInteger("Integer", 0), -42);
  EXPECT_TRUE(back.ReadBool("FlagOn", false));
  EXPECT_FALSE(back.ReadBool("FlagOff", true));
  EXPECT_EQ(back.ReadFloat("Real", 0), -273.15);
  EXPECT_EQ(back.ReadDateTime("Date", 0), 45366.75);
  std::vector<std::string> lines;
  back.ReadStrings("Lines", lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "", "third, with comma"}));
  THistory readHistory(5);
  back.ReadHistory("History", readHistory);
  EXPECT_EQ(readHistory.Items(), (std::vector<std::string>{"a", "b"}));
  std::vector<int> widths(3, 0);
  back.ReadColumnWidths("Widths", widths);
  EXPECT_EQ(widths, (std::vector<int>{40, 120, 64}));
}

TEST_F(XMLConfigurationFile, MissingKeysAndUnconvertibleTextsGiveTheDefault) {
  TXMLConfiguration doc("QVSConfiguration");
  Load(doc,
       "<QVSConfiguration><Int>1.5</Int><Flag>yes</Flag><Real>1,5</Real><Date>1e9</Date>"
       "<Byte>x</Byte><High>9</High><Low>-1</Low><Huge>99999999999</Huge><Flag2>-3</Flag2></QVSConfiguration>");
  EXPECT_EQ(doc.ReadInteger("Int", 7), 7);
  EXPECT_EQ(doc.ReadInteger("Missing", 7), 7);
  EXPECT_TRUE(doc.ReadBool("Flag", true));
  EXPECT_FALSE(doc.ReadBool("Flag", false));
  EXPECT_TRUE(doc.ReadBool("Flag2", false));  // any non-zero integer
  EXPECT_EQ(doc.ReadFloat("Real", 2.5), 2.5);
  EXPECT_EQ(doc.ReadDateTime("Date", 3), 3);  // beyond the year 9999
  EXPECT_EQ(doc.ReadString("Missing", "dflt"), "dflt");
  EXPECT_EQ(doc.ReadByte("High", 0, 7, 0), 7);
  EXPECT_EQ(doc.ReadByte("Low", 5, 7, 0), 0);
  EXPECT_EQ(doc.ReadByte("Byte", 3, 7, 0), 3);
  EXPECT_EQ(doc.ReadByte("Byte", 12, 7, 0), 7);  // the default is clamped too
  EXPECT_EQ(doc.ReadByte("Huge", 2, 7, 0), 2);
  std::vector<std::string> lines{"kept"};
  doc.ReadStrings("Missing", lines);
  EXPECT_EQ(lines, std::vector<std::string>{"kept"});
}

TEST_F(XMLConfigurationFile, HistoriesSkipEmptyAndRepeatedLinesAndAreNotCut) {
  TXMLConfiguration doc("QVSConfiguration");
  Load(doc, "<QVSConfiguration><H>/a/One.qvs\n\n/a/one.QVS\n/b\n/c\n/a/One.qvs\n</H></QVSConfiguration>");
  THistory history(2);
  doc.ReadHistory("H", history);
  EXPECT_EQ(history.Items(), (std::vector<std::string>{"/a/One.qvs", "/b", "/c"}));
  THistory paths(2, /*caseSensitive=*/true);
  doc.ReadHistory("H", paths);
  EXPECT_EQ(paths.Items(), (std::vector<std::string>{"/a/One.qvs", "/a/one.QVS", "/b", "/c"}));
}

TEST_F(XMLConfigurationFile, ColumnWidthsFillTheColumnsThatHaveAnEntry) {
  TXMLConfiguration doc("QVSConfiguration");
  Load(doc, "<QVSConfiguration><Short>30,x</Short><Long>1,2,3,4,5</Long></QVSConfiguration>");
  std::vector<int> widths{100, 100, 100};
  doc.ReadColumnWidths("Short", widths);
  EXPECT_EQ(widths, (std::vector<int>{30, 16, 100}));
  doc.ReadColumnWidths("Long", widths);
  EXPECT_EQ(widths, (std::vector<int>{1, 2, 3}));
}

TEST_F(XMLConfigurationFile, KeysAreReadUnderAnyRootElement) {
  TXMLConfiguration doc("QVSProject");
  Load(doc, "<?xml version=\"1.0\"?>\n<Something><Client>Acme</Client><Client>Second</Client></Something>");
  EXPECT_EQ(doc.ReadString("Client", ""), "Acme");  // the first of repeated elements
  doc.WriteString("Site", "Lab");
  EXPECT_EQ(doc.Keys(), (std::vector<std::string>{"Client", "Client", "Site"}));
  EXPECT_NE(doc.SaveToText().find("<Something>"), std::string::npos);
}

TEST_F(XMLConfigurationFile, WritingReplacesTheElementsContentAndKeepsEverythingElse) {
  TXMLConfiguration doc("QVSConfiguration");
  Load(doc,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<!-- written by hand -->\r\n"
       "<QVSConfiguration>\r\n"
       "  <Unknown mode=\"x\"><Child>1</Child></Unknown>\r\n"
       "  <Client note=\"kept\"><b>old</b> text</Client>\r\n"
       "  <!-- inside -->\r\n"
       "  <Future>value</Future>\r\n"
       "</QVSConfiguration>\r\n");
  EXPECT_EQ(doc.ReadString("Client", ""), "old text");
  doc.WriteString("Client", "new");
  doc.WriteInteger("Added", 5);

  const TXMLConfiguration& back = SaveAndReload(doc);
  EXPECT_EQ(back.Keys(), (std::vector<std::string>{"Unknown", "Client", "Future", "Added"}));
  EXPECT_EQ(back.ReadString("Client", ""), "new");
  EXPECT_EQ(back.ReadString("Future", ""), "value");
  EXPECT_EQ(back.ReadString("Unknown", ""), "1");
  const std::string text = back.SaveToText();
  EXPECT_NE(text.find("<!-- written by hand -->"), std::string::npos);
  EXPECT_NE(text.find("<!-- inside -->"), std::string::npos);
  EXPECT_NE(text.find("<Client note=\"kept\">new</Client>"), std::string::npos);
  EXPECT_NE(text.find("<Unknown mode=\"x\">"), std::string::npos);
}

TEST_F(XMLConfigurationFile, SavedFileIsUtf8WithTwoSpaceIndentation) {
  TXMLConfiguration doc("QVSProject");
  doc.WriteString("Client", "Caf\xC3\xA9");
  doc.WriteFloat("RefTConstant", 25);
  std::string error;
  const std::string path = Temp.File("p.qvs");
  ASSERT_TRUE(doc.Save(path, error)) << error;
  EXPECT_EQ(ReadWholeFile(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<QVSProject>\n"
            "  <Client>Caf\xC3\xA9</Client>\n"
            "  <RefTConstant>2.50000000000000E+0001</RefTConstant>\n"
            "</QVSProject>\n");
}

TEST_F(XMLConfigurationFile, AnEmptyNewDocumentSavesAFileThatLoads) {
  TXMLConfiguration doc("QVSConfiguration");
  TXMLConfiguration& back = SaveAndReload(doc);
  EXPECT_TRUE(back.Keys().empty());
  EXPECT_TRUE(back.Loaded());
}

TEST_F(XMLConfigurationFile, OtherEncodingsAreReadAndSavedAsUtf8) {
  TXMLConfiguration latin("QVSProject");
  Load(latin, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><QVSProject><Client>Caf\xE9</Client></QVSProject>");
  EXPECT_EQ(latin.ReadString("Client", ""), "Caf\xC3\xA9");
  const std::string text = latin.SaveToText();
  EXPECT_NE(text.find("encoding=\"UTF-8\""), std::string::npos);
  EXPECT_EQ(text.find("ISO-8859-1"), std::string::npos);
  EXPECT_NE(text.find("Caf\xC3\xA9"), std::string::npos);

  // UTF-16LE with its byte-order mark.
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("<QVSProject><Site>Lab</Site></QVSProject>")) {
    utf16 += c;
    utf16 += '\0';
  }
  TXMLConfiguration wide("QVSProject");
  Load(wide, utf16);
  EXPECT_EQ(wide.ReadString("Site", ""), "Lab");
}

// --- loading bad files ----------------------------------------------------------------------------

TEST_F(XMLConfigurationFile, FilesThatAreNotXmlFailToLoadAndLeaveTheDocumentAsItWas) {
  const struct {
    const char* Name;
    std::string Bytes;
    const char* Reason;
  } cases[] = {
      {"empty", "", "File is empty"},
      {"blanks", "  \r\n ", "No document element found"},
      {"text", "Client=Acme\r\n", "No document element found"},
      {"truncated", "<?xml version=\"1.0\"?>\n<QVSProject>\n  <Client>Acme</Cli", "at line 3"},
      {"unclosed", "<QVSProject><Client>Acme</Client>", "Start-end tags mismatch"},
      {"declaration only", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "No document element found"},
      {"binary", std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03", 10), ""},
      {"bad markup", "<QVSProject><1Client>x</1Client></QVSProject>", ""},
  };
  for (const auto& c : cases) {
    TXMLConfiguration doc("QVSProject");
    doc.WriteString("Client", "before");
    const std::string path = Temp.Write(std::string(c.Name) + ".qvs", c.Bytes);
    std::string error;
    EXPECT_FALSE(doc.Load(path, error)) << c.Name;
    EXPECT_EQ(error.rfind("Exception (LoadXMLConfig (" + path + "): ", 0), 0u) << error;
    EXPECT_NE(error.find(c.Reason), std::string::npos) << c.Name << ": " << error;
    EXPECT_EQ(doc.ReadString("Client", ""), "before") << c.Name;
    EXPECT_FALSE(doc.Loaded()) << c.Name;
  }
}

TEST_F(XMLConfigurationFile, AMissingFileLoadsNothingWithoutError) {
  TXMLConfiguration doc("QVSProject");
  std::string error;
  EXPECT_TRUE(doc.Load(Temp.File("none.qvs"), error));
  EXPECT_TRUE(doc.Load(Temp.File("no-folder/none.qvs"), error));
  EXPECT_FALSE(doc.Loaded());
  EXPECT_TRUE(error.empty());
}

TEST_F(XMLConfigurationFile, PathsThatAreNotRegularFilesOrTooLargeAreRefused) {
  std::filesystem::create_directory(Temp.Path() / "folder.qvs");
  const std::string big =
      Temp.Write("big.qvs", "<QVSProject><Client>" + std::string(2000, 'x') + "</Client></QVSProject>");
  std::string error;
  TXMLConfiguration doc("QVSProject");
  EXPECT_FALSE(doc.Load(Temp.File("folder.qvs"), error));
  EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
  EXPECT_FALSE(doc.Load("/dev/null", error));
  EXPECT_NE(error.find("Not a regular file"), std::string::npos) << error;
  doc.MaxFileSize = 1000;
  EXPECT_FALSE(doc.Load(big, error));
  const std::string size = std::to_string(std::filesystem::file_size(big));
  EXPECT_NE(error.find("File too large (" + size + " bytes; at most 1000 bytes are read)"), std::string::npos) << error;
  doc.MaxFileSize = TXMLConfiguration::kDefaultMaxFileSize;
  EXPECT_TRUE(doc.Load(big, error)) << error;
  EXPECT_EQ(doc.ReadString("Client", "").size(), 2000u);
}

// Such a file would overflow the stack when its elements are replaced and would grow without bound
// when saved indented; it is refused. Moderate nesting in an unknown element survives a save.
TEST_F(XMLConfigurationFile, DeeplyNestedElementsAreRefused) {
  const auto nested = [](int depth) {
    std::string text = "<QVSProject><Client>";
    for (int i = 0; i < depth; ++i) text += "<a>";
    text += "x";
    for (int i = 0; i < depth; ++i) text += "</a>";
    return text + "</Client></QVSProject>";
  };
  TXMLConfiguration doc("QVSProject");
  std::string error;
  EXPECT_FALSE(doc.LoadFromBytes(nested(200000), error));
  EXPECT_EQ(error, "Exception (LoadXMLConfig (<memory>): Elements nested more than 64 deep");
  ASSERT_TRUE(doc.LoadFromBytes(nested(61), error)) << error;
  EXPECT_EQ(doc.ReadString("Client", ""), "x");
  doc.WriteString("Site", "Lab");
  TXMLConfiguration back("QVSProject");
  ASSERT_TRUE(back.LoadFromBytes(doc.SaveToText(), error)) << error;
  EXPECT_EQ(back.ReadString("Client", ""), "x");
  doc.WriteString("Client", "flat");
  EXPECT_EQ(doc.ReadString("Client", ""), "flat");
}

// --- saving ---------------------------------------------------------------------------------------

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(XMLConfigurationFile, SavingWhereNoFileCanBeWrittenReportsWhy) {
  Temp.Write("plainfile", "x");
  std::filesystem::create_directory(Temp.Path() / "folder.qvs");
  const struct {
    std::string Path;
    const char* Reason;
  } cases[] = {
      {Temp.File("missing/p.qvs"), "No such file or directory"},
      {Temp.File("plainfile/p.qvs"), "Not a directory"},
      {Temp.File("folder.qvs"), "Is a directory"},
  };
  TXMLConfiguration doc("QVSProject");
  doc.WriteString("Client", "Acme");
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(doc.Save(c.Path, error)) << c.Path;
    EXPECT_EQ(error, "Exception (SaveXMLConfig (" + c.Path + "): " + c.Reason);
  }
  EXPECT_EQ(FolderEntries(Temp.Path()), (std::vector<std::string>{"folder.qvs", "plainfile"}));
}

TEST_F(XMLConfigurationFile, SavingIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "folder permissions do not stop the superuser";
  const std::string path = Temp.Write("ro/p.qvs", "<QVSProject><Client>Old</Client></QVSProject>");
  std::filesystem::permissions(Temp.Path() / "ro",
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  TXMLConfiguration doc("QVSProject");
  doc.WriteString("Client", "New");
  std::string error;
  EXPECT_FALSE(doc.Save(path, error));
  EXPECT_EQ(error, "Exception (SaveXMLConfig (" + path + "): Permission denied");
  EXPECT_EQ(ReadWholeFile(path), "<QVSProject><Client>Old</Client></QVSProject>");
}

// A write that fails half-way (here: the file size limit, which binds the superuser too) leaves the
// old file as it was and no temporary file behind.
TEST_F(XMLConfigurationFile, AWriteThatFailsHalfWayKeepsTheOldFile) {
  const std::string old = "<QVSProject><Client>Old</Client></QVSProject>";
  const std::string path = Temp.Write("p.qvs", old);
  TXMLConfiguration doc("QVSProject");
  doc.WriteString("Client", std::string(100000, 'n'));

  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string error;
  const bool saved_ok = doc.Save(path, error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(saved_ok);
  EXPECT_EQ(error, "Exception (SaveXMLConfig (" + path + "): File too large");
  EXPECT_EQ(ReadWholeFile(path), old);
  EXPECT_EQ(FolderEntries(Temp.Path()), std::vector<std::string>{"p.qvs"});
}

TEST_F(XMLConfigurationFile, SavingReplacesTheFileKeepingItsPermissionsAndLinks) {
  const std::string target = Temp.Write("real/p.qvs", "<QVSProject/>");
  ::chmod(target.c_str(), 0640);
  const std::string link = Temp.File("link.qvs");
  std::filesystem::create_symlink(target, link);
  TXMLConfiguration doc("QVSProject");
  doc.WriteString("Client", "Acme");
  std::string error;
  ASSERT_TRUE(doc.Save(link, error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_NE(ReadWholeFile(target).find("<Client>Acme</Client>"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(FolderEntries(Temp.Path() / "real"), std::vector<std::string>{"p.qvs"});
}

}  // namespace
}  // namespace qvs

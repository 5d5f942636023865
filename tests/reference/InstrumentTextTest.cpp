// Decoding of instrument text files and reading them line by line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "reference/InstrumentText.h"

namespace qvs {
namespace {

struct TDecodeCase {
  const char* Scenario;
  std::string Bytes;
  std::string Expected;
  TInstrumentTextEncoding Encoding;
};

std::vector<TDecodeCase> DecodeCases() {
  using E = TInstrumentTextEncoding;
  return {
      {"plain ASCII", "t:21.5C 10:00:00", "t:21.5C 10:00:00", E::Bytes},
      {"empty file", "", "", E::Bytes},
      {"valid UTF-8 kept",
       "Temp \xC2\xB0"
       "C",
       "Temp \xC2\xB0"
       "C",
       E::Bytes},
      {"Windows-1252 degree sign",
       "Temp \xB0"
       "C",
       "Temp \xC2\xB0"
       "C",
       E::Bytes},
      {"Windows-1252 euro and quotes", "\x80 \x93x\x94", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D", E::Bytes},
      {"undefined Windows-1252 byte", "\x81", "\xC2\x81", E::Bytes},
      {"UTF-8 mixed with a stray byte", "\xC3\xA9\xE9", "\xC3\xA9\xC3\xA9", E::Bytes},
      {"cut UTF-8 sequence at the end", "a\xE2\x82", "a\xC3\xA2\xE2\x80\x9A", E::Bytes},
      {"overlong UTF-8 is not UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF", E::Bytes},
      {"UTF-8 mark skipped", "\xEF\xBB\xBFTime,A", "Time,A", E::UTF8Mark},
      {"UTF-8 mark and Windows-1252 bytes",
       "\xEF\xBB\xBF\xB0"
       "C",
       "\xC2\xB0"
       "C",
       E::UTF8Mark},
      {"UTF-8 mark and nothing else", "\xEF\xBB\xBF", "", E::UTF8Mark},
      {"UTF-16LE with mark",
       std::string("\xFF\xFE"
                   "A\0\xB0\0\r\0\n\0",
                   10),
       "A\xC2\xB0\r\n", E::UTF16LE},
      {"UTF-16LE mark alone", "\xFF\xFE", "", E::UTF16LE},
      {"UTF-16LE odd final byte dropped",
       std::string("\xFF\xFE"
                   "A\0B",
                   5),
       "A", E::UTF16LE},
      {"UTF-16LE surrogate pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "\xF0\x9F\x98\x80", E::UTF16LE},
      {"UTF-16LE lone surrogate",
       std::string("\xFF\xFE\x3D\xD8"
                   "A\0",
                   6),
       "\xEF\xBF\xBD"
       "A",
       E::UTF16LE},
      {"UTF-16BE with mark", std::string("\xFE\xFF\0A\0\xB0", 6), "A\xC2\xB0", E::UTF16BE},
      {"FF FE 00 is not UTF-16", std::string("\xFF\xFE\0", 3), std::string("\xC3\xBF\xC3\xBE\0", 5), E::Bytes},
  };
}

TEST(InstrumentTextDecoding, WholeFileDecodesEachEncoding) {
  for (const auto& c : DecodeCases()) {
    TInstrumentTextEncoding encoding{};
    EXPECT_EQ(DecodeInstrumentText(c.Bytes, &encoding), c.Expected) << c.Scenario;
    EXPECT_EQ(encoding, c.Encoding) << c.Scenario;
  }
}

TEST(InstrumentTextDecoding, ChunksOfAnySizeDecodeLikeTheWholeFile) {
  for (const auto& c : DecodeCases()) {
    for (std::size_t chunk : {1u, 2u, 3u, 5u}) {
      TInstrumentTextDecoder decoder;
      std::string out;
      for (std::size_t i = 0; i < c.Bytes.size(); i += chunk)
        decoder.Decode(c.Bytes.data() + i, std::min(chunk, c.Bytes.size() - i), false, out);
      decoder.Decode(nullptr, 0, true, out);
      EXPECT_EQ(out, c.Expected) << c.Scenario << ", chunks of " << chunk;
    }
  }
}

TEST(InstrumentTextEncoding, EncodersRoundTripThroughTheDecoder) {
  const std::string text =
      "Temp \xC2\xB0"
      "C \xE2\x82\xAC \xC5\xA0 \xF0\x9F\x98\x80";
  EXPECT_EQ(DecodeInstrumentText("\xFF\xFE" + UTF8ToUTF16LE(text)), text);
  // Windows-1252 cannot hold the emoji.
  EXPECT_EQ(UTF8ToWindows1252(text),
            "Temp \xB0"
            "C \x80 \x8A ?");
  EXPECT_EQ(DecodeInstrumentText(UTF8ToWindows1252("Temp \xC2\xB0"
                                                   "C \xE2\x82\xAC")),
            "Temp \xC2\xB0"
            "C \xE2\x82\xAC");
}

TEST(InstrumentTextReader, SplitsLinesAtEveryKindOfLineEnd) {
  test::TTempFolder folder;
  struct TCase {
    const char* Scenario;
    std::string Bytes;
    std::vector<std::string> Lines;
  } cases[] = {
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"LF", "a\nb\n", {"a", "b"}},
      {"CR", "a\rb\r", {"a", "b"}},
      {"no final line end", "a\nb", {"a", "b"}},
      {"blank lines kept", "a\n\n\nb\n", {"a", "", "", "b"}},
      {"only a line end", "\r\n", {""}},
      {"empty file", "", {}},
      {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
      {"UTF-16 line ends", std::string("\xFF\xFEx\0\r\0\n\0y\0", 10), {"x", "y"}},
  };
  for (const auto& c : cases) {
    const std::string path = folder.Write("lines.txt", c.Bytes);
    TInstrumentTextReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.ErrorText;
    std::vector<std::string> lines;
    std::string line;
    while (reader.NextLine(line)) lines.push_back(line);
    EXPECT_EQ(lines, c.Lines) << c.Scenario;
  }
}

TEST(InstrumentTextReader, ReadsLongLinesAndLineEndsAcrossChunkBoundaries) {
  test::TTempFolder folder;
  // A CR LF split by the reader's 64 KiB chunk, then a line of several megabytes.
  std::string bytes(65535, 'x');
  bytes += "\r\nshort\r\n";
  bytes += std::string(3'000'000, 'y');
  bytes += "\rlast";
  const std::string path = folder.Write("long.txt", bytes);
  TInstrumentTextReader reader;
  ASSERT_TRUE(reader.Open(path));
  std::string line;
  ASSERT_TRUE(reader.NextLine(line));
  EXPECT_EQ(line.size(), 65535u);
  ASSERT_TRUE(reader.NextLine(line));
  EXPECT_EQ(line, "short");
  ASSERT_TRUE(reader.NextLine(line));
  EXPECT_EQ(line.size(), 3'000'000u);
  ASSERT_TRUE(reader.NextLine(line));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(reader.NextLine(line));
  EXPECT_EQ(reader.BytesRead(), bytes.size());
  EXPECT_EQ(reader.FileSize(), bytes.size());
}

TEST(InstrumentTextReader, RefusesMissingFilesAndFolders) {
  test::TTempFolder folder;
  TInstrumentTextReader reader;
  EXPECT_FALSE(reader.Open(folder.File("missing.txt")));
  EXPECT_FALSE(reader.ErrorText.empty());
  EXPECT_FALSE(reader.Open(folder.Folder()));
  EXPECT_EQ(reader.ErrorText, "it is a folder");
}

TEST(ShownText, MarksControlCharactersAndCutsLongTexts) {
  EXPECT_EQ(ShownText("a\tb"), "a\tb");
  EXPECT_EQ(ShownText(std::string("a\0b\x1B", 4)), "a<0x00>b<0x1B>");
  EXPECT_EQ(ShownText("abcdef", 4), "abcd...");
  // Never cuts a character in two.
  EXPECT_EQ(ShownText("ab\xC2\xB0"
                      "c",
                      3),
            "ab...");
}

TEST(ReadFileBytes, RefusesFilesAboveTheLimit) {
  test::TTempFolder folder;
  const std::string path = folder.Write("big.csv", std::string(100, 'x'));
  std::string bytes, error;
  EXPECT_TRUE(ReadFileBytes(path, bytes, error, 100));
  EXPECT_EQ(bytes.size(), 100u);
  EXPECT_FALSE(ReadFileBytes(path, bytes, error, 99));
  EXPECT_NE(error.find("more than the 99 bytes"), std::string::npos) << error;
}

}  // namespace
}  // namespace qvs

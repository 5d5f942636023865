#pragma once
// The key-value store behind project files and the settings file: an XML document with one root
// element and one child element per key whose text is the value. Nothing is kept in attributes.
//
// Value texts:
//   text         the text as UTF-8; characters XML cannot hold (control codes other than tab, LF and
//                CR) are dropped, bytes that are not UTF-8 are taken as Windows-1252, both when
//                written and when read
//   integer      decimal
//   flag         "1" / "0"; read as an integer, any non-zero value is true
//   real         "2.50000000000000E+0001": sign when negative, one digit, ".", 14 digits, "E",
//                the exponent's sign and 4 digits; read as any decimal number with "."
//   date-time    a real counting days since 1899-12-30
//   text lines   each line followed by CR LF; read split at CR LF, LF or CR
//   history      as text lines; read skipping empty lines and lines already listed
//   column widths comma text of the widths
// A missing element, or text that does not convert, gives the caller's default.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"
#include "project/History.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace qvs {

// A key-value XML document with a named root element.
class TXMLConfiguration {
 public:
  // Files larger than this are refused by Load (a project or settings file is a few kilobytes).
  static constexpr std::uintmax_t kDefaultMaxFileSize = 256u * 1024u * 1024u;

  // An empty document: declaration version "1.0", encoding "UTF-8", and the root element.
  explicit TXMLConfiguration(std::string rootName);
  ~TXMLConfiguration();
  TXMLConfiguration(const TXMLConfiguration&) = delete;
  TXMLConfiguration& operator=(const TXMLConfiguration&) = delete;

  // Loads the file into the document and remembers its path. A file that does not exist is not an
  // error: the document stays as it is and Loaded() stays false. A path that is not a readable
  // regular file, a file above MaxFileSize, text that is not well-formed XML or elements nested more
  // than 64 deep give false with errorText "Exception (LoadXMLConfig (<path>): <reason>" and leave
  // the document unchanged.
  // Whatever the root element is called, its children are the keys.
  bool Load(const std::string& path, std::string& errorText);
  // The same from bytes in memory (errorText then names "<memory>").
  bool LoadFromBytes(std::string_view bytes, std::string& errorText);

  // Writes the document to the path, atomically: a temporary file in the same folder is written,
  // flushed to disk and renamed over the path, so the old file stays intact on any failure.
  // False with errorText "Exception (SaveXMLConfig (<path>): <reason>" on failure.
  bool Save(const std::string& path, std::string& errorText) const;
  // The document as it would be saved (UTF-8, two-space indentation).
  std::string SaveToText() const;

  // The path of the last file loaded ("" when none was).
  const std::string& FileName() const { return FileName_; }
  bool Loaded() const { return !FileName_.empty(); }
  const std::string& RootName() const { return RootName_; }
  std::uintmax_t MaxFileSize = kDefaultMaxFileSize;

  bool HasKey(std::string_view key) const;
  // The element's text, or the default when the element is missing.
  std::string ReadString(std::string_view key, std::string_view defaultValue) const;
  int ReadInteger(std::string_view key, int defaultValue) const;
  bool ReadBool(std::string_view key, bool defaultValue) const;
  double ReadFloat(std::string_view key, double defaultValue) const;
  // A real that is a date-time of the years 1 to 9999, else the default.
  TDateTime ReadDateTime(std::string_view key, TDateTime defaultValue) const;
  // An integer (the default when the text is not one), clamped into [low, high].
  int ReadByte(std::string_view key, int defaultValue, int high, int low) const;
  // The text lines; the list is left as it is when the element is missing.
  void ReadStrings(std::string_view key, std::vector<std::string>& lines) const;
  // The history's items; left as it is when the element is missing.
  void ReadHistory(std::string_view key, THistory& history) const;
  // One width per column (the vector's size is the column count): each column for which an entry
  // exists gets it, 16 when the entry is not an integer; entries beyond the columns are ignored.
  void ReadColumnWidths(std::string_view key, std::vector<int>& widths) const;

  // Each write sets the key's element text (removing whatever the element held) or appends a new
  // element to the root. Elements that are not written are kept as they are.
  void WriteString(std::string_view key, std::string_view value);
  void WriteInteger(std::string_view key, int value);
  void WriteBool(std::string_view key, bool value);
  void WriteFloat(std::string_view key, double value);
  void WriteDateTime(std::string_view key, TDateTime value) { WriteFloat(key, value); }
  void WriteStrings(std::string_view key, const std::vector<std::string>& lines);
  void WriteHistory(std::string_view key, const THistory& history);
  void WriteColumnWidths(std::string_view key, const std::vector<int>& widths);

  // The names of the root's child elements, in document order (duplicates included).
  std::vector<std::string> Keys() const;

 private:
  pugi::xml_node Root() const;
  pugi::xml_node Find(std::string_view key) const;
  std::optional<std::string> Text(std::string_view key) const;

  std::string RootName_;
  std::string FileName_;
  std::unique_ptr<pugi::xml_document> Document_;
};

// The project file's document: root element "QVSProject".
class TXMLProject : public TXMLConfiguration {
 public:
  TXMLProject() : TXMLConfiguration("QVSProject") {}

  // A path stored relative to the project folder: read back as a full path ("" stays "").
  std::string ReadPath(std::string_view key, std::string_view projectFolder) const;
  // Writes the path relative to the project folder ("" stays "").
  void WritePath(std::string_view key, std::string_view path, std::string_view projectFolder);
};

// Value conversions of the store, usable on their own.
// The real-number text: 25 gives "2.50000000000000E+0001"; non-finite values give "NAN", "INF",
// "-INF" (which read back as the default).
std::string XMLFloatToText(double value);
// A finite decimal real with "." (blanks around it allowed, "+" or "-" sign, exponent optional).
std::optional<double> XMLTextToFloat(std::string_view text);
// A decimal 32-bit integer (blanks around it and a sign allowed).
std::optional<int> XMLTextToInteger(std::string_view text);
// Text as the store writes it: valid UTF-8 without the characters XML cannot hold.
std::string XMLCleanText(std::string_view text);
// Lines joined with CR LF after each line, and split back at CR LF, LF or CR.
std::string JoinTextLines(const std::vector<std::string>& lines);
std::vector<std::string> SplitTextLines(std::string_view text);

}  // namespace qvs

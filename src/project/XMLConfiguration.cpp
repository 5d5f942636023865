#include "project/XMLConfiguration.h"

#include "core/Utf8.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <filesystem>
#include <pugixml.hpp>
#include <system_error>

#include "core/CommaText.h"
#include "core/DataFileList.h"
#include "core/TextForms.h"

namespace qvs {
namespace {

// Comments, processing instructions and the document type are kept so that they survive a save.
// End-of-line normalisation is off so that a CR the store wrote reads back as a CR.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata_single |
                                   pugi::parse_comments | pugi::parse_pi | pugi::parse_declaration |
                                   pugi::parse_doctype;

// Project and settings files nest two deep. Deeper documents are refused: the library's node
// removal recurses, and indenting a deep document on saving grows with the square of its depth.
constexpr int kMaxNestingDepth = 64;

constexpr double kMinDateTime = -693593.0;  // 0001-01-01
constexpr double kMaxDateTime = 2958466.0;  // 10000-01-01

std::string ErrnoText(int error) { return std::generic_category().message(error); }

std::string LoadError(std::string_view path, std::string_view reason) {
  return "Exception (LoadXMLConfig (" + std::string(path) + "): " + std::string(reason);
}

std::string SaveError(std::string_view path, std::string_view reason) {
  return "Exception (SaveXMLConfig (" + std::string(path) + "): " + std::string(reason);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The characters an XML 1.0 document can hold.
bool IsXmlChar(char32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
         (cp >= 0x10000 && cp <= 0x10FFFF);
}

// All the text below an element, as the element's value. Iterative: a hostile file may nest
// elements far deeper than the stack could follow.
void CollectText(const pugi::xml_node& node, std::string& out) {
  pugi::xml_node current = node.first_child();
  while (current) {
    const auto type = current.type();
    if (type == pugi::node_pcdata || type == pugi::node_cdata) out += current.value();
    if (type == pugi::node_element && current.first_child()) {
      current = current.first_child();
      continue;
    }
    while (current != node && !current.next_sibling()) current = current.parent();
    if (current == node) break;
    current = current.next_sibling();
  }
}

// Line and column (1-based) of a byte offset, for parse error messages.
std::string PositionText(std::string_view bytes, std::ptrdiff_t offset) {
  const std::size_t end = offset < 0 ? 0 : std::min(bytes.size(), static_cast<std::size_t>(offset));
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < end; ++i) {
    if (bytes[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The declaration every saved document starts with: version 1.0 and encoding UTF-8 (the store
// always writes UTF-8, whatever the loaded file declared).
void SetUtf8Declaration(pugi::xml_document& doc) {
  pugi::xml_node decl = doc.first_child();
  if (decl.type() != pugi::node_declaration) decl = doc.prepend_child(pugi::node_declaration);
  for (const char* name : {"version", "encoding"})
    if (!decl.attribute(name)) decl.append_attribute(name);
  decl.attribute("version").set_value("1.0");
  decl.attribute("encoding").set_value("UTF-8");
}

// Whitespace between the root's children is layout, not content; it would spoil the indentation
// of elements appended later.
void DropLayoutText(pugi::xml_node root) {
  for (pugi::xml_node child = root.first_child(); child;) {
    pugi::xml_node next = child.next_sibling();
    if (child.type() == pugi::node_pcdata && TrimBlanks(child.value()).empty()) root.remove_child(child);
    child = next;
  }
}

class TStringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, std::size_t size) override { Text.append(static_cast<const char*>(data), size); }
  std::string Text;
};

bool WriteAll(int fd, std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes the bytes to a new temporary file in the folder of the target, flushes it and renames it
// over the target. Returns 0 or the errno of the first failure; the target is untouched on failure.
int AtomicWriteFile(const std::string& target, std::string_view bytes) {
  namespace fs = std::filesystem;
  fs::path path(target);
  // Replace the file a link points to, not the link.
  struct stat linkInfo {};
  if (::lstat(target.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    if (!ec) path = resolved;
  }
  if (!path.has_filename()) return EISDIR;
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const std::string base = path.filename().string();

  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return EISDIR;

  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = (folder / ("." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++))).string();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;

  int error = 0;
  if (exists) (void)::fchmod(fd, existing.st_mode & 07777);
  bool ok = WriteAll(fd, bytes, error);
  if (ok && ::fsync(fd) != 0) ok = false, error = errno;
  if (::close(fd) != 0 && ok) ok = false, error = errno;
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false, error = errno;
  if (!ok) {
    ::unlink(temp.c_str());
    return error;
  }
  // Make the rename itself durable; a failure here no longer endangers either version.
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    (void)::fsync(dirFd);
    ::close(dirFd);
  }
  return 0;
}

// The deepest nesting of nodes below the document (the root element is 1). Iterative: the
// document may come from anywhere.
int NestingDepth(const pugi::xml_document& doc) {
  int depth = 1, deepest = 0;
  pugi::xml_node node = doc.first_child();
  while (node) {
    deepest = std::max(deepest, depth);
    if (node.first_child()) {
      node = node.first_child();
      ++depth;
      continue;
    }
    while (node.type() != pugi::node_document && !node.next_sibling()) {
      node = node.parent();
      --depth;
    }
    node = node.type() == pugi::node_document ? pugi::xml_node() : node.next_sibling();
  }
  return deepest;
}

// Parses a whole document; nullptr with the reason when the bytes are not one.
std::unique_ptr<pugi::xml_document> ParseDocument(std::string_view bytes, std::string& reason) {
  if (bytes.empty()) {
    reason = "File is empty";
    return nullptr;
  }
  auto doc = std::make_unique<pugi::xml_document>();
  const pugi::xml_parse_result result = doc->load_buffer(bytes.data(), bytes.size(), kParseOptions);
  if (!result) {
    reason = std::string(result.description()) + " at " + PositionText(bytes, result.offset);
    return nullptr;
  }
  if (!doc->document_element()) {
    reason = "No root element";
    return nullptr;
  }
  if (NestingDepth(*doc) > kMaxNestingDepth) {
    reason = "Elements nested more than " + std::to_string(kMaxNestingDepth) + " deep";
    return nullptr;
  }
  SetUtf8Declaration(*doc);
  DropLayoutText(doc->document_element());
  return doc;
}

// Reads a regular file of at most maxSize bytes; false with the reason otherwise.
bool ReadConfigurationFile(const std::string& path, std::uintmax_t maxSize, std::string& bytes, std::string& reason) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    reason = ErrnoText(errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    reason = ErrnoText(EISDIR);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    reason = "Not a regular file";
    return false;
  }
  const auto tooLarge = [&](std::uintmax_t size) {
    return "File too large (" + std::to_string(size) + " bytes; at most " + std::to_string(maxSize) +
           " bytes are read)";
  };
  if (static_cast<std::uintmax_t>(info.st_size) > maxSize) {
    reason = tooLarge(static_cast<std::uintmax_t>(info.st_size));
    return false;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    reason = ErrnoText(errno);
    return false;
  }
  bytes.clear();
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      reason = ErrnoText(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
    if (bytes.size() > maxSize) {  // the file grew while it was read
      reason = tooLarge(bytes.size());
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Value conversions

std::string XMLFloatToText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) value = 0;  // no sign for negative zero
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  const std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t e = s.find('e');
  std::string out(s.substr(0, e));
  out += 'E';
  out += s[e + 1];
  const std::string_view digits = s.substr(e + 2);
  out.append(digits.size() < 4 ? 4 - digits.size() : 0, '0');
  out += digits;
  return out;
}

std::optional<double> XMLTextToFloat(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  double value = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (res.ec != std::errc{} || res.ptr != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> XMLTextToInteger(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  long long value = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (res.ec != std::errc{} || res.ptr != text.data() + text.size() || value < INT_MIN || value > INT_MAX)
    return std::nullopt;
  return static_cast<int>(value);
}

std::string XMLCleanText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::uint32_t cp = NextTextCodePoint(text, i);
    if (IsXmlChar(cp)) AppendUTF8(out, cp);
  }
  return out;
}

std::string JoinTextLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

// ---------------------------------------------------------------------------------------------
// TXMLConfiguration

TXMLConfiguration::TXMLConfiguration(std::string rootName)
    : RootName_(std::move(rootName)), Document_(std::make_unique<pugi::xml_document>()) {
  SetUtf8Declaration(*Document_);
  Document_->append_child(RootName_.c_str());
}

TXMLConfiguration::~TXMLConfiguration() = default;

bool TXMLConfiguration::Load(const std::string& path, std::string& errorText) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) return true;  // nothing to load
  try {
    std::string bytes, reason;
    std::unique_ptr<pugi::xml_document> doc;
    if (ReadConfigurationFile(path, MaxFileSize, bytes, reason)) doc = ParseDocument(bytes, reason);
    if (!doc) {
      errorText = LoadError(path, reason);
      return false;
    }
    Document_ = std::move(doc);
    FileName_ = path;
    return true;
  } catch (const std::exception& e) {
    errorText = LoadError(path, e.what());
    return false;
  }
}

bool TXMLConfiguration::LoadFromBytes(std::string_view bytes, std::string& errorText) {
  try {
    std::string reason;
    auto doc = ParseDocument(bytes, reason);
    if (!doc) {
      errorText = LoadError("<memory>", reason);
      return false;
    }
    Document_ = std::move(doc);
    return true;
  } catch (const std::exception& e) {
    errorText = LoadError("<memory>", e.what());
    return false;
  }
}

std::string TXMLConfiguration::SaveToText() const {
  TStringWriter writer;
  Document_->save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
  return std::move(writer.Text);
}

bool TXMLConfiguration::Save(const std::string& path, std::string& errorText) const {
  std::string text;
  try {
    text = SaveToText();
  } catch (const std::exception& e) {
    errorText = SaveError(path, e.what());
    return false;
  }
  if (path.empty()) {
    errorText = SaveError(path, "No file name");
    return false;
  }
  if (const int error = AtomicWriteFile(path, text); error != 0) {
    errorText = SaveError(path, ErrnoText(error));
    return false;
  }
  return true;
}

pugi::xml_node TXMLConfiguration::Root() const { return Document_->document_element(); }

pugi::xml_node TXMLConfiguration::Find(std::string_view key) const {
  for (pugi::xml_node child = Root().first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element && key == child.name()) return child;
  return {};
}

std::optional<std::string> TXMLConfiguration::Text(std::string_view key) const {
  const pugi::xml_node node = Find(key);
  if (!node) return std::nullopt;
  std::string text;
  CollectText(node, text);
  // Text inside the program is valid UTF-8, the same as what a write of it would store.
  return XMLCleanText(text);
}

bool TXMLConfiguration::HasKey(std::string_view key) const { return static_cast<bool>(Find(key)); }

std::vector<std::string> TXMLConfiguration::Keys() const {
  std::vector<std::string> keys;
  for (pugi::xml_node child = Root().first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element) keys.emplace_back(child.name());
  return keys;
}

std::string TXMLConfiguration::ReadString(std::string_view key, std::string_view defaultValue) const {
  auto text = Text(key);
  return text ? std::move(*text) : std::string(defaultValue);
}

int TXMLConfiguration::ReadInteger(std::string_view key, int defaultValue) const {
  const auto text = Text(key);
  if (!text) return defaultValue;
  return XMLTextToInteger(*text).value_or(defaultValue);
}

bool TXMLConfiguration::ReadBool(std::string_view key, bool defaultValue) const {
  return ReadInteger(key, defaultValue ? 1 : 0) != 0;
}

double TXMLConfiguration::ReadFloat(std::string_view key, double defaultValue) const {
  const auto text = Text(key);
  if (!text) return defaultValue;
  return XMLTextToFloat(*text).value_or(defaultValue);
}

TDateTime TXMLConfiguration::ReadDateTime(std::string_view key, TDateTime defaultValue) const {
  const double value = ReadFloat(key, defaultValue);
  return value >= kMinDateTime && value < kMaxDateTime ? value : defaultValue;
}

int TXMLConfiguration::ReadByte(std::string_view key, int defaultValue, int high, int low) const {
  const int value = ReadInteger(key, defaultValue);
  return value < low ? low : value > high ? high : value;
}

void TXMLConfiguration::ReadStrings(std::string_view key, std::vector<std::string>& lines) const {
  if (const auto text = Text(key)) lines = SplitTextLines(*text);
}

void TXMLConfiguration::ReadHistory(std::string_view key, THistory& history) const {
  if (const auto text = Text(key)) history.Assign(SplitTextLines(*text));
}

void TXMLConfiguration::ReadColumnWidths(std::string_view key, std::vector<int>& widths) const {
  const auto text = Text(key);
  if (!text) return;
  const std::vector<std::string> entries = FromCommaText(*text);
  for (std::size_t i = 0; i < entries.size() && i < widths.size(); ++i)
    widths[i] = XMLTextToInteger(entries[i]).value_or(16);
}

void TXMLConfiguration::WriteString(std::string_view key, std::string_view value) {
  pugi::xml_node root = Root();
  if (!root) root = Document_->append_child(RootName_.c_str());
  const std::string name(key);
  pugi::xml_node node = Find(key);
  if (node) {
    while (pugi::xml_node child = node.first_child()) node.remove_child(child);
  } else {
    node = root.append_child(name.c_str());
  }
  const std::string clean = XMLCleanText(value);
  node.append_child(pugi::node_pcdata).set_value(clean.c_str());
}

void TXMLConfiguration::WriteInteger(std::string_view key, int value) { WriteString(key, std::to_string(value)); }

void TXMLConfiguration::WriteBool(std::string_view key, bool value) { WriteString(key, value ? "1" : "0"); }

void TXMLConfiguration::WriteFloat(std::string_view key, double value) { WriteString(key, XMLFloatToText(value)); }

void TXMLConfiguration::WriteStrings(std::string_view key, const std::vector<std::string>& lines) {
  WriteString(key, JoinTextLines(lines));
}

void TXMLConfiguration::WriteHistory(std::string_view key, const THistory& history) {
  WriteStrings(key, history.Items());
}

void TXMLConfiguration::WriteColumnWidths(std::string_view key, const std::vector<int>& widths) {
  std::vector<std::string> entries;
  entries.reserve(widths.size());
  for (const int w : widths) entries.push_back(std::to_string(w));
  WriteString(key, ToCommaText(entries));
}

// ---------------------------------------------------------------------------------------------
// TXMLProject

std::string TXMLProject::ReadPath(std::string_view key, std::string_view projectFolder) const {
  const std::string stored = ReadString(key, "");
  if (TrimBlanks(stored).empty()) return {};
  return ExpandProjectPath(projectFolder, stored);
}

void TXMLProject::WritePath(std::string_view key, std::string_view path, std::string_view projectFolder) {
  WriteString(key, TrimBlanks(path).empty() ? std::string() : RelativeProjectPath(projectFolder, path));
}

}  // namespace qvs

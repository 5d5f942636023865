#pragma once
// Text files written by reference instruments, decoded to UTF-8: a UTF-16 byte-order mark selects
// UTF-16 (little-endian FF FE, big-endian FE FF), a UTF-8 mark is skipped, and any byte that does
// not start a valid UTF-8 sequence is read as Windows-1252. Lines end at CR LF, LF or CR; a final
// line break adds no empty line.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/Utf8.h"

namespace qvs {

// The encoding chosen from a file's first bytes.
enum class TInstrumentTextEncoding {
  Bytes,     // UTF-8 where valid, Windows-1252 elsewhere
  UTF8Mark,  // the same, after a skipped EF BB BF
  UTF16LE,   // after FF FE (when the third byte is not 0)
  UTF16BE,   // after FE FF
};

// Decodes consecutive chunks of one file into UTF-8. The encoding is chosen from the first bytes.
class TInstrumentTextDecoder {
 public:
  // Appends the UTF-8 text of the chunk to out. Bytes of a sequence cut by the chunk's end are kept
  // for the next call; 'last' marks the final chunk (an incomplete tail is then decoded as it is).
  void Decode(const char* data, std::size_t size, bool last, std::string& out);
  TInstrumentTextEncoding Encoding() const { return Mode; }

 private:
  void DecodeBytes(const unsigned char* p, std::size_t n, bool last, std::string& out);
  void DecodeUTF16(const unsigned char* p, std::size_t n, bool last, std::string& out);

  bool Detected = false;
  TInstrumentTextEncoding Mode = TInstrumentTextEncoding::Bytes;
  std::string Pending;  // undecoded bytes carried to the next chunk
  std::uint32_t HighSurrogate = 0;
};

// The whole of a file's bytes as UTF-8 (valid UTF-8 without a mark is moved, not copied).
std::string DecodeInstrumentText(std::string bytes, TInstrumentTextEncoding* encoding = nullptr);

// Reads a text file line by line without holding more than the current line and one chunk.
class TInstrumentTextReader {
 public:
  TInstrumentTextReader() = default;
  ~TInstrumentTextReader();
  TInstrumentTextReader(const TInstrumentTextReader&) = delete;
  TInstrumentTextReader& operator=(const TInstrumentTextReader&) = delete;

  // Opens the file; false with ErrorText set when it cannot be opened or is not a regular file.
  bool Open(const std::string& path);
  void Close();
  // The next line without its line end; false when the file has no more lines. A read failure
  // throws std::runtime_error.
  bool NextLine(std::string& line);
  // Size of the file in bytes, and the bytes consumed so far.
  std::uint64_t FileSize() const { return Size; }
  std::uint64_t BytesRead() const { return Consumed; }

  std::string ErrorText;

 private:
  bool Fill();  // decodes one more chunk into Text; false at the end of the file

  std::FILE* File = nullptr;
  TInstrumentTextDecoder Decoder;
  std::string Text;          // decoded text not yet returned
  std::size_t Position = 0;  // start of the next line in Text
  std::size_t Searched = 0;  // Text before this holds no line end after Position
  bool AtEnd = false;
  std::uint64_t Size = 0, Consumed = 0;
};

// Text taken from a file for a message: control characters shown as "<0xNN>", and cut to
// maxBytes (on a character boundary) followed by "..." when longer.
std::string ShownText(std::string_view text, std::size_t maxBytes = 1000);

// Reads a whole file's bytes; false with the reason in error. Files larger than maxBytes are refused.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error,
                   std::uint64_t maxBytes = UINT64_MAX);

}  // namespace qvs

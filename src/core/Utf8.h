#pragma once
// UTF-8 inside, and the outside encodings text arrives in: bytes that do not form valid UTF-8 are
// read as Windows-1252 (the code page instruments, loggers and the Windows program wrote).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qvs {

// Length of the valid UTF-8 sequence at p (2 to 4), or 0 when it is not one (overlong forms,
// surrogates, values above U+10FFFF). 'truncated' is set when the available bytes are a valid
// beginning that the end of the data cuts short.
int ValidUTF8SequenceLength(const unsigned char* p, std::size_t avail, bool& truncated);
bool IsValidUTF8(std::string_view text);

// The code point at text[i], advancing i past it; U+FFFD and one byte for a byte that does not
// start a valid UTF-8 sequence.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i);
// The same, but a byte that does not start a valid sequence is its Windows-1252 character.
std::uint32_t NextTextCodePoint(std::string_view text, std::size_t& i);
// Appends the UTF-8 form of a code point (U+FFFD for values that are not scalar values).
void AppendUTF8(std::string& out, std::uint32_t codePoint);

// The character of a Windows-1252 byte (the five bytes the code page leaves out are C1 controls).
std::uint32_t Windows1252CodePoint(unsigned char byte);
// The UTF-8 text of a Windows-1252 byte.
void AppendWindows1252(std::string& out, unsigned char byte);
// Windows-1252 bytes of a UTF-8 text; characters it cannot hold become "?".
std::string UTF8ToWindows1252(std::string_view text);
// UTF-16LE bytes (no mark) of a UTF-8 text.
std::string UTF8ToUTF16LE(std::string_view text);

// Bytes from outside as UTF-8: valid UTF-8 is kept, any other byte read as Windows-1252.
std::string BytesToUTF8(std::string_view bytes);

}  // namespace qvs

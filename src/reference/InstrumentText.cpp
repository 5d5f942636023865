#include "reference/InstrumentText.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace qvs {
namespace {

constexpr std::size_t kChunkSize = 1 << 16;

}  // namespace

void TInstrumentTextDecoder::Decode(const char* data, std::size_t size, bool last, std::string& out) {
  std::string joined;
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  std::size_t n = size;
  if (!Pending.empty()) {
    joined = Pending;
    if (size > 0) joined.append(data, size);
    Pending.clear();
    p = reinterpret_cast<const unsigned char*>(joined.data());
    n = joined.size();
  }
  if (!Detected) {
    if (n < 3 && !last) {
      Pending.assign(reinterpret_cast<const char*>(p), n);
      return;
    }
    Detected = true;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE && (n == 2 || p[2] != 0)) {
      Mode = TInstrumentTextEncoding::UTF16LE;
      p += 2;
      n -= 2;
    } else if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
      Mode = TInstrumentTextEncoding::UTF16BE;
      p += 2;
      n -= 2;
    } else if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
      Mode = TInstrumentTextEncoding::UTF8Mark;
      p += 3;
      n -= 3;
    }
  }
  if (Mode == TInstrumentTextEncoding::UTF16LE || Mode == TInstrumentTextEncoding::UTF16BE)
    DecodeUTF16(p, n, last, out);
  else
    DecodeBytes(p, n, last, out);
}

void TInstrumentTextDecoder::DecodeBytes(const unsigned char* p, std::size_t n, bool last, std::string& out) {
  out.reserve(out.size() + n);
  std::size_t i = 0;
  while (i < n) {
    std::size_t j = i;
    while (j + 8 <= n) {
      std::uint64_t w;
      std::memcpy(&w, p + j, 8);
      if (w & 0x8080808080808080ULL) break;
      j += 8;
    }
    while (j < n && p[j] < 0x80) ++j;
    out.append(reinterpret_cast<const char*>(p + i), j - i);
    i = j;
    if (i >= n) break;
    bool truncated = false;
    const int len = ValidUTF8SequenceLength(p + i, n - i, truncated);
    if (len > 0) {
      out.append(reinterpret_cast<const char*>(p + i), static_cast<std::size_t>(len));
      i += static_cast<std::size_t>(len);
    } else if (truncated && !last) {
      Pending.assign(reinterpret_cast<const char*>(p + i), n - i);
      return;
    } else {
      AppendWindows1252(out, p[i]);
      ++i;
    }
  }
}

void TInstrumentTextDecoder::DecodeUTF16(const unsigned char* p, std::size_t n, bool last, std::string& out) {
  out.reserve(out.size() + n);
  const bool little = Mode == TInstrumentTextEncoding::UTF16LE;
  std::size_t i = 0;
  for (; i + 2 <= n; i += 2) {
    const std::uint32_t u = little ? (p[i] | (p[i + 1] << 8)) : ((p[i] << 8) | p[i + 1]);
    if (HighSurrogate != 0) {
      const std::uint32_t high = HighSurrogate;
      HighSurrogate = 0;
      if (u >= 0xDC00 && u <= 0xDFFF) {
        AppendUTF8(out, 0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00));
        continue;
      }
      AppendUTF8(out, 0xFFFD);
    }
    if (u >= 0xD800 && u <= 0xDBFF)
      HighSurrogate = u;
    else if (u < 0x80)
      out += static_cast<char>(u);
    else
      AppendUTF8(out, u);  // a lone low surrogate becomes U+FFFD
  }
  if (last) {
    // An odd final byte is not part of any unit and is dropped.
    if (HighSurrogate != 0) AppendUTF8(out, 0xFFFD);
    HighSurrogate = 0;
  } else if (i < n) {
    Pending.assign(reinterpret_cast<const char*>(p + i), n - i);
  }
}

std::string DecodeInstrumentText(std::string bytes, TInstrumentTextEncoding* encoding) {
  TInstrumentTextDecoder probe;
  std::string head;
  probe.Decode(bytes.data(), bytes.size() < 3 ? bytes.size() : 3, bytes.size() <= 3, head);
  TInstrumentTextEncoding mode = probe.Encoding();
  if (encoding) *encoding = mode;
  if (mode == TInstrumentTextEncoding::Bytes || mode == TInstrumentTextEncoding::UTF8Mark) {
    // Valid UTF-8 is kept as it is; only the mark goes.
    const std::size_t skip = mode == TInstrumentTextEncoding::UTF8Mark ? 3 : 0;
    bool valid = true;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = skip; i < bytes.size();) {
      if (p[i] < 0x80) {
        ++i;
        continue;
      }
      bool truncated = false;
      const int len = ValidUTF8SequenceLength(p + i, bytes.size() - i, truncated);
      if (len == 0) {
        valid = false;
        break;
      }
      i += static_cast<std::size_t>(len);
    }
    if (valid) {
      bytes.erase(0, skip);
      return bytes;
    }
  }
  TInstrumentTextDecoder decoder;
  std::string out;
  decoder.Decode(bytes.data(), bytes.size(), true, out);
  return out;
}

TInstrumentTextReader::~TInstrumentTextReader() { Close(); }

bool TInstrumentTextReader::Open(const std::string& path) {
  Close();
  ErrorText.clear();
  File = std::fopen(path.c_str(), "rb");
  if (!File) {
    ErrorText = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fileno(File), &st) != 0) {
    ErrorText = std::strerror(errno);
    Close();
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    ErrorText = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    Close();
    return false;
  }
  Size = static_cast<std::uint64_t>(st.st_size);
  Decoder = TInstrumentTextDecoder();
  Text.clear();
  Position = 0;
  Searched = 0;
  AtEnd = false;
  Consumed = 0;
  return true;
}

void TInstrumentTextReader::Close() {
  if (File) std::fclose(File);
  File = nullptr;
}

bool TInstrumentTextReader::Fill() {
  if (AtEnd) return false;
  if (Position > 0) {
    Text.erase(0, Position);
    Searched -= Position;
    Position = 0;
  }
  char buffer[kChunkSize];
  const std::size_t n = File ? std::fread(buffer, 1, sizeof buffer, File) : 0;
  if (n > 0) {
    Consumed += n;
    Decoder.Decode(buffer, n, false, Text);
    return true;
  }
  if (File && std::ferror(File)) throw std::runtime_error(std::string("read error: ") + std::strerror(errno));
  Decoder.Decode(nullptr, 0, true, Text);
  AtEnd = true;
  return true;
}

bool TInstrumentTextReader::NextLine(std::string& line) {
  for (;;) {
    std::size_t k = Searched;
    while (k < Text.size() && Text[k] != '\n' && Text[k] != '\r') ++k;
    if (k < Text.size()) {
      // A CR at the end of the decoded text may be the first half of CR LF.
      if (Text[k] == '\r' && k + 1 == Text.size() && !AtEnd) {
        Searched = k;
        Fill();
        continue;
      }
      line.assign(Text, Position, k - Position);
      Position = k + 1;
      if (Text[k] == '\r' && Position < Text.size() && Text[Position] == '\n') ++Position;
      Searched = Position;
      return true;
    }
    Searched = k;
    if (!AtEnd) {
      Fill();
      continue;
    }
    if (Position < Text.size()) {
      line.assign(Text, Position, Text.size() - Position);
      Position = Searched = Text.size();
      return true;
    }
    return false;
  }
}

std::string ShownText(std::string_view text, std::size_t maxBytes) {
  std::size_t end = text.size();
  bool cut = false;
  if (end > maxBytes) {
    end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    cut = true;
  }
  std::string out;
  out.reserve(end + 8);
  static const char* hex = "0123456789ABCDEF";
  for (std::size_t i = 0; i < end; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t') || c == 0x7F) {
      out += "<0x";
      out += hex[c >> 4];
      out += hex[c & 15];
      out += '>';
    } else {
      out += static_cast<char>(c);
    }
  }
  if (cut) out += "...";
  return out;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error, std::uint64_t maxBytes) {
  bytes.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fileno(f), &st) != 0) {
    error = std::strerror(errno);
    std::fclose(f);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    std::fclose(f);
    return false;
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > maxBytes) {
    error = "the file holds " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) +
            " bytes a reference file may hold";
    std::fclose(f);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
  // A file that grows while it is read keeps only what was there when it was opened; one that
  // shrinks keeps what could be read.
  bytes.resize(got);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    error = "read error";
    return false;
  }
  return true;
}

}  // namespace qvs

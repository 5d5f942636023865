#include "reference/InstrumentText.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace qvs {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five the code page leaves undefined map to the C1 controls.
constexpr std::array<std::uint16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::size_t kChunkSize = 1 << 16;

// Length of the valid UTF-8 sequence at p (2 to 4), or 0 when it is not one. 'truncated' is set
// when the bytes available are a valid beginning that the end of the data cuts short.
int ValidSequenceLength(const unsigned char* p, std::size_t avail, bool& truncated) {
  truncated = false;
  const unsigned c = p[0];
  int need = 0;
  unsigned lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    need = 1;
  } else if (c == 0xE0) {
    need = 2;
    lo = 0xA0;
  } else if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) {
    need = 2;
  } else if (c == 0xED) {
    need = 2;
    hi = 0x9F;
  } else if (c == 0xF0) {
    need = 3;
    lo = 0x90;
  } else if (c >= 0xF1 && c <= 0xF3) {
    need = 3;
  } else if (c == 0xF4) {
    need = 3;
    hi = 0x8F;
  } else {
    return 0;
  }
  for (int k = 1; k <= need; ++k) {
    if (static_cast<std::size_t>(k) >= avail) {
      truncated = true;
      return 0;
    }
    const unsigned b = p[k];
    if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return 0;
  }
  return need + 1;
}

}  // namespace

std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + i;
  if (p[0] < 0x80) {
    ++i;
    return p[0];
  }
  bool truncated = false;
  const int len = ValidSequenceLength(p, text.size() - i, truncated);
  if (len == 0) {
    ++i;
    return 0xFFFD;
  }
  std::uint32_t cp = p[0] & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
  for (int k = 1; k < len; ++k) cp = (cp << 6) | (p[k] & 0x3F);
  i += static_cast<std::size_t>(len);
  return cp;
}

void AppendUTF8(std::string& out, std::uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendWindows1252(std::string& out, unsigned char byte) {
  if (byte < 0x80) {
    out += static_cast<char>(byte);
  } else if (byte < 0xA0) {
    AppendUTF8(out, kWindows1252High[byte - 0x80]);
  } else {
    AppendUTF8(out, byte);
  }
}

std::string UTF8ToWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::uint32_t cp = NextCodePoint(text, i);
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
      continue;
    }
    char c = '?';
    for (std::size_t k = 0; k < kWindows1252High.size(); ++k)
      if (kWindows1252High[k] == cp) c = static_cast<char>(0x80 + k);
    out += c;
  }
  return out;
}

std::string UTF8ToUTF16LE(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  auto unit = [&out](std::uint32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (std::size_t i = 0; i < text.size();) {
    const std::uint32_t cp = NextCodePoint(text, i);
    if (cp >= 0x10000) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

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
    const int len = ValidSequenceLength(p + i, n - i, truncated);
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
      const int len = ValidSequenceLength(p + i, bytes.size() - i, truncated);
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

#include "core/Utf8.h"

#include <array>

namespace qvs {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five the code page leaves undefined map to the C1 controls.
constexpr std::array<std::uint16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

// Length of the valid UTF-8 sequence at p (2 to 4), or 0 when it is not one. 'truncated' is set
// when the bytes available are a valid beginning that the end of the data cuts short.
int ValidUTF8SequenceLength(const unsigned char* p, std::size_t avail, bool& truncated) {
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


std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + i;
  if (p[0] < 0x80) {
    ++i;
    return p[0];
  }
  bool truncated = false;
  const int len = ValidUTF8SequenceLength(p, text.size() - i, truncated);
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

std::uint32_t Windows1252CodePoint(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

bool IsValidUTF8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    bool truncated = false;
    const int len = ValidUTF8SequenceLength(p + i, text.size() - i, truncated);
    if (len == 0) return false;
    i += static_cast<std::size_t>(len);
  }
  return true;
}

std::uint32_t NextTextCodePoint(std::string_view text, std::size_t& i) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + i;
  bool truncated = false;
  if (p[0] >= 0x80 && ValidUTF8SequenceLength(p, text.size() - i, truncated) == 0) {
    ++i;
    return Windows1252CodePoint(p[0]);
  }
  return NextCodePoint(text, i);
}

std::string BytesToUTF8(std::string_view bytes) {
  if (IsValidUTF8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (std::size_t i = 0; i < bytes.size();) AppendUTF8(out, NextTextCodePoint(bytes, i));
  return out;
}

}  // namespace qvs

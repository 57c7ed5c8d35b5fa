#include "base/text_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tabulo {
namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; the unassigned bytes keep their own value.
constexpr char32_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at `pos`, advancing it; malformed input yields U+FFFD for one byte.
char32_t NextCodePoint(std::string_view text, size_t& pos) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return kReplacement;
  }
  char32_t c = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    uint8_t next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    c = (c << 6) | (next & 0x3F);
  }
  bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++pos;
    return kReplacement;
  }
  pos += length;
  return c;
}

constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// Length of the run of ASCII bytes at the start of `text`, eight bytes at a time.
size_t AsciiPrefix(std::string_view text) {
  size_t pos = 0;
  for (; pos + 8 <= text.size(); pos += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + pos, 8);
    if (word & kHighBits) break;
  }
  while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80) ++pos;
  return pos;
}

bool IsAscii(std::string_view text) {
  return AsciiPrefix(text) == text.size();
}

// Position of the first CR or LF at or after `pos` (the text's size when none), sixteen bytes at a time.
size_t NextLineBreak(std::string_view text, size_t pos) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; pos + 16 <= text.size(); pos += 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + pos));
    int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
    if (mask) return pos + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
  return pos;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    pos += AsciiPrefix(text.substr(pos));
    if (pos < text.size() && NextCodePoint(text, pos) == kReplacement) {
      return false;  // a U+FFFD written as such is rare enough to take the slow road
    }
  }
  return true;
}

namespace {

int Windows1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) return 0x80 + i;
  }
  return -1;
}

}  // namespace

bool EncodeWindows1252(std::string_view utf8, std::string& out) {
  out.clear();
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    unsigned char ascii = static_cast<unsigned char>(utf8[pos]);
    if (ascii < 0x80) {  // the common case, one byte as it is
      out.push_back(static_cast<char>(ascii));
      ++pos;
      continue;
    }
    int byte = Windows1252Byte(NextCodePoint(utf8, pos));
    if (byte < 0) return false;
    out.push_back(static_cast<char>(byte));
  }
  return true;
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    auto byte = static_cast<uint8_t>(ch);
    if (byte < 0x80) {
      out.push_back(ch);
    } else {
      AppendUtf8(out, byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
    }
  }
  return out;
}

std::string EncodeFileText(std::string_view utf8) {
  std::string text(utf8);
  EncodeFileTextInPlace(text);
  return text;
}

void EncodeFileTextInPlace(std::string& utf8) {
  if (IsAscii(utf8)) return;  // the common case: the same bytes in both encodings
  std::string bytes;
  if (EncodeWindows1252(utf8, bytes)) {
    utf8 = std::move(bytes);
    return;
  }
  utf8.insert(0, kByteOrderMark);
}

std::string DecodeFileText(std::string_view bytes) {
  std::string text(bytes);
  DecodeFileTextInPlace(text);
  return text;
}

void DecodeFileTextInPlace(std::string& bytes) {
  if (std::string_view(bytes).substr(0, kByteOrderMark.size()) != kByteOrderMark) {
    if (!IsAscii(bytes)) bytes = DecodeWindows1252(bytes);
    return;
  }
  std::string_view utf8 = std::string_view(bytes).substr(kByteOrderMark.size());
  if (IsValidUtf8(utf8)) {
    bytes.erase(0, kByteOrderMark.size());
    return;
  }
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) AppendUtf8(out, NextCodePoint(utf8, pos));
  bytes = std::move(out);
}

bool HasLineBreak(std::string_view text) {
  return NextLineBreak(text, 0) != text.size();
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 8 + 1);  // most project lines are short; this spares most regrowing
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    i = NextLineBreak(text, i);
    if (i == text.size()) break;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = ++i;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace tabulo

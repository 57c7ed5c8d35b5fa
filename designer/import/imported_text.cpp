#include "designer/import/imported_text.h"

#include "designer/storage/text_codec.h"

namespace tabulo {
namespace {

// Well-formed UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool WellFormedUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;   // overlong
      if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;   // overlong
      if (c == 0xF4) high = 0x8F;  // past U+10FFFF
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (int k = 1; k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
      if (next < lo || next > hi) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

std::string DecodeImportedText(std::string bytes) {
  bool has_mark = bytes.size() >= 3 && std::string_view(bytes).substr(0, 3) == "\xEF\xBB\xBF";
  if (!has_mark) {
    bool ascii = true;
    for (char c : bytes) {
      if (static_cast<unsigned char>(c) >= 0x80) {
        ascii = false;
        break;
      }
    }
    if (ascii || WellFormedUtf8(bytes)) return bytes;
  }
  DecodeFileTextInPlace(bytes);
  return bytes;
}

}  // namespace tabulo

#include "designer/import/imported_text.h"

#include <algorithm>

#include "base/text_codec.h"

namespace tabulo {
namespace {

// UTF-16 (after its mark) to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](size_t i) {
    auto a = static_cast<unsigned char>(bytes[i]);
    auto b = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char32_t>(big_endian ? (a << 8 | b) : (b << 8 | a));
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        c = 0xFFFD;
      }
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace

std::string DecodeImportedText(std::string bytes) {
  std::string_view view = bytes;
  std::string text;
  if (view.substr(0, 2) == "\xFF\xFE" || view.substr(0, 2) == "\xFE\xFF") {
    text = DecodeUtf16(view.substr(2), view[0] == '\xFE');
  } else if (view.substr(0, 3) != "\xEF\xBB\xBF" && IsValidUtf8(view)) {
    text = std::move(bytes);  // ASCII included
  } else {
    DecodeFileTextInPlace(bytes);
    text = std::move(bytes);
  }
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

}  // namespace tabulo

#include "designer/import/imported_text.h"

#include "designer/storage/text_codec.h"

namespace tabulo {
std::string DecodeImportedText(std::string bytes) {
  bool has_mark = bytes.size() >= 3 && std::string_view(bytes).substr(0, 3) == "\xEF\xBB\xBF";
  if (!has_mark && IsValidUtf8(bytes)) return bytes;  // ASCII included
  DecodeFileTextInPlace(bytes);
  return bytes;
}

}  // namespace tabulo

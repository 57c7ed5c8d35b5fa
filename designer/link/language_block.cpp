#include "designer/link/language_block.h"

#include <array>

#include "base/text_codec.h"
#include "designer/document/numbers.h"

namespace tabulo {
namespace {

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;  // a stray continuation byte: one character of its own
}

// Spaces only, as the terminals' own trimming does; tabs are kept.
std::string_view TrimSpaces(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string LibraryText(std::string_view utf8) {
  std::string out;
  if (EncodeWindows1252(utf8, out)) return out;
  out.clear();
  std::string one;
  for (size_t i = 0; i < utf8.size();) {
    size_t length = Utf8SequenceLength(static_cast<unsigned char>(utf8[i]));
    if (i + length > utf8.size()) length = utf8.size() - i;
    if (EncodeWindows1252(utf8.substr(i, length), one) && one.size() == 1) {
      out += one;
    } else {
      out += '?';
    }
    i += length;
  }
  return out;
}

std::string BuildLanguageBlock(const MenuDocument& doc, bool old_firmware, const std::string& t1,
                               const std::string& t2, const std::string& t3, const std::string& t4,
                               const std::string& t5) {
  if (old_firmware) return LibraryText(t1);
  const std::array<const std::string*, kLanguages> texts = {&t1, &t2, &t3, &t4, &t5};
  std::string header(1, static_cast<char>(6));
  std::string body;
  size_t end = 6;
  for (int k = 1; k <= kLanguages; ++k) {
    if (doc.Lang(0, k) != "Note") body += LibraryText(TrimSpaces(*texts[k - 1]));
    end = 6 + body.size();  // uncapped sum of the lengths so far
    header += static_cast<char>(end > kLanguageBlockMax ? kLanguageBlockMax : end);
  }
  std::string block = header + body;
  if (block.size() > kLanguageBlockMax) block.resize(kLanguageBlockMax);
  return block;
}

std::string PluLanguageBlock(const MenuDocument& doc, int index, bool old_firmware) {
  const std::string& description = doc.PluDescription[index];
  double value = NumericValue(doc.PluNumber[index]);
  int32_t number = WholeNumber(value);
  if (value != number || number < 1 || number > kMaxTranslatedPlu) {
    static const std::string empty;
    return BuildLanguageBlock(doc, old_firmware, description, empty, empty, empty, empty);
  }
  return BuildLanguageBlock(doc, old_firmware, description, doc.Lang(number, 2), doc.Lang(number, 3),
                            doc.Lang(number, 4), doc.Lang(number, 5));
}

std::string LanguageNamesBlock(const MenuDocument& doc, bool old_firmware) {
  return BuildLanguageBlock(doc, old_firmware, doc.Lang(0, 1), doc.Lang(0, 2), doc.Lang(0, 3), doc.Lang(0, 4),
                            doc.Lang(0, 5));
}

}  // namespace tabulo

#include "designer/document/text_folding.h"

#include <cstdint>

namespace tabulo {
namespace {

// The base letter of U+00C0..U+00FF and U+0100..U+017F, lower case. '*' marks the letters written out in two
// (see Expanded), '\0' the characters that are not letters with a base (× ÷).
constexpr char kLatin1Bases[] =
    "aaaaaa*ceeeeiiii"    // U+00C0..U+00CF (Æ)
    "dnooooo\0ouuuuy**"   // U+00D0..U+00DF (Þ ß)
    "aaaaaa*ceeeeiiii"    // U+00E0..U+00EF (æ)
    "dnooooo\0ouuuuy*y";  // U+00F0..U+00FF (þ)
constexpr char kLatinExtendedABases[] =
    "aaaaaaccccccccdd"   // U+0100..U+010F
    "ddeeeeeeeeeegggg"   // U+0110..U+011F
    "gggghhhhiiiiiiii"   // U+0120..U+012F
    "ii**jjkkklllllll"   // U+0130..U+013F (Ĳ ĳ)
    "lllnnnnnnnnnoooo"   // U+0140..U+014F
    "oo**rrrrrrssssss"   // U+0150..U+015F (Œ œ)
    "sstttttt"           // U+0160..U+0167
    "uuuuuuuu"           // U+0168..U+016F
    "uuuuwwyyyzzzzzzs";  // U+0170..U+017F

const char* Expanded(uint32_t code) {
  switch (code) {
    case 0xC6:
    case 0xE6:
      return "ae";
    case 0xDE:
    case 0xFE:
      return "th";
    case 0xDF:
      return "ss";
    case 0x132:
    case 0x133:
      return "ij";
    case 0x152:
    case 0x153:
      return "oe";
    default:
      return nullptr;
  }
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
  }
  out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

// Greek and Cyrillic capitals to their small letters; other code points unchanged.
uint32_t Lowered(uint32_t code) {
  if ((code >= 0x391 && code <= 0x3A9 && code != 0x3A2) || (code >= 0x410 && code <= 0x42F))
    return code + 0x20;
  if (code >= 0x400 && code <= 0x40F) return code + 0x50;
  return code;
}

}  // namespace

std::string FoldedText(std::string_view utf8) {
  std::string folded;
  folded.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      folded.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c));
      continue;
    }
    // Two-byte sequences hold every letter folded here; anything else passes through byte by byte.
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if (c < 0xC2 || c > 0xDF || (next & 0xC0) != 0x80) {
      folded.push_back(static_cast<char>(c));
      continue;
    }
    const uint32_t code = ((c & 0x1Fu) << 6) | (next & 0x3Fu);
    ++i;
    char base = '\0';
    if (code >= 0xC0 && code <= 0xFF) base = kLatin1Bases[code - 0xC0];
    if (code >= 0x100 && code <= 0x17F) base = kLatinExtendedABases[code - 0x100];
    if (code == 0x192) base = 'f';  // ƒ, the one Windows-1252 letter beyond these blocks
    if (base == '*') {
      folded += Expanded(code);
    } else if (base != '\0') {
      folded.push_back(base);
    } else {
      AppendUtf8(folded, Lowered(code));
    }
  }
  return folded;
}

bool ContainsFolded(std::string_view text, std::string_view part) {
  return FoldedText(text).find(FoldedText(part)) != std::string::npos;
}

}  // namespace tabulo

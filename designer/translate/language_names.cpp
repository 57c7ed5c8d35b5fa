#include "designer/translate/language_names.h"

#include <array>
#include <vector>

namespace tabulo {
namespace {

struct KnownLanguage {
  Language language;
  std::vector<const char*> other_names;  // besides the own name and the codes; folded on use
};

// The menu's default names ("Portugues", "Frances", "Espanol") are the own names without accents, which
// folding already matches; the names other languages give them are here so that a menu written by a
// Portuguese, Spanish, French or Italian speaker is understood too.
const std::array<KnownLanguage, 8>& KnownLanguages() {
  static const std::array<KnownLanguage, 8> known = {{
      {{"en", "eng", "English"}, {"Inglês", "Inglés", "Anglais", "Inglese", "Englisch"}},
      {{"pt", "por", "Português"}, {"Portuguese", "Portugais", "Portoghese", "Portugiesisch"}},
      {{"es", "spa", "Español"}, {"Spanish", "Castellano", "Espanhol", "Espagnol", "Spagnolo", "Spanisch"}},
      {{"fr", "fra", "Français"}, {"French", "Francês", "Francés", "Francese", "Französisch"}},
      {{"it", "ita", "Italiano"}, {"Italian", "Italien", "Italienisch"}},
      {{"de", "deu", "Deutsch"}, {"German", "Alemão", "Alemán", "Allemand", "Tedesco"}},
      {{"ca", "cat", "Català"}, {"Catalan", "Catalão", "Catalán"}},
      {{"nl", "nld", "Nederlands"}, {"Dutch"}},
  }};
  return known;
}

// The Latin-1 letters with an accent, from U+00C0, as their base letter (lower case); '\0' for the
// characters of that block that are not letters with a base.
constexpr const char* kLatin1Bases =
    "aaaaaaaceeeeiiii"     // U+00C0..U+00CF
    "dnooooo\0ouuuuy\0s"   // U+00D0..U+00DF
    "aaaaaaaceeeeiiii"     // U+00E0..U+00EF
    "dnooooo\0ouuuuy\0y";  // U+00F0..U+00FF

}  // namespace

std::string FoldedName(const std::string& text) {
  std::string folded;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 'A' && c <= 'Z') {
      folded.push_back(static_cast<char>(c - 'A' + 'a'));
    } else if (c == 0xC3 && i + 1 < text.size()) {
      const unsigned char next = static_cast<unsigned char>(text[i + 1]);
      const int offset = next - 0x80;  // U+00C0 + offset
      if (offset >= 0 && offset < 64 && kLatin1Bases[offset] != '\0') {
        folded.push_back(kLatin1Bases[offset]);
        ++i;
      } else {
        folded.push_back(static_cast<char>(c));
      }
    } else {
      folded.push_back(static_cast<char>(c));
    }
  }
  const size_t first = folded.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return folded.substr(first, folded.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<Language> LanguageOf(const std::string& name) {
  const std::string folded = FoldedName(name);
  if (folded.empty()) return std::nullopt;
  for (const KnownLanguage& known : KnownLanguages()) {
    if (folded == known.language.code || folded == known.language.long_code ||
        folded == FoldedName(known.language.own_name)) {
      return known.language;
    }
    for (const char* other : known.other_names) {
      if (folded == FoldedName(other)) return known.language;
    }
  }
  return std::nullopt;
}

std::string UnknownLanguageMessage(const std::string& name) {
  std::string message = "\"" + name + "\" is not a language the translation knows. Accepted names:";
  bool first = true;
  for (const KnownLanguage& known : KnownLanguages()) {
    message += first ? " " : "; ";
    first = false;
    message += known.language.own_name;
    for (const char* other : known.other_names) message += std::string(", ") + other;
    message += std::string(" (") + known.language.code + ")";
  }
  return message + ". Case and accents do not matter.";
}

}  // namespace tabulo

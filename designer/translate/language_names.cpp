#include "designer/translate/language_names.h"

#include <array>
#include <vector>

#include "designer/document/text_folding.h"

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

}  // namespace

std::string FoldedName(const std::string& text) {
  const std::string folded = FoldedText(text);
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

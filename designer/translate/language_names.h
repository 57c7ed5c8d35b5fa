#pragma once
// The languages the translation services are asked for, by the names a person types: their own name or the
// English one, in any case, with or without accents ("Português", "Portugues", "portuguese"), or the code.

#include <optional>
#include <string>

namespace tabulo {

struct Language {
  const char* code;       // two letters, as LibreTranslate-compatible services take it
  const char* long_code;  // three letters, as Apertium names its pairs
  const char* own_name;   // as the language writes itself
};

// The language a name stands for; nothing for a name no language is known by.
std::optional<Language> LanguageOf(const std::string& name);

// The message refusing `name`, listing the names that are accepted.
std::string UnknownLanguageMessage(const std::string& name);

// `text` in lower case with the accents of Latin letters taken off, spaces around it trimmed.
std::string FoldedName(const std::string& text);

}  // namespace tabulo

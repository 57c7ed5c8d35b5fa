#pragma once
// The form texts are compared in when a person searches them: letter case, accents and the ligatures of the
// menu languages do not count ("agua" finds "Água", "oeufs" finds "Œufs", "strasse" finds "Straße").

#include <string>
#include <string_view>

namespace tabulo {

// `utf8` in lower case, the Latin letters without their marks (Latin-1, Latin Extended-A and the letters
// Windows-1252 adds), "æ", "œ", "ß", "ĳ" and "þ" written out in two letters, Greek and Cyrillic capitals
// lowered. Everything else is kept as it is, invalid UTF-8 included.
std::string FoldedText(std::string_view utf8);

// Whether `text` contains `part`, both folded.
bool ContainsFolded(std::string_view text, std::string_view part);

}  // namespace tabulo

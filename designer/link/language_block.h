#pragma once
// The language block: a PLU's texts in the five languages packed into at most 90 single-byte characters,
// as the terminals take them: code 6, the end offsets of texts 1..5 (capped at 90), then the trimmed texts
// back to back. Offsets are byte offsets in Windows-1252, the code page the library receives texts in.

#include <string>
#include <string_view>

#include "designer/document/menu_document.h"

namespace tabulo {

inline constexpr size_t kLanguageBlockMax = 90;

// A document text (UTF-8) as the single-byte text the library receives: Windows-1252, with "?" for each
// character that code page has no byte for.
std::string LibraryText(std::string_view utf8);

// `BuildLanguageBlock`(t1..t5): reads the language names from the document (a language named exactly "Note"
// contributes an empty text). For terminals whose firmware has no language option (`old_firmware`) the
// block is t1 alone, untrimmed.
std::string BuildLanguageBlock(const MenuDocument& doc, bool old_firmware, const std::string& t1,
                               const std::string& t2, const std::string& t3, const std::string& t4,
                               const std::string& t5);

// The block of the PLU at catalogue index `index`: its description, then the translations of its number.
// A PLU number outside 1..9999 or not a whole number has no translation row: its block holds the
// description alone.
std::string PluLanguageBlock(const MenuDocument& doc, int index, bool old_firmware);

// The block of entry 1530: the five language names.
std::string LanguageNamesBlock(const MenuDocument& doc, bool old_firmware);

}  // namespace tabulo

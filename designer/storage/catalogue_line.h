#pragma once
// The catalogue line "TAG,NUMBER,FIELD2,FIELD3,PRICE,DESCRIPTION" that the project's catalogue file and the
// PLU interchange file share: the first field is a tag nobody reads, the description is the rest of the line
// and may hold commas, the other fields may not.

#include <optional>
#include <string_view>

namespace tabulo {

// The fields of one catalogue entry, viewing the text they were read from.
struct CatalogueEntry {
  std::string_view PluNumber;
  std::string_view PluField2;
  std::string_view PluField3;
  std::string_view PluPrice;        // trimmed
  std::string_view PluDescription;  // trimmed
};

// Fills `positions` with the places of the first `count` occurrences of `c`; false when there are fewer.
bool FindFirst(std::string_view text, char c, int count, size_t* positions);

// The entry of a catalogue line; nothing when the line has fewer than five commas.
std::optional<CatalogueEntry> SplitCatalogueLine(std::string_view line);

}  // namespace tabulo

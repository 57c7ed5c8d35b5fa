#pragma once
// Lookups of the PLU catalogue. A PLU is identified by the numeric value of its `PluNumber` text; lookups
// by number return the first matching entry and never match a deleted entry ("0").

#include <cstdint>
#include <optional>
#include <string>

#include "designer/document/menu_document.h"

namespace tabulo {

// Numeric value of PluNumber(i).
double PluValue(const MenuDocument& doc, int index);

std::string DescriptionOfPlu(const MenuDocument& doc, int32_t number);  // "" when none
std::string PriceOfPlu(const MenuDocument& doc, int32_t number);        // "" when none
// Catalogue index of the first entry numbered `number`; 0 when none matches (as callers of the designer
// expect); FindPlu tells the two apart.
int32_t IndexOfPlu(const MenuDocument& doc, int32_t number);
std::optional<int32_t> FindPlu(const MenuDocument& doc, int32_t number);
// Marks every entry numbered `number` as deleted ("0"). Entries are never removed.
void DeletePluNumber(MenuDocument& doc, int32_t number);

// One more than the largest PLU number in the catalogue; 1 for a catalogue without positive numbers. When
// that is beyond the 32-bit range, the lowest positive number no entry holds.
int32_t NextPluNumber(const MenuDocument& doc);
// First catalogue index whose description equals `text` exactly, deleted entries left out; -1 for "" or
// when none does.
int32_t FindPluByDescription(const MenuDocument& doc, const std::string& text);

// Appends a PLU at index NumPlus as the designer creates one (field 2 empty, field 3 a copy of the number).
// Returns its index, or nothing when the catalogue is full.
std::optional<int32_t> AppendPlu(MenuDocument& doc, const std::string& number, const std::string& price,
                                 const std::string& description);

}  // namespace tabulo

#pragma once
// What every catalogue import checks before anything changes, and `tabulo check` checks in a project: PLU
// numbers whole and in 1..9999 (the numbers with a translation row), each number once, prices that are
// numbers, and names a terminal shows whole. Prices are written one way whatever the file held.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "designer/document/menu_document.h"

namespace tabulo {

// The terminal's order display pads names to 30 characters; a longer name is cut there, so it is reported
// (and kept: the user may well want it on the printed card).
inline constexpr size_t kTerminalNameWidth = 30;
inline constexpr const char* kSkipBadNumber = "PLU number is not a whole number from 1 to 9999";

// A price as the catalogue holds it: blanks and a currency sign or code around it removed ("€ 2,50",
// "2.50 €", "$3", "EUR 4"), a decimal comma made a point, thousands separators dropped ("1.234,50" and
// "1,234.50" give "1234.50"). The digits are kept as written ("2.5" stays "2.5"). Nothing when what is left
// is not a number; "" stays "".
std::optional<std::string> NormalisePrice(std::string_view text);

// A price taken from a number cell of a sheet: one decimal is a price in cents written short, and comes
// back with two ("2.5" to "2.50"), as the sheet shows it with a currency or "0.00" format.
std::string PriceOfNumberCell(std::string price);

// The number of characters of a UTF-8 text.
size_t CharacterCount(std::string_view utf8);

// Checks the rows of one import in file order. Take() gives "" for a row to import, or why it is skipped;
// its price is normalised in place. Remarks on rows that are imported all the same land in `notes`.
class PluRowChecker {
 public:
  explicit PluRowChecker(std::string unit) : unit_(std::move(unit)) {}  // "line" or "row"
  std::string Take(std::string_view number, std::string& price, std::string_view description, int row,
                   std::vector<std::string>& notes);

 private:
  std::string unit_;
  std::unordered_map<int, int> rows_of_numbers_;
};

// The number of a PLU number text when it is a whole number in 1..9999 (blanks around it allowed).
std::optional<int> PluNumberOf(std::string_view text);

// Problems of a project's catalogue, one text each naming the entry: numbers not whole in 1..9999, numbers
// used twice, prices that are not numbers (an empty price is not reported), names longer than a terminal
// shows, and NUL characters, which a terminal takes as the end of a text. Deleted entries ("0") are not
// checked.
std::vector<std::string> CheckCatalogue(const MenuDocument& doc);

}  // namespace tabulo

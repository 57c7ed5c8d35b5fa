#pragma once
// The catalogue panel's list (`Lista_plus`) and its rules: which PLUs it lists, FILTER, FIND, the order it
// is sorted in, the numbers used twice, adding and deleting a PLU, and the selection that the "<-" buttons
// step through. The table widget shows these rows; the rows, the selection and the search position live
// here.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "platform/user_prompts.h"

namespace tabulo {

inline constexpr const char* kFillDescriptionMessage = "Please fill Plu Description!";
// Deleted entries keep their place, so a catalogue that reached 10000 entries stays full until a new one.
inline constexpr const char* kCatalogueFullMessage =
    "The PLU catalogue is full (10000 entries): no new PLU can be created.";

struct CatalogueRow {
  std::string text;        // the PLU's description
  int32_t plu = 0;         // item data: the PLU number
  std::string price;       // the entry's price, as typed
  bool duplicate = false;  // another listed catalogue entry has the same number

  bool operator==(const CatalogueRow&) const = default;
};

// The columns the list is shown and sorted in.
enum class CatalogueColumn { kNumber, kDescription, kPrice };

class CatalogueList {
 public:
  const std::vector<CatalogueRow>& Rows() const { return rows_; }
  int Selected() const { return selected_; }  // -1 = none
  void Select(int row);                       // -1, or a row index; anything else selects nothing

  // The list as Refresh_Page fills it: every PLU with a number above 0 in catalogue order, or with
  // `only_defined`, one row per line bound to a PLU, in page and line order. With a `search` text only the
  // rows whose description contains it (folded as FILTER does).
  void Fill(const MenuDocument& doc, bool only_defined, const std::string& search = {});
  // FILTER: the PLUs whose description contains `text`, letter case, accents and ligatures ignored.
  void Filter(const MenuDocument& doc, const std::string& text);

  // The rows sorted by `column` from now on, every filling included; the selected row stays selected. Equal
  // rows keep the order they were listed in; descriptions compare as the search folds them, numbers and
  // prices by their value.
  void SortBy(CatalogueColumn column, bool ascending);
  // Every change of the search text restarts FIND at the first row.
  void SearchTextChanged() { search_changed_ = true; }
  // FIND: selects the next row containing `text` (folded as FILTER does) after the last hit; nothing when
  // none does, and the next FIND looks from the same place again.
  std::optional<int> Find(const std::string& text);

  // After "<-": the selection moves one row down; it stays on the last row. True when it moved.
  bool StepSelection();

  // Live rename: the rows of PLU `plu` show `text`. Returns the rows changed.
  std::vector<int> Relabel(int32_t plu, const std::string& text);

  // Delete: every catalogue entry numbered as the selected row is marked deleted, the row is removed and
  // the row now at its place is selected. False when nothing is selected.
  bool DeleteSelected(MenuDocument& doc);

 private:
  void Sort();

  std::vector<CatalogueRow> rows_;
  std::optional<std::pair<CatalogueColumn, bool>> sort_;  // column and ascending; none: as listed
  int selected_ = -1;
  int find_from_ = 0;
  bool search_changed_ = false;
};

enum class AddPluOutcome { kAdded, kNoDescription, kCatalogueFull };

// Add (`Command16`): a PLU with `description`, its number and price asked in two input boxes ("Plu Number"
// offering the next free number, then "Price"), answers stored as typed. A blank description, or a full
// catalogue, is told to the user and adds nothing.
AddPluOutcome AddPlu(MenuDocument& doc, const std::string& description, UserPrompts& prompts);

}  // namespace tabulo

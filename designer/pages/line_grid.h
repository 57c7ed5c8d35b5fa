#pragma once
// Editing on the page grid: what typing, leaving a line, the "<-" buttons, prices and group titles do to the
// document. The grid's own state is the current page, the catalogue index each line shows (its tag) and
// whether the page is being drawn; while it is, no edit writes back, so drawing never changes the document.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "designer/document/menu_document.h"
#include "designer/pages/page_view.h"

namespace tabulo {

struct GridState {
  int page = 1;                                 // the caption of `Page`
  bool page_updating = false;                   // `PageUpdating`
  std::array<std::string, kLinesPerPage> tags;  // `Linhas`(k).`Tag`: catalogue index, "" for no PLU

  int Slot(int line) const { return SlotOf(page, line); }
};

// Takes the view's tags into the grid state; the window calls it while it copies the view.
void TakeTags(GridState& grid, const PageView& view);

// Live rename while a PLU line is typed on: the PLU's description and the modifier records named after it
// follow the text. Returns the PLU number whose catalogue list rows must follow too; nothing when the edit
// does not rename (drawing, no PLU on the line, or a blank text).
std::optional<int32_t> LiveRename(MenuDocument& doc, const GridState& grid, int line,
                                  const std::string& text);

struct LineCommit {
  enum class Outcome { kNothing, kBound, kCreated, kStored, kCatalogueFull };
  Outcome outcome = Outcome::kNothing;
  std::optional<std::string> price;  // new text of the line's price box
};

// Leaving a line: new text on an empty line binds the PLU of that description or creates one; otherwise the
// text is stored as the PLU's description and, on a title or note line, as the line's text. A full catalogue
// creates nothing and leaves the line unbound. `typed_price` is what the line's price box holds: a price
// typed before the description is the bound or created PLU's price, as if typed after it.
LineCommit CommitLine(MenuDocument& doc, GridState& grid, int line, const std::string& text,
                      const std::string& typed_price = {});

// "<-": binds the PLU numbered `plu_number` (the selected catalogue row) to the line, as a PLU line.
void AssignLine(MenuDocument& doc, const GridState& grid, int line, int32_t plu_number);

// A price typed on a line that shows a PLU is the PLU's price, stored as typed.
bool StorePrice(MenuDocument& doc, const GridState& grid, int line, const std::string& line_text,
                const std::string& price);

// The group-title text typed on the back side.
bool StoreTitleText(MenuDocument& doc, const GridState& grid, int line, const std::string& text);

// The hand-over to the line editor opened from line `line` (after its commit): the line, and for a PLU line
// its number, price and the catalogue row selected (`list_index`, -1 for none).
void HandOverLine(MenuDocument& doc, const GridState& grid, int line, int list_index);

}  // namespace tabulo

#include "designer/pages/line_grid.h"

#include <algorithm>

#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"

namespace tabulo {
namespace {

bool ValidLine(int line) {
  return line >= 0 && line < kLinesPerPage;
}

std::optional<int> TagIndex(const GridState& grid, int line) {
  if (!ValidLine(line) || grid.tags[line].empty()) return std::nullopt;
  return IntegerValue(grid.tags[line]);
}

}  // namespace

void TakeTags(GridState& grid, const PageView& view) {
  for (int k = 0; k < kLinesPerPage; ++k) grid.tags[k] = view.lines[k].tag;
}

std::optional<int32_t> LiveRename(MenuDocument& doc, const GridState& grid, int line,
                                  const std::string& text) {
  if (grid.page_updating) return std::nullopt;
  auto index = TagIndex(grid, line);
  if (!index || Trim(text).empty()) return std::nullopt;
  const std::string before = doc.PluDescription[*index];
  // Modifier records belong to their PLU by its description, so they follow the rename.
  for (int j = 0; j < doc.NumModifiers && j < kMaxModifiers; ++j) {
    if (doc.Modifiers[j].Name == before) doc.Modifiers[j].Name = text;
  }
  doc.PluDescription[*index] = text;
  return WholeNumber(NumericValue(doc.PluNumber[*index]));
}

LineCommit CommitLine(MenuDocument& doc, GridState& grid, int line, const std::string& text,
                      const std::string& typed_price) {
  LineCommit result;
  if (grid.page_updating || !ValidLine(line)) return result;
  const int s = grid.Slot(line);
  LineLayoutRecord& layout = doc.LineLayout[s];
  if (grid.tags[line].empty() && !Trim(text).empty() && layout.Kind < kKindTitle) {
    // A price typed while the line had no PLU had nowhere to go; binding the line used to replace it with
    // the PLU's (or no) price without a word. It is the PLU's price now, as the price box always means.
    const bool price_typed = !Trim(typed_price).empty();
    int32_t found = FindPluByDescription(doc, text);
    if (found >= 0) {
      doc.Botoes[s] = WholeNumber(NumericValue(doc.PluNumber[found]));
      grid.tags[line] = std::to_string(found);
      if (price_typed) doc.PluPrice[found] = typed_price;
      result.outcome = LineCommit::Outcome::kBound;
      result.price = doc.PluPrice[found];
      return result;
    }
    int32_t number = NextPluNumber(doc);
    auto created = AppendPlu(doc, DecimalText(number), price_typed ? typed_price : "", text);
    if (!created) {
      result.outcome = LineCommit::Outcome::kCatalogueFull;
      return result;
    }
    doc.Botoes[s] = number;
    grid.tags[line] = std::to_string(*created);
    result.outcome = LineCommit::Outcome::kCreated;
    result.price = doc.PluPrice[*created];
    return result;
  }
  if (auto index = TagIndex(grid, line)) {
    doc.PluDescription[*index] = text;
    result.outcome = LineCommit::Outcome::kStored;
  }
  if (layout.Kind >= kKindTitle) {
    layout.Text = text;
    result.outcome = LineCommit::Outcome::kStored;
  }
  return result;
}

void AssignLine(MenuDocument& doc, const GridState& grid, int line, int32_t plu_number) {
  if (!ValidLine(line)) return;
  const int s = grid.Slot(line);
  doc.Botoes[s] = plu_number;
  doc.LineLayout[s].Kind = kKindPlu;
}

bool StorePrice(MenuDocument& doc, const GridState& grid, int line, const std::string& line_text,
                const std::string& price) {
  // Drawing writes the same price back; skipping it keeps drawing free of writes altogether.
  if (grid.page_updating) return false;
  auto index = TagIndex(grid, line);
  if (!index || Trim(line_text).empty()) return false;
  doc.PluPrice[*index] = price;
  return true;
}

bool StoreTitleText(MenuDocument& doc, const GridState& grid, int line, const std::string& text) {
  if (grid.page_updating || !ValidLine(line)) return false;
  doc.LineLayout[grid.Slot(line)].TitleText = text;
  return true;
}

void HandOverLine(MenuDocument& doc, const GridState& grid, int line, int list_index) {
  doc.Hand.CurrentLine = line;
  if (auto index = TagIndex(grid, line)) {
    doc.Hand.EditPluNumber = WholeNumber(NumericValue(Trim(doc.PluNumber[*index])));
    doc.Hand.EditPluPrice = std::string(Trim(doc.PluPrice[*index]));
    doc.Hand.EditListIndex = static_cast<int16_t>(std::clamp(list_index, -1, 32767));
  }
  doc.Hand.EditFromPage = true;
}

}  // namespace tabulo

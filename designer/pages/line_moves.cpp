#include "designer/pages/line_moves.h"

#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/pages/page_operations.h"

namespace tabulo {
namespace {

constexpr int kLastLine = kLinesPerPage - 1;

// A line index handed over by a window is checked here: a stale or wrong one must not move lines of
// another page.
bool ValidLine(int page, int line) {
  return page >= 1 && page <= kPages && line >= 0 && line <= kLastLine;
}

}  // namespace

void EmptyLine(MenuDocument& doc, int slot) {
  doc.Botoes[slot] = 0;
  doc.LineLayout[slot].Kind = kKindPlu;
}

void DeleteLine(MenuDocument& doc, int page, int line) {
  if (!ValidLine(page, line)) return;
  EmptyLine(doc, SlotOf(page, line));
}

void MoveLinesUp(MenuDocument& doc, int page, int line) {
  if (!ValidLine(page, line)) return;
  // Ascending, so each line is read before it is overwritten.
  for (int i = line; i < kLastLine; ++i) CopySlot(doc, SlotOf(page, i + 1), SlotOf(page, i));
  EmptyLine(doc, SlotOf(page, kLastLine));
}

void MoveLinesDown(MenuDocument& doc, int page, int line) {
  if (!ValidLine(page, line)) return;
  // Descending, so each line is read before it is overwritten.
  for (int i = kLastLine - 1; i >= line; --i) CopySlot(doc, SlotOf(page, i), SlotOf(page, i + 1));
  EmptyLine(doc, SlotOf(page, line));
}

std::string LineOrderCaption(const MenuDocument& doc, int page, int line) {
  if (!ValidLine(page, line)) return {};
  const int s = SlotOf(page, line);
  const std::string where = "Line " + std::to_string(line + 1) + " of page " + std::to_string(page);
  std::string shown;
  if (doc.LineLayout[s].Kind == kKindTitle || doc.LineLayout[s].Kind == kKindNote) {
    shown = doc.LineLayout[s].Text;
  } else if (doc.Botoes[s] != 0) {
    shown = DescriptionOfPlu(doc, doc.Botoes[s]);
  }
  return Trim(shown).empty() ? where + " (empty)" : where + ": " + shown;
}

}  // namespace tabulo

#pragma once
// The three operations of the line order dialog on one line of a page: unbinding its PLU, closing the gap it
// leaves by pulling the lines below up, and opening a gap by pushing it and the lines below down. A line's
// content is its PLU, its whole line record and both its rows of translated texts. Nothing ever crosses a
// page: the line pushed off the bottom is lost, and the bottom line pulled up is left emptied.

#include <string>

#include "designer/document/menu_document.h"

namespace tabulo {

// Empties a line: no PLU and a PLU line's kind. Everything else it holds (text, colours, group title and
// the texts in every language) stays, so a group title that starts on the line keeps starting there.
void EmptyLine(MenuDocument& doc, int slot);

// "DELETE": line `line` (0..23) of `page` (1..14) is emptied; its PLU stays in the catalogue.
void DeleteLine(MenuDocument& doc, int page, int line);
// "MOVE UP": the line is removed and the lines below it move up one place; the last line is emptied.
void MoveLinesUp(MenuDocument& doc, int page, int line);
// "MOVE DOWN": the line and those below it move down one place, the last line is lost, and the line is
// emptied.
void MoveLinesDown(MenuDocument& doc, int page, int line);

// Names the line the dialog acts on, with what it shows: "Line 4 of page 2: Soup", "Line 5 of page 2
// (empty)".
std::string LineOrderCaption(const MenuDocument& doc, int page, int line);

}  // namespace tabulo

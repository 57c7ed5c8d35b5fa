#pragma once
// Moving between pages, inserting an empty page and deleting one. A slot carries its line record, its PLU
// binding and its two rows of translated texts; pages carry their background colours and pictures. The
// catalogue is never touched: PLUs stay whatever happens to the pages they were on.

#include "designer/document/menu_document.h"

namespace tabulo {

// The page number after "Previous Page" / "Next Page" (unchanged at the first and last page).
int PreviousPage(int page);
int NextPage(int page);

// Inserts an empty page at `page`: pages from it on move one up and the former page 14 is lost.
void InsertPage(MenuDocument& doc, int page);
// Deletes `page`: the pages after it move one down and page 14 becomes empty.
void DeletePage(MenuDocument& doc, int page);

// Copies the content of slot `from` onto slot `to`: its PLU, its whole line record and both its rows of
// translated texts.
void CopySlot(MenuDocument& doc, int from, int to);

// Empties slot `slot`: no PLU, an empty line without group title, colours or picture, and no texts in any
// language. The line's `Text` and `TitleForeColor` stay; nothing shows them once the line is empty.
void ClearSlot(MenuDocument& doc, int slot);

}  // namespace tabulo

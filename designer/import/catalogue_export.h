#pragma once
// "Export catalogue...": the PLU catalogue written as a file a spreadsheet opens and the update reads back:
// PLUCODE, DESCRIPTION, PRICE and the five language texts (headed by the language names), one live PLU per
// row. Exported and updated again without an edit, a catalogue does not change.

#include <string>

#include "designer/document/menu_document.h"

namespace tabulo {

struct ExportResult {
  bool ok = false;
  int rows = 0;
  std::string message;  // what the designer shows and the command line prints
};

// The format follows the name: ".xlsx" a workbook (numbers and prices as number cells where that keeps their
// text), anything else CSV (UTF-8 with a byte-order mark so that spreadsheet programs take it as UTF-8, every
// field quoted, CR LF). The file is replaced whole or not at all.
ExportResult ExportCatalogue(const MenuDocument& doc, const std::string& path);

}  // namespace tabulo

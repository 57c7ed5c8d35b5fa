#pragma once
// The four commands of the Import menu as core operations, one each, named after their menu items. Each
// takes what the user answered (the chosen files), reads and checks everything first, and only then starts
// a new menu and fills its catalogue: a file that cannot be read, a missing sheet or column, or a file with
// nothing to import leaves the document as it was. The result holds the counts, the skipped lines with
// their reasons and the message to show.
//
// A window runs them as the menu commands do: "Import From CSV" shows kImportCSVMessage, asks for a file
// pre-filled with kImportCSVFileName, then calls ImportCSV; "Import From XLS" shows kImportFromXlsMessage
// and asks with kImportFromXlsFileName; "Import From Mercato ( XLS)" asks with kMercatoFamiliesFileName,
// may check that file with CheckMercatoFamilies, asks with kMercatoProductsFileName (cancelling either
// dialog leaves the menu as it was) and calls ImportMercatoXls; "Import From Last Sent PLUs" asks nothing.
// Afterwards the window shows the result's message and refreshes the page (Refresh_Page).

#include <string>
#include <string_view>

#include "designer/document/menu_document.h"
#include "designer/import/import_report.h"
#include "designer/import/import_texts.h"
#include "designer/import/spreadsheet.h"

namespace tabulo {

struct ImportOptions {
  NewMenu new_menu;              // the main window's New; without one the document is reset alone
  std::string interchange_path;  // "" for the interchange file of the maker folder
  SpreadsheetKind kind = SpreadsheetKind::Detect;  // how the spreadsheet files are read
};

// "Import From Last Sent PLUs": the catalogue of the interchange file.
ImportResult ImportFromDll(MenuDocument& doc, const ImportOptions& options = {});
// "Import From CSV".
ImportResult ImportCSV(MenuDocument& doc, const std::string& path, const ImportOptions& options = {});
// "Import From XLS": the sheet is written to the interchange file, which is then read as the last sent list.
ImportResult ImportFromXls(MenuDocument& doc, const std::string& path, const ImportOptions& options = {});
// "Import From Mercato ( XLS)": the families sheet, then the products sheet, through the interchange file.
ImportResult ImportMercatoXls(MenuDocument& doc, const std::string& families_path,
                              const std::string& products_path, const ImportOptions& options = {});
// The message that the families file cannot be imported, or "" when it can: lets the window report a bad
// file before it asks for the products file.
std::string CheckMercatoFamilies(const std::string& families_path, const ImportOptions& options = {});

// Interchange lines as the imports write them.
// "0, " + code + ",0, " + code + "," + price + "," + description
std::string PluInterchangeLine(const std::string& code, const std::string& price,
                               const std::string& description);
// The same appended to a text.
void AppendPluInterchangeLine(std::string& text, std::string_view code, std::string_view price,
                              std::string_view description);
// NUMERO + ",0, " + COMANDO + ", y, x, " + NOME
std::string FamilyInterchangeLine(const std::string& numero, const std::string& comando,
                                  const std::string& nome);
// "0, " + NUMERO + ",0, " + (NUMERO + 32) + ", " + VENDA + ", " + PLU, with the first comma of VENDA made a
// point and NUMERO + 32 written as a number.
std::string ProductInterchangeLine(const std::string& numero, const std::string& venda,
                                   const std::string& plu);

}  // namespace tabulo

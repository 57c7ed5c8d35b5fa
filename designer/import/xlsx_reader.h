#pragma once
// .xlsx workbooks read with libzip and pugixml: the workbook's sheet list and relationships, shared strings
// (rich text runs joined, phonetic runs left out), inline strings, numbers, booleans, errors and the cached
// results of formulas. Cells are placed by their references, not by their order in the file. Numbers are
// shown in the general format whatever display style the sheet gives them (a date shows as its serial
// number), as the import only ever expects codes, prices and names.

#include <memory>
#include <string>

#include "designer/import/spreadsheet.h"

namespace tabulo {

// The workbook held in `bytes`, or nothing with the message to show in `error`.
std::unique_ptr<Workbook> OpenXlsxWorkbook(std::string bytes, const std::string& file_name,
                                           std::string& error);

}  // namespace tabulo
